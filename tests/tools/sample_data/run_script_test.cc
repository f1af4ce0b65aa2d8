#include "tools/sample_data/run_script.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace hn {
namespace {

// The learner keeps only the first token of each line.
std::vector<std::string> firstTokens(const LearnerSettings& settings) {
  std::ostringstream out;
  writeLearnerRunScript(out, settings);
  std::istringstream lines(out.str());
  std::vector<std::string> tokens;
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string token;
    words >> token;
    tokens.push_back(token);
  }
  return tokens;
}

TEST(LearnerRunScript, NamesTheSampleFilesAndCarriesTheSettings) {
  const std::vector<std::string> defaults = {"1",
                                             "3",
                                             "6",
                                             "3",
                                             "0.5",
                                             "30",
                                             "sentences.csv",
                                             "images.csv",
                                             "fragments.txt",
                                             "generated_images.txt"};
  EXPECT_EQ(defaults, firstTokens(LearnerSettings{}));

  const LearnerSettings chosen{4, 7, 12, 0.5, 250};
  const std::vector<std::string> tokens = firstTokens(chosen);
  ASSERT_EQ(10u, tokens.size());
  EXPECT_EQ("4", tokens[1]);
  EXPECT_EQ("7", tokens[2]);
  EXPECT_EQ("12", tokens[3]);
  EXPECT_EQ("250", tokens[5]);
}

TEST(LearnerRunScript, ExplainsEachLineByItsNumberAndTheKindsImageSize) {
  std::ostringstream scenes;
  writeLearnerRunScript(scenes, LearnerSettings{});
  EXPECT_NE(std::string::npos,
            scenes.str().find("images from text into line 10's file, anything"
                              " else text from images into line 9's file"));
  EXPECT_NE(std::string::npos, scenes.str().find("images: 80x60 values"));

  std::ostringstream shapes;
  writeLearnerRunScript(shapes, learnerDefaults(SampleKind::kShapes),
                        SampleKind::kShapes);
  EXPECT_NE(std::string::npos, shapes.str().find("images: 12x12 values"));
  EXPECT_EQ(0u, shapes.str().find("1 direction")) << shapes.str();
}

TEST(AssemblerConfiguration, NamesTheLearnerOutputAndNothingElse) {
  std::ostringstream out;
  writeAssemblerConfiguration(out);
  EXPECT_EQ("../fragments.txt\n../assembled.txt\n", out.str());
}

}  // namespace
}  // namespace hn
