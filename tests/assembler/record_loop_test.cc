#include "assembler/record_loop.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace hn {
namespace {

// Word value i is spelled as the number i, so lines show which values were
// written.
std::string assembled(const std::string& input) {
  std::vector<std::string> dictionary{"aa"};
  for (int i = 1; i < 20; ++i) dictionary.push_back(std::to_string(i));
  std::istringstream in(input);
  std::ostringstream out;
  assembleRecords(in, dictionary, out);
  return out.str();
}

TEST(AssembleRecords, OneLinePerRecordInInputOrder) {
  EXPECT_EQ("1 2 9 4 \n5 6 \n",
            assembled("line : 0\n"
                      "{(1,2,3):3}\n{(1,2,9):2}\n{(2,9,4):1}\n"
                      "line : 1\n"
                      "{(5,6,7):1}\n"));
}

TEST(AssembleRecords, FirstLineIsIgnoredWhateverItHolds) {
  EXPECT_EQ("3 \n", assembled("{(1,2):5}\n{(3,4):5}\n"));
  EXPECT_EQ("\n", assembled("line : 0\n"));
  EXPECT_EQ("\n", assembled("\n"));
  EXPECT_EQ("", assembled(""));
}

TEST(AssembleRecords, EveryLineStartingWithLowerCaseLStartsARecord) {
  EXPECT_EQ("1 \n\n2 \n3 \n4 5 \n", assembled("line : 0\n{(1,9):1}\n"
                                              "line : 7\n"
                                              "l\n{(2,9):1}\n"
                                              "lemma\n{(3,9):1}\n"
                                              "Line : 7\n{(4,5,9):1}\n"
                                              "line : 8\n{(4,5,6):1}\n"));
}

TEST(AssembleRecords, FragmentsWeighingLessThanOneAreDropped) {
  EXPECT_EQ("1 2 \n", assembled("line : 0\n{(1,2,3):2}\n"));
  EXPECT_EQ("1 2 \n", assembled("line : 0\n{(1,2,3):1}\n"));
  EXPECT_EQ("\n", assembled("line : 0\n{(1,2,3):0.999}\n"));
  EXPECT_EQ("4 5 \n", assembled("line : 0\n{(1,2,3):0.999}\n{(4,5,6):1}\n"));
}

TEST(AssembleRecords, LinesThatAreNoFragmentAreSkipped) {
  EXPECT_EQ("1 2 3 \n", assembled("line : 0\n\nstray text\n{(1,2,7):1}\n7\n"
                                  "{(bad,2):1}\n{(1,2,3):1}\n{(2,3,4):"));
}

TEST(AssembleRecords, LastLineWithoutLineBreakStillCounts) {
  EXPECT_EQ("1 \n7 8 \n",
            assembled("line : 0\n{(1,2):1}\nline : 1\n{(7,8,9):1}"));
}

TEST(AssembleRecords, ValuesOf1000OrMoreAreMatchedButNotWritten) {
  EXPECT_EQ("1 2 \n\n",
            assembled("line : 0\n{(1,1000,5):1}\n{(1,1000,2000):1}\n"
                      "{(1000,2000,2):1}\n{(2000,2,30005):1}\n"
                      "line : 1\n{(1000,1001,5):1}\n"));
}

TEST(AssembleRecords, AnInfiniteWeightIsTheStrongestNotALostOne) {
  // The learner writes "inf" once weights overflow; "nan" weighs nothing.
  EXPECT_EQ("1 2 \n", assembled("line : 0\n{(1,2,3):inf}\n{(2,3,4):2}\n"));
  EXPECT_EQ("2 3 \n", assembled("line : 0\n{(1,2,3):nan}\n{(2,3,4):2}\n"));
}

TEST(AssembleRecords, CrLfLineEndsGiveTheSameSentences) {
  const std::string lf =
      "line : 0\n{(1,2,3):3}\n{(2,3,4):2}\nline : 1\n\n{(5,6):1}\n";
  std::string crlf;
  for (const char c : lf)
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ("1 2 \n5 \n", assembled(lf));
  EXPECT_EQ(assembled(lf), assembled(crlf));
}

TEST(AssembleRecords, AFailedWriteStopsTheReading) {
  std::vector<std::string> dictionary{"aa"};
  std::istringstream in("line : 0\n{(1,2):3}\nline : 1\n{(1,2):3}\n");
  std::ostringstream out;
  out.setstate(std::ios::badbit);
  assembleRecords(in, dictionary, out);
  // Stopped at the second record's header: its fragment is left unread.
  std::string rest;
  std::getline(in, rest);
  EXPECT_EQ("{(1,2):3}", rest);
}

}  // namespace
}  // namespace hn
