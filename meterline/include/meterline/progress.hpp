// The values a progress bar is drawn from: how far the work has got, and when.
//
//   meterline::Progress<> halfway{50, 100, {}};      // 50 of 100 units done
//   meterline::Progress<Job> mine{3, 10, job};       // carries the caller's own value
//   meterline::Timing timing{start, now};            // bar created at `start`, updated at `now`
//
// `Progress` holds the units done and the total units of the whole job (not what is left), and
// a value of the caller's own type that labels and escape functions receive untouched; a bar
// that needs none uses `fp::Unit`. Nothing restricts the counts: done may exceed the total, and
// either may be zero or negative. Progress counts as complete when done >= total.
//
// `Timing` is what a label knows about time. Time points come from the real-time clock, with
// nanosecond resolution.
#pragma once

#include <chrono>
#include <cstdint>

#include "fp/unit.hpp"

namespace meterline {

using TimePoint = std::chrono::sys_time<std::chrono::nanoseconds>;

template <class Custom = fp::Unit>
struct Progress {
  std::int64_t progressDone;
  std::int64_t progressTodo;
  Custom progressCustom;

  friend bool operator==(const Progress&, const Progress&) = default;
};

struct Timing {
  TimePoint timingStart;       // when the live bar was created
  TimePoint timingLastUpdate;  // the moment of the current update

  friend bool operator==(const Timing&, const Timing&) = default;
};

}  // namespace meterline
