// splitcat's --progress: a live bar of the bytes read, on standard error.
//
//   splitcat::ProgressMeter meter(std::optional<std::int64_t>(1 << 30));  // 1 GiB to read
//   meter.advance(131072);     // [=>..........]   0% 523.1 MB/s ETA 00:02
//   meter.println("splitcat: b.txt: Permission denied");   // above the bar
//   meter.finish();            // [============] 100% 530.0 MB/s ETA 00
//
// With a known total the bar shows the percentage, the rate and the time left; without one
// (a pipe, a terminal) it shows the bytes read and the rate. Either way the bar stays below
// 100% until `finish`, which draws it complete at whatever was read (a file may have grown or
// shrunk meanwhile) and leaves it on its line. On a terminal it is redrawn ten times a second,
// as wide as the terminal on standard error; elsewhere (a log file) it is drawn only at the
// start and at the end.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "meterline/meterline.hpp"

namespace splitcat {

// The system clock, and the width of the terminal that standard error writes to.
class StandardErrorPlatform : public meterline::Platform {
 public:
  meterline::TimePoint now() const override;
  std::optional<std::int64_t> terminalWidth() const override;
};

class ProgressMeter {
 public:
  explicit ProgressMeter(std::optional<std::int64_t> total);
  ProgressMeter(const ProgressMeter&) = delete;
  ProgressMeter& operator=(const ProgressMeter&) = delete;

  void advance(std::int64_t bytes);
  // A line of text above the bar.
  void println(std::string_view text);
  // Draws the bar complete.
  void finish();
  // Leaves the bar as it stands, for work that stops before the input's end.
  void abandon();

 private:
  StandardErrorPlatform platform_;  // before the bar, which refers to it
  meterline::ProgressBar<> bar_;
};

}  // namespace splitcat
