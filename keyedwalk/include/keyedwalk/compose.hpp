// keyedwalk::Compose: containers inside a container, walked as one container whose index is the
// pair (outer index, inner index).
//
//   keyedwalk::Compose grid{std::vector<std::vector<char>>{{'a', 'b'}, {'c'}}};
//   keyedwalk::itoList(grid);                          // ((0,0),a) ((0,1),b) ((1,0),c)
//   auto diagonal = keyedwalk::imap(
//       [](std::pair<std::int64_t, std::int64_t> at, char x) { return at.first == at.second ? x : '.'; },
//       grid);                                         // Compose{{{'a', '.'}, {'.'}}}
//
// The outer kind's provider visits the inner containers in its order and hands each one to the
// inner kind's provider, which visits its elements in its own order: all elements of one inner
// container come before those of the next. The pair is built for each element from the indices
// the two providers hand over; nothing is counted here. `imap`, `ifoldMap` and `itraverse` are the
// two providers' own, one inside the other, and so are the strict folds; the lazy folds are the
// defaults over `ifoldMap`, so they too visit the elements in that order.
//
// The element type is the inner kind's: a Compose of a std::vector of std::maps walks the maps'
// values, indexed by (position, key). keyedwalk::GCompose (generic.hpp) is the same walk under the
// generic representation's name.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

#include "fp/applicative.hpp"
#include "fp/monoid.hpp"
#include "keyedwalk/capabilities.hpp"
#include "keyedwalk/detail/parts.hpp"
#include "keyedwalk/detail/plain.hpp"

namespace keyedwalk {

template <class Outer>
struct Compose {
  using value_type = ElementOf<ElementOf<Outer>>;
  Outer value;
  friend bool operator==(const Compose&, const Compose&) = default;
};
template <class Outer>
Compose(Outer) -> Compose<Outer>;

namespace detail {

// The records of a composition kind K<Outer> that holds its outer container as `value`.

template <template <class> class K, class Outer>
struct ComposedFunctor : FunctorWithIndexDefaults<K<Outer>> {
  using OuterRecord = FunctorWithIndex<Outer>;
  using InnerRecord = FunctorWithIndex<ElementOf<Outer>>;
  using Index = std::pair<typename OuterRecord::Index, typename InnerRecord::Index>;

  template <class F>
  static auto imap(F f, const K<Outer>& c) {
    auto mapped = OuterRecord::imap(
        [f = fp::detail::share(std::move(f))](const auto& i, const auto& inner) {
          return InnerRecord::imap([f, i](const auto& j, const auto& x) { return f(Index(i, j), x); }, inner);
        },
        c.value);
    return K<decltype(mapped)>{std::move(mapped)};
  }
};

template <template <class> class K, class Outer>
struct ComposedFoldable : FoldableWithIndexDefaults<K<Outer>> {
  using OuterRecord = FoldableWithIndex<Outer>;
  using InnerRecord = FoldableWithIndex<ElementOf<Outer>>;
  using Index = std::pair<typename OuterRecord::Index, typename InnerRecord::Index>;

  template <fp::Monoid M, class F, Forwarded<K<Outer>> Self>
  static typename M::Value ifoldMap(const M& m, F f, Self&& c) {
    return lend(std::forward<Self>(c), std::move(f), [&m](const K<Outer>& c, const auto& f) {
      return OuterRecord::ifoldMap(
          m,
          [m, f](const auto& i, const auto& inner) {
            return InnerRecord::ifoldMap(m, [f, i](const auto& j, const auto& x) { return f(Index(i, j), x); },
                                         inner);
          },
          c.value);
    });
  }

  // The strict folds nest the parts' own: the inner fold of each inner container in turn, the
  // accumulator handed from one to the next.
  template <class F, class Z>
  static Z ifoldlPrime(F&& f, Z z, const K<Outer>& c) {
    return OuterRecord::ifoldlPrime(
        [&f](const auto& i, Z acc, const auto& inner) {
          return InnerRecord::ifoldlPrime(
              [&f, &i](const auto& j, Z acc, const auto& x) { return Z(std::invoke(f, Index(i, j), std::move(acc), x)); },
              std::move(acc), inner);
        },
        std::move(z), c.value);
  }
  template <class F, class Z>
  static Z ifoldrPrime(F&& f, Z z, const K<Outer>& c) {
    return OuterRecord::ifoldrPrime(
        [&f](const auto& i, const auto& inner, Z acc) {
          return InnerRecord::ifoldrPrime(
              [&f, &i](const auto& j, const auto& x, Z acc) { return Z(std::invoke(f, Index(i, j), x, std::move(acc))); },
              std::move(acc), inner);
        },
        std::move(z), c.value);
  }
};

template <template <class> class K, class Outer>
struct ComposedTraversable : TraversableWithIndexDefaults<K<Outer>> {
  using OuterRecord = TraversableWithIndex<Outer>;
  using InnerRecord = TraversableWithIndex<ElementOf<Outer>>;
  using Index = std::pair<typename OuterRecord::Index, typename InnerRecord::Index>;

  template <fp::Applicative E, class F, Forwarded<K<Outer>> Self>
  static auto itraverse(const E& effect, F f, Self&& c) {
    return lend(std::forward<Self>(c), std::move(f), [&effect](const K<Outer>& c, const auto& f) {
      return effect.fmap(
          [](const auto& outer) { return K<std::decay_t<decltype(outer)>>{outer}; },
          OuterRecord::itraverse(
              effect,
              [effect, f](const auto& i, const auto& inner) {
                return InnerRecord::itraverse(
                    effect, [f, i](const auto& j, const auto& x) { return f(Index(i, j), x); }, inner);
              },
              c.value));
    });
  }
};

template <class Outer>
inline constexpr bool plainFromIndexed<Compose<Outer>> = true;

}  // namespace detail

template <class Outer>
struct FunctorWithIndex<Compose<Outer>> : detail::ComposedFunctor<Compose, Outer> {};
template <class Outer>
struct FoldableWithIndex<Compose<Outer>> : detail::ComposedFoldable<Compose, Outer> {};
template <class Outer>
struct TraversableWithIndex<Compose<Outer>> : detail::ComposedTraversable<Compose, Outer> {};

}  // namespace keyedwalk
