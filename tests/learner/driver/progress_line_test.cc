#include "learner/driver/progress_line.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

namespace hn {
namespace {

using namespace std::chrono_literals;

// A progress line on a string, with a clock the test moves by hand.
class ProgressLineTest : public ::testing::Test {
 protected:
  ProgressLine::Clock::time_point time;
  std::ostringstream out;
  ProgressLine line{out, true, [this] { return time; }};

  std::string drawn() {
    std::string text = out.str();
    out.str("");
    return text;
  }
};

TEST_F(ProgressLineTest, StaysSilentDuringTheFirstSecond) {
  line.update("sampling", 10, 100, "hyperedges");
  time += 900ms;
  line.update("sampling", 90, 100, "hyperedges");
  line.update("sampling", 100, 100, "hyperedges");
  EXPECT_EQ("", drawn());
}

TEST_F(ProgressLineTest, ShowsCountRateAndTimeLeftThenErases) {
  time += 2s;
  line.update("epoch 2 of 3, accuracy", 0, 400, "pairs");
  EXPECT_EQ("\repoch 2 of 3, accuracy: 0/400 pairs", drawn());
  time += 1s;
  line.update("epoch 2 of 3, accuracy", 100, 400, "pairs");
  EXPECT_EQ("\repoch 2 of 3, accuracy: 100/400 pairs, 100/s, 0:03 left",
            drawn());
  line.update("epoch 2 of 3, accuracy", 400, 400, "pairs");
  EXPECT_EQ("\r" + std::string(55, ' ') + "\r", drawn());
  line.erase();
  EXPECT_EQ("", drawn());
}

TEST_F(ProgressLineTest, RedrawsAFewTimesPerSecondAtMost) {
  time += 1s;
  line.update("generation", 1, 100000, "pairs");
  drawn();
  for (int pair = 2; pair < 1000; ++pair) {
    time += 1ms;
    line.update("generation", pair, 100000, "pairs");
  }
  const std::string redraws = drawn();
  EXPECT_EQ(4, std::count(redraws.begin(), redraws.end(), '\r')) << redraws;
}

TEST_F(ProgressLineTest, ANewStepIsDrawnAtOnceOverTheOldText) {
  time += 1s;
  line.update("epoch 1 of 1, accuracy", 1, 10, "pairs");
  EXPECT_EQ("\repoch 1 of 1, accuracy: 1/10 pairs", drawn());
  line.update("generation", 2, 10, "pairs");
  EXPECT_EQ("\rgeneration: 2/10 pairs" + std::string(12, ' '), drawn());
}

TEST_F(ProgressLineTest, HoursOfWorkLeftAndAStepWithoutCount) {
  time += 1s;
  line.update("loading data", 0, 1, {});
  EXPECT_EQ("\rloading data ...", drawn());
  line.update("epoch 1 of 9, weight update", 0, 10000, "pairs");
  time += 1s;
  line.update("epoch 1 of 9, weight update", 1, 10000, "pairs");
  EXPECT_NE(std::string::npos, drawn().find(", 1/s, 2:46:39 left"));
}

TEST(ProgressLineDisabled, WritesNothingAtAll) {
  std::ostringstream out;
  auto time = ProgressLine::Clock::now();
  {
    ProgressLine line(out, false, [&time] { return time; });
    time += 5s;
    line.update("generation", 1, 10, "pairs");
  }
  EXPECT_EQ("", out.str());
}

TEST(ProgressLineEnd, DestroyingTheLineErasesIt) {
  std::ostringstream out;
  auto time = ProgressLine::Clock::now();
  {
    ProgressLine line(out, true, [&time] { return time; });
    time += 5s;
    line.update("generation", 1, 10, "pairs");
  }
  EXPECT_EQ('\r', out.str().back());
  EXPECT_EQ(std::string::npos, out.str().find('\n'));
}

}  // namespace
}  // namespace hn
