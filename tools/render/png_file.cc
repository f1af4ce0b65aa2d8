#include "tools/render/png_file.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/output_target.h"

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
  const auto fail = [&](const std::string& reason) {
    error = "cannot write " + path + ": " + reason;
    return false;
  };
  // Opened without waiting and without emptying it, so that a FIFO or a
  // device under the name is neither waited on, nor changed, nor removed.
  const int descriptor =
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (descriptor < 0) return fail(std::strerror(errno));
  struct stat opened {};
  if (::fstat(descriptor, &opened) != 0 || !S_ISREG(opened.st_mode)) {
    ::close(descriptor);
    return fail("not a regular file");
  }
  if (::ftruncate(descriptor, 0) != 0) {
    const int reason = errno;
    ::close(descriptor);
    return fail(std::strerror(reason));
  }
  std::FILE* file = ::fdopen(descriptor, "wb");
  if (file == nullptr) {
    ::close(descriptor);
    return fail(std::strerror(errno));
  }
  png_image image = emptyImage();
  image.width = static_cast<png_uint_32>(raster.width());
  image.height = static_cast<png_uint_32>(raster.height());
  image.format = PNG_FORMAT_RGB;
  errno = 0;
  const bool written =
      png_image_write_to_stdio(&image, file, 0, raster.bytes().data(), 0,
                               nullptr) != 0;
  const int writeError = errno;
  const bool closed = std::fclose(file) == 0;
  if (written && closed) return true;
  const int reason = written ? errno : writeError;
  // A picture cut short is no picture: it goes, as long as the name still
  // leads to the file written (through a link, the link stays).
  const std::string target = outputTarget(path);
  struct stat now {};
  if (::stat(target.c_str(), &now) == 0 && now.st_dev == opened.st_dev &&
      now.st_ino == opened.st_ino) {
    ::unlink(target.c_str());
  }
  return fail(reason != 0 ? std::strerror(reason) : image.message);
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
