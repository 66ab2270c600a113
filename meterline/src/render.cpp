#include "meterline/render.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "meterline/columns.hpp"
#include "wide_arithmetic.hpp"

namespace meterline {

namespace detail {

namespace {

// An upper bound on the UTF-8 bytes of one character.
std::size_t bytesOf(char32_t c) noexcept { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

std::int64_t lengthOf(const Text& text, Measure measure) noexcept {
  return measure == Measure::CodePoints ? text.length() : columns(text);
}

}  // namespace

Text joinLine(const LinePieces& pieces) {
  if (pieces.width > maxLineWidth) {
    throw std::invalid_argument("meterline: a line " + std::to_string(pieces.width) +
                                " characters wide is wider than the " +
                                std::to_string(maxLineWidth) + " that can be drawn");
  }
  const Measure measure = pieces.measure;
  const std::int64_t prefixGap = pieces.prefix.empty() ? 0 : 1;
  const std::int64_t postfixGap = pieces.postfix.empty() ? 0 : 1;
  const std::int64_t fixed = lengthOf(pieces.open, measure) + lengthOf(pieces.close, measure) +
                             lengthOf(pieces.prefix, measure) + prefixGap +
                             lengthOf(pieces.postfix, measure) + postfixGap;
  // Every cell takes the columns of the widest bar character, so that the bar never grows
  // past its room as done cells replace to-do cells.
  const std::int64_t cell =
      measure == Measure::CodePoints
          ? 1
          : std::max({std::int64_t{1}, columns(pieces.done), columns(pieces.current), columns(pieces.todo)});
  const std::int64_t width = pieces.width > fixed ? (pieces.width - fixed) / cell : 0;

  // ⌊width · done / total⌋ cells done, exactly; none when the total is 0. A fraction above 1
  // fills the bar, and one below -1 counts as -1, which bounds the line's length.
  std::int64_t done = 0;
  if (pieces.progressTodo != 0) {
    const Int128 cells = floorDiv(Int128{pieces.progressDone} * width, pieces.progressTodo);
    done = static_cast<std::int64_t>(std::clamp<Int128>(cells, -width, width));
  }
  const std::int64_t rest = width - done;
  const std::int64_t current = rest != 0 && done != 0 ? 1 : 0;
  const std::int64_t todo = done != 0 ? rest - 1 : rest;

  std::size_t bytes = pieces.prefix.str().size() + pieces.postfix.str().size() +
                      pieces.open.str().size() + pieces.close.str().size() + 2 +
                      std::max<std::int64_t>(done, 0) * bytesOf(pieces.done) +
                      current * bytesOf(pieces.current) +
                      std::max<std::int64_t>(todo, 0) * bytesOf(pieces.todo);
  for (const Text& escape : pieces.escapes) bytes += escape.str().size();

  const auto& [escapePrefix, escapeOpen, escapeDone, escapeCurrent, escapeTodo, escapeClose,
               escapePostfix] = pieces.escapes;
  Text line;
  line.reserve(bytes);
  line += escapePrefix;
  line += pieces.prefix;
  line.append(prefixGap, U' ');
  line += escapeOpen;
  line += pieces.open;
  line += escapeDone;
  line.append(done, pieces.done);
  line += escapeCurrent;
  line.append(current, pieces.current);
  line += escapeTodo;
  line.append(todo, pieces.todo);
  line += escapeClose;
  line += pieces.close;
  line += escapePostfix;
  line.append(postfixGap, U' ');
  line += pieces.postfix;
  return line;
}

}  // namespace detail

template Text detail::renderLine<fp::Unit>(const Style<fp::Unit>&, const Progress<fp::Unit>&,
                                           const Timing&, const detail::LineFormat&);
template Text renderProgressBar<fp::Unit>(const Style<fp::Unit>&, const Progress<fp::Unit>&,
                                          const Timing&);
template Text renderProgressBar<fp::Unit>(const Style<fp::Unit>&, const Progress<fp::Unit>&,
                                          const Timing&, Measure);

}  // namespace meterline
