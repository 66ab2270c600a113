// split::Chunk<T>: one piece of a list being split, either one delimiter match or a stretch of
// elements between matches.
//
//   split::Chunk<int> d = split::Delim(fp::List<int>{1, 2});
//   fp::show(d)                                             // "Delim [1,2]"
//   std::string out;
//   fp::Show<split::Chunk<int>>::showsPrec(11, d, out);     // "(Delim [1,2])"
//   fp::show(split::Text(fp::String::from("ab")))           // "Text \"ab\""
//   split::fromElem(d)                                      // [1,2], whichever the kind
//
// The splitting engine first cuts its input into a list of chunks and then rewrites that list
// by the strategy's policies; every chunk left at the end becomes one piece. A chunk's elements
// are an fp::List and may still be coming in (a piece can be read before the input is).
// Two chunks are equal when they are of the same kind and hold equal elements.
#pragma once

#include <concepts>
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>

#include "fp/list.hpp"
#include "fp/show.hpp"

namespace split {

template <class T>
class Chunk {
 public:
  using value_type = T;
  enum class Kind : std::uint8_t { Delim, Text };

  Chunk(Kind kind, fp::List<T> elements) : elements_(std::move(elements)), kind_(kind) {}

  Kind kind() const noexcept { return kind_; }
  bool isDelim() const noexcept { return kind_ == Kind::Delim; }
  bool isText() const noexcept { return kind_ == Kind::Text; }
  const fp::List<T>& elements() const noexcept { return elements_; }

  // Kinds first; the elements from the front, stopping at the first difference.
  friend bool operator==(const Chunk& a, const Chunk& b) requires std::equality_comparable<T> {
    return a.kind_ == b.kind_ && a.elements_ == b.elements_;
  }

 private:
  fp::List<T> elements_;
  Kind kind_;
};

// The elements one delimiter match consumed (none for a match of the empty delimiter).
template <class T>
Chunk<T> Delim(fp::List<T> elements) {
  return Chunk<T>(Chunk<T>::Kind::Delim, std::move(elements));
}

// Elements that lie between delimiters.
template <class T>
Chunk<T> Text(fp::List<T> elements) {
  return Chunk<T>(Chunk<T>::Kind::Text, std::move(elements));
}

// The chunk's elements, whichever its kind.
template <class T>
const fp::List<T>& fromElem(const Chunk<T>& chunk) noexcept {
  return chunk.elements();
}

template <class T>
bool isDelim(const Chunk<T>& chunk) noexcept {
  return chunk.isDelim();
}

template <class T>
bool isText(const Chunk<T>& chunk) noexcept {
  return chunk.isText();
}

template <fp::Showable T>
std::ostream& operator<<(std::ostream& os, const Chunk<T>& chunk);

}  // namespace split

namespace fp {

// "Delim " or "Text ", then the elements as a list; parenthesised as an argument (precedence
// 11 and up).
template <Showable T>
struct Show<split::Chunk<T>> : ShowDefaults<split::Chunk<T>> {
  static void showsPrec(int d, const split::Chunk<T>& chunk, std::string& out) {
    if (d > 10) out += '(';
    out += chunk.isDelim() ? "Delim " : "Text ";
    Show<T>::showList(chunk.elements(), out);
    if (d > 10) out += ')';
  }
};

}  // namespace fp

template <fp::Showable T>
std::ostream& split::operator<<(std::ostream& os, const Chunk<T>& chunk) {
  return os << fp::show(chunk);
}
