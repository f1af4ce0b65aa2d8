#include "common/atomic_file.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

namespace hn {
namespace {

// Random, so that two runs saving to the same name never share a temporary.
std::filesystem::path temporaryBeside(const std::filesystem::path& path) {
  std::random_device entropy;
  char suffix[9];
  std::snprintf(suffix, sizeof suffix, "%08x", entropy());
  std::filesystem::path temporary = path;
  temporary += ".tmp-";
  temporary += suffix;
  return temporary;
}

}  // namespace

bool writeFileAtomically(const std::filesystem::path& path,
                         const std::function<bool(std::ostream&)>& write,
                         std::string& error) {
  const std::filesystem::path temporary = temporaryBeside(path);
  std::error_code ignored;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
      error = "cannot create \"" + temporary.string() + "\"";
      return false;
    }
    const bool written = write(out);
    out.close();
    if (!written || !out) {
      error = "writing \"" + temporary.string() + "\" " +
              (written ? "failed" : "was given up");
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code renaming;
  std::filesystem::rename(temporary, path, renaming);
  if (renaming) {
    error = "cannot rename \"" + temporary.string() + "\" to \"" +
            path.string() + "\": " + renaming.message();
    std::filesystem::remove(temporary, ignored);
    return false;
  }
  return true;
}

bool canCreateBeside(const std::filesystem::path& path, std::string& error) {
  const std::filesystem::path probe = temporaryBeside(path);
  const bool created = static_cast<bool>(std::ofstream(probe));
  if (!created) {
    error = "cannot create a file in the folder of \"" + path.string() + "\"";
    return false;
  }
  std::error_code ignored;
  std::filesystem::remove(probe, ignored);
  return true;
}

}  // namespace hn
