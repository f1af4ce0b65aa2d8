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
  EXPECT_EQ(hn::OutputFlushing::kEveryLine, parsed->flushing);
}

TEST(CommandLine, WholeRecordsIsAFlagThatCombinesWithEveryRun) {
  std::string error;
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--whole-records"},
        {"--seed", "3", "--whole-records", "--save-model", "m"},
        {"--whole-records", "--load-model", "m", "--threads", "2"}}) {
    const auto parsed = hn::parseCommandLine(arguments, error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_EQ(hn::OutputFlushing::kWholeRecords, parsed->flushing)
        << arguments.size();
  }
  for (const std::vector<std::string>& wrong :
       {std::vector<std::string>{"--whole-records=1"},
        {"--whole-record"},
        {"--whole-records", "yes"}}) {
    EXPECT_FALSE(hn::parseCommandLine(wrong, error)) << wrong.back();
    EXPECT_NE(std::string::npos, error.find("unknown argument")) << error;
  }
  EXPECT_NE(std::string::npos, std::string(hn::kUsage).find("--whole-records"));
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

namespace {

TEST(CommandLine, ModelOptionsTakeAFileName) {
  std::string error;
  const auto save = hn::parseCommandLine(
      {"--save-model", "m.model", "--seed", "3", "--quiet"}, error);
  ASSERT_TRUE(save) << error;
  EXPECT_EQ("m.model", save->saveModel);
  EXPECT_FALSE(save->loadModel);
  EXPECT_TRUE(save->quiet);
  const auto load = hn::parseCommandLine({"--load-model", "-x"}, error);
  ASSERT_TRUE(load) << error;
  EXPECT_EQ("-x", load->loadModel);
  EXPECT_FALSE(load->quiet);
  // Continuing may save over the file it continues from.
  const auto continued = hn::parseCommandLine(
      {"--continue-from", "m.model", "--save-model", "m.model"}, error);
  ASSERT_TRUE(continued) << error;
  EXPECT_EQ("m.model", continued->continueFrom);
  EXPECT_EQ("m.model", continued->saveModel);

  for (const std::vector<std::string>& wrong :
       {std::vector<std::string>{"--save-model"},
        {"--load-model", ""},
        {"--save-model", "a", "--load-model", "b"},
        {"--continue-from"},
        {"--continue-from", "a", "--load-model", "b"}}) {
    EXPECT_FALSE(hn::parseCommandLine(wrong, error)) << wrong.front();
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
