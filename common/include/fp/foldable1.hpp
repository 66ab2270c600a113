// fp::Foldable1<C>: fold a container that is never empty, with no start value.
//
//   fp::NonEmpty<int> xs(3, fp::List<int>{1, 2});
//   int smallest = fp::Foldable1<fp::NonEmpty<int>>::foldlMap1Prime(
//       [](int x) { return x; }, [](int acc, int x) { return std::min(acc, x); }, xs);  // 1
//
// `foldMap1` combines the elements' values with a semigroup, right operands deferred as in
// `fp::foldMap`; `foldrMap1` is the lazy right fold whose last element is turned into the start
// by a function of its own; `foldMap1Prime` and `foldlMap1Prime` are strict left folds.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

#include "fp/deferred.hpp"
#include "fp/detail/boxed.hpp"
#include "fp/monoid.hpp"
#include "fp/nonempty.hpp"
#include "fp/stack.hpp"

namespace fp {

template <class C>
struct Foldable1;

namespace detail {

template <class S, class F, class A>
typename S::Value foldMap1From(const S& s, const F& f, const A& x, const List<A>& rest) {
  auto next = rest.uncons();
  if (!next) return typename S::Value(std::invoke(f, x));
  return s.append(typename S::Value(std::invoke(f, x)), [s, f, next = std::move(*next)] {
    return ensureStack([&] { return foldMap1From(s, f, next.first, next.second); });
  });
}

template <class Z, class G, class F, class A>
Z foldrMap1From(const G& g, const F& f, const A& x, const List<A>& rest) {
  auto next = rest.uncons();
  if (!next) return Z(std::invoke(g, x));
  return Z(std::invoke(f, x, Deferred<Z>([g, f, next = std::move(*next)] {
    return foldrMap1From<Z>(g, f, next.first, next.second);
  })));
}

}  // namespace detail

template <class A>
struct Foldable1<NonEmpty<A>> {
  // f(x₀) <> (f(x₁) <> (… <> f(xₙ))), each right operand computed only when used.
  template <class S, class F>
  static typename S::Value foldMap1(const S& s, F f, const NonEmpty<A>& xs) {
    return detail::foldMap1From(s, detail::share(std::move(f)), xs.head(), xs.tail());
  }
  // ((f(x₀) <> f(x₁)) <> …) <> f(xₙ), each partial result computed before the next element.
  template <class S, class F>
  static typename S::Value foldMap1Prime(const S& s, F&& f, const NonEmpty<A>& xs) {
    using V = typename S::Value;
    return foldlMap1Prime(f, [&](V acc, const A& x) {
      return s.append(std::move(acc), [v = V(std::invoke(f, x))] { return v; });
    }, xs);
  }
  // f(x₀, f(x₁, … f(xₙ₋₁, g(xₙ)))), the accumulator handed to f deferred.
  template <class G, class F>
  static auto foldrMap1(G g, F f, const NonEmpty<A>& xs) {
    using Z = std::decay_t<std::invoke_result_t<G&, const A&>>;
    return detail::foldrMap1From<Z>(detail::share(std::move(g)), detail::share(std::move(f)),
                                    xs.head(), xs.tail());
  }
  // f(… f(g(x₀), x₁) …, xₙ), each accumulator computed before the next element.
  template <class G, class F>
  static auto foldlMap1Prime(G&& g, F&& f, const NonEmpty<A>& xs) {
    using Z = std::decay_t<std::invoke_result_t<G&, const A&>>;
    Z acc = std::invoke(g, xs.head());
    for (const A& x : xs.tail()) acc = Z(std::invoke(f, std::move(acc), x));
    return acc;
  }
  static const A& head(const NonEmpty<A>& xs) { return xs.head(); }
  static const A& last(const NonEmpty<A>& xs) {
    const A* last = &xs.head();
    for (const A& x : xs.tail()) last = &x;
    return *last;
  }
};

}  // namespace fp
