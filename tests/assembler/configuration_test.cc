#include "assembler/configuration.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace hn {
namespace {

AssemblerConfiguration read(const std::string& text) {
  std::istringstream in(text);
  return readConfiguration(in);
}

TEST(ReadConfiguration, LinesOneAndTwoAreTakenWhole) {
  const AssemblerConfiguration configuration =
      read(" my input.txt\tx \nout put.txt\nignored.txt\n");
  EXPECT_EQ(" my input.txt\tx ", configuration.inputPath);
  EXPECT_EQ("out put.txt", configuration.outputPath);
}

TEST(ReadConfiguration, CarriageReturnEndingALineIsNotPartOfThePath) {
  const AssemblerConfiguration configuration = read("in.txt\r\nout.txt\r\n");
  EXPECT_EQ("in.txt", configuration.inputPath);
  EXPECT_EQ("out.txt", configuration.outputPath);
}

TEST(ReadConfiguration, MissingLinesGiveEmptyPaths) {
  const AssemblerConfiguration oneLine = read("in.txt");
  EXPECT_EQ("in.txt", oneLine.inputPath);
  EXPECT_EQ("", oneLine.outputPath);
  EXPECT_EQ("", read("").inputPath);
}

}  // namespace
}  // namespace hn
