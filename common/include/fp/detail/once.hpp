// The forcing protocol of every value that is computed at most once.
//
// `Once` guards one computation: the first caller runs it, concurrent callers wait for it, and
// every later caller sees it done. A computation that throws leaves the guard as it was, so the
// next caller tries again. A computation that needs its own result (a value defined in terms of
// itself) would wait for itself forever; the guard notices and throws instead.
//
// Computations nest (forcing one value forces the next inside it), so each one runs under
// `fp::ensureStack`: a chain of any depth continues on fresh stack segments instead of
// overflowing the thread's stack.
#pragma once

#include <atomic>
#include <cstdint>
#include <stdexcept>

#include "fp/stack.hpp"

namespace fp::detail {

class Once {
 public:
  bool done() const noexcept { return state_.load(std::memory_order_acquire) == kDone; }

  // Runs `run` unless the computation is already done; returns once it is.
  template <class F>
  void call(F&& run) {
    if (!done()) [[unlikely]]
      callSlow(+[](void* f) { (*static_cast<F*>(f))(); }, &run);
  }

 private:
  enum State : std::uint8_t { kIdle, kRunning, kRunningWithWaiters, kDone };

  // The computations this thread is running, innermost first, linked through the stack.
  struct Frame {
    const Once* once;
    const Frame* outer;
  };
  static inline thread_local const Frame* running_ = nullptr;

  [[gnu::noinline]] void callSlow(void (*run)(void*), void* context) {
    for (;;) {
      std::uint8_t state = state_.load(std::memory_order_acquire);
      switch (state) {
        case kDone:
          return;
        case kIdle:
          if (state_.compare_exchange_weak(state, kRunning, std::memory_order_acquire)) {
            runHere(run, context);
            return;
          }
          break;
        default:
          if (runningOnThisThread())
            throw std::logic_error("fp: an on-demand value depends on itself");
          if (state == kRunningWithWaiters ||
              state_.compare_exchange_weak(state, kRunningWithWaiters,
                                           std::memory_order_acquire))
            state_.wait(kRunningWithWaiters, std::memory_order_acquire);
      }
    }
  }

  void runHere(void (*run)(void*), void* context) {
    const Frame frame{this, running_};
    running_ = &frame;
    try {
      ensureStack([&] { run(context); });
    } catch (...) {
      running_ = frame.outer;
      finish(kIdle);
      throw;
    }
    running_ = frame.outer;
    finish(kDone);
  }

  void finish(State next) noexcept {
    if (state_.exchange(next, std::memory_order_acq_rel) == kRunningWithWaiters)
      state_.notify_all();
  }

  bool runningOnThisThread() const noexcept {
    for (const Frame* f = running_; f; f = f->outer)
      if (f->once == this) return true;
    return false;
  }

  std::atomic<std::uint8_t> state_{kIdle};
};

}  // namespace fp::detail
