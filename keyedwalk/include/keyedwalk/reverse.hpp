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
// other folds are the defaults over `ifoldMap`: `ifoldr` starts its calls at en and `ifoldl`
// accumulates from en down to e1. A Reverse of a Reverse walks in the wrapped kind's own order;
// write its type out, Reverse<Reverse<C>>{r}, since Reverse{r} of a Reverse r deduces a copy of r.
//
// Walking back to front needs the last element first, so the folds and traversals read the whole
// wrapped container even where the wrapped kind's own would stop early.
#pragma once

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

template <class C>
struct FoldableWithIndex<Reverse<C>> : FoldableWithIndexDefaults<Reverse<C>> {
  using Index = typename FoldableWithIndex<C>::Index;

  template <fp::Monoid M, class F, detail::Forwarded<Reverse<C>> Self>
  static typename M::Value ifoldMap(const M& m, F&& f, Self&& r) {
    return FoldableWithIndex<C>::ifoldMap(fp::Dual<M>(m), std::forward<F>(f), std::forward<Self>(r).value);
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
