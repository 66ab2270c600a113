// Effects (Applicative and Monad) as records passed by value, and the Identity effect.
//
//   fp::IdentityEffect id;
//   auto sum = id.liftA2([](int a, int b) { return a + b; },
//                        id.pure(1), [&] { return id.pure(2); });          // Identity{3}
//
// An effect record names its action type with the alias template `Action<A>` (an action that
// yields an A) and the value an action yields with `ValueOf<Action>`. It gives:
//
//   pure(a)              an action yielding a, with no effect
//   fmap(f, act)         the action with f applied to its result
//   liftA2(h, act, rhs)  runs act, then the action rhs() computes, and yields h(a, b)
//
// and the defaults of `ApplicativeDefaults` add `replace`, `ap`, `thenRight` and `thenLeft`. As
// with monoids, the right action is handed over as a callable that computes it, called at most
// once and only if the effect needs it: the optional effect never builds the right action
// after a failure. An effect may keep that callable past the call, so callers hand over one that
// owns what it needs. `h` receives the right result either as a B or as an fp::Deferred<B>, as
// the effect finds cheapest; a Deferred converts to `const B&`, so `h` may simply take a B, and
// an `h` that takes `auto` can keep the result unforced (which lets a lazy effect traverse an
// unbounded list).
//
// A monad record adds `bind(act, k)`, `then(act, rhs)` and `ret(a)`; `MonadDefaults` gives
// `then` and `ret` from `bind` and `pure`.
#pragma once

#include <concepts>
#include <functional>
#include <type_traits>
#include <utility>

#include "fp/deferred.hpp"

namespace fp {

template <class E>
concept Applicative = std::copy_constructible<E> && requires(const E& e) {
  typename E::template Action<int>;
  { e.pure(0) } -> std::same_as<typename E::template Action<int>>;
};

namespace detail {
// Stands, in requirements, for a continuation from an int to an action of E.
template <class E>
struct ContinuesWith {
  typename E::template Action<int> operator()(int) const;
};
}  // namespace detail

template <class E>
concept Monad = Applicative<E> &&
                requires(const E& e, const typename E::template Action<int>& a,
                         detail::ContinuesWith<E> k) {
                  { e.bind(a, k) } -> std::same_as<typename E::template Action<int>>;
                };

// A monad whose `bind(act, k)` calls k at most once, before it returns (std::optional, Identity),
// says so with `static constexpr bool strict = true;`. A chain of its binds gives the same calls in
// the same order whether it is nested or run as a loop, so the monadic folds run it as a loop.
template <class M>
concept StrictMonad = Monad<M> && requires {
  requires M::strict;
};

// The value that an action of effect E yields.
template <class E, class Act>
using ActionValue = typename E::template ValueOf<std::remove_cvref_t<Act>>;

template <class Derived>
struct ApplicativeDefaults {
  // The action with its result replaced by b.
  template <class B, class Act>
  auto replace(B b, const Act& act) const {
    return self().fmap([b = std::move(b)](auto&&) { return b; }, act);
  }
  // Runs the action of functions, then the action of arguments; yields the application.
  template <class FAct, class Rhs>
  auto ap(const FAct& functions, Rhs&& arguments) const {
    return self().liftA2([](const auto& f, auto&& x) { return std::invoke(f, unwrap(x)); },
                         functions, std::forward<Rhs>(arguments));
  }
  // Runs both actions; keeps the right result.
  template <class Act, class Rhs>
  auto thenRight(const Act& act, Rhs&& rhs) const {
    return self().liftA2([](auto&&, auto&& b) { return unwrap(b); }, act, std::forward<Rhs>(rhs));
  }
  // Runs both actions; keeps the left result.
  template <class Act, class Rhs>
  auto thenLeft(const Act& act, Rhs&& rhs) const {
    return self().liftA2([](auto&& a, auto&&) { return unwrap(a); }, act, std::forward<Rhs>(rhs));
  }

 protected:
  const Derived& self() const { return static_cast<const Derived&>(*this); }

  // A result that an effect handed over deferred, forced; any other value as it is.
  template <class X>
  static decltype(auto) unwrap(const X& x) {
    if constexpr (isDeferred<X>)
      return x.get();
    else
      return (x);
  }
};

template <class Derived>
struct MonadDefaults : ApplicativeDefaults<Derived> {
  template <class A>
  auto ret(A a) const {
    return this->self().pure(std::move(a));
  }
  // Runs act, then the action rhs() computes; keeps the right result.
  template <class Act, class Rhs>
  auto then(const Act& act, Rhs&& rhs) const {
    return this->self().bind(act, [rhs = std::forward<Rhs>(rhs)](auto&&) { return rhs(); });
  }
};

// The action of the effect that does nothing: a value, wrapped.
template <class A>
struct Identity {
  using value_type = A;
  A value;
  friend bool operator==(const Identity&, const Identity&) = default;
};

// The effect that does nothing. Combining hands the right result to h deferred, so a traversal
// with this effect produces its result on demand.
struct IdentityEffect : MonadDefaults<IdentityEffect> {
  static constexpr bool strict = true;
  template <class A>
  using Action = Identity<A>;
  template <class Act>
  using ValueOf = typename Act::value_type;

  template <class A>
  static Identity<A> pure(A a) {
    return {std::move(a)};
  }
  template <class F, class A>
  static auto fmap(F&& f, const Identity<A>& act) {
    return Identity<std::decay_t<std::invoke_result_t<F&, const A&>>>{std::invoke(f, act.value)};
  }
  template <class H, class A, class Rhs>
  static auto liftA2(H&& h, const Identity<A>& act, Rhs&& rhs) {
    using B = typename std::decay_t<std::invoke_result_t<Rhs&>>::value_type;
    Deferred<B> b([rhs = std::forward<Rhs>(rhs)]() mutable { return B(std::invoke(rhs).value); });
    using C = std::decay_t<std::invoke_result_t<H&, const A&, Deferred<B>&>>;
    return Identity<C>{std::invoke(h, act.value, b)};
  }
  template <class A, class K>
  static auto bind(const Identity<A>& act, K&& k) {
    return std::invoke(k, act.value);
  }
};

}  // namespace fp
