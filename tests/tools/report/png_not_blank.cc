// Tells whether a PNG shows anything: a blank page renders in one or two
// colours, a page with text and pictures in many.
#include <iostream>
#include <set>
#include <string>
#include <tuple>

#include "tools/render/png_file.h"

namespace {

constexpr std::size_t kFewestColours = 4;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: hn_png_not_blank PNG\n";
    return 2;
  }
  std::string error;
  const auto raster = hn::readPng(argv[1], error);
  if (!raster) {
    std::cerr << error << '\n';
    return 1;
  }
  std::set<std::tuple<int, int, int>> colours;
  for (int y = 0; y < raster->height(); ++y) {
    for (int x = 0; x < raster->width(); ++x) {
      const hn::Rgb pixel = raster->pixel(x, y);
      colours.emplace(pixel.red, pixel.green, pixel.blue);
    }
  }
  std::cout << argv[1] << ": " << raster->width() << "x" << raster->height()
            << ", " << colours.size() << " colours\n";
  return colours.size() >= kFewestColours ? 0 : 1;
}
