// Values shared by reference count. A lazy walk copies what it needs into every suspended step
// (one per element); boxing the callback and the start value makes each copy a count increment
// instead of a copy of what they hold.
#pragma once

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

// Small stateless callables are copied as they are; others are boxed.
template <class F>
auto share(F f) {
  if constexpr (std::is_empty_v<F> && std::is_trivially_copyable_v<F>)
    return f;
  else
    return SharedFn<F>(std::move(f));
}

}  // namespace fp::detail
