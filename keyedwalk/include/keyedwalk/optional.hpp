// The indexed capabilities of std::optional<A>, a container of no element or one, indexed by
// fp::Unit.
//
//   std::optional<int> some(4), none;
//   keyedwalk::imap([](fp::Unit, int x) { return x * 2.5; }, some);                 // optional(10.0)
//   keyedwalk::ifoldr([](fp::Unit, int x, int acc) { return x + acc; }, 1, none);   // 1
//   keyedwalk::itraverse(fp::OptionalEffect{}, [](fp::Unit, int x) { return std::optional(-x); },
//                        some);                             // optional(optional(-4))
//
// An empty optional never calls f: `imap` gives an empty optional, `ifoldMap` gives `mempty`,
// `itraverse` gives `pure` of an empty optional, and the folds give their start value. A full one
// makes the one call f(unit, x). The folds other than `ifoldMap` are the defaults.
#pragma once

#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

#include "fp/applicative.hpp"
#include "fp/unit.hpp"
#include "keyedwalk/capabilities.hpp"
#include "keyedwalk/detail/plain.hpp"

namespace keyedwalk {

namespace detail {
template <class A>
inline constexpr bool plainFromIndexed<std::optional<A>> = true;
}  // namespace detail

template <class A>
struct FunctorWithIndex<std::optional<A>> : FunctorWithIndexDefaults<std::optional<A>> {
  using Index = fp::Unit;

  template <class F>
  static auto imap(F&& f, const std::optional<A>& x) {
    using B = std::decay_t<std::invoke_result_t<F&, const fp::Unit&, const A&>>;
    return x ? std::optional<B>(std::invoke(f, fp::unit, *x)) : std::optional<B>();
  }
};

template <class A>
struct FoldableWithIndex<std::optional<A>> : FoldableWithIndexDefaults<std::optional<A>> {
  using Index = fp::Unit;

  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M& m, F&& f, const std::optional<A>& x) {
    return x ? typename M::Value(std::invoke(f, fp::unit, *x)) : typename M::Value(m.mempty());
  }
};

template <class A>
struct TraversableWithIndex<std::optional<A>> : TraversableWithIndexDefaults<std::optional<A>> {
  using Index = fp::Unit;

  template <fp::Applicative E, class F>
  static auto itraverse(const E& effect, F&& f, const std::optional<A>& x) {
    using B = fp::ActionValue<E, std::invoke_result_t<F&, const fp::Unit&, const A&>>;
    if (!x) return effect.pure(std::optional<B>());
    return effect.fmap([](const B& b) { return std::optional<B>(b); }, std::invoke(f, fp::unit, *x));
  }
};

}  // namespace keyedwalk
