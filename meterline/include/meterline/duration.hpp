// Durations as the time labels compute them, and `renderDuration`, which writes one as a clock.
//
//   meterline::renderDuration(std::chrono::seconds(5));              // "05"
//   meterline::renderDuration(std::chrono::seconds(3725));           // "01:02:05"
//   meterline::renderDuration(std::chrono::milliseconds(-65'500));   // "-01:06"
//   meterline::renderDuration(std::chrono::duration<double>(2.5));   // "02": halves go to even
//
// The time labels work on exact picosecond counts (`Picoseconds`), wide enough that an
// estimate for any 64-bit progress over any span of the clock is exact; they hand the result
// to a `DurationFormat`, of which `renderDuration` is the ready-made one.
//
// `renderDuration` rounds to whole seconds, to the nearest and an exact half to the even
// neighbour, and writes hours, minutes and seconds as two-digit fields joined by ":". Hours
// and minutes are written only when needed, but once hours are, minutes are too, so no two
// durations share a text: "01:05" is 65 seconds and "01:00:05" is 3605. There is no day
// field; hours grow as far as they need. A negative duration is "-" and the text of its
// magnitude. It takes any std::chrono::duration; a floating-point one that is not finite is
// an std::invalid_argument, and one too large to count in seconds an std::out_of_range.
#pragma once

#include <chrono>
#include <functional>
#include <ratio>
#include <type_traits>

#include "meterline/text.hpp"

namespace meterline {

__extension__ using Int128 = __int128;

using Picoseconds = std::chrono::duration<Int128, std::pico>;

// Turns a duration into the text a time label shows.
using DurationFormat = std::function<Text(Picoseconds)>;

namespace detail {
// The clock text of a whole number of seconds.
Text renderSeconds(Int128 seconds);
// units / per rounded to the nearest integer, an exact half to the even one; per > 0.
Int128 roundToNearest(Int128 units, Int128 per) noexcept;
// Seconds held as a floating-point number, rounded to the nearest whole, halves to even.
Int128 roundSeconds(long double seconds);
[[noreturn]] void throwDurationOutOfRange();
}  // namespace detail

struct RenderDuration {
  template <class Rep, class Period>
  Text operator()(std::chrono::duration<Rep, Period> duration) const {
    if constexpr (std::chrono::treat_as_floating_point_v<Rep>) {
      return detail::renderSeconds(detail::roundSeconds(static_cast<long double>(duration.count()) *
                                                        Period::num / Period::den));
    } else {
      Int128 units;  // of 1 / Period::den seconds
      if (__builtin_mul_overflow(static_cast<Int128>(duration.count()), Int128{Period::num}, &units))
        detail::throwDurationOutOfRange();
      return detail::renderSeconds(detail::roundToNearest(units, Period::den));
    }
  }
};

inline constexpr RenderDuration renderDuration{};

}  // namespace meterline
