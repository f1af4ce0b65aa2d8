#include "common/fatal.h"

#include <cstdlib>
#include <iostream>

namespace hn {

void fatal(std::string_view message) {
  std::cerr << message << '\n' << std::flush;
  std::exit(-1);
}

}  // namespace hn
