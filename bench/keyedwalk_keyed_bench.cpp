// The keyed providers against what a user would write instead: a range-for over a std::map, a
// loop over the elements of an array, and std::map and std::unordered_map for IntMap's own
// insertion and lookup.
//
// Run: build with -DFP_BUILD_BENCH=ON, then
//   ./keyedwalk_keyed_bench --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
//       --benchmark_report_aggregates_only=true
// and compare the medians of each pair (same run, interleaved, so that a noisy machine favours
// neither side).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <numeric>
#include <random>
#include <unordered_map>
#include <vector>

#include "keyedwalk/array.hpp"
#include "keyedwalk/intmap.hpp"
#include "keyedwalk/map.hpp"

namespace {

constexpr std::int64_t kEntries = 1'000'000;

void perEntry(benchmark::State& state) { state.SetItemsProcessed(state.iterations() * kEntries); }

// Σ k * v over a map with keys 0 .. n-1 and values 1 .. n: the range-for and ifoldlPrime.
const std::map<std::int64_t, std::int64_t>& orderedMap() {
  static const auto map = [] {
    std::map<std::int64_t, std::int64_t> m;
    for (std::int64_t k = 0; k < kEntries; ++k) m.emplace_hint(m.end(), k, k + 1);
    return m;
  }();
  return map;
}

void BM_MapRangeFor(benchmark::State& state) {
  const auto& map = orderedMap();
  for (auto _ : state) {
    std::int64_t acc = 0;
    for (const auto& [k, v] : map) acc += k * v;
    benchmark::DoNotOptimize(acc);
  }
  perEntry(state);
}
BENCHMARK(BM_MapRangeFor)->Unit(benchmark::kMillisecond);

void BM_MapIfoldlPrime(benchmark::State& state) {
  const auto& map = orderedMap();
  for (auto _ : state) {
    auto acc = keyedwalk::ifoldlPrime([](std::int64_t k, std::int64_t acc, std::int64_t v) { return acc + k * v; },
                                      std::int64_t{0}, map);
    benchmark::DoNotOptimize(acc);
  }
  perEntry(state);
}
BENCHMARK(BM_MapIfoldlPrime)->Unit(benchmark::kMillisecond);

// Σ i * x over an array with bounds (10, n + 9): the loop over the same elements in a vector,
// with the index counted alongside, and ifoldlPrime over the array.
const std::vector<std::int64_t>& elements() {
  static const auto xs = [] {
    std::vector<std::int64_t> v(kEntries);
    std::iota(v.begin(), v.end(), std::int64_t{1});
    return v;
  }();
  return xs;
}

void BM_ElementLoop(benchmark::State& state) {
  const auto& xs = elements();
  for (auto _ : state) {
    std::int64_t acc = 0;
    std::int64_t i = 10;
    for (const std::int64_t x : xs) acc += i++ * x;
    benchmark::DoNotOptimize(acc);
  }
  perEntry(state);
}
BENCHMARK(BM_ElementLoop)->Unit(benchmark::kMillisecond);

void BM_ArrayIfoldlPrime(benchmark::State& state) {
  const keyedwalk::Array<std::int64_t, std::int64_t> array({10, kEntries + 9}, elements());
  for (auto _ : state) {
    auto acc = keyedwalk::ifoldlPrime([](std::int64_t i, std::int64_t acc, std::int64_t x) { return acc + i * x; },
                                      std::int64_t{0}, array);
    benchmark::DoNotOptimize(acc);
  }
  perEntry(state);
}
BENCHMARK(BM_ArrayIfoldlPrime)->Unit(benchmark::kMillisecond);

// A million distinct keys spread over the whole std::int64_t range, in random order, and the same
// keys in another random order for the lookups.
const std::vector<std::int64_t>& randomKeys() {
  static const auto keys = [] {
    std::mt19937_64 random(2024);
    std::vector<std::int64_t> k(kEntries);
    for (auto& key : k) key = static_cast<std::int64_t>(random());
    std::sort(k.begin(), k.end());
    k.erase(std::unique(k.begin(), k.end()), k.end());
    std::shuffle(k.begin(), k.end(), random);
    return k;
  }();
  return keys;
}
const std::vector<std::int64_t>& lookupOrder() {
  static const auto keys = [] {
    auto k = randomKeys();
    std::shuffle(k.begin(), k.end(), std::mt19937_64(7));
    return k;
  }();
  return keys;
}

void perKey(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(randomKeys().size()));
}

void BM_InsertStdMap(benchmark::State& state) {
  for (auto _ : state) {
    std::map<std::int64_t, std::int64_t> m;
    for (const auto key : randomKeys()) m.insert_or_assign(key, key);
    benchmark::DoNotOptimize(m.size());
  }
  perKey(state);
}
BENCHMARK(BM_InsertStdMap)->Unit(benchmark::kMillisecond);

void BM_InsertStdUnorderedMap(benchmark::State& state) {
  for (auto _ : state) {
    std::unordered_map<std::int64_t, std::int64_t> m;
    for (const auto key : randomKeys()) m.insert_or_assign(key, key);
    benchmark::DoNotOptimize(m.size());
  }
  perKey(state);
}
BENCHMARK(BM_InsertStdUnorderedMap)->Unit(benchmark::kMillisecond);

// Building in a loop: the map updates in place the nodes it alone holds.
void BM_InsertIntMap(benchmark::State& state) {
  for (auto _ : state) {
    keyedwalk::IntMap<std::int64_t> m;
    for (const auto key : randomKeys()) m = std::move(m).insert(key, key);
    benchmark::DoNotOptimize(m.size());
  }
  perKey(state);
}
BENCHMARK(BM_InsertIntMap)->Unit(benchmark::kMillisecond);

// Every insertion keeps the map before it, a new path of nodes each time.
void BM_InsertIntMapPersistent(benchmark::State& state) {
  for (auto _ : state) {
    keyedwalk::IntMap<std::int64_t> m;
    for (const auto key : randomKeys()) {
      const auto before = m;
      m = before.insert(key, key);
    }
    benchmark::DoNotOptimize(m.size());
  }
  perKey(state);
}
BENCHMARK(BM_InsertIntMapPersistent)->Unit(benchmark::kMillisecond);

template <class Map>
Map filled() {
  Map m;
  for (const auto key : randomKeys()) m.emplace(key, key);
  return m;
}

void BM_LookupStdMap(benchmark::State& state) {
  const auto m = filled<std::map<std::int64_t, std::int64_t>>();
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (const auto key : lookupOrder()) sum += m.find(key)->second;
    benchmark::DoNotOptimize(sum);
  }
  perKey(state);
}
BENCHMARK(BM_LookupStdMap)->Unit(benchmark::kMillisecond);

void BM_LookupStdUnorderedMap(benchmark::State& state) {
  const auto m = filled<std::unordered_map<std::int64_t, std::int64_t>>();
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (const auto key : lookupOrder()) sum += m.find(key)->second;
    benchmark::DoNotOptimize(sum);
  }
  perKey(state);
}
BENCHMARK(BM_LookupStdUnorderedMap)->Unit(benchmark::kMillisecond);

void BM_LookupIntMap(benchmark::State& state) {
  keyedwalk::IntMap<std::int64_t> m;
  for (const auto key : randomKeys()) m = std::move(m).insert(key, key);
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (const auto key : lookupOrder()) sum += *m.find(key);
    benchmark::DoNotOptimize(sum);
  }
  perKey(state);
}
BENCHMARK(BM_LookupIntMap)->Unit(benchmark::kMillisecond);

}  // namespace
