// keyedwalk::Ix<I>: what makes I the index type of an array.
//
//   using Cell = std::pair<int, char>;
//   const std::pair<Cell, Cell> bounds{{0, 'a'}, {1, 'c'}};
//   for (Cell c : keyedwalk::Ix<Cell>::range(bounds)) { ... }   // (0,a) (0,b) (0,c) (1,a) (1,b) (1,c)
//   keyedwalk::Ix<Cell>::index(bounds, {1, 'b'});                 // 4
//   keyedwalk::Ix<Cell>::rangeSize(bounds);                        // 6
//
// The indices of an array lie between two bounds, a pair (lower, upper) of I. `Ix<I>` gives
//
//   range(bounds)        the indices within the bounds in the type's order, a forward range
//   index(bounds, i)     the place of i in that range, from 0, for an i within the bounds
//   inRange(bounds, i)   whether i lies within the bounds
//   rangeSize(bounds)    the number of indices within the bounds
//
// and its operations agree with each other: the index at place p of `range` has `index` p, and
// `rangeSize` counts `range`. Every integer type is an index type (char and bool among them),
// in ascending order, and so is a pair of index types, in row-major order: the second component
// varies fastest. Bounds with upper below lower hold no index. A type of one's own becomes an
// index type by specialising `keyedwalk::Ix`.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <ranges>
#include <stdexcept>
#include <utility>

namespace keyedwalk {

template <class I>
struct Ix;

template <class I>
concept ArrayIndex = requires(const std::pair<I, I>& bounds, const I& i) {
  { Ix<I>::range(bounds) } -> std::ranges::forward_range;
  { Ix<I>::index(bounds, i) } -> std::convertible_to<std::int64_t>;
  { Ix<I>::inRange(bounds, i) } -> std::convertible_to<bool>;
  { Ix<I>::rangeSize(bounds) } -> std::convertible_to<std::int64_t>;
};

namespace detail {

[[noreturn]] inline void throwTooManyIndices() {
  throw std::length_error("keyedwalk::Ix: the bounds hold more than 2^63 - 1 indices");
}

// The `count` integers from `lower` up.
template <std::integral I>
class Interval : public std::ranges::view_base {
 public:
  class iterator {
   public:
    using value_type = I;
    using difference_type = std::ptrdiff_t;
    using iterator_concept = std::forward_iterator_tag;

    iterator() = default;
    // Modular arithmetic reaches the integers up to the type's maximum without overflow.
    I operator*() const noexcept { return static_cast<I>(static_cast<std::uint64_t>(lower_) + place_); }
    iterator& operator++() noexcept {
      ++place_;
      return *this;
    }
    iterator operator++(int) noexcept {
      iterator old = *this;
      ++place_;
      return old;
    }
    friend bool operator==(const iterator& a, const iterator& b) noexcept { return a.place_ == b.place_; }

   private:
    friend class Interval;
    iterator(I lower, std::uint64_t place) noexcept : lower_(lower), place_(place) {}
    I lower_{};
    std::uint64_t place_ = 0;
  };

  Interval() = default;
  Interval(I lower, std::int64_t count) noexcept : lower_(lower), count_(static_cast<std::uint64_t>(count)) {}
  iterator begin() const noexcept { return {lower_, 0}; }
  iterator end() const noexcept { return {lower_, count_}; }
  bool empty() const noexcept { return count_ == 0; }

 private:
  I lower_{};
  std::uint64_t count_ = 0;
};

// The pairs (r, c) for r in `rows` and c in `columns`, c varying fastest.
template <std::ranges::forward_range Rows, std::ranges::forward_range Columns>
class RowMajor : public std::ranges::view_base {
 public:
  class iterator {
   public:
    using value_type = std::pair<std::ranges::range_value_t<Rows>, std::ranges::range_value_t<Columns>>;
    using difference_type = std::ptrdiff_t;
    using iterator_concept = std::forward_iterator_tag;

    iterator() = default;
    value_type operator*() const { return value_type(*row_, *column_); }
    iterator& operator++() {
      if (++column_ == std::ranges::end(view_->columns_)) {
        ++row_;
        column_ = std::ranges::begin(view_->columns_);
      }
      return *this;
    }
    iterator operator++(int) {
      iterator old = *this;
      ++*this;
      return old;
    }
    friend bool operator==(const iterator& a, const iterator& b) { return a.row_ == b.row_ && a.column_ == b.column_; }

   private:
    friend class RowMajor;
    using RowAt = std::ranges::iterator_t<const Rows>;
    using ColumnAt = std::ranges::iterator_t<const Columns>;
    iterator(const RowMajor* view, RowAt row, ColumnAt column) : view_(view), row_(row), column_(column) {}
    const RowMajor* view_ = nullptr;
    RowAt row_{};
    ColumnAt column_{};
  };

  // The iterators refer to the view they came from, which must outlive them.
  RowMajor(Rows rows, Columns columns) : rows_(std::move(rows)), columns_(std::move(columns)) {}

  iterator begin() const {
    if (std::ranges::begin(columns_) == std::ranges::end(columns_)) return end();
    return {this, std::ranges::begin(rows_), std::ranges::begin(columns_)};
  }
  iterator end() const { return {this, std::ranges::end(rows_), std::ranges::begin(columns_)}; }

 private:
  Rows rows_;
  Columns columns_;
};

// The tag by which the library's own Ix of an integer type tells that the index at place k of a
// range is lower + k, at position k. An Ix written elsewhere, even for an integer type, makes no
// such promise, and arrays call its `index`.
template <class I>
struct CountsFromLower {};

template <class I>
concept CountingIx = requires { typename Ix<I>::Promise; } && std::same_as<typename Ix<I>::Promise, CountsFromLower<I>>;

}  // namespace detail

// The integers, char and bool among them, in ascending order.
template <std::integral I>
struct Ix<I> {
  using Bounds = std::pair<I, I>;
  using Promise = detail::CountsFromLower<I>;

  static detail::Interval<I> range(const Bounds& b) { return {b.first, rangeSize(b)}; }
  // Computed modulo 2^64, which is exact for every i within the bounds.
  static std::int64_t index(const Bounds& b, I i) noexcept {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(i) - static_cast<std::uint64_t>(b.first));
  }
  static bool inRange(const Bounds& b, I i) noexcept { return b.first <= i && i <= b.second; }
  // Throws std::length_error when the count does not fit an std::int64_t.
  static std::int64_t rangeSize(const Bounds& b) {
    if (b.second < b.first) return 0;
    const std::uint64_t span = static_cast<std::uint64_t>(b.second) - static_cast<std::uint64_t>(b.first);
    if (span >= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) detail::throwTooManyIndices();
    return static_cast<std::int64_t>(span + 1);
  }
};

// Pairs of index types in row-major order: bounds ((r0, c0), (r1, c1)) hold the rows r0 .. r1,
// each with the columns c0 .. c1.
template <ArrayIndex R, ArrayIndex C>
struct Ix<std::pair<R, C>> {
  using Index = std::pair<R, C>;
  using Bounds = std::pair<Index, Index>;

  static auto range(const Bounds& b) { return detail::RowMajor(Ix<R>::range(rows(b)), Ix<C>::range(columns(b))); }
  static std::int64_t index(const Bounds& b, const Index& i) {
    return std::int64_t(Ix<R>::index(rows(b), i.first)) * std::int64_t(Ix<C>::rangeSize(columns(b))) +
           std::int64_t(Ix<C>::index(columns(b), i.second));
  }
  static bool inRange(const Bounds& b, const Index& i) {
    return Ix<R>::inRange(rows(b), i.first) && Ix<C>::inRange(columns(b), i.second);
  }
  static std::int64_t rangeSize(const Bounds& b) {
    const std::int64_t height = Ix<R>::rangeSize(rows(b));
    const std::int64_t width = Ix<C>::rangeSize(columns(b));
    if (height <= 0 || width <= 0) return 0;
    if (height > std::numeric_limits<std::int64_t>::max() / width) detail::throwTooManyIndices();
    return height * width;
  }

 private:
  static std::pair<R, R> rows(const Bounds& b) { return {b.first.first, b.second.first}; }
  static std::pair<C, C> columns(const Bounds& b) { return {b.first.second, b.second.second}; }
};

}  // namespace keyedwalk
