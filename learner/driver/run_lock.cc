#include "learner/driver/run_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace hn {

RunLock::RunLock(const std::string& folder) {
  descriptor_ =
      ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
  if (descriptor_ < 0) {
    problem_ = std::strerror(errno);
    return;
  }
  if (::flock(descriptor_, LOCK_EX | LOCK_NB) == 0) return;
  const int error = errno;
  ::close(descriptor_);
  descriptor_ = -1;
  if (error == EWOULDBLOCK) {
    heldElsewhere_ = true;
  } else {
    problem_ = std::strerror(error);
  }
}

RunLock::~RunLock() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

}  // namespace hn
