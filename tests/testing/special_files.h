#pragma once

// Special files made for a test in its own folder, never the system's /dev
// entries: a folder, a FIFO, or a device node (which needs the privilege to
// call mknod; tests skip that case where it is missing).

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <string>

namespace hn::testing {

// The kinds as the programs' messages name them.
inline constexpr const char* kSpecialKinds[] = {"a folder", "a FIFO",
                                                "a device node"};

// Makes a file of `kind` at `path`; false when the system does not permit
// it. A device node gets the numbers of a null device (1, 3), so that a
// program that wrongly writes to it loses nothing of the machine's; `major`
// and `minor` choose another.
inline bool makeSpecialFile(const std::filesystem::path& path,
                            const std::string& kind, unsigned major = 1,
                            unsigned minor = 3) {
  if (kind == "a folder") return std::filesystem::create_directory(path);
  if (kind == "a FIFO") return ::mkfifo(path.c_str(), 0600) == 0;
  return ::mknod(path.c_str(), S_IFCHR | 0600, makedev(major, minor)) == 0;
}

}  // namespace hn::testing
