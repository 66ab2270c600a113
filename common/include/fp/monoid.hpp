// Semigroups and monoids as records passed by value, and the standard ones.
//
//   bool found = fp::AnyMonoid{}.mconcat(fp::List<bool>{false, true, false});   // true
//   fp::Dual<fp::ListMonoid<int>> backwards;
//   backwards.append(fp::List<int>{1}, [] { return fp::List<int>{2}; });       // 2 1
//
// A record names its `Value` type and gives `append(a, b)`: the combination `a <> b`, which
// must be associative. The right operand `b` is not a value but a callable that computes it,
// called at most once, so that a combination that can decide from `a` alone (logical or on a
// true `a`) never computes the right operand, and one that produces its result on demand (list
// concatenation) computes it only when the result gets that far. A record may keep `b` past the
// call: callers hand over a `b` that owns what it needs. A monoid adds the neutral `mempty()`.
//
// The record, not a wrapper type, gives a value its meaning: a plain `bool` is combined by
// `AnyMonoid` or by `AllMonoid`, a plain List by `ListMonoid`. The defaults `sconcat`, `stimes`,
// `mappend` and `mconcat` come from the CRTP bases `SemigroupDefaults` and `MonoidDefaults`.
#pragma once

#include <concepts>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "fp/deferred.hpp"
#include "fp/detail/boxed.hpp"
#include "fp/list.hpp"
#include "fp/nonempty.hpp"
#include "fp/stack.hpp"

namespace fp {

namespace detail {
// Stands, in requirements, for a callable that computes a V.
template <class V>
struct ComputesA {
  V operator()() const;
};
}  // namespace detail

template <class S>
concept Semigroup = std::copy_constructible<S> &&
                    requires(const S& s, const typename S::Value& v,
                             detail::ComputesA<typename S::Value> rhs) {
                      { s.append(v, rhs) } -> std::convertible_to<typename S::Value>;
                    };

template <class M>
concept Monoid = Semigroup<M> && requires(const M& m) {
  { m.mempty() } -> std::convertible_to<typename M::Value>;
};

template <class Derived>
struct SemigroupDefaults {
  // xs₀ <> (xs₁ <> (… <> xsₙ)), each right operand computed only when used.
  template <class D = Derived>
  typename D::Value sconcat(const NonEmpty<typename D::Value>& xs) const {
    return combineRight(self(), xs.head(), xs.tail(), [](const D&, auto&& last) { return last; });
  }

  // n copies of x combined by `append`; throws std::invalid_argument when n is below 1.
  template <class D = Derived>
  typename D::Value stimes(std::int64_t n, const typename D::Value& x) const {
    if (n < 1) throw std::invalid_argument("fp::stimes: the count must be at least 1");
    // Associativity lets the copies be grouped by doubling: O(log n) combinations.
    typename D::Value power = x;
    std::optional<typename D::Value> result;
    for (;;) {
      if (n & 1)
        result = result ? self().append(std::move(*result), [p = power] { return p; }) : power;
      n >>= 1;
      if (n == 0) return std::move(*result);
      power = self().append(power, [p = power] { return p; });
    }
  }

 protected:
  const Derived& self() const { return static_cast<const Derived&>(*this); }

  // first <> (rest₀ <> (… <> finish(rest_last))), each right operand deferred.
  template <class D, class V, class Finish>
  static V combineRight(const D& m, const V& first, const List<V>& rest, Finish finish) {
    auto next = rest.uncons();
    if (!next) return finish(m, first);
    return m.append(first, [m, next = std::move(*next), finish] {
      return ensureStack([&] { return combineRight(m, next.first, next.second, finish); });
    });
  }
};

template <class Derived>
struct MonoidDefaults : SemigroupDefaults<Derived> {
  template <class D = Derived, class Rhs>
  typename D::Value mappend(const typename D::Value& a, Rhs&& b) const {
    return this->self().append(a, std::forward<Rhs>(b));
  }

  // xs₀ <> (xs₁ <> (… <> (xsₙ <> mempty))); mempty for the empty list.
  template <class D = Derived>
  typename D::Value mconcat(const List<typename D::Value>& xs) const {
    auto first = xs.uncons();
    if (!first) return this->self().mempty();
    return this->combineRight(this->self(), first->first, first->second,
                              [](const D& m, auto&& last) {
                                return m.append(last, [m] { return m.mempty(); });
                              });
  }
};

// `bool` under logical or; the right operand is not computed when the left is true.
struct AnyMonoid : MonoidDefaults<AnyMonoid> {
  using Value = bool;
  static bool mempty() noexcept { return false; }
  template <class Rhs>
  static bool append(bool a, Rhs&& b) {
    return a || static_cast<bool>(std::invoke(b));
  }
};

// `bool` under logical and; the right operand is not computed when the left is false.
struct AllMonoid : MonoidDefaults<AllMonoid> {
  using Value = bool;
  static bool mempty() noexcept { return true; }
  template <class Rhs>
  static bool append(bool a, Rhs&& b) {
    return a && static_cast<bool>(std::invoke(b));
  }
};

// Lists under concatenation, produced on demand: the right list is computed only once the
// result has been read past the left one.
template <class T>
struct ListMonoid : MonoidDefaults<ListMonoid<T>> {
  using Value = List<T>;
  static List<T> mempty() noexcept { return {}; }
  template <class Rhs>
  static List<T> append(List<T> a, Rhs&& b) {
    return fp::append(std::move(a), std::decay_t<Rhs>(std::forward<Rhs>(b)));
  }
};

// fp::Composed: g after h, for functions held in a std::function<R(P)>, where g receives h's result
// deferred, wrapped by `Pass` as g's argument: Composed{g, h}(x) = g(Pass{}(deferred h(x))).
//
// A composition of any length, nested either way, is applied in bounded stack. Calling the
// outermost function of a chain ((f₀ <> f₁) <> f₂) <> … directly would call the next one inside
// it, one machine frame per function. `apply` instead unwraps the outer functions with a loop,
// leaving each inner function waiting in a deferred value, which runs on a fresh stack segment
// when needed (see fp::ensureStack). A Composed that someone calls through its std::function
// applies itself the same way.
template <class R, class P, class Pass>
struct Composed {
  using Function = std::function<R(P)>;
  using Argument = std::remove_cvref_t<P>;

  Composed(Function g, Deferred<Function> h) : outer(std::move(g)), inner(std::move(h)) {}

  R operator()(P x) const { return apply(outer.get(), handOn(inner, Argument(x))); }

  // f(x), for an f that may be a composition of any depth.
  static R apply(const Function& f, Argument x) {
    const Function* at = &f;
    while (const Composed* c = at->template target<Composed>()) {
      x = handOn(c->inner, std::move(x));
      at = &c->outer.get();
    }
    return (*at)(std::move(x));
  }

  // Both parts are shared nodes, so that a composition of any depth is also dropped in bounded
  // stack.
  detail::Boxed<Function> outer;
  Deferred<Function> inner;

 private:
  // What the outer function receives: the inner function's result for x, computed when used.
  static Argument handOn(const Deferred<Function>& inner, Argument x) {
    return Pass{}(Deferred<R>([inner, x = std::move(x)] { return apply(inner(), x); }));
  }
};

// Functions from A to A under composition: (g <> h)(x) = g(h(x)), with h(x) handed to g
// deferred, so a g that ignores its argument never runs h. `mempty` is the identity. A
// combined function of any length applies in bounded stack (see fp::Composed).
template <class A>
using Endo = std::function<A(Deferred<A>)>;

template <class A>
struct EndoMonoid : MonoidDefaults<EndoMonoid<A>> {
  using Value = Endo<A>;
  struct Same {
    Deferred<A> operator()(Deferred<A> x) const { return x; }
  };
  using Composition = Composed<A, Deferred<A>, Same>;

  static Value mempty() {
    return [](Deferred<A> x) -> A { return x.get(); };
  }
  template <class Rhs>
  static Value append(Value g, Rhs&& h) {
    if constexpr (std::same_as<std::remove_cvref_t<Rhs>, Deferred<Value>>)
      return Composition{std::move(g), std::forward<Rhs>(h)};
    else
      return Composition{std::move(g), Deferred<Value>([h = std::forward<Rhs>(h)]() mutable -> Value {
                           return std::invoke(h);
                         })};
  }
  // Applies a combined function to a start value.
  static A apply(const Value& f, A x) { return Composition::apply(f, Deferred<A>(std::move(x))); }
};

// Any semigroup or monoid with the operands of `append` swapped; the same `mempty`.
template <class M>
struct Dual : MonoidDefaults<Dual<M>> {
  using Value = typename M::Value;

  Dual() = default;
  explicit Dual(M m) : inner(std::move(m)) {}

  Value mempty() const
    requires Monoid<M>
  {
    return inner.mempty();
  }
  // The right operand is computed first, as the left one of M; on a fresh stack segment when the
  // thread's stack runs low, since computing it may nest (a fold's rest, itself combined here).
  template <class Rhs>
  Value append(Value a, Rhs&& b) const {
    return inner.append(ensureStack([&] { return Value(std::invoke(b)); }), [a = std::move(a)] { return a; });
  }

  M inner;
};

}  // namespace fp
