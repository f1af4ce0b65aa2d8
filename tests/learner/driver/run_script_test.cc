#include "learner/driver/run_script.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

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

RunScriptEntries withEntry(std::size_t index, const std::string& value) {
  RunScriptEntries entries = parse(kTenLines);
  entries[index] = value;
  return entries;
}

TEST(RunScriptFaults, ARunnableScriptHasNone) {
  EXPECT_EQ(std::vector<std::string>{}, hn::runScriptFaults(parse(kTenLines)));
  EXPECT_EQ(std::vector<std::string>{}, hn::runScriptFaults(parse("")));
  // Text without digits reads as 0, which runs; so do large finite values.
  for (const std::string value : {"0", "x", "-0", "1e308", "-3.5", "0x10"}) {
    EXPECT_EQ(std::vector<std::string>{},
              hn::runScriptFaults(withEntry(hn::kWeightUpdateEntry, value)))
        << value;
  }
  // A perLine past the 32-bit range reads as 2147483647 and runs too.
  for (const std::string value : {"2147483647", "1000000000000"}) {
    EXPECT_EQ(std::vector<std::string>{},
              hn::runScriptFaults(withEntry(hn::kPerLineEntry, value)))
        << value;
  }
}

TEST(RunScriptFaults, ANonFiniteWeightUpdateParameterIsNamedWithLine5) {
  for (const std::string value :
       {"inf", "-inf", "nan", "NAN", "infinity", "1e309", "-1e400"}) {
    EXPECT_EQ((std::vector<std::string>{
                  "line 5 of configure.txt: the weight-update parameter \"" +
                  value + "\" is not a finite number"}),
              hn::runScriptFaults(withEntry(hn::kWeightUpdateEntry, value)))
        << value;
  }
}

TEST(RunScriptFaults, NegativeCountsAreNamedWithTheirLines) {
  EXPECT_EQ((std::vector<std::string>{
                "line 4 of configure.txt: the number of epochs \"-1\" is "
                "negative"}),
            hn::runScriptFaults(withEntry(hn::kEpochsEntry, "-1")));
  EXPECT_EQ((std::vector<std::string>{
                "line 6 of configure.txt: the number of hyperedges per pair "
                "\"-99999999999\" is negative"}),
            hn::runScriptFaults(withEntry(hn::kPerLineEntry, "-99999999999")));

  RunScriptEntries all = parse(kTenLines);
  all[hn::kOrderEntry] = "70000";
  all[hn::kOrder2Entry] = "-5";
  all[hn::kEpochsEntry] = "-2";
  all[hn::kWeightUpdateEntry] = "nan";
  all[hn::kPerLineEntry] = "-1";
  const std::vector<std::string> faults = hn::runScriptFaults(all);
  ASSERT_EQ(5u, faults.size());
  for (std::size_t i = 0; i < faults.size(); ++i) {
    EXPECT_EQ(0u, faults[i].find("line " + std::to_string(i + 2) + " of "))
        << faults[i];
  }
}

TEST(RunScriptFaults, OrdersAreRefusedBelowZeroAndAboveTheirCaps) {
  const struct {
    std::size_t entry;
    std::string value;
    std::string fault;  // empty: taken
  } cases[] = {
      {hn::kOrderEntry, "0", ""},
      {hn::kOrderEntry, "60000", ""},
      {hn::kOrderEntry, "60000x", ""},
      {hn::kOrderEntry, "words", ""},
      {hn::kOrderEntry, "-1",
       "line 2 of configure.txt: the number of sentence words per hyperedge "
       "\"-1\" is negative"},
      {hn::kOrderEntry, "60001",
       "line 2 of configure.txt: the number of sentence words per hyperedge "
       "\"60001\" is above 60000, the most a run takes"},
      {hn::kOrderEntry, "99999999999",
       "line 2 of configure.txt: the number of sentence words per hyperedge "
       "\"99999999999\" is above 60000, the most a run takes"},
      {hn::kOrder2Entry, "0", ""},
      {hn::kOrder2Entry, "4800", ""},
      {hn::kOrder2Entry, "-2147483648",
       "line 3 of configure.txt: the number of image values per hyperedge "
       "\"-2147483648\" is negative"},
      {hn::kOrder2Entry, "4801",
       "line 3 of configure.txt: the number of image values per hyperedge "
       "\"4801\" is above 4800, the positions of an image"},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> want =
        c.fault.empty() ? std::vector<std::string>{}
                        : std::vector<std::string>{c.fault};
    EXPECT_EQ(want, hn::runScriptFaults(withEntry(c.entry, c.value)))
        << c.value;
  }
}

}  // namespace
