// A live bar: one line on an output stream, redrawn in place as progress is reported.
//
//   auto bar = meterline::newProgressBar(meterline::defStyle(), 10.0,   // standard error,
//                                        {0, std::ssize(files), {}});  // 10 drawings a second
//   for (const auto& file : files) {        // from any number of threads
//     copy(file);
//     meterline::incProgress(bar, 1);
//   }                                        // the last update draws the complete bar
//
// Creating a bar draws its first line. Each update reads the clock, applies its change to the
// progress and redraws the line when more than 1 / rate seconds have passed since the last
// drawing, or when the progress is complete (done >= total); any other update only records
// the progress, with no rendering, no output and no allocation of its own, for a later update
// to draw. A rate of 0 draws only complete progress; a negative rate draws every update.
//
// A drawing writes the rendered line (see render.hpp), then "\r" while the progress is
// incomplete, so that the next drawing overwrites it, and on completion "\n" (`WriteNewline`)
// or "\r\x1b[K", which erases the line (`Clear`); then it flushes the stream. The stream
// belongs to the caller: the bar never closes it, and reports a failure to write the way the
// stream does (its state flags, or an exception when the stream's exception mask asks for one).
//
// Copies of a bar share one state cell. An update holds the cell from reading the progress to
// the end of its drawing, so any number of threads may report progress, each update sees the
// one before, and the bar's lines never interleave. Updates apply in the order they obtain the
// cell; one that waited may carry a time earlier than the last drawing, and then draws only if
// complete. When the change, a label, an escape function or the stream throws, the exception
// reaches the caller and the cell keeps the state it had before the update.
//
// With a `TerminalWidth` style the bar asks for the terminal's width once, when created, on
// standard output whatever stream it draws on, and keeps its style with that width.
//
// `println(bar, text)` writes a line of text above a live bar without breaking it:
//
//   meterline::println(bar, "skipped " + name);   // the bar moves down one line
//
// Holding the bar like an update, it erases the bar's line ("\r\x1b[K"), writes the text
// unchanged and a newline, and draws the bar again with its current progress and the current
// time, all in one write; the drawing counts as the bar's last, for the refresh rule. Lines
// written to the bar's stream any other way may land in the middle of the bar's line. Once the
// progress is complete the finished bar is left where it is (it was followed by its newline,
// or erased) and println writes only the text and a newline, below it. When a label, an escape
// function or the stream throws, the exception reaches the caller and the bar's state is kept.
#pragma once

#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "fp/unit.hpp"
#include "meterline/platform.hpp"
#include "meterline/progress.hpp"
#include "meterline/render.hpp"
#include "meterline/style.hpp"
#include "meterline/text.hpp"

namespace meterline {

// The mutable part of a live bar.
template <class Custom = fp::Unit>
struct State {
  Progress<Custom> stProgress;
  TimePoint stRenderTime;  // when the bar was last drawn
};

// The cell that all copies of a bar share: its State behind a mutex, and the platform whose
// clock the bar reads.
template <class Custom = fp::Unit>
class StateCell {
 public:
  StateCell(State<Custom> initial, const Platform& platform)
      : state_(std::move(initial)), platform_(&platform) {}

  const Platform& platform() const noexcept { return *platform_; }

  // Runs f on the state with the cell held, after waiting while another thread holds it.
  template <class F>
  decltype(auto) hold(F&& f) {
    std::lock_guard lock(mutex_);
    return std::invoke(std::forward<F>(f), state_);
  }

 private:
  std::mutex mutex_;
  State<Custom> state_;
  const Platform* platform_;
};

template <class Custom = fp::Unit>
struct ProgressBar {
  Style<Custom> pbStyle;  // with the terminal's width, when it was found
  std::shared_ptr<StateCell<Custom>> pbStateMv;
  double pbRefreshDelay;  // seconds: 1 / the maximum refresh rate
  TimePoint pbStartTime;
  std::reference_wrapper<std::ostream> pbHandle;
};

namespace detail {
// The process's standard error stream.
std::ostream& standardError() noexcept;

// Writes a rendered line and the sequence that follows it, then flushes.
void writeDrawing(std::ostream& out, Text line, bool complete, OnComplete onComplete);

// Writes a line of text in place of an incomplete bar's line, then the bar's new line, then
// flushes.
void writeAboveDrawing(std::ostream& out, std::string_view text, Text line);

// Writes a line of text, then flushes.
void writeLine(std::ostream& out, std::string_view text);

// The seconds from one time point to another, as the nearest double.
inline double secondsBetween(TimePoint from, TimePoint to) noexcept {
  std::int64_t nanoseconds;
  if (!__builtin_sub_overflow(to.time_since_epoch().count(), from.time_since_epoch().count(),
                              &nanoseconds)) [[likely]]
    return static_cast<double>(nanoseconds) / 1e9;
  return static_cast<double>((static_cast<long double>(to.time_since_epoch().count()) -
                              static_cast<long double>(from.time_since_epoch().count())) /
                             1e9L);
}

// One drawing of a bar.
template <class Custom>
void drawLine(std::ostream& out, const Style<Custom>& style, const Progress<Custom>& progress,
              const Timing& timing) {
  writeDrawing(out, renderProgressBar(style, progress, timing),
               progress.progressDone >= progress.progressTodo, style.styleOnComplete);
}
}  // namespace detail

// A live bar drawing on `handle`, at most `maxRefreshRate` times a second apart from complete
// progress. Draws the first line before it returns.
template <class Custom>
ProgressBar<Custom> hNewProgressBar(std::ostream& handle, Style<Custom> style, double maxRefreshRate,
                                    Progress<Custom> initial,
                                    const Platform& platform = systemPlatform()) {
  if (auto* terminal = std::get_if<TerminalWidth>(&style.styleWidth)) {
    if (const auto columns = platform.terminalWidth()) terminal->width = *columns;
  }
  const TimePoint start = platform.now();
  detail::drawLine(handle, style, initial, Timing{start, start});
  auto cell = std::make_shared<StateCell<Custom>>(State<Custom>{std::move(initial), start}, platform);
  return ProgressBar<Custom>{std::move(style), std::move(cell), 1.0 / maxRefreshRate, start, handle};
}

// A live bar on standard error.
template <class Custom>
ProgressBar<Custom> newProgressBar(Style<Custom> style, double maxRefreshRate,
                                   Progress<Custom> initial) {
  return hNewProgressBar(detail::standardError(), std::move(style), maxRefreshRate, std::move(initial));
}

// Sets the progress to f(progress), drawing it when it is due or complete.
template <class Custom, class F>
  requires std::invocable<F&, const Progress<Custom>&> &&
           std::convertible_to<std::invoke_result_t<F&, const Progress<Custom>&>, Progress<Custom>>
void updateProgress(const ProgressBar<Custom>& bar, F&& f) {
  StateCell<Custom>& cell = *bar.pbStateMv;
  const TimePoint now = cell.platform().now();
  cell.hold([&](State<Custom>& state) {
    const double sinceDrawn = detail::secondsBetween(state.stRenderTime, now);
    Progress<Custom> next = std::invoke(f, std::as_const(state.stProgress));
    if (sinceDrawn > bar.pbRefreshDelay || next.progressDone >= next.progressTodo) {
      detail::drawLine(bar.pbHandle.get(), bar.pbStyle, next, Timing{bar.pbStartTime, now});
      state = State<Custom>{std::move(next), now};
    } else {
      state.stProgress = std::move(next);
    }
  });
}

// Adds n to the units done, wrapping around on 64-bit overflow.
template <class Custom>
void incProgress(const ProgressBar<Custom>& bar, std::int64_t n) {
  updateProgress(bar, [n](const Progress<Custom>& progress) {
    return Progress<Custom>{
        static_cast<std::int64_t>(static_cast<std::uint64_t>(progress.progressDone) +
                                  static_cast<std::uint64_t>(n)),
        progress.progressTodo, progress.progressCustom};
  });
}

// Writes `text` and a newline above the bar, and draws the bar again below them.
template <class Custom>
void println(const ProgressBar<Custom>& bar, std::string_view text) {
  StateCell<Custom>& cell = *bar.pbStateMv;
  const TimePoint now = cell.platform().now();
  cell.hold([&](State<Custom>& state) {
    const Progress<Custom>& progress = state.stProgress;
    if (progress.progressDone >= progress.progressTodo) {
      detail::writeLine(bar.pbHandle.get(), text);
      return;
    }
    const Timing timing{bar.pbStartTime, now};
    Text line = renderProgressBar(bar.pbStyle, progress, timing);
    detail::writeAboveDrawing(bar.pbHandle.get(), text, std::move(line));
    state.stRenderTime = now;
  });
}

extern template ProgressBar<fp::Unit> hNewProgressBar<fp::Unit>(std::ostream&, Style<fp::Unit>,
                                                                double, Progress<fp::Unit>,
                                                                const Platform&);
extern template ProgressBar<fp::Unit> newProgressBar<fp::Unit>(Style<fp::Unit>, double,
                                                               Progress<fp::Unit>);
extern template void println<fp::Unit>(const ProgressBar<fp::Unit>&, std::string_view);

}  // namespace meterline
