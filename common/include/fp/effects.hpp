// The standard effects: Const, optional, WrappedMonad and Backwards.
//
//   fp::OptionalEffect maybe;
//   auto both = maybe.liftA2(std::plus<>{}, std::optional(1), [] { return std::optional(2); });
//   fp::Backwards<fp::OptionalEffect> lastFirst{maybe};   // builds and runs the right action first
//
// - `ConstEffect<M>`: an action carries one value of the monoid M and no result; `pure` carries
//   `mempty`, combining carries the left value `<>` the right one (the right computed only if M
//   uses it). Traversing with it is folding.
// - `OptionalEffect`: an action that may fail, a std::optional. Combining stops at the first
//   failure, without building the right action.
// - `WrappedMonad<M>`: a monad used as an effect: `pure` is `ret`, combining binds the first
//   action and then the second.
// - `Backwards<E>`: E with combining reversed: the right action is built and run first, the left
//   one second, and each result keeps its place.
#pragma once

#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

#include "fp/applicative.hpp"
#include "fp/deferred.hpp"
#include "fp/monoid.hpp"

namespace fp {

// An action of the Const effect: a monoid value, and a result type that is never produced.
template <class V, class A>
struct Const {
  using value_type = A;
  V value;
  friend bool operator==(const Const&, const Const&) = default;
};

template <class M>
struct ConstEffect : ApplicativeDefaults<ConstEffect<M>> {
  using Value = typename M::Value;
  template <class A>
  using Action = Const<Value, A>;
  template <class Act>
  using ValueOf = typename Act::value_type;

  ConstEffect() = default;
  explicit ConstEffect(M m) : monoid(std::move(m)) {}

  template <class A>
  Action<A> pure(const A&) const {
    return {monoid.mempty()};
  }
  template <class F, class A>
  auto fmap(F&&, const Action<A>& act) const {
    return Const<Value, std::decay_t<std::invoke_result_t<F&, const A&>>>{act.value};
  }
  template <class H, class A, class Rhs>
  auto liftA2(H&&, const Action<A>& act, Rhs&& rhs) const {
    using B = typename std::decay_t<std::invoke_result_t<Rhs&>>::value_type;
    using C = std::decay_t<std::invoke_result_t<H&, const A&, const B&>>;
    return Const<Value, C>{monoid.append(
        act.value, [rhs = std::forward<Rhs>(rhs)]() mutable { return Value(std::invoke(rhs).value); })};
  }

  M monoid;
};

struct OptionalEffect : MonadDefaults<OptionalEffect> {
  static constexpr bool strict = true;
  template <class A>
  using Action = std::optional<A>;
  template <class Act>
  using ValueOf = typename Act::value_type;

  template <class A>
  static std::optional<A> pure(A a) {
    return std::optional<A>(std::move(a));
  }
  template <class F, class A>
  static auto fmap(F&& f, const std::optional<A>& act) {
    using B = std::decay_t<std::invoke_result_t<F&, const A&>>;
    return act ? std::optional<B>(std::invoke(f, *act)) : std::nullopt;
  }
  template <class H, class A, class Rhs>
  static auto liftA2(H&& h, const std::optional<A>& act, Rhs&& rhs) {
    using B = typename std::decay_t<std::invoke_result_t<Rhs&>>::value_type;
    using C = std::decay_t<std::invoke_result_t<H&, const A&, const B&>>;
    if (!act) return std::optional<C>();
    const auto right = std::invoke(rhs);
    if (!right) return std::optional<C>();
    return std::optional<C>(std::invoke(h, *act, *right));
  }
  template <class A, class K>
  static auto bind(const std::optional<A>& act, K&& k) {
    using Result = std::decay_t<std::invoke_result_t<K&, const A&>>;
    return act ? Result(std::invoke(k, *act)) : Result();
  }
};

template <class M>
struct WrappedMonad : ApplicativeDefaults<WrappedMonad<M>> {
  template <class A>
  using Action = typename M::template Action<A>;
  template <class Act>
  using ValueOf = typename M::template ValueOf<Act>;

  WrappedMonad() = default;
  explicit WrappedMonad(M m) : monad(std::move(m)) {}

  template <class A>
  auto pure(A a) const {
    return monad.ret(std::move(a));
  }
  template <class F, class Act>
  auto fmap(F f, const Act& act) const {
    return monad.bind(act, [m = monad, f = std::move(f)](const auto& a) {
      return m.ret(std::invoke(f, a));
    });
  }
  template <class H, class Act, class Rhs>
  auto liftA2(H h, const Act& act, Rhs&& rhs) const {
    // The right action is built once, even if the monad runs the continuation several times.
    return monad.bind(act, [m = monad, h = std::move(h),
                            right = defer(std::forward<Rhs>(rhs))](const auto& a) {
      return m.bind(right(), [m, h, a](const auto& b) { return m.ret(std::invoke(h, a, b)); });
    });
  }

  M monad;
};

template <class E>
struct Backwards : ApplicativeDefaults<Backwards<E>> {
  template <class A>
  using Action = typename E::template Action<A>;
  template <class Act>
  using ValueOf = typename E::template ValueOf<Act>;

  Backwards() = default;
  explicit Backwards(E e) : inner(std::move(e)) {}

  template <class A>
  auto pure(A a) const {
    return inner.pure(std::move(a));
  }
  template <class F, class Act>
  auto fmap(F&& f, const Act& act) const {
    return inner.fmap(std::forward<F>(f), act);
  }
  template <class H, class Act, class Rhs>
  auto liftA2(H h, const Act& act, Rhs&& rhs) const {
    return inner.liftA2(
        [h = std::move(h)](auto&& b, auto&& a) -> decltype(auto) { return std::invoke(h, a, b); },
        std::invoke(rhs), [act] { return act; });
  }

  E inner;
};

}  // namespace fp
