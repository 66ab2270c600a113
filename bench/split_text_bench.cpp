// split over contiguous text against what a C++ programmer would use instead: absl::StrSplit,
// std::views::split (range-v3's split_when where the delimiter is a set or a predicate, which
// std::views::split cannot take), and a hand-written std::string_view::find loop; and the list
// engine over a list made from the same text. clang++ 14 cannot compile the standard views over
// libstdc++ 12: built with it, the splitOn row of the ranges column is range-v3's split instead.
//
// Run: build with -DFP_BUILD_BENCH=ON, then
//   split_text_bench --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
// and compare the medians of a pair (interleaving keeps a noisy machine from favouring one side).
// Each operation splits 64 MiB of text with short fields (about 8 bytes, argument 8) or long
// ones (about 100 bytes, argument 100), and splitOn also "field0, field1, ..." (argument 0),
// and walks every piece; all of them report bytes per
// second, and each checks once that it finds the same pieces as the hand-written loop. The text
// is made on first use, one at a time, so that the process holds one text and not six.
#include <benchmark/benchmark.h>

#include <absl/strings/str_split.h>

#include <cstdint>
#include <optional>
#include <range/v3/range/operations.hpp>
#include <range/v3/view/filter.hpp>
#include <range/v3/view/split.hpp>
#include <range/v3/view/split_when.hpp>
#include <ranges>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "fp/consume.hpp"
#include "split/split.hpp"

namespace {

constexpr std::size_t kTextBytes = 64 << 20;

enum class Separators { CommaSpace, CommaOrSemicolon, Blanks, NumberedFields };

// Fields of letters of about `fieldBytes` (uniform between half and one and a half times),
// separated by ", ", by one of ',' and ';', or by runs of one to three blanks and tabs.
const std::string& textOf(Separators kind, int fieldBytes) {
  static std::optional<std::pair<Separators, int>> madeFor;
  static std::string text;
  if (madeFor == std::pair(kind, fieldBytes)) return text;
  text.clear();
  text.shrink_to_fit();
  text.reserve(kTextBytes + 512);
  std::uint64_t state = 0x9E3779B97F4A7C15u;
  const auto random = [&state](std::uint64_t n) {  // xorshift: plenty for text, and fast
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state % n;
  };
  if (kind == Separators::NumberedFields) {
    // "field0, field1, field2, ...": fields of growing length that differ in their last digits.
    for (std::uint64_t n = 0; text.size() < kTextBytes; ++n) {
      if (n > 0) text += ", ";
      text += "field" + std::to_string(n);
    }
    madeFor = std::pair(kind, fieldBytes);
    return text;
  }
  // The text ends with a field: where a separator ends it, splitters differ on a last empty piece.
  for (;;) {
    for (auto n = std::uint64_t(fieldBytes / 2) + random(std::uint64_t(fieldBytes) + 1); n > 0; --n)
      text += char('a' + random(26));
    if (text.size() >= kTextBytes) break;
    switch (kind) {
      case Separators::CommaSpace:
        text += ", ";
        break;
      case Separators::CommaOrSemicolon:
        text += random(2) ? ',' : ';';
        break;
      case Separators::Blanks:
        for (auto n = 1 + random(3); n > 0; --n) text += random(2) ? ' ' : '\t';
        break;
      case Separators::NumberedFields:
        break;
    }
  }
  madeFor = std::pair(kind, fieldBytes);
  return text;
}

// isspace in the C locale, as a function object: the loop and split's wordsBy both inline it.
constexpr auto isBlank = [](char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
};
constexpr std::string_view kBlanks = " \t\n\v\f\r";

// What every contender does with a piece: count it and add up its size and its address, so
// that no piece can go uncomputed. (A benchmark::DoNotOptimize per piece would put a full
// compiler barrier into every loop, which costs a splitter that keeps its state in an iterator,
// as Abseil's and this library's do, far more than it costs a loop whose state is in registers,
// and which no real loop body has.)
struct Tally {
  std::int64_t pieces = 0;
  std::int64_t bytes = 0;
  std::uintptr_t addresses = 0;  // differs where a contender places empty pieces elsewhere
  void add(const char* data, std::size_t n) {
    ++pieces, bytes += std::int64_t(n);
    addresses += reinterpret_cast<std::uintptr_t>(data);
  }
  bool operator==(const Tally& other) const {
    return pieces == other.pieces && bytes == other.bytes;
  }
};

// This build of Abseil has a string view of its own.
absl::string_view toAbsl(std::string_view s) { return {s.data(), s.size()}; }

template <class Pieces>
Tally walk(Pieces&& pieces) {
  Tally t;
  for (auto&& piece : pieces) {
    if constexpr (requires { piece.data(); }) {
      t.add(piece.data(), piece.size());
    } else {
      const auto n = std::size_t(::ranges::distance(piece));
      t.add(n ? &*::ranges::begin(piece) : nullptr, n);
    }
  }
  return t;
}

// The hand-written loops.
Tally loopSplitOn(std::string_view text, std::string_view sep) {
  Tally t;
  for (std::size_t at = 0;;) {
    const std::size_t end = text.find(sep, at);
    const std::string_view piece = text.substr(at, end == text.npos ? text.npos : end - at);
    t.add(piece.data(), piece.size());
    if (end == text.npos) return t;
    at = end + sep.size();
  }
}

Tally loopSplitOneOf(std::string_view text, std::string_view any) {
  Tally t;
  for (std::size_t at = 0;;) {
    const std::size_t end = text.find_first_of(any, at);
    const std::string_view piece = text.substr(at, end == text.npos ? text.npos : end - at);
    t.add(piece.data(), piece.size());
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
    t.add(word, std::size_t(p - word));
  }
}

// The three operations, each as every contender performs it.
struct SplitOn {
  static constexpr Separators kText = Separators::CommaSpace;
  static Tally loop(std::string_view s) { return loopSplitOn(s, ", "); }
  static Tally library(std::string_view s) { return walk(split::splitOn(", ", s)); }
  static Tally abseil(std::string_view s) { return walk(absl::StrSplit(toAbsl(s), ", ")); }
  static Tally standard(std::string_view s) {
#if !defined(__clang__)
    return walk(s | std::views::split(std::string_view(", ")));
#else
    return walk(s | ::ranges::views::split(std::string_view(", ")));
#endif
  }
  static Tally list(const fp::String& s) { return walkList(split::splitOn(", ", s)); }
  static Tally walkList(fp::List<fp::List<char>> pieces);
};
// splitOn(", ") over "field0, field1, ...", whose fields are not random letters.
struct SplitOnNumbered : SplitOn {
  static constexpr Separators kText = Separators::NumberedFields;
};
struct SplitOneOf {
  static constexpr Separators kText = Separators::CommaOrSemicolon;
  static Tally loop(std::string_view s) { return loopSplitOneOf(s, ",;"); }
  static Tally library(std::string_view s) { return walk(split::splitOneOf(",;", s)); }
  static Tally abseil(std::string_view s) {
    return walk(absl::StrSplit(toAbsl(s), absl::ByAnyChar(",;")));
  }
  static Tally standard(std::string_view s) {
    return walk(s | ::ranges::views::split_when([](char c) { return c == ',' || c == ';'; }));
  }
  static Tally list(const fp::String& s) { return SplitOn::walkList(split::splitOneOf(",;", s)); }
};
struct WordsBy {
  static constexpr Separators kText = Separators::Blanks;
  static Tally loop(std::string_view s) { return loopWords(s); }
  static Tally library(std::string_view s) { return walk(split::wordsBy(split::isSpace, s)); }
  static Tally abseil(std::string_view s) {
    return walk(absl::StrSplit(toAbsl(s), absl::ByAnyChar(toAbsl(kBlanks)), absl::SkipEmpty()));
  }
  static Tally standard(std::string_view s) {
    return walk(s | ::ranges::views::split_when(isBlank) |
                ::ranges::views::filter([](const auto& word) { return !::ranges::empty(word); }));
  }
  static Tally list(const fp::String& s) {
    return SplitOn::walkList(split::wordsBy(split::isSpace, s));
  }
};

Tally SplitOn::walkList(fp::List<fp::List<char>> pieces) {
  Tally t;
  for (const fp::List<char>& piece : fp::consume(std::move(pieces))) {
    std::size_t n = 0;
    const char* first = nullptr;
    for (std::span<const char> run : piece.runs()) {
      if (!first) first = run.data();
      n += run.size();
    }
    t.add(first, n);
  }
  return t;
}

// Runs `contender` over the text of `Op`, once checked against the loop.
template <class Op, class Contender>
void run(benchmark::State& state, Contender contender) {
  const std::string& text = textOf(Op::kText, int(state.range(0)));
  if (contender(text) != Op::loop(text)) {
    state.SkipWithError("the pieces differ from the hand-written loop's");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(contender(text));
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

template <class Op>
void BM_Loop(benchmark::State& state) {
  run<Op>(state, [](std::string_view s) { return Op::loop(s); });
}
template <class Op>
void BM_Split(benchmark::State& state) {
  run<Op>(state, [](std::string_view s) { return Op::library(s); });
}
template <class Op>
void BM_Abseil(benchmark::State& state) {
  run<Op>(state, [](std::string_view s) { return Op::abseil(s); });
}
template <class Op>
void BM_Ranges(benchmark::State& state) {
  run<Op>(state, [](std::string_view s) { return Op::standard(s); });
}
// The list engine splits an fp::String made from the text: one buffer.
template <class Op>
void BM_List(benchmark::State& state) {
  const std::string& text = textOf(Op::kText, int(state.range(0)));
  const fp::String input = fp::String::from(std::string(text));
  if (Op::list(input) != Op::loop(text)) {
    state.SkipWithError("the pieces differ from the hand-written loop's");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(Op::list(input));
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

#define SPLIT_BENCH(Op)                                                                        \
  BENCHMARK_TEMPLATE(BM_Split, Op)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond);          \
  BENCHMARK_TEMPLATE(BM_Abseil, Op)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond);         \
  BENCHMARK_TEMPLATE(BM_Ranges, Op)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond);         \
  BENCHMARK_TEMPLATE(BM_Loop, Op)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond);           \
  BENCHMARK_TEMPLATE(BM_List, Op)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond)
SPLIT_BENCH(SplitOn);
BENCHMARK_TEMPLATE(BM_Split, SplitOnNumbered)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Loop, SplitOnNumbered)->Arg(0)->Unit(benchmark::kMillisecond);
SPLIT_BENCH(SplitOneOf);
SPLIT_BENCH(WordsBy);

}  // namespace
