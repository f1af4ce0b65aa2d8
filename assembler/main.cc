// sentence_assembler: turns the learner's text fragments into sentences.
// Reads configure.txt (line 1: input file, line 2: output file) and dic.txt
// from the working directory and takes no arguments. Prints nothing on any
// input it can read; a file it cannot open, read or write is named on
// standard error and ends the run with status 1.

#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/configuration.h"
#include "assembler/dictionary.h"
#include "assembler/record_loop.h"

namespace {

constexpr int kFailureStatus = 1;

int fail(std::string_view message) {
  std::cerr << "sentence_assembler: " << message << '\n' << std::flush;
  return kFailureStatus;
}

std::string quoted(std::string_view path) {
  return "\"" + std::string(path) + "\"";
}

}  // namespace

int main() {
  std::ifstream configure("configure.txt");
  if (!configure) return fail("cannot open configure.txt");
  std::ifstream dictionaryFile("dic.txt");
  if (!dictionaryFile) return fail("cannot open dic.txt");

  const std::vector<std::string> dictionary =
      hn::loadDictionary(dictionaryFile);
  if (dictionaryFile.bad()) return fail("cannot read dic.txt");
  const hn::AssemblerConfiguration configuration =
      hn::readConfiguration(configure);
  if (configure.bad()) return fail("cannot read configure.txt");

  const std::string input = "input file " + quoted(configuration.inputPath) +
                            " (configure.txt line 1)";
  const std::string output = "output file " + quoted(configuration.outputPath) +
                             " (configure.txt line 2)";
  // The input is opened first so that a wrong input path leaves an existing
  // output file as it was.
  std::ifstream in(configuration.inputPath);
  if (!in) return fail("cannot open " + input);
  std::ofstream out(configuration.outputPath);
  if (!out) return fail("cannot create " + output);

  hn::assembleRecords(in, dictionary, out);
  if (in.bad()) return fail("cannot read " + input);
  if (!out) return fail("cannot write " + output);
  return 0;
}
