#include "common/fatal.h"

#include <cstdlib>
#include <iostream>
#include <new>

namespace hn {

void fatal(std::string_view message) {
  std::cerr << message << '\n' << std::flush;
  std::exit(-1);
}

void exitOnAllocationFailure() {
  std::set_new_handler([] { fatal(kAllocationFailure); });
}

}  // namespace hn
