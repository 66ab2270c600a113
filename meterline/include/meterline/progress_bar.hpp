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
//
// Ending a bar. `finish(bar)` draws its final state and ends its line (as completion does:
// a newline, or the line erased); `abandon(bar)` ends the line as last drawn, with a newline.
// Either way later output starts on a line of its own, and the bar draws no more: updates
// still record progress, println writes only its text. Each does nothing to a bar already
// ended, or whose completed line has already been followed by its newline. A `BarGuard`
// finishes a bar when its scope ends and abandons it when an exception leaves the scope:
//
//   auto bar = meterline::newProgressBar(style, 10.0, {0, total, {}});
//   meterline::BarGuard guard(bar);   // an early return or a throw ends the line cleanly
//
// Options: a bar for real terminals, logs and pipes. Made with `BarOptions` (any field may be
// left as it is), a bar asks about its own stream rather than standard output:
//
//   auto bar = meterline::newProgressBar(style, 10.0, {0, total, {}}, meterline::BarOptions{});
//
// - Where it goes: `Output::Live` on a terminal (redrawn in place), and `Output::Plain` on
//   anything else (a file, a pipe, a string stream): a whole line, with no "\r" and no escape
//   texts, at most every `plainInterval` seconds and once at completion, which a log can keep.
//   `Output::Silent` draws nothing. `onTerminal` and `offTerminal` choose.
// - Its width: a `TerminalWidth` style takes the width of the terminal the bar writes to,
//   asked again at every drawing (`followWidth`), so that a resized window is followed; a
//   line drawn after the window narrowed erases what the terminal wrapped of the wider one.
// - Its measure: labels and brackets are measured in terminal columns (`Measure::Columns`),
//   so that wide characters do not wrap the line.
// - Its ending: a complete bar ends its line once, and draws no more. When the last copy of
//   an unended bar goes (a scope left early, by an exception too), its line ends as last drawn.
//
// A live bar with options draws as a block of one line (see canvas.hpp): "\x1b[2K" (erase the
// line), the line, then "\r"; on completion "\n" in place of "\r", or, when the style clears,
// only an erasure. Several such bars can share one block (see bar_group.hpp).
#pragma once

#include <concepts>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "fp/unit.hpp"
#include "meterline/canvas.hpp"
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

// Where a bar made with options draws.
enum class Output {
  Live,    // in place, redrawn as the progress changes
  Plain,   // whole lines for a log: no "\r", no escape texts; now and then, and at completion
  Silent,  // nothing
};

// How a bar made with options draws; every field has a default.
struct BarOptions {
  Output onTerminal = Output::Live;   // when the bar's stream writes to a terminal
  Output offTerminal = Output::Plain; // when it writes to a file, a pipe or anything else
  Measure measure = Measure::Columns; // how labels and brackets are measured
  bool followWidth = true;            // ask the terminal's width at every drawing, not once
  double plainInterval = 5.0;         // seconds between two plain lines (completion aside)
};

// The cell that all copies of a bar share: its State, the style and start time it is drawn
// with, and the canvas it is drawn on, whose lock guards the State.
template <class Custom = fp::Unit>
class StateCell final : public detail::BarLine {
 public:
  StateCell(State<Custom> initial, Style<Custom> style, std::shared_ptr<detail::Canvas> canvas)
      : state_(std::move(initial)),
        style_(std::move(style)),
        start_(state_.stRenderTime),
        canvas_(std::move(canvas)) {}
  StateCell(const StateCell&) = delete;
  StateCell& operator=(const StateCell&) = delete;
  ~StateCell() { canvas_->detach(*this); }

  const Platform& platform() const noexcept { return canvas_->platform(); }
  detail::Canvas& canvas() const noexcept { return *canvas_; }

  // Runs f on the state with the cell held, after waiting while another thread holds it.
  template <class F>
  decltype(auto) hold(F&& f) {
    std::lock_guard lock(canvas_->mutex());
    return std::invoke(std::forward<F>(f), state_);
  }

  // The rest is called with the cell held.

  Text render(TimePoint now, const detail::LineFormat& format) const override {
    return lineOf(state_.stProgress, now, format);
  }
  bool complete() const noexcept override {
    return state_.stProgress.progressDone >= state_.stProgress.progressTodo;
  }
  void drawnAt(TimePoint now) noexcept override { state_.stRenderTime = now; }

  // Draws the state's first line.
  void attach() {
    canvas_->attach(*this, lineOf(state_.stProgress, start_, canvas_->format()), complete(),
                    style_.styleOnComplete);
  }

  // Draws `progress`, the bar's next; false when the bar draws no more.
  bool draw(const Progress<Custom>& progress, TimePoint now, bool due) {
    detail::Canvas& canvas = *canvas_;
    if (!canvas.isOpen(*this)) return false;
    const detail::LineFormat format = canvas.format();
    const Text line = canvas.drawsLines() ? lineOf(progress, now, format) : Text();
    canvas.update(*this, line, format, progress.progressDone >= progress.progressTodo,
                  style_.styleOnComplete, due, now);
    return true;
  }

  void finish(TimePoint now) {
    detail::Canvas& canvas = *canvas_;
    const Text line = canvas.needsFinalLine(*this) ? render(now, canvas.format()) : Text();
    canvas.finish(*this, line, style_.styleOnComplete);
  }

 private:
  Text lineOf(const Progress<Custom>& progress, TimePoint now, const detail::LineFormat& format) const {
    return detail::renderLine(style_, progress, Timing{start_, now}, format);
  }

  State<Custom> state_;
  const Style<Custom> style_;
  const TimePoint start_;
  const std::shared_ptr<detail::Canvas> canvas_;
};

template <class Custom = fp::Unit>
struct ProgressBar {
  Style<Custom> pbStyle;  // with the terminal's width, when it was found
  std::shared_ptr<StateCell<Custom>> pbStateMv;
  // Seconds between two drawings: 1 / the maximum refresh rate; with options, the plain
  // interval for plain lines, and infinity for silence.
  double pbRefreshDelay;
  TimePoint pbStartTime;
  std::reference_wrapper<std::ostream> pbHandle;
};

namespace detail {
// The process's standard error stream.
std::ostream& standardError() noexcept;

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

// The canvas of bars made with options on `handle`, and the least time between two drawings
// there.
struct OptionsCanvas {
  std::shared_ptr<Canvas> canvas;
  double refreshDelay;
};
OptionsCanvas optionsCanvas(std::ostream& handle, double maxRefreshRate, const BarOptions& options,
                            const Platform& platform);

// A new bar on `canvas`, its first line drawn; `style` is kept as the bar's, and `drawnStyle`
// is what it is drawn with.
template <class Custom>
ProgressBar<Custom> addBar(const std::shared_ptr<Canvas>& canvas, Style<Custom> style,
                           Style<Custom> drawnStyle, double refreshDelay, Progress<Custom> initial) {
  const TimePoint start = canvas->platform().now();
  auto cell = std::make_shared<StateCell<Custom>>(State<Custom>{std::move(initial), start},
                                                  std::move(drawnStyle), canvas);
  {
    const std::lock_guard lock(canvas->mutex());
    cell->attach();
  }
  return ProgressBar<Custom>{std::move(style), std::move(cell), refreshDelay, start, canvas->out()};
}

// A new bar with options on `canvas`: drawn with `style`, which it keeps with the terminal's
// width when there is one.
template <class Custom>
ProgressBar<Custom> addOptionsBar(const std::shared_ptr<Canvas>& canvas, Style<Custom> style,
                                  double refreshDelay, Progress<Custom> initial) {
  Style<Custom> kept = style;
  if (auto* terminal = std::get_if<TerminalWidth>(&kept.styleWidth)) {
    const std::lock_guard lock(canvas->mutex());  // the bars drawing may ask the width anew
    if (const auto columns = canvas->columns()) terminal->width = *columns;
  }
  return addBar(canvas, std::move(kept), std::move(style), refreshDelay, std::move(initial));
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
  auto canvas = std::make_shared<detail::Canvas>(handle, platform, detail::Layout::Exact,
                                                 Measure::CodePoints, false);
  Style<Custom> drawn = style;
  return detail::addBar(canvas, std::move(style), std::move(drawn), 1.0 / maxRefreshRate,
                        std::move(initial));
}

// A live bar with options drawing on `handle`.
template <class Custom>
ProgressBar<Custom> hNewProgressBar(std::ostream& handle, Style<Custom> style, double maxRefreshRate,
                                    Progress<Custom> initial, const BarOptions& options,
                                    const Platform& platform = systemPlatform()) {
  const auto [canvas, delay] = detail::optionsCanvas(handle, maxRefreshRate, options, platform);
  return detail::addOptionsBar(canvas, std::move(style), delay, std::move(initial));
}

// A live bar on standard error.
template <class Custom>
ProgressBar<Custom> newProgressBar(Style<Custom> style, double maxRefreshRate,
                                   Progress<Custom> initial) {
  return hNewProgressBar(detail::standardError(), std::move(style), maxRefreshRate, std::move(initial));
}

// A live bar with options on standard error.
template <class Custom>
ProgressBar<Custom> newProgressBar(Style<Custom> style, double maxRefreshRate,
                                   Progress<Custom> initial, const BarOptions& options) {
  return hNewProgressBar(detail::standardError(), std::move(style), maxRefreshRate,
                         std::move(initial), options);
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
    const bool due = sinceDrawn > bar.pbRefreshDelay;
    if ((due || next.progressDone >= next.progressTodo) && cell.draw(next, now, due))
      state = State<Custom>{std::move(next), now};
    else
      state.stProgress = std::move(next);
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
  cell.hold([&](State<Custom>&) { cell.canvas().println(text, now); });
}

// Draws the bar's final state and ends its line.
template <class Custom>
void finish(const ProgressBar<Custom>& bar) {
  StateCell<Custom>& cell = *bar.pbStateMv;
  const TimePoint now = cell.platform().now();
  cell.hold([&](State<Custom>&) { cell.finish(now); });
}

// Ends the bar's line as last drawn.
template <class Custom>
void abandon(const ProgressBar<Custom>& bar) {
  StateCell<Custom>& cell = *bar.pbStateMv;
  cell.hold([&](State<Custom>&) { cell.canvas().abandon(cell); });
}

// Finishes a bar when the scope ends, or abandons it when an exception leaves the scope.
template <class Custom = fp::Unit>
class BarGuard {
 public:
  explicit BarGuard(ProgressBar<Custom> bar)
      : bar_(std::move(bar)), exceptions_(std::uncaught_exceptions()) {}
  BarGuard(const BarGuard&) = delete;
  BarGuard& operator=(const BarGuard&) = delete;
  ~BarGuard() {
    try {
      if (std::uncaught_exceptions() > exceptions_)
        abandon(bar_);
      else
        finish(bar_);
    } catch (...) {
      // A destructor reports nothing: a failing label or stream leaves the bar as it was.
    }
  }

 private:
  ProgressBar<Custom> bar_;
  int exceptions_;
};

extern template ProgressBar<fp::Unit> hNewProgressBar<fp::Unit>(std::ostream&, Style<fp::Unit>,
                                                                double, Progress<fp::Unit>,
                                                                const Platform&);
extern template ProgressBar<fp::Unit> newProgressBar<fp::Unit>(Style<fp::Unit>, double,
                                                               Progress<fp::Unit>);
extern template ProgressBar<fp::Unit> hNewProgressBar<fp::Unit>(std::ostream&, Style<fp::Unit>,
                                                                double, Progress<fp::Unit>,
                                                                const BarOptions&, const Platform&);
extern template ProgressBar<fp::Unit> newProgressBar<fp::Unit>(Style<fp::Unit>, double,
                                                               Progress<fp::Unit>, const BarOptions&);
extern template void println<fp::Unit>(const ProgressBar<fp::Unit>&, std::string_view);
extern template void finish<fp::Unit>(const ProgressBar<fp::Unit>&);
extern template void abandon<fp::Unit>(const ProgressBar<fp::Unit>&);

}  // namespace meterline
