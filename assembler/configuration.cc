#include "assembler/configuration.h"

#include <istream>

namespace hn {
namespace {

std::string readPathLine(std::istream& in) {
  std::string line;
  std::getline(in, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
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
