#pragma once

#include <signal.h>

#include <functional>
#include <iterator>

namespace hn {

// While it lives, SIGTERM, SIGINT or SIGHUP that arrives during a write made
// through `writeWhole` ends the process as soon as that write is done, the
// way it would have ended it then; at any other moment it ends the process
// at once, as without it. A signal that would end a process also cuts short
// the write under way (Linux stops copying at the next 4096-byte boundary of
// the file), so without this a stopped run could leave part of a record.
// Signals that are ignored (nohup) or handled already stay as they are.
// SIGKILL cannot be held back.
//
// The handlers are process-wide: one may live at a time, and every write
// it shields must be made from one thread.
class TerminationDeferral {
 public:
  TerminationDeferral();
  ~TerminationDeferral();
  TerminationDeferral(const TerminationDeferral&) = delete;
  TerminationDeferral& operator=(const TerminationDeferral&) = delete;

  void writeWhole(const std::function<void()>& write) const;

 private:
  static constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
  // Whether the handler was installed for each of `kSignals`, and what it
  // replaced.
  bool installed[std::size(kSignals)] = {};
  struct sigaction previous[std::size(kSignals)] = {};
};

}  // namespace hn
