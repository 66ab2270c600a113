// A heap node holding a computation until it has run and its result afterwards.
//
// `Memo<V>` is the shared part of a deferred value: `get()` runs the computation on first use
// (under the `Once` protocol) and hands out the stored result ever after, for the price of one
// load and a branch. The computation lives in the derived `MemoOf`, in the same node, and is
// destroyed as soon as it has produced the result, so what it captured is released early.
#pragma once

#include <functional>
#include <memory>
#include <new>
#include <utility>

#include "fp/detail/once.hpp"
#include "fp/detail/shared.hpp"

namespace fp::detail {

template <class V>
class Memo : public Shared {
 public:
  const V& get() {
    if (!once_.done()) [[unlikely]]
      force();
    return value_;
  }
  bool ready() const noexcept { return once_.done(); }

 protected:
  Memo() noexcept {}
  ~Memo() override {
    if (once_.done()) std::destroy_at(&value_);
  }

  // Constructs `value_` and releases the computation; leaves both untouched if it throws.
  virtual void compute() = 0;

  Once once_;
  union {
    V value_;
  };

 private:
  [[gnu::noinline]] void force() {
    once_.call([this] { compute(); });
  }
};

template <class V, class F>
class MemoOf final : public Memo<V> {
 public:
  explicit MemoOf(F fn) : fn_(std::move(fn)) {}
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
