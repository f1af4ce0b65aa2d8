// --whole-records: the same files as a run that flushes every line, and a
// run stopped part way leaves whole records only, SIGKILL aside.
#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "learner/driver/learner_folder_testing.h"
#include "tools/sample_data/sample_data_set.h"

namespace {

using namespace hn::testing;

// Sample scenes: 80x60 images whose records of text run from a few hundred
// bytes to a few thousand, on both sides of what std::filebuf passes
// straight to the file.
void writeScenes(const LearnerFolder& folder, std::uint32_t pairs) {
  const hn::SampleDataSet data(pairs, 1);
  std::ofstream sentences(folder.work() / "s.csv");
  data.writeSentences(sentences);
  std::ofstream images(folder.work() / "i.csv");
  data.writeImages(images);
}

// One epoch: the sampling and its accuracy pass.
std::string runScript(const std::string& direction) {
  return direction + "\n3\n6\n1\n0.5\n30\ns.csv\ni.csv\ntext.txt\nimage.txt\n";
}

std::string outputName(const std::string& direction) {
  return direction == "0" ? "image.txt" : "text.txt";
}

// Everything a run shows and writes, the model file of --save-model too.
std::string everythingOf(const LearnerFolder& folder, const ProgramResult& run,
                         const std::string& direction) {
  return "status " + std::to_string(run.status) + "\nout:\n" + run.out +
         "err:\n" + run.err + "result.txt:\n" + folder.read("result.txt") +
         "model:\n" + folder.read("m.model") + "output:\n" +
         folder.read(outputName(direction));
}

// Trains and saves, then generates from the saved model with both files
// present, so that the held-out scores are printed too; a run of each
// kind with and without --whole-records, in folders of their own.
TEST(WholeRecords, WriteTheSameFilesAsEveryLineFlushed) {
  for (const std::string direction : {"0", "1"}) {
    std::string trained[2];
    std::string loaded[2];
    for (const bool whole : {false, true}) {
      const std::string option = whole ? " --whole-records" : "";
      LearnerFolder folder;
      writeScenes(folder, 300);
      folder.write("configure.txt", runScript(direction));
      const ProgramResult training =
          folder.run("--seed 7 --threads 2 --save-model m.model" + option);
      ASSERT_EQ(0, training.status) << training.err;
      trained[whole] = everythingOf(folder, training, direction);
      fs::remove(folder.work() / "result.txt");
      fs::remove(folder.work() / outputName(direction));

      const ProgramResult loading =
          folder.run("--load-model m.model --threads 2" + option);
      ASSERT_EQ(0, loading.status) << loading.err;
      EXPECT_FALSE(folder.exists("result.txt"));
      loaded[whole] = everythingOf(folder, loading, direction);
    }
    ASSERT_FALSE(trained[0].ends_with("output:\n")) << direction;
    EXPECT_TRUE(trained[0] == trained[1])
        << "training, direction " << direction;
    EXPECT_TRUE(loaded[0] == loaded[1])
        << "--load-model, direction " << direction;
    // The saved model generates what training generated.
    EXPECT_EQ(trained[0].substr(trained[0].rfind("output:\n")),
              loaded[0].substr(loaded[0].rfind("output:\n")));
  }
}

// What a run leaves that is sent `signal` as soon as its output file holds
// something: while it writes the first batch, or, on a fast machine, after
// it ended.
std::string outputOfStoppedRun(const LearnerFolder& folder,
                               const std::string& direction, int signal) {
  const fs::path output = folder.work() / outputName(direction);
  fs::remove(output);
  const pid_t learner = folder.start({"--seed", "3", "--whole-records"});
  EXPECT_TRUE(waitFor([&] {
    std::error_code missing;
    const auto size = fs::file_size(output, missing);
    return !missing && size > 0;
  }));
  LearnerFolder::kill(learner, signal);
  return readFile(output);
}

// The complete output of each direction.
std::map<std::string, std::string> completeOutputs(
    const LearnerFolder& folder) {
  std::map<std::string, std::string> outputs;
  for (const std::string direction : {"0", "1"}) {
    folder.write("configure.txt", runScript(direction));
    const ProgramResult run = folder.run("--seed 3 --whole-records");
    EXPECT_EQ(0, run.status) << run.err;
    outputs[direction] = folder.read(outputName(direction));
  }
  return outputs;
}

// Whether `cut` is the start of `full` up to the start of a record.
bool endsAtARecord(const std::string& cut, const std::string& full) {
  return full.starts_with(cut) && (cut.size() == full.size() ||
                                   full.compare(cut.size(), 7, "line : ") == 0);
}

struct Stop {
  std::string direction;
  int signal;
};

// SIGTERM, SIGINT and SIGHUP wait for the record under way; SIGKILL cannot
// be held back, and Linux may cut the write it lands in at a 4096-byte
// boundary of the file.
TEST(WholeRecords, AStoppedRunLeavesOnlyWholeRecords) {
  LearnerFolder folder;
  writeScenes(folder, 1100);
  const std::map<std::string, std::string> complete = completeOutputs(folder);
  for (const Stop& stop :
       {Stop{"0", SIGTERM}, Stop{"1", SIGTERM}, Stop{"0", SIGINT},
        Stop{"0", SIGHUP}, Stop{"0", SIGKILL}, Stop{"1", SIGKILL}}) {
    folder.write("configure.txt", runScript(stop.direction));
    const std::string& full = complete.at(stop.direction);
    const std::string cut =
        outputOfStoppedRun(folder, stop.direction, stop.signal);
    const bool atAPage = stop.signal == SIGKILL && cut.size() % 4096 == 0;
    EXPECT_TRUE(endsAtARecord(cut, full) || (atAPage && full.starts_with(cut)))
        << "direction " << stop.direction << ", signal " << stop.signal
        << ": cut at byte " << cut.size() << " of " << full.size();
  }
}

}  // namespace
