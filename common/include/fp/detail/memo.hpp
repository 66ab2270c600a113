// A heap node holding a computation until it has run and its result afterwards.
//
// `Memo<V, Base>` is the shared part of a deferred value: `get()` runs the computation on first
// use (under the `Once` protocol) and hands out the stored result ever after. The computation
// lives in the derived `MemoOf` and is destroyed as soon as it has produced the result, so what
// it captured is released early. `Base` lets list nodes, which carry a kind tag, reuse it.
#pragma once

#include <functional>
#include <memory>
#include <new>
#include <utility>

#include "fp/detail/once.hpp"
#include "fp/detail/shared.hpp"

namespace fp::detail {

template <class V, class Base = Shared>
class Memo : public Base {
 public:
  const V& get() {
    once_.call([this] { compute(); });
    return value_;
  }
  bool ready() const noexcept { return once_.done(); }

 protected:
  template <class... BaseArgs>
  explicit Memo(BaseArgs&&... args) : Base(std::forward<BaseArgs>(args)...) {}
  ~Memo() override {
    if (once_.done()) std::destroy_at(&value_);
  }

  // Constructs `value_` and releases the computation; leaves both untouched if it throws.
  virtual void compute() = 0;

  Once once_;
  union {
    V value_;
  };
};

template <class V, class F, class Base = Shared>
class MemoOf final : public Memo<V, Base> {
 public:
  template <class... BaseArgs>
  explicit MemoOf(F fn, BaseArgs&&... args)
      : Memo<V, Base>(std::forward<BaseArgs>(args)...), fn_(std::move(fn)) {}
  ~MemoOf() override {
    if (!this->once_.done()) std::destroy_at(&fn_);
  }

 private:
  void compute() override {
    ::new (static_cast<void*>(&this->value_)) V(std::invoke(fn_));
    std::destroy_at(&fn_);
  }

  union {
    F fn_;
  };
};

}  // namespace fp::detail
