// The indexed capabilities of fp::Identity<A>, a container of exactly one element, indexed by
// fp::Unit.
//
//   fp::Identity<int> answer{41};
//   keyedwalk::imap([](fp::Unit, int x) { return x + 1; }, answer);                   // Identity{42}
//   keyedwalk::ifoldl([](fp::Unit, int acc, int x) { return acc - x; }, 50, answer);  // 9
//
// Every operation makes one call of f, with fp::unit and the element: `imap` wraps its result,
// `ifoldMap` is its result, `itraverse` wraps the result of its action. The other folds are the
// defaults over `ifoldMap` and make that one call too. keyedwalk::Par1 (generic.hpp) is the same
// kind under the generic representation's name.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

#include "fp/applicative.hpp"
#include "fp/unit.hpp"
#include "keyedwalk/capabilities.hpp"
#include "keyedwalk/detail/plain.hpp"

namespace keyedwalk {

namespace detail {

// The records of a kind K<A> holding its one element as `value`.

template <template <class> class K, class A>
struct OneElementFunctor : FunctorWithIndexDefaults<K<A>> {
  using Index = fp::Unit;

  template <class F>
  static auto imap(F&& f, const K<A>& c) {
    using B = std::decay_t<std::invoke_result_t<F&, const fp::Unit&, const A&>>;
    return K<B>{std::invoke(f, fp::unit, c.value)};
  }
};

template <template <class> class K, class A>
struct OneElementFoldable : FoldableWithIndexDefaults<K<A>> {
  using Index = fp::Unit;

  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M&, F&& f, const K<A>& c) {
    return typename M::Value(std::invoke(f, fp::unit, c.value));
  }
};

template <template <class> class K, class A>
struct OneElementTraversable : TraversableWithIndexDefaults<K<A>> {
  using Index = fp::Unit;

  template <fp::Applicative E, class F>
  static auto itraverse(const E& effect, F&& f, const K<A>& c) {
    return effect.fmap([](const auto& b) { return K<std::decay_t<decltype(b)>>{b}; },
                       std::invoke(f, fp::unit, c.value));
  }
};

template <class A>
inline constexpr bool plainFromIndexed<fp::Identity<A>> = true;

}  // namespace detail

template <class A>
struct FunctorWithIndex<fp::Identity<A>> : detail::OneElementFunctor<fp::Identity, A> {};
template <class A>
struct FoldableWithIndex<fp::Identity<A>> : detail::OneElementFoldable<fp::Identity, A> {};
template <class A>
struct TraversableWithIndex<fp::Identity<A>> : detail::OneElementTraversable<fp::Identity, A> {};

}  // namespace keyedwalk
