#pragma once

#include <string>

namespace hn {

// Keeps two hn_learner runs from writing in one folder at once: an advisory
// lock (flock) on the folder itself, which guards every file a run writes
// there, result.txt included, and leaves no file behind. The lock is held
// while the object lives; the kernel releases it when the process ends,
// however it ends, so a killed run never leaves a stale lock.
class RunLock {
 public:
  // Tries to lock `folder` without waiting.
  explicit RunLock(const std::string& folder);
  ~RunLock();
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

  // Another process (or another RunLock) holds the lock.
  bool heldElsewhere() const { return heldElsewhere_; }
  // Why the folder could not be locked for another reason (it cannot be
  // opened, or its file system takes no locks); empty when it is locked or
  // held elsewhere.
  const std::string& problem() const { return problem_; }

 private:
  int descriptor_ = -1;
  bool heldElsewhere_ = false;
  std::string problem_;
};

}  // namespace hn
