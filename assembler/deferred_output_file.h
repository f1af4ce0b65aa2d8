#pragma once

#include <fstream>
#include <streambuf>
#include <string>

namespace hn {

// An output file that is created (or emptied) only when the first byte is
// written to it, or at `close` when nothing was: a run that fails while it
// reads its first record (a line longer than the memory) leaves an earlier
// output file as it was. Writes pass straight to the file, and a flush
// reaches it, so every finished line is in the file before the next
// record is read.
class DeferredOutputFile : public std::streambuf {
 public:
  explicit DeferredOutputFile(std::string path);

  // Creates the file if nothing was written, then closes it; false when it
  // could not be created, written or closed.
  bool close();
  // Whether creating the file was tried and failed.
  bool createFailed() const { return tried_ && !created_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* bytes, std::streamsize count) override;
  int sync() override;

 private:
  bool open();

  std::string path_;
  std::filebuf file_;
  bool tried_ = false;
  bool created_ = false;
};

}  // namespace hn
