#pragma once

#include <optional>
#include <string>

#include "tools/render/raster.h"

namespace hn {

// Writes `raster` as an 8-bit RGB PNG into a regular file, through a link
// if `path` is one. Returns false and sets `error` when the file cannot be
// written (a file cut short is removed) or is not a regular file (it is
// left alone).
bool writePng(const Raster& raster, const std::string& path,
              std::string& error);

// Reads any PNG that libpng can turn into 8-bit RGB (alpha and palettes are
// converted, alpha dropped). Returns nothing and sets `error` on failure.
std::optional<Raster> readPng(const std::string& path, std::string& error);

}  // namespace hn
