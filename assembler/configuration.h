#pragma once

#include <iosfwd>
#include <string>

namespace hn {

// The assembler's own configure.txt: line 1 names the input file, line 2 the
// output file. Later lines are not read.
struct AssemblerConfiguration {
  std::string inputPath;
  std::string outputPath;
};

// Takes each line whole, blanks included, except that a carriage return
// ending the line is dropped: a file saved with CRLF line ends must not name
// paths ending in '\r'. A missing line gives an empty path, which no file
// can be opened under.
AssemblerConfiguration readConfiguration(std::istream& in);

}  // namespace hn
