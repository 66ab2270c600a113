// The indexed capabilities: map, fold and traverse a container while the callback also receives
// each element's index.
//
//   std::vector<std::string> names{"ada", "bob", "cy"};
//   auto tagged = keyedwalk::imap(
//       [](std::int64_t i, const std::string& s) { return std::to_string(i) + s; }, names);
//   // {"0ada", "1bob", "2cy"}
//   std::int64_t firstShort = keyedwalk::ifoldr(
//       [](std::int64_t i, const std::string& s, auto rest) { return s.size() < 3 ? i : rest(); },
//       std::int64_t{-1}, names);                                            // 2
//
// A capability of a container kind is a class template specialised on the concrete container
// type: `FunctorWithIndex<C>`, `FoldableWithIndex<C>` and `TraversableWithIndex<C>`. A record
// names its base records first (`Functor`; `Foldable`; `FunctorWithIndex`, `FoldableWithIndex`
// and `Traversable`), then its `Index` type, then gives its operations as static member
// functions:
//
//   FunctorWithIndex      imap(f, c)                     f(i, x) -> new element
//   FoldableWithIndex     ifoldMap(m, f, c)              f(i, x) -> m's value, right operands deferred
//                         ifoldMapPrime(m, f, c)         the same, accumulated from the front
//                         ifoldr(f, z, c)                f(i, x, Deferred<Z> rest)
//                         ifoldl(f, z, c)                f(i, Deferred<Z> acc, x)
//                         ifoldrPrime(f, z, c)           f(i, x, Z), from the back, strictly
//                         ifoldlPrime(f, z, c)           f(i, Z, x), from the front, strictly
//   TraversableWithIndex  itraverse(e, f, c)             f(i, x) -> an action of the effect e
//
// A provider that inherits `FunctorWithIndexDefaults<C>`, `FoldableWithIndexDefaults<C>` and
// `TraversableWithIndexDefaults<C>` and writes a single operation gets all the others: `ifoldMap`
// alone, or `itraverse` alone, or nothing at all for a kind with an `std::int64_t` position
// index and a plain `fp::Traversable` (the elements are then counted as the plain traversal
// visits them). What a provider defines hides the default.
//
// The free functions of the same names dispatch on the container's type; they are what users
// call. A lazy result (the deferred accumulators, an `fp::List` built by `ifoldr`) may outlive
// the call: it owns the lists it reads and an rvalue container handed over, and borrows an lvalue
// container of a kind that is not persistent, as a view does.
#pragma once

#include <concepts>
#include <cstdint>
#include <functional>
#include <type_traits>
#include <utility>
#include <vector>

#include "fp/consume.hpp"
#include "fp/deferred.hpp"
#include "fp/detail/boxed.hpp"
#include "fp/effects.hpp"
#include "fp/foldable.hpp"
#include "fp/functor.hpp"
#include "fp/list.hpp"
#include "fp/monoid.hpp"
#include "fp/traversable.hpp"
#include "fp/unit.hpp"
#include "keyedwalk/indexing.hpp"

namespace keyedwalk {

template <class C>
struct FunctorWithIndex;
template <class C>
struct FoldableWithIndex;
template <class C>
struct TraversableWithIndex;

// The element type of a container kind: what its callbacks receive next to the index. A kind
// whose `value_type` is something else (a map's entries) specialises `Element`.
template <class C>
struct Element {
  using type = typename C::value_type;
};
template <class C>
using ElementOf = typename Element<std::remove_cvref_t<C>>::type;

template <class C>
concept IndexedFunctor = requires { typename FunctorWithIndex<std::remove_cvref_t<C>>::Index; };
template <class C>
concept IndexedFoldable = requires { typename FoldableWithIndex<std::remove_cvref_t<C>>::Index; };
template <class C>
concept IndexedTraversable =
    requires { typename TraversableWithIndex<std::remove_cvref_t<C>>::Index; };

template <IndexedFoldable C>
using IndexOf = typename FoldableWithIndex<std::remove_cvref_t<C>>::Index;

// Returns unit without looking at its argument.
template <class T>
constexpr fp::Unit skip(const T&) noexcept {
  return fp::unit;
}

// f(first, second) of a pair, which is computed first when it is handed over deferred.
template <class F, class P>
decltype(auto) uncurryPrime(F&& f, const P& pair) {
  if constexpr (fp::isDeferred<P>)
    return uncurryPrime(std::forward<F>(f), pair.get());
  else
    return std::invoke(std::forward<F>(f), pair.first, pair.second);
}

// imap through itraverse with the effect that does nothing.
template <class F, IndexedTraversable C>
auto imapDefault(F f, const C& c) {
  return TraversableWithIndex<C>::itraverse(
             fp::IdentityEffect{},
             [f = std::move(f)](const auto& i, const auto& x) {
               using B = std::decay_t<std::invoke_result_t<const F&, decltype(i), decltype(x)>>;
               return fp::Identity<B>{std::invoke(f, i, x)};
             },
             c)
      .value;
}

// ifoldMap through itraverse with the effect that only carries a value of the monoid m.
template <fp::Monoid M, class F, IndexedTraversable C>
typename M::Value ifoldMapDefault(const M& m, F f, const C& c) {
  using V = typename M::Value;
  return TraversableWithIndex<C>::itraverse(
             fp::ConstEffect<M>(m),
             [f = std::move(f)](const auto& i, const auto& x) {
               return fp::Const<V, fp::Unit>{V(std::invoke(f, i, x))};
             },
             c)
      .value;
}

namespace detail {

// A value handed to a monoid as its right operand, already computed.
template <class V>
auto given(V v) {
  return [v = std::move(v)] { return v; };
}

// The (index, element) pairs of a container, front to back, read one by one through its
// `ifoldr`: the strict defaults below walk this list in a loop, so that each step is computed
// before the next one is looked at and no step nests inside another.
template <class Self, class C>
auto entries(const C& c) {
  using Entry = std::pair<typename Self::Index, ElementOf<C>>;
  return Self::ifoldr(
      [](const auto& i, const auto& x, fp::Deferred<fp::List<Entry>> rest) {
        return fp::List<Entry>::cons(Entry(i, x), std::move(rest));
      },
      fp::List<Entry>(), c);
}

}  // namespace detail

template <class C, class Self = FunctorWithIndex<C>>
struct FunctorWithIndexDefaults {
  using Functor = fp::Functor<C>;

  template <class F>
  static auto imap(F&& f, const C& c) {
    return imapDefault(std::forward<F>(f), c);
  }
};

template <class C, class Self = FoldableWithIndex<C>>
struct FoldableWithIndexDefaults {
  using Foldable = fp::Foldable<C>;

  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M& m, F&& f, const C& c) {
    return ifoldMapDefault(m, std::forward<F>(f), c);
  }

  // mempty <> f(i0, x0) <> f(i1, x1) <> ..., grouped to the left, through ifoldlPrime.
  template <fp::Monoid M, class F>
  static typename M::Value ifoldMapPrime(const M& m, F&& f, const C& c) {
    using V = typename M::Value;
    return Self::ifoldlPrime(
        [&](const auto& i, V acc, const auto& x) {
          return V(m.append(std::move(acc), detail::given(V(std::invoke(f, i, x)))));
        },
        V(m.mempty()), c);
  }

  // Through ifoldMap with the monoid of functions under composition: each element contributes
  // x ↦ f(i, a, x), and x, the fold of the elements to its right, is computed when f uses it.
  // The result may read the container later, so an rvalue one is handed on as an rvalue: a kind
  // whose ifoldMap keeps such a container alive for its lazy result does so here too.
  template <class F, class Z, class Container>
    requires std::same_as<std::remove_cvref_t<Container>, C>
  static Z ifoldr(F f, Z z, Container&& c) {
    using Endo = fp::EndoMonoid<Z>;
    auto step = fp::detail::share(std::move(f));
    const auto combined = Self::ifoldMap(
        Endo{},
        [step](const auto& i, const auto& x) -> typename Endo::Value {
          return [step, i, x = std::decay_t<decltype(x)>(x)](fp::Deferred<Z> rest) {
            return Z(step(i, x, rest));
          };
        },
        std::forward<Container>(c));
    return Endo::apply(combined, std::move(z));
  }

  // f(in, f(..., f(i0, z, x0) ...), xn): each accumulator waits, unforced, until the step after
  // it uses it, and the outermost call is the one for the last element.
  template <class F, class Z>
  static Z ifoldl(F f, Z z, const C& c) {
    auto step = fp::detail::share(std::move(f));
    fp::Deferred<Z> acc(std::move(z));
    for (const auto& entry : fp::consume(detail::entries<Self>(c)))
      acc = fp::Deferred<Z>([step, prev = std::move(acc), entry] { return Z(step(entry.first, prev, entry.second)); });
    return acc.get();
  }

  // Gathers one pending step per element, then runs them from the last to the first.
  template <class F, class Z>
  static Z ifoldrPrime(F&& f, Z z, const C& c) {
    std::vector<typename decltype(detail::entries<Self>(c))::value_type> all;
    for (const auto& entry : fp::consume(detail::entries<Self>(c))) all.push_back(entry);
    for (auto it = all.rbegin(); it != all.rend(); ++it)
      z = Z(std::invoke(f, it->first, it->second, std::move(z)));
    return z;
  }

  // Each accumulator is computed before the next element is looked at.
  template <class F, class Z>
  static Z ifoldlPrime(F&& f, Z z, const C& c) {
    for (const auto& [i, x] : fp::consume(detail::entries<Self>(c)))
      z = Z(std::invoke(f, i, std::move(z), x));
    return z;
  }
};

template <class C, class Self = TraversableWithIndex<C>>
struct TraversableWithIndexDefaults {
  using FunctorWithIndex = keyedwalk::FunctorWithIndex<C>;
  using FoldableWithIndex = keyedwalk::FoldableWithIndex<C>;
  using Traversable = fp::Traversable<C>;

  // Positions counted as the kind's plain traversal visits the elements (see Indexing).
  template <fp::Applicative E, class F>
  static auto itraverse(const E& effect, F&& f, const C& c) {
    static_assert(std::same_as<typename Self::Index, std::int64_t>,
                  "only a kind indexed by position can count its elements; give itraverse");
    return traverseCounting(effect, std::forward<F>(f), c);
  }
};

// The free functions, one per operation, dispatching on the container's type.

template <class F, IndexedFunctor C>
auto imap(F&& f, C&& c) {
  return FunctorWithIndex<std::remove_cvref_t<C>>::imap(std::forward<F>(f), std::forward<C>(c));
}

template <fp::Monoid M, class F, IndexedFoldable C>
auto ifoldMap(const M& m, F&& f, C&& c) {
  return FoldableWithIndex<std::remove_cvref_t<C>>::ifoldMap(m, std::forward<F>(f),
                                                             std::forward<C>(c));
}

template <fp::Monoid M, class F, IndexedFoldable C>
auto ifoldMapPrime(const M& m, F&& f, C&& c) {
  return FoldableWithIndex<std::remove_cvref_t<C>>::ifoldMapPrime(m, std::forward<F>(f),
                                                                  std::forward<C>(c));
}

template <class F, class Z, IndexedFoldable C>
Z ifoldr(F&& f, Z z, C&& c) {
  return FoldableWithIndex<std::remove_cvref_t<C>>::ifoldr(std::forward<F>(f), std::move(z),
                                                           std::forward<C>(c));
}

template <class F, class Z, IndexedFoldable C>
Z ifoldl(F&& f, Z z, C&& c) {
  return FoldableWithIndex<std::remove_cvref_t<C>>::ifoldl(std::forward<F>(f), std::move(z),
                                                           std::forward<C>(c));
}

template <class F, class Z, IndexedFoldable C>
Z ifoldrPrime(F&& f, Z z, C&& c) {
  return FoldableWithIndex<std::remove_cvref_t<C>>::ifoldrPrime(std::forward<F>(f), std::move(z),
                                                                std::forward<C>(c));
}

template <class F, class Z, IndexedFoldable C>
Z ifoldlPrime(F&& f, Z z, C&& c) {
  return FoldableWithIndex<std::remove_cvref_t<C>>::ifoldlPrime(std::forward<F>(f), std::move(z),
                                                                std::forward<C>(c));
}

template <fp::Applicative E, class F, IndexedTraversable C>
auto itraverse(const E& effect, F&& f, C&& c) {
  return TraversableWithIndex<std::remove_cvref_t<C>>::itraverse(effect, std::forward<F>(f),
                                                                 std::forward<C>(c));
}

}  // namespace keyedwalk
