#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>

namespace hn {

// Writes a file so that its name never holds partial content: `write` fills
// a temporary file in the same folder, which is renamed to `path` only once
// it is complete and closed. A process killed meanwhile leaves at most the
// temporary file (named `path` + ".tmp-" and a random suffix), never a
// half-written file under `path`; an earlier file of that name stays intact
// until the rename replaces it.
//
// `write` returns false to give up. Returns false, with the reason in
// `error`, when `write` gave up or the file could not be created, written or
// renamed; the temporary file is then removed.
bool writeFileAtomically(const std::filesystem::path& path,
                         const std::function<bool(std::ostream&)>& write,
                         std::string& error);

// Whether a file can be created in the folder of `path`, found out by
// creating and removing a temporary file there.
bool canCreateBeside(const std::filesystem::path& path, std::string& error);

}  // namespace hn
