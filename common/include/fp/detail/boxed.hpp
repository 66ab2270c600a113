// Values shared by reference count. A lazy walk copies what it needs into every suspended step
// (one per element); boxing the callback and the start value makes each copy a count increment
// instead of a copy of what they hold.
#pragma once

#include <concepts>
#include <functional>
#include <type_traits>
#include <utility>

#include "fp/detail/shared.hpp"

namespace fp::detail {

template <class T>
class Boxed {
 public:
  explicit Boxed(T value) : node_(makeRef<Node>(std::move(value))) {}
  T& get() const noexcept { return node_->value; }

 private:
  struct Node final : Shared {
    explicit Node(T v) : value(std::move(v)) {}
    T value;
  };
  Ref<Node> node_;
};

// A callable boxed, callable as it was.
template <class F>
class SharedFn {
 public:
  explicit SharedFn(F f) : box_(std::move(f)) {}
  template <class... Args>
  decltype(auto) operator()(Args&&... args) const {
    return std::invoke(box_.get(), std::forward<Args>(args)...);
  }

 private:
  Boxed<F> box_;
};

// A callable of any type with the signature R(Args...), boxed and shared: what std::function is,
// except that a copy costs a count increment rather than a copy of everything the callable holds
// (a continuation holds the rest of a computation).
template <class Signature>
class SharedFunction;

template <class R, class... Args>
class SharedFunction<R(Args...)> {
 public:
  template <class F>
    requires(!std::same_as<std::decay_t<F>, SharedFunction> && std::is_invocable_r_v<R, const std::decay_t<F>&, Args...>)
  SharedFunction(F&& f) : node_(makeRef<Node<std::decay_t<F>>>(std::forward<F>(f))) {}
  R operator()(Args... args) const { return node_->call(std::forward<Args>(args)...); }

 private:
  struct Callable : Shared {
    virtual R call(Args... args) const = 0;
  };
  template <class F>
  struct Node final : Callable {
    explicit Node(F fn) : f(std::move(fn)) {}
    R call(Args... args) const override { return std::invoke(f, std::forward<Args>(args)...); }
    F f;
  };
  Ref<const Callable> node_;
};

// Small stateless callables are copied as they are; others are boxed.
template <class F>
auto share(F f) {
  if constexpr (std::is_empty_v<F> && std::is_trivially_copyable_v<F>)
    return f;
  else
    return SharedFn<F>(std::move(f));
}

}  // namespace fp::detail
