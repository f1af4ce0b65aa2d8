// Saving a trained population, and generating from it in a later run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "learner/driver/learner_folder_testing.h"
#include "testing/special_files.h"

namespace {

using namespace hn::testing;

std::string runScript(const std::string& direction,
                      const std::string& weightUpdate = "0.5",
                      const std::string& sentenceFile = "s.csv",
                      const std::string& imageFile = "i.csv",
                      const std::string& order = "2") {
  return direction + "\n" + order + "\n2\n3\n" + weightUpdate + "\n8\n" +
         sentenceFile + "\n" + imageFile + "\ntext.txt\nimage.txt\n";
}

std::string outputName(const std::string& direction) {
  return direction == "0" ? "image.txt" : "text.txt";
}

// Trains with a seed, saves the model as m.model and returns the output.
std::string trainAndSave(const LearnerFolder& folder,
                         const std::string& script) {
  writeSixPairs(folder);
  writeFile(folder.work() / "configure.txt", script);
  const ProgramResult trained = folder.run("--seed 7 --save-model m.model");
  EXPECT_EQ(0, trained.status) << trained.err;
  EXPECT_EQ("", trained.err);
  return readFile(folder.work() / outputName(script.substr(0, 1)));
}

TEST(SavedModel, GeneratesByteForByteWhatTheSavingRunGenerated) {
  for (const std::string direction : {"0", "1"}) {
    for (const std::string weightUpdate : {"0.5", "0.1"}) {
      const std::string what = direction + " " + weightUpdate;
      LearnerFolder folder;
      const std::string script = runScript(direction, weightUpdate);
      const std::string trained = trainAndSave(folder, script);
      ASSERT_FALSE(trained.empty()) << what;
      fs::remove(folder.work() / outputName(direction));
      fs::remove(folder.work() / "result.txt");

      const ProgramResult loaded = folder.run("--load-model m.model");
      EXPECT_EQ(0, loaded.status) << what << loaded.err;
      EXPECT_EQ("", loaded.err) << what;
      EXPECT_EQ(trained, readFile(folder.work() / outputName(direction)))
          << what;
      EXPECT_FALSE(fs::exists(folder.work() / "result.txt")) << what;
    }
  }
}

TEST(SavedModel, SavingChangesNothingElseTheRunWrites) {
  const std::string arguments[] = {"--seed 3", "--seed 3 --save-model m"};
  std::string outputs[2];
  for (int i = 0; i < 2; ++i) {
    LearnerFolder folder;
    writeSixPairs(folder);
    writeFile(folder.work() / "configure.txt", runScript("1", "0.1"));
    const ProgramResult run = folder.run(arguments[i]);
    ASSERT_EQ(0, run.status) << run.err;
    outputs[i] = run.out + run.err + readFile(folder.work() / "result.txt") +
                 readFile(folder.work() / "text.txt");
  }
  EXPECT_EQ(outputs[0], outputs[1]);
}

TEST(SavedModel, HeldOutAccuracyIsTheLastTrainingAccuracyOnTheSameData) {
  for (const std::string direction : {"0", "1"}) {
    LearnerFolder folder;
    writeSixPairs(folder);
    writeFile(folder.work() / "configure.txt", runScript(direction));
    const ProgramResult trained = folder.run("--seed 7 --save-model m.model");
    ASSERT_EQ(0, trained.status) << trained.err;
    const std::string lastEpoch = "#2 Weight Update Step: epoch: 3 accuracy: ";
    const std::size_t at = trained.out.find(lastEpoch);
    ASSERT_NE(std::string::npos, at) << trained.out;
    const std::string accuracy = trained.out.substr(at + lastEpoch.size());

    // The images fill all 4800 positions, so the second line agrees.
    const ProgramResult loaded = folder.run("--load-model m.model");
    EXPECT_EQ(0, loaded.status) << loaded.err;
    EXPECT_EQ(0u, loaded.out.find("s.csv,i.csv\n"
                                  "held-out text-to-image accuracy: " +
                                  accuracy +
                                  "held-out text-to-image accuracy over the "
                                  "images' own positions: " +
                                  accuracy + "held-out image-to-text: "))
        << loaded.out;
  }
}

TEST(SavedModel, GeneratesFromOneSideAlone) {
  struct Case {
    const char* direction;
    const char* sentenceFile;
    const char* imageFile;
    const char* note;  // on standard error, or empty
  };
  const Case cases[] = {
      {"1", "-", "i.csv", ""},
      {"1", "absent.csv", "i.csv", "no file \"absent.csv\" (named on line 7"},
      {"0", "s.csv", "-", ""},
      {"0", "s.csv", "absent.csv", "no file \"absent.csv\" (named on line 8"},
  };
  for (const Case& c : cases) {
    const std::string what =
        std::string(c.direction) + " " + c.sentenceFile + " " + c.imageFile;
    LearnerFolder folder;
    const std::string trained = trainAndSave(folder, runScript(c.direction));
    if (std::string(c.sentenceFile) != "s.csv")
      fs::remove(folder.work() / "s.csv");
    if (std::string(c.imageFile) != "i.csv")
      fs::remove(folder.work() / "i.csv");
    writeFile(folder.work() / "configure.txt",
              runScript(c.direction, "0.5", c.sentenceFile, c.imageFile));

    const ProgramResult loaded = folder.run("--load-model m.model");
    EXPECT_EQ(0, loaded.status) << what << loaded.err;
    EXPECT_EQ(trained, readFile(folder.work() / outputName(c.direction)))
        << what;
    EXPECT_EQ(std::string::npos, loaded.out.find("held-out")) << what;
    EXPECT_NE(std::string::npos, loaded.err.find(c.note)) << what;
    EXPECT_EQ(std::string(c.note).empty(), loaded.err.empty()) << what;
  }
}

TEST(SavedModel, TheModelsOrdersWinWithAWarning) {
  LearnerFolder folder;
  const std::string trained = trainAndSave(folder, runScript("1"));
  writeFile(folder.work() / "configure.txt",
            runScript("1", "0.5", "s.csv", "i.csv", "4"));
  const ProgramResult loaded = folder.run("--load-model m.model");
  EXPECT_EQ(0, loaded.status) << loaded.err;
  EXPECT_EQ(
      "hn_learner: configure.txt gives order 4 and order2 2, the model order "
      "2 and order2 2; generating with the model's\n",
      loaded.err);
  EXPECT_EQ(trained, readFile(folder.work() / "text.txt"));
}

TEST(SavedModel, WithoutTheSideToGenerateFromNothingIsWritten) {
  LearnerFolder folder;
  trainAndSave(folder, runScript("1"));
  fs::remove(folder.work() / "text.txt");
  writeFile(folder.work() / "configure.txt",
            runScript("1", "0.5", "s.csv", "-"));
  const ProgramResult loaded = folder.run("--load-model m.model");
  EXPECT_EQ(1, loaded.status);
  EXPECT_NE(std::string::npos,
            loaded.err.find("image to text needs the file \"-\" named on "
                            "line 8 of configure.txt"))
      << loaded.err;
  EXPECT_FALSE(fs::exists(folder.work() / "text.txt"));
}

std::string damaged(std::string model, const std::string& kind) {
  if (kind == "empty") return "";
  if (kind == "truncated in the header") return model.substr(0, 20);
  if (kind == "truncated in the hyperedges") return model.substr(0, 100);
  if (kind == "truncated by one byte") return model.substr(0, model.size() - 1);
  if (kind == "flipped byte") {
    model[model.size() / 2] = static_cast<char>(model[model.size() / 2] ^ 1);
  } else if (kind == "wrong magic") {
    model[1] = 'X';
  } else if (kind == "future version") {
    model[8] = 9;
  } else if (kind == "a text output file") {
    return "line : 0\n{(1,2):3}\n";
  } else if (kind == "bytes after the end") {
    return model + "xyz";
  }
  return model;
}

TEST(SavedModel, ADamagedModelIsRefusedBeforeTheOutputIsTouched) {
  const std::pair<std::string, std::string> cases[] = {
      {"empty", "is empty"},
      {"truncated in the header", "is truncated"},
      {"truncated in the hyperedges", "is truncated"},
      {"truncated by one byte", "is truncated"},
      {"flipped byte", "is corrupt: its checksum does not match"},
      {"wrong magic", "is not a model file"},
      {"future version", "has format version 9, newer than the version 1"},
      {"a text output file", "is not a model file"},
      {"bytes after the end",
       "is corrupt: 3 bytes follow the end of the model"},
  };
  LearnerFolder folder;
  trainAndSave(folder, runScript("1"));
  const std::string model = readFile(folder.work() / "m.model");
  for (const auto& [kind, message] : cases) {
    writeFile(folder.work() / "bad.model", damaged(model, kind));
    writeFile(folder.work() / "text.txt", "earlier output\n");
    const ProgramResult loaded = folder.run("--load-model bad.model");
    EXPECT_EQ(1, loaded.status) << kind;
    EXPECT_EQ(0u, loaded.err.find("hn_learner: the model file \"bad.model\" " +
                                  message))
        << kind << ": " << loaded.err;
    EXPECT_EQ("earlier output\n", readFile(folder.work() / "text.txt")) << kind;
  }
  const ProgramResult missing = folder.run("--load-model none.model");
  EXPECT_EQ(1, missing.status);
  EXPECT_EQ("hn_learner: cannot read the model file \"none.model\"\n",
            missing.err);
}

TEST(SavedModel, ScoringNoPairSaysWhyTheAccuracyIsNan) {
  LearnerFolder folder;
  trainAndSave(folder, runScript("1"));
  writeFile(folder.work() / "s.csv", "");
  writeFile(folder.work() / "i.csv", "");
  const ProgramResult loaded = folder.run("--load-model m.model");
  EXPECT_EQ(0, loaded.status) << loaded.err;
  EXPECT_NE(std::string::npos,
            loaded.out.find("held-out text-to-image accuracy: "));
  EXPECT_EQ(
      "hn_learner: no sentence-image pair was read from \"s.csv\" and "
      "\"i.csv\", so the held-out text-to-image accuracy, a mean over the "
      "pairs, is -nan\n",
      loaded.err);
}

TEST(SavedModel, AnEndlessInputIsReadNoFurtherThanItsHeaderAllows) {
  LearnerFolder folder;
  trainAndSave(folder, runScript("1"));
  ASSERT_EQ(0, ::mkfifo((folder.work() / "feed").c_str(), 0600));
  // The shell feeds the FIFO until the learner stops reading it.
  const struct {
    std::string feed;
    std::string message;
  } cases[] = {
      {"yes",
       "is not a model file: it does not start with the model magic word"},
      {"cat m.model; yes",
       "is corrupt: more bytes follow the end of the model"},
  };
  for (const auto& c : cases) {
    writeFile(folder.work() / "text.txt", "earlier output\n");
    const ProgramResult loaded =
        folder.run("--load-model feed", "{ timeout 60 sh -c '(" + c.feed +
                                            ") >feed' 2>/dev/null & } && " +
                                            memoryLimit(2000000));
    EXPECT_EQ(1, loaded.status) << c.feed;
    EXPECT_EQ("hn_learner: the model file \"feed\" " + c.message + "\n",
              loaded.err);
    EXPECT_EQ("earlier output\n", readFile(folder.work() / "text.txt"));
  }
  // A zero device of the test's own.
  if (!makeSpecialFile(folder.work() / "zero", "a device node", 1, 5)) {
    GTEST_SKIP() << "mknod is not permitted here";
  }
  const ProgramResult zero =
      folder.run("--load-model zero", memoryLimit(2000000));
  EXPECT_EQ(1, zero.status);
  EXPECT_EQ(
      "hn_learner: the model file \"zero\" is not a model file: it does not "
      "start with the model magic word\n",
      zero.err);
}

TEST(SavedModel, AnUnwritableModelFolderStopsBeforeTraining) {
  LearnerFolder folder;
  writeSixPairs(folder);
  writeFile(folder.work() / "configure.txt", runScript("1"));
  const ProgramResult run = folder.run("--save-model missing/m.model");
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find("cannot save the model"))
      << run.err;
  EXPECT_FALSE(fs::exists(folder.work() / "result.txt"));
  EXPECT_FALSE(fs::exists(folder.work() / "text.txt"));
}

}  // namespace
