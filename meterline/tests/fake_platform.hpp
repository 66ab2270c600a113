// A platform for tests of live bars: a clock that moves only when told to, and terminals of
// chosen widths, on standard output and on the bar's own stream.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>

#include "meterline/platform.hpp"

namespace meterline::testing {

class FakePlatform : public meterline::Platform {
 public:
  TimePoint now() const override { return time; }
  std::optional<std::int64_t> terminalWidth() const override {
    ++widthQueries;
    return columns;
  }
  bool isTerminal(const std::ostream&) const override { return terminal; }
  std::optional<std::int64_t> terminalWidthOf(const std::ostream&) const override {
    ++streamWidthQueries;
    return streamColumns;
  }

  TimePoint time{std::chrono::seconds(1'700'000'000)};
  std::optional<std::int64_t> columns;        // of the terminal on standard output
  bool terminal = true;                       // whether the bar's stream is a terminal
  std::optional<std::int64_t> streamColumns;  // of the terminal the bar's stream writes to
  mutable int widthQueries = 0;
  mutable int streamWidthQueries = 0;
};

}  // namespace meterline::testing
