// keyedwalk::indexed against what a user would write instead: a hand-written index loop and
// range-v3's views::enumerate, each summing i * x over the same std::vector, at a size that fits
// in the caches and at one that streams from memory.
//
// Run: build with -DFP_BUILD_BENCH=ON, then
//   ./keyedwalk_indexed_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// and compare the medians of each size (same run, so the ratio holds on a noisy machine).
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <numeric>
#include <range/v3/view/enumerate.hpp>
#include <vector>

#include "keyedwalk/core.hpp"
#include "verify.hpp"

namespace {

std::vector<std::int64_t> numbers(benchmark::State& state) {
  std::vector<std::int64_t> xs(static_cast<std::size_t>(state.range(0)));
  std::iota(xs.begin(), xs.end(), std::int64_t{1});
  return xs;
}

void perElement(benchmark::State& state) { state.SetItemsProcessed(state.iterations() * state.range(0)); }

std::int64_t handLoop(const std::vector<std::int64_t>& xs) {
  benchmark::DoNotOptimize(xs.data());
  std::int64_t acc = 0;
  const auto n = static_cast<std::int64_t>(xs.size());
  for (std::int64_t i = 0; i < n; ++i) acc += i * xs[static_cast<std::size_t>(i)];
  return acc;
}

void BM_HandLoop(benchmark::State& state) {
  const auto xs = numbers(state);
  for (auto _ : state) benchmark::DoNotOptimize(handLoop(xs));
  perElement(state);
}

void BM_RangeV3Enumerate(benchmark::State& state) {
  const auto xs = numbers(state);
  bench::timeChecked(state, "views::enumerate", handLoop(xs), [&] {
    benchmark::DoNotOptimize(xs.data());
    std::int64_t acc = 0;
    for (auto [i, x] : ranges::views::enumerate(xs)) acc += static_cast<std::int64_t>(i) * x;
    return acc;
  });
  perElement(state);
}

void BM_Indexed(benchmark::State& state) {
  const auto xs = numbers(state);
  bench::timeChecked(state, "indexed", handLoop(xs), [&] {
    benchmark::DoNotOptimize(xs.data());
    std::int64_t acc = 0;
    for (auto [i, x] : keyedwalk::indexed(xs)) acc += i * x;
    return acc;
  });
  perElement(state);
}

// 8 KiB of elements, then 80 MB.
constexpr std::int64_t kInCache = 1 << 10;
constexpr std::int64_t kStreamed = 10'000'000;

BENCHMARK(BM_HandLoop)->Arg(kInCache)->Arg(kStreamed);
BENCHMARK(BM_RangeV3Enumerate)->Arg(kInCache)->Arg(kStreamed);
BENCHMARK(BM_Indexed)->Arg(kInCache)->Arg(kStreamed);

}  // namespace
