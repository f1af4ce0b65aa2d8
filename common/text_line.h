#pragma once

#include <iosfwd>
#include <string>

namespace hn {

// Reads one line of any length into `line`, dropping its line feed and a
// carriage return just before it, so that files saved with CR LF line ends
// read as LF ones. False when nothing could be read (end of file or a read
// error); `line` is then empty.
bool readLine(std::istream& in, std::string& line);

}  // namespace hn
