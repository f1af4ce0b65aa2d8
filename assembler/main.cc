// sentence_assembler: turns the learner's text fragments into sentences.
// Reads configure.txt (line 1: input file, line 2: output file) and dic.txt
// from the working directory; takes no argument but --whole-first-fragment
// and --help. Prints nothing on any input it can read; a file it cannot
// open, read or write is named on standard error and ends the run with
// status 1, an unknown argument or an output file that is one of the files
// it reads, or not a regular file, with status 2, and an allocation failure
// with "cannot allocate memory!!" and status 255.

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <new>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/command_line.h"
#include "assembler/configuration.h"
#include "assembler/deferred_output_file.h"
#include "assembler/dictionary.h"
#include "assembler/record_loop.h"
#include "common/output_target.h"
#include "common/same_file.h"

namespace {

constexpr int kFailureStatus = 1;
constexpr int kRefusedStatus = 2;

int fail(std::string_view message, int status = kFailureStatus) {
  std::cerr << "sentence_assembler: " << message << '\n' << std::flush;
  return status;
}

[[noreturn]] void allocationFailed() {
  std::cerr << "cannot allocate memory!!\n" << std::flush;
  std::exit(-1);
}

std::string inQuotes(std::string_view path) {
  return "\"" + std::string(path) + "\"";
}

int assemble(hn::Seeding seeding) {
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

  const std::string input = "input file " + inQuotes(configuration.inputPath) +
                            " (configure.txt line 1)";
  const std::string output = "output file " +
                             inQuotes(configuration.outputPath) +
                             " (configure.txt line 2)";

  // No output may replace a file the run reads.
  const struct {
    std::string path;
    std::string name;
  } readFiles[] = {
      {configuration.inputPath, input},
      {"configure.txt", "configure.txt itself"},
      {"dic.txt", "the dictionary dic.txt"},
  };
  for (const auto& file : readFiles) {
    if (hn::sameFile(configuration.outputPath, file.path)) {
      return fail(output + " is the same file as " + file.name +
                      "; nothing was written",
                  kRefusedStatus);
    }
  }
  // Written through a link, never into a folder, a device or a FIFO.
  if (const hn::FileKind kind = hn::fileKind(configuration.outputPath);
      !hn::isWritableKind(kind)) {
    return fail(output + " is " + hn::describe(kind) +
                    ", not a regular file; nothing was written",
                kRefusedStatus);
  }

  // The input is opened and its first record read before the output is
  // created, so that an input that cannot be opened or read (a folder), or
  // a first record that cannot be held in memory, leaves an existing
  // output file as it was.
  std::ifstream in(configuration.inputPath);
  if (!in) return fail("cannot open " + input);
  in.peek();
  if (in.bad()) return fail("cannot read " + input);
  hn::DeferredOutputFile file(configuration.outputPath);
  std::ostream out(&file);

  hn::assembleRecords(in, dictionary, out, seeding);
  if (in.bad()) return fail("cannot read " + input);
  if (!file.close() || !out) {
    return fail((file.createFailed() ? "cannot create " : "cannot write ") +
                output);
  }
  return 0;
}

int run(const std::vector<std::string_view>& arguments) {
  std::string error;
  const std::optional<hn::AssemblerOptions> options =
      hn::parseAssemblerArguments(arguments, error);
  if (!options) {
    std::cerr << "sentence_assembler: " << error << "\n\n"
              << hn::kAssemblerUsage << std::flush;
    return kRefusedStatus;
  }
  if (options->help) {
    std::cout << hn::kAssemblerUsage << std::flush;
    return std::cout ? 0 : fail("cannot write the usage to standard output");
  }
  return assemble(options->seeding);
}

}  // namespace

int main(int argc, char** argv) {
  std::set_new_handler(allocationFailed);
  // A container asked for more than it can ever hold throws instead of
  // calling operator new: that is an allocation failure too.
  try {
    return run({argv + 1, argv + argc});
  } catch (const std::bad_alloc&) {
    allocationFailed();
  } catch (const std::length_error&) {
    allocationFailed();
  }
}
