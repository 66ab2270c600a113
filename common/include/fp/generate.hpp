// Unbounded lists, each cell computed when it is first looked at.
//
//   fp::iterate([](int x) { return 2 * x; }, 1)   // 1 2 4 8 16 ...
//   fp::repeat('x')                                // x x x ...
//   fp::iota<std::int64_t>(10)                     // 10 11 12 ...
//   fp::iota(0, 5)                                 // 0 1 2 3 4
//
// Nothing is computed ahead: reading the first n elements of `iterate` applies the step n - 1
// times (the first element is the seed itself). Each element after the first is one suspended
// node that turns into its cell when computed.
#pragma once

#include <concepts>
#include <functional>
#include <utility>

#include "fp/list.hpp"

namespace fp {

namespace detail {

// The computation of the cells of `iterate` after the first: f(x), then the same from there.
// It runs once, so it hands its function over to the next one instead of copying it.
template <class F, class T>
struct IterateStep {
  F f;
  T x;
  Produced<T> operator()() {
    T next = std::invoke(f, std::as_const(x));
    T head = next;
    List<T> rest = ListInternals::suspendMade<T>(
        [&] { return IterateStep{std::move(f), std::move(next)}; });
    return Produced<T>(std::move(head), std::move(rest));
  }
};

}  // namespace detail

// x, f(x), f(f(x)), ...
template <class F, class T>
  requires std::is_invocable_r_v<T, F&, const T&>
List<T> iterate(F f, T x) {
  return List<T>::cons(x, detail::ListInternals::suspendMade<T>(
                              [&] { return detail::IterateStep<F, T>{std::move(f), x}; }));
}

// x, x, x, ...
template <class T>
List<T> repeat(T x) {
  return List<T>::cons(x, [x] { return repeat(x); });
}

// n, n + 1, n + 2, ...
template <std::integral I>
List<I> iota(I n) {
  return iterate([](I k) { return static_cast<I>(k + 1); }, n);
}

// first, first + 1, ..., last - 1: empty when last <= first.
template <std::integral I>
List<I> iota(I first, I last) {
  if (first >= last) return {};
  return List<I>::cons(first, [first, last] { return iota(static_cast<I>(first + 1), last); });
}

}  // namespace fp
