// keyedwalk::Tree walks, per node, on a path-shaped tree (each node has one child) and on a wide
// one (a root with n leaves), against the walk a user would write by hand: a pre-order loop with
// an explicit stack.
//
// Each benchmark reports items per second, one item per node, at two sizes of each shape: the
// time per node stays flat as the tree grows, deep or wide, because a callback that ignores its
// path never has it built. The last pair reads the path at every node, by hand and through the
// library.
//
// Run: build with -DFP_BUILD_BENCH=ON, then
//   ./keyedwalk_tree_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// and compare the medians of each keyedwalk benchmark with BM_HandWritten at the same shape and
// size (same run, so the ratio holds on a noisy machine).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "fp/consume.hpp"
#include "keyedwalk/foldable.hpp"
#include "keyedwalk/tree.hpp"
#include "verify.hpp"
#include "fp/testing/monoids.hpp"

namespace {

using Tree = keyedwalk::Tree<std::int64_t>;
using keyedwalk::TreePath;

enum Shape : std::int64_t { kPath, kWide };

Tree build(Shape shape, std::int64_t n) {
  if (shape == kPath) {
    Tree t(n - 1);
    for (std::int64_t depth = n - 1; depth-- > 0;) t = Tree(depth, {t});
    return t;
  }
  std::vector<Tree> leaves;
  leaves.reserve(static_cast<std::size_t>(n - 1));
  for (std::int64_t i = 1; i < n; ++i) leaves.emplace_back(i);
  return Tree(0, fp::List<Tree>::from(std::move(leaves)));
}

// One tree of each shape and size, built once: n nodes in all.
const Tree& tree(Shape shape, std::int64_t n) {
  static std::map<std::pair<Shape, std::int64_t>, Tree> built;
  auto at = built.find({shape, n});
  if (at == built.end()) at = built.emplace(std::pair(shape, n), build(shape, n)).first;
  return at->second;
}

using fp::testing::SumMonoid;

// Times `walk` over the tree of the benchmark's shape and size, once checked against `want(t)`.
template <class Want, class Walk>
void perNode(benchmark::State& state, Want want, Walk walk) {
  const auto shape = static_cast<Shape>(state.range(0));
  const std::int64_t n = state.range(1);
  const Tree& t = tree(shape, n);
  bench::timeChecked(state, "a tree walk", want(t), [&] { return walk(t); });
  state.SetItemsProcessed(state.iterations() * n);
  state.SetLabel(shape == kPath ? "path" : "wide");
}

// Σ labels by hand: a pre-order walk with a stack of the children lists still to visit. Like the
// callbacks that ignore their path, it keeps no path (the library builds one only when it is
// read), and it holds the lists by reference, as a user's loop would.
std::int64_t handWritten(const Tree& t) {
  std::int64_t sum = t.label();
  std::vector<std::pair<fp::List<Tree>::iterator, fp::List<Tree>::iterator>> pending;
  pending.emplace_back(t.children().begin(), t.children().end());
  while (!pending.empty()) {
    auto& [at, end] = pending.back();
    if (at == end) {
      pending.pop_back();
      continue;
    }
    const Tree& node = *at;
    ++at;
    sum += node.label();
    if (!node.children().empty()) pending.emplace_back(node.children().begin(), node.children().end());
  }
  return sum;
}

// Σ label * (1 + Σ path) by hand, for callbacks that read their path: the same walk keeping the
// path of the node it visits, a child's position at each level below the root.
std::int64_t pathWeight(const std::vector<std::int64_t>& path) {
  std::int64_t w = 1;
  for (const std::int64_t step : path) w += step;
  return w;
}
std::int64_t handWrittenWithPaths(const Tree& t) {
  std::int64_t sum = t.label();
  struct Level {
    fp::List<Tree>::iterator at, end;
    std::int64_t position;
  };
  std::vector<Level> pending{{t.children().begin(), t.children().end(), 0}};
  std::vector<std::int64_t> path;
  while (!pending.empty()) {
    Level& level = pending.back();
    if (level.at == level.end) {
      pending.pop_back();
      if (!path.empty()) path.pop_back();
      continue;
    }
    const Tree& node = *level.at;
    ++level.at;
    path.push_back(level.position++);
    sum += node.label() * pathWeight(path);
    if (node.children().empty()) {
      path.pop_back();
    } else {
      pending.push_back({node.children().begin(), node.children().end(), 0});
    }
  }
  return sum;
}

// Σ labels, with a callback that takes the path and ignores it.
const auto label = [](const TreePath&, std::int64_t x) { return x; };
const auto plus = [](const TreePath&, std::int64_t acc, std::int64_t x) { return acc + x; };

void BM_HandWritten(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(handWritten(tree(Shape(state.range(0)), state.range(1))));
  state.SetItemsProcessed(state.iterations() * state.range(1));
}
void BM_IfoldlPrime(benchmark::State& state) {
  perNode(state, handWritten, [](const Tree& t) { return keyedwalk::ifoldlPrime(plus, std::int64_t{0}, t); });
}
void BM_IfoldMapSum(benchmark::State& state) {
  perNode(state, handWritten, [](const Tree& t) { return keyedwalk::ifoldMap(SumMonoid{}, label, t); });
}
void BM_IfoldrForced(benchmark::State& state) {
  perNode(state, handWritten, [](const Tree& t) {
    return keyedwalk::ifoldr([](const TreePath&, std::int64_t x, std::int64_t acc) { return acc + x; },
                             std::int64_t{0}, t);
  });
}
void BM_ItoListConsumed(benchmark::State& state) {
  perNode(state, handWritten, [](const Tree& t) {
    std::int64_t sum = 0;
    for (const auto& entry : fp::consume(keyedwalk::itoList(t))) sum += entry.second;
    return sum;
  });
}
void BM_ImapThenFold(benchmark::State& state) {
  perNode(state, handWritten, [](const Tree& t) {
    return keyedwalk::ifoldlPrime(plus, std::int64_t{0}, keyedwalk::imap(label, t));
  });
}

// The path read at every node: both sides walk it, so a path-shaped tree costs its depth per node.
void BM_HandWrittenWithPaths(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(handWrittenWithPaths(tree(Shape(state.range(0)), state.range(1))));
  state.SetItemsProcessed(state.iterations() * state.range(1));
}
void BM_IfoldlPrimeReadingPaths(benchmark::State& state) {
  perNode(state, handWrittenWithPaths, [](const Tree& t) {
    return keyedwalk::ifoldlPrime(
        [](const TreePath& path, std::int64_t acc, std::int64_t x) {
          std::int64_t w = 1;
          for (const std::int64_t step : path) w += step;
          return acc + x * w;
        },
        std::int64_t{0}, t);
  });
}

void shapes(benchmark::internal::Benchmark* b) {
  b->Args({kPath, 10'000})->Args({kPath, 100'000})->Args({kWide, 100'000})->Args({kWide, 1'000'000});
  b->Unit(benchmark::kMillisecond);
}
// Reading the whole path at every node is quadratic in the depth: path-shaped trees stay small.
void shapesReadingPaths(benchmark::internal::Benchmark* b) {
  b->Args({kPath, 1'000})->Args({kPath, 10'000})->Args({kWide, 100'000})->Args({kWide, 1'000'000});
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_HandWritten)->Apply(shapes);
BENCHMARK(BM_IfoldlPrime)->Apply(shapes);
BENCHMARK(BM_IfoldMapSum)->Apply(shapes);
BENCHMARK(BM_IfoldrForced)->Apply(shapes);
BENCHMARK(BM_ItoListConsumed)->Apply(shapes);
BENCHMARK(BM_ImapThenFold)->Apply(shapes);
BENCHMARK(BM_HandWrittenWithPaths)->Apply(shapesReadingPaths);
BENCHMARK(BM_IfoldlPrimeReadingPaths)->Apply(shapesReadingPaths);

}  // namespace
