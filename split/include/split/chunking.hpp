// Cutting a list by counts instead of delimiters.
//
//   split::chunksOf(3, fp::iota(1, 9))                     // [[1,2,3],[4,5,6],[7,8]]
//   split::splitPlaces({2, 3, 4}, fp::iota(1, 8))          // [[1,2],[3,4,5],[6,7]]
//   split::splitPlacesBlanks({2, 3, 4}, fp::iota(1, 6))    // [[1,2],[3,4,5],[]]
//   split::divvy(3, 1, fp::List<int>{1, 2, 3, 4})          // [[1,2,3],[2,3,4]]: sliding windows
//   split::chop([](const fp::List<int>& xs) { return std::pair(xs.take(2), xs.drop(2)); },
//               fp::iota(1, 6))                            // [[1,2],[3,4],[5]]
//   split::chunksOf(4, "deadbeef")                          // "dead" "beef": string views
//
// All results are produced when read, and each piece after reading only the input it covers, so
// these work on unbounded input: `chunksOf(0, xs)` of a non-empty xs is an unbounded list of
// empty pieces, and the counts of `splitPlacesBlanks` may be unbounded too. Pieces of a
// contiguous buffer are slices that share it. `chunksOf`, `splitPlaces` and `splitPlacesBlanks`
// are written in producer style (see `build`). Over contiguous input (a string, a span, ...) the
// same operations give a lazy range of views into it (split/pieces.hpp), with the same pieces;
// there `chop`'s f maps the rest, a view, to a pair of a piece and the new rest.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <ranges>
#include <stdexcept>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "fp/list.hpp"
#include "split/pieces.hpp"

namespace split {

// The list that `g` produces, handed the operation that puts an element in front of a list and
// the empty list: `build<A>(g)` is `g(cons, nil)`. A producer passes cons an fp::List::lazy tail
// to produce on demand.
template <class A, class G>
auto build(G&& g) {
  auto cons = [](A x, fp::List<A> rest) {
    return fp::List<A>::cons(std::move(x), std::move(rest));
  };
  return std::invoke(std::forward<G>(g), cons, fp::List<A>());
}

namespace detail {

template <class I>
concept Count = std::integral<I> && !std::same_as<I, bool>;

template <Count I>
std::int64_t toCount(I k) {
  if constexpr (std::is_unsigned_v<I> && sizeof(I) >= sizeof(std::int64_t))
    return k > static_cast<std::uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<std::int64_t>(k);
  else
    return static_cast<std::int64_t>(k);
}

// The pieces of `chunksOf`: the first i elements at each starting point, the next starting point
// i further on (or the same, for i <= 0), until one is empty.
template <class T, class Cons, class Nil>
fp::List<fp::List<T>> chunkStarts(std::int64_t i, fp::List<T> at, Cons cons, Nil nil) {
  return fp::List<fp::List<T>>::lazy([=] {
    if (at.empty()) return nil;
    return cons(at.take(i), chunkStarts(i, i > 0 ? at.drop(i) : at, cons, nil));
  });
}

// The pieces of `splitPlaces` (or of `splitPlacesBlanks`, when `blanks`): one per count, the
// first k elements of what is left.
template <class T, class I, class Cons, class Nil>
fp::List<fp::List<T>> places(fp::List<I> counts, fp::List<T> at, bool blanks, Cons cons, Nil nil) {
  return fp::List<fp::List<T>>::lazy([=] {
    if (counts.empty() || (!blanks && at.empty())) return nil;
    const std::int64_t k = toCount(counts.head());
    return cons(at.take(k), places(counts.tail(), at.drop(k), blanks, cons, nil));
  });
}

template <class T, class F>
using PieceOf =
    std::remove_cvref_t<std::tuple_element_t<0, std::invoke_result_t<F&, const fp::List<T>&>>>;

template <class T, class F>
fp::List<PieceOf<T, F>> chopped(std::shared_ptr<F> f, fp::List<T> xs) {
  return fp::List<PieceOf<T, F>>::lazy(
      [f = std::move(f), xs = std::move(xs)]() -> fp::List<PieceOf<T, F>> {
        if (xs.empty()) return {};
        auto [piece, rest] = std::invoke(*f, xs);
        return fp::List<PieceOf<T, F>>::cons(std::move(piece),
                                             chopped(f, fp::List<T>(std::move(rest))));
      });
}

// The windows of `windows` that hold exactly n elements. Short windows are skipped in place, so
// that the caller's capture lets them go.
template <class T>
fp::List<fp::List<T>> fullWindowsAt(fp::List<fp::List<T>>& windows, std::int64_t n) {
  while (!windows.empty() && windows.head().length() != n) windows = windows.tail();
  if (windows.empty()) return {};
  return fp::List<fp::List<T>>::cons(
      windows.head(), [rest = windows.tail(), n]() mutable { return fullWindowsAt(rest, n); });
}

// The same cuttings over contiguous input, for split::Pieces. Each keeps the offset of the
// next piece.

// The first up to `take` elements at st.at, st.at moving past them.
template <class View>
View cutAt(View text, std::size_t& at, std::int64_t take) {
  const std::size_t n =
      take <= 0 ? 0 : std::size_t(std::min<std::uint64_t>(std::uint64_t(take), text.size() - at));
  const View piece(text.data() + at, n);
  at += n;
  return piece;
}

template <class View>
class ChunkCutting {
 public:
  using view_type = View;
  using piece_type = View;
  struct State {
    std::size_t at = 0;
  };

  explicit ChunkCutting(std::int64_t i) : i_(i) {}
  State start(View) const { return {}; }
  bool next(View text, State& st, View& piece) const {
    if (st.at >= text.size()) return false;
    piece = cutAt(text, st.at, i_);
    return true;
  }

 private:
  std::int64_t i_;
};

// A range as a cutting holds it: the range itself, moved in, when given as an rvalue; a
// reference to one given as an lvalue, which must outlive the pieces.
template <class R>
class HeldRange {
 public:
  explicit HeldRange(R range) : range_(std::move(range)) {}
  auto begin() const { return std::ranges::begin(range_); }
  auto end() const { return std::ranges::end(range_); }

 private:
  R range_;
};
template <class R>
class HeldRange<R&> {
 public:
  explicit HeldRange(R& range) : range_(&range) {}
  auto begin() const { return std::ranges::begin(*range_); }
  auto end() const { return std::ranges::end(*range_); }

 private:
  R* range_;
};

template <class View, class Counts, bool blanks>
class PlacesCutting {
 public:
  using view_type = View;
  using piece_type = View;
  struct State {
    std::ranges::iterator_t<const Counts> count{};
    std::size_t at = 0;
  };

  explicit PlacesCutting(Counts counts) : counts_(std::move(counts)) {}
  State start(View) const { return {std::ranges::begin(counts_), 0}; }
  bool next(View text, State& st, View& piece) const {
    if (st.count == std::ranges::end(counts_) || (!blanks && st.at >= text.size())) return false;
    piece = cutAt(text, st.at, toCount(*st.count));
    ++st.count;
    return true;
  }

 private:
  Counts counts_;
};

template <class View>
class WindowCutting {
 public:
  using view_type = View;
  using piece_type = View;
  struct State {
    std::size_t at = 0;
  };

  WindowCutting(std::int64_t n, std::int64_t m) : n_(n), m_(m) {}
  State start(View) const { return {}; }
  // Windows only get shorter further on: the first short one ends them.
  bool next(View text, State& st, View& piece) const {
    if (n_ < 0 || st.at >= text.size() || text.size() - st.at < std::uint64_t(n_)) return false;
    piece = View(text.data() + st.at, std::size_t(n_));
    st.at += std::size_t(std::min<std::uint64_t>(std::uint64_t(m_), text.size() - st.at));
    return true;
  }

 private:
  std::int64_t n_;
  std::int64_t m_;
};

template <class View, class F>
class ChopCutting {
 public:
  using view_type = View;
  using piece_type =
      std::remove_cvref_t<std::tuple_element_t<0, std::invoke_result_t<const F&, View>>>;
  struct State {
    View rest{};
  };

  explicit ChopCutting(F f) : f_(std::move(f)) {}
  State start(View text) const { return {text}; }
  bool next(View, State& st, piece_type& piece) const {
    if (st.rest.empty()) return false;
    auto cut = std::invoke(f_, st.rest);
    piece = std::move(std::get<0>(cut));
    st.rest = View(std::get<1>(cut));
    return true;
  }

 private:
  F f_;
};

inline void checkStep(std::int64_t m) {
  if (m <= 0)
    throw std::invalid_argument("split::divvy: the step must be positive, got " +
                                std::to_string(m));
}

struct ChunksOf {
  template <class T>
  fp::List<fp::List<T>> operator()(std::int64_t i, fp::List<T> xs) const {
    return build<fp::List<T>>(
        [&](auto cons, auto nil) { return chunkStarts(i, std::move(xs), cons, nil); });
  }
  template <ContiguousInput X>
  auto operator()(std::int64_t i, X&& input) const {
    return makePieces(std::forward<X>(input), ChunkCutting<PieceView<InputElement<X>>>(i));
  }
};

template <bool blanks>
struct SplitPlaces {
  template <std::ranges::input_range Counts, class T>
  requires Count<std::ranges::range_value_t<Counts>> fp::List<fp::List<T>>
  operator()(const Counts& counts, fp::List<T> xs) const {
    using I = std::ranges::range_value_t<Counts>;
    return build<fp::List<T>>([&](auto cons, auto nil) {
      return places(fp::List<I>::from(counts), std::move(xs), blanks, cons, nil);
    });
  }
  template <Count I, class T>
  fp::List<fp::List<T>> operator()(std::initializer_list<I> counts, fp::List<T> xs) const {
    return (*this)(fp::List<I>(counts), std::move(xs));
  }
  // Over contiguous input the counts may be any forward range that can be walked as a constant,
  // unbounded ones too; one given as an lvalue must outlive the pieces.
  template <class Counts, ContiguousInput X>
    requires std::ranges::forward_range<const std::remove_reference_t<Counts>> &&
             Count<std::ranges::range_value_t<Counts>> &&
             (std::is_lvalue_reference_v<Counts> || std::movable<Counts>)
  auto operator()(Counts&& counts, X&& input) const {
    using Cutting = PlacesCutting<PieceView<InputElement<X>>, HeldRange<Counts>, blanks>;
    return makePieces(std::forward<X>(input),
                      Cutting(HeldRange<Counts>(std::forward<Counts>(counts))));
  }
  template <Count I, ContiguousInput X>
  auto operator()(std::initializer_list<I> counts, X&& input) const {
    return (*this)(std::vector<I>(counts), std::forward<X>(input));
  }
};

}  // namespace detail

// Pieces of i elements each, the last 1 to i; none for an empty input. For i <= 0 and a
// non-empty input, an unbounded list of empty pieces.
inline constexpr detail::ChunksOf chunksOf{};
inline constexpr const auto& chunk = chunksOf;
inline constexpr const auto& splitEvery = chunksOf;

// One piece per count (an fp::List, possibly unbounded, a braced list or any range of integers),
// of that many elements of what is left of the input (all of it if fewer remain; none for a
// count <= 0); ends when the counts or the input run out, dropping what is left of the other.
inline constexpr detail::SplitPlaces<false> splitPlaces{};
// Exactly one piece per count: empty ones once the input has run out.
inline constexpr detail::SplitPlaces<true> splitPlacesBlanks{};

// The pieces that repeated application of `f` cuts off: f maps a non-empty list to a pair
// (piece, rest), and the pieces of rest follow. f runs only when the caller reads a piece or what
// follows it; if it consumes nothing, the result is unbounded.
template <class F, class T>
auto chop(F f, fp::List<T> xs) {
  return detail::chopped(std::make_shared<F>(std::move(f)), std::move(xs));
}
// Over contiguous input, f maps the non-empty rest (a view) to a pair (piece, rest as a view).
template <class F, ContiguousInput X>
auto chop(F f, X&& input) {
  return makePieces(std::forward<X>(input),
                    detail::ChopCutting<PieceView<InputElement<X>>, F>(std::move(f)));
}

// The windows of n elements that start at elements 0, m, 2m, ... of `xs`; a window that would
// run past the end is left out. With n == 0 every window is empty; with n < 0 there are none.
// Throws std::invalid_argument for a step m <= 0, which would never advance.
template <class T>
fp::List<fp::List<T>> divvy(std::int64_t n, std::int64_t m, fp::List<T> xs) {
  detail::checkStep(m);
  if (n < 0) return {};
  auto windows = chop([n, m](const fp::List<T>& at) { return std::pair(at.take(n), at.drop(m)); },
                      std::move(xs));
  return fp::List<fp::List<T>>::lazy(
      [windows = std::move(windows), n]() mutable { return detail::fullWindowsAt(windows, n); });
}

template <ContiguousInput X>
auto divvy(std::int64_t n, std::int64_t m, X&& input) {
  detail::checkStep(m);
  return makePieces(std::forward<X>(input),
                    detail::WindowCutting<PieceView<InputElement<X>>>(n, m));
}

}  // namespace split
