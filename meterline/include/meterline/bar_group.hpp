// BarGroup: several live bars on consecutive lines of one terminal, each with its own style
// and progress, updated from any threads.
//
//   meterline::BarGroup group(10.0);                       // on standard error
//   auto left = group.add(style, {0, leftBytes, {}});      // one line each, in this order
//   auto right = group.add(style, {0, rightBytes, {}});
//   std::thread a([&] { while (...) meterline::incProgress(left, n); });
//   std::thread b([&] { while (...) meterline::incProgress(right, n); });
//   meterline::println(group, "retrying mirror 2");       // above the whole group
//
// The bars of a group are ordinary `ProgressBar`s: `incProgress`, `updateProgress`,
// `println`, `finish`, `abandon` and `BarGuard` work on them as on a lone bar. What differs is
// that they share one lock and one refresh delay, and that a drawing redraws them all: an
// update draws when more than 1 / rate seconds have passed since the group was last drawn, or
// when its bar completes, and then every running bar is rendered anew with its own progress.
// Updates that do not draw cost what they cost on a lone bar: the clock and the lock.
//
// On a terminal the group is a block of lines, redrawn from its first line (see canvas.hpp).
// A bar that completes, or is finished, stays in place with its last line while the others go
// on; one whose style clears leaves the block. Once no bar of the group is running, the cursor
// moves below the block, and a bar added after that starts a new block there. The block must
// fit in the terminal's height: the cursor cannot go back above the top of the screen.
//
// The group takes `BarOptions` as a bar made with options does: off a terminal its bars write
// plain lines (all running bars at most every `plainInterval` seconds, and each bar's last
// line as it completes) or nothing; the width of a `TerminalWidth` style is the terminal's,
// followed as it changes; texts are measured in columns.
//
// A group is a handle: copies share the block, and the bars keep it alive; drop the group
// when no bars are to be added. The platform must outlive every bar.
#pragma once

#include <memory>
#include <ostream>
#include <string_view>
#include <utility>

#include "fp/unit.hpp"
#include "meterline/canvas.hpp"
#include "meterline/platform.hpp"
#include "meterline/progress.hpp"
#include "meterline/progress_bar.hpp"
#include "meterline/style.hpp"

namespace meterline {

class BarGroup {
 public:
  // A group on `handle`, redrawn at most `maxRefreshRate` times a second (completions aside).
  BarGroup(std::ostream& handle, double maxRefreshRate, const BarOptions& options = {},
           const Platform& platform = systemPlatform());
  // A group on standard error.
  explicit BarGroup(double maxRefreshRate, const BarOptions& options = {});

  // A new bar on the line below the group's others, drawn with them before this returns.
  template <class Custom>
  ProgressBar<Custom> add(Style<Custom> style, Progress<Custom> initial) const {
    return detail::addOptionsBar(canvas_, std::move(style), refreshDelay_, std::move(initial));
  }

  // Writes `text` and a newline above the group's running bars.
  friend void println(const BarGroup& group, std::string_view text);

 private:
  std::shared_ptr<detail::Canvas> canvas_;
  double refreshDelay_;
};

// Writes `text` and a newline above the group's running bars.
void println(const BarGroup& group, std::string_view text);

extern template ProgressBar<fp::Unit> BarGroup::add<fp::Unit>(Style<fp::Unit>, Progress<fp::Unit>) const;

}  // namespace meterline
