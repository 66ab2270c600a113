// The stream side of live bars: what the bars drawn on one stream share. Used by
// progress_bar.hpp and bar_group.hpp; callers use those.
//
// A canvas holds the stream, the lock that every update of its bars takes, and the lines of
// its bars in the order they were added. It decides what a drawing writes:
//
//   Exact   one bar, drawn as a live bar without options is: the line, then "\r", or on
//           completion "\n" or "\r\x1b[K"; the width found once, on standard output.
//   Live    a block of lines, one per bar, redrawn together from its first line: each line
//           erased ("\x1b[2K") and written, the lines separated by "\n", then "\r" and the
//           cursor back up to the first line. When the terminal's width changed since the
//           last drawing, or the block lost lines, the drawing starts with "\x1b[J" (erase to
//           the end of the screen), which also takes what a narrowed window wrapped; it is
//           not used otherwise, since a terminal may keep what a clear from its top corner
//           erases in its history. A bar that completes stays in the block (or leaves it,
//           when its style clears); once no bar of the block is running the cursor goes below
//           it and the block is done: bars added later start a new one.
//   Plain   lines for a log: each drawing writes whole lines ending in "\n", with no escape
//           texts; a completed bar writes its last line and stops.
//   Silent  nothing.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "meterline/platform.hpp"
#include "meterline/progress.hpp"
#include "meterline/render.hpp"
#include "meterline/style.hpp"
#include "meterline/text.hpp"

namespace meterline::detail {

enum class Layout { Exact, Live, Plain, Silent };

// One bar, as the canvas that draws it sees it. Called with the canvas's lock held.
class BarLine {
 public:
  // The bar's line for its current progress, at `now`.
  virtual Text render(TimePoint now, const LineFormat& format) const = 0;
  // Whether its current progress is complete.
  virtual bool complete() const noexcept = 0;
  // Records that the bar was drawn at `now`, for its refresh rule.
  virtual void drawnAt(TimePoint now) noexcept = 0;

 protected:
  ~BarLine() = default;
};

class Canvas {
 public:
  Canvas(std::ostream& out, const Platform& platform, Layout layout, Measure measure,
         bool followWidth);
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  std::mutex& mutex() noexcept { return mutex_; }
  const Platform& platform() const noexcept { return platform_; }
  std::ostream& out() const noexcept { return out_; }
  Layout layout() const noexcept { return layout_; }

  // Everything below is called with the lock held.

  // The terminal's width as last asked, or nothing.
  std::optional<std::int64_t> columns() const noexcept { return columns_; }

  // How lines are rendered for the drawing about to be made; asks the terminal's width again
  // when it is followed.
  LineFormat format();

  // Whether the bar still has a line to draw: not finished, abandoned or, outside Exact,
  // completed.
  bool isOpen(const BarLine& bar) const noexcept;
  bool drawsLines() const noexcept { return layout_ != Layout::Silent; }
  // Whether finishing the bar draws its final line.
  bool needsFinalLine(const BarLine& bar) const noexcept;

  // Adds the bar, whose first line is `line`, and draws it.
  void attach(BarLine& bar, const Text& line, bool complete, OnComplete onComplete);
  // The bar, which is open, changed to a progress whose line is `line`: draws it, and the
  // other bars too where the layout redraws them (`due`: the refresh delay has passed).
  void update(BarLine& bar, const Text& line, const LineFormat& format, bool complete,
              OnComplete onComplete, bool due, TimePoint now);
  // Draws the bar's final line (when it needs one) and ends it.
  void finish(BarLine& bar, const Text& line, OnComplete onComplete);
  // Ends the bar's line as last drawn.
  void abandon(BarLine& bar);
  // Writes a line of text above the bars that are running.
  void println(std::string_view text, TimePoint now);

  // Forgets a bar that is being destroyed, ending its line as abandon does. Takes the lock.
  void detach(BarLine& bar) noexcept;

 private:
  enum class Phase { Open, Kept, Cleared };
  struct Slot {
    BarLine* bar;      // null once the bar is gone
    std::string text;  // what was last drawn
    Phase phase;
    bool lineOpen;     // Exact: the cursor stands on the bar's line
  };

  using Slots = std::vector<Slot>;

  static Phase endPhase(OnComplete onComplete) noexcept;
  static bool anyOpen(const Slots& slots) noexcept;

  Slots::iterator find(const BarLine& bar) noexcept;
  bool contains(Slots::const_iterator slot) const noexcept { return slot != slots_.end(); }
  // The slots with the lines of the running bars other than `except` rendered anew.
  Slots rendered(const BarLine* except, TimePoint now, const LineFormat& format) const;
  // Draws the block of `next` from where the block starts, after a line of text when there is
  // one, then takes `next` as the slots on screen (none once no bar of it runs). The running
  // bars record the drawing at `now`, when given.
  void show(std::optional<std::string_view> above, Slots next, std::optional<TimePoint> now);
  void write(const std::string& bytes);

  std::mutex mutex_;
  std::ostream& out_;
  const Platform& platform_;
  const Layout layout_;
  const Measure measure_;
  const bool followWidth_;
  std::optional<std::int64_t> columns_;
  Slots slots_;
  // What the last drawing of a Live block took: its lines and the terminal's width.
  std::size_t drawnLines_ = 0;
  std::optional<std::int64_t> drawnColumns_;
};

}  // namespace meterline::detail
