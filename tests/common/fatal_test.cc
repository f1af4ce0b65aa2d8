#include "common/fatal.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <new>
#include <vector>

namespace {

TEST(Fatal, WritesTheMessageAndEndsWithStatus255) {
  EXPECT_EXIT(hn::fatal("stop here"), ::testing::ExitedWithCode(255),
              "^stop here\n$");
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// An allocation that cannot succeed: more than the address space.
void allocateTooMuch() {
  volatile std::size_t size = std::size_t{1} << 62;
  std::vector<char*> kept;
  kept.push_back(new char[size]);
}

TEST(Fatal, AFailedAllocationEndsWithTheMessageInsteadOfAnAbort) {
  if (kAddressSanitizer) {
    GTEST_SKIP() << "AddressSanitizer reports allocation failures itself";
  }
  EXPECT_EXIT(
      {
        hn::exitOnAllocationFailure();
        allocateTooMuch();
      },
      ::testing::ExitedWithCode(255), "^cannot allocate memory!!\n$");
  // Without the handler the same allocation throws std::bad_alloc.
  EXPECT_THROW(allocateTooMuch(), std::bad_alloc);
}

}  // namespace
