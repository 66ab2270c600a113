// The generic representation's types, each walked exactly as its general twin:
//
//   GCompose<Outer>             as Compose: index (outer index, inner index)
//   GProduct<First, Second>     as Product: index fp::Left / fp::Right of the parts' indices
//   GSum<First, Second>         as Sum, made with L1 and R1 in place of InL and InR
//   Par1<A>                     as fp::Identity: one element, index fp::Unit
//   Rec1<C>                     as IdentityT: C's indices and order, passed through
//   K1<V, A>, U1<A>             as fp::Const and Proxy: no element, index fp::Void
//   V1<A>                       no values at all: its operations exist but can never be called
//
//   keyedwalk::GProduct both{keyedwalk::Par1<char>{'a'}, keyedwalk::Rec1{fp::List<char>{'b'}}};
//   keyedwalk::itoList(both);                          // (Left (),a) (Right 0,b)
//
// Each twin has its own type, so generic code can tell them apart, and shares its twin's
// providers.
#pragma once

#include <concepts>
#include <type_traits>
#include <utility>

#include "fp/either.hpp"
#include "fp/unit.hpp"
#include "keyedwalk/capabilities.hpp"
#include "keyedwalk/compose.hpp"
#include "keyedwalk/detail/plain.hpp"
#include "keyedwalk/empty.hpp"
#include "keyedwalk/identity.hpp"
#include "keyedwalk/product.hpp"
#include "keyedwalk/sum.hpp"
#include "keyedwalk/wrappers.hpp"

namespace keyedwalk {

template <class Outer>
struct GCompose {
  using value_type = ElementOf<ElementOf<Outer>>;
  Outer value;
  friend bool operator==(const GCompose&, const GCompose&) = default;
};
template <class Outer>
GCompose(Outer) -> GCompose<Outer>;

template <class First, class Second>
struct GProduct {
  static_assert(std::same_as<ElementOf<First>, ElementOf<Second>>, "both parts hold the same element type");
  using value_type = ElementOf<First>;
  First first;
  Second second;
  friend bool operator==(const GProduct&, const GProduct&) = default;
};
template <class First, class Second>
GProduct(First, Second) -> GProduct<First, Second>;

template <class First>
struct L1 {
  First value;
};
template <class First>
L1(First) -> L1<First>;
template <class Second>
struct R1 {
  Second value;
};
template <class Second>
R1(Second) -> R1<Second>;

template <class First, class Second>
struct GSum {
  static_assert(std::same_as<ElementOf<First>, ElementOf<Second>>, "both alternatives hold the same element type");
  using value_type = ElementOf<First>;

  template <class U>
    requires std::constructible_from<First, U>
  GSum(L1<U> first) : alternative(fp::Left<First>{First(std::move(first.value))}) {}
  template <class U>
    requires std::constructible_from<Second, U>
  GSum(R1<U> second) : alternative(fp::Right<Second>{Second(std::move(second.value))}) {}
  // The alternative as an fp::Either, or as its Left or Right side.
  template <class Held>
    requires std::constructible_from<fp::Either<First, Second>, Held>
  explicit GSum(Held held) : alternative(std::move(held)) {}

  // Left under L1, Right under R1.
  fp::Either<First, Second> alternative;
  friend bool operator==(const GSum&, const GSum&) = default;
};

template <class A>
struct Par1 {
  using value_type = A;
  A value;
  friend bool operator==(const Par1&, const Par1&) = default;
};
template <class A>
Par1(A) -> Par1<A>;

template <class C>
struct Rec1 {
  using value_type = ElementOf<C>;
  C value;
  friend bool operator==(const Rec1&, const Rec1&) = default;
};
template <class C>
Rec1(C) -> Rec1<C>;

template <class V, class A>
struct K1 {
  using value_type = A;
  V value;
  friend bool operator==(const K1&, const K1&) = default;
};

template <class A>
struct U1 {
  using value_type = A;
  friend bool operator==(U1, U1) = default;
};

// No value of V1 can be made: it would need an fp::Void.
template <class A>
struct V1 {
  using value_type = A;
  fp::Void never;
};

namespace detail {

template <class V, class A>
struct Elementless<K1<V, A>> {
  template <class B>
  static K1<V, B> retag(const K1<V, A>& c) {
    return {c.value};
  }
};
template <class A>
struct Elementless<U1<A>> {
  template <class B>
  static U1<B> retag(const U1<A>&) {
    return {};
  }
};

template <class Outer>
inline constexpr bool plainFromIndexed<GCompose<Outer>> = true;
template <class First, class Second>
inline constexpr bool plainFromIndexed<GProduct<First, Second>> = true;
template <class First, class Second>
inline constexpr bool plainFromIndexed<GSum<First, Second>> = true;
template <class A>
inline constexpr bool plainFromIndexed<Par1<A>> = true;
template <class C>
inline constexpr bool plainFromIndexed<Rec1<C>> = true;
template <class A>
inline constexpr bool plainFromIndexed<V1<A>> = true;

}  // namespace detail

template <class Outer>
struct FunctorWithIndex<GCompose<Outer>> : detail::ComposedFunctor<GCompose, Outer> {};
template <class Outer>
struct FoldableWithIndex<GCompose<Outer>> : detail::ComposedFoldable<GCompose, Outer> {};
template <class Outer>
struct TraversableWithIndex<GCompose<Outer>> : detail::ComposedTraversable<GCompose, Outer> {};

template <class First, class Second>
struct FunctorWithIndex<GProduct<First, Second>> : detail::ProductFunctor<GProduct, First, Second> {};
template <class First, class Second>
struct FoldableWithIndex<GProduct<First, Second>> : detail::ProductFoldable<GProduct, First, Second> {};
template <class First, class Second>
struct TraversableWithIndex<GProduct<First, Second>> : detail::ProductTraversable<GProduct, First, Second> {};

template <class First, class Second>
struct FunctorWithIndex<GSum<First, Second>> : detail::SumFunctor<GSum, First, Second> {};
template <class First, class Second>
struct FoldableWithIndex<GSum<First, Second>> : detail::SumFoldable<GSum, First, Second> {};
template <class First, class Second>
struct TraversableWithIndex<GSum<First, Second>> : detail::SumTraversable<GSum, First, Second> {};

template <class A>
struct FunctorWithIndex<Par1<A>> : detail::OneElementFunctor<Par1, A> {};
template <class A>
struct FoldableWithIndex<Par1<A>> : detail::OneElementFoldable<Par1, A> {};
template <class A>
struct TraversableWithIndex<Par1<A>> : detail::OneElementTraversable<Par1, A> {};

template <class C>
struct FunctorWithIndex<Rec1<C>> : detail::PassThroughFunctor<Rec1, C> {};
template <class C>
struct FoldableWithIndex<Rec1<C>> : detail::PassThroughFoldable<Rec1, C> {};
template <class C>
struct TraversableWithIndex<Rec1<C>> : detail::PassThroughTraversable<Rec1, C> {};

// V1's operations look at their container, which cannot exist, and so never return.

template <class A>
struct FunctorWithIndex<V1<A>> : FunctorWithIndexDefaults<V1<A>> {
  using Index = fp::Void;

  template <class F>
  static auto imap(F&&, const V1<A>& v) {
    using B = std::decay_t<std::invoke_result_t<F&, const fp::Void&, const A&>>;
    return fp::absurd<V1<B>>(v.never);
  }
};

template <class A>
struct FoldableWithIndex<V1<A>> : FoldableWithIndexDefaults<V1<A>> {
  using Index = fp::Void;

  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M&, F&&, const V1<A>& v) {
    return fp::absurd<typename M::Value>(v.never);
  }
};

template <class A>
struct TraversableWithIndex<V1<A>> : TraversableWithIndexDefaults<V1<A>> {
  using Index = fp::Void;

  template <fp::Applicative E, class F>
  static auto itraverse(const E&, F&&, const V1<A>& v) {
    using B = fp::ActionValue<E, std::invoke_result_t<F&, const fp::Void&, const A&>>;
    return fp::absurd<typename E::template Action<V1<B>>>(v.never);
  }
};

}  // namespace keyedwalk
