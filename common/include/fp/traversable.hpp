// fp::Traversable<C>: run an effect for every element and collect the results in the same shape.
//
//   auto halves = fp::traverse(fp::OptionalEffect{},
//                              [](int x) { return x % 2 ? std::nullopt : std::optional(x / 2); },
//                              fp::List<int>{2, 4, 6});               // optional(List{1, 2, 3})
//
// The element actions are combined front to back with the effect's `liftA2`, each with the
// combined action of everything behind it, which is built only when the effect asks for it: the
// optional effect stops at the first failure, and a lazy effect (the on-demand state effect,
// Identity) yields a list whose later elements are computed when they are read.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

#include "fp/applicative.hpp"
#include "fp/detail/boxed.hpp"
#include "fp/list.hpp"
#include "fp/nonempty.hpp"
#include "fp/stack.hpp"
#include "fp/ziplist.hpp"

namespace fp {

template <class C>
struct Traversable;

template <class E, class F, class C>
auto traverse(const E& effect, F&& f, const C& c) {
  return Traversable<C>::traverse(effect, std::forward<F>(f), c);
}

namespace detail {

// A list from a rest that an effect handed over either computed or deferred.
template <class B, class Rest>
List<B> restList(Rest&& rest) {
  if constexpr (std::same_as<std::remove_cvref_t<Rest>, List<B>>)
    return List<B>(std::forward<Rest>(rest));
  else
    return List<B>::lazy(std::forward<Rest>(rest));
}

template <class B, class E, class F, class A>
auto traverseList(const E& effect, const F& f, const List<A>& xs)
    -> typename E::template Action<List<B>> {
  if (xs.empty()) return effect.pure(List<B>());
  return effect.liftA2(
      [](const B& b, auto&& rest) { return List<B>::cons(b, restList<B>(rest)); },
      std::invoke(f, xs.head()),
      [effect, f, rest = xs.tail()] {
        return ensureStack([&] { return traverseList<B>(effect, f, rest); });
      });
}

template <class E, class F, class A>
using TraversedValue = ActionValue<E, std::invoke_result_t<F&, const A&>>;

}  // namespace detail

template <class A>
struct Traversable<List<A>> {
  template <class E, class F>
  static auto traverse(const E& effect, F f, const List<A>& xs) {
    using B = detail::TraversedValue<E, F, A>;
    return detail::traverseList<B>(effect, detail::share(std::move(f)), xs);
  }
};

template <class A>
struct Traversable<ZipList<A>> {
  template <class E, class F>
  static auto traverse(const E& effect, F&& f, const ZipList<A>& xs) {
    using B = detail::TraversedValue<E, F, A>;
    return effect.fmap([](const List<B>& ys) { return ZipList<B>(ys); },
                       Traversable<List<A>>::traverse(effect, std::forward<F>(f), xs.list()));
  }
};

template <class A>
struct Traversable<NonEmpty<A>> {
  template <class E, class F>
  static auto traverse(const E& effect, F f, const NonEmpty<A>& xs) {
    using B = detail::TraversedValue<E, F, A>;
    auto shared = detail::share(std::move(f));
    return effect.liftA2(
        [](const B& b, auto&& rest) { return NonEmpty<B>(b, detail::restList<B>(rest)); },
        std::invoke(shared, xs.head()),
        [effect, shared, rest = xs.tail()] { return detail::traverseList<B>(effect, shared, rest); });
  }
};

}  // namespace fp
