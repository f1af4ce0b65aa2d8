// hn_learner on bad input and faults: what it says, its exit status, and
// which files it leaves as they were. Each test backs a row of the README's
// "Bad input" table.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "testing/program_folder.h"

namespace {

namespace fs = std::filesystem;

using hn::testing::ProgramResult;

class LearnerFolder : public hn::testing::ProgramFolder {
 public:
  LearnerFolder() : ProgramFolder(HN_LEARNER_PATH, "hn_learner_bad_input") {}

  // Every file in the folder with its content (a folder as "<folder>", a
  // link as "-> target").
  std::map<std::string, std::string> files() const {
    std::map<std::string, std::string> contents;
    for (const fs::directory_entry& entry : fs::directory_iterator(work())) {
      const std::string name = entry.path().filename().string();
      if (entry.is_symlink()) {
        contents[name] = "-> " + fs::read_symlink(entry.path()).string();
      } else if (entry.is_directory()) {
        contents[name] = "<folder>";
      } else {
        contents[name] = read(name);
      }
    }
    return contents;
  }
};

std::string csvLine(std::size_t count, int value) {
  std::string line;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) line += ',';
    line += std::to_string(value);
  }
  return line + '\n';
}

// The run script's ten lines, by default image to text over s.csv and
// i.csv into text.txt; `changes` replaces lines by number (1 to 10).
std::string runScript(const std::map<int, std::string>& changes = {}) {
  std::array<std::string, 10> lines = {"1",        "2",        "1",     "2",
                                       "0.5",      "4",        "s.csv", "i.csv",
                                       "text.txt", "image.txt"};
  for (const auto& [line, value] : changes) lines[line - 1] = value;
  std::string script;
  for (const std::string& line : lines) script += line + '\n';
  return script;
}

// Two pairs whose images share no value at any position, and a run script.
void writeData(const LearnerFolder& folder,
               const std::map<int, std::string>& changes = {}) {
  folder.write("s.csv", "1,2,3\n4,5,6\n");
  folder.write("i.csv", csvLine(4800, 1) + csvLine(4800, 2));
  folder.write("configure.txt", runScript(changes));
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// --- An output that is a file the run reads ---------------------------------

TEST(LearnerSameFile, AnOutputNamingAnInputIsRefusedAndTouchesNothing) {
  const struct {
    std::map<int, std::string> changes;
    std::string message;
  } cases[] = {
      {{{9, "s.csv"}},
       "the output file \"s.csv\" on line 9 of configure.txt is the same file "
       "as the sentence file \"s.csv\" on line 7 of configure.txt"},
      {{{9, "i.csv"}},
       "the output file \"i.csv\" on line 9 of configure.txt is the same file "
       "as the image file \"i.csv\" on line 8 of configure.txt"},
      {{{1, "0"}, {10, "./s.csv"}},
       "the output file \"./s.csv\" on line 10 of configure.txt is the same "
       "file as the sentence file \"s.csv\" on line 7 of configure.txt"},
      {{{9, "configure.txt"}},
       "the output file \"configure.txt\" on line 9 of configure.txt is the "
       "same file as the run script \"configure.txt\" itself"},
      {{{9, "result.txt"}},
       "the output file \"result.txt\" on line 9 of configure.txt is the "
       "same file as the training log \"result.txt\""},
      {{{7, "result.txt"}},
       "the training log \"result.txt\" is the same file as the sentence "
       "file \"result.txt\" on line 7 of configure.txt"},
  };
  for (const auto& c : cases) {
    LearnerFolder folder;
    writeData(folder, c.changes);
    folder.write("result.txt", "an earlier log\n");
    const auto before = folder.files();
    const ProgramResult run = folder.run("--seed 1");
    EXPECT_EQ(2, run.status) << c.message;
    EXPECT_EQ("hn_learner: " + c.message + "; nothing was trained or written\n",
              run.err);
    EXPECT_EQ(before, folder.files()) << c.message;
  }
}

TEST(LearnerSameFile, ALinkToAnInputIsTheSameFile) {
  LearnerFolder folder;
  writeData(folder, {{9, "link.csv"}});
  fs::create_symlink("i.csv", folder.work() / "link.csv");
  const auto before = folder.files();
  const ProgramResult run = folder.run();
  EXPECT_EQ(2, run.status);
  EXPECT_TRUE(contains(run.err, "\"link.csv\" on line 9"));
  EXPECT_TRUE(contains(run.err, "\"i.csv\" on line 8"));
  EXPECT_EQ(before, folder.files());
}

TEST(LearnerSameFile, TheUnselectedOutputMayNameAnInput) {
  LearnerFolder folder;
  // Direction 1 writes line 9's file only; line 10 is never opened.
  writeData(folder, {{10, "s.csv"}});
  EXPECT_EQ(0, folder.run("--seed 1").status);
  EXPECT_EQ("1,2,3\n4,5,6\n", folder.read("s.csv"));
}

TEST(LearnerSameFile, AModelFileNamingAnInputOrOutputIsRefused) {
  const struct {
    std::string arguments;
    std::string message;
  } cases[] = {
      {"--save-model s.csv",
       "the model file \"s.csv\" of --save-model is the same file as the "
       "sentence file \"s.csv\" on line 7 of configure.txt; nothing was "
       "trained or written"},
      {"--save-model text.txt",
       "the output file \"text.txt\" on line 9 of configure.txt is the same "
       "file as the model file \"text.txt\" of --save-model; nothing was "
       "trained or written"},
      {"--load-model m.model",
       "the output file \"m.model\" on line 9 of configure.txt is the same "
       "file as the model file \"m.model\" of --load-model; nothing was "
       "written"},
      {"--load-model other.model",
       "the output file \"m.model\" on line 9 of configure.txt is the same "
       "file as the run script \"configure.txt\" itself; nothing was "
       "written"},
  };
  for (const auto& c : cases) {
    LearnerFolder folder;
    const bool saving = c.arguments.rfind("--save-model", 0) == 0;
    // Saving runs write text.txt; loading runs write m.model (line 9).
    writeData(folder, saving ? std::map<int, std::string>{}
                             : std::map<int, std::string>{{9, "m.model"}});
    folder.write("text.txt", "an earlier output\n");
    if (c.arguments == "--load-model other.model") {
      // m.model is another name of configure.txt.
      fs::create_symlink("configure.txt", folder.work() / "m.model");
      folder.write("other.model", "another model\n");
    } else {
      folder.write("m.model", "a saved model\n");
    }
    const auto before = folder.files();
    const ProgramResult run = folder.run(c.arguments);
    EXPECT_EQ(2, run.status) << c.arguments << run.err;
    EXPECT_EQ("hn_learner: " + c.message + "\n", run.err) << c.arguments;
    EXPECT_EQ(before, folder.files()) << c.arguments;
  }
}

// --- Data that cannot be read ------------------------------------------------

TEST(LearnerUnreadableData, ADataFileThatIsAFolderFailsWithStatus1) {
  for (const std::string name : {"s.csv", "i.csv"}) {
    LearnerFolder folder;
    writeData(folder);
    fs::remove(folder.work() / name);
    fs::create_directory(folder.work() / name);
    const ProgramResult run = folder.run("--seed 1");
    EXPECT_EQ(1, run.status) << name;
    EXPECT_TRUE(contains(run.err, name + ":1: read error, reading stopped"))
        << run.err;
    EXPECT_TRUE(contains(run.err, "could not be read; the run had no data"))
        << run.err;
    EXPECT_TRUE(contains(run.out, "#0 Data Read Complete. 0 read.")) << name;
    EXPECT_EQ("", folder.read("text.txt")) << name;
  }
}

TEST(LearnerUnreadableData, ARunScriptThatIsAFolderWritesNothing) {
  LearnerFolder folder;
  fs::create_directory(folder.work() / "configure.txt");
  const ProgramResult run = folder.run();
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(",\n", run.out);
  EXPECT_EQ(
      "hn_learner: cannot read configure.txt in the working directory; "
      "nothing was trained\n",
      run.err);
  EXPECT_EQ(1u, folder.files().size());
}

// --- Outputs that cannot be written -----------------------------------------

TEST(LearnerFullDisk, AFailedWriteOfResultTxtIsNamedWithStatus1) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  LearnerFolder folder;
  writeData(folder);
  fs::create_symlink("/dev/full", folder.work() / "result.txt");
  const ProgramResult run = folder.run("--seed 1");
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(contains(run.err, "cannot write result.txt")) << run.err;
  // The output file is still written in full.
  EXPECT_TRUE(contains(folder.read("text.txt"), "line : 1\n")) << run.err;
}

TEST(LearnerFullDisk, AFailedWriteOfTheOutputFileIsNamedWithStatus1) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  for (const std::string direction : {"0", "1"}) {
    LearnerFolder folder;
    writeData(folder, {{1, direction}, {9, "/dev/full"}, {10, "/dev/full"}});
    const ProgramResult run = folder.run("--seed 1");
    EXPECT_EQ(1, run.status) << direction;
    EXPECT_TRUE(
        contains(run.err, "writing the output file \"/dev/full\" failed"))
        << run.err;
  }
}

TEST(LearnerFullDisk, AResultTxtThatCannotBeCreatedStopsBeforeTraining) {
  LearnerFolder folder;
  writeData(folder);
  fs::create_directory(folder.work() / "result.txt");
  const ProgramResult run = folder.run("--seed 1");
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(
      "hn_learner: cannot create the training log \"result.txt\" in the "
      "working directory; nothing was trained\n",
      run.err);
  EXPECT_EQ("s.csv,i.csv\n", run.out);
  EXPECT_FALSE(folder.exists("text.txt"));
}

// --- Run-script values that no training may start with ----------------------

TEST(LearnerRunScriptValues, ANonFiniteWeightUpdateParameterIsRefused) {
  for (const std::string value : {"inf", "nan", "-inf", "1e309"}) {
    LearnerFolder folder;
    writeData(folder, {{5, value}});
    folder.write("text.txt", "an earlier output\n");
    const auto before = folder.files();
    const ProgramResult run = folder.run("--seed 1");
    EXPECT_EQ(2, run.status) << value;
    EXPECT_EQ(
        "hn_learner: line 5 of configure.txt: the weight-update "
        "parameter \"" +
            value +
            "\" is not a finite number\n"
            "hn_learner: nothing was trained\n",
        run.err);
    EXPECT_EQ("s.csv,i.csv\n", run.out) << value;
    EXPECT_EQ(before, folder.files()) << value;
  }
}

TEST(LearnerRunScriptValues, NegativeCountsAreRefused) {
  const struct {
    int line;
    std::string message;
  } cases[] = {
      {4, "line 4 of configure.txt: the number of epochs \"-1\" is negative"},
      {6,
       "line 6 of configure.txt: the number of hyperedges per pair \"-1\" "
       "is negative"},
  };
  for (const auto& c : cases) {
    LearnerFolder folder;
    writeData(folder, {{c.line, "-1"}});
    // On a learner that takes -1 as about 4 billion, the limits end the run.
    const ProgramResult run =
        folder.run("--seed 1", hn::testing::memoryLimit(2000000));
    EXPECT_EQ(2, run.status) << c.line;
    EXPECT_EQ(
        "hn_learner: " + c.message + "\nhn_learner: nothing was trained\n",
        run.err);
    EXPECT_FALSE(folder.exists("result.txt")) << c.line;
    EXPECT_FALSE(folder.exists("text.txt")) << c.line;
  }
}

TEST(LearnerRunScriptValues, AFiniteButHugeParameterRunsAndWritesInf) {
  LearnerFolder folder;
  writeData(folder, {{5, "1e308"}, {4, "4"}});
  const ProgramResult run = folder.run("--seed 1");
  EXPECT_EQ(0, run.status) << run.err;
  // Weights overflow to inf, which the assembler reads as the heaviest.
  EXPECT_TRUE(contains(folder.read("text.txt"), ":inf}\n"));
}

TEST(LearnerMemory, RunningOutOfMemoryEndsWithTheMessageAndStatus255) {
  if (hn::testing::kAddressSanitizer) {
    GTEST_SKIP() << "AddressSanitizer cannot run under a memory limit";
  }
  // A million hyperedges per pair, nearly all distinct: far beyond each
  // limit. Which allocation fails first depends on the limit, so three are
  // tried: a failure anywhere must end the same way.
  for (const long limit : {20000L, 30000L, 40000L}) {
    LearnerFolder folder;
    writeData(folder, {{3, "3"}, {6, "1000000"}});
    const ProgramResult run =
        folder.run("--seed 1", hn::testing::memoryLimit(limit));
    EXPECT_EQ(255, run.status) << limit << run.err;
    EXPECT_EQ("cannot allocate memory!!\n", run.err) << limit;
  }
}

// --- The wildcard value in a sentence ---------------------------------------

TEST(LearnerWildcard, ASentenceValueOfMinusOneIsNamedOnceWithItsLine) {
  LearnerFolder folder;
  writeData(folder);
  folder.write("s.csv", "1,2,3\n4,-1,6\n-1,7,8\n");
  folder.write("i.csv", csvLine(4800, 1) + csvLine(4800, 2) + csvLine(4800, 3));
  const ProgramResult run = folder.run("--seed 1");
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(
      "s.csv:2: sentence value -1 is the wildcard: its hyperedges match every "
      "window, so it changes the output of every pair (said for the first "
      "such line only)\n",
      run.err);
}

// --- A killed run
// -------------------------------------------------------------

TEST(LearnerKilled, AKilledRunKeepsTheEarlierOutputAndWholeLogLines) {
  LearnerFolder folder;
  writeData(folder, {{4, "100000000"}});
  folder.write("text.txt", "an earlier output\n");
  const pid_t learner = folder.start();
  ASSERT_TRUE(hn::testing::waitFor([&folder] {
    return folder.read("result.txt").find("epoch: 3 ") != std::string::npos;
  }));
  ASSERT_TRUE(LearnerFolder::kill(learner));
  EXPECT_EQ("an earlier output\n", folder.read("text.txt"));
  // Every line is flushed as it is written: none is cut short.
  const std::string log = folder.read("result.txt");
  ASSERT_FALSE(log.empty());
  EXPECT_EQ('\n', log.back());
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_EQ(0u, line.find('#')) << line;
    EXPECT_TRUE(contains(line, " accuracy: ")) << line;
  }
}

}  // namespace
