#include "learner/driver/run_script.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

using hn::RunScriptEntries;

RunScriptEntries parse(const std::string& script) {
  std::istringstream in(script);
  return hn::parseRunScript(in);
}

const char* const kTenLines =
    "1\n3\n2\n5\n0.5\n30\ns.csv\ni.csv\nout.txt\nimg.txt\n";

TEST(RunScript, TakesTheFirstTokenOfEachLine) {
  const RunScriptEntries plain = parse(kTenLines);
  EXPECT_EQ((RunScriptEntries{"1", "3", "2", "5", "0.5", "30", "s.csv", "i.csv",
                              "out.txt", "img.txt"}),
            plain);
  EXPECT_EQ(plain, parse("1 direction\n3 words\n2\t images\n5\n0.5\n30\n"
                         "s.csv x\ni.csv\nout.txt\nimg.txt trailing\n"));
  EXPECT_EQ("s.csv,i.csv", hn::dataFileNames(plain));
}

TEST(RunScript, LeadingBlanksAndTabsAndCarriageReturnsAreNotPartOfTokens) {
  EXPECT_EQ("tok", parse("  \t tok\r\n")[0]);
}

TEST(RunScript, BlankAndMissingLinesRepeatTheEntryBefore) {
  const RunScriptEntries blankLine3 = parse("1\n3\n2\n  \n0.5\n");
  EXPECT_EQ("2", blankLine3[3]);
  EXPECT_EQ("0.5", blankLine3[4]);
  EXPECT_EQ("0.5", blankLine3[9]);

  const RunScriptEntries sixLines = parse("1\n3\n2\n5\n0.5\n30\n");
  EXPECT_EQ("30,30", hn::dataFileNames(sixLines));
  EXPECT_EQ("30", sixLines[9]);

  const RunScriptEntries blankFirst = parse("\n3\n\n");
  EXPECT_EQ("", blankFirst[0]);
  EXPECT_EQ("3", blankFirst[2]);

  EXPECT_EQ("last", parse("a\nb\nlast")[9]);
}

TEST(RunScript, AnEmptyScriptGivesTenEmptyEntries) {
  const RunScriptEntries empty = parse("");
  EXPECT_EQ(RunScriptEntries{}, empty);
  EXPECT_EQ(",", hn::dataFileNames(empty));
}

}  // namespace
