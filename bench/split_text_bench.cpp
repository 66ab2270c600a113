// split over contiguous text against what a C++ programmer would use instead: absl::StrSplit,
// std::views::split (range-v3's split_when where the delimiter is a set or a predicate, which
// std::views::split cannot take), and a hand-written std::string_view::find loop; and the list
// engine over the same text as an fp::String made three ways: one buffer, blocks of 4 KiB read
// on demand, and one cell per character. clang++ 14 cannot compile the standard views over
// libstdc++ 12: built with it, the splitOn row of the ranges column is range-v3's split instead.
//
// Run: build with -DFP_BUILD_BENCH=ON, then
//   split_text_bench --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
// and compare the medians of a pair (interleaving keeps a noisy machine from favouring one side).
// Each operation splits 64 MiB of text with short fields (about 8 bytes, argument 8) or long
// ones (about 100 bytes, argument 100), and splitOn also "field0, field1, ..." (argument 0),
// and walks every piece; all of them report bytes per second. Each contender is checked once,
// before it is timed, against the hand-written loop's pieces (their bytes and lengths, in
// order); a difference ends the run with status 1. The text is made on first use, one at a
// time, so that the process holds one text and not six.
#include <benchmark/benchmark.h>

#include <absl/strings/str_split.h>

#include <cstdint>
#include <map>
#include <optional>
#include <range/v3/range/operations.hpp>
#include <range/v3/view/filter.hpp>
#include <range/v3/view/split.hpp>
#include <range/v3/view/split_when.hpp>
#include <ranges>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "fp/consume.hpp"
#include "split/split.hpp"
#include "verify.hpp"

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

// What every contender does with each piece while it is timed: count it and add up its size
// and its address, so that no piece can go uncomputed. (A benchmark::DoNotOptimize per piece
// would put a full compiler barrier into every loop, which costs a splitter that keeps its state
// in an iterator, as Abseil's and this library's do, far more than it costs a loop whose state
// is in registers, and which no real loop body has.)
struct Tally {
  std::int64_t pieces = 0;
  std::int64_t bytes = 0;
  std::uintptr_t addresses = 0;
  void add(const char* data, std::size_t n) {
    ++pieces, bytes += std::int64_t(n);
    addresses += reinterpret_cast<std::uintptr_t>(data);
  }
};

// What it does with them once, before it is timed: a hash of every piece's bytes and length, in
// order, compared with the hand-written loop's. A piece cut one byte early or late changes it.
struct Fingerprint {
  std::int64_t pieces = 0;
  std::uint64_t hash = 0xcbf29ce484222325u;
  void add(const char* data, std::size_t n) {
    ++pieces;
    for (std::size_t i = 0; i < n; ++i) mix(static_cast<unsigned char>(data[i]));
    mix(n);
  }
  void mix(std::uint64_t word) { hash = (hash ^ word) * 0x100000001b3u; }
  bool operator==(const Fingerprint&) const = default;
};

// This build of Abseil has a string view of its own.
absl::string_view toAbsl(std::string_view s) { return {s.data(), s.size()}; }

template <class Pieces, class Sink>
void walk(Pieces&& pieces, Sink& sink) {
  for (auto&& piece : pieces) {
    if constexpr (requires { piece.data(); }) {
      sink.add(piece.data(), piece.size());
    } else {
      const auto n = std::size_t(::ranges::distance(piece));
      sink.add(n ? &*::ranges::begin(piece) : nullptr, n);
    }
  }
}

// The pieces of the list engine. Timed, a piece counts by its first byte's address and its size;
// checked, by its bytes, gathered from its runs.
template <class Sink>
void walkList(fp::List<fp::List<char>> pieces, Sink& sink) {
  for (const fp::List<char>& piece : fp::consume(std::move(pieces))) {
    if constexpr (std::is_same_v<Sink, Fingerprint>) {
      std::string bytes;
      for (std::span<const char> run : piece.runs()) bytes.append(run.data(), run.size());
      sink.add(bytes.data(), bytes.size());
    } else {
      std::size_t n = 0;
      const char* first = nullptr;
      for (std::span<const char> run : piece.runs()) {
        if (!first) first = run.data();
        n += run.size();
      }
      sink.add(first, n);
    }
  }
}

// The hand-written loops.
template <class Sink>
void loopSplitOn(std::string_view text, std::string_view sep, Sink& sink) {
  for (std::size_t at = 0;;) {
    const std::size_t end = text.find(sep, at);
    const std::string_view piece = text.substr(at, end == text.npos ? text.npos : end - at);
    sink.add(piece.data(), piece.size());
    if (end == text.npos) return;
    at = end + sep.size();
  }
}

template <class Sink>
void loopSplitOneOf(std::string_view text, std::string_view any, Sink& sink) {
  for (std::size_t at = 0;;) {
    const std::size_t end = text.find_first_of(any, at);
    const std::string_view piece = text.substr(at, end == text.npos ? text.npos : end - at);
    sink.add(piece.data(), piece.size());
    if (end == text.npos) return;
    at = end + 1;
  }
}

template <class Sink>
void loopWords(std::string_view text, Sink& sink) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (true) {
    while (p != end && isBlank(*p)) ++p;
    if (p == end) return;
    const char* word = p;
    while (p != end && !isBlank(*p)) ++p;
    sink.add(word, std::size_t(p - word));
  }
}

// The three operations, each as every contender performs it.
struct SplitOn {
  static constexpr Separators kText = Separators::CommaSpace;
  static constexpr const char* kName = "splitOn";
  template <class Sink>
  static void loop(std::string_view s, Sink& sink) {
    loopSplitOn(s, ", ", sink);
  }
  template <class Sink>
  static void library(std::string_view s, Sink& sink) {
    walk(split::splitOn(", ", s), sink);
  }
  template <class Sink>
  static void abseil(std::string_view s, Sink& sink) {
    walk(absl::StrSplit(toAbsl(s), ", "), sink);
  }
  template <class Sink>
  static void standard(std::string_view s, Sink& sink) {
#if !defined(__clang__)
    walk(s | std::views::split(std::string_view(", ")), sink);
#else
    walk(s | ::ranges::views::split(std::string_view(", ")), sink);
#endif
  }
  template <class Sink>
  static void list(fp::String s, Sink& sink) {
    walkList(split::splitOn(", ", std::move(s)), sink);
  }
};
// splitOn(", ") over "field0, field1, ...", whose fields are not random letters.
struct SplitOnNumbered : SplitOn {
  static constexpr Separators kText = Separators::NumberedFields;
};
struct SplitOneOf {
  static constexpr Separators kText = Separators::CommaOrSemicolon;
  static constexpr const char* kName = "splitOneOf";
  template <class Sink>
  static void loop(std::string_view s, Sink& sink) {
    loopSplitOneOf(s, ",;", sink);
  }
  template <class Sink>
  static void library(std::string_view s, Sink& sink) {
    walk(split::splitOneOf(",;", s), sink);
  }
  template <class Sink>
  static void abseil(std::string_view s, Sink& sink) {
    walk(absl::StrSplit(toAbsl(s), absl::ByAnyChar(",;")), sink);
  }
  template <class Sink>
  static void standard(std::string_view s, Sink& sink) {
    walk(s | ::ranges::views::split_when([](char c) { return c == ',' || c == ';'; }), sink);
  }
  template <class Sink>
  static void list(fp::String s, Sink& sink) {
    walkList(split::splitOneOf(",;", std::move(s)), sink);
  }
};
struct WordsBy {
  static constexpr Separators kText = Separators::Blanks;
  static constexpr const char* kName = "wordsBy";
  template <class Sink>
  static void loop(std::string_view s, Sink& sink) {
    loopWords(s, sink);
  }
  template <class Sink>
  static void library(std::string_view s, Sink& sink) {
    walk(split::wordsBy(split::isSpace, s), sink);
  }
  template <class Sink>
  static void abseil(std::string_view s, Sink& sink) {
    walk(absl::StrSplit(toAbsl(s), absl::ByAnyChar(toAbsl(kBlanks)), absl::SkipEmpty()), sink);
  }
  template <class Sink>
  static void standard(std::string_view s, Sink& sink) {
    walk(s | ::ranges::views::split_when(isBlank) |
             ::ranges::views::filter([](const auto& word) { return !::ranges::empty(word); }),
         sink);
  }
  template <class Sink>
  static void list(fp::String s, Sink& sink) {
    walkList(split::wordsBy(split::isSpace, std::move(s)), sink);
  }
};

// The pieces of the hand-written loop over the first `bytes` of the text of `Op` with fields of
// `fieldBytes`, found once.
template <class Op>
const Fingerprint& loopFingerprint(int fieldBytes, std::size_t bytes) {
  static std::map<std::pair<int, std::size_t>, Fingerprint> known;
  auto at = known.find({fieldBytes, bytes});
  if (at == known.end()) {
    Fingerprint f;
    Op::loop(std::string_view(textOf(Op::kText, fieldBytes)).substr(0, bytes), f);
    at = known.emplace(std::pair(fieldBytes, bytes), f).first;
  }
  return at->second;
}

// Runs `contender` over the first `bytes` of the text of `Op`: once checked against the loop,
// then timed.
template <class Op, class Contender>
void run(benchmark::State& state, const char* contenderName, Contender contender,
         std::size_t bytes = std::string_view::npos) {
  const Fingerprint& want = loopFingerprint<Op>(int(state.range(0)), bytes);
  const std::string_view text = std::string_view(textOf(Op::kText, int(state.range(0)))).substr(0, bytes);
  Fingerprint pieces;
  contender(text, pieces);
  bench::verify(std::string(Op::kName) + " by " + contenderName, pieces, want);
  for (auto _ : state) {
    Tally t;
    contender(text, t);
    benchmark::DoNotOptimize(t);
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

template <class Op>
void BM_Loop(benchmark::State& state) {
  run<Op>(state, "the loop", [](std::string_view s, auto& sink) { Op::loop(s, sink); });
}
template <class Op>
void BM_Split(benchmark::State& state) {
  run<Op>(state, "split", [](std::string_view s, auto& sink) { Op::library(s, sink); });
}
template <class Op>
void BM_Abseil(benchmark::State& state) {
  run<Op>(state, "Abseil", [](std::string_view s, auto& sink) { Op::abseil(s, sink); });
}
template <class Op>
void BM_Ranges(benchmark::State& state) {
  run<Op>(state, "ranges", [](std::string_view s, auto& sink) { Op::standard(s, sink); });
}

// The list engine splits the text as an fp::String, made in three ways.

// One contiguous buffer made from the text, made once: the engine's best case.
template <class Op>
void BM_List(benchmark::State& state) {
  const std::string& text = textOf(Op::kText, int(state.range(0)));
  const fp::String input = fp::String::from(std::string(text));
  run<Op>(state, "the list engine", [&input](std::string_view, auto& sink) { Op::list(input, sink); });
}

// Read as a program reads a file or a socket: blocks of 4 KiB, each copied into a buffer of its
// own as it is read, the next block read when the list reaches it.
fp::String readInBlocks(std::string_view text) {
  constexpr std::size_t kBlock = 4096;
  if (text.empty()) return {};
  const auto block = text.substr(0, kBlock);
  return fp::append(fp::String::from(std::span<const char>(block)),
                    fp::String::lazy([rest = text.substr(block.size())] { return readInBlocks(rest); }));
}
template <class Op>
void BM_ListInBlocks(benchmark::State& state) {
  run<Op>(state, "the list engine over blocks",
          [](std::string_view s, auto& sink) { Op::list(readInBlocks(s), sink); });
}

// Produced a character at a time, as a generator or a decoder produces its output: one cell each,
// over the first 4 MiB of the text.
fp::String cellsOf(std::string_view text) {
  return fp::String::lazy([text]() -> fp::String {
    if (text.empty()) return {};
    return fp::String::cons(text.front(), cellsOf(text.substr(1)));
  });
}
template <class Op>
void BM_ListOfCells(benchmark::State& state) {
  constexpr std::size_t kCellBytes = 4 << 20;  // a cell costs as much as a slab of bytes
  run<Op>(
      state, "the list engine over cells",
      [](std::string_view s, auto& sink) { Op::list(cellsOf(s), sink); }, kCellBytes);
}

#define SPLIT_BENCH(Op)                                                                        \
  BENCHMARK_TEMPLATE(BM_Split, Op)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond);          \
  BENCHMARK_TEMPLATE(BM_Abseil, Op)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond);         \
  BENCHMARK_TEMPLATE(BM_Ranges, Op)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond);         \
  BENCHMARK_TEMPLATE(BM_Loop, Op)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond);           \
  BENCHMARK_TEMPLATE(BM_List, Op)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond);           \
  BENCHMARK_TEMPLATE(BM_ListInBlocks, Op)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond);   \
  BENCHMARK_TEMPLATE(BM_ListOfCells, Op)->Arg(8)->Arg(100)->Unit(benchmark::kMillisecond)
SPLIT_BENCH(SplitOn);
BENCHMARK_TEMPLATE(BM_Split, SplitOnNumbered)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Loop, SplitOnNumbered)->Arg(0)->Unit(benchmark::kMillisecond);
SPLIT_BENCH(SplitOneOf);
SPLIT_BENCH(WordsBy);

}  // namespace
