#include "progress.hpp"

#include <sys/stat.h>
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
    // No bar to fill: the count of bytes and the rate, as the prefix so that the line starts
    // with them rather than with the space that would separate them from an empty bar.
    style.styleOpen = "";
    style.styleClose = "";
    style.styleWidth = meterline::ConstantWidth{0};
    style.stylePrefix =
        meterline::Label<>([](const meterline::Progress<>& progress, const meterline::Timing&) {
          return byteCount(progress.progressDone);
        }) +
        " read, " + rate;
    style.stylePostfix = meterline::Label<>();
  }
  return style;
}

// Until the end the total stays above what was read, so that no drawing before it is the
// complete one (which ends the bar's line).
meterline::Progress<> startOf(std::optional<std::int64_t> total) {
  return {0, total ? *total + 1 : std::numeric_limits<std::int64_t>::max(), {}};
}

// Whether two descriptors write to the same file, pipe or terminal.
bool sameFile(int first, int second) {
  struct stat a {}, b {};
  if (::fstat(first, &a) != 0 || ::fstat(second, &b) != 0) return false;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Drawings a second of a bar redrawn in place, and seconds between two plain lines.
constexpr double kRefreshRate = 10.0;
constexpr double kPlainInterval = 5.0;

meterline::BarOptions optionsFor(meterline::Output output) {
  meterline::BarOptions options;
  options.onTerminal = output;  // decided already, by progressOutput
  options.offTerminal = output;
  options.plainInterval = kPlainInterval;
  return options;
}

}  // namespace

std::optional<meterline::Output> progressOutput(Progress progress) {
  if (progress == Progress::Off || sameFile(STDOUT_FILENO, STDERR_FILENO)) return std::nullopt;
  if (meterline::isTerminal(std::cerr)) return meterline::Output::Live;
  if (progress == Progress::Plain) return meterline::Output::Plain;
  return std::nullopt;
}

ProgressMeter::ProgressMeter(meterline::Output output, std::optional<std::int64_t> total)
    : bar_(meterline::newProgressBar(styleFor(total.has_value()), kRefreshRate, startOf(total),
                                     optionsFor(output))) {}

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

void ProgressMeter::abandon() { meterline::abandon(bar_); }

}  // namespace splitcat
