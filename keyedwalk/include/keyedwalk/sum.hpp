// keyedwalk::Sum: one container of either of two kinds, walked with its index on the side it came
// from: fp::Left of the first kind's index under InL, fp::Right of the second's under InR.
//
//   using Letters = keyedwalk::Sum<std::vector<char>, fp::List<char>>;
//   Letters held = keyedwalk::InR{fp::List<char>{'x'}};
//   keyedwalk::itoList(held);                                        // (Right 0,x)
//   Letters upper = keyedwalk::imap([](const auto&, char x) { return char(x - 32); }, held);
//   // still the InR alternative: InR{List{'X'}}
//
// Each operation finds out which alternative is held and works on that one only, with its own
// provider; `imap` and `itraverse` keep the alternative. The lazy folds other than `ifoldMap` are
// the defaults over it; the strict ones are the alternative's own.
//
// keyedwalk::GSum (generic.hpp), made with L1 and R1, is the same walk under the generic
// representation's name.
#pragma once

#include <concepts>
#include <functional>
#include <type_traits>
#include <utility>

#include "fp/applicative.hpp"
#include "fp/either.hpp"
#include "fp/monoid.hpp"
#include "keyedwalk/capabilities.hpp"
#include "keyedwalk/detail/parts.hpp"
#include "keyedwalk/detail/plain.hpp"

namespace keyedwalk {

// The first and the second alternative of a Sum, before the other kind is known.
template <class First>
struct InL {
  First value;
};
template <class First>
InL(First) -> InL<First>;
template <class Second>
struct InR {
  Second value;
};
template <class Second>
InR(Second) -> InR<Second>;

template <class First, class Second>
struct Sum {
  static_assert(std::same_as<ElementOf<First>, ElementOf<Second>>, "both alternatives hold the same element type");
  using value_type = ElementOf<First>;

  template <class U>
    requires std::constructible_from<First, U>
  Sum(InL<U> first) : alternative(fp::Left<First>{First(std::move(first.value))}) {}
  template <class U>
    requires std::constructible_from<Second, U>
  Sum(InR<U> second) : alternative(fp::Right<Second>{Second(std::move(second.value))}) {}
  // The alternative as an fp::Either, or as its Left or Right side.
  template <class Held>
    requires std::constructible_from<fp::Either<First, Second>, Held>
  explicit Sum(Held held) : alternative(std::move(held)) {}

  // Left under InL, Right under InR.
  fp::Either<First, Second> alternative;
  friend bool operator==(const Sum&, const Sum&) = default;
};

namespace detail {

// The records of a sum kind K<First, Second> that holds an fp::Either as `alternative` and is
// made from either side of one.

template <template <class, class> class K, class First, class Second>
struct SumFunctor : FunctorWithIndexDefaults<K<First, Second>> {
  using Index = fp::Either<typename FunctorWithIndex<First>::Index, typename FunctorWithIndex<Second>::Index>;

  template <class F>
  static auto imap(F f, const K<First, Second>& s) {
    using Shared = decltype(fp::detail::share(std::move(f)));
    using OnFirst = OnSide<Index, fp::Left, Shared>;
    using OnSecond = OnSide<Index, fp::Right, Shared>;
    using NewFirst = decltype(FunctorWithIndex<First>::imap(std::declval<OnFirst>(), std::declval<const First&>()));
    using NewSecond =
        decltype(FunctorWithIndex<Second>::imap(std::declval<OnSecond>(), std::declval<const Second&>()));
    using Out = K<NewFirst, NewSecond>;
    const Shared shared = fp::detail::share(std::move(f));
    return s.alternative.either(
        [&](const First& x) { return Out(fp::Left<NewFirst>{FunctorWithIndex<First>::imap(OnFirst{shared}, x)}); },
        [&](const Second& y) {
          return Out(fp::Right<NewSecond>{FunctorWithIndex<Second>::imap(OnSecond{shared}, y)});
        });
  }
};

template <template <class, class> class K, class First, class Second>
struct SumFoldable : FoldableWithIndexDefaults<K<First, Second>> {
  using Index = fp::Either<typename FoldableWithIndex<First>::Index, typename FoldableWithIndex<Second>::Index>;

  template <fp::Monoid M, class F, Forwarded<K<First, Second>> Self>
  static typename M::Value ifoldMap(const M& m, F f, Self&& s) {
    return lend(std::forward<Self>(s), std::move(f), [&m](const K<First, Second>& s, const auto& f) {
      using Shared = std::decay_t<decltype(f)>;
      return s.alternative.either(
          [&](const First& x) -> typename M::Value {
            return FoldableWithIndex<First>::ifoldMap(m, OnSide<Index, fp::Left, Shared>{f}, x);
          },
          [&](const Second& y) -> typename M::Value {
            return FoldableWithIndex<Second>::ifoldMap(m, OnSide<Index, fp::Right, Shared>{f}, y);
          });
    });
  }

  // The strict folds are the held alternative's own.
  template <class F, class Z>
  static Z ifoldlPrime(F&& f, Z z, const K<First, Second>& s) {
    using Ref = std::reference_wrapper<std::remove_reference_t<F>>;
    return s.alternative.either(
        [&](const First& x) {
          return Z(FoldableWithIndex<First>::ifoldlPrime(OnSide<Index, fp::Left, Ref>{std::ref(f)}, std::move(z), x));
        },
        [&](const Second& y) {
          return Z(FoldableWithIndex<Second>::ifoldlPrime(OnSide<Index, fp::Right, Ref>{std::ref(f)}, std::move(z), y));
        });
  }
  template <class F, class Z>
  static Z ifoldrPrime(F&& f, Z z, const K<First, Second>& s) {
    using Ref = std::reference_wrapper<std::remove_reference_t<F>>;
    return s.alternative.either(
        [&](const First& x) {
          return Z(FoldableWithIndex<First>::ifoldrPrime(OnSide<Index, fp::Left, Ref>{std::ref(f)}, std::move(z), x));
        },
        [&](const Second& y) {
          return Z(FoldableWithIndex<Second>::ifoldrPrime(OnSide<Index, fp::Right, Ref>{std::ref(f)}, std::move(z), y));
        });
  }
};

template <template <class, class> class K, class First, class Second>
struct SumTraversable : TraversableWithIndexDefaults<K<First, Second>> {
  using Index =
      fp::Either<typename TraversableWithIndex<First>::Index, typename TraversableWithIndex<Second>::Index>;

  template <fp::Applicative E, class F, Forwarded<K<First, Second>> Self>
  static auto itraverse(const E& effect, F f, Self&& s) {
    return lend(std::forward<Self>(s), std::move(f), [&effect](const K<First, Second>& s, const auto& f) {
      using OnFirst = OnSide<Index, fp::Left, std::decay_t<decltype(f)>>;
      using OnSecond = OnSide<Index, fp::Right, std::decay_t<decltype(f)>>;
      using NewFirst = fp::ActionValue<E, decltype(TraversableWithIndex<First>::itraverse(
                                              effect, std::declval<OnFirst>(), std::declval<const First&>()))>;
      using NewSecond = fp::ActionValue<E, decltype(TraversableWithIndex<Second>::itraverse(
                                               effect, std::declval<OnSecond>(), std::declval<const Second&>()))>;
      using Out = K<NewFirst, NewSecond>;
      return s.alternative.either(
          [&](const First& x) {
            return effect.fmap([](const NewFirst& y) { return Out(fp::Left<NewFirst>{y}); },
                               TraversableWithIndex<First>::itraverse(effect, OnFirst{f}, x));
          },
          [&](const Second& y) {
            return effect.fmap([](const NewSecond& z) { return Out(fp::Right<NewSecond>{z}); },
                               TraversableWithIndex<Second>::itraverse(effect, OnSecond{f}, y));
          });
    });
  }
};

template <class First, class Second>
inline constexpr bool plainFromIndexed<Sum<First, Second>> = true;

}  // namespace detail

template <class First, class Second>
struct FunctorWithIndex<Sum<First, Second>> : detail::SumFunctor<Sum, First, Second> {};
template <class First, class Second>
struct FoldableWithIndex<Sum<First, Second>> : detail::SumFoldable<Sum, First, Second> {};
template <class First, class Second>
struct TraversableWithIndex<Sum<First, Second>> : detail::SumTraversable<Sum, First, Second> {};

}  // namespace keyedwalk
