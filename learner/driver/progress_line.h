#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace hn {

// One line for a person watching a long run, redrawn in place: the step,
// units done out of the total, units per second and the time left. It
// appears only once the run has taken about a second, is redrawn a few
// times per second at most, and is erased when its step ends, so that
// nothing of it stays between the lines of other output.
//
// Writes to the borrowed `out`, which must outlive the line; a disabled line
// writes nothing at all.
class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock;

  ProgressLine(std::ostream& out, bool enabled,
               std::function<Clock::time_point()> now = Clock::now);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Whether a run should show the line: standard error is a terminal and
  // the user did not ask for quiet.
  static bool wanted(bool quiet);

  // `done` of `total` `unit`s of `step` are finished; `done` equal to
  // `total` ends the step. A total of 0 with no unit shows the step alone.
  void update(std::string_view step, std::size_t done, std::size_t total,
              std::string_view unit);

  // Erases the line if it is drawn.
  void erase();

 private:
  std::string text(std::size_t done, std::size_t total,
                   std::string_view unit) const;
  void draw(const std::string& line);

  std::ostream& out;
  const bool enabled;
  const std::function<Clock::time_point()> now;
  const Clock::time_point runStart;
  std::string step;
  Clock::time_point stepStart;
  Clock::time_point lastDraw;
  // Characters on the terminal line now; 0 when nothing is drawn.
  std::size_t drawnWidth = 0;
};

}  // namespace hn
