#pragma once

// Header only, so that the assembler, which links nothing of the learner or
// of common/, can use it too.
//
// Every program here writes its outputs through symbolic links: a link is
// followed to the file it leads to, which is written (or created) in its
// place, and the link stays. What an output may not be is anything but a
// regular file: writing would block on a FIFO, fill or change a device, and
// replacing one by renaming or deleting would destroy it.

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace hn {

// What a name leads to, following symbolic links.
enum class FileKind { kNone, kRegular, kFolder, kDevice, kFifo, kSocket };

inline FileKind fileKind(const std::string& name) {
  struct stat status {};
  if (name.empty() || ::stat(name.c_str(), &status) != 0)
    return FileKind::kNone;
  if (S_ISREG(status.st_mode)) return FileKind::kRegular;
  if (S_ISDIR(status.st_mode)) return FileKind::kFolder;
  if (S_ISFIFO(status.st_mode)) return FileKind::kFifo;
  if (S_ISSOCK(status.st_mode)) return FileKind::kSocket;
  return FileKind::kDevice;
}

// "a folder", "a FIFO", ... as a message names it.
inline const char* describe(FileKind kind) {
  switch (kind) {
    case FileKind::kNone:
      return "no file";
    case FileKind::kRegular:
      return "a regular file";
    case FileKind::kFolder:
      return "a folder";
    case FileKind::kDevice:
      return "a device node";
    case FileKind::kFifo:
      return "a FIFO";
    case FileKind::kSocket:
      return "a socket";
  }
  return "a special file";
}

// Whether a name of this kind may be written as an output file: it names
// no file yet (a link to a missing file included: the file is created), or
// a regular file. A name that cannot be looked at counts as no file;
// opening it then says why.
inline bool isWritableKind(FileKind kind) {
  return kind == FileKind::kNone || kind == FileKind::kRegular;
}

// The name of the file that writing `name` reaches: `name` itself, or where
// its chain of symbolic links ends, whether or not that file exists. An
// output replaced by renaming a finished temporary file over it, or removed
// again, is this file, never the link.
inline std::string outputTarget(const std::string& name) {
  // As many links as the kernel follows before it gives up.
  constexpr int kMaxLinks = 40;
  std::filesystem::path path = name;
  for (int link = 0; link < kMaxLinks; ++link) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) break;
    const std::filesystem::path target =
        std::filesystem::read_symlink(path, error);
    if (error) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return path.string();
}

}  // namespace hn
