// The forcing protocol of every value that is computed at most once.
//
// `Once` guards one computation: the first caller runs it, concurrent callers wait for it, and
// every later caller sees it done. A computation that throws leaves the guard as it was, so the
// next caller tries again. A computation that needs its own result (a value defined in terms of
// itself) would wait for itself forever; the guard notices and throws instead.
//
// The guard is one 32-bit word: idle, done, or the number of the thread running the
// computation, with a bit for waiters. Seeing that it is done is one load. Running a
// computation costs one compare-and-swap of the word to claim it and a plain store to mark it
// done, not a second atomic operation (an exchange that read the waiter bit as it publishes
// would make every forcing half again as dear). The finisher looks for the waiter bit just
// before its store and wakes the waiters it sees; a waiter that sets the bit in the instant
// between that look and the store is not woken. Such a waiter has just set the bit, so its
// first sleep after setting it is short (50 microseconds); later sleeps double up to a
// millisecond, which bounds the wait of one whose finisher was preempted in that instant.
//
// Computations nest (forcing one value forces the next inside it), so each one runs under
// `fp::ensureStack`: a chain of any depth continues on fresh stack segments instead of
// overflowing the thread's stack.
#pragma once

#include <linux/futex.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <stdexcept>

#include "fp/stack.hpp"

namespace fp::detail {

// A waiter's sleep just after it has set the waiter bit, which a finisher may have missed, and
// its longest: each sleep doubles the one before.
inline constexpr long kOnceFirstNap = 50'000;  // nanoseconds
inline constexpr long kOnceLongestNap = 1'000'000;

inline constinit std::atomic<std::uint32_t> nextThreadNumber{1};
inline constinit thread_local std::uint32_t threadNumberOfThis [[gnu::tls_model("initial-exec")]] = 0;

// A number for the calling thread, unique among the threads alive (up to 2^31 of them made),
// never 0.
inline std::uint32_t threadNumber() noexcept {
  std::uint32_t& mine = threadNumberOfThis;
  if (mine == 0) [[unlikely]] {
    do mine = nextThreadNumber.fetch_add(1, std::memory_order_relaxed) & 0x7fffffffu;
    while (mine == 0);
  }
  return mine;
}

class Once {
 public:
  bool done() const noexcept { return state_.load(std::memory_order_acquire) == kDone; }

  // Runs `run()` unless the computation is already done, or waits for the thread that runs it;
  // returns once it is done. Inlined into the caller's own slow path, so that a chain of nested
  // computations costs one frame of the caller's per level, not a stack of helpers.
  template <class F>
  [[gnu::always_inline]] void call(F&& run) {
    const std::uint32_t me = threadNumber() << 1;
    for (std::uint32_t state = kIdle;
         !state_.compare_exchange_strong(state, me, std::memory_order_acquire,
                                         std::memory_order_acquire);
         state = kIdle) {
      if (state == kDone) return;
      waitWhileRunning(state, me);
    }
    try {
      ensureStack(run);
    } catch (...) {
      finish(kIdle);
      throw;
    }
    finish(kDone);
  }

  // The same for a caller that holds the only reference to the computation, where no other
  // thread can be forcing it: no atomic read-modify-write is needed to claim it.
  template <class F>
  [[gnu::always_inline]] void callExclusive(F&& run) {
    const std::uint32_t state = state_.load(std::memory_order_relaxed);
    if (state == kDone) return;
    if (state != kIdle) throw std::logic_error("fp: an on-demand value depends on itself");
    state_.store(threadNumber() << 1, std::memory_order_relaxed);
    try {
      ensureStack(run);
    } catch (...) {
      state_.store(kIdle, std::memory_order_relaxed);
      throw;
    }
    state_.store(kDone, std::memory_order_release);
  }

 private:
  static constexpr std::uint32_t kIdle = 0;
  static constexpr std::uint32_t kDone = 1;
  static constexpr std::uint32_t kWaiters = 1;  // on a running thread's number, which is even

  // Another computation holds the word (`state`): throws if it is this thread's own, else
  // waits until the word changes.
  [[gnu::noinline]] void waitWhileRunning(std::uint32_t state, std::uint32_t me) {
    if ((state & ~kWaiters) == me) throw std::logic_error("fp: an on-demand value depends on itself");
    long napNanoseconds = kOnceFirstNap;
    while ((state & ~kWaiters) != kIdle && state != kDone) {
      if (!(state & kWaiters)) {
        if (!state_.compare_exchange_weak(state, state | kWaiters, std::memory_order_relaxed)) continue;
        state |= kWaiters;
        napNanoseconds = kOnceFirstNap;
      }
      nap(state, napNanoseconds);
      napNanoseconds = std::min(2 * napNanoseconds, kOnceLongestNap);
      state = state_.load(std::memory_order_acquire);
    }
  }

  // Publishes the outcome; wakes the waiters that have said so.
  void finish(std::uint32_t next) noexcept {
    const std::uint32_t running = state_.load(std::memory_order_relaxed);
    state_.store(next, std::memory_order_release);
    if (running & kWaiters) syscall(SYS_futex, &state_, FUTEX_WAKE_PRIVATE, INT32_MAX, nullptr, nullptr, 0);
  }

  // Sleeps while the word holds `expected`, for at most the given time.
  void nap(std::uint32_t expected, long nanoseconds) const noexcept {
    const timespec timeout{0, nanoseconds};
    syscall(SYS_futex, &state_, FUTEX_WAIT_PRIVATE, expected, &timeout, nullptr, 0);
  }

  std::atomic<std::uint32_t> state_{kIdle};
};

}  // namespace fp::detail
