#include "learner/driver/termination_deferral.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>

namespace {

using ::testing::ExitedWithCode;
using ::testing::KilledBySignal;

// Each case runs in a child process, which the signal may end; one that
// goes on past the signal exits with status 0 instead.
TEST(TerminationDeferralDeathTest, ASignalDuringAWriteEndsTheProcessAfterIt) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    EXPECT_EXIT(
        {
          const hn::TerminationDeferral deferral;
          deferral.writeWhole([signal] {
            raise(signal);
            std::fputs("written whole\n", stderr);
          });
          std::exit(0);
        },
        KilledBySignal(signal), "written whole")
        << signal;
  }
}

TEST(TerminationDeferralDeathTest, ASignalBetweenWritesEndsTheProcessAtOnce) {
  EXPECT_EXIT(
      {
        const hn::TerminationDeferral deferral;
        deferral.writeWhole([] {});
        raise(SIGTERM);
        std::exit(0);
      },
      KilledBySignal(SIGTERM), "");
}

// nohup's ignored SIGHUP must not start ending the process; and once the
// deferral is gone, signals act as before it.
TEST(TerminationDeferralDeathTest, LeavesIgnoredSignalsAndRestoresTheRest) {
  EXPECT_EXIT(
      {
        signal(SIGHUP, SIG_IGN);
        {
          const hn::TerminationDeferral deferral;
          deferral.writeWhole([] { raise(SIGHUP); });
          raise(SIGHUP);
        }
        raise(SIGHUP);
        std::exit(0);
      },
      ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        { const hn::TerminationDeferral deferral; }
        struct sigaction action = {};
        sigaction(SIGTERM, nullptr, &action);
        std::exit(action.sa_handler == SIG_DFL ? 3 : 4);
      },
      ExitedWithCode(3), "");
}

}  // namespace
