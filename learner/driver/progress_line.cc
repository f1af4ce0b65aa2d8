#include "learner/driver/progress_line.h"

#include <unistd.h>

#include <cstdio>
#include <ostream>

namespace hn {
namespace {

// Short runs stay silent; a longer one shows its line after this long.
constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr auto kRedrawInterval = std::chrono::milliseconds(200);
// A rate measured over less time than this says little.
constexpr double kShortestRateSeconds = 0.25;

std::string clockText(double seconds) {
  const auto total = static_cast<long long>(seconds + 0.5);
  char text[32];
  if (total >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600,
                  total / 60 % 60, total % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
  }
  return text;
}

}  // namespace

ProgressLine::ProgressLine(std::ostream& out, bool enabled,
                           std::function<Clock::time_point()> now)
    : out(out), enabled(enabled), now(std::move(now)), runStart(this->now()) {}

ProgressLine::~ProgressLine() { erase(); }

bool ProgressLine::wanted(bool quiet) {
  return !quiet && isatty(STDERR_FILENO) == 1;
}

void ProgressLine::update(std::string_view newStep, std::size_t done,
                          std::size_t total, std::string_view unit) {
  if (!enabled) return;
  const Clock::time_point time = now();
  const bool stepChanged = newStep != step;
  if (stepChanged) {
    step = newStep;
    stepStart = time;
  }
  if (total > 0 && done >= total) {
    erase();
    return;
  }
  if (time - runStart < kQuietStart) return;
  if (!stepChanged && drawnWidth > 0 && time - lastDraw < kRedrawInterval) {
    return;
  }
  lastDraw = time;
  draw(text(done, total, unit));
}

void ProgressLine::erase() {
  if (drawnWidth == 0) return;
  out << '\r' << std::string(drawnWidth, ' ') << '\r' << std::flush;
  drawnWidth = 0;
}

std::string ProgressLine::text(std::size_t done, std::size_t total,
                               std::string_view unit) const {
  std::string line(step);
  if (unit.empty()) return line.append(" ...");
  line.append(": ").append(std::to_string(done));
  if (total > 0) line.append("/").append(std::to_string(total));
  line += ' ';
  line += unit;
  const double seconds =
      std::chrono::duration<double>(now() - stepStart).count();
  if (done == 0 || seconds < kShortestRateSeconds) return line;
  const double rate = static_cast<double>(done) / seconds;
  char rateText[32];
  std::snprintf(rateText, sizeof rateText, ", %.0f/s", rate);
  line += rateText;
  if (total > done) {
    line.append(", ")
        .append(clockText(static_cast<double>(total - done) / rate))
        .append(" left");
  }
  return line;
}

void ProgressLine::draw(const std::string& line) {
  // Blanks cover what a longer previous text left on the line.
  const std::size_t padding =
      drawnWidth > line.size() ? drawnWidth - line.size() : 0;
  out << '\r' << line << std::string(padding, ' ') << std::flush;
  drawnWidth = line.size() + padding;
}

}  // namespace hn
