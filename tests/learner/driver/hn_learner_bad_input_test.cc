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
#include "testing/special_files.h"

namespace {

namespace fs = std::filesystem;

using hn::testing::ProgramResult;

class LearnerFolder : public hn::testing::ProgramFolder {
 public:
  LearnerFolder() : ProgramFolder(HN_LEARNER_PATH, "hn_learner_bad_input") {}

  // Every file in the folder with its content (a folder as "<folder>", a
  // link as "-> target", a FIFO or a device node by its kind, unopened).
  std::map<std::string, std::string> files() const {
    std::map<std::string, std::string> contents;
    for (const fs::directory_entry& entry : fs::directory_iterator(work())) {
      const std::string name = entry.path().filename().string();
      if (entry.is_symlink()) {
        contents[name] = "-> " + fs::read_symlink(entry.path()).string();
      } else if (entry.is_directory()) {
        contents[name] = "<folder>";
      } else if (entry.is_fifo()) {
        contents[name] = "<FIFO>";
      } else if (!entry.is_regular_file()) {
        contents[name] = "<device node>";
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

TEST(LearnerUnreadableData, ADataFileThatCannotBeOpenedIsNamedWithWhy) {
  LearnerFolder folder;
  writeData(folder);
  fs::remove(folder.work() / "i.csv");
  const ProgramResult run = folder.run("--seed 1");
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(
      "error: file to open file\n"
      "hn_learner: cannot open the image file \"i.csv\" on line 8 of "
      "configure.txt: No such file or directory\n"
      "hn_learner: the data files \"s.csv\" and \"i.csv\" could not be read; "
      "the run had no data\n",
      run.err);
}

TEST(LearnerUnreadableData, NoPairReadIsNamedAndTheRunStillSucceeds) {
  const struct {
    std::string sentences;
    std::string images;
  } cases[] = {
      {"", ""},
      // Every sentence shorter than the order of 2.
      {"1\n2\n", csvLine(4800, 1) + csvLine(4800, 2)},
  };
  for (const auto& c : cases) {
    LearnerFolder folder;
    writeData(folder);
    folder.write("s.csv", c.sentences);
    folder.write("i.csv", c.images);
    const ProgramResult run = folder.run("--seed 1");
    EXPECT_EQ(0, run.status) << c.sentences;
    EXPECT_TRUE(contains(run.out, "#0 Data Read Complete. 0 read.\n"));
    EXPECT_TRUE(contains(folder.read("result.txt"), "epoch: 1 accuracy: "));
    EXPECT_EQ(
        "hn_learner: no sentence-image pair was read from \"s.csv\" and "
        "\"i.csv\", so the accuracy, a mean over the pairs, is -nan\n",
        run.err);
  }
}

TEST(LearnerUnreadableData, AnEmptyRunScriptIsNamedAsEmpty) {
  for (const std::string script : {"", " \n\t\n\n"}) {
    LearnerFolder folder;
    folder.write("configure.txt", script);
    const ProgramResult run = folder.run("--seed 1");
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(
        "hn_learner: the run script configure.txt is empty; nothing was "
        "trained\n",
        run.err);
    EXPECT_EQ(1u, folder.files().size());
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

// A disk that fills up is played by a limit on the size of every file the
// run writes.
TEST(LearnerFullDisk, AFailedWriteOfResultTxtIsNamedWithStatus1) {
  LearnerFolder folder;
  // 300 epochs: result.txt (13 KiB) outgrows the limit (2 or 4 KiB), the
  // output file does not.
  writeData(folder, {{4, "300"}});
  const ProgramResult run = folder.runWithFileSizeLimit("--seed 1", 4);
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(
      "cannot write result.txt (File too large): the accuracy lines go to "
      "standard output only\n",
      run.err);
  EXPECT_TRUE(contains(run.out, "epoch: 300 accuracy: ")) << run.out;
  // The output file is still written in full.
  EXPECT_TRUE(contains(folder.read("text.txt"), "line : 1\n")) << run.err;
}

TEST(LearnerFullDisk, AFailedWriteOfTheOutputFileIsNamedWithStatus1) {
  // Sentences of 200 words, 400 hyperedges per pair: either output
  // outgrows the limit, result.txt does not.
  std::string sentences;
  for (int word = 0; word < 400; ++word) {
    sentences += std::to_string(word) + (word % 200 == 199 ? '\n' : ',');
  }
  for (const std::string direction : {"0", "1"}) {
    for (const std::string arguments :
         {"--seed 1", "--seed 1 --whole-records"}) {
      LearnerFolder folder;
      writeData(folder, {{1, direction}, {6, "400"}});
      folder.write("s.csv", sentences);
      const ProgramResult run = folder.runWithFileSizeLimit(arguments, 1);
      EXPECT_EQ(1, run.status) << direction << " " << arguments;
      const std::string output = direction == "0" ? "image.txt" : "text.txt";
      EXPECT_EQ(
          "hn_learner: writing the output file \"" + output + "\" failed\n",
          run.err)
          << arguments;
    }
  }
}

TEST(LearnerFullDisk, AResultTxtThatCannotBeCreatedStopsBeforeTraining) {
  LearnerFolder folder;
  writeData(folder);
  // A link into a folder that does not exist.
  fs::create_symlink("missing/log.txt", folder.work() / "result.txt");
  const ProgramResult run = folder.run("--seed 1");
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(
      "hn_learner: cannot create the training log \"result.txt\" in the "
      "working directory; nothing was trained\n",
      run.err);
  EXPECT_EQ("s.csv,i.csv\n", run.out);
  EXPECT_FALSE(folder.exists("text.txt"));
}

TEST(LearnerStandardOutput, AFailedWriteIsNamedWithStatus1) {
  for (const std::string arguments : {"--seed 1", "--help"}) {
    LearnerFolder folder;
    writeData(folder);
    // A full device of the test's own.
    if (!hn::testing::makeSpecialFile(folder.work() / "full", "a device node",
                                      1, 7)) {
      GTEST_SKIP() << "mknod is not permitted here";
    }
    const ProgramResult run = folder.runWithStandardOutput(arguments, ">full");
    EXPECT_EQ(1, run.status) << arguments;
    EXPECT_TRUE(
        contains(run.err, "hn_learner: writing to standard output failed\n"))
        << arguments << ": " << run.err;
  }
}

// --- Outputs that are not regular files ------------------------------------

TEST(LearnerSpecialOutputs, AFolderAFifoOrADeviceIsRefusedBeforeAnything) {
  const struct {
    std::map<int, std::string> changes;
    std::string arguments;
    std::string special;
    std::string origin;
  } cases[] = {
      {{},
       "--seed 1",
       "text.txt",
       "the output file \"text.txt\" on line 9 of configure.txt"},
      {{{1, "0"}},
       "--seed 1",
       "image.txt",
       "the output file \"image.txt\" on line 10 of configure.txt"},
      {{}, "--seed 1", "result.txt", "the training log \"result.txt\""},
      {{},
       "--save-model m.model",
       "m.model",
       "the model file \"m.model\" of --save-model"},
      // Links are followed to the file they lead to.
      {{{9, "link.txt"}},
       "--seed 1",
       "special",
       "the output file \"link.txt\" on line 9 of configure.txt"},
      {{},
       "--load-model any.model",
       "text.txt",
       "the output file \"text.txt\" on line 9 of configure.txt"},
  };
  for (const auto& c : cases) {
    for (const std::string kind : hn::testing::kSpecialKinds) {
      LearnerFolder folder;
      writeData(folder, c.changes);
      fs::create_symlink("special", folder.work() / "link.txt");
      if (!hn::testing::makeSpecialFile(folder.work() / c.special, kind)) {
        continue;  // mknod is not permitted here
      }
      const auto before = folder.files();
      const ProgramResult run = folder.run(c.arguments);
      const std::string what = c.special + " as " + kind;
      EXPECT_EQ(2, run.status) << what;
      const bool loading = c.arguments.starts_with("--load-model");
      EXPECT_EQ("hn_learner: " + c.origin + " is " + kind +
                    ", not a regular file; nothing was " +
                    (loading ? "written" : "trained or written") + "\n",
                run.err)
          << what;
      EXPECT_EQ(before, folder.files()) << what;
    }
  }
}

TEST(LearnerLinkedOutputs, EveryOutputIsWrittenThroughItsLinkWhichStays) {
  LearnerFolder plain;
  writeData(plain);
  ASSERT_EQ(0, plain.run("--seed 1 --save-model m.model").status);

  LearnerFolder linked;
  writeData(linked);
  // Links to a missing file, and to an earlier model that is replaced.
  fs::create_symlink("target.txt", linked.work() / "text.txt");
  fs::create_symlink("log.txt", linked.work() / "result.txt");
  fs::create_symlink("saved.model", linked.work() / "m.model");
  linked.write("saved.model", "an earlier model\n");
  const ProgramResult run = linked.run("--seed 1 --save-model m.model");
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ("", run.err);
  const auto files = linked.files();
  EXPECT_EQ("-> target.txt", files.at("text.txt"));
  EXPECT_EQ("-> log.txt", files.at("result.txt"));
  EXPECT_EQ("-> saved.model", files.at("m.model"));
  EXPECT_EQ(plain.read("text.txt"), files.at("target.txt"));
  EXPECT_EQ(plain.read("result.txt"), files.at("log.txt"));
  EXPECT_EQ(plain.read("m.model"), files.at("saved.model"));
}

// --- Two runs in one folder ------------------------------------------------

TEST(LearnerRunLock, ASecondRunIsRefusedAndAKilledRunLeavesNoLock) {
  LearnerFolder folder;
  writeData(folder, {{4, "100000000"}});
  folder.write("text.txt", "an earlier output\n");
  const pid_t first = folder.start();
  ASSERT_TRUE(hn::testing::waitFor(
      [&folder] { return contains(folder.read("result.txt"), "epoch: 3 "); }));
  for (const std::string arguments :
       {"--seed 2", "--seed 2 --save-model m.model", "--load-model m.model"}) {
    const ProgramResult second = folder.run(arguments);
    EXPECT_EQ(2, second.status) << arguments;
    EXPECT_EQ(
        "hn_learner: another hn_learner run is writing in this folder: it "
        "holds the run lock (an advisory lock on the working folder); "
        "nothing was trained or written\n",
        second.err)
        << arguments;
    EXPECT_FALSE(folder.exists("m.model")) << arguments;
  }
  EXPECT_EQ("an earlier output\n", folder.read("text.txt"));
  ASSERT_TRUE(LearnerFolder::kill(first));

  writeData(folder);
  const ProgramResult after = folder.run("--seed 1");
  EXPECT_EQ(0, after.status) << after.err;
  EXPECT_EQ("", after.err);
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

TEST(LearnerRunScriptValues, CountsOutOfRangeAreRefused) {
  const struct {
    int line;
    std::string value;
    std::string message;
  } cases[] = {
      {2, "-1",
       "line 2 of configure.txt: the number of sentence words per hyperedge "
       "\"-1\" is negative"},
      {3, "-1",
       "line 3 of configure.txt: the number of image values per hyperedge "
       "\"-1\" is negative"},
      {2, "1000000000",
       "line 2 of configure.txt: the number of sentence words per hyperedge "
       "\"1000000000\" is above 60000, the most a run takes"},
      {3, "4801",
       "line 3 of configure.txt: the number of image values per hyperedge "
       "\"4801\" is above 4800, the positions of an image"},
      {4, "-1",
       "line 4 of configure.txt: the number of epochs \"-1\" is negative"},
      {6, "-1",
       "line 6 of configure.txt: the number of hyperedges per pair \"-1\" "
       "is negative"},
  };
  for (const auto& c : cases) {
    LearnerFolder folder;
    writeData(folder, {{c.line, c.value}});
    // A learner that takes -1 as about 4 billion, or allocates in
    // proportion to an order, meets the limits.
    const ProgramResult run =
        folder.run("--seed 1", hn::testing::memoryLimit(2000000));
    EXPECT_EQ(2, run.status) << c.line << ' ' << c.value;
    EXPECT_EQ(
        "hn_learner: " + c.message + "\nhn_learner: nothing was trained\n",
        run.err);
    EXPECT_FALSE(folder.exists("result.txt")) << c.line << ' ' << c.value;
    EXPECT_FALSE(folder.exists("text.txt")) << c.line << ' ' << c.value;
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
