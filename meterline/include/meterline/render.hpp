// renderProgressBar: the text of one bar line, from a style, a progress and a timing.
//
//   meterline::Style<> style = meterline::defStyle();
//   style.styleWidth = meterline::ConstantWidth{50};
//   meterline::renderProgressBar(style, meterline::Progress<>{3, 10, {}}, timing).str();
//   // "[============>..............................]  30%", 50 characters
//
// A pure function: it reads no clock, asks no terminal and writes nothing, so a caller may
// embed a bar in output of its own. The line holds, in order: the prefix label and a space
// (when the label is not empty), the opening bracket, a run of done characters, the current
// character, a run of to-do characters, the closing bracket, and a space and the postfix label
// (when that is not empty), each piece preceded by its escape text. No line terminator.
//
// The labels take what they need and the bar gets the rest: with n the style's width, the bar
// between the brackets is w = max(0, n - the length of labels, spaces and brackets) characters
// wide, so the visible line is n characters whenever the labels leave room (escape texts do
// not count; lengths are code points). Of the w cells, ⌊w · done / total⌋ are done (exactly,
// in integers; none when the total is 0), at most w: a cell counts only when wholly done. The
// current character follows a non-empty, non-full done run, on the first to-do cell.
//
// A negative fraction draws no done cell, the current character and a to-do run longer than
// w, by as many cells as the fraction is below zero; a fraction below -1 draws like -1, so the
// line never exceeds twice its width, whatever the counts.
//
// Each label and each escape function runs exactly once per line, labels first, escapes in the
// order of the line; the label texts measured are the texts written.
//
// Lengths are code points unless the call asks for `Measure::Columns`: then labels and
// brackets are measured in terminal columns (see columns.hpp), so that a line with wide
// characters is n columns on screen, not n code points. A cell of the bar is then as wide as
// the widest of the three bar characters (one column at least), the bar gets as many whole
// cells as fit, and a line that cannot fill its width exactly is narrower, never wider.
//
// A width above `maxLineWidth` (a million characters, far past any terminal) is an
// std::invalid_argument; a width below what the labels and brackets need, negative included,
// leaves the bar empty, as above.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <variant>

#include "fp/unit.hpp"
#include "meterline/progress.hpp"
#include "meterline/style.hpp"
#include "meterline/text.hpp"

namespace meterline {

// How a line's texts are measured against its width.
enum class Measure {
  CodePoints,  // one per code point, as Text::length() counts
  Columns,     // the columns a terminal draws them in, as columns() counts
};

// The widest line that can be rendered.
inline constexpr std::int64_t maxLineWidth = std::int64_t{1} << 20;

namespace detail {
// What a line is made of, once every label and escape function has run.
struct LinePieces {
  const Text& prefix;
  const Text& postfix;
  const Text& open;
  const Text& close;
  char32_t done;
  char32_t current;
  char32_t todo;
  std::int64_t width;
  std::int64_t progressDone;
  std::int64_t progressTodo;
  // The escape texts in line order: prefix, open, done, current, to-do, close, postfix.
  const std::array<Text, 7>& escapes;
  Measure measure;
};

Text joinLine(const LinePieces& pieces);

// How a live bar has a line rendered: the terminal's width in place of a `TerminalWidth`
// style's own, the measure, and whether escape texts are wanted (not in a log).
struct LineFormat {
  std::optional<std::int64_t> terminalColumns;
  Measure measure = Measure::CodePoints;
  bool escapes = true;
};

template <class Custom>
Text renderLine(const Style<Custom>& style, const Progress<Custom>& progress, const Timing& timing,
                const LineFormat& format) {
  const Text prefix = style.stylePrefix.runLabel(progress, timing);
  const Text postfix = style.stylePostfix.runLabel(progress, timing);
  std::array<Text, 7> escapes;
  if (format.escapes) {
    escapes = {style.styleEscapePrefix(progress), style.styleEscapeOpen(progress),
               style.styleEscapeDone(progress),   style.styleEscapeCurrent(progress),
               style.styleEscapeTodo(progress),   style.styleEscapeClose(progress),
               style.styleEscapePostfix(progress)};
  }
  const bool terminal = std::holds_alternative<TerminalWidth>(style.styleWidth);
  const std::int64_t width = terminal && format.terminalColumns ? *format.terminalColumns
                                                                : widthOf(style.styleWidth);
  return joinLine({prefix, postfix, style.styleOpen, style.styleClose, style.styleDone,
                   style.styleCurrent, style.styleTodo, width, progress.progressDone,
                   progress.progressTodo, escapes, format.measure});
}
}  // namespace detail

template <class Custom>
Text renderProgressBar(const Style<Custom>& style, const Progress<Custom>& progress,
                       const Timing& timing) {
  return detail::renderLine(style, progress, timing, {});
}

// The same line with its texts measured as `measure` says.
template <class Custom>
Text renderProgressBar(const Style<Custom>& style, const Progress<Custom>& progress,
                       const Timing& timing, Measure measure) {
  return detail::renderLine(style, progress, timing, {std::nullopt, measure, true});
}

extern template Text detail::renderLine<fp::Unit>(const Style<fp::Unit>&, const Progress<fp::Unit>&,
                                                  const Timing&, const detail::LineFormat&);
extern template Text renderProgressBar<fp::Unit>(const Style<fp::Unit>&, const Progress<fp::Unit>&,
                                                 const Timing&);
extern template Text renderProgressBar<fp::Unit>(const Style<fp::Unit>&, const Progress<fp::Unit>&,
                                                 const Timing&, Measure);

}  // namespace meterline
