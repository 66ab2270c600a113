// keyedwalk against the loops a user would write instead: a hand-written index loop, range-v3's
// views::enumerate and std::transform with a counter.
//
// Run: build with -DFP_BUILD_BENCH=ON, then
//   ./keyedwalk_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// and compare the medians of each pair (same run, so the ratio holds on a noisy machine).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <range/v3/view/enumerate.hpp>
#include <vector>

#include "fp/deferred.hpp"
#include "fp/list.hpp"
#include "keyedwalk/foldable.hpp"

namespace {

constexpr std::int64_t kElements = 10'000'000;
constexpr std::int64_t kListElements = 1'000'000;

const std::vector<std::int64_t>& numbers() {
  static const std::vector<std::int64_t> xs = [] {
    std::vector<std::int64_t> v(kElements);
    std::iota(v.begin(), v.end(), std::int64_t{1});
    return v;
  }();
  return xs;
}

// Integers under addition, the right operand computed by `append`.
struct SumMonoid : fp::MonoidDefaults<SumMonoid> {
  using Value = std::int64_t;
  static std::int64_t mempty() noexcept { return 0; }
  template <class Rhs>
  static std::int64_t append(std::int64_t a, Rhs&& b) {
    return a + b();
  }
};

void perElement(benchmark::State& state, std::int64_t n) { state.SetItemsProcessed(state.iterations() * n); }

// Σ i * x: the index loop, range-v3's enumerate, and ifoldlPrime over the vector and over a list
// made from it.
void BM_IndexLoop(benchmark::State& state) {
  const auto& xs = numbers();
  for (auto _ : state) {
    std::int64_t acc = 0;
    const auto n = static_cast<std::int64_t>(xs.size());
    for (std::int64_t i = 0; i < n; ++i) acc += i * xs[static_cast<std::size_t>(i)];
    benchmark::DoNotOptimize(acc);
  }
  perElement(state, kElements);
}
BENCHMARK(BM_IndexLoop)->Unit(benchmark::kMillisecond);

void BM_RangeV3Enumerate(benchmark::State& state) {
  const auto& xs = numbers();
  for (auto _ : state) {
    std::int64_t acc = 0;
    for (auto [i, x] : ranges::views::enumerate(xs)) acc += static_cast<std::int64_t>(i) * x;
    benchmark::DoNotOptimize(acc);
  }
  perElement(state, kElements);
}
BENCHMARK(BM_RangeV3Enumerate)->Unit(benchmark::kMillisecond);

void BM_IfoldlPrimeVector(benchmark::State& state) {
  const auto& xs = numbers();
  for (auto _ : state) {
    auto acc = keyedwalk::ifoldlPrime(
        [](std::int64_t i, std::int64_t acc, std::int64_t x) { return acc + i * x; }, std::int64_t{0}, xs);
    benchmark::DoNotOptimize(acc);
  }
  perElement(state, kElements);
}
BENCHMARK(BM_IfoldlPrimeVector)->Unit(benchmark::kMillisecond);

void BM_IfoldMapPrimeSumVector(benchmark::State& state) {
  const auto& xs = numbers();
  for (auto _ : state) {
    auto acc = keyedwalk::ifoldMapPrime(
        SumMonoid{}, [](std::int64_t i, std::int64_t x) { return i * x; }, xs);
    benchmark::DoNotOptimize(acc);
  }
  perElement(state, kElements);
}
BENCHMARK(BM_IfoldMapPrimeSumVector)->Unit(benchmark::kMillisecond);

void BM_IfoldlPrimeListFromVector(benchmark::State& state) {
  const auto xs = fp::List<std::int64_t>::from(numbers());
  for (auto _ : state) {
    auto acc = keyedwalk::ifoldlPrime(
        [](std::int64_t i, std::int64_t acc, std::int64_t x) { return acc + i * x; }, std::int64_t{0}, xs);
    benchmark::DoNotOptimize(acc);
  }
  perElement(state, kElements);
}
BENCHMARK(BM_IfoldlPrimeListFromVector)->Unit(benchmark::kMillisecond);

// A new vector of x + i: std::transform with a counter against imap.
void BM_TransformWithCounter(benchmark::State& state) {
  const auto& xs = numbers();
  for (auto _ : state) {
    std::vector<std::int64_t> out(xs.size());
    std::int64_t i = 0;
    std::transform(xs.begin(), xs.end(), out.begin(), [&i](std::int64_t x) { return x + i++; });
    benchmark::DoNotOptimize(out.data());
  }
  perElement(state, kElements);
}
BENCHMARK(BM_TransformWithCounter)->Unit(benchmark::kMillisecond);

void BM_ImapVector(benchmark::State& state) {
  const auto& xs = numbers();
  for (auto _ : state) {
    auto out = keyedwalk::imap([](std::int64_t i, std::int64_t x) { return x + i; }, xs);
    benchmark::DoNotOptimize(out.data());
  }
  perElement(state, kElements);
}
BENCHMARK(BM_ImapVector)->Unit(benchmark::kMillisecond);

// The lazy right fold whose callback forces its accumulator at every element: one deferred
// value per element. Reported as time per element.
void BM_IfoldrForcingList(benchmark::State& state) {
  const auto xs = fp::List<std::int64_t>::from(
      std::vector<std::int64_t>(numbers().begin(), numbers().begin() + kListElements));
  for (auto _ : state) {
    auto acc = keyedwalk::ifoldr(
        [](std::int64_t i, std::int64_t x, std::int64_t rest) { return rest + i * x; }, std::int64_t{0}, xs);
    benchmark::DoNotOptimize(acc);
  }
  perElement(state, kListElements);
  state.counters["ns_per_element"] = benchmark::Counter(
      static_cast<double>(state.iterations() * kListElements),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_IfoldrForcingList)->Unit(benchmark::kMillisecond);

// The same fold through the index-free fp::foldr, for reference: both pay for one deferred value
// per element and for nesting a million levels deep on fresh stack segments.
void BM_FpFoldrForcingList(benchmark::State& state) {
  const auto xs = fp::List<std::int64_t>::from(
      std::vector<std::int64_t>(numbers().begin(), numbers().begin() + kListElements));
  for (auto _ : state) {
    auto acc = fp::foldr(
        [](std::int64_t x, std::int64_t rest) { return rest + x; }, std::int64_t{0}, xs);
    benchmark::DoNotOptimize(acc);
  }
  perElement(state, kListElements);
}
BENCHMARK(BM_FpFoldrForcingList)->Unit(benchmark::kMillisecond);

}  // namespace
