// split's list engine against the loop a C++ programmer would write over the same std::string.
//
// Run: build with -DFP_BUILD_BENCH=ON, then ./build-bench/bench/split_bench
// --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true (interleaving keeps a
// noisy machine from favouring one side of a pair). Each operation runs over 16 MiB of text with
// short fields (about 8 bytes, argument 8) and long ones (about 100 bytes, argument 100); the list
// engine splits an fp::String made from the text (one buffer) and walks every piece, the loop finds
// the same pieces as std::string_views. Both report bytes per second, so their ratio is the cost of
// the list engine.
#include <benchmark/benchmark.h>

#include <cctype>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <utility>

#include "fp/consume.hpp"
#include "split/split.hpp"

namespace {

constexpr std::size_t kTextBytes = 16 << 20;

enum class Separators { CommaSpace, CommaOrSemicolon, Blanks };

// Fields of letters of about `fieldBytes` (uniform between half and one and a half times),
// separated by ", ", by one of ',' and ';', or by runs of one to three blanks.
const std::string& textOf(Separators kind, int fieldBytes) {
  static std::map<std::pair<Separators, int>, std::string> made;
  auto& text = made[{kind, fieldBytes}];
  if (!text.empty()) return text;
  std::mt19937 random(42);
  std::uniform_int_distribution<int> length(fieldBytes / 2, fieldBytes + fieldBytes / 2);
  std::uniform_int_distribution<int> letter('a', 'z'), coin(0, 1), blanks(1, 3);
  text.reserve(kTextBytes + 256);
  while (text.size() < kTextBytes) {
    for (int n = length(random); n > 0; --n) text += char(letter(random));
    switch (kind) {
      case Separators::CommaSpace:
        text += ", ";
        break;
      case Separators::CommaOrSemicolon:
        text += coin(random) ? ',' : ';';
        break;
      case Separators::Blanks:
        for (int n = blanks(random); n > 0; --n) text += coin(random) ? ' ' : '\t';
        break;
    }
  }
  return text;
}

bool isBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

struct Tally {
  std::int64_t pieces = 0;
  std::int64_t bytes = 0;
  void add(std::size_t n) { ++pieces, bytes += std::int64_t(n); }
  bool operator==(const Tally&) const = default;
};

Tally walk(fp::List<fp::List<char>> pieces) {
  Tally t;
  for (const fp::List<char>& piece : fp::consume(std::move(pieces))) {
    std::size_t n = 0;
    for (std::span<const char> run : piece.runs()) n += run.size();
    t.add(n);
  }
  return t;
}

// The hand-written loops, giving the pieces of the list operations as string_views.
Tally loopSplitOn(std::string_view text, std::string_view sep) {
  Tally t;
  for (std::size_t at = 0;;) {
    const std::size_t end = text.find(sep, at);
    const std::string_view piece = text.substr(at, end == text.npos ? text.npos : end - at);
    benchmark::DoNotOptimize(piece.data());
    t.add(piece.size());
    if (end == text.npos) return t;
    at = end + sep.size();
  }
}

Tally loopSplitOneOf(std::string_view text, std::string_view any) {
  Tally t;
  for (std::size_t at = 0;;) {
    const std::size_t end = text.find_first_of(any, at);
    const std::string_view piece = text.substr(at, end == text.npos ? text.npos : end - at);
    benchmark::DoNotOptimize(piece.data());
    t.add(piece.size());
    if (end == text.npos) return t;
    at = end + 1;
  }
}

Tally loopWords(std::string_view text) {
  Tally t;
  const char* p = text.data();
  const char* const end = p + text.size();
  while (true) {
    while (p != end && isBlank(*p)) ++p;
    if (p == end) return t;
    const char* word = p;
    while (p != end && !isBlank(*p)) ++p;
    benchmark::DoNotOptimize(word);
    t.add(std::size_t(p - word));
  }
}

template <class List, class Loop>
void run(benchmark::State& state, Separators kind, List list, Loop loop) {
  const std::string& text = textOf(kind, int(state.range(0)));
  const fp::String input = fp::String::from(text);
  if (list(input) != loop(text)) state.SkipWithError("the list engine and the loop disagree");
  for (auto _ : state) benchmark::DoNotOptimize(list(input));
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

template <class Loop>
void runLoop(benchmark::State& state, Separators kind, Loop loop) {
  const std::string& text = textOf(kind, int(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(loop(text));
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

void BM_SplitOn_List(benchmark::State& state) {
  run(
      state, Separators::CommaSpace,
      [](const fp::String& s) { return walk(split::splitOn(", ", s)); },
      [](std::string_view s) { return loopSplitOn(s, ", "); });
}
void BM_SplitOn_Loop(benchmark::State& state) {
  runLoop(state, Separators::CommaSpace, [](std::string_view s) { return loopSplitOn(s, ", "); });
}
void BM_SplitOneOf_List(benchmark::State& state) {
  run(
      state, Separators::CommaOrSemicolon,
      [](const fp::String& s) { return walk(split::splitOneOf(",;", s)); },
      [](std::string_view s) { return loopSplitOneOf(s, ",;"); });
}
void BM_SplitOneOf_Loop(benchmark::State& state) {
  runLoop(state, Separators::CommaOrSemicolon,
          [](std::string_view s) { return loopSplitOneOf(s, ",;"); });
}
void BM_WordsBy_List(benchmark::State& state) {
  run(
      state, Separators::Blanks,
      [](const fp::String& s) { return walk(split::wordsBy(isBlank, s)); },
      [](std::string_view s) { return loopWords(s); });
}
void BM_WordsBy_Loop(benchmark::State& state) {
  runLoop(state, Separators::Blanks, [](std::string_view s) { return loopWords(s); });
}

BENCHMARK(BM_SplitOn_List)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitOn_Loop)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitOneOf_List)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitOneOf_Loop)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WordsBy_List)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WordsBy_Loop)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
