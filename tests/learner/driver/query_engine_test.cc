// The engine a run makes from its command line answers every query of the
// run: training, generation, and the held-out scores of a run from a saved
// model. Runs here in the test's own process, in a fresh folder, with an
// engine that counts what it is asked before it passes each question on.
#include "learner/driver/query_engine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "learner/data/simple_stl_map_storage.h"
#include "learner/driver/command_line.h"
#include "learner/driver/learning_run.h"
#include "learner/driver/model_run.h"
#include "learner/index/indexed_queries.h"
#include "learner/model/literal_queries.h"
#include "testing/program_folder.h"

namespace {

namespace fs = std::filesystem;
using hn::CommandLine;
using hn::Hyperedge;
using hn::ImageBuffer;
using hn::InstanceList;
using hn::InstanceView;
using hn::Layout;
using hn::Queries;

struct Asked {
  std::atomic<int> matches{0};
  std::atomic<int> inferred{0};
  std::atomic<int> images{0};
  std::atomic<int> texts{0};
  std::atomic<int> mismatches{0};
  std::atomic<int> checks{0};
};

// Counts every question, then passes it on to `engine`.
class CountingQueries : public Queries {
 public:
  CountingQueries(std::unique_ptr<Queries> engine, Asked& asked)
      : engine(std::move(engine)), asked(asked) {}

  void forEachMatch(const Hyperedge& pattern,
                    const MatchVisit& visit) const override {
    ++asked.matches;
    engine->forEachMatch(pattern, visit);
  }
  void inferImageValues(Layout layout, std::span<const std::int32_t> sentence,
                        std::vector<std::int32_t>& values) const override {
    ++asked.inferred;
    engine->inferImageValues(layout, sentence, values);
  }
  void generateImage(Layout layout, std::span<const std::int32_t> sentence,
                     ImageBuffer& image) const override {
    ++asked.images;
    engine->generateImage(layout, sentence, image);
  }
  void generateText(Layout layout, const ImageBuffer& image,
                    std::vector<Hyperedge>& fragments) const override {
    ++asked.texts;
    engine->generateText(layout, image, fragments);
  }
  std::vector<std::uint32_t> imageMismatches(
      Layout layout, const InstanceList& instances,
      const PairsDone& pairsDone) override {
    ++asked.mismatches;
    return engine->imageMismatches(layout, instances, pairsDone);
  }
  bool generatesImage(Layout layout, std::size_t pair,
                      std::span<const std::int32_t> sentence,
                      const ImageBuffer& image) override {
    ++asked.checks;
    return engine->generatesImage(layout, pair, sentence, image);
  }
  std::vector<std::size_t> sharedImages(
      std::span<const InstanceView> sentences) const override {
    return engine->sharedImages(sentences);
  }
  std::vector<std::size_t> sharedTexts(
      std::span<const InstanceView> images) const override {
    return engine->sharedTexts(images);
  }

 private:
  std::unique_ptr<Queries> engine;
  Asked& asked;
};

// What a run made and was asked.
struct Engine {
  Asked asked;
  bool literal = false;
  bool indexed = false;

  hn::QueriesMaker maker() {
    return [this](hn::HyperedgeStore& storage, const CommandLine& options) {
      std::unique_ptr<Queries> made = hn::makeQueries(storage, options);
      literal = dynamic_cast<hn::LiteralQueries*>(made.get()) != nullptr;
      indexed = dynamic_cast<hn::IndexedQueries*>(made.get()) != nullptr;
      return std::make_unique<CountingQueries>(std::move(made), asked);
    };
  }
};

constexpr int kPairs = 3;
// Pairs 0 and 2 share a sentence.
constexpr int kSentences = 2;
constexpr int kEpochs = 3;

// A fresh working folder with three pairs, for the length of a test.
class EngineOfARun : public ::testing::Test {
 protected:
  EngineOfARun() : previous(fs::current_path()) {
    std::random_device entropy;
    folder = fs::temp_directory_path() /
             ("hn_query_engine_" + std::to_string(entropy()));
    fs::create_directories(folder);
    fs::current_path(folder);
    hn::testing::writeFile("s.csv", "1,2,3\n2,3,4\n1,2,3\n");
    hn::testing::writeFile("i.csv", "0,1,2,3\n1,1,0,0\n2,2,2,2\n");
  }
  ~EngineOfARun() override {
    fs::current_path(previous);
    fs::remove_all(folder);
  }

  static hn::RunScriptEntries entries(const std::string& direction) {
    return {direction,  "1",        "1",     std::to_string(kEpochs),
            "0.5",      "4",        "s.csv", "i.csv",
            "text.txt", "image.txt"};
  }

  static CommandLine options(bool literal) {
    CommandLine options;
    options.seed = 1;
    options.threads = 2;
    options.literal = literal;
    options.quiet = true;
    return options;
  }

  // Trains, saving the model as m.model; returns the run's status.
  static int train(const std::string& direction, CommandLine options,
                   Engine& engine) {
    options.saveModel = "m.model";
    return quietly(
        hn::LearningRun(entries(direction), options, engine.maker()));
  }

  static int generateFromModel(const std::string& direction,
                               CommandLine options, Engine& engine) {
    options.loadModel = "m.model";
    return quietly(hn::ModelRun(entries(direction), options, engine.maker()));
  }

  template <typename Run>
  static int quietly(Run run) {
    ::testing::internal::CaptureStdout();
    const int status = run.execute();
    ::testing::internal::GetCapturedStdout();
    return status;
  }

  fs::path previous;
  fs::path folder;
};

TEST_F(EngineOfARun, IsLiteralExactlyWhenTheCommandLineSaysSo) {
  for (const bool literal : {true, false}) {
    Engine engine;
    ASSERT_EQ(0, train("0", options(literal), engine));
    EXPECT_EQ(literal, engine.literal);
    EXPECT_EQ(!literal, engine.indexed);
  }
}

// Every epoch's accuracy, every pair's check in every weight update and
// every generated image go to the run's engine; the indexed one lets pairs
// that share a sentence share its image, the literal one does not.
TEST_F(EngineOfARun, AnswersEveryQueryOfTrainingAndGeneration) {
  for (const bool literal : {true, false}) {
    Engine engine;
    ASSERT_EQ(0, train("0", options(literal), engine));
    EXPECT_EQ(kEpochs, engine.asked.mismatches.load()) << literal;
    EXPECT_EQ(kPairs * (kEpochs - 1), engine.asked.checks.load()) << literal;
    EXPECT_EQ(literal ? kPairs : kSentences, engine.asked.images.load())
        << literal;
    EXPECT_EQ(0, engine.asked.texts.load()) << literal;
  }
}

// A run from a saved model generates in its direction and scores the other
// one: both ask the engine that --literal chose, pair by pair.
TEST_F(EngineOfARun, AnswersTheHeldOutScoresOfARunFromAModel) {
  for (const std::string direction : {"0", "1"}) {
    Engine trained;
    ASSERT_EQ(0, train(direction, options(false), trained));
    for (const bool literal : {true, false}) {
      Engine engine;
      ASSERT_EQ(0, generateFromModel(direction, options(literal), engine));
      const std::string context =
          "direction " + direction + (literal ? ", literal" : "");
      EXPECT_EQ(literal, engine.literal) << context;
      const bool sharedOutput = direction == "0" && !literal;
      EXPECT_EQ(sharedOutput ? kSentences : kPairs, engine.asked.images.load())
          << context;
      EXPECT_EQ(kPairs, engine.asked.texts.load()) << context;
    }
  }
}

}  // namespace
