// keyedwalk::IdentityT and keyedwalk::Backwards: wrappers around a container that change nothing
// about walking it. The wrapped kind's indices, order and results pass through.
//
//   keyedwalk::Backwards letters{std::vector<char>{'a', 'b'}};
//   keyedwalk::itoList(letters);                       // (0,a) (1,b): the vector's own order
//   auto upper = keyedwalk::imap([](std::int64_t, char x) { return char(x - 32); }, letters);
//   // Backwards{std::vector{'A', 'B'}}
//
// `imap` wraps the wrapped kind's imap, `ifoldMap` is its ifoldMap and `itraverse` wraps the
// result of its itraverse, in the caller's own effect. The lazy folds are the defaults over
// `ifoldMap`, not the wrapped kind's own versions of them, and the strict ones the wrapped kind's
// own loops; the results are the same. Backwards
// reverses nothing as a container: only the effect fp::Backwards runs actions backwards (see
// keyedwalk::Reverse for a container walked back to front). keyedwalk::Rec1 (generic.hpp) is one
// more such wrapper.
#pragma once

#include <type_traits>
#include <utility>

#include "fp/applicative.hpp"
#include "fp/monoid.hpp"
#include "keyedwalk/capabilities.hpp"
#include "keyedwalk/detail/parts.hpp"
#include "keyedwalk/detail/plain.hpp"

namespace keyedwalk {

template <class C>
struct IdentityT {
  using value_type = ElementOf<C>;
  C value;
  friend bool operator==(const IdentityT&, const IdentityT&) = default;
};
template <class C>
IdentityT(C) -> IdentityT<C>;

template <class C>
struct Backwards {
  using value_type = ElementOf<C>;
  C value;
  friend bool operator==(const Backwards&, const Backwards&) = default;
};
template <class C>
Backwards(C) -> Backwards<C>;

namespace detail {

// The records of a wrapper kind K<C> holding the wrapped container as `value`.

template <template <class> class K, class C>
struct PassThroughFunctor : FunctorWithIndexDefaults<K<C>> {
  using Index = typename FunctorWithIndex<C>::Index;

  template <class F>
  static auto imap(F&& f, const K<C>& w) {
    auto mapped = FunctorWithIndex<C>::imap(std::forward<F>(f), w.value);
    return K<decltype(mapped)>{std::move(mapped)};
  }
};

template <template <class> class K, class C>
struct PassThroughFoldable : FoldableWithIndexDefaults<K<C>> {
  using Index = typename FoldableWithIndex<C>::Index;

  template <fp::Monoid M, class F, Forwarded<K<C>> Self>
  static typename M::Value ifoldMap(const M& m, F&& f, Self&& w) {
    return FoldableWithIndex<C>::ifoldMap(m, std::forward<F>(f), std::forward<Self>(w).value);
  }
  // The wrapped kind's strict folds, which call f as the defaults over its ifoldMap would.
  template <class F, class Z>
  static Z ifoldrPrime(F&& f, Z z, const K<C>& w) {
    return FoldableWithIndex<C>::ifoldrPrime(std::forward<F>(f), std::move(z), w.value);
  }
  template <class F, class Z>
  static Z ifoldlPrime(F&& f, Z z, const K<C>& w) {
    return FoldableWithIndex<C>::ifoldlPrime(std::forward<F>(f), std::move(z), w.value);
  }
};

template <template <class> class K, class C>
struct PassThroughTraversable : TraversableWithIndexDefaults<K<C>> {
  using Index = typename TraversableWithIndex<C>::Index;

  template <fp::Applicative E, class F, Forwarded<K<C>> Self>
  static auto itraverse(const E& effect, F&& f, Self&& w) {
    return effect.fmap([](const auto& y) { return K<std::decay_t<decltype(y)>>{y}; },
                       TraversableWithIndex<C>::itraverse(effect, std::forward<F>(f), std::forward<Self>(w).value));
  }
};

template <class C>
inline constexpr bool plainFromIndexed<IdentityT<C>> = true;
template <class C>
inline constexpr bool plainFromIndexed<Backwards<C>> = true;

}  // namespace detail

template <class C>
struct FunctorWithIndex<IdentityT<C>> : detail::PassThroughFunctor<IdentityT, C> {};
template <class C>
struct FoldableWithIndex<IdentityT<C>> : detail::PassThroughFoldable<IdentityT, C> {};
template <class C>
struct TraversableWithIndex<IdentityT<C>> : detail::PassThroughTraversable<IdentityT, C> {};

template <class C>
struct FunctorWithIndex<Backwards<C>> : detail::PassThroughFunctor<Backwards, C> {};
template <class C>
struct FoldableWithIndex<Backwards<C>> : detail::PassThroughFoldable<Backwards, C> {};
template <class C>
struct TraversableWithIndex<Backwards<C>> : detail::PassThroughTraversable<Backwards, C> {};

}  // namespace keyedwalk
