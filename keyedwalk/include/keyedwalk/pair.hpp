// The indexed capabilities of std::pair<K, A>: a container of one element, its second
// component, indexed by its first.
//
//   std::pair<std::string, int> stock{"pear", 3};
//   auto restocked = keyedwalk::imap([](const std::string&, int n) { return n + 10; }, stock);
//   // ("pear", 13)
//   std::string line = keyedwalk::ifoldr(
//       [](const std::string& name, int n, std::string rest) { return name + ": " + std::to_string(n) + rest; },
//       std::string("\n"), stock);                                      // "pear: 3\n"
//
// Every operation takes the pair apart and calls f once with (first, second): `imap` and
// `itraverse` keep the first component and put f's result second; the folds give f(k, a, z) or
// f(k, z, a) as their side wants, `ifoldMap` gives f(k, a) and `ifoldMapPrime` mempty <> f(k, a).
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

#include "fp/deferred.hpp"
#include "keyedwalk/capabilities.hpp"
#include "keyedwalk/sequence.hpp"

namespace keyedwalk {

template <class K, class A>
struct Element<std::pair<K, A>> {
  using type = A;
};

template <class K, class A>
struct FunctorWithIndex<std::pair<K, A>> {
  using Functor = fp::Functor<std::pair<K, A>>;
  using Index = K;

  template <class F>
  static auto imap(F&& f, const std::pair<K, A>& p) {
    using B = std::decay_t<std::invoke_result_t<F&, const K&, const A&>>;
    return std::pair<K, B>(p.first, uncurryPrime(f, p));
  }
};

template <class K, class A>
struct FoldableWithIndex<std::pair<K, A>> : FoldableWithIndexDefaults<std::pair<K, A>> {
  using Index = K;

  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M&, F&& f, const std::pair<K, A>& p) {
    return typename M::Value(uncurryPrime(f, p));
  }
  template <class F, class Z>
  static Z ifoldr(F&& f, Z z, const std::pair<K, A>& p) {
    return Z(std::invoke(f, p.first, p.second, fp::Deferred<Z>(std::move(z))));
  }
  template <class F, class Z>
  static Z ifoldl(F&& f, Z z, const std::pair<K, A>& p) {
    return Z(std::invoke(f, p.first, fp::Deferred<Z>(std::move(z)), p.second));
  }
  template <class F, class Z>
  static Z ifoldrPrime(F&& f, Z z, const std::pair<K, A>& p) {
    return Z(std::invoke(f, p.first, p.second, std::move(z)));
  }
  template <class F, class Z>
  static Z ifoldlPrime(F&& f, Z z, const std::pair<K, A>& p) {
    return Z(std::invoke(f, p.first, std::move(z), p.second));
  }
};

template <class K, class A>
struct TraversableWithIndex<std::pair<K, A>> {
  using FunctorWithIndex = keyedwalk::FunctorWithIndex<std::pair<K, A>>;
  using FoldableWithIndex = keyedwalk::FoldableWithIndex<std::pair<K, A>>;
  using Traversable = fp::Traversable<std::pair<K, A>>;
  using Index = K;

  template <fp::Applicative E, class F>
  static auto itraverse(const E& effect, F&& f, const std::pair<K, A>& p) {
    using B = fp::ActionValue<E, std::invoke_result_t<F&, const K&, const A&>>;
    return effect.fmap([key = p.first](const B& b) { return std::pair<K, B>(key, b); }, uncurryPrime(f, p));
  }
};

namespace detail {
// One element, never empty.
template <class K, class A>
struct PairFoldable : UnindexedFoldable<std::pair<K, A>> {
  static bool null(const std::pair<K, A>&) noexcept { return false; }
  static std::int64_t length(const std::pair<K, A>&) noexcept { return 1; }
};
}  // namespace detail

}  // namespace keyedwalk

namespace fp {

template <class K, class A>
struct Functor<std::pair<K, A>> : keyedwalk::detail::UnindexedFunctor<std::pair<K, A>> {};
template <class K, class A>
struct Foldable<std::pair<K, A>> : keyedwalk::detail::PairFoldable<K, A> {};
template <class K, class A>
struct Traversable<std::pair<K, A>> : keyedwalk::detail::UnindexedTraversable<std::pair<K, A>> {};

}  // namespace fp
