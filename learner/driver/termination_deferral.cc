#include "learner/driver/termination_deferral.h"

#include <unistd.h>

#include <atomic>

namespace hn {
namespace {

// What the writer is doing, as the handlers of every thread see it.
enum WriterState : int {
  kIdle,
  kWriting,
  // Writing, and a signal came that ends the process after the write.
  kWritingThenEnding,
  kEnding,
};

// Lock-free, so the handlers may touch them.
std::atomic<int> writerState{kIdle};
std::atomic<int> deferredSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

// From a handler the signal is delivered again, with its default action,
// as the handler returns; from the writer at once.
void endWith(int signal) {
  writerState.store(kEnding);
  struct sigaction byDefault = {};
  byDefault.sa_handler = SIG_DFL;
  sigemptyset(&byDefault.sa_mask);
  sigaction(signal, &byDefault, nullptr);
  raise(signal);
}

void endAfterTheWrite(int signal) {
  int state = writerState.load();
  for (;;) {
    if (state == kWriting) {
      deferredSignal.store(signal);
      if (writerState.compare_exchange_weak(state, kWritingThenEnding)) return;
    } else if (state == kWritingThenEnding) {
      return;
    } else if (state == kEnding ||
               writerState.compare_exchange_weak(state, kEnding)) {
      endWith(signal);
      return;
    }
  }
}

}  // namespace

TerminationDeferral::TerminationDeferral() {
  writerState.store(kIdle);
  struct sigaction deferring = {};
  deferring.sa_handler = endAfterTheWrite;
  sigemptyset(&deferring.sa_mask);
  deferring.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    if (sigaction(kSignals[i], nullptr, &previous[i]) != 0) continue;
    const bool byDefault = (previous[i].sa_flags & SA_SIGINFO) == 0 &&
                           previous[i].sa_handler == SIG_DFL;
    installed[i] =
        byDefault && sigaction(kSignals[i], &deferring, nullptr) == 0;
  }
}

TerminationDeferral::~TerminationDeferral() {
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    if (installed[i]) sigaction(kSignals[i], &previous[i], nullptr);
  }
}

void TerminationDeferral::writeWhole(const std::function<void()>& write) const {
  for (int idle = kIdle; !writerState.compare_exchange_weak(idle, kWriting);
       idle = kIdle) {
    // A signal is ending the process: nothing more is written.
    if (idle == kEnding) pause();
  }
  write();
  int writing = kWriting;
  if (writerState.compare_exchange_strong(writing, kIdle)) return;
  endWith(deferredSignal.load());
}

}  // namespace hn
