// The splitting engine: the pieces for every policy, each stage on its own, the order and number
// of predicate calls, and how little of the input is read.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "fp/generate.hpp"
#include "split/split.hpp"
#include "support.hpp"

namespace {

using fp::List;
using split::Chunk;
using split::CondensePolicy;
using split::DelimPolicy;
using split::EndPolicy;
using split::Splitter;
using split::testing::Ints;
using split::testing::layouts;
using split::testing::Pieces;
using split::testing::toVectors;

using Chunks = List<Chunk<int>>;

struct Policies {
  DelimPolicy delim;
  CondensePolicy condense;
  EndPolicy init;
  EndPolicy final;
};

constexpr auto Drop = DelimPolicy::Drop;
constexpr auto Keep = DelimPolicy::Keep;
constexpr auto KeepLeft = DelimPolicy::KeepLeft;
constexpr auto KeepRight = DelimPolicy::KeepRight;
constexpr auto Condense = CondensePolicy::Condense;
constexpr auto DropBlankFields = CondensePolicy::DropBlankFields;
constexpr auto KeepBlankFields = CondensePolicy::KeepBlankFields;
constexpr auto DropBlank = EndPolicy::DropBlank;
constexpr auto KeepBlank = EndPolicy::KeepBlank;

// The delimiters of the cases, each built twice: from predicates, and by the combinator that
// gives the same delimiter with tests of its own types.
enum class Delim { Zero, ZeroZero, Empty };

std::vector<split::Delimiter<int>> delimiters(Delim d) {
  using Predicates = List<split::Predicate<int>>;
  const split::Predicate<int> isZero = [](int x) { return x == 0; };
  switch (d) {
    case Delim::Zero:
      return {split::Delimiter<int>(Predicates{isZero}), split::oneOf({0}).delimiter};
    case Delim::ZeroZero:
      return {split::Delimiter<int>(Predicates{isZero, isZero}),
              split::onSublist({0, 0}).delimiter};
    case Delim::Empty:
      return {split::Delimiter<int>(Predicates{}), split::onSublist(Ints{}).delimiter};
  }
  return {};
}

Splitter<int> splitter(split::Delimiter<int> d, Policies p) {
  return {std::move(d), p.delim, p.condense, p.init, p.final};
}

const std::vector<Policies> kAllPolicies = [] {
  std::vector<Policies> all;
  for (auto d : {Drop, Keep, KeepLeft, KeepRight})
    for (auto c : {Condense, DropBlankFields, KeepBlankFields})
      for (auto i : {DropBlank, KeepBlank})
        for (auto f : {DropBlank, KeepBlank}) all.push_back({d, c, i, f});
  return all;
}();

TEST(Engine, PiecesForEachPolicyWhateverTheLayoutOfTheInput) {
  struct Case {
    Ints input;
    Delim delim;
    Policies policies;
    Pieces expected;
  };
  const Ints sample{1, 0, 2, 0, 0, 3};
  // clang-format off
  const Case cases[] = {
      {sample, Delim::Zero, {Keep, KeepBlankFields, KeepBlank, KeepBlank}, {{1}, {0}, {2}, {0}, {}, {0}, {3}}},
      {sample, Delim::Zero, {Drop, KeepBlankFields, KeepBlank, KeepBlank}, {{1}, {2}, {}, {3}}},
      {sample, Delim::Zero, {Drop, DropBlankFields, KeepBlank, KeepBlank}, {{1}, {2}, {3}}},
      {sample, Delim::Zero, {Keep, DropBlankFields, KeepBlank, KeepBlank}, {{1}, {0}, {2}, {0}, {0}, {3}}},
      {sample, Delim::Zero, {Keep, Condense, KeepBlank, KeepBlank}, {{1}, {0}, {2}, {0, 0}, {3}}},
      {sample, Delim::Zero, {Drop, Condense, KeepBlank, KeepBlank}, {{1}, {2}, {3}}},
      {sample, Delim::Zero, {KeepLeft, KeepBlankFields, KeepBlank, KeepBlank}, {{1}, {0, 2}, {0}, {0, 3}}},
      {sample, Delim::Zero, {KeepRight, KeepBlankFields, KeepBlank, KeepBlank}, {{1, 0}, {2, 0}, {0}, {3}}},
      {sample, Delim::Zero, {KeepLeft, DropBlankFields, KeepBlank, KeepBlank}, {{1}, {0, 2}, {0}, {0, 3}}},
      {sample, Delim::Zero, {KeepRight, DropBlankFields, KeepBlank, KeepBlank}, {{1, 0}, {2, 0}, {0}, {3}}},
      {{0, 1, 0}, Delim::Zero, {Keep, KeepBlankFields, KeepBlank, KeepBlank}, {{}, {0}, {1}, {0}, {}}},
      {{0, 1, 0}, Delim::Zero, {Drop, KeepBlankFields, KeepBlank, KeepBlank}, {{}, {1}, {}}},
      {{0, 1, 0}, Delim::Zero, {Drop, KeepBlankFields, DropBlank, DropBlank}, {{1}}},
      {{0, 1, 0}, Delim::Zero, {KeepLeft, KeepBlankFields, KeepBlank, KeepBlank}, {{}, {0, 1}, {0}}},
      {{0, 1, 0}, Delim::Zero, {KeepRight, KeepBlankFields, KeepBlank, KeepBlank}, {{0}, {1, 0}, {}}},
      {{0}, Delim::Zero, {Drop, KeepBlankFields, KeepBlank, KeepBlank}, {{}, {}}},
      {{0}, Delim::Zero, {Drop, KeepBlankFields, KeepBlank, DropBlank}, {{}}},
      {{0}, Delim::Zero, {Drop, KeepBlankFields, DropBlank, DropBlank}, {}},
      {{0, 0}, Delim::Zero, {Drop, KeepBlankFields, KeepBlank, KeepBlank}, {{}, {}, {}}},
      {{0, 0}, Delim::Zero, {Drop, Condense, KeepBlank, KeepBlank}, {{}, {}}},
      {{0, 0}, Delim::Zero, {Drop, Condense, DropBlank, DropBlank}, {}},
      {{0, 0, 1, 0, 0}, Delim::Zero, {KeepRight, Condense, KeepBlank, KeepBlank}, {{0, 0}, {1, 0, 0}, {}}},
      {{1, 2, 3}, Delim::Empty, {Keep, KeepBlankFields, KeepBlank, KeepBlank}, {{}, {}, {1}, {}, {2}, {}, {3}}},
      {{1, 2, 3}, Delim::Empty, {Drop, KeepBlankFields, KeepBlank, KeepBlank}, {{}, {1}, {2}, {3}}},
      {{1, 2}, Delim::Empty, {KeepRight, KeepBlankFields, DropBlank, KeepBlank}, {{1}, {2}}},
      {{1, 0, 0, 0, 2}, Delim::ZeroZero, {Drop, KeepBlankFields, KeepBlank, KeepBlank}, {{1}, {0, 2}}},
      {{0, 0, 0, 0}, Delim::ZeroZero, {Keep, KeepBlankFields, KeepBlank, KeepBlank}, {{}, {0, 0}, {}, {0, 0}, {}}},
  };
  // clang-format on
  for (const auto& c : cases)
    for (const auto& d : delimiters(c.delim))
      for (const auto& input : layouts(c.input))
        EXPECT_EQ(toVectors(split::split(splitter(d, c.policies), input)), c.expected)
            << "input " << input << ", delimiter " << int(c.delim) << ", policies "
            << c.policies.delim << ' ' << c.policies.condense << ' ' << c.policies.init << ' '
            << c.policies.final;
}

TEST(Engine, EmptyInputGivesOneBlankPieceUnlessAnEndDropsIt) {
  for (Delim delim : {Delim::Zero, Delim::ZeroZero, Delim::Empty})
    for (const auto& d : delimiters(delim))
      for (const Policies& p : kAllPolicies) {
        const bool kept = p.init == KeepBlank && p.final == KeepBlank;
        EXPECT_EQ(toVectors(split::split(splitter(d, p), List<int>{})),
                  kept ? Pieces{{}} : Pieces{});
      }
}

TEST(Engine, TooFewElementsLeftForTheDelimiterMeansNoMatch) {
  for (const auto& d : delimiters(Delim::ZeroZero))
    for (const Policies& p : kAllPolicies)
      for (const auto& input : layouts(Ints{1, 0}))
        EXPECT_EQ(toVectors(split::split(splitter(d, p), input)), (Pieces{{1, 0}}));
}

Chunk<int> D(Ints xs) { return split::Delim(List<int>::from(std::move(xs))); }
Chunk<int> T(Ints xs) { return split::Text(List<int>::from(std::move(xs))); }

TEST(Engine, EachStageOnItsOwn) {
  struct Case {
    const char* stage;
    std::function<Chunks(Chunks)> run;
    std::vector<Chunk<int>> input, expected;
  };
  const auto delims = [](int n, CondensePolicy c) {
    return [n, c](Chunks xs) {
      return n == 0 ? split::doCondense(c, xs) : split::insertBlanks(c, xs);
    };
  };
  // clang-format off
  const Case cases[] = {
      {"condense", delims(0, Condense), {T({1}), D({0}), D({0, 9}), T({2}), D({9})},
       {T({1}), D({0, 0, 9}), T({2}), D({9})}},
      {"condense over empty matches", delims(0, Condense), {D({}), D({}), T({1}), D({}), D({5})},
       {D({}), T({1}), D({5})}},
      {"condense under KeepBlankFields", delims(0, KeepBlankFields), {D({0}), D({0})}, {D({0}), D({0})}},
      {"insertBlanks into nothing", delims(1, KeepBlankFields), {}, {T({})}},
      {"insertBlanks around a delimiter", delims(1, KeepBlankFields), {D({0})}, {T({}), D({0}), T({})}},
      {"insertBlanks between delimiters", delims(1, KeepBlankFields), {D({0}), D({0}), T({1})},
       {T({}), D({0}), T({}), D({0}), T({1})}},
      {"insertBlanks under Condense", delims(1, Condense), {T({1}), D({0}), D({0})},
       {T({1}), D({0}), T({}), D({0}), T({})}},
      {"insertBlanks under DropBlankFields", delims(1, DropBlankFields), {D({0}), D({0})},
       {T({}), D({0}), D({0}), T({})}},
      {"insertBlanks' leaves the front alone",
       [](Chunks xs) { return split::insertBlanksPrime(KeepBlankFields, xs); }, {D({0}), T({1}), D({0})},
       {D({0}), T({1}), D({0}), T({})}},
      {"doDrop", [](Chunks xs) { return split::doDrop(Drop, xs); }, {D({0}), T({1}), D({0}), D({0}), T({2})},
       {T({1}), T({2})}},
      {"doDrop under Keep", [](Chunks xs) { return split::doDrop(Keep, xs); }, {D({0}), T({1})}, {D({0}), T({1})}},
      {"mergeLeft", [](Chunks xs) { return split::mergeLeft(xs); },
       {D({0}), T({1}), D({0}), D({8}), T({2}), D({9})}, {T({0, 1}), D({0}), T({8, 2}), D({9})}},
      {"mergeRight", [](Chunks xs) { return split::mergeRight(xs); },
       {D({0}), T({1}), D({7}), D({8}), T({2})}, {D({0}), T({1, 7}), D({8}), T({2})}},
      {"doMerge under KeepLeft", [](Chunks xs) { return split::doMerge(KeepLeft, xs); }, {D({0}), T({1})},
       {T({0, 1})}},
      {"doMerge under KeepRight", [](Chunks xs) { return split::doMerge(KeepRight, xs); }, {T({1}), D({0})},
       {T({1, 0})}},
      {"doMerge under Drop", [](Chunks xs) { return split::doMerge(Drop, xs); }, {D({0}), T({1})}, {D({0}), T({1})}},
      {"dropInitial looks at the first chunk only", [](Chunks xs) { return split::dropInitial(DropBlank, xs); },
       {T({}), T({}), D({0})}, {T({}), D({0})}},
      {"dropInitial keeps a first delimiter", [](Chunks xs) { return split::dropInitial(DropBlank, xs); },
       {D({}), T({})}, {D({}), T({})}},
      {"dropInitial under KeepBlank", [](Chunks xs) { return split::dropInitial(KeepBlank, xs); }, {T({})}, {T({})}},
      {"dropFinal removes the last chunk only", [](Chunks xs) { return split::dropFinal(DropBlank, xs); },
       {T({}), D({0}), T({}), T({})}, {T({}), D({0}), T({})}},
      {"dropFinal keeps a last delimiter", [](Chunks xs) { return split::dropFinal(DropBlank, xs); },
       {T({}), D({})}, {T({}), D({})}},
      {"dropFinal of nothing", [](Chunks xs) { return split::dropFinal(DropBlank, xs); }, {}, {}},
  };
  // clang-format on
  for (const auto& c : cases)
    EXPECT_EQ(c.run(Chunks::from(c.input)), Chunks::from(c.expected)) << c.stage;
}

TEST(Engine, SplitInternalCutsTextAndMatches) {
  const auto zero = split::oneOf({0}).delimiter;
  EXPECT_EQ(split::splitInternal(zero, List<int>{1, 2, 0, 0, 3}),
            (Chunks{T({1, 2}), D({0}), D({0}), T({3})}));
  EXPECT_EQ(split::splitInternal(zero, List<int>{}), Chunks{});
  EXPECT_EQ(split::splitInternal(split::onSublist(Ints{}).delimiter, List<int>{4, 5}),
            (Chunks{D({}), T({4}), D({}), T({5})}));
  // Of overlapping occurrences the leftmost is taken, and the search resumes behind it.
  EXPECT_EQ(split::splitInternal(split::onSublist({0, 0}).delimiter, List<int>{0, 0, 0}),
            (Chunks{D({0, 0}), T({0})}));
  EXPECT_EQ(split::postProcess(split::dropDelims(split::oneOf({0})), Chunks{D({0}), T({1})}),
            (Chunks{T({}), T({1})}));
}

// A list whose elements throw when looked at: what must not be examined.
List<int> untouchable() {
  return List<int>::lazy([]() -> List<int> { throw std::logic_error("the input was examined"); });
}

TEST(Engine, MatchDelimTriesTheStartOnly) {
  const auto zeroZero = split::onSublist({0, 0}).delimiter;
  const auto match = split::matchDelim(zeroZero, List<int>{0, 0, 1});
  ASSERT_TRUE(match.has_value());
  EXPECT_EQ(match->first, (List<int>{0, 0}));
  EXPECT_EQ(match->second, (List<int>{1}));
  EXPECT_FALSE(split::matchDelim(zeroZero, List<int>{1, 0, 0}).has_value());
  EXPECT_FALSE(split::matchDelim(zeroZero, List<int>{0}).has_value());
  EXPECT_FALSE(split::matchDelim(zeroZero, List<int>{}).has_value());
  const auto empty = split::matchDelim(split::onSublist(Ints{}).delimiter, untouchable());
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->first.empty());
}

TEST(Engine, BreakDelimGivesTheElementsBeforeTheFirstMatchAndTheMatch) {
  const auto zero = split::oneOf({0}).delimiter;
  for (const auto& input : layouts(Ints{1, 2, 0, 3, 0})) {
    auto [before, match] = split::breakDelim(zero, input);
    EXPECT_EQ(before, (List<int>{1, 2}));
    ASSERT_TRUE(match.get().has_value());
    EXPECT_EQ(match.get()->first, (List<int>{0}));
    EXPECT_EQ(match.get()->second, (List<int>{3, 0}));
  }
  auto [all, none] = split::breakDelim(zero, List<int>{1, 2});
  EXPECT_EQ(all, (List<int>{1, 2}));
  EXPECT_FALSE(none.get().has_value());
  EXPECT_FALSE(split::breakDelim(zero, List<int>{}).second.get().has_value());

  auto [nothing, everywhere] = split::breakDelim(split::onSublist(Ints{}).delimiter, untouchable());
  EXPECT_TRUE(nothing.empty());
  ASSERT_TRUE(everywhere.get().has_value());
  EXPECT_TRUE(everywhere.get()->first.empty());

  // Before any match is known, the elements come out one by one.
  auto [unbounded, never] = split::breakDelim(zero, fp::iota(1));
  EXPECT_EQ(unbounded.take(4), (List<int>{1, 2, 3, 4}));
  EXPECT_FALSE(never.ready());
}

TEST(Engine, PredicatesAreTriedInOrderFromEachPositionOnce) {
  // (predicate, element) for every call of a two-predicate delimiter.
  std::vector<std::pair<int, int>> calls;
  const split::Delimiter<int> zeroZero(
      List<split::Predicate<int>>{[&](int x) { return calls.emplace_back(1, x), x == 0; },
                                  [&](int x) { return calls.emplace_back(2, x), x == 0; }});
  const auto s =
      split::dropDelims(splitter(zeroZero, {Keep, KeepBlankFields, KeepBlank, KeepBlank}));
  for (const auto& input : layouts(Ints{1, 0, 0, 0, 2})) {
    calls.clear();
    EXPECT_EQ(toVectors(split::split(s, input)), (Pieces{{1}, {0, 2}}));
    // Position 0 fails; 1 matches; the search resumes at 3, which fails on its second element,
    // then at 4. Nothing is tried twice.
    EXPECT_EQ(calls,
              (std::vector<std::pair<int, int>>{{1, 1}, {1, 0}, {2, 0}, {1, 0}, {2, 2}, {1, 2}}))
        << input;
  }
}

// An unbounded input that records how far it has been read, and a predicate that records the
// positions it was asked about.
// An element that reports every comparison of a sublist element (on the left, position -1)
// with an input element (on the right).
struct Probe {
  int value;
  int position;
  static inline std::function<void(const Probe& input)> compared;
  friend bool operator==(const Probe& sublist, const Probe& input) {
    EXPECT_EQ(sublist.position, -1) << "the sublist's element is the left operand";
    if (compared) compared(input);
    return sublist.value == input.value;
  }
};

TEST(EngineOnDemand, TheFirstPiecesOfAnUnboundedInputReadOnlyTheLookaheadBeyondThem) {
  // splitWhen: 1 2 [3] 4 5 [6] 7 8 [9] 10 ...: the third piece closes at 9; looking at the chunk
  // after that delimiter tries position 10 at most.
  int read = 0;
  std::vector<int> tested;
  const auto naturals = fp::iterate([&read](int x) { return read = x + 1; }, 1);
  auto pieces =
      split::splitWhen([&tested](int x) { return tested.push_back(x), x % 3 == 0; }, naturals);
  EXPECT_EQ(toVectors(pieces.take(3)), (Pieces{{1, 2}, {4, 5}, {7, 8}}));
  EXPECT_LE(read, 10);
  ASSERT_GE(tested.size(), 9u);
  EXPECT_LE(tested.size(), 10u);
  for (std::size_t i = 0; i < tested.size(); ++i)
    EXPECT_EQ(tested[i], int(i) + 1) << "each position once";

  // splitOn of a two-element sublist: 1 2 [0 0] 5 6 [0 0] 9 10 [0 0] 13 ...: the third piece
  // closes at position 11; the attempt at 12 may look at 13 as well.
  int furthest = -1, compared = -1, comparisons = 0;
  const auto probes = fp::iterate(
      [&furthest](const Probe& p) {
        const int i = p.position + 1;
        furthest = i;
        return Probe{i % 4 < 2 ? i + 1 : 0, i};
      },
      Probe{1, 0});
  Probe::compared = [&](const Probe& x) {
    ++comparisons, compared = std::max(compared, x.position);
  };
  auto fields = split::splitOn({Probe{0, -1}, Probe{0, -1}}, probes);
  std::vector<Ints> values;
  for (const auto& piece : fields.take(3)) {
    values.emplace_back();
    for (const Probe& p : piece) values.back().push_back(p.value);
  }
  EXPECT_EQ(values, (Pieces{{1, 2}, {5, 6}, {9, 10}}));
  EXPECT_LE(furthest, 13);
  EXPECT_GE(compared, 11);
  EXPECT_LE(compared, 13);
  EXPECT_LE(comparisons, 3 * 4 + 1) << "per field of four: two failed attempts and one match";
  Probe::compared = nullptr;
}

TEST(EngineOnDemand, ASinglePieceYieldsItsElementsBeforeItEnds) {
  int read = 0;
  const auto naturals = fp::iterate([&read](int x) { return read = x + 1; }, 1);
  const auto first = split::splitOn({0}, naturals).head();
  EXPECT_EQ(first.take(1000), fp::iota(1, 1001));
  EXPECT_EQ(read, 1000);
  EXPECT_EQ(split::wordsBy([](int x) { return x < 0; }, naturals).head().take(3),
            (List<int>{1, 2, 3}));
}

TEST(Engine, PiecesOfABufferAreSlicesOfIt) {
  std::vector<int> storage{1, 1, 0, 2, 2, 2, 0, 0, 3, 3};
  const int* begin = storage.data();
  const int* end = begin + storage.size();
  const auto pieces = split::splitOn({0}, List<int>::from(std::move(storage)));
  EXPECT_EQ(pieces, (List<List<int>>{{1, 1}, {2, 2, 2}, {}, {3, 3}}));
  for (const auto& piece : pieces) {
    const auto run = piece.run();
    EXPECT_EQ(std::int64_t(run.size()), piece.length()) << piece << " is one run";
    if (!run.empty()) {
      EXPECT_TRUE(run.data() >= begin && run.data() + run.size() <= end) << piece;
    }
  }
}

TEST(Engine, AFailingPredicateReachesTheReaderOfTheAffectedPiece) {
  const auto failsAtFive = [](int x) {
    if (x == 5) throw std::runtime_error("five");
    return x == 0;
  };
  const auto isZero = split::whenElt<int>(failsAtFive);
  for (const auto& input : layouts(Ints{1, 0, 2, 0, 5, 6})) {
    const std::pair<List<List<int>>, List<List<int>>> splits[] = {
        {split::splitWhen(failsAtFive, input), {{1}, {2}}},
        {split::wordsBy(failsAtFive, input), {{1}, {2}}},
        {split::split(split::keepDelimsR(isZero), input), {{1, 0}, {2, 0}}},
    };
    for (const auto& [pieces, firstTwo] : splits) {
      EXPECT_EQ(pieces.take(2), firstTwo);
      // The next reader tries again, and fails again, where the first one failed.
      for (int attempt = 0; attempt < 2; ++attempt)
        EXPECT_THROW((void)pieces.drop(2).head().length(), std::runtime_error) << input;
    }
  }
}

TEST(EngineConcurrency, ThreadsReadingOneResultSeeTheSamePieces) {
  constexpr int kElements = 100'000;
  const auto input = fp::iterate([](int x) { return x + 1; }, 1).take(kElements);
  const auto pieces = split::splitWhen([](int x) { return x % 7 == 0; }, input);
  Pieces expected;
  for (int start = 1; start <= kElements; start += 7) {
    expected.emplace_back();
    for (int x = start; x < start + 6 && x <= kElements; ++x) expected.back().push_back(x);
  }
  std::vector<Pieces> seen(4);
  std::atomic<bool> go{false};
  std::vector<std::thread> readers;
  for (auto& s : seen)
    readers.emplace_back([&] {
      while (!go.load()) std::this_thread::yield();
      s = toVectors(pieces);
    });
  go = true;
  for (auto& r : readers) r.join();
  for (const auto& s : seen) EXPECT_EQ(s, expected);
}

}  // namespace
