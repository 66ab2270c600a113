// Cost of fp::ensureStack when the stack has room (the fast path), next to the
// same work called directly, and the cost of one switch to a cached segment.

#include "fp/stack.hpp"
#include "verify.hpp"

#include <benchmark/benchmark.h>
#include <pthread.h>

#include <cstdint>

namespace {

[[gnu::noinline]] std::uint64_t leaf(std::uint64_t x) {
  benchmark::DoNotOptimize(x);
  return x + 1;
}

void BM_DirectCall(benchmark::State& state) {
  std::uint64_t x = 0;
  for (auto _ : state) benchmark::DoNotOptimize(x = leaf(x));
}
BENCHMARK(BM_DirectCall);

void BM_GuardedCall(benchmark::State& state) {
  std::uint64_t x = 0;
  for (auto _ : state) benchmark::DoNotOptimize(x = fp::ensureStack([&] { return leaf(x); }));
}
BENCHMARK(BM_GuardedCall);

constexpr int kShallowDepth = 16;

[[gnu::noinline]] std::uint64_t directRecursion(int depth) {
  if (depth == 0) return 0;
  const std::uint64_t below = directRecursion(depth - 1);
  benchmark::DoNotOptimize(below);
  return below + static_cast<std::uint64_t>(depth);
}

[[gnu::noinline]] std::uint64_t guardedRecursion(int depth) {
  if (depth == 0) return 0;
  const std::uint64_t below = fp::ensureStack([depth] { return guardedRecursion(depth - 1); });
  benchmark::DoNotOptimize(below);
  return below + static_cast<std::uint64_t>(depth);
}

void BM_DirectRecursion16(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(directRecursion(kShallowDepth));
}
BENCHMARK(BM_DirectRecursion16);

void BM_GuardedRecursion16(benchmark::State& state) {
  bench::timeChecked(state, "the guarded recursion", directRecursion(kShallowDepth),
                     [] { return guardedRecursion(kShallowDepth); });
}
BENCHMARK(BM_GuardedRecursion16);

// Every iteration runs on a 64 KiB thread, whose stack is smaller than the red
// zone, so each guarded call moves to the thread's spare segment and back.
void BM_SwitchToSegment(benchmark::State& state) {
  struct Args {
    benchmark::State* state;
  } args{&state};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 64 * 1024);
  pthread_t thread;
  pthread_create(
      &thread, &attr,
      [](void* p) -> void* {
        std::uint64_t x = 0;
        for (auto _ : *static_cast<Args*>(p)->state) benchmark::DoNotOptimize(x = fp::ensureStack([&] { return leaf(x); }));
        return nullptr;
      },
      &args);
  pthread_attr_destroy(&attr);
  pthread_join(thread, nullptr);
}
BENCHMARK(BM_SwitchToSegment);

}  // namespace
