// Searching contiguous elements for a delimiter made of built-in equality.
//
//   const auto comma = split::detail::Scanner<char>::sublist({',', ' '});
//   std::string_view text = "a, b";
//   comma.find(text.data(), text.size(), 0, text.size())   // 1: ", " starts at position 1
//
// The delimiters of `oneOf` and `onSublist` over arithmetic elements test nothing but the
// built-in `==`, which has no effect anybody could observe: a search may look at the elements in
// any order and any number of times, provided it finds the same leftmost match. A Scanner keeps
// the delimiter's elements and searches a pointer range with the fastest means at hand. Where the
// scan path in force (split/scan_path.hpp) is a vector one, that is the library's vector code
// (split/src/scan_x86.cpp): a block of elements compared at once with the element, with each
// element of a small set, or with a set of bytes of any size through its nibble tables; for a
// sublist, with its first and last elements, the candidates then checked in between. Otherwise,
// and for element types that the vector code does not know, it is memchr for one byte, a table
// of the 256 byte values for a set of bytes, and a scan for the first element of a sublist
// followed by a comparison of the rest; wider elements use the same shapes with plain loops. All
// compare with `==` (so that 0.0 matches -0.0 and a NaN matches nothing). The shape is settled
// when the scanner is made, and the search (vector or not) when a key is taken from it, so that a
// search starts with one test.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

#include "split/scan_path.hpp"

namespace split::detail {

// Elements whose equality a scanner may reproduce without calling anything.
template <class T>
concept Scannable = std::is_arithmetic_v<T>;

// A one-byte element whose equality is that of its object representation, so that memchr
// applies.
template <class T>
concept Byte = std::integral<T> && sizeof(T) == 1;

// The library's vector searches ------------------------------------------------------------------

// What a vector search looks for: one element, any of a set, or a sublist of two or more.
enum class VectorShape : std::uint8_t { One, AnyOf, Sublist };

// How a vector search compares elements: integers by their bytes, floating-point numbers as such.
enum class VectorElement : std::uint8_t { U8, U16, U32, U64, F32, F64, None };

template <class T>
constexpr VectorElement vectorElementOf() noexcept {
  if constexpr (std::same_as<T, float>)
    return VectorElement::F32;
  else if constexpr (std::same_as<T, double>)
    return VectorElement::F64;
  else if constexpr (!std::integral<T>)
    return VectorElement::None;  // long double
  else if constexpr (sizeof(T) == 1)
    return VectorElement::U8;
  else if constexpr (sizeof(T) == 2)
    return VectorElement::U16;
  else if constexpr (sizeof(T) == 4)
    return VectorElement::U32;
  else if constexpr (sizeof(T) == 8)
    return VectorElement::U64;
  else
    return VectorElement::None;
}

// A vector search answers for a window of positions at once: those whose elements take up
// kWindowBytes, 64 one-byte elements or 8 eight-byte ones.
inline constexpr std::size_t kWindowBytes = 64;

// The matches in a window of positions, and the position it starts at.
struct VectorWindow {
  std::uint64_t matches;
  std::size_t base;
};

// The first window of positions that holds a match at or past `from`, window after window, or
// else the one that reaches `stop`: its matches at or past `from`, bit i * sizeof(T) standing
// for a match at position window.base + i. Only positions below m, where a whole match lies
// within the elements at `data`, are tested, and no element past them read. `pattern` is the
// delimiter's `count` elements or, for a set searched by its nibble tables, those tables (see
// NibbleTables). Requires from < stop <= m.
using VectorFind = VectorWindow (*)(const void* pattern, std::size_t count, const void* data,
                                    std::size_t m, std::size_t stop, std::size_t from);

struct VectorSearch {
  VectorFind find = nullptr;  // none: search one element at a time
  bool byNibbles = false;     // the pattern is the set's nibble tables
};

// The vector search of scan path `path` for a delimiter of `count` elements of that shape and
// kind.
VectorSearch vectorSearch(ScanPath path, VectorShape shape, VectorElement element,
                          std::size_t count) noexcept;

// A set of bytes as two tables of 16 bytes, indexed by a byte's low four bits: bit h of
// tables[j] is set when the byte 16 * h + j is in the set, for h below 8; of tables[16 + j], for
// the byte 16 * (h + 8) + j. A vector of bytes looks its rows up with one shuffle per table.
using NibbleTables = std::array<std::uint8_t, 32>;

template <Byte T>
NibbleTables nibbleTablesOf(const std::vector<T>& set) noexcept {
  NibbleTables tables{};
  for (T e : set) {
    const auto b = static_cast<unsigned char>(e);
    tables[(b >> 7) * 16 + (b & 15)] |= std::uint8_t(1u << (b >> 4 & 7));
  }
  return tables;
}

// The scanner ------------------------------------------------------------------------------------

template <Scannable T>
class Scanner {
 public:
  // Matches any one of `elements`; with none, matches nothing.
  static Scanner anyOf(std::vector<T> elements) { return Scanner(true, std::move(elements)); }
  // Matches occurrences of `elements`; with none, the empty sequence at every position.
  static Scanner sublist(std::vector<T> elements) { return Scanner(false, std::move(elements)); }

  // Whether this is the one test of an `anyOf` delimiter rather than a sublist's.
  bool anyOf() const noexcept { return anyOf_; }
  const std::vector<T>& elements() const noexcept { return elements_; }
  // The number of elements a match covers.
  std::size_t length() const noexcept { return length_; }

  // What a search keeps of the scanner as it goes: a value, which the loop around the search
  // holds in its own state. It points to the scanner, which must outlive it, and to the vector
  // search of the scan path in force when the key was taken, and holds the last window of
  // positions that search answered for with the matches there not yet found: the next searches
  // of the same input find them with no load at all. It is four words, the last two of which
  // the loop reads for every match.
  struct Key {
    const Scanner* scanner;
    const VectorSearch* vector;  // none: search one element at a time
    std::size_t base = SIZE_MAX;
    std::uint64_t matches = 0;
  };
  Key key() const noexcept {
    const VectorSearch& v = vectors_[std::size_t(scanPath())];
    return {this, v.find ? &v : nullptr};
  }

  // The first position in [from, last) where a whole match lies within the n elements at
  // `data`, or `last` if there is none. Requires from <= last <= n.
  std::size_t find(const T* data, std::size_t n, std::size_t from, std::size_t last) const {
    Key k = key();
    return find(k, data, n, from, last);
  }

  // The same with a key of the scanner, which keeps what it learns of `data` for the next
  // search with it: the one search of contiguous input. A key searches one input, and forward:
  // each search starts past the match that the one before found, if it found one, and not
  // before where that one started. A search of another input takes a key of its own.
  [[gnu::always_inline]] static std::size_t find(Key& k, const T* data, std::size_t n,
                                                 std::size_t from, std::size_t last) {
    // Most searches end at the next match of the window the key holds, which is then spent:
    // the next search starts past it. (Its matches lie within the elements, so one before
    // `last` is the one sought; the rest of the search is on no path from one match to the
    // next, which the processor can then find as fast as it clears a bit.)
    const Scanner& scanner = *k.scanner;
    if (k.vector) {
      if (k.matches != 0) {
        const std::size_t at = k.base + std::size_t(std::countr_zero(k.matches)) / sizeof(T);
        if (at >= from) {
          if (at >= last) return last;
          k.matches &= k.matches - 1;
          return at;
        }
      }
      return findInWindows(k, data, n, from, last);
    }
    const Shape shape = scanner.shape_;
    if (shape == Shape::Everywhere) return from;
    if (shape == Shape::Nowhere || n < scanner.length_) return last;
    const std::size_t m = n - scanner.length_ + 1;
    const std::size_t stop = std::min(last, m);
    if (from >= stop) return last;
    std::size_t at;
    switch (shape) {
      case Shape::One:
        at = findOne(data, from, stop, scanner.first_);
        break;
      case Shape::AnyOf:
        at = scanner.findAny(data, from, stop);
        break;
      default:
        at = scanner.findSublist(data, from, stop);
    }
    return at < stop ? at : last;
  }

  // Whether `x` is one of the elements: the test of an `anyOf` delimiter.
  bool isAny(const T& x) const noexcept {
    if constexpr (Byte<T>)
      return table_[static_cast<unsigned char>(x)];
    else
      return std::any_of(elements_.begin(), elements_.end(), [&x](const T& e) { return e == x; });
  }

 private:
  enum class Shape : unsigned char { Everywhere, Nowhere, One, AnyOf, Sublist };

  Scanner(bool anyOf, std::vector<T> elements)
      : elements_(std::move(elements)),
        length_(anyOf ? 1 : elements_.size()),
        first_(elements_.empty() ? T() : elements_[0]),
        anyOf_(anyOf) {
    if (elements_.empty())
      shape_ = anyOf ? Shape::Nowhere : Shape::Everywhere;
    else if (elements_.size() == 1)
      shape_ = Shape::One;
    else
      shape_ = anyOf ? Shape::AnyOf : Shape::Sublist;
    if constexpr (Byte<T>) {
      if (anyOf_) {
        for (T e : elements_) table_[static_cast<unsigned char>(e)] = true;
        nibbles_ = nibbleTablesOf(elements_);
      }
    }
    if (shape_ == Shape::One || shape_ == Shape::AnyOf || shape_ == Shape::Sublist) {
      const VectorShape shape = shape_ == Shape::One     ? VectorShape::One
                                : shape_ == Shape::AnyOf ? VectorShape::AnyOf
                                                         : VectorShape::Sublist;
      for (const ScanPath path : {ScanPath::Scalar, ScanPath::Sse2, ScanPath::Avx2})
        vectors_[std::size_t(path)] =
            vectorSearch(path, shape, vectorElementOf<T>(), elements_.size());
    }
  }

  // The rest of a vector search: the matches of the window at or past `from`, or those of the
  // first window after it that holds any. Out of the caller's loop, which runs it once a window.
  static std::size_t findInWindows(Key& k, const T* data, std::size_t n, std::size_t from,
                                   std::size_t last) {
    const Scanner& scanner = *k.scanner;
    // The shapes that have a vector search match somewhere.
    if (n < scanner.length_) return last;
    const std::size_t m = n - scanner.length_ + 1;  // the positions where a match may start
    const std::size_t stop = std::min(last, m);
    constexpr std::size_t kPositions = kWindowBytes / sizeof(T);
    const bool inWindow = from >= k.base && from - k.base < kPositions;
    std::uint64_t ahead =
        inWindow ? k.matches & (~std::uint64_t(0) << (from - k.base) * sizeof(T)) : 0;
    if (ahead == 0) {
      const std::size_t base = inWindow ? k.base + kPositions : from;
      if (base >= stop) return last;
      const VectorWindow window = k.vector->find(scanner.patternOf(*k.vector),
                                                 scanner.elements_.size(), data, m, stop, base);
      k.base = window.base;
      ahead = window.matches;
    }
    const std::size_t at =
        ahead != 0 ? k.base + std::size_t(std::countr_zero(ahead)) / sizeof(T) : stop;
    k.matches = at < stop ? ahead & (ahead - 1) : ahead;
    return at < stop ? at : last;
  }

  // What the vector search `v` is given: the elements, or a set's nibble tables.
  const void* patternOf(const VectorSearch& v) const noexcept {
    if constexpr (Byte<T>)
      if (v.byNibbles) return nibbles_.data();
    return elements_.data();
  }

  // The first position in [from, stop) holding e, or `stop`.
  static std::size_t findOne(const T* data, std::size_t from, std::size_t stop, T e) {
    if constexpr (Byte<T>) {
      const void* at = std::memchr(data + from, static_cast<unsigned char>(e), stop - from);
      return at ? static_cast<std::size_t>(static_cast<const T*>(at) - data) : stop;
    } else {
      return static_cast<std::size_t>(std::find(data + from, data + stop, e) - data);
    }
  }

  std::size_t findAny(const T* data, std::size_t from, std::size_t stop) const {
    const T* x = data + from;
    const T* const end = data + stop;
    if constexpr (Byte<T>) {
      while (x != end && !table_[static_cast<unsigned char>(*x)]) ++x;
    } else {
      const T* const first = elements_.data();
      const T* const last = first + elements_.size();
      while (x != end && std::none_of(first, last, [x](const T& e) { return e == *x; })) ++x;
    }
    return std::size_t(x - data);
  }

  // Candidates are the places of the first element; the rest is compared there, element by
  // element (a delimiter is short: a call to memcmp would cost more).
  std::size_t findSublist(const T* data, std::size_t from, std::size_t stop) const {
    const std::size_t more = length_ - 1;
    for (std::size_t i = from; (i = findOne(data, i, stop, first_)) < stop; ++i) {
      std::size_t j = 0;
      while (j < more && data[i + 1 + j] == elements_[1 + j]) ++j;
      if (j == more) return i;
    }
    return stop;
  }

  std::vector<T> elements_;
  std::size_t length_;
  T first_;
  Shape shape_;
  bool anyOf_;
  std::array<bool, Byte<T> ? 256 : 0> table_{};
  std::conditional_t<Byte<T>, NibbleTables, std::array<std::uint8_t, 0>> nibbles_{};
  std::array<VectorSearch, 3> vectors_{};  // by scan path
};

}  // namespace split::detail
