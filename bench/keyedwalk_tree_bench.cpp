// keyedwalk::Tree walks, per node, on a path-shaped tree (each node has one child) and on a wide
// one (a root with n leaves), against the walk a user would write by hand: a pre-order loop with
// an explicit stack.
//
// Each benchmark reports items per second, one item per node, at two sizes of each shape: the
// time per node stays flat as the tree grows, deep or wide, because a callback that ignores its
// path never has it built.
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

struct SumMonoid : fp::MonoidDefaults<SumMonoid> {
  using Value = std::int64_t;
  static std::int64_t mempty() noexcept { return 0; }
  template <class Rhs>
  static std::int64_t append(std::int64_t a, Rhs&& b) {
    return a + b();
  }
};

template <class Walk>
void perNode(benchmark::State& state, Walk walk) {
  const auto shape = static_cast<Shape>(state.range(0));
  const std::int64_t n = state.range(1);
  const Tree& t = tree(shape, n);
  for (auto _ : state) benchmark::DoNotOptimize(walk(t));
  state.SetItemsProcessed(state.iterations() * n);
  state.SetLabel(shape == kPath ? "path" : "wide");
}

// Σ labels, with a callback that takes the path and ignores it.
const auto label = [](const TreePath&, std::int64_t x) { return x; };
const auto plus = [](const TreePath&, std::int64_t acc, std::int64_t x) { return acc + x; };

// The pre-order walk by hand: a stack of children lists still to visit. Like the callbacks below,
// it has no use for the paths, so it keeps none (the library builds a path only when it is read).
void BM_HandWritten(benchmark::State& state) {
  perNode(state, [](const Tree& t) {
    std::int64_t sum = t.label();
    std::vector<fp::List<Tree>> pending{t.children()};
    while (!pending.empty()) {
      fp::List<Tree>& rest = pending.back();
      if (rest.empty()) {
        pending.pop_back();
        continue;
      }
      const Tree& node = rest.head();
      sum += node.label();
      fp::List<Tree> children = node.children();
      rest = rest.tail();
      if (!children.empty()) pending.push_back(std::move(children));
    }
    return sum;
  });
}

void BM_IfoldlPrime(benchmark::State& state) {
  perNode(state, [](const Tree& t) { return keyedwalk::ifoldlPrime(plus, std::int64_t{0}, t); });
}
void BM_IfoldMapSum(benchmark::State& state) {
  perNode(state, [](const Tree& t) { return keyedwalk::ifoldMap(SumMonoid{}, label, t); });
}
void BM_IfoldrForced(benchmark::State& state) {
  perNode(state, [](const Tree& t) {
    return keyedwalk::ifoldr([](const TreePath&, std::int64_t x, std::int64_t acc) { return acc + x; },
                             std::int64_t{0}, t);
  });
}
void BM_ItoListConsumed(benchmark::State& state) {
  perNode(state, [](const Tree& t) {
    std::int64_t sum = 0;
    for (const auto& entry : fp::consume(keyedwalk::itoList(t))) sum += entry.second;
    return sum;
  });
}
void BM_ImapThenFold(benchmark::State& state) {
  perNode(state, [](const Tree& t) {
    return keyedwalk::ifoldlPrime(plus, std::int64_t{0}, keyedwalk::imap(label, t));
  });
}

void shapes(benchmark::internal::Benchmark* b) {
  b->Args({kPath, 10'000})->Args({kPath, 100'000})->Args({kWide, 100'000})->Args({kWide, 1'000'000});
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_HandWritten)->Apply(shapes);
BENCHMARK(BM_IfoldlPrime)->Apply(shapes);
BENCHMARK(BM_IfoldMapSum)->Apply(shapes);
BENCHMARK(BM_IfoldrForced)->Apply(shapes);
BENCHMARK(BM_ItoListConsumed)->Apply(shapes);
BENCHMARK(BM_ImapThenFold)->Apply(shapes);

}  // namespace
