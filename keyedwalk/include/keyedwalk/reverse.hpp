// keyedwalk::Reverse: a container walked back to front, each element keeping its own index.
//
//   keyedwalk::Reverse back{std::vector<char>{'a', 'b', 'c'}};
//   keyedwalk::itoList(back);                          // (2,c) (1,b) (0,a)
//   auto steps = keyedwalk::imapAccumL(
//       [](std::int64_t, int n, char x) { return std::pair(n + 1, std::string(n, x)); }, 0, back);
//   // 3, Reverse{{"aa", "b", ""}}: the accumulator runs from c to a, each result stays in place
//
// If the wrapped kind visits e1, e2, ..., en, Reverse visits en, ..., e2, e1 with the same
// indices: `ifoldMap` runs the wrapped kind's ifoldMap in the fp::Dual of the caller's monoid,
// giving f(in, en) <> ... <> f(i1, e1) with the grouping mirrored, and `itraverse` runs its
// itraverse in the fp::Backwards form of the caller's effect, so the effects run from en to e1
// while each new element takes the place of the one it came from. `imap` maps in place. The
// other folds give what the defaults over `ifoldMap` give, `ifoldr` starting its calls at en and
// `ifoldl` accumulating from en down to e1, and are the wrapped kind's folds run from the other
// end. A Reverse of a Reverse walks in the wrapped kind's own order; write its type out,
// Reverse<Reverse<C>>{r}, since Reverse{r} of a Reverse r deduces a copy of r.
//
// Walking back to front needs the last element first, so the folds and traversals read the whole
// wrapped container even where the wrapped kind's own would stop early.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

#include "fp/applicative.hpp"
#include "fp/effects.hpp"
#include "fp/monoid.hpp"
#include "keyedwalk/capabilities.hpp"
#include "keyedwalk/detail/parts.hpp"
#include "keyedwalk/detail/plain.hpp"

namespace keyedwalk {

template <class C>
struct Reverse {
  using value_type = ElementOf<C>;
  C value;
  friend bool operator==(const Reverse&, const Reverse&) = default;
};
template <class C>
Reverse(C) -> Reverse<C>;

namespace detail {
template <class C>
inline constexpr bool plainFromIndexed<Reverse<C>> = true;
}  // namespace detail

template <class C>
struct FunctorWithIndex<Reverse<C>> : FunctorWithIndexDefaults<Reverse<C>> {
  using Index = typename FunctorWithIndex<C>::Index;

  template <class F>
  static auto imap(F&& f, const Reverse<C>& r) {
    auto mapped = FunctorWithIndex<C>::imap(std::forward<F>(f), r.value);
    return Reverse<decltype(mapped)>{std::move(mapped)};
  }
};

namespace detail {
// f with its last two arguments swapped: a right fold's step as a left fold's, and back.
template <class F>
struct Swapped {
  F f;
  template <class I, class X, class Y>
  decltype(auto) operator()(const I& i, X&& x, Y&& y) const {
    return std::invoke(f, i, std::forward<Y>(y), std::forward<X>(x));
  }
};
// Spelled out, since a brace of a Swapped would deduce a copy of it.
template <class F>
Swapped<F> swapped(F f) {
  return {std::move(f)};
}
}  // namespace detail

// The folds other than ifoldMap run the wrapped kind's fold from the other end, with the
// callback's arguments turned around: ifoldr is its ifoldl, ifoldlPrime its ifoldrPrime, and so
// on. They give the results of the defaults over ifoldMap and call the callback in the same order.
template <class C>
struct FoldableWithIndex<Reverse<C>> : FoldableWithIndexDefaults<Reverse<C>> {
  using Index = typename FoldableWithIndex<C>::Index;
  using Wrapped = FoldableWithIndex<C>;

  template <fp::Monoid M, class F, detail::Forwarded<Reverse<C>> Self>
  static typename M::Value ifoldMap(const M& m, F&& f, Self&& r) {
    return Wrapped::ifoldMap(fp::Dual<M>(m), std::forward<F>(f), std::forward<Self>(r).value);
  }
  template <class F, class Z, detail::Forwarded<Reverse<C>> Self>
  static Z ifoldr(F f, Z z, Self&& r) {
    return Wrapped::ifoldl(detail::swapped(std::move(f)), std::move(z), std::forward<Self>(r).value);
  }
  template <class F, class Z, detail::Forwarded<Reverse<C>> Self>
  static Z ifoldl(F f, Z z, Self&& r) {
    return Wrapped::ifoldr(detail::swapped(std::move(f)), std::move(z), std::forward<Self>(r).value);
  }
  template <class F, class Z>
  static Z ifoldrPrime(F&& f, Z z, const Reverse<C>& r) {
    return Wrapped::ifoldlPrime(detail::swapped(std::ref(f)), std::move(z), r.value);
  }
  template <class F, class Z>
  static Z ifoldlPrime(F&& f, Z z, const Reverse<C>& r) {
    return Wrapped::ifoldrPrime(detail::swapped(std::ref(f)), std::move(z), r.value);
  }
};

template <class C>
struct TraversableWithIndex<Reverse<C>> : TraversableWithIndexDefaults<Reverse<C>> {
  using Index = typename TraversableWithIndex<C>::Index;

  template <fp::Applicative E, class F, detail::Forwarded<Reverse<C>> Self>
  static auto itraverse(const E& effect, F&& f, Self&& r) {
    return effect.fmap(
        [](const auto& y) { return Reverse<std::decay_t<decltype(y)>>{y}; },
        TraversableWithIndex<C>::itraverse(fp::Backwards<E>(effect), std::forward<F>(f), std::forward<Self>(r).value));
  }
};

}  // namespace keyedwalk
