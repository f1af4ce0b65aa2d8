#pragma once

#include <optional>
#include <string>

#include "tools/render/raster.h"

namespace hn {

// Writes `raster` as an 8-bit RGB PNG. Returns false and sets `error` when the
// file cannot be written.
bool writePng(const Raster& raster, const std::string& path,
              std::string& error);

// Reads any PNG that libpng can turn into 8-bit RGB (alpha and palettes are
// converted, alpha dropped). Returns nothing and sets `error` on failure.
std::optional<Raster> readPng(const std::string& path, std::string& error);

}  // namespace hn
