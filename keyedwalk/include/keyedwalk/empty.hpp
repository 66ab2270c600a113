// The indexed capabilities of kinds that hold no element: keyedwalk::Proxy<A>, which holds
// nothing, and fp::Const<V, A> and keyedwalk::Constant<V, A>, which hold a V beside no A. Their
// index type is fp::Void, a type without values, so the callback is never called.
//
//   fp::Const<std::string, int> label{"fixed"};
//   auto same = keyedwalk::imap([](const auto&, int x) { return x * 2; }, label);   // Const{"fixed"}
//   keyedwalk::ifoldr([](const auto&, int, int acc) { return acc + 1; }, 0, label);  // 0
//   keyedwalk::itraverse(fp::OptionalEffect{}, [](const auto&, int x) { return std::optional(x); },
//                        keyedwalk::Proxy<int>{});                                   // optional(Proxy)
//
// `imap` gives the container back unchanged, as a container of f's result type; `ifoldMap` gives
// `mempty` and every other fold its start value; `itraverse` gives `pure` of the container. Since
// f is never called it must still be callable with an fp::Void index: a callback taking its index
// as `const auto&` is. keyedwalk::K1 and keyedwalk::U1 (generic.hpp) are the same kinds under
// the generic representation's names.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

#include "fp/applicative.hpp"
#include "fp/effects.hpp"
#include "fp/unit.hpp"
#include "keyedwalk/capabilities.hpp"
#include "keyedwalk/detail/plain.hpp"

namespace keyedwalk {

template <class A>
struct Proxy {
  using value_type = A;
  friend bool operator==(Proxy, Proxy) = default;
};

template <class V, class A>
struct Constant {
  using value_type = A;
  V value;
  friend bool operator==(const Constant&, const Constant&) = default;
};

namespace detail {

// How an element-free kind is rebuilt as a container of B: Elementless<C>::retag<B>(c).
template <class C>
struct Elementless;

template <class A>
struct Elementless<Proxy<A>> {
  template <class B>
  static Proxy<B> retag(const Proxy<A>&) {
    return {};
  }
};
template <class V, class A>
struct Elementless<fp::Const<V, A>> {
  template <class B>
  static fp::Const<V, B> retag(const fp::Const<V, A>& c) {
    return {c.value};
  }
};
template <class V, class A>
struct Elementless<Constant<V, A>> {
  template <class B>
  static Constant<V, B> retag(const Constant<V, A>& c) {
    return {c.value};
  }
};

}  // namespace detail

template <class C>
concept ElementFree = requires { sizeof(detail::Elementless<C>); };

namespace detail {
template <ElementFree C>
inline constexpr bool plainFromIndexed<C> = true;
}  // namespace detail

template <ElementFree C>
struct FunctorWithIndex<C> : FunctorWithIndexDefaults<C> {
  using Index = fp::Void;

  template <class F>
  static auto imap(F&&, const C& c) {
    using B = std::decay_t<std::invoke_result_t<F&, const fp::Void&, const ElementOf<C>&>>;
    return detail::Elementless<C>::template retag<B>(c);
  }
};

template <ElementFree C>
struct FoldableWithIndex<C> : FoldableWithIndexDefaults<C> {
  using Index = fp::Void;

  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M& m, F&&, const C&) {
    return m.mempty();
  }
};

template <ElementFree C>
struct TraversableWithIndex<C> : TraversableWithIndexDefaults<C> {
  using Index = fp::Void;

  template <fp::Applicative E, class F>
  static auto itraverse(const E& effect, F&&, const C& c) {
    using B = fp::ActionValue<E, std::invoke_result_t<F&, const fp::Void&, const ElementOf<C>&>>;
    return effect.pure(detail::Elementless<C>::template retag<B>(c));
  }
};

}  // namespace keyedwalk
