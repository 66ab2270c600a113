// Labels: the texts in front of and behind a bar, computed from the progress and the timing.
//
//   meterline::Label<> name = "Copying";                       // a fixed text
//   meterline::Label<> count = meterline::exact();             // " 3/10"
//   meterline::Label<> eta = meterline::msg("ETA ") +
//                            meterline::remainingTime(meterline::renderDuration, "--");
//   eta.runLabel(progress, timing);                            // "ETA 01:05", or "ETA --"
//
// A `Label` wraps a function of a `Progress` and a `Timing` that returns a Text; `runLabel` is
// that function. Labels combine: `a + b` runs a, then b, and joins their texts, and
// `LabelMonoid` is the same combination as a monoid record (with the empty label as its
// neutral element) for code written against `fp` monoids. A label built from a string is a
// fixed text, decoded once when the label is built.
//
// The ready-made labels:
//   percentage()          completion in percent, rounded to the nearest (halves to even) and
//                         right-aligned in 4 characters; "100%" when the total is 0.
//   exact()               done "/" total, done right-aligned to the width of the total.
//   elapsedTime(f)        f(time since the bar started).
//   remainingTime(f, alt) f(estimated time left), or alt while no estimate can be made.
//   totalTime(f, alt)     f(estimated time of the whole job), or alt likewise.
//   rate(unit, alt)       units done per second since the bar started, " 12.3 MB/s" for the
//                         unit "B", or alt during the first second.
//
// The estimate extrapolates the elapsed time E by the done fraction d / t in fixed point with
// twelve decimal places (picoseconds), each step rounded down: the fraction, its reciprocal,
// and the total, E times the reciprocal (E itself when t <= 0). No estimate is made when nothing is done (d <= 0), during the
// first second (E <= 1 s, so an exact second still shows alt), when the fraction is below
// 10⁻¹² (its reciprocal is undefined), or when the product leaves the 128-bit range. Past the
// total (d > t > 0) the remaining time is negative. Labels read no clock: all time comes from
// the `Timing` they are given.
//
// The rate is d / E, the average since the bar started (units done before it started count
// too), scaled by the smallest decimal prefix (none, k, M, G, T, P, E: powers of 1000) that
// shows it below 1000, with one decimal rounded to the nearest (halves to even), the number
// right-aligned in 5 characters so that the label keeps its width, then a space, the prefix,
// the unit and "/s": "  0.4 files/s", "999.9 B/s", "  1.0 kB/s". It is exact for every 64-bit
// d and every elapsed time; a negative d gives a negative rate. As with the estimates, the
// first second (E <= 1 s) shows the alternative text.
//
// All of these are templates on the caller's custom type: `percentage()` is for
// `Progress<fp::Unit>`, `percentage<Job>()` for `Progress<Job>`. A `Label<Job>` is also made from
// any `Label<>`, so `style.stylePostfix = meterline::percentage();` serves a `Style<Job>` too.
#pragma once

#include <concepts>
#include <cstdint>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

#include "fp/monoid.hpp"
#include "fp/unit.hpp"
#include "meterline/duration.hpp"
#include "meterline/progress.hpp"
#include "meterline/text.hpp"

namespace meterline {

template <class Custom = fp::Unit>
class Label {
 public:
  using Function = std::function<Text(const Progress<Custom>&, const Timing&)>;

  // The empty label: the empty text for every progress.
  Label() : runLabel([](const Progress<Custom>&, const Timing&) { return Text(); }) {}

  template <class F>
    requires std::invocable<const F&, const Progress<Custom>&, const Timing&> &&
             std::convertible_to<std::invoke_result_t<const F&, const Progress<Custom>&, const Timing&>,
                                 Text>
  Label(F function) : runLabel(std::move(function)) {}

  // A fixed text, from anything a Text is built from ("Copying", a std::string, a Text).
  template <class S>
    requires std::constructible_from<Text, const S&> &&
             (!std::invocable<const S&, const Progress<Custom>&, const Timing&>)
  Label(const S& text)
      : runLabel([fixed = Text(text)](const Progress<Custom>&, const Timing&) { return fixed; }) {}

  // A label for any progress (a ready-made one, `msg`, a `Label<>`) where the progress carries
  // a custom value: it sees the counts, and the custom value is no concern of it. So a
  // `Style<Job>` takes `percentage()` as it is.
  template <class Plain>
    requires std::same_as<Plain, Label<fp::Unit>> && (!std::same_as<Custom, fp::Unit>)
  Label(const Plain& forAny)
      : runLabel([forAny](const Progress<Custom>& progress, const Timing& timing) {
          return forAny.runLabel(Progress<>{progress.progressDone, progress.progressTodo, {}}, timing);
        }) {}

  // a's text followed by b's, a run first.
  friend Label operator+(Label a, Label b) {
    return Label([a = std::move(a), b = std::move(b)](const Progress<Custom>& progress,
                                                        const Timing& timing) {
      Text text = a.runLabel(progress, timing);
      text += b.runLabel(progress, timing);
      return text;
    });
  }

  Function runLabel;
};

// Labels under `+`, with the empty label as neutral element.
template <class Custom = fp::Unit>
struct LabelMonoid : fp::MonoidDefaults<LabelMonoid<Custom>> {
  using Value = Label<Custom>;
  static Value mempty() { return {}; }
  template <class Rhs>
  static Value append(Value a, Rhs&& b) {
    return std::move(a) + Value(std::invoke(std::forward<Rhs>(b)));
  }
};

// The label that shows this text whatever the progress.
template <class Custom = fp::Unit>
Label<Custom> msg(Text text) {
  return Label<Custom>(std::move(text));
}

namespace detail {
Text percentageText(std::int64_t done, std::int64_t todo);
Text exactText(std::int64_t done, std::int64_t todo);
Picoseconds elapsed(const Timing& timing) noexcept;
Text rateText(std::int64_t done, const Timing& timing, const Text& unit, const Text& alternative);
std::optional<Picoseconds> estimatedTotal(std::int64_t done, std::int64_t todo,
                                          const Timing& timing) noexcept;
}  // namespace detail

template <class Custom = fp::Unit>
Label<Custom> percentage() {
  return Label<Custom>([](const Progress<Custom>& progress, const Timing&) {
    return detail::percentageText(progress.progressDone, progress.progressTodo);
  });
}

template <class Custom = fp::Unit>
Label<Custom> exact() {
  return Label<Custom>([](const Progress<Custom>& progress, const Timing&) {
    return detail::exactText(progress.progressDone, progress.progressTodo);
  });
}

template <class Custom = fp::Unit>
Label<Custom> elapsedTime(DurationFormat format) {
  return Label<Custom>([format = std::move(format)](const Progress<Custom>&, const Timing& timing) {
    return format(detail::elapsed(timing));
  });
}

namespace detail {
// The label that shows format(pick(estimated total, elapsed)), or the alternative text while
// no estimate is made.
template <class Custom, class Pick>
Label<Custom> estimateLabel(DurationFormat format, Text alternative, Pick pick) {
  return Label<Custom>([format = std::move(format), alternative = std::move(alternative), pick](
                           const Progress<Custom>& progress, const Timing& timing) {
    const auto total = estimatedTotal(progress.progressDone, progress.progressTodo, timing);
    return total ? format(pick(*total, elapsed(timing))) : alternative;
  });
}
}  // namespace detail

template <class Custom = fp::Unit>
Label<Custom> remainingTime(DurationFormat format, Text alternative) {
  return detail::estimateLabel<Custom>(std::move(format), std::move(alternative),
                                       [](Picoseconds total, Picoseconds elapsed) { return total - elapsed; });
}

template <class Custom = fp::Unit>
Label<Custom> totalTime(DurationFormat format, Text alternative) {
  return detail::estimateLabel<Custom>(std::move(format), std::move(alternative),
                                       [](Picoseconds total, Picoseconds) { return total; });
}

template <class Custom = fp::Unit>
Label<Custom> rate(Text unit, Text alternative) {
  return Label<Custom>([unit = std::move(unit), alternative = std::move(alternative)](
                           const Progress<Custom>& progress, const Timing& timing) {
    return detail::rateText(progress.progressDone, timing, unit, alternative);
  });
}

extern template Label<fp::Unit> percentage<fp::Unit>();
extern template Label<fp::Unit> exact<fp::Unit>();
extern template Label<fp::Unit> elapsedTime<fp::Unit>(DurationFormat);
extern template Label<fp::Unit> remainingTime<fp::Unit>(DurationFormat, Text);
extern template Label<fp::Unit> totalTime<fp::Unit>(DurationFormat, Text);
extern template Label<fp::Unit> rate<fp::Unit>(Text, Text);

}  // namespace meterline
