// keyedwalk's generic paths: the strict folds of the combined and wrapped kinds against the
// nested loop a user would write, imapAccumR against imapAccumL, and how each family of
// operations grows from n to 2n elements.
//
// Run: build with -DFP_BUILD_BENCH=ON, then
//   ./keyedwalk_generic_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// and compare, in the same run: each BM_IfoldlPrime row with the BM_Loop row of the same kind,
// BM_ImapAccumR with BM_ImapAccumL, and each BM_Family row at 2n with the same row at n (the
// time should grow no more than linearly).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "fp/consume.hpp"
#include "fp/effects.hpp"
#include "fp/state.hpp"
#include "keyedwalk/core.hpp"
#include "keyedwalk/foldable.hpp"
#include "keyedwalk/traversable.hpp"
#include "verify.hpp"
#include "fp/testing/monoids.hpp"
#include "keyedwalk/testing/one_operation.hpp"

namespace {

using Int = std::int64_t;
constexpr Int kElements = 1'000'000;

std::vector<Int> upTo(Int n) {
  std::vector<Int> xs(static_cast<std::size_t>(n));
  std::iota(xs.begin(), xs.end(), Int{0});
  return xs;
}

// Rows of 1,000 elements.
std::vector<std::vector<Int>> grid() {
  std::vector<std::vector<Int>> rows;
  for (Int x = 0; x < kElements; x += 1000) {
    rows.emplace_back(1000);
    std::iota(rows.back().begin(), rows.back().end(), x);
  }
  return rows;
}

void perElement(benchmark::State& state, Int n) { state.SetItemsProcessed(state.iterations() * n); }

const auto weighted = [](const auto&, Int acc, Int x) { return acc + 3 * x; };

// Σ 3x over the elements, by the library and by hand, for each kind.

Int loopCompose(const std::vector<std::vector<Int>>& rows) {
  Int acc = 0;
  for (const auto& row : rows)
    for (Int x : row) acc += 3 * x;
  return acc;
}
void BM_LoopCompose(benchmark::State& state) {
  const auto rows = grid();
  for (auto _ : state) benchmark::DoNotOptimize(loopCompose(rows));
  perElement(state, kElements);
}
void BM_IfoldlPrimeCompose(benchmark::State& state) {
  const keyedwalk::Compose composed{grid()};
  bench::timeChecked(state, "ifoldlPrime over a Compose", loopCompose(grid()),
                     [&] { return keyedwalk::ifoldlPrime(weighted, Int{0}, composed); });
  perElement(state, kElements);
}

Int loopReverse(const std::vector<Int>& xs) {
  Int acc = 0;
  for (auto at = xs.rbegin(); at != xs.rend(); ++at) acc += 3 * *at;
  return acc;
}
void BM_LoopReverse(benchmark::State& state) {
  const auto xs = upTo(kElements);
  for (auto _ : state) benchmark::DoNotOptimize(loopReverse(xs));
  perElement(state, kElements);
}
void BM_IfoldlPrimeReverse(benchmark::State& state) {
  const keyedwalk::Reverse reversed{upTo(kElements)};
  bench::timeChecked(state, "ifoldlPrime over a Reverse", loopReverse(upTo(kElements)),
                     [&] { return keyedwalk::ifoldlPrime(weighted, Int{0}, reversed); });
  perElement(state, kElements);
}

Int loopProduct(const std::vector<Int>& first, const std::vector<Int>& second) {
  Int acc = 0;
  for (Int x : first) acc += 3 * x;
  for (Int x : second) acc += 3 * x;
  return acc;
}
void BM_LoopProduct(benchmark::State& state) {
  const auto first = upTo(kElements / 2), second = upTo(kElements / 2);
  for (auto _ : state) benchmark::DoNotOptimize(loopProduct(first, second));
  perElement(state, kElements);
}
void BM_IfoldlPrimeProduct(benchmark::State& state) {
  const keyedwalk::Product both{upTo(kElements / 2), upTo(kElements / 2)};
  bench::timeChecked(state, "ifoldlPrime over a Product", loopProduct(both.first, both.second),
                     [&] { return keyedwalk::ifoldlPrime(weighted, Int{0}, both); });
  perElement(state, kElements);
}

BENCHMARK(BM_LoopCompose)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IfoldlPrimeCompose)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoopReverse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IfoldlPrimeReverse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoopProduct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IfoldlPrimeProduct)->Unit(benchmark::kMillisecond);

// The accumulating maps over a vector: each element numbered by the accumulator, from the left
// by imapAccumL and from the right by imapAccumR.
const auto numbered = [](const auto&, Int s, Int) { return std::pair(s + 1, s); };

template <class Accumulate>
void accumulating(benchmark::State& state, std::string_view what, bool fromTheRight,
                  Accumulate accumulate) {
  const Int n = state.range(0);
  const auto xs = upTo(n);
  auto numbers = upTo(n);
  if (fromTheRight) std::reverse(numbers.begin(), numbers.end());
  {
    auto [count, out] = accumulate(xs);
    bench::verify(what, std::pair(count.get(), std::vector<Int>(out.begin(), out.end())), std::pair(n, numbers));
  }
  for (auto _ : state) {
    auto [count, out] = accumulate(xs);
    benchmark::DoNotOptimize(count.get());
  }
  perElement(state, n);
}
void BM_ImapAccumL(benchmark::State& state) {
  accumulating(state, "imapAccumL", false,
               [](const std::vector<Int>& xs) { return keyedwalk::imapAccumL(numbered, Int{0}, xs); });
}
void BM_ImapAccumR(benchmark::State& state) {
  accumulating(state, "imapAccumR", true,
               [](const std::vector<Int>& xs) { return keyedwalk::imapAccumR(numbered, Int{0}, xs); });
}
BENCHMARK(BM_ImapAccumL)->Arg(kElements / 2)->Arg(kElements)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImapAccumR)->Arg(kElements / 2)->Arg(kElements)->Unit(benchmark::kMillisecond);

// The other families at n and 2n, over a vector, a Reverse of one (whose folds used to nest) and
// a kind that gives only ifoldMap (whose folds are all defaults).

// Every family below computes Σ x, or Σ 3x for ifoldlPrime, over 0 .. n-1.
template <class Make, class Run>
void family(benchmark::State& state, Make make, Run run, Int weight) {
  const Int n = state.range(0);
  const auto c = make(upTo(n));
  bench::timeChecked(state, "a family", weight * (n * (n - 1) / 2), [&] { return run(c); });
  perElement(state, n);
}

const auto asVector = [](std::vector<Int> xs) { return xs; };
const auto asReverse = [](std::vector<Int> xs) { return keyedwalk::Reverse{std::move(xs)}; };
const auto asOnlyFoldMap = [](std::vector<Int> xs) { return keyedwalk::testing::OnlyFoldMap{std::move(xs)}; };

const auto ifoldrForced = [](const auto& c) {
  return keyedwalk::ifoldr([](const auto&, Int x, Int rest) { return rest + x; }, Int{0}, c);
};
const auto ifoldlForced = [](const auto& c) {
  return keyedwalk::ifoldl([](const auto&, Int acc, Int x) { return acc + x; }, Int{0}, c);
};
const auto ifoldMapSum = [](const auto& c) { return keyedwalk::ifoldMap(fp::testing::SumMonoid{}, [](const auto&, Int x) { return x; }, c); };
const auto ifoldlPrime = [](const auto& c) { return keyedwalk::ifoldlPrime(weighted, Int{0}, c); };
const auto itoListRead = [](const auto& c) {
  Int sum = 0;
  for (const auto& entry : fp::consume(keyedwalk::itoList(c))) sum += entry.second;
  return sum;
};
const auto ifoldlMOptional = [](const auto& c) {
  return *keyedwalk::ifoldlM(fp::OptionalEffect{}, [](const auto&, Int acc, Int x) { return std::optional(acc + x); },
                             Int{0}, c);
};
const auto ifoldrMState = [](const auto& c) {
  using Counter = fp::StateEffect<Int>;
  const auto step = [](const auto&, Int x, Int acc) { return Counter::state([=](Int s) { return std::pair(acc + x, s + 1); }); };
  return Counter::evalState(keyedwalk::ifoldrM(Counter{}, step, Int{0}, c), 0);
};
const auto itraverseOptional = [](const auto& c) {
  const auto traversed = keyedwalk::itraverse(fp::OptionalEffect{}, [](const auto&, Int x) { return std::optional(x); }, c);
  return traversed ? keyedwalk::ifoldlPrime([](const auto&, Int acc, Int x) { return acc + x; }, Int{0}, *traversed) : Int{-1};
};
// The lists f(i, x) concatenated, read to the end.
const auto iconcatMapRead = [](const auto& c) {
  Int sum = 0;
  for (Int x : fp::consume(keyedwalk::iconcatMap([](const auto&, Int y) { return fp::List<Int>{y}; }, c))) sum += x;
  return sum;
};

void sizes(benchmark::internal::Benchmark* b) { b->Arg(kElements / 2)->Arg(kElements)->Unit(benchmark::kMillisecond); }

BENCHMARK_CAPTURE(family, IfoldrForcedVector, asVector, ifoldrForced, 1)->Apply(sizes);
BENCHMARK_CAPTURE(family, IfoldrForcedReverse, asReverse, ifoldrForced, 1)->Apply(sizes);
BENCHMARK_CAPTURE(family, IfoldrForcedOnlyFoldMap, asOnlyFoldMap, ifoldrForced, 1)->Apply(sizes);
BENCHMARK_CAPTURE(family, IfoldlForcedVector, asVector, ifoldlForced, 1)->Apply(sizes);
BENCHMARK_CAPTURE(family, IfoldlForcedOnlyFoldMap, asOnlyFoldMap, ifoldlForced, 1)->Apply(sizes);
BENCHMARK_CAPTURE(family, IfoldMapSumVector, asVector, ifoldMapSum, 1)->Apply(sizes);
BENCHMARK_CAPTURE(family, IfoldMapSumReverse, asReverse, ifoldMapSum, 1)->Apply(sizes);
BENCHMARK_CAPTURE(family, IfoldlPrimeOnlyFoldMap, asOnlyFoldMap, ifoldlPrime, 3)->Apply(sizes);
BENCHMARK_CAPTURE(family, ItoListReverse, asReverse, itoListRead, 1)->Apply(sizes);
BENCHMARK_CAPTURE(family, IfoldlMOptionalVector, asVector, ifoldlMOptional, 1)->Apply(sizes);
BENCHMARK_CAPTURE(family, IfoldrMStateVector, asVector, ifoldrMState, 1)->Apply(sizes);
BENCHMARK_CAPTURE(family, ItraverseOptionalReverse, asReverse, itraverseOptional, 1)->Apply(sizes);
BENCHMARK_CAPTURE(family, IconcatMapVector, asVector, iconcatMapRead, 1)->Apply(sizes);
// Reverse runs ifoldMap in the Dual of the list monoid, whose concatenations nest to the left.
BENCHMARK_CAPTURE(family, IconcatMapReverse, asReverse, iconcatMapRead, 1)->Arg(5'000)->Arg(10'000)->Unit(benchmark::kMillisecond);

}  // namespace
