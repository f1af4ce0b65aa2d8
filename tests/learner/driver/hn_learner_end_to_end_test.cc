// Runs the built hn_learner in a fresh folder and checks what it writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "learner/driver/learner_folder_testing.h"

namespace {

using namespace hn::testing;

std::string firstLine(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

std::string csvLine(std::size_t count, int value) {
  std::string line;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) line += ',';
    line += std::to_string(value);
  }
  line += '\n';
  return line;
}

// A run script over s.csv and i.csv into text.txt or image.txt.
std::string runScript(const std::string& direction,
                      const std::string& perLine = "4",
                      const std::string& epochs = "2") {
  return direction + "\n2\n1\n" + epochs + "\n0.5\n" + perLine +
         "\ns.csv\ni.csv\ntext.txt\nimage.txt\n";
}

// Two pairs whose images share no value at any position.
void writeTwoPairs(const LearnerFolder& folder) {
  writeFile(folder.work() / "s.csv", "1,2,3\n4,5,6\n");
  writeFile(folder.work() / "i.csv", csvLine(4800, 1) + csvLine(4800, 2));
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

std::size_t countFields(const std::string& line) {
  std::size_t fields = 1;
  for (char c : line) fields += c == ' ';
  return fields;
}

TEST(LearnerEntry, PrintsTheJoinedDataFileNamesFirst) {
  LearnerFolder folder;
  writeFile(folder.work() / "configure.txt",
            "1\n2\n1\n1\n0.5\n3\ns.csv\ni.csv\nout.txt\nimg.txt\n");
  EXPECT_EQ("s.csv,i.csv", firstLine(folder.run().out));
}

TEST(LearnerEntry, WithoutARunScriptTheNamesAreEmpty) {
  LearnerFolder folder;
  EXPECT_EQ(",", firstLine(folder.run().out));
}

}  // namespace

namespace {

TEST(LearnerGeneration, DirectionZeroWritesOnlyTheImageFile) {
  LearnerFolder folder;
  writeTwoPairs(folder);
  writeFile(folder.work() / "configure.txt", runScript("0"));
  const ProgramResult run = folder.run("--seed 5");
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_FALSE(fs::exists(folder.work() / "text.txt"));
  const std::vector<std::string> image =
      lines(readFile(folder.work() / "image.txt"));
  ASSERT_EQ(4u, image.size());
  EXPECT_EQ("line : 0", image[0]);
  EXPECT_EQ("line : 1", image[2]);
  for (const std::string& values : {image[1], image[3]}) {
    EXPECT_EQ(4800u, countFields(values));
    EXPECT_EQ(std::string::npos, values.find("  "));
    EXPECT_NE(' ', values.front());
    EXPECT_NE(' ', values.back());
  }
}

TEST(LearnerGeneration, EveryOtherDirectionWritesOnlyTheTextFile) {
  for (const std::string direction : {"1", "00", ""}) {
    LearnerFolder folder;
    writeTwoPairs(folder);
    writeFile(folder.work() / "configure.txt", runScript(direction));
    const ProgramResult run = folder.run("--seed 5");
    EXPECT_EQ(0, run.status) << direction << run.err;
    EXPECT_FALSE(fs::exists(folder.work() / "image.txt")) << direction;
    const std::string text = readFile(folder.work() / "text.txt");
    EXPECT_EQ(0u, text.find("line : 0\n{(1,2):")) << direction << text;
    EXPECT_NE(std::string::npos, text.find("\nline : 1\n{(")) << direction;
  }
}

TEST(LearnerGeneration, APairWithoutFragmentsIsFollowedByTheNextHeader) {
  LearnerFolder folder;
  writeTwoPairs(folder);
  writeFile(folder.work() / "s.csv", "1,2,3\n4,5,6\n1,2,3\n");
  writeFile(folder.work() / "i.csv",
            csvLine(4800, 1) + csvLine(4800, 2) + csvLine(4800, 1));
  // perLine 0 samples a single hyperedge, from the first pair.
  writeFile(folder.work() / "configure.txt", runScript("1", "0", "1"));
  ASSERT_EQ(0, folder.run("--seed 5").status);
  const std::vector<std::string> text =
      lines(readFile(folder.work() / "text.txt"));
  ASSERT_EQ(5u, text.size());
  EXPECT_EQ("line : 1", text[2]);
  EXPECT_EQ("line : 2", text[3]);
  EXPECT_EQ(text[1], text[4]);
}

TEST(LearnerGeneration, AnEmptyDataSetGivesAnEmptyOutputFile) {
  LearnerFolder folder;
  writeFile(folder.work() / "s.csv", "");
  writeFile(folder.work() / "i.csv", "");
  writeFile(folder.work() / "configure.txt", runScript("1"));
  const ProgramResult run = folder.run();
  EXPECT_EQ(0, run.status);
  EXPECT_TRUE(fs::exists(folder.work() / "text.txt"));
  EXPECT_EQ("", readFile(folder.work() / "text.txt"));
  EXPECT_NE(std::string::npos,
            run.out.find("#0 Data Read Complete. 0 read.\n"));
}

TEST(LearnerFailures, UnreadableDataStillWritesTheOutputButFails) {
  LearnerFolder folder;
  writeFile(folder.work() / "configure.txt", runScript("1"));
  const ProgramResult run = folder.run();
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(0u, run.err.find("error: file to open file\n")) << run.err;
  EXPECT_NE(std::string::npos, run.err.find("\"s.csv\" and \"i.csv\""));
  EXPECT_EQ("", readFile(folder.work() / "text.txt"));
}

TEST(LearnerFailures, AnUncreatableOutputFileStopsBeforeTraining) {
  LearnerFolder folder;
  writeTwoPairs(folder);
  std::string script = runScript("1");
  script.replace(script.find("text.txt"), 8, "missing/text.txt");
  writeFile(folder.work() / "configure.txt", script);
  const ProgramResult run = folder.run();
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("s.csv,i.csv\n", run.out);
  EXPECT_NE(std::string::npos, run.err.find("\"missing/text.txt\""));
  EXPECT_FALSE(fs::exists(folder.work() / "result.txt"));
}

TEST(LearnerFailures, AMissingRunScriptWritesNoOutputAndSaysSo) {
  LearnerFolder folder;
  const ProgramResult run = folder.run();
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(",\n", run.out);
  EXPECT_NE(std::string::npos, run.err.find("configure.txt"));
  EXPECT_TRUE(fs::is_empty(folder.work()));
}

TEST(LearnerCommandLine, HelpAndUnknownArguments) {
  LearnerFolder folder;
  const ProgramResult help = folder.run("--help");
  EXPECT_EQ(0, help.status);
  EXPECT_EQ(0u, help.out.find("usage: hn_learner [--seed N] [--save-model"));
  EXPECT_NE(std::string::npos, help.out.find("--load-model FILE"));
  EXPECT_NE(std::string::npos, help.out.find("--quiet"));
  EXPECT_NE(std::string::npos, help.out.find("--threads N"));
  for (const std::string arguments : {"--bogus", "--seed", "--seed x1"}) {
    const ProgramResult wrong = folder.run(arguments);
    EXPECT_EQ(2, wrong.status) << arguments;
    EXPECT_EQ("", wrong.out) << arguments;
    EXPECT_NE(std::string::npos, wrong.err.find("usage: hn_learner"))
        << arguments;
  }
  EXPECT_TRUE(fs::is_empty(folder.work()));
}

TEST(LearnerCommandLine, ASeedMakesRunsByteIdentical) {
  std::string outputs[2];
  for (std::string& output : outputs) {
    LearnerFolder folder;
    writeTwoPairs(folder);
    writeFile(folder.work() / "configure.txt", runScript("1", "6", "3"));
    const ProgramResult run = folder.run("--seed 42");
    ASSERT_EQ(0, run.status);
    output = run.out + readFile(folder.work() / "result.txt") +
             readFile(folder.work() / "text.txt");
  }
  EXPECT_EQ(outputs[0], outputs[1]);
}

}  // namespace
