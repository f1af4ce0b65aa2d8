#include "learner/driver/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(CommandLine, NoArgumentsMeansAClockSeededRun) {
  std::string error;
  const auto parsed = hn::parseCommandLine({}, error);
  ASSERT_TRUE(parsed);
  EXPECT_FALSE(parsed->seed);
  EXPECT_FALSE(parsed->help);
}

TEST(CommandLine, SeedTakesAnUnsignedNumber) {
  std::string error;
  EXPECT_EQ(4294967295u,
            hn::parseCommandLine({"--seed", "4294967295"}, error)->seed);
  for (const std::vector<std::string>& wrong :
       {std::vector<std::string>{"--seed", "-1"},
        {"--seed", "4294967296"},
        {"--seed", "7x"},
        {"--seed", ""},
        {"--seed"},
        {"seed"}}) {
    EXPECT_FALSE(hn::parseCommandLine(wrong, error)) << wrong.back();
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
