// fp::Show<T>: render a value as text, with the standard rendering of lists.
//
//   fp::show(fp::List<int>{1, -2, 3})        // "[1,-2,3]"
//   fp::show(fp::String::from("hi\n"))       // "\"hi\\n\"": a list of characters is a literal
//   std::cout << fp::List<int>{1, 2};        // [1,2]
//
// `Show<T>::showsPrec(d, v, out)` appends the rendering of v to `out` (so it lands in front of
// whatever is appended next) at precedence d: 0 at the top, 11 for an argument of a constructor.
// A rendering that would be ambiguous as an argument (a negative number, a constructor with
// arguments) is parenthesised when d is high enough. `show(v)` is the rendering alone at
// precedence 0. `showList(xs, out)` renders a list: "[", the items at precedence 0 separated by
// "," with no blank, "]". Characters override it to render a quoted, escaped string literal.
//
// A type gets rendered by specialising `Show` (deriving from `ShowDefaults` for `show` and
// `showList`).
#pragma once

#include <charconv>
#include <ostream>
#include <string>
#include <type_traits>
#include <utility>

#include "fp/list.hpp"
#include "fp/nonempty.hpp"
#include "fp/unit.hpp"
#include "fp/ziplist.hpp"

namespace fp {

template <class T, class = void>
struct Show;

template <class T>
concept Showable = requires(const T& v, std::string& out) { Show<T>::showsPrec(0, v, out); };

template <class T, class Derived = Show<T>>
struct ShowDefaults {
  static std::string show(const T& v) {
    std::string out;
    Derived::showsPrec(0, v, out);
    return out;
  }
  template <class Items>
  static void showList(const Items& xs, std::string& out) {
    out += '[';
    bool first = true;
    for (const T& x : xs) {
      if (!first) out += ',';
      first = false;
      Derived::showsPrec(0, x, out);
    }
    out += ']';
  }
};

template <Showable T>
std::string show(const T& v) {
  return Show<T>::show(v);
}

template <class T>
struct Show<T, std::enable_if_t<std::is_arithmetic_v<T> && !std::is_same_v<T, bool> &&
                                !std::is_same_v<T, char>>> : ShowDefaults<T> {
  static void showsPrec(int d, T v, std::string& out) {
    char digits[64];
    const auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
    const bool negative = digits[0] == '-';
    if (negative && d > 6) out += '(';
    out.append(digits, end);
    if (negative && d > 6) out += ')';
  }
};

template <>
struct Show<bool> : ShowDefaults<bool> {
  static void showsPrec(int, bool v, std::string& out) { out += v ? "true" : "false"; }
};

namespace detail {

// c as it stands inside a quoted literal whose quote character is `quote`.
inline void escapeChar(char c, char quote, std::string& out) {
  switch (c) {
    case '\n': out += "\\n"; return;
    case '\t': out += "\\t"; return;
    case '\r': out += "\\r"; return;
    case '\\': out += "\\\\"; return;
    default: break;
  }
  const auto byte = static_cast<unsigned char>(c);
  if (c == quote) {
    out += '\\';
    out += c;
  } else if (byte < 0x20 || byte == 0x7f) {
    // Always three octal digits, so a following digit cannot extend the escape.
    out += '\\';
    out += static_cast<char>('0' + (byte >> 6));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
  } else {
    out += c;  // printable ASCII, and the bytes of UTF-8 sequences, unchanged
  }
}

template <class Chars>
void showString(const Chars& chars, std::string& out) {
  out += '"';
  for (char c : chars) escapeChar(c, '"', out);
  out += '"';
}

}  // namespace detail

template <>
struct Show<char> : ShowDefaults<char> {
  static void showsPrec(int, char c, std::string& out) {
    out += '\'';
    detail::escapeChar(c, '\'', out);
    out += '\'';
  }
  template <class Items>
  static void showList(const Items& chars, std::string& out) {
    detail::showString(chars, out);
  }
};

template <>
struct Show<std::string> : ShowDefaults<std::string> {
  static void showsPrec(int, const std::string& s, std::string& out) { detail::showString(s, out); }
};

template <>
struct Show<Unit> : ShowDefaults<Unit> {
  static void showsPrec(int, Unit, std::string& out) { out += "()"; }
};

template <Showable T>
struct Show<List<T>> : ShowDefaults<List<T>> {
  static void showsPrec(int, const List<T>& xs, std::string& out) { Show<T>::showList(xs, out); }
};

template <Showable T>
struct Show<ZipList<T>> : ShowDefaults<ZipList<T>> {
  static void showsPrec(int, const ZipList<T>& xs, std::string& out) {
    Show<T>::showList(xs.list(), out);
  }
};

// h :| [t...], the operator binding at precedence 5.
template <Showable T>
struct Show<NonEmpty<T>> : ShowDefaults<NonEmpty<T>> {
  static void showsPrec(int d, const NonEmpty<T>& xs, std::string& out) {
    if (d > 5) out += '(';
    Show<T>::showsPrec(6, xs.head(), out);
    out += " :| ";
    Show<T>::showList(xs.tail(), out);
    if (d > 5) out += ')';
  }
};

template <Showable A, Showable B>
struct Show<std::pair<A, B>> : ShowDefaults<std::pair<A, B>> {
  static void showsPrec(int, const std::pair<A, B>& p, std::string& out) {
    out += '(';
    Show<A>::showsPrec(0, p.first, out);
    out += ',';
    Show<B>::showsPrec(0, p.second, out);
    out += ')';
  }
};

// Streams the rendering of the layer's own types (and lets test frameworks print them).
template <Showable T>
std::ostream& operator<<(std::ostream& os, const List<T>& xs) {
  return os << show(xs);
}
template <Showable T>
std::ostream& operator<<(std::ostream& os, const ZipList<T>& xs) {
  return os << show(xs);
}
template <Showable T>
std::ostream& operator<<(std::ostream& os, const NonEmpty<T>& xs) {
  return os << show(xs);
}

}  // namespace fp
