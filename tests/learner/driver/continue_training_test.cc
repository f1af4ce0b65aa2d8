// Training on from a saved population with --continue-from.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "learner/data/simple_stl_map_storage.h"
#include "learner/driver/learner_folder_testing.h"
#include "learner/model/model_file.h"

namespace {

using namespace hn::testing;

using Population = std::map<std::vector<std::int32_t>, double>;

void writeRunScript(const LearnerFolder& folder, const std::string& direction,
                    const std::string& epochs = "3",
                    const std::string& weightUpdate = "0.5",
                    const std::string& order = "2") {
  folder.write("configure.txt", direction + "\n" + order + "\n2\n" + epochs +
                                    "\n" + weightUpdate +
                                    "\n8\ns.csv\ni.csv\ntext.txt\nimage.txt\n");
}

std::string outputName(const std::string& direction) {
  return direction == "0" ? "image.txt" : "text.txt";
}

ProgramResult runOk(const LearnerFolder& folder, const std::string& arguments) {
  const ProgramResult result = folder.run(arguments);
  EXPECT_EQ(0, result.status) << arguments << '\n' << result.err;
  return result;
}

// Everything a run writes: its standard streams and files.
std::string written(const ProgramResult& run, const LearnerFolder& folder,
                    const std::string& direction) {
  return run.out + run.err + folder.read("result.txt") +
         folder.read(outputName(direction));
}

Population populationOf(const LearnerFolder& folder, const std::string& name) {
  hn::SimpleSTLMapStorage storage;
  std::string error;
  EXPECT_TRUE(hn::loadModel(folder.work() / name, storage, error)) << error;
  Population population;
  storage.forEachInVertexOrder(
      [&](hn::HyperedgeId, hn::HyperedgeView hyperedge) {
        population[{hyperedge.vertices.begin(), hyperedge.vertices.end()}] =
            hyperedge.weight;
      });
  return population;
}

void saveEmptyModel(const LearnerFolder& folder, const std::string& name) {
  hn::SimpleSTLMapStorage empty;
  std::string error;
  ASSERT_TRUE(hn::saveModel(folder.work() / name, empty, {2, 2}, error))
      << error;
}

TEST(ContinuedTraining, FromAnEmptyModelWritesWhatAFreshRunWrites) {
  for (const std::string direction : {"0", "1"}) {
    std::string outputs[2];
    std::string models[2];
    const std::string arguments[] = {
        "--seed 3 --save-model out.model",
        "--seed 3 --save-model out.model --continue-from empty.model"};
    for (int i = 0; i < 2; ++i) {
      LearnerFolder folder;
      writeSixPairs(folder, 0);
      writeRunScript(folder, direction, "3", "0.1");
      saveEmptyModel(folder, "empty.model");
      outputs[i] = written(runOk(folder, arguments[i]), folder, direction);
      models[i] = folder.read("out.model");
    }
    EXPECT_EQ(outputs[0], outputs[1]) << direction;
    EXPECT_EQ(models[0], models[1]) << direction;
  }
}

// With one epoch, training is the sampling alone: the continued population
// is the saved one with every hyperedge sampled from the new data counted
// onto it, one at a time. The same data and seed sample the saved
// hyperedges again; new data sample new ones.
TEST(ContinuedTraining, SamplingCountsTheNewDataOntoTheSavedPopulation) {
  struct Case {
    int firstPair;
    const char* seed;
    bool sharesAll;
  };
  for (const Case c : {Case{0, "7", true}, Case{4, "9", false}}) {
    LearnerFolder folder;
    writeSixPairs(folder, 0);
    writeRunScript(folder, "1", "3", "0.1");
    runOk(folder, "--seed 7 --save-model a.model");
    writeSixPairs(folder, c.firstPair);
    writeRunScript(folder, "1", "1", "0.1");
    const std::string seed = std::string("--seed ") + c.seed;
    runOk(folder, seed + " --save-model b.model");
    runOk(folder, seed + " --continue-from a.model --save-model ab.model");

    Population expected = populationOf(folder, "a.model");
    const Population sampled = populationOf(folder, "b.model");
    std::size_t shared = 0;
    for (const auto& [vertices, count] : sampled) {
      shared += expected.contains(vertices);
      double& weight = expected[vertices];
      for (int i = 0; i < static_cast<int>(count); ++i) weight += 1.0;
    }
    EXPECT_EQ(c.sharesAll, shared == sampled.size()) << c.firstPair;
    EXPECT_EQ(expected, populationOf(folder, "ab.model")) << c.firstPair;
  }
}

TEST(ContinuedTraining, EpochsKeepEverySavedAndEverySampledHyperedge) {
  for (const std::string direction : {"0", "1"}) {
    LearnerFolder folder;
    writeSixPairs(folder, 0);
    writeRunScript(folder, direction);
    runOk(folder, "--seed 7 --save-model a.model");
    writeSixPairs(folder, 4);
    runOk(folder, "--seed 9 --save-model b.model");
    runOk(folder, "--seed 9 --continue-from a.model --save-model ab.model");

    const Population continued = populationOf(folder, "ab.model");
    for (const char* part : {"a.model", "b.model"}) {
      for (const auto& [vertices, weight] : populationOf(folder, part)) {
        EXPECT_TRUE(continued.contains(vertices)) << direction << part;
      }
    }
  }
}

TEST(ContinuedTraining, AReloadedChainGeneratesWhatItsLastRunGenerated) {
  for (const std::string direction : {"0", "1"}) {
    LearnerFolder folder;
    writeRunScript(folder, direction, "3", "0.3");
    writeSixPairs(folder, 0);
    runOk(folder, "--seed 1 --save-model m.model");
    writeSixPairs(folder, 3);
    runOk(folder, "--seed 2 --continue-from m.model --save-model m.model");
    writeSixPairs(folder, 6);
    runOk(folder, "--seed 3 --continue-from m.model --save-model m.model");
    const std::string generated = folder.read(outputName(direction));
    ASSERT_FALSE(generated.empty());

    runOk(folder, "--load-model m.model");
    EXPECT_EQ(generated, folder.read(outputName(direction))) << direction;
  }
}

// Saving over the model continued from reads it whole first: the same
// model comes out as when saving elsewhere.
TEST(ContinuedTraining, MaySaveOverTheModelItContinuesFrom) {
  LearnerFolder folder;
  writeSixPairs(folder, 0);
  writeRunScript(folder, "1");
  runOk(folder, "--seed 1 --save-model m.model");
  writeSixPairs(folder, 2);
  runOk(folder, "--seed 2 --continue-from m.model --save-model other.model");
  runOk(folder, "--seed 2 --continue-from m.model --save-model m.model");
  EXPECT_EQ(folder.read("other.model"), folder.read("m.model"));
}

TEST(ContinuedTraining, RefusesAModelItCannotUseBeforeWritingAnything) {
  struct Case {
    const char* what;
    std::string arguments;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {"missing", "--save-model saved.model --continue-from absent.model", 1,
       "cannot read the model file \"absent.model\""},
      {"damaged", "--save-model saved.model --continue-from cut.model", 1,
       "the model file \"cut.model\" is truncated"},
      {"other orders", "--save-model saved.model --continue-from order3.model",
       2,
       "configure.txt gives order 2 and order2 2, the model file "
       "\"order3.model\" of --continue-from order 3 and order2 2"},
      {"with --load-model", "--continue-from m.model --load-model m.model", 2,
       "--continue-from and --load-model cannot be combined"},
      {"the output file", "--save-model saved.model --continue-from text.txt",
       2, "text.txt"},
  };
  LearnerFolder models;
  writeSixPairs(models, 0);
  writeRunScript(models, "1", "1", "0.5", "3");
  runOk(models, "--seed 1 --save-model order3.model");
  writeRunScript(models, "1", "1");
  runOk(models, "--seed 1 --save-model m.model");
  const std::string model = models.read("m.model");

  for (const Case& c : cases) {
    LearnerFolder folder;
    writeSixPairs(folder, 0);
    writeRunScript(folder, "1");
    folder.write("m.model", model);
    folder.write("cut.model", model.substr(0, model.size() - 20));
    folder.write("order3.model", models.read("order3.model"));
    if (std::string(c.what) == "the output file") folder.write("text.txt", "");
    const ProgramResult run = folder.run("--seed 1 " + c.arguments);
    EXPECT_EQ(c.status, run.status) << c.what;
    EXPECT_NE(std::string::npos, run.err.find(c.message)) << c.what << '\n'
                                                          << run.err;
    EXPECT_FALSE(folder.exists("result.txt")) << c.what;
    EXPECT_FALSE(folder.exists("saved.model")) << c.what;
    EXPECT_EQ("", folder.read("text.txt")) << c.what;
  }
}

TEST(ContinuedTraining, WritesWhatTheLiteralAlgorithmsWrite) {
  struct Case {
    const char* direction;
    const char* firstWeightUpdate;
    const char* secondWeightUpdate;
  };
  const Case cases[] = {
      {"0", "0.1", "0.5"}, {"1", "0.1", "0.5"}, {"1", "0.5", "0.3"}};
  for (const Case& c : cases) {
    std::string outputs[2];
    std::string models[2];
    const std::string engines[] = {"", " --literal"};
    for (int i = 0; i < 2; ++i) {
      LearnerFolder folder;
      writeSixPairs(folder, 0);
      writeRunScript(folder, c.direction, "3", c.firstWeightUpdate);
      runOk(folder, "--seed 4 --save-model a.model" + engines[i]);
      writeSixPairs(folder, 3);
      writeRunScript(folder, c.direction, "3", c.secondWeightUpdate);
      outputs[i] =
          written(runOk(folder,
                        "--seed 5 --continue-from a.model --save-model "
                        "ab.model" +
                            engines[i]),
                  folder, c.direction);
      models[i] = folder.read("ab.model");
    }
    const std::string what = std::string(c.direction) + " " +
                             c.firstWeightUpdate + " " + c.secondWeightUpdate;
    EXPECT_EQ(outputs[0], outputs[1]) << what;
    EXPECT_EQ(models[0], models[1]) << what;
  }
}

}  // namespace
