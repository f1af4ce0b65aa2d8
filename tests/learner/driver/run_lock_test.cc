#include "learner/driver/run_lock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "testing/temporary_folder.h"

namespace {

namespace fs = std::filesystem;

TEST(RunLock, OneHolderAtATimeAndFreeAgainWhenItEnds) {
  const hn::testing::TemporaryFolder temporary("hn_run_lock");
  const std::string folder = temporary.path().string();
  auto first = std::make_unique<hn::RunLock>(folder);
  EXPECT_FALSE(first->heldElsewhere());
  EXPECT_EQ("", first->problem());
  {
    const hn::RunLock second(folder);
    EXPECT_TRUE(second.heldElsewhere());
    EXPECT_EQ("", second.problem());
  }
  first.reset();
  const hn::RunLock third(folder);
  EXPECT_FALSE(third.heldElsewhere());
  // Nothing is left in the folder.
  EXPECT_TRUE(fs::is_empty(folder));
}

TEST(RunLock, AFolderThatCannotBeOpenedIsAProblemNotAHolder) {
  const hn::testing::TemporaryFolder temporary("hn_run_lock");
  const hn::RunLock lock(temporary.at("missing"));
  EXPECT_FALSE(lock.heldElsewhere());
  EXPECT_EQ("No such file or directory", lock.problem());
}

}  // namespace
