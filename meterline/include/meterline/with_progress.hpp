// withProgress: a range whose iteration advances a live bar by one unit per element.
//
//   auto bar = meterline::newProgressBar(meterline::defStyle(), 10.0, {0, std::ssize(files), {}});
//   for (const auto& file : meterline::withProgress(files, bar)) copy(file);
//
//   for (const auto& file : meterline::withProgress(files)) copy(file);  // a bar of files.size()
//
// The bar counts an element when the iterator moves past it, after the loop's body has run, so
// the bar reaches its total when the last element is done, not when it starts; an early
// `break` leaves the bar where the finished elements put it. Each step is one `incProgress`
// (see progress_bar.hpp): a clock read and the bar's lock, drawing only when due or complete.
//
// The view yields the range's own elements (references into it for a container) and holds a
// copy of the bar, which shares the bar's state. A range passed as an lvalue is referred to
// and must outlive the view; a container passed as an rvalue is moved into the view and lives
// as long as the view does, as with std::views::all. The view is an input range, and a forward
// range over a forward one, sized when the range is, and common when the range is. It never
// walks backwards: a bar does not count down. Every step counts, so an algorithm that walks
// the view twice, or measures it by walking (as a container's iterator-pair constructor
// does), counts it twice; a range-for loop walks it once.
//
// The second form creates the bar, on standard error, with the range's size as its total: it
// takes a sized range (an unsized one does not compile; count it and create the bar yourself)
// and optionally a style and a refresh rate, 10 drawings a second unless given. A range of
// more than 2^63 - 1 elements is an std::length_error.
#pragma once

#include <concepts>
#include <cstdint>
#include <iterator>
#include <limits>
#include <ranges>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "fp/unit.hpp"
#include "meterline/progress.hpp"
#include "meterline/progress_bar.hpp"
#include "meterline/style.hpp"

namespace meterline {

namespace detail {
// The C++17 category of a forward iterator over Base, as the standard views give it; an input
// iterator has none.
template <class Base>
struct ProgressIteratorCategory {};

template <std::ranges::forward_range Base>
struct ProgressIteratorCategory<Base> {
 private:
  using BaseIterator = std::ranges::iterator_t<Base>;
  using BaseCategory = typename std::iterator_traits<BaseIterator>::iterator_category;

 public:
  using iterator_category =
      std::conditional_t<std::derived_from<BaseCategory, std::forward_iterator_tag>,
                         std::forward_iterator_tag, BaseCategory>;
};
}  // namespace detail

template <std::ranges::input_range V, class Custom = fp::Unit>
  requires std::ranges::view<V>
class WithProgressView : public std::ranges::view_interface<WithProgressView<V, Custom>> {
  template <bool Const>
  class Sentinel;

  template <bool Const>
  class Iterator : public detail::ProgressIteratorCategory<std::conditional_t<Const, const V, V>> {
    using Base = std::conditional_t<Const, const V, V>;

   public:
    using iterator_concept = std::conditional_t<std::ranges::forward_range<Base>,
                                                std::forward_iterator_tag, std::input_iterator_tag>;
    using value_type = std::ranges::range_value_t<Base>;
    using difference_type = std::ranges::range_difference_t<Base>;

    Iterator()
      requires std::default_initializable<std::ranges::iterator_t<Base>>
    = default;
    Iterator(std::ranges::iterator_t<Base> current, const ProgressBar<Custom>* bar)
        : current_(std::move(current)), bar_(bar) {}

    const std::ranges::iterator_t<Base>& base() const& noexcept { return current_; }
    std::ranges::iterator_t<Base> base() && { return std::move(current_); }

    decltype(auto) operator*() const { return *current_; }

    // The element passed is done: counted first, so that a failing update leaves the iterator
    // where it was.
    Iterator& operator++() {
      incProgress(*bar_, 1);
      ++current_;
      return *this;
    }
    void operator++(int) { ++*this; }
    Iterator operator++(int)
      requires std::ranges::forward_range<Base>
    {
      Iterator before = *this;
      ++*this;
      return before;
    }

    friend bool operator==(const Iterator& a, const Iterator& b)
      requires std::equality_comparable<std::ranges::iterator_t<Base>>
    {
      return a.current_ == b.current_;
    }

    friend decltype(auto) iter_move(const Iterator& it) noexcept(
        noexcept(std::ranges::iter_move(it.current_))) {
      return std::ranges::iter_move(it.current_);
    }
    friend void iter_swap(const Iterator& a, const Iterator& b) noexcept(
        noexcept(std::ranges::iter_swap(a.current_, b.current_)))
      requires std::indirectly_swappable<std::ranges::iterator_t<Base>>
    {
      std::ranges::iter_swap(a.current_, b.current_);
    }

   private:
    std::ranges::iterator_t<Base> current_ = std::ranges::iterator_t<Base>();
    const ProgressBar<Custom>* bar_ = nullptr;
  };

  template <bool Const>
  class Sentinel {
    using Base = std::conditional_t<Const, const V, V>;

   public:
    Sentinel() = default;
    explicit Sentinel(std::ranges::sentinel_t<Base> end) : end_(std::move(end)) {}

    std::ranges::sentinel_t<Base> base() const { return end_; }

    friend bool operator==(const Iterator<Const>& it, const Sentinel& end) {
      return it.base() == end.end_;
    }

   private:
    std::ranges::sentinel_t<Base> end_ = std::ranges::sentinel_t<Base>();
  };

  template <bool Const, class Self>
  static auto endOf(Self& self) {
    if constexpr (std::ranges::common_range<decltype((self.base_))>)
      return Iterator<Const>(std::ranges::end(self.base_), &self.bar_);
    else
      return Sentinel<Const>(std::ranges::end(self.base_));
  }

 public:
  WithProgressView(V base, ProgressBar<Custom> bar)
      : base_(std::move(base)), bar_(std::move(bar)) {}

  V base() const&
    requires std::copy_constructible<V>
  {
    return base_;
  }
  V base() && { return std::move(base_); }

  const ProgressBar<Custom>& bar() const noexcept { return bar_; }

  Iterator<false> begin() { return {std::ranges::begin(base_), &bar_}; }
  Iterator<true> begin() const
    requires std::ranges::input_range<const V>
  {
    return {std::ranges::begin(base_), &bar_};
  }

  auto end() { return endOf<false>(*this); }
  auto end() const
    requires std::ranges::input_range<const V>
  {
    return endOf<true>(*this);
  }

  auto size()
    requires std::ranges::sized_range<V>
  {
    return std::ranges::size(base_);
  }
  auto size() const
    requires std::ranges::sized_range<const V>
  {
    return std::ranges::size(base_);
  }

 private:
  V base_;
  ProgressBar<Custom> bar_;
};

template <class R, class Custom>
WithProgressView(R&&, ProgressBar<Custom>) -> WithProgressView<std::views::all_t<R>, Custom>;

// The elements of `range`, each counted on `bar` once the loop is done with it.
template <std::ranges::viewable_range R, class Custom>
  requires std::ranges::input_range<R>
WithProgressView<std::views::all_t<R>, Custom> withProgress(R&& range, ProgressBar<Custom> bar) {
  return {std::views::all(std::forward<R>(range)), std::move(bar)};
}

namespace detail {
// A range's size as a bar's total. Size is any integer-like type.
template <class Size>
std::int64_t totalOfSize(Size size) {
  constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();
  if constexpr (std::numeric_limits<Size>::digits > std::numeric_limits<std::int64_t>::digits) {
    if (size > static_cast<Size>(kMost))
      throw std::length_error("meterline::withProgress: the range has more than 2^63 - 1 elements");
  }
  return static_cast<std::int64_t>(size);
}
}  // namespace detail

// The elements of `range`, counted on a new bar on standard error whose total is the range's
// size.
template <std::ranges::viewable_range R, class Custom = fp::Unit>
  requires std::ranges::input_range<R> && std::ranges::sized_range<R> &&
           std::default_initializable<Custom>
WithProgressView<std::views::all_t<R>, Custom> withProgress(
    R&& range, Style<Custom> style = defStyle<Custom>(), double maxRefreshRate = 10.0) {
  auto view = std::views::all(std::forward<R>(range));
  const std::int64_t total = detail::totalOfSize(std::ranges::size(view));
  auto bar = newProgressBar(std::move(style), maxRefreshRate, Progress<Custom>{0, total, Custom{}});
  return {std::move(view), std::move(bar)};
}

}  // namespace meterline
