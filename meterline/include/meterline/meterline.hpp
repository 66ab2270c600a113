// meterline: a one-line terminal progress bar.
//
//   meterline::Style<> style = meterline::defStyle();
//   style.stylePrefix = meterline::exact();
//   style.stylePostfix = meterline::percentage() + " ETA " +
//                        meterline::remainingTime(meterline::renderDuration, "--:--");
//
//   auto bar = meterline::newProgressBar(style, 10.0, {0, std::ssize(files), {}});
//   for (const auto& file : meterline::withProgress(files, bar)) {
//     if (!copy(file)) meterline::println(bar, "skipped " + file);   // a line above the bar
//   }                                   // redrawn in place, at most 10 times a second
//   // 1000/1000 [=====================================================] 100% ETA 00
//
// The pieces, one per header:
//   text.hpp           Text: code points held as UTF-8, measured in code points
//   columns.hpp        columns: how many terminal columns a text takes
//   progress.hpp       Progress and Timing, what a bar is drawn from
//   duration.hpp       exact picosecond durations and renderDuration
//   label.hpp          labels, their combination, and the ready-made ones (rate included)
//   style.hpp          Style, the widths, OnComplete, defStyle
//   render.hpp         renderProgressBar, the pure rendering of one line
//   platform.hpp       the clock and terminal a live bar uses, replaceable in tests
//   canvas.hpp         (detail) how the bars on one stream are drawn together
//   progress_bar.hpp   the live bar: hNewProgressBar, newProgressBar, updateProgress,
//                      incProgress, println for lines above it, finish, abandon,
//                      BarGuard, and BarOptions for terminals, logs and pipes
//   bar_group.hpp      BarGroup, several live bars on consecutive lines
//   with_progress.hpp  withProgress, a range that advances a bar as it is walked
//   terminal.hpp       isTerminal and terminalWidth of a stream
#pragma once

#include "meterline/bar_group.hpp"
#include "meterline/columns.hpp"
#include "meterline/duration.hpp"
#include "meterline/label.hpp"
#include "meterline/platform.hpp"
#include "meterline/progress.hpp"
#include "meterline/progress_bar.hpp"
#include "meterline/render.hpp"
#include "meterline/style.hpp"
#include "meterline/terminal.hpp"
#include "meterline/text.hpp"
#include "meterline/version.hpp"
#include "meterline/with_progress.hpp"
