// How a delimiter finds its matches in a list.
//
// A delimiter is a sequence of tests, the i-th applied to the i-th element of a would-be match:
// the predicates a caller gave, or the elements of a sublist compared for equality. A Matcher
// holds the tests in their own type and searches a whole contiguous run of the input per
// virtual call, so that testing an element is an inlined call, not one through std::function.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <ranges>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "fp/list.hpp"

namespace split {

// An element predicate, as a delimiter holds it.
template <class T>
using Predicate = std::function<bool(const T&)>;

namespace detail {

// Where a search stopped: at the first position where the delimiter matches, with the length of
// the match, or at the end of the stretch searched when it matches nowhere there.
struct Hit {
  std::size_t at;
  std::size_t length;
};

template <class T>
class Matcher : public std::enable_shared_from_this<Matcher<T>> {
 public:
  virtual ~Matcher() = default;

  // Tries the delimiter at positions 0, 1, ..., limit - 1 of `run`, the leading run of `xs`
  // (0 < limit <= run.size()), each time from the first test until one rejects, and returns the
  // first position where all tests accept, with the number of elements matched. An attempt near
  // the end of the run reads on into the input behind it. {limit, 0} when nothing matches.
  virtual Hit find(const fp::List<T>& xs, std::span<const T> run, std::size_t limit) const = 0;

  // Whether there are no tests: the delimiter then matches the empty sequence everywhere.
  virtual bool empty() const = 0;

  // The tests as the list of predicates they stand for.
  virtual fp::List<Predicate<T>> predicates() const = 0;
};

// Applies a predicate to an element.
struct Call {
  template <class P, class T>
  bool operator()(const P& p, const T& x) const {
    return std::invoke(p, x);
  }
};

// Compares an element of a sublist (on the left) with an element of the input.
struct Equal {
  template <class T>
  bool operator()(const T& s, const T& x) const {
    return s == x;
  }
};

template <class Tests>
inline constexpr bool kOneTest = false;
template <class Test>
inline constexpr bool kOneTest<std::array<Test, 1>> = true;

// The matcher of a sequence of tests: any forward range of them, `accept(test, element)`
// applying one.
template <class T, class Tests, class Accept>
class SequenceMatcher final : public Matcher<T> {
 public:
  SequenceMatcher(Tests tests, Accept accept) : tests_(std::move(tests)), accept_(accept) {}

  Hit find(const fp::List<T>& xs, std::span<const T> run, std::size_t limit) const override {
    if constexpr (kOneTest<Tests>) {
      for (std::size_t i = 0; i < limit; ++i)
        if (accept_(tests_[0], run[i])) return {i, 1};
    } else {
      for (std::size_t i = 0; i < limit; ++i)
        if (const auto length = matchAt(xs, run, i)) return {i, *length};
    }
    return {limit, 0};
  }

  bool empty() const override { return std::ranges::empty(tests_); }

  fp::List<Predicate<T>> predicates() const override {
    if constexpr (std::same_as<Tests, fp::List<Predicate<T>>>) {
      return tests_;
    } else {
      // Each predicate applies one of this matcher's tests, which it keeps alive.
      auto self = std::static_pointer_cast<const SequenceMatcher>(this->shared_from_this());
      std::vector<Predicate<T>> predicates;
      for (std::size_t i = 0; i < std::size(tests_); ++i)
        predicates.emplace_back(
            [self, i](const T& x) { return self->accept_(self->tests_[i], x); });
      return fp::List<Predicate<T>>::from(std::move(predicates));
    }
  }

 private:
  // The length of the match that starts at run[i], or nothing. The tests run in order on
  // consecutive elements and the first rejection ends the attempt; an element behind the run
  // is read only when a test is left for it.
  std::optional<std::size_t> matchAt(const fp::List<T>& xs, std::span<const T> run,
                                     std::size_t i) const {
    auto test = std::ranges::begin(tests_);
    const auto end = std::ranges::end(tests_);
    std::size_t n = 0;
    for (; test != end && i + n < run.size(); ++test, ++n)
      if (!accept_(*test, run[i + n])) return std::nullopt;
    if (test == end) return n;
    const fp::List<T> behind = xs.dropInRun(run.size());
    for (auto x = behind.begin();; ++x) {
      if (x == behind.end() || !accept_(*test, *x)) return std::nullopt;
      ++n;
      if (++test == end) return n;
    }
  }

  Tests tests_;
  [[no_unique_address]] Accept accept_;
};

template <class T, class Tests, class Accept>
std::shared_ptr<const Matcher<T>> makeMatcher(Tests tests, Accept accept) {
  return std::make_shared<const SequenceMatcher<T, Tests, Accept>>(std::move(tests), accept);
}

}  // namespace detail
}  // namespace split
