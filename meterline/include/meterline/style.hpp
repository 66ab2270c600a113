// Style: the look of a bar, its width, and what a live bar does once the work is complete.
//
//   meterline::Style<> style = meterline::defStyle();   // "[=====>......]  42%", terminal wide
//   style.styleWidth = meterline::ConstantWidth{60};
//   style.stylePrefix = "Copying";
//   style.styleDone = U'█';
//   style.styleEscapeDone = [](const meterline::Progress<>&) { return meterline::Text("\x1b[32m"); };
//
// A style is a value: copy `defStyle()` and replace fields. Its sixteen fields, in order, are
// the two bracket texts, the done, current and to-do characters, the prefix and postfix
// labels, the width, seven escape functions and the completion policy. An escape function
// returns a text (a terminal control sequence, a colour) inserted unchanged in front of one
// piece of the line; escape texts never count towards the width. Nothing resets an escape
// after its piece: a style that colours one piece resets the colour in the next piece's escape.
//
// The width is the number of characters of the whole line, labels included. `ConstantWidth`
// holds it; `TerminalWidth` holds the width to use when a live bar cannot find the width of the
// terminal, and a live bar replaces it by the terminal's column count when it can. Rendering
// treats both alike.
//
// A default-constructed Style is `defStyle()`: brackets "[" and "]", characters '=', '>' and
// '.', no prefix, `percentage()` as postfix, `TerminalWidth{50}`, escapes that return the
// empty text, and `OnComplete::WriteNewline`.
#pragma once

#include <cstdint>
#include <functional>
#include <variant>

#include "fp/unit.hpp"
#include "meterline/label.hpp"
#include "meterline/progress.hpp"
#include "meterline/text.hpp"

namespace meterline {

template <class Custom = fp::Unit>
using StyleEscape = std::function<Text(const Progress<Custom>&)>;

// The line is this many characters wide.
struct ConstantWidth {
  std::int64_t width;
  friend bool operator==(ConstantWidth, ConstantWidth) = default;
};

// The line is as wide as the terminal; `width` is used when the terminal's width is unknown.
struct TerminalWidth {
  std::int64_t width;
  friend bool operator==(TerminalWidth, TerminalWidth) = default;
};

using ProgressBarWidth = std::variant<ConstantWidth, TerminalWidth>;

// The number of characters that either kind of width holds.
inline std::int64_t widthOf(const ProgressBarWidth& width) noexcept {
  return std::visit([](auto w) { return w.width; }, width);
}

// What a live bar does after drawing complete progress.
enum class OnComplete {
  WriteNewline,  // leave the finished bar on its line and start a new line
  Clear,         // erase the bar's line
};

namespace detail {
template <class Custom>
Text noEscape(const Progress<Custom>&) {
  return {};
}
}  // namespace detail

template <class Custom = fp::Unit>
struct Style {
  Text styleOpen = "[";
  Text styleClose = "]";
  char32_t styleDone = U'=';
  char32_t styleCurrent = U'>';
  char32_t styleTodo = U'.';
  Label<Custom> stylePrefix = {};
  Label<Custom> stylePostfix = percentage<Custom>();
  ProgressBarWidth styleWidth = TerminalWidth{50};
  StyleEscape<Custom> styleEscapeOpen = detail::noEscape<Custom>;     // before styleOpen
  StyleEscape<Custom> styleEscapeClose = detail::noEscape<Custom>;    // before styleClose
  StyleEscape<Custom> styleEscapeDone = detail::noEscape<Custom>;     // before the done run
  StyleEscape<Custom> styleEscapeCurrent = detail::noEscape<Custom>;  // before the current mark
  StyleEscape<Custom> styleEscapeTodo = detail::noEscape<Custom>;     // before the to-do run
  StyleEscape<Custom> styleEscapePrefix = detail::noEscape<Custom>;   // before the prefix label
  StyleEscape<Custom> styleEscapePostfix = detail::noEscape<Custom>;  // before " " and the postfix
  OnComplete styleOnComplete = OnComplete::WriteNewline;
};

// The default style, for any custom type.
template <class Custom = fp::Unit>
Style<Custom> defStyle() {
  return {};
}

}  // namespace meterline
