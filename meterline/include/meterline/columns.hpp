// columns: how many columns of a terminal a text takes.
//
//   meterline::columns(meterline::Text("copying"));   // 7
//   meterline::columns(meterline::Text("日本語"));     // 6: wide characters take two columns
//   meterline::columns(meterline::Text("e\u0301"));   // 1: a combining mark takes none
//   meterline::columns(U'😀');                         // 2
//
// A Text's `length()` counts code points, which is what a bar measures by default; a terminal
// draws East Asian wide and fullwidth characters (and most emoji) two columns wide, and
// combining marks, zero-width characters and control characters in no column at all. A line
// measured in code points that holds such characters is wider or narrower on screen than its
// length says; measured in columns it fits (see `Measure` in render.hpp).
//
// The widths come from the Unicode character tables of utf8proc, as terminal emulators that
// follow Unicode's East Asian Width property draw them: one column for every other character,
// unassigned ones included. Each code point is measured on its own: a sequence that a
// terminal draws as one glyph (an emoji joined by U+200D, a flag of two regional indicators)
// counts the widths of its parts. Text made only of ASCII is measured in one pass over its
// bytes, without the tables.
#pragma once

#include <cstdint>

#include "meterline/text.hpp"

namespace meterline {

// The columns one character takes: 0, 1 or 2.
std::int64_t columns(char32_t c) noexcept;

// The columns a text takes: the sum over its code points.
std::int64_t columns(const Text& text) noexcept;

}  // namespace meterline
