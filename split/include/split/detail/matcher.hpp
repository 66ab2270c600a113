// How a delimiter finds its matches, in a list or in contiguous elements.
//
// A delimiter is a sequence of tests, the i-th applied to the i-th element of a would-be match:
// the predicates a caller gave, or the elements of a sublist compared for equality. A Matcher
// holds the tests in their own type and searches a whole stretch of input per virtual call, so
// that testing an element is an inlined call, not one through std::function. The delimiters of
// `oneOf` and `onSublist` over arithmetic elements search with a Scanner (memchr and the like)
// instead, and hand it out so that a contiguous search can call it without a virtual call.
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
#include "split/detail/scan.hpp"

namespace split {

// An element predicate, as a delimiter holds it.
template <class T>
using Predicate = std::function<bool(const T&)>;

namespace detail {

// The scanner type of an element type, or void where there is none.
template <class T>
struct ScannerFor {
  using type = void;
};
template <Scannable T>
struct ScannerFor<T> {
  using type = Scanner<T>;
};

// The key of a scanner (Scanner::Key), or an empty one where there is none.
template <class T>
struct ScanKeyFor {
  struct type {};
};
template <Scannable T>
struct ScanKeyFor<T> {
  using type = typename Scanner<T>::Key;
};
template <class T>
using ScanKey = typename ScanKeyFor<T>::type;

template <class T>
class Matcher : public std::enable_shared_from_this<Matcher<T>> {
 public:
  virtual ~Matcher() = default;

  // Tries the delimiter at positions from, ..., last - 1 of `run`, the leading run of `xs`
  // (from < last <= run.size()), each time from the first test until one rejects, and returns
  // the first position where all tests accept, or `last`. An attempt near the end of the run
  // reads on into the input behind it.
  virtual std::size_t find(const fp::List<T>& xs, std::span<const T> run, std::size_t from,
                           std::size_t last) const = 0;

  // The same over contiguous `elements` with nothing behind them (from < last <= size): an
  // attempt that runs out of elements fails.
  virtual std::size_t find(std::span<const T> elements, std::size_t from,
                           std::size_t last) const = 0;

  // The number of elements a match covers: one per test.
  virtual std::size_t length() const = 0;
  // Whether there are no tests: the delimiter then matches the empty sequence everywhere.
  bool empty() const { return length() == 0; }

  // The tests as the list of predicates they stand for.
  virtual fp::List<Predicate<T>> predicates() const = 0;

  // The built-in equality search of the delimiter, if it is one.
  virtual const typename ScannerFor<T>::type* scanner() const noexcept { return nullptr; }
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

// The length of the match of `tests` from run[i] on, or nothing. The tests run in order on
// consecutive elements and the first rejection ends the attempt; when tests are left at the end
// of the run, they go on with the input behind it if `xs` (the list whose leading run `run` is)
// is given, and fail otherwise.
template <class T, class Tests, class Accept>
std::optional<std::size_t> matchFrom(const Tests& tests, const Accept& accept,
                                     std::span<const T> run, std::size_t i,
                                     const fp::List<T>* xs) {
  auto test = std::ranges::begin(tests);
  const auto end = std::ranges::end(tests);
  std::size_t n = 0;
  for (; test != end && i + n < run.size(); ++test, ++n)
    if (!accept(*test, run[i + n])) return std::nullopt;
  if (test == end) return n;
  if (!xs) return std::nullopt;
  const fp::List<T> behind = xs->dropInRun(run.size());
  for (auto x = behind.begin();; ++x) {
    if (x == behind.end() || !accept(*test, *x)) return std::nullopt;
    ++n;
    if (++test == end) return n;
  }
}

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

  std::size_t find(const fp::List<T>& xs, std::span<const T> run, std::size_t from,
                   std::size_t last) const override {
    return search(run, from, last, &xs);
  }
  std::size_t find(std::span<const T> elements, std::size_t from,
                   std::size_t last) const override {
    return search(elements, from, last, nullptr);
  }

  std::size_t length() const override { return length_; }

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
  std::size_t search(std::span<const T> run, std::size_t from, std::size_t last,
                     const fp::List<T>* xs) const {
    if constexpr (kOneTest<Tests>) {
      const T* const data = run.data();
      for (const T* x = data + from; x != data + last; ++x)
        if (accept_(tests_[0], *x)) return std::size_t(x - data);
    } else {
      for (std::size_t i = from; i < last; ++i)
        if (matchFrom(tests_, accept_, run, i, xs)) return i;
    }
    return last;
  }

  Tests tests_;
  std::size_t length_ = std::size_t(std::ranges::distance(tests_));
  [[no_unique_address]] Accept accept_;
};

// The matcher of `oneOf` or `onSublist` over arithmetic elements.
template <Scannable T>
class ScanningMatcher final : public Matcher<T> {
 public:
  explicit ScanningMatcher(Scanner<T> scanner) : scanner_(std::move(scanner)) {}

  std::size_t find(const fp::List<T>& xs, std::span<const T> run, std::size_t from,
                   std::size_t last) const override {
    const std::size_t inside = find(run, from, last);
    if (inside != last) return inside;
    // A sublist may begin near the end of the run and go on behind it.
    const std::size_t k = scanner_.length();
    for (std::size_t i = std::max(from, run.size() + 1 - std::min(k, run.size() + 1)); i < last;
         ++i)
      if (matchFrom(scanner_.elements(), Equal{}, run, i, &xs)) return i;
    return last;
  }

  std::size_t find(std::span<const T> elements, std::size_t from,
                   std::size_t last) const override {
    return scanner_.find(elements.data(), elements.size(), from, last);
  }

  std::size_t length() const override { return scanner_.length(); }

  fp::List<Predicate<T>> predicates() const override {
    auto self = std::static_pointer_cast<const ScanningMatcher>(this->shared_from_this());
    if (scanner_.anyOf())
      return {Predicate<T>([self](const T& x) { return self->scanner_.isAny(x); })};
    std::vector<Predicate<T>> predicates;
    for (const T& s : scanner_.elements())
      predicates.emplace_back([self, s](const T& x) { return s == x; });
    return fp::List<Predicate<T>>::from(std::move(predicates));
  }

  const Scanner<T>* scanner() const noexcept override { return &scanner_; }

 private:
  Scanner<T> scanner_;
};

template <class T, class Tests, class Accept>
std::shared_ptr<const Matcher<T>> makeMatcher(Tests tests, Accept accept) {
  return std::make_shared<const SequenceMatcher<T, Tests, Accept>>(std::move(tests), accept);
}

template <Scannable T>
std::shared_ptr<const Matcher<T>> makeMatcher(Scanner<T> scanner) {
  return std::make_shared<const ScanningMatcher<T>>(std::move(scanner));
}

}  // namespace detail
}  // namespace split
