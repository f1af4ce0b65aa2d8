#include "assembler/deferred_output_file.h"

#include <utility>

namespace hn {

DeferredOutputFile::DeferredOutputFile(std::string path)
    : path_(std::move(path)) {}

bool DeferredOutputFile::open() {
  if (!tried_) {
    tried_ = true;
    created_ = file_.open(path_, std::ios::out | std::ios::trunc) != nullptr;
  }
  return file_.is_open();
}

DeferredOutputFile::int_type DeferredOutputFile::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) {
    return traits_type::not_eof(c);
  }
  if (!open()) return traits_type::eof();
  return file_.sputc(traits_type::to_char_type(c));
}

std::streamsize DeferredOutputFile::xsputn(const char* bytes,
                                           std::streamsize count) {
  if (!open()) return 0;
  return file_.sputn(bytes, count);
}

int DeferredOutputFile::sync() {
  if (!tried_) return 0;
  return file_.is_open() ? file_.pubsync() : -1;
}

bool DeferredOutputFile::close() { return open() && file_.close() != nullptr; }

}  // namespace hn
