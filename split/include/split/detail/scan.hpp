// Searching contiguous elements for a delimiter made of built-in equality.
//
//   const auto comma = split::detail::Scanner<char>::sublist({',', ' '});
//   std::string_view text = "a, b";
//   comma.find(text.data(), text.size(), 0, text.size())   // 1: ", " starts at position 1
//
// The delimiters of `oneOf` and `onSublist` over arithmetic elements test nothing but the
// built-in `==`, which has no effect anybody could observe: a search may look at the elements in
// any order and any number of times, provided it finds the same leftmost match. A Scanner keeps
// the delimiter's elements and searches a pointer range with the fastest means at hand: memchr
// for one byte, a table of the 256 byte values for a set of bytes, a scan for the first element
// of a sublist followed by a comparison of the rest. Wider elements use the same shapes with
// plain loops comparing with `==` (so that 0.0 matches -0.0 and a NaN matches nothing). The
// shape is settled when the scanner is made, so that a search starts with one switch.
#pragma once

#include <algorithm>
#include <array>
#include <concepts>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

namespace split::detail {

// Elements whose equality a scanner may reproduce without calling anything.
template <class T>
concept Scannable = std::is_arithmetic_v<T>;

// A one-byte element whose equality is that of its object representation, so that memchr
// applies.
template <class T>
concept Byte = std::integral<T> && sizeof(T) == 1;

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

  // What a search needs to know of the scanner, as a value: a loop that keeps it in a local
  // keeps it in registers, where one that reads it through a pointer to the scanner must read it
  // again for every piece whenever the loop also writes to memory. The pointers point into the
  // scanner, which must outlive the key.
  struct Key {
    const T* elements;
    std::size_t count;    // of elements
    const bool* table;    // an anyOf over bytes: which byte values are elements
    std::size_t length;   // the number of elements a match covers
    T first;
    unsigned char shape;
  };
  Key key() const noexcept {
    return {elements_.data(), elements_.size(), table_.data(), length_, first_,
            static_cast<unsigned char>(shape_)};
  }

  // The first position in [from, last) where a whole match lies within the n elements at
  // `data`, or `last` if there is none. Requires from <= last <= n.
  std::size_t find(const T* data, std::size_t n, std::size_t from, std::size_t last) const {
    return find(key(), data, n, from, last);
  }

  // The same with a key of the scanner. This is the one search of contiguous input: a faster
  // search (a vectorised one, say) for a shape goes in here.
  static std::size_t find(const Key& k, const T* data, std::size_t n, std::size_t from,
                          std::size_t last) {
    const auto shape = static_cast<Shape>(k.shape);
    if (shape == Shape::Everywhere) return from;
    if (shape == Shape::Nowhere || n < k.length) return last;
    const std::size_t stop = std::min(last, n - k.length + 1);
    if (from >= stop) return last;
    std::size_t at;
    switch (shape) {
      case Shape::One:
        at = findOne(data, from, stop, k.first);
        break;
      case Shape::AnyOf:
        at = findAny(k, data, from, stop);
        break;
      default:
        at = findSublist(k, data, from, stop);
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
    if constexpr (Byte<T>)
      if (anyOf_)
        for (T e : elements_) table_[static_cast<unsigned char>(e)] = true;
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

  static std::size_t findAny(const Key& k, const T* data, std::size_t from, std::size_t stop) {
    const T* x = data + from;
    const T* const end = data + stop;
    if constexpr (Byte<T>) {
      while (x != end && !k.table[static_cast<unsigned char>(*x)]) ++x;
    } else {
      const T* const last = k.elements + k.count;
      while (x != end && std::none_of(k.elements, last, [x](const T& e) { return e == *x; })) ++x;
    }
    return std::size_t(x - data);
  }

  // Candidates are the places of the first element; the rest is compared there, element by
  // element (a delimiter is short: a call to memcmp would cost more).
  static std::size_t findSublist(const Key& k, const T* data, std::size_t from, std::size_t stop) {
    const std::size_t more = k.length - 1;
    for (std::size_t i = from; (i = findOne(data, i, stop, k.first)) < stop; ++i) {
      std::size_t j = 0;
      while (j < more && data[i + 1 + j] == k.elements[1 + j]) ++j;
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
};

}  // namespace split::detail
