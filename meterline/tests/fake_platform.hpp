// For tests of live bars: a platform whose clock moves only when told to, with terminals of
// chosen widths, on standard output and on the bar's own stream; and a string stream to draw
// on, read a drawing at a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

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

// What a bar wrote, taken out as it is read.
class DrawnStream : public std::ostringstream {
 public:
  // What was written since the last call.
  std::string take() {
    std::string bytes = str();
    str("");
    return bytes;
  }
};

}  // namespace meterline::testing
