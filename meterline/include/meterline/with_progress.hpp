// withProgress: a range whose iteration advances a live bar by one unit per element.
//
//   auto bar = meterline::newProgressBar(meterline::defStyle(), 10.0, {0, std::ssize(files), {}});
//   for (const auto& file : meterline::withProgress(files, bar)) copy(file);
//
//   for (const auto& file : meterline::withProgress(files)) copy(file);  // a bar of files.size()
//
// The bar counts an element when the iterator moves past it, after the loop's body has run, so
// the bar reaches its total when the last element is done, not when it starts; an early
// `break` leaves the bar where the finished elements put it (a `BarGuard` on a bar of one's
// own ends its line then, see progress_bar.hpp). Each step is one `incProgress`
// (see progress_bar.hpp): a clock read and the bar's lock, drawing only when due or complete.
//
// The view yields the range's own elements (references into it for a container) and holds a
// copy of the bar, which shares the bar's state. A range passed as an lvalue is referred to
// and must outlive the view; one passed as an rvalue is moved into the view and lives as long
// as the view does, which is then moved, never copied. The view is an input range, and a forward
// range over a forward one, sized when the range is, and common when the range is. It never
// walks backwards: a bar does not count down. Every step counts, so an algorithm that walks
// the view twice, or measures it by walking (as a container's iterator-pair constructor
// does), counts it twice; a range-for loop walks it once.
//
// The second form creates the bar, on standard error, with the range's size as its total: it
// takes a sized range (an unsized one does not compile; count it and create the bar yourself)
// and optionally a style, a refresh rate (10 drawings a second unless given) and `BarOptions`.
// The bar is made with options (see progress_bar.hpp): drawn in place at the width of the
// terminal on standard error, followed as it changes, when standard error is a terminal, and
// plain lines for a log otherwise (or nothing, with `offTerminal = Output::Silent`). The view
// holds the only copy of that bar, so when the loop is left early, by a `break`, a `return`
// or an exception, the bar's line ends as last drawn and later output starts below it. A
// range of more than 2^63 - 1 elements is an std::length_error.
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

// The range a WithProgressView walks. R is an object type for a range passed as an rvalue:
// the range is moved in and kept, and never copied (a container's copy is no view's cheap
// copy), as std::ranges::owning_view does; the view's constness reaches it.
template <class R>
class HeldRange {
 public:
  explicit HeldRange(R&& range) : range_(std::move(range)) {}
  HeldRange(HeldRange&&) = default;
  HeldRange& operator=(HeldRange&&) = default;

  R& get() noexcept { return range_; }
  const R& get() const noexcept { return range_; }

 private:
  R range_;
};

// A range passed as an lvalue: referred to, as std::ranges::ref_view does.
template <class R>
class HeldRange<R&> {
 public:
  explicit HeldRange(R& range) noexcept : range_(&range) {}

  R& get() const noexcept { return *range_; }

 private:
  R* range_;
};
}  // namespace detail

// R is the range's type as withProgress received it: `T&` for an lvalue, which the view refers
// to, `T` for an rvalue, which the view holds.
template <class R, class Custom = fp::Unit>
  requires std::ranges::input_range<R> && (std::is_lvalue_reference_v<R> || std::movable<R>)
class WithProgressView : public std::ranges::view_base {
  // The range walked through a view of this constness: a range the view holds is const in a
  // const view; one it refers to is as the caller gave it.
  template <bool Const>
  using Base = std::conditional_t<Const && !std::is_lvalue_reference_v<R>,
                                  const std::remove_reference_t<R>, std::remove_reference_t<R>>;

  template <bool Const>
  class Iterator : public detail::ProgressIteratorCategory<Base<Const>> {
    using BaseIterator = std::ranges::iterator_t<Base<Const>>;

   public:
    using iterator_concept = std::conditional_t<std::ranges::forward_range<Base<Const>>,
                                                std::forward_iterator_tag, std::input_iterator_tag>;
    using value_type = std::ranges::range_value_t<Base<Const>>;
    using difference_type = std::ranges::range_difference_t<Base<Const>>;

    Iterator()
      requires std::default_initializable<BaseIterator>
    = default;
    Iterator(BaseIterator current, const ProgressBar<Custom>* bar)
        : current_(std::move(current)), bar_(bar) {}

    const BaseIterator& base() const& noexcept { return current_; }
    BaseIterator base() && { return std::move(current_); }

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
      requires std::ranges::forward_range<Base<Const>>
    {
      Iterator before = *this;
      ++*this;
      return before;
    }

    friend bool operator==(const Iterator& a, const Iterator& b)
      requires std::equality_comparable<BaseIterator>
    {
      return a.current_ == b.current_;
    }

    friend decltype(auto) iter_move(const Iterator& it) noexcept(
        noexcept(std::ranges::iter_move(it.current_))) {
      return std::ranges::iter_move(it.current_);
    }
    friend void iter_swap(const Iterator& a, const Iterator& b) noexcept(
        noexcept(std::ranges::iter_swap(a.current_, b.current_)))
      requires std::indirectly_swappable<BaseIterator>
    {
      std::ranges::iter_swap(a.current_, b.current_);
    }

   private:
    BaseIterator current_ = BaseIterator();
    const ProgressBar<Custom>* bar_ = nullptr;
  };

  template <bool Const>
  class Sentinel {
    using BaseSentinel = std::ranges::sentinel_t<Base<Const>>;

   public:
    Sentinel() = default;
    explicit Sentinel(BaseSentinel end) : end_(std::move(end)) {}

    BaseSentinel base() const { return end_; }

    friend bool operator==(const Iterator<Const>& it, const Sentinel& end) {
      return it.base() == end.end_;
    }

   private:
    BaseSentinel end_ = BaseSentinel();
  };

  template <bool Const, class Self>
  static auto endOf(Self& self) {
    if constexpr (std::ranges::common_range<Base<Const>>)
      return Iterator<Const>(std::ranges::end(self.range_.get()), &self.bar_);
    else
      return Sentinel<Const>(std::ranges::end(self.range_.get()));
  }

 public:
  WithProgressView(R&& range, ProgressBar<Custom> bar)
      : range_(std::forward<R>(range)), bar_(std::move(bar)) {}

  // The range walked.
  Base<false>& base() noexcept { return range_.get(); }
  Base<true>& base() const noexcept { return range_.get(); }

  const ProgressBar<Custom>& bar() const noexcept { return bar_; }

  Iterator<false> begin() { return {std::ranges::begin(range_.get()), &bar_}; }
  Iterator<true> begin() const
    requires std::ranges::input_range<Base<true>>
  {
    return {std::ranges::begin(range_.get()), &bar_};
  }

  auto end() { return endOf<false>(*this); }
  auto end() const
    requires std::ranges::input_range<Base<true>>
  {
    return endOf<true>(*this);
  }

  auto size()
    requires std::ranges::sized_range<Base<false>>
  {
    return std::ranges::size(range_.get());
  }
  auto size() const
    requires std::ranges::sized_range<Base<true>>
  {
    return std::ranges::size(range_.get());
  }

 private:
  detail::HeldRange<R> range_;
  ProgressBar<Custom> bar_;
};

// The elements of `range`, each counted on `bar` once the loop is done with it.
template <std::ranges::input_range R, class Custom>
  requires std::is_lvalue_reference_v<R> || std::movable<R>
WithProgressView<R, Custom> withProgress(R&& range, ProgressBar<Custom> bar) {
  return {std::forward<R>(range), std::move(bar)};
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

// The elements of `range`, counted on a new bar with options on standard error whose total is
// the range's size.
template <std::ranges::input_range R, class Custom = fp::Unit>
  requires std::ranges::sized_range<R> && (std::is_lvalue_reference_v<R> || std::movable<R>) &&
           std::default_initializable<Custom>
WithProgressView<R, Custom> withProgress(R&& range, Style<Custom> style = defStyle<Custom>(),
                                         double maxRefreshRate = 10.0,
                                         const BarOptions& options = {}) {
  const std::int64_t total = detail::totalOfSize(std::ranges::size(range));
  auto bar = newProgressBar(std::move(style), maxRefreshRate, Progress<Custom>{0, total, Custom{}},
                            options);
  return {std::forward<R>(range), std::move(bar)};
}

}  // namespace meterline
