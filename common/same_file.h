#pragma once

// Header only, so that the assembler, which links nothing of the learner or
// of common/, can use it too.

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace hn {

// Whether the path names `a` and `b` lead to the same file: by device and
// inode when both exist (links and different spellings count as the same
// file), and by normalized absolute path when neither exists yet. An empty
// name names no file and is the same as nothing.
inline bool sameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  struct stat first {};
  struct stat second {};
  const bool firstExists = ::stat(a.c_str(), &first) == 0;
  const bool secondExists = ::stat(b.c_str(), &second) == 0;
  if (firstExists && secondExists) {
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
  }
  if (firstExists != secondExists) return false;
  std::error_code error;
  const auto normalized = [&error](const std::string& name) {
    const std::filesystem::path absolute =
        std::filesystem::absolute(name, error);
    const std::filesystem::path resolved =
        std::filesystem::weakly_canonical(absolute, error);
    return (error ? absolute : resolved).lexically_normal();
  };
  return normalized(a) == normalized(b);
}

}  // namespace hn
