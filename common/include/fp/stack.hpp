// This header provides `fp::ensureStack()`, a guard against stack overflow in
// deeply nested computations. Forcing one deferred value may force the next
// one inside it, so a chain of a million deferred values is a million nested
// C++ calls: far more than a thread's stack holds. Wrapping each level in
// `fp::ensureStack()` makes such chains safe: when the current stack runs low,
// the wrapped call continues on a freshly mapped stack segment, and control
// returns to the original stack when it finishes.
//
// Example:
//
//   // Length of a linked chain, computed recursively.
//   std::size_t length(const Node* n) {
//     if (n == nullptr) return 0;
//     return 1 + fp::ensureStack([&] { return length(n->next); });
//   }
//
// The guard is invisible to the wrapped call: it returns the same value (by
// value, by reference, or nothing), runs the same code in the same order, and
// an exception thrown inside propagates out unchanged. While enough stack
// remains, the guard costs one comparison of the stack pointer against a
// per-thread limit.
//
// Every thread is covered, whatever its stack size: the bounds of a thread's
// stack are read on its first guarded call and kept in a thread-local limit.
// Segments chain when a segment itself runs low. Each thread keeps the
// segments it has used, up to 512 MiB of address space, and unmaps them when
// the thread exits: the next deep computation runs on memory already touched
// instead of faulting in every page again. Only the first 16 MiB of them stay
// resident for sure; the kernel may take back the rest (MADV_FREE) whenever
// memory is short, and until it does, reusing them costs nothing.
//
// Sanitizers change the sizes: under AddressSanitizer, whose redzones around
// locals inflate frames, both are multiplied by 4; under ThreadSanitizer,
// whose shadow call stack holds a fixed number of frames, no stack is used
// for more than 512 KiB and the red zone is capped at half of that. Stack
// switches are announced to both through their fiber APIs.

#pragma once

#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <type_traits>
#include <utility>

#if defined(__SANITIZE_ADDRESS__)
#define FP_STACK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FP_STACK_ASAN 1
#endif
#endif

#if defined(__SANITIZE_THREAD__)
#define FP_STACK_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define FP_STACK_TSAN 1
#endif
#endif

// x86-64 switches stacks with a few instructions of its own; elsewhere, or
// when FP_STACK_UCONTEXT is defined, the portable but slower ucontext
// functions switch, saving and restoring the signal mask each time.
#if defined(__x86_64__) && !defined(FP_STACK_UCONTEXT)
#define FP_STACK_CALL_ON_STACK 1
#else
#include <ucontext.h>
#endif

#if defined(FP_STACK_ASAN)
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>
#endif
#if defined(FP_STACK_TSAN)
#include <sanitizer/tsan_interface.h>
#endif

namespace fp {

namespace detail {

inline constexpr std::size_t kDefaultRedZone = std::size_t{128} << 10;
inline constexpr std::size_t kDefaultSegmentSize = std::size_t{1} << 20;

#if defined(FP_STACK_ASAN)
inline constexpr std::size_t kSanitizerStackScale = 4;
#else
inline constexpr std::size_t kSanitizerStackScale = 1;
#endif

#if defined(FP_STACK_TSAN)
// ThreadSanitizer records the calls of each thread and fiber in an array of
// 64Ki entries that it overruns silently. A frame takes at least 16 bytes, so
// no stack may be used for more than 1 MiB; half of that leaves a margin.
inline constexpr std::size_t kMaxStackSpan = std::size_t{512} << 10;
#else
inline constexpr std::size_t kMaxStackSpan = SIZE_MAX;
#endif

// The red zone in force under the active sanitizer. Under ThreadSanitizer it
// is capped so that a segment of kMaxStackSpan bytes still leaves room.
constexpr std::size_t sanitizedRedZone(std::size_t redZone) noexcept {
#if defined(FP_STACK_TSAN)
  return std::min(redZone, kMaxStackSpan / 2);
#else
  return redZone * kSanitizerStackScale;
#endif
}

// Usable size of a new segment: at least `redZone` bytes above its own red
// zone, so that the call makes progress before it needs the next segment.
constexpr std::size_t segmentSpan(std::size_t segmentSize, std::size_t redZone) noexcept {
  return std::min(std::max(segmentSize * kSanitizerStackScale, 2 * redZone), kMaxStackSpan);
}

// Lowest usable address of the stack this thread is running on: the thread's
// own stack, or the segment it has switched to. A thread starts with a value
// above every user-space address, so its first guarded call takes the slow
// path, which reads the real bounds.
inline constexpr std::uintptr_t kUnknownStackLimit = UINTPTR_MAX / 2;
inline constinit thread_local std::uintptr_t stackLimit = kUnknownStackLimit;

// Reads the stack pointer itself: the frame address would overstate the room
// left by the size of the caller's frame, and the address of a local may lie
// on AddressSanitizer's heap-allocated fake stack.
[[gnu::always_inline]] inline std::uintptr_t stackPointer() noexcept {
  std::uintptr_t sp;
#if defined(__x86_64__)
  asm("mov {%%rsp, %0|%0, rsp}" : "=r"(sp));  // Either assembler syntax.
#elif defined(__aarch64__)
  asm("mov %0, sp" : "=r"(sp));
#else
  sp = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
#endif
  return sp;
}

// Number of stack segments currently mapped by all threads, cached ones included.
inline std::atomic<std::size_t> mappedSegmentCount{0};

inline std::size_t mappedSegments() noexcept { return mappedSegmentCount.load(std::memory_order_relaxed); }

// Usable part of a mapped segment; a PROT_NONE guard page lies just below
// `low`, so an overflow of the segment faults instead of corrupting memory.
struct Segment {
  char* low = nullptr;
  std::size_t size = 0;
};

inline std::size_t pageSize() noexcept {
  static const auto size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return size;
}

inline void unmapSegment(Segment s) noexcept {
  if (s.low == nullptr) return;
  munmap(s.low - pageSize(), s.size + pageSize());
  mappedSegmentCount.fetch_sub(1, std::memory_order_relaxed);
}

// Each thread keeps the segments it has used, up to kCachedStackBytes, for the next deep
// computation: a segment mapped afresh costs a page fault for every page it touches, many times
// the work of the computation that runs on it. Beyond kResidentStackBytes a cached segment's
// pages are handed to the kernel as free to reclaim (MADV_FREE): a thread that once went deep
// does not hold hundreds of MiB for the rest of its life, yet while memory is plentiful the
// pages stay and the next deep computation reuses them without faults. Where the kernel has
// taken them, it pays the faults again (about 100 ns per level of a lazy right fold). The cache is a stack whose links lie in the
// bottom bytes of the cached segments themselves (unused while a segment is cached), the one
// released last on top: the shallowest segment of a chain, which a new chain needs first. It
// is split from its owner, whose destructor unmaps it at thread exit, so that the variables stay
// trivially destructible and remain usable by guarded calls made from destructors that run
// after it.
inline constexpr std::size_t kCachedStackBytes = std::size_t{512} << 20;
inline constexpr std::size_t kResidentStackBytes = std::size_t{16} << 20;

struct SegmentCache {
  Segment top;
  std::size_t bytes;
};
inline constinit thread_local SegmentCache segmentCache{};
inline constinit thread_local bool threadExiting = false;

inline Segment popCachedSegment() noexcept {
  const Segment s = std::exchange(segmentCache.top, *reinterpret_cast<const Segment*>(segmentCache.top.low));
  segmentCache.bytes -= s.size;
  return s;
}

struct SegmentCacheOwner {
  SegmentCacheOwner() = default;
  SegmentCacheOwner(const SegmentCacheOwner&) = delete;
  SegmentCacheOwner& operator=(const SegmentCacheOwner&) = delete;
  ~SegmentCacheOwner() {
    threadExiting = true;
    while (segmentCache.top.low != nullptr) unmapSegment(popCachedSegment());
  }
};

inline Segment acquireSegment(std::size_t size) {
  while (segmentCache.top.low != nullptr) {
    const Segment s = popCachedSegment();
    if (s.size >= size) return s;
    unmapSegment(s);  // Too small for this request.
  }
  const std::size_t page = pageSize();
  size = (size + page - 1) / page * page;
  void* base = mmap(nullptr, size + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
  if (base == MAP_FAILED) throw std::bad_alloc();
  if (mprotect(base, page, PROT_NONE) != 0) {
    munmap(base, size + page);
    throw std::bad_alloc();
  }
  mappedSegmentCount.fetch_add(1, std::memory_order_relaxed);
  return {static_cast<char*>(base) + page, size};
}

inline void releaseSegment(Segment s) noexcept {
#if defined(FP_STACK_ASAN)
  // Frames that did not return normally, such as the ucontext entry frame,
  // leave poisoned redzones; clear them before the memory is reused or
  // unmapped.
  __asan_unpoison_memory_region(s.low, s.size);
#endif
  if (threadExiting || segmentCache.bytes + s.size > kCachedStackBytes) return unmapSegment(s);
  if (segmentCache.bytes + s.size > kResidentStackBytes && madvise(s.low, s.size, MADV_FREE) != 0)
    return unmapSegment(s);  // A kernel without MADV_FREE: keep no more than the resident part.
  [[maybe_unused]] static thread_local SegmentCacheOwner owner;
  *reinterpret_cast<Segment*>(s.low) = segmentCache.top;
  segmentCache.top = s;
  segmentCache.bytes += s.size;
}

// Lowest usable address of the calling thread's own stack. The main thread's
// size comes from RLIMIT_STACK, so the bounds are trusted only if they contain
// the stack pointer; otherwise the stack is treated as used up, and deep
// computations move to segments.
inline std::uintptr_t threadStackLow() noexcept {
  const std::uintptr_t sp = stackPointer();
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return sp;
  void* addr = nullptr;
  std::size_t size = 0;
  const bool known = pthread_attr_getstack(&attr, &addr, &size) == 0;
  pthread_attr_destroy(&attr);
  const auto low = reinterpret_cast<std::uintptr_t>(addr);
  if (!known || sp <= low || sp - low > size) return sp;
  return size > kMaxStackSpan ? low + size - kMaxStackSpan : low;
}

// State shared by the two sides of one switch to a segment. It lives in the
// frame on the original stack, which outlives the segment's work.
struct SegmentSwitch {
  void (*fn)(void*);
  void* arg;
  std::exception_ptr error{};
#if defined(FP_STACK_ASAN)
  const void* callerStackBottom = nullptr;
  std::size_t callerStackSize = 0;
#endif
#if defined(FP_STACK_TSAN)
  void* callerFiber = nullptr;
#endif
#if !defined(FP_STACK_CALL_ON_STACK)
  ucontext_t caller{};
  ucontext_t segment{};
#endif
};

// The work done on the segment. An exception is caught here and rethrown on
// the original stack: unwinding never crosses the switch. AddressSanitizer
// leaves this frame uninstrumented because its last act discards the
// segment's fake stack, which an instrumented epilogue would still touch.
[[gnu::no_sanitize_address]] inline void runOnSegment(void* state) noexcept {
  auto& s = *static_cast<SegmentSwitch*>(state);
#if defined(FP_STACK_ASAN)
  __sanitizer_finish_switch_fiber(nullptr, &s.callerStackBottom, &s.callerStackSize);
#endif
  try {
    s.fn(s.arg);
  } catch (...) {
    s.error = std::current_exception();
  }
#if defined(FP_STACK_ASAN)
  __sanitizer_start_switch_fiber(nullptr, s.callerStackBottom, s.callerStackSize);
#endif
}

#if defined(FP_STACK_CALL_ON_STACK)
// fp_detail_call_on_stack(arg, fn, top) calls fn(arg) with the stack pointer
// set to `top` and restores it when fn returns. Unlike swapcontext it saves
// only the frame pointer, since fn preserves the callee-saved registers, and
// leaves the signal mask alone. The frame pointer anchors the call frame
// information, so debuggers and unwinders walk from the segment back to the
// caller's stack. The instructions are spelled as bytes and the registers in
// the CFI directives as DWARF numbers (6 = rbp, 7 = rsp) so that the block
// assembles in either assembler syntax. Each translation unit emits it in a
// COMDAT group, which the linker merges like an inline function.
extern "C" void fp_detail_call_on_stack(void* arg, void (*fn)(void*), void* top);
asm(R"(
  .pushsection .text.fp_detail_call_on_stack,"axG",@progbits,fp_detail_call_on_stack,comdat
  .weak fp_detail_call_on_stack
  .hidden fp_detail_call_on_stack
  .type fp_detail_call_on_stack, @function
  .p2align 4
fp_detail_call_on_stack:
  .cfi_startproc
  .byte 0x55                # push %rbp
  .cfi_def_cfa_offset 16
  .cfi_offset 6, -16
  .byte 0x48, 0x89, 0xe5    # mov %rsp, %rbp
  .cfi_def_cfa_register 6
  .byte 0x48, 0x89, 0xd4    # mov %rdx, %rsp
  .byte 0xff, 0xd6          # call *%rsi
  .byte 0x48, 0x89, 0xec    # mov %rbp, %rsp
  .byte 0x5d                # pop %rbp
  .cfi_def_cfa 7, 8
  .byte 0xc3                # ret
  .cfi_endproc
  .size fp_detail_call_on_stack, .-fp_detail_call_on_stack
  .popsection
)");
#else
// First frame on a segment entered through ucontext. makecontext passes only
// int arguments, so the address of the switch state arrives in two halves.
[[noreturn]] inline void segmentMain(unsigned high, unsigned low) noexcept {
  auto& s = *reinterpret_cast<SegmentSwitch*>(std::uintptr_t{high} << 32 | low);
  runOnSegment(&s);
#if defined(FP_STACK_TSAN)
  __tsan_switch_to_fiber(s.callerFiber, 0);
#endif
  setcontext(&s.caller);
  std::abort();  // setcontext returns only if the context is invalid.
}
#endif

// Runs runOnSegment(s) on `segment` and returns to the current stack.
inline void switchToSegment(SegmentSwitch& s, Segment segment) {
#if !defined(FP_STACK_CALL_ON_STACK)
  getcontext(&s.segment);
  s.segment.uc_stack.ss_sp = segment.low;
  s.segment.uc_stack.ss_size = segment.size;
  s.segment.uc_link = nullptr;
  const auto address = reinterpret_cast<std::uintptr_t>(&s);
  makecontext(&s.segment, reinterpret_cast<void (*)()>(&segmentMain), 2, static_cast<unsigned>(address >> 32),
              static_cast<unsigned>(address));
#endif
#if defined(FP_STACK_ASAN)
  void* callerFakeStack = nullptr;
  __sanitizer_start_switch_fiber(&callerFakeStack, segment.low, segment.size);
#endif
#if defined(FP_STACK_TSAN)
  s.callerFiber = __tsan_get_current_fiber();
  void* const segmentFiber = __tsan_create_fiber(0);
  __tsan_switch_to_fiber(segmentFiber, 0);
#endif
#if defined(FP_STACK_CALL_ON_STACK)
  fp_detail_call_on_stack(&s, &runOnSegment, segment.low + segment.size);
#if defined(FP_STACK_TSAN)
  // Switched back only now, so that runOnSegment's exit is recorded on the
  // segment's fiber, where its entry was.
  __tsan_switch_to_fiber(s.callerFiber, 0);
#endif
#else
  swapcontext(&s.caller, &s.segment);
#endif
#if defined(FP_STACK_TSAN)
  __tsan_destroy_fiber(segmentFiber);
#endif
#if defined(FP_STACK_ASAN)
  __sanitizer_finish_switch_fiber(callerFakeStack, nullptr, nullptr);
#endif
}

// Type-erased slow path: calls fn(arg), on a new segment if less than
// `redZone` bytes of the current stack remain.
[[gnu::noinline, gnu::cold]] inline void growStack(std::size_t redZone, std::size_t segmentSize, void (*fn)(void*),
                                                   void* arg) {
  if (stackLimit == kUnknownStackLimit) stackLimit = threadStackLow();
  if (stackPointer() >= stackLimit + redZone) return fn(arg);  // The thread's first call had room after all.

  const Segment segment = acquireSegment(segmentSpan(segmentSize, redZone));
  SegmentSwitch s{fn, arg};
  const std::uintptr_t callerLimit = std::exchange(stackLimit, reinterpret_cast<std::uintptr_t>(segment.low));
  switchToSegment(s, segment);
  stackLimit = callerLimit;
  releaseSegment(segment);
  if (s.error) std::rethrow_exception(std::move(s.error));
}

template <class Callable>
void invokeErased(void* callable) {
  (*static_cast<Callable*>(callable))();
}

// Carries f's result across growStack. A non-reference result is moved once
// more on the way out, so it must be move-constructible.
template <class F>
[[gnu::noinline, gnu::cold]] std::invoke_result_t<F> ensureStackSlow(std::size_t redZone, std::size_t segmentSize,
                                                                     F&& f) {
  using R = std::invoke_result_t<F>;
  if constexpr (std::is_void_v<R>) {
    auto call = [&] { std::forward<F>(f)(); };
    growStack(redZone, segmentSize, &invokeErased<decltype(call)>, &call);
  } else if constexpr (std::is_reference_v<R>) {
    std::add_pointer_t<R> result = nullptr;
    auto call = [&] {
      R r = std::forward<F>(f)();
      result = std::addressof(r);
    };
    growStack(redZone, segmentSize, &invokeErased<decltype(call)>, &call);
    return static_cast<R>(*result);
  } else {
    std::optional<R> result;
    auto call = [&] { result.emplace(std::forward<F>(f)()); };
    growStack(redZone, segmentSize, &invokeErased<decltype(call)>, &call);
    return std::move(*result);
  }
}

}  // namespace detail

// fp::ensureStack()
//
// Runs f() and returns its result. If less than `redZone` bytes of stack
// remain on the current thread, f runs on a freshly mapped stack segment of at
// least `segmentSize` bytes instead, and control comes back to the caller's
// stack when f returns or throws. `redZone` must cover the stack that f uses
// before its next guarded call. Throws std::bad_alloc if a segment cannot be
// mapped. A thread must not be cancelled or call pthread_exit() while f runs
// on a segment: the unwinding that these start cannot cross the switch.
//
// Building with FP_NO_STACK_GUARD defined turns the guard off (f is called directly), which
// only serves to measure what the guard costs.
template <std::invocable F>
decltype(auto) ensureStack(std::size_t redZone, std::size_t segmentSize, F&& f) {
#ifdef FP_NO_STACK_GUARD
  (void)redZone, (void)segmentSize;
  return std::forward<F>(f)();
#endif
  redZone = detail::sanitizedRedZone(redZone);
  if (detail::stackPointer() < detail::stackLimit + redZone) [[unlikely]]
    return detail::ensureStackSlow(redZone, segmentSize, std::forward<F>(f));
  return std::forward<F>(f)();
}

// Same, with a 128 KiB red zone and 1 MiB segments.
template <std::invocable F>
decltype(auto) ensureStack(F&& f) {
  return ensureStack(detail::kDefaultRedZone, detail::kDefaultSegmentSize, std::forward<F>(f));
}

}  // namespace fp

#undef FP_STACK_ASAN
#undef FP_STACK_TSAN
#undef FP_STACK_CALL_ON_STACK

