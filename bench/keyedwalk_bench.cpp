// keyedwalk against the loops a user would write instead: a hand-written index loop, range-v3's
// views::enumerate and std::transform with a counter.
//
// Run: build with -DFP_BUILD_BENCH=ON, then
//   ./keyedwalk_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// and compare the medians of each pair (same run, so the ratio holds on a noisy machine).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <iterator>
#include <cstdint>
#include <numeric>
#include <range/v3/view/enumerate.hpp>
#include <vector>

#include "fp/deferred.hpp"
#include "fp/list.hpp"
#include "keyedwalk/foldable.hpp"
#include "verify.hpp"
#include "fp/testing/monoids.hpp"

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

using fp::testing::SumMonoid;

void perElement(benchmark::State& state, std::int64_t n) { state.SetItemsProcessed(state.iterations() * n); }

// Σ i * x by hand: the reference of the folds below.
std::int64_t indexLoop(const std::vector<std::int64_t>& xs) {
  std::int64_t acc = 0;
  const auto n = static_cast<std::int64_t>(xs.size());
  for (std::int64_t i = 0; i < n; ++i) acc += i * xs[static_cast<std::size_t>(i)];
  return acc;
}

// Σ i * x: the index loop, range-v3's enumerate, and ifoldlPrime over the vector and over a list
// made from it.
void BM_IndexLoop(benchmark::State& state) {
  const auto& xs = numbers();
  for (auto _ : state) benchmark::DoNotOptimize(indexLoop(xs));
  perElement(state, kElements);
}
BENCHMARK(BM_IndexLoop)->Unit(benchmark::kMillisecond);

void BM_RangeV3Enumerate(benchmark::State& state) {
  const auto& xs = numbers();
  bench::timeChecked(state, "views::enumerate", indexLoop(xs), [&] {
    std::int64_t acc = 0;
    for (auto [i, x] : ranges::views::enumerate(xs)) acc += static_cast<std::int64_t>(i) * x;
    return acc;
  });
  perElement(state, kElements);
}
BENCHMARK(BM_RangeV3Enumerate)->Unit(benchmark::kMillisecond);

const auto weighted = [](std::int64_t i, std::int64_t acc, std::int64_t x) { return acc + i * x; };

void BM_IfoldlPrimeVector(benchmark::State& state) {
  const auto& xs = numbers();
  bench::timeChecked(state, "ifoldlPrime over a vector", indexLoop(xs),
                     [&] { return keyedwalk::ifoldlPrime(weighted, std::int64_t{0}, xs); });
  perElement(state, kElements);
}
BENCHMARK(BM_IfoldlPrimeVector)->Unit(benchmark::kMillisecond);

void BM_IfoldMapPrimeSumVector(benchmark::State& state) {
  const auto& xs = numbers();
  bench::timeChecked(state, "ifoldMapPrime over a vector", indexLoop(xs), [&] {
    return keyedwalk::ifoldMapPrime(SumMonoid{}, [](std::int64_t i, std::int64_t x) { return i * x; }, xs);
  });
  perElement(state, kElements);
}
BENCHMARK(BM_IfoldMapPrimeSumVector)->Unit(benchmark::kMillisecond);

void BM_IfoldlPrimeListFromVector(benchmark::State& state) {
  const auto xs = fp::List<std::int64_t>::from(numbers());
  bench::timeChecked(state, "ifoldlPrime over a list", indexLoop(numbers()),
                     [&] { return keyedwalk::ifoldlPrime(weighted, std::int64_t{0}, xs); });
  perElement(state, kElements);
}
BENCHMARK(BM_IfoldlPrimeListFromVector)->Unit(benchmark::kMillisecond);

// A new vector of x + i: std::transform with a counter, into a vector that is reserved and
// filled through back_inserter as imap fills its own, against imap.
std::vector<std::int64_t> transformWithCounter(const std::vector<std::int64_t>& xs) {
  std::vector<std::int64_t> out;
  out.reserve(xs.size());
  std::int64_t i = 0;
  std::transform(xs.begin(), xs.end(), std::back_inserter(out), [&i](std::int64_t x) { return x + i++; });
  return out;
}

void BM_TransformWithCounter(benchmark::State& state) {
  const auto& xs = numbers();
  for (auto _ : state) benchmark::DoNotOptimize(transformWithCounter(xs));
  perElement(state, kElements);
}
BENCHMARK(BM_TransformWithCounter)->Unit(benchmark::kMillisecond);

void BM_ImapVector(benchmark::State& state) {
  const auto& xs = numbers();
  bench::timeChecked(state, "imap over a vector", transformWithCounter(xs), [&] {
    return keyedwalk::imap([](std::int64_t i, std::int64_t x) { return x + i; }, xs);
  });
  perElement(state, kElements);
}
BENCHMARK(BM_ImapVector)->Unit(benchmark::kMillisecond);

const std::vector<std::int64_t>& firstOfNumbers() {
  static const std::vector<std::int64_t> xs(numbers().begin(), numbers().begin() + kListElements);
  return xs;
}

// The lazy right fold whose callback forces its accumulator at every element: one deferred
// value per element. Reported as time per element.
void BM_IfoldrForcingList(benchmark::State& state) {
  const auto xs = fp::List<std::int64_t>::from(firstOfNumbers());
  bench::timeChecked(state, "ifoldr over a list", indexLoop(firstOfNumbers()), [&] {
    return keyedwalk::ifoldr(
        [](std::int64_t i, std::int64_t x, std::int64_t rest) { return rest + i * x; }, std::int64_t{0}, xs);
  });
  perElement(state, kListElements);
  state.counters["ns_per_element"] = benchmark::Counter(
      static_cast<double>(state.iterations() * kListElements),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_IfoldrForcingList)->Unit(benchmark::kMillisecond);

// The same fold through the index-free fp::foldr, for reference: both pay for one deferred value
// per element and for nesting a million levels deep on fresh stack segments.
void BM_FpFoldrForcingList(benchmark::State& state) {
  const auto xs = fp::List<std::int64_t>::from(firstOfNumbers());
  const auto& v = firstOfNumbers();
  bench::timeChecked(state, "fp::foldr over a list", std::accumulate(v.begin(), v.end(), std::int64_t{0}), [&] {
    return fp::foldr([](std::int64_t x, std::int64_t rest) { return rest + x; }, std::int64_t{0}, xs);
  });
  perElement(state, kListElements);
}
BENCHMARK(BM_FpFoldrForcingList)->Unit(benchmark::kMillisecond);

}  // namespace
