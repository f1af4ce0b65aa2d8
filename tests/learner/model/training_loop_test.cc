#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "learner/data/sampler.h"
#include "learner/data/sentence_image_coupling_sampler.h"
#include "learner/model/learner_fixture.h"

namespace {

namespace fs = std::filesystem;
using hn::Hyperedge;
using hn::testing::entries;
using hn::testing::Entry;
using hn::testing::MemoryDataSet;

// Yields the given hyperedges once each, in order.
class ListSampler : public hn::Sampler {
 public:
  explicit ListSampler(std::vector<Hyperedge> samples)
      : samples(std::move(samples)) {}
  bool hasNext() override { return next_ < samples.size(); }
  void next(Hyperedge& hyperedge) override {
    const Hyperedge& sample = samples[next_++];
    std::copy_n(sample.vertices, sample.vertexCount, hyperedge.vertices);
  }

 private:
  std::vector<Hyperedge> samples;
  std::size_t next_ = 0;
};

std::string readFile(const fs::path& path) {
  std::ifstream in(path);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// Every run writes result.txt into the working directory: give each test a
// fresh one.
class TrainingLoop : public ::testing::Test {
 protected:
  TrainingLoop() : previous(fs::current_path()) {
    std::random_device entropy;
    folder = fs::temp_directory_path() /
             ("hn_training_loop_" + std::to_string(entropy()));
    fs::create_directories(folder);
    fs::current_path(folder);
  }
  ~TrainingLoop() override {
    fs::current_path(previous);
    fs::remove_all(folder);
  }

  // A learner in sentence–image mode over one pair whose one-value image
  // no hyperedge can generate (there are no image slots), so every epoch
  // reinforces the sentence's two one-word windows and every accuracy is
  // 4799 / 4800: the positions past the image count as right.
  void configure(const std::string& mode, const std::string& maxepoch,
                 const std::string& verbose) {
    learner.set("mode", mode);
    learner.set("order", "1");
    learner.set("order2", "0");
    learner.set("verbose", verbose);
    learner.set("maxepoch", maxepoch);
    learner.dataSet = &dataSet;
    learner.sampler = &sampler;
    learner.storage = &storage;
  }

  std::string runCapturingOutput() {
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(0, learner.run());
    return ::testing::internal::GetCapturedStdout();
  }

  fs::path previous;
  fs::path folder;
  MemoryDataSet dataSet{{{1, 2}, {5}}};
  ListSampler sampler{{hn::testing::edge({1})}};
  hn::SimpleSTLMapStorage storage;
  hn::Hypernetwork learner;
};

TEST_F(TrainingLoop, OneEpochReportsTheInitialSamplingOnly) {
  configure("2", "1", "1");
  const std::string accuracyLine =
      "#1 Init Sampling Step: epoch: 1 accuracy: 0.999792\n";
  EXPECT_EQ(
      "Parameters :: maxepoch: 1, mode: 2, order: 1, order2: 0, verbose: 1, "
      "weightUpdateParameter: 0.5, \n"
      "#0 Data Read Complete. 1 read.\n" +
          accuracyLine,
      runCapturingOutput());
  EXPECT_EQ(accuracyLine, readFile("result.txt"));
  EXPECT_EQ((std::vector<Entry>{{{1}, 1.0}}), entries(storage.getAll(false)));
}

TEST_F(TrainingLoop, LaterEpochsUpdateThenReport) {
  configure("2", "3", "01");
  const std::string lines =
      "#1 Init Sampling Step: epoch: 1 accuracy: 0.999792\n"
      "#2 Weight Update Step: epoch: 2 accuracy: 0.999792\n"
      "#2 Weight Update Step: epoch: 3 accuracy: 0.999792\n";
  const std::string output = runCapturingOutput();
  EXPECT_EQ(lines, output.substr(output.find("#1")));
  EXPECT_EQ(lines, readFile("result.txt"));
  EXPECT_EQ((std::vector<Entry>{{{1}, 2.0}, {{2}, 1.0}}),
            entries(storage.getAll(false)));
}

TEST_F(TrainingLoop, QuietRunsStillUpdateEveryEpoch) {
  configure("2", "3", "2");
  EXPECT_EQ("", runCapturingOutput());
  EXPECT_TRUE(fs::exists("result.txt"));
  EXPECT_EQ("", readFile("result.txt"));
  EXPECT_EQ((std::vector<Entry>{{{1}, 2.0}, {{2}, 1.0}}),
            entries(storage.getAll(false)));
}

TEST_F(TrainingLoop, OtherModesReportMinusOneAndNeverUpdate) {
  configure("7", "2", "1");
  const std::string output = runCapturingOutput();
  EXPECT_NE(std::string::npos, output.find("#0 Data Read Complete. 2 read.\n"));
  EXPECT_EQ(
      "#1 Init Sampling Step: epoch: 1 accuracy: -1\n"
      "#2 Weight Update Step: epoch: 2 accuracy: -1\n",
      readFile("result.txt"));
  EXPECT_EQ((std::vector<Entry>{{{1}, 1.0}}), entries(storage.getAll(false)));
}

TEST_F(TrainingLoop, HandsTheSettingsToTheComponentsAsTexts) {
  configure("2", "1", "0");
  learner.set("order", "03");
  learner.set("order2", "2");
  sampler = ListSampler({});
  runCapturingOutput();
  EXPECT_EQ("5", storage.get("order"));
  EXPECT_EQ(5, storage.order);
  EXPECT_EQ("03", dataSet.get("order"));
  EXPECT_EQ("2", dataSet.get("order2"));
  EXPECT_EQ("03", sampler.get("order"));
  EXPECT_EQ(&dataSet, sampler.dataSet);
}

TEST_F(TrainingLoop, AFailedWriteOfTheLogIsNamedAndReturnsOne) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  fs::create_symlink("/dev/full", "result.txt");
  configure("2", "3", "1");
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(1, learner.run());
  const std::string errors = ::testing::internal::GetCapturedStderr();
  const std::string output = ::testing::internal::GetCapturedStdout();
  // Named once; training still runs to its end on standard output.
  EXPECT_EQ(0u, errors.find("cannot write result.txt")) << errors;
  EXPECT_EQ(errors.find("result.txt"), errors.rfind("result.txt")) << errors;
  EXPECT_NE(std::string::npos, output.find("epoch: 3 accuracy")) << output;
}

TEST_F(TrainingLoop, ALogThatCannotBeCreatedIsNamedAndReturnsOne) {
  fs::create_directory("result.txt");
  configure("2", "2", "0");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(1, learner.run());
  EXPECT_EQ(0u, ::testing::internal::GetCapturedStderr().find(
                    "cannot create result.txt"));
  // Training ran to its end all the same.
  EXPECT_EQ((std::vector<Entry>{{{1}, 1.5}, {{2}, 0.5}}),
            entries(storage.getAll(false)));
}

TEST_F(TrainingLoop, RefusesToRunWithoutAComponent) {
  configure("2", "3", "1");
  learner.storage = nullptr;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(-1, learner.run());
  EXPECT_EQ("Not runnable:check it has proper DataSet & Sampler & Storage.\n",
            ::testing::internal::GetCapturedStderr());
  EXPECT_FALSE(fs::exists("result.txt"));
}

TEST_F(TrainingLoop, ALayoutThatDisagreesWithTheSamplerEndsTheProcess) {
  hn::SentenceImageCouplingSampler coupling;
  configure("0", "1", "1");
  learner.set("order2", "1");
  learner.sampler = &coupling;
  EXPECT_EXIT(learner.run(), ::testing::ExitedWithCode(255),
              "^Order mismatch, check order setting or mode setting\n$");
}

}  // namespace
