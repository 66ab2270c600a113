// The cost of forcing deferred values, and of the stack-growth guard on that path.
//
// CMake builds this file twice: deferred_bench with the guard and deferred_bench_unguarded
// with FP_NO_STACK_GUARD, which calls computations directly. Run both, alternately and with
// --benchmark_repetitions, and compare the medians: the ratio is the guard's cost.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "fp/deferred.hpp"
#include "verify.hpp"

namespace {

// Reading a value that is already known: no computation, no guard.
void BM_ForceReady(benchmark::State& state) {
  const fp::Deferred<std::int64_t> ready(std::int64_t{42});
  bench::timeChecked(state, "a ready value", std::int64_t{42}, [&] { return ready.get(); });
}
BENCHMARK(BM_ForceReady);

// Reading a value computed earlier: one load and a branch before the value.
void BM_ForceComputed(benchmark::State& state) {
  std::int64_t seed = 1;
  const auto computed = fp::defer([&seed] { return seed * 3; });
  bench::timeChecked(state, "a computed value", std::int64_t{3}, [&] { return computed.get(); });
}
BENCHMARK(BM_ForceComputed);

// Making and forcing one deferred value: one computation through the guard.
void BM_ForceOne(benchmark::State& state) {
  std::int64_t seed = 1;
  bench::timeChecked(state, "a value made and forced", std::int64_t{3}, [&] {
    const auto d = fp::defer([&seed] { return seed * 3; });
    return d.get();
  });
}
BENCHMARK(BM_ForceOne);

// A chain of 16 deferred values, each forcing its predecessor: 16 nested guarded forcings.
void BM_ForceShallowChain(benchmark::State& state) {
  bench::timeChecked(state, "a chain of 17", std::int64_t{16}, [] {
    fp::Deferred<std::int64_t> chain = fp::defer([] { return std::int64_t{0}; });
    for (int i = 0; i < 16; ++i)
      chain = fp::defer([previous = chain] { return previous.get() + 1; });
    return chain.get();
  });
  state.SetItemsProcessed(state.iterations() * 17);
}
BENCHMARK(BM_ForceShallowChain);

}  // namespace
