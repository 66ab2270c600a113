// splitcat's --progress: the bytes read, shown on standard error where someone can see them.
//
//   if (const auto output = splitcat::progressOutput(splitcat::Progress::Bar)) {
//     splitcat::ProgressMeter meter(*output, std::int64_t{1} << 30);  // 1 GiB to read
//     meter.advance(131072);     // [=>..........]   0% 523.1 MB/s ETA 00:02
//     meter.println("splitcat: b.txt: Permission denied");   // above the bar
//     meter.finish();            // [============] 100% 530.0 MB/s ETA 00
//   }
//
// Where it is shown: on a terminal, as a bar redrawn in place ten times a second, as wide as
// that terminal (asked at each drawing, so that a resized window is followed); in a file or a
// pipe, not at all, or with --progress=plain as plain lines (no "\r", no escape sequences) at
// the start, every 5 seconds and at the end. Never when standard output writes to the same
// terminal, file or pipe as standard error: there the pieces and the bar would break into each
// other's lines, and someone watching pieces scroll by has no use for a bar.
//
// With a known total the bar shows the percentage, the rate and the time left; without one
// (a pipe, a terminal) it shows the bytes read and the rate. Either way the bar stays below
// 100% until `finish`, which draws it complete at whatever was read (a file may have grown or
// shrunk meanwhile) and ends its line. `abandon` ends the line as last drawn, for work that
// stops early; a meter destroyed before either (an exception) does the same, so that whatever
// is written after it starts on a line of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "meterline/meterline.hpp"
#include "options.hpp"

namespace splitcat {

// How `progress` is shown on standard error as the standard streams stand, or nothing where
// it would not be seen (or would break into the pieces).
std::optional<meterline::Output> progressOutput(Progress progress);

class ProgressMeter {
 public:
  ProgressMeter(meterline::Output output, std::optional<std::int64_t> total);
  ProgressMeter(const ProgressMeter&) = delete;
  ProgressMeter& operator=(const ProgressMeter&) = delete;

  void advance(std::int64_t bytes);
  // A line of text above the bar.
  void println(std::string_view text);
  // Draws the bar complete and ends its line.
  void finish();
  // Ends the bar's line as it stands, for work that stops before the input's end.
  void abandon();

 private:
  meterline::ProgressBar<> bar_;
};

}  // namespace splitcat
