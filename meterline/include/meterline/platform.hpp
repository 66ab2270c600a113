// Platform: where a live bar reads the time and the width of the terminal.
//
//   struct FakePlatform : meterline::Platform {
//     meterline::TimePoint now() const override { return time; }
//     std::optional<std::int64_t> terminalWidth() const override { return 80; }
//     meterline::TimePoint time{};
//   };
//   FakePlatform fake;
//   auto bar = meterline::hNewProgressBar(out, meterline::defStyle(), 10.0, {0, 100, {}}, fake);
//   fake.time += std::chrono::milliseconds(150);   // the next update is due
//
// Live bars use `systemPlatform()` unless given another: the real-time clock, and the column
// count of the terminal on standard output (descriptor 1), or nothing when standard output is
// not a terminal. Tests give a bar a platform of their own to set the time and the terminal.
// A bar keeps a reference to its platform: the platform must outlive every copy of the bar.
//
// Bars made with options (see progress_bar.hpp) ask about their own stream instead, through
// `isTerminal` and `terminalWidthOf`; these ask the stream's file descriptor unless a platform
// says otherwise, so a test that draws on a string stream finds no terminal there.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>

#include "meterline/progress.hpp"

namespace meterline {

class Platform {
 public:
  virtual ~Platform() = default;

  // The current wall-clock time.
  virtual TimePoint now() const = 0;

  // The column count of the terminal on standard output, or nothing.
  virtual std::optional<std::int64_t> terminalWidth() const = 0;

  // Whether `stream` writes to a terminal.
  virtual bool isTerminal(const std::ostream& stream) const;

  // The column count of the terminal that `stream` writes to, or nothing.
  virtual std::optional<std::int64_t> terminalWidthOf(const std::ostream& stream) const;
};

// The real clock and terminal.
const Platform& systemPlatform() noexcept;

}  // namespace meterline
