// The benchmarks' result check. Every benchmark runs its contender once before it times it and
// compares what it computed with what the reference (the hand-written loop, or a value worked
// out independently) computes; a difference ends the process with status 1 and says which
// benchmark differed, so that a fast wrong answer fails the run instead of printing a figure.
//
//   void BM_Imap(benchmark::State& state) {
//     bench::timeChecked(state, "imap", handLoop(xs), [&] { return keyedwalk::imap(f, xs); });
//   }
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace bench {

// Ends the process with status 1 unless `got == want`.
template <class Got, class Want>
void verify(std::string_view what, const Got& got, const Want& want) {
  if (got == want) return;
  std::fprintf(stderr, "%.*s: the result differs from the reference's\n", int(what.size()),
               what.data());
  std::exit(1);
}

// Checks one result of `compute()` against `want`, then times `compute()`.
template <class Want, class Compute>
void timeChecked(benchmark::State& state, std::string_view what, const Want& want,
                 Compute&& compute) {
  verify(what, compute(), want);
  for (auto _ : state) benchmark::DoNotOptimize(compute());
}

}  // namespace bench
