// keyedwalk::Product: two containers side by side, walked as one container whose index tells the
// parts apart: fp::Left of the first part's index, fp::Right of the second's.
//
//   auto both = keyedwalk::Pair(std::vector<char>{'a', 'b'}, fp::List<char>{'c'});   // Product{...}
//   keyedwalk::itoList(both);                          // (Left 0,a) (Left 1,b) (Right 0,c)
//   bool early = keyedwalk::iany([](const auto&, char x) { return x == 'a'; },
//                                keyedwalk::Product{fp::List<char>{'a'}, fp::repeat('z')});
//   // true: the second part is never looked at
//
// Every element of the first part comes before every element of the second, each part in its own
// provider's order. `ifoldMap` gives fold(first) <> fold(second) with the second operand deferred,
// so a result decided by the first part never folds the second; `itraverse` runs the first part's
// effects, then the second's. `imap` maps both parts. The lazy folds are the defaults over
// `ifoldMap`; the strict ones run the parts' strict folds one after the other.
//
// keyedwalk::GProduct (generic.hpp) is the same walk under the generic representation's name.
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

template <class First, class Second>
struct Product {
  static_assert(std::same_as<ElementOf<First>, ElementOf<Second>>, "both parts hold the same element type");
  using value_type = ElementOf<First>;
  First first;
  Second second;
  friend bool operator==(const Product&, const Product&) = default;
};
template <class First, class Second>
Product(First, Second) -> Product<First, Second>;

// The product of two containers.
template <class First, class Second>
Product<First, Second> Pair(First first, Second second) {
  return {std::move(first), std::move(second)};
}

namespace detail {

// The records of a product kind K<First, Second> that holds its parts as `first` and `second`.

template <template <class, class> class K, class First, class Second>
struct ProductFunctor : FunctorWithIndexDefaults<K<First, Second>> {
  using Index = fp::Either<typename FunctorWithIndex<First>::Index, typename FunctorWithIndex<Second>::Index>;

  template <class F>
  static auto imap(F f, const K<First, Second>& p) {
    using Shared = decltype(fp::detail::share(std::move(f)));
    const Shared shared = fp::detail::share(std::move(f));
    auto first = FunctorWithIndex<First>::imap(OnSide<Index, fp::Left, Shared>{shared}, p.first);
    auto second = FunctorWithIndex<Second>::imap(OnSide<Index, fp::Right, Shared>{shared}, p.second);
    return K<decltype(first), decltype(second)>{std::move(first), std::move(second)};
  }
};

template <template <class, class> class K, class First, class Second>
struct ProductFoldable : FoldableWithIndexDefaults<K<First, Second>> {
  using Index = fp::Either<typename FoldableWithIndex<First>::Index, typename FoldableWithIndex<Second>::Index>;

  template <fp::Monoid M, class F, Forwarded<K<First, Second>> Self>
  static typename M::Value ifoldMap(const M& m, F f, Self&& p) {
    return lend(std::forward<Self>(p), std::move(f), [&m](const K<First, Second>& p, const auto& f) {
      using Shared = std::decay_t<decltype(f)>;
      return m.append(
          typename M::Value(FoldableWithIndex<First>::ifoldMap(m, OnSide<Index, fp::Left, Shared>{f}, p.first)),
          [m, f, second = &p.second] {
            return FoldableWithIndex<Second>::ifoldMap(m, OnSide<Index, fp::Right, Shared>{f}, *second);
          });
    });
  }

  // The strict folds run the parts' own, one after the other.
  template <class F, class Z>
  static Z ifoldlPrime(F&& f, Z z, const K<First, Second>& p) {
    using Ref = std::reference_wrapper<std::remove_reference_t<F>>;
    Z half = FoldableWithIndex<First>::ifoldlPrime(OnSide<Index, fp::Left, Ref>{std::ref(f)}, std::move(z), p.first);
    return FoldableWithIndex<Second>::ifoldlPrime(OnSide<Index, fp::Right, Ref>{std::ref(f)}, std::move(half), p.second);
  }
  template <class F, class Z>
  static Z ifoldrPrime(F&& f, Z z, const K<First, Second>& p) {
    using Ref = std::reference_wrapper<std::remove_reference_t<F>>;
    Z half = FoldableWithIndex<Second>::ifoldrPrime(OnSide<Index, fp::Right, Ref>{std::ref(f)}, std::move(z), p.second);
    return FoldableWithIndex<First>::ifoldrPrime(OnSide<Index, fp::Left, Ref>{std::ref(f)}, std::move(half), p.first);
  }
};

template <template <class, class> class K, class First, class Second>
struct ProductTraversable : TraversableWithIndexDefaults<K<First, Second>> {
  using Index =
      fp::Either<typename TraversableWithIndex<First>::Index, typename TraversableWithIndex<Second>::Index>;

  template <fp::Applicative E, class F, Forwarded<K<First, Second>> Self>
  static auto itraverse(const E& effect, F f, Self&& p) {
    return lend(std::forward<Self>(p), std::move(f), [&effect](const K<First, Second>& p, const auto& f) {
      using OnFirst = OnSide<Index, fp::Left, std::decay_t<decltype(f)>>;
      using OnSecond = OnSide<Index, fp::Right, std::decay_t<decltype(f)>>;
      auto firstAction = TraversableWithIndex<First>::itraverse(effect, OnFirst{f}, p.first);
      using NewFirst = fp::ActionValue<E, decltype(firstAction)>;
      using NewSecond = fp::ActionValue<E, decltype(TraversableWithIndex<Second>::itraverse(
                                               effect, std::declval<OnSecond>(), p.second))>;
      return effect.liftA2(
          [](const NewFirst& x, const auto& y) {
            return K<NewFirst, NewSecond>{x, static_cast<const NewSecond&>(y)};
          },
          firstAction,
          [effect, f, second = &p.second] {
            return TraversableWithIndex<Second>::itraverse(effect, OnSecond{f}, *second);
          });
    });
  }
};

template <class First, class Second>
inline constexpr bool plainFromIndexed<Product<First, Second>> = true;

}  // namespace detail

template <class First, class Second>
struct FunctorWithIndex<Product<First, Second>> : detail::ProductFunctor<Product, First, Second> {};
template <class First, class Second>
struct FoldableWithIndex<Product<First, Second>> : detail::ProductFoldable<Product, First, Second> {};
template <class First, class Second>
struct TraversableWithIndex<Product<First, Second>> : detail::ProductTraversable<Product, First, Second> {};

}  // namespace keyedwalk
