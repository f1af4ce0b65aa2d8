#include "assembler/configuration.h"

#include <istream>

#include "common/text_line.h"

namespace hn {
namespace {

std::string readPathLine(std::istream& in) {
  std::string line;
  readLine(in, line);
  return line;
}

}  // namespace

AssemblerConfiguration readConfiguration(std::istream& in) {
  AssemblerConfiguration configuration;
  configuration.inputPath = readPathLine(in);
  configuration.outputPath = readPathLine(in);
  return configuration;
}

}  // namespace hn
