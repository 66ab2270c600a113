#include "progress.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <limits>
#include <string>

namespace splitcat {

namespace {

// A byte count with a decimal prefix: "512 B", "1.5 kB", "12.3 MB".
meterline::Text byteCount(std::int64_t bytes) {
  if (bytes < 1000) return meterline::Text(std::to_string(bytes) + " B");
  static constexpr const char* kPrefixes = "kMGTPE";
  // Tenths of the unit, rounded to the nearest.
  double scaled = double(bytes) / 1000;
  std::size_t prefix = 0;
  while (scaled >= 999.95 && prefix + 1 < 6) {
    scaled /= 1000;
    ++prefix;
  }
  const auto tenths = static_cast<std::int64_t>(scaled * 10 + 0.5);
  return meterline::Text(std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " " +
                         kPrefixes[prefix] + "B");
}

meterline::Style<> styleFor(bool knownTotal) {
  meterline::Style<> style = meterline::defStyle();
  style.styleWidth = meterline::TerminalWidth{60};
  const meterline::Label<> rate = meterline::rate("B", " --.- B/s");
  if (knownTotal) {
    style.stylePostfix = meterline::percentage() + " " + rate + " ETA " +
                         meterline::remainingTime(meterline::renderDuration, "--:--");
  } else {
    // No bar to fill: the labels alone, the count of bytes and the rate.
    style.styleOpen = "";
    style.styleClose = "";
    style.styleWidth = meterline::ConstantWidth{0};
    style.stylePostfix =
        meterline::Label<>([](const meterline::Progress<>& progress, const meterline::Timing&) {
          return byteCount(progress.progressDone);
        }) +
        " read, " + rate;
  }
  return style;
}

// Until the end the total stays above what was read, so that no drawing before it is the
// complete one (which ends the bar's line).
meterline::Progress<> startOf(std::optional<std::int64_t> total) {
  return {0, total ? *total + 1 : std::numeric_limits<std::int64_t>::max(), {}};
}

}  // namespace

meterline::TimePoint StandardErrorPlatform::now() const { return meterline::systemPlatform().now(); }

std::optional<std::int64_t> StandardErrorPlatform::terminalWidth() const {
  winsize size{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return std::nullopt;
  return size.ws_col;
}

ProgressMeter::ProgressMeter(std::optional<std::int64_t> total)
    : bar_(meterline::hNewProgressBar(std::cerr, styleFor(total.has_value()),
                                      meterline::isTerminal(std::cerr) ? 10.0 : 0.0,
                                      startOf(total), platform_)) {}

void ProgressMeter::advance(std::int64_t bytes) {
  meterline::updateProgress(bar_, [bytes](const meterline::Progress<>& progress) {
    const std::int64_t done = progress.progressDone + bytes;
    return meterline::Progress<>{done, std::max(progress.progressTodo, done + 1), {}};
  });
}

void ProgressMeter::println(std::string_view text) { meterline::println(bar_, text); }

void ProgressMeter::finish() {
  meterline::updateProgress(bar_, [](const meterline::Progress<>& progress) {
    return meterline::Progress<>{progress.progressDone, progress.progressDone, {}};
  });
}

void ProgressMeter::abandon() { std::cerr << '\n' << std::flush; }

}  // namespace splitcat
