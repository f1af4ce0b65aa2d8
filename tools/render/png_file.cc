#include "tools/render/png_file.h"

#include <png.h>

#include <cstdint>
#include <vector>

namespace hn {
namespace {

// libpng's simplified interface: no setjmp, and it releases its own state
// on failure.
png_image emptyImage() {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  return image;
}

}  // namespace

bool writePng(const Raster& raster, const std::string& path,
              std::string& error) {
  png_image image = emptyImage();
  image.width = static_cast<png_uint_32>(raster.width());
  image.height = static_cast<png_uint_32>(raster.height());
  image.format = PNG_FORMAT_RGB;
  if (png_image_write_to_file(&image, path.c_str(), 0, raster.bytes().data(), 0,
                              nullptr) == 0) {
    error = "cannot write " + path + ": " + image.message;
    return false;
  }
  return true;
}

std::optional<Raster> readPng(const std::string& path, std::string& error) {
  png_image image = emptyImage();
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
    error = "cannot read " + path + ": " + image.message;
    return std::nullopt;
  }
  image.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> bytes(PNG_IMAGE_SIZE(image));
  png_color white{255, 255, 255};
  if (png_image_finish_read(&image, &white, bytes.data(), 0, nullptr) == 0) {
    error = "cannot read " + path + ": " + image.message;
    return std::nullopt;
  }
  Raster raster(static_cast<int>(image.width), static_cast<int>(image.height));
  for (int y = 0; y < raster.height(); ++y) {
    for (int x = 0; x < raster.width(); ++x) {
      const std::size_t at =
          (static_cast<std::size_t>(y) * raster.width() + x) * 3;
      raster.setPixel(x, y, {bytes[at], bytes[at + 1], bytes[at + 2]});
    }
  }
  return raster;
}

}  // namespace hn
