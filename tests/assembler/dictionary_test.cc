#include "assembler/dictionary.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace hn {
namespace {

std::vector<std::string> load(const std::string& text) {
  std::istringstream in(text);
  return loadDictionary(in);
}

TEST(LoadDictionary, EntryZeroIsAaAndLineIIsEntryI) {
  const std::vector<std::string> want{"aa", "cat", "dog"};
  EXPECT_EQ(want, load("cat\ndog"));
  EXPECT_EQ(want, load("cat\ndog\n"));
}

TEST(LoadDictionary, AnEmptyLastLineIsAnEntry) {
  EXPECT_EQ((std::vector<std::string>{"aa", "cat", "dog", ""}),
            load("cat\ndog\n\n"));
}

TEST(LoadDictionary, LinesAreTakenWhole) {
  EXPECT_EQ((std::vector<std::string>{"aa", " ice cream ", "", "x"}),
            load(" ice cream \n\nx\n"));
}

TEST(LoadDictionary, ACarriageReturnEndingALineIsDropped) {
  EXPECT_EQ((std::vector<std::string>{"aa", "cat", "", "dog", "a\rb"}),
            load("cat\r\n\r\ndog\r\na\rb\r"));
}

TEST(LoadDictionary, AnEmptyFileGivesOnlyAa) {
  EXPECT_EQ(std::vector<std::string>{"aa"}, load(""));
}

}  // namespace
}  // namespace hn
