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
#include "verify.hpp"

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

std::int64_t mapRangeFor(const std::map<std::int64_t, std::int64_t>& map) {
  std::int64_t acc = 0;
  for (const auto& [k, v] : map) acc += k * v;
  return acc;
}

void BM_MapRangeFor(benchmark::State& state) {
  const auto& map = orderedMap();
  for (auto _ : state) benchmark::DoNotOptimize(mapRangeFor(map));
  perEntry(state);
}
BENCHMARK(BM_MapRangeFor)->Unit(benchmark::kMillisecond);

const auto weighted = [](std::int64_t i, std::int64_t acc, std::int64_t x) { return acc + i * x; };

void BM_MapIfoldlPrime(benchmark::State& state) {
  const auto& map = orderedMap();
  bench::timeChecked(state, "ifoldlPrime over a std::map", mapRangeFor(map),
                     [&] { return keyedwalk::ifoldlPrime(weighted, std::int64_t{0}, map); });
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

std::int64_t elementLoop(const std::vector<std::int64_t>& xs) {
  std::int64_t acc = 0;
  std::int64_t i = 10;
  for (const std::int64_t x : xs) acc += i++ * x;
  return acc;
}

void BM_ElementLoop(benchmark::State& state) {
  const auto& xs = elements();
  for (auto _ : state) benchmark::DoNotOptimize(elementLoop(xs));
  perEntry(state);
}
BENCHMARK(BM_ElementLoop)->Unit(benchmark::kMillisecond);

void BM_ArrayIfoldlPrime(benchmark::State& state) {
  const keyedwalk::Array<std::int64_t, std::int64_t> array({10, kEntries + 9}, elements());
  bench::timeChecked(state, "ifoldlPrime over an Array", elementLoop(elements()),
                     [&] { return keyedwalk::ifoldlPrime(weighted, std::int64_t{0}, array); });
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

// Checks that `m` holds every key mapped to itself and nothing more.
template <class Map>
void verifyFilled(std::string_view what, const Map& m) {
  bool same = m.size() == randomKeys().size();
  for (const auto key : lookupOrder()) {
    if (!same) break;
    if constexpr (requires { m.find(key) == m.end(); }) {
      const auto at = m.find(key);
      same = at != m.end() && at->second == key;
    } else {
      const auto* value = m.find(key);
      same = value != nullptr && *value == key;
    }
  }
  bench::verify(what, same, true);
}

void perKey(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(randomKeys().size()));
}

// Each insertion benchmark fills a map with every key mapped to itself; each lookup benchmark adds
// up the values of every key, which is the sum of the keys.
template <class Map>
Map insertedByStd() {
  Map m;
  for (const auto key : randomKeys()) m.insert_or_assign(key, key);
  return m;
}

// Building in a loop: the map updates in place the nodes it alone holds.
keyedwalk::IntMap<std::int64_t> insertedInPlace() {
  keyedwalk::IntMap<std::int64_t> m;
  for (const auto key : randomKeys()) m = std::move(m).insert(key, key);
  return m;
}

// Every insertion keeps the map before it, a new path of nodes each time.
keyedwalk::IntMap<std::int64_t> insertedPersistently() {
  keyedwalk::IntMap<std::int64_t> m;
  for (const auto key : randomKeys()) {
    const auto before = m;
    m = before.insert(key, key);
  }
  return m;
}

template <class Insert>
void insertion(benchmark::State& state, std::string_view what, Insert insert) {
  verifyFilled(what, insert());
  for (auto _ : state) benchmark::DoNotOptimize(insert().size());
  perKey(state);
}

void BM_InsertStdMap(benchmark::State& state) {
  insertion(state, "std::map", insertedByStd<std::map<std::int64_t, std::int64_t>>);
}
void BM_InsertStdUnorderedMap(benchmark::State& state) {
  insertion(state, "std::unordered_map", insertedByStd<std::unordered_map<std::int64_t, std::int64_t>>);
}
void BM_InsertIntMap(benchmark::State& state) { insertion(state, "IntMap", insertedInPlace); }
void BM_InsertIntMapPersistent(benchmark::State& state) {
  insertion(state, "IntMap kept at every step", insertedPersistently);
}
BENCHMARK(BM_InsertStdMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertStdUnorderedMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertIntMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertIntMapPersistent)->Unit(benchmark::kMillisecond);

// Added as unsigned numbers: the keys span the whole range, and the sum wraps around.
std::uint64_t sumOfKeys() {
  std::uint64_t sum = 0;
  for (const auto key : randomKeys()) sum += static_cast<std::uint64_t>(key);
  return sum;
}

template <class Map, class Find>
void lookup(benchmark::State& state, std::string_view what, const Map& m, Find find) {
  bench::timeChecked(state, what, sumOfKeys(), [&] {
    std::uint64_t sum = 0;
    for (const auto key : lookupOrder()) sum += static_cast<std::uint64_t>(find(m, key));
    return sum;
  });
  perKey(state);
}

const auto findInStd = [](const auto& m, std::int64_t key) { return m.find(key)->second; };

void BM_LookupStdMap(benchmark::State& state) {
  lookup(state, "std::map", insertedByStd<std::map<std::int64_t, std::int64_t>>(), findInStd);
}
void BM_LookupStdUnorderedMap(benchmark::State& state) {
  lookup(state, "std::unordered_map", insertedByStd<std::unordered_map<std::int64_t, std::int64_t>>(),
         findInStd);
}
void BM_LookupIntMap(benchmark::State& state) {
  lookup(state, "IntMap", insertedInPlace(),
         [](const keyedwalk::IntMap<std::int64_t>& m, std::int64_t key) { return *m.find(key); });
}
BENCHMARK(BM_LookupStdMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LookupStdUnorderedMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LookupIntMap)->Unit(benchmark::kMillisecond);

}  // namespace
