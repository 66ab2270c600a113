// fp::List against the plain loops and containers a user would write instead.
//
// Run: build with -DFP_BUILD_BENCH=ON, then
//   list_bench --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
// Each pair runs in one process, interleaved, so the ratio between them holds on a noisy
// machine. The yardstick of the on-demand rows is a singly linked list written by hand, a
// node per element made with `new` and freed with `delete`.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdint>
#include <numeric>
#include <utility>
#include <vector>

#include "fp/consume.hpp"
#include "fp/generate.hpp"
#include "fp/list.hpp"
#include "verify.hpp"

namespace {

constexpr std::int64_t kCells = 1'000'000;

// 0 + 1 + ... + n: what every walk below adds up.
constexpr std::int64_t sumUpTo(std::int64_t n) { return n * (n + 1) / 2; }

// The hand-written list: built from the back, walked, and freed node by node.
void BM_HandWrittenListBuildWalkAndDrop(benchmark::State& state) {
  struct Node {
    std::int64_t value;
    Node* next;
  };
  bench::timeChecked(state, "the hand-written list", sumUpTo(kCells), [] {
    Node* xs = nullptr;
    for (std::int64_t i = kCells; i > 0; --i) xs = new Node{i, xs};
    benchmark::DoNotOptimize(xs);
    std::int64_t sum = 0;
    for (const Node* n = xs; n; n = n->next) sum += n->value;
    while (xs) delete std::exchange(xs, xs->next);
    return sum;
  });
  state.SetItemsProcessed(state.iterations() * kCells);
}
BENCHMARK(BM_HandWrittenListBuildWalkAndDrop)->Unit(benchmark::kMillisecond);

// Builds a list cell by cell with `cons` (from the back), walks it and drops it.
void BM_ConsBuildWalkAndDrop(benchmark::State& state) {
  bench::timeChecked(state, "a list built with cons", sumUpTo(kCells), [] {
    fp::List<std::int64_t> xs;
    for (std::int64_t i = kCells; i > 0; --i) xs = fp::List<std::int64_t>::cons(i, std::move(xs));
    std::int64_t sum = 0;
    for (std::int64_t x : xs) sum += x;
    return sum;
  });
  state.SetItemsProcessed(state.iterations() * kCells);
}
BENCHMARK(BM_ConsBuildWalkAndDrop)->Unit(benchmark::kMillisecond);

// Builds a list on demand, each cell suspended with `lazy`, and walks it once with `consume`.
fp::List<std::int64_t> countFrom(std::int64_t i, std::int64_t end) {
  return fp::List<std::int64_t>::lazy([i, end] {
    return i == end ? fp::List<std::int64_t>()
                    : fp::List<std::int64_t>::cons(i, countFrom(i + 1, end));
  });
}
void BM_LazyBuildAndConsume(benchmark::State& state) {
  bench::timeChecked(state, "a list built lazily", sumUpTo(kCells - 1), [] {
    std::int64_t sum = 0;
    for (std::int64_t x : fp::consume(countFrom(0, kCells))) sum += x;
    return sum;
  });
  state.SetItemsProcessed(state.iterations() * kCells);
}
BENCHMARK(BM_LazyBuildAndConsume)->Unit(benchmark::kMillisecond);

// The same through the generator and `take`, two suspended layers per cell.
void BM_IotaTakeConsume(benchmark::State& state) {
  bench::timeChecked(state, "iota(0).take(n)", sumUpTo(kCells - 1), [] {
    std::int64_t sum = 0;
    for (std::int64_t x : fp::consume(fp::iota<std::int64_t>(0).take(kCells))) sum += x;
    return sum;
  });
  state.SetItemsProcessed(state.iterations() * kCells);
}
BENCHMARK(BM_IotaTakeConsume)->Unit(benchmark::kMillisecond);

// The peer of the three above: a std::vector filled and summed.
void BM_VectorBuildAndWalk(benchmark::State& state) {
  bench::timeChecked(state, "the vector", sumUpTo(kCells - 1), [] {
    std::vector<std::int64_t> xs;
    for (std::int64_t i = 0; i < kCells; ++i) xs.push_back(i);
    return std::accumulate(xs.begin(), xs.end(), std::int64_t{0});
  });
  state.SetItemsProcessed(state.iterations() * kCells);
}
BENCHMARK(BM_VectorBuildAndWalk)->Unit(benchmark::kMillisecond);

// Walking a list made `from` a vector, against walking the vector itself.
const std::vector<std::int64_t>& numbers() {
  static const std::vector<std::int64_t> xs = [] {
    std::vector<std::int64_t> v(kCells);
    std::iota(v.begin(), v.end(), 0);
    return v;
  }();
  return xs;
}
void BM_WalkListFromVector(benchmark::State& state) {
  const auto xs = fp::List<std::int64_t>::from(numbers());
  bench::timeChecked(state, "a list from a vector", sumUpTo(kCells - 1), [&] {
    std::int64_t sum = 0;
    for (std::int64_t x : xs) sum += x;
    return sum;
  });
  state.SetItemsProcessed(state.iterations() * kCells);
}
BENCHMARK(BM_WalkListFromVector);
void BM_WalkVector(benchmark::State& state) {
  const auto& xs = numbers();
  bench::timeChecked(state, "a vector", sumUpTo(kCells - 1), [&] {
    std::int64_t sum = 0;
    for (std::int64_t x : xs) sum += x;
    return sum;
  });
  state.SetItemsProcessed(state.iterations() * kCells);
}
BENCHMARK(BM_WalkVector);

// A hundred million generated cells consumed; reports the process's peak resident memory.
// Run it alone (--benchmark_filter=Consume100M) for the peak to be this walk's own.
void BM_Consume100M(benchmark::State& state) {
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (std::int64_t x : fp::consume(fp::iota<std::int64_t>(0).take(100'000'000))) sum += x;
    bench::verify("a hundred million cells", sum, sumUpTo(100'000'000 - 1));
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  state.SetItemsProcessed(state.iterations() * 100'000'000);
}
BENCHMARK(BM_Consume100M)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
