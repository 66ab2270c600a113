// The vocabulary: strategies from descriptions, policy modifiers, ready-made splitters and
// splitting operations, called with what C++ callers hold.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fp/generate.hpp"
#include "split/split.hpp"
#include "support.hpp"

namespace {

using fp::List;
using split::CondensePolicy;
using split::DelimPolicy;
using split::EndPolicy;
using split::testing::Ints;
using split::testing::Pieces;
using split::testing::text;
using split::testing::toStrings;
using split::testing::toVectors;

using Xs = List<int>;

TEST(Combinators, ReadyMadeOperationsAndSplitters) {
  const auto isNegative = [](int x) { return x < 0; };
  const auto isZero = [](int x) { return x == 0; };
  struct Case {
    const char* call;
    std::function<List<List<int>>()> run;
    Pieces expected;
  };
  // clang-format off
  const Case cases[] = {
      {"splitOn([0], [1,0,2,0,0,3])", [] { return split::splitOn({0}, Xs{1, 0, 2, 0, 0, 3}); }, {{1}, {2}, {}, {3}}},
      {"splitOn([0,0], [1,0,0,2,0,0])", [] { return split::splitOn({0, 0}, Xs{1, 0, 0, 2, 0, 0}); }, {{1}, {2}, {}}},
      {"splitOn([0,0], [0,0,0])", [] { return split::splitOn({0, 0}, Xs{0, 0, 0}); }, {{}, {0}}},
      {"splitOn([], [1,2,3])", [] { return split::splitOn(Ints{}, Xs{1, 2, 3}); }, {{}, {1}, {2}, {3}}},
      {"splitOn([0], [])", [] { return split::splitOn({0}, Xs{}); }, {{}}},
      {"splitOn([0], [5])", [] { return split::splitOn({0}, Xs{5}); }, {{5}}},
      {"splitOneOf([0,9], [1,0,2,9,3])", [] { return split::splitOneOf({0, 9}, Xs{1, 0, 2, 9, 3}); }, {{1}, {2}, {3}}},
      {"splitOneOf([], [1,2])", [] { return split::splitOneOf(Ints{}, Xs{1, 2}); }, {{1, 2}}},
      {"splitWhen(<0, [1,-1,2,-3])", [=] { return split::splitWhen(isNegative, Xs{1, -1, 2, -3}); }, {{1}, {2}, {}}},
      {"endBy([0], [1,0,2,0])", [] { return split::endBy({0}, Xs{1, 0, 2, 0}); }, {{1}, {2}}},
      {"endBy([0], [1,0,2])", [] { return split::endBy({0}, Xs{1, 0, 2}); }, {{1}, {2}}},
      {"endBy([0], [])", [] { return split::endBy({0}, Xs{}); }, {}},
      {"endByOneOf([0,9], [1,9,2,0])", [] { return split::endByOneOf({0, 9}, Xs{1, 9, 2, 0}); }, {{1}, {2}}},
      {"linesBy(=0, [1,0,0,2,0])", [=] { return split::linesBy(isZero, Xs{1, 0, 0, 2, 0}); }, {{1}, {}, {2}}},
      {"linesBy(=0, [0])", [=] { return split::linesBy(isZero, Xs{0}); }, {{}}},
      {"linesBy(=0, [])", [=] { return split::linesBy(isZero, Xs{}); }, {}},
      {"wordsBy(=0, [0,0,1,0,0,2,0])", [=] { return split::wordsBy(isZero, Xs{0, 0, 1, 0, 0, 2, 0}); }, {{1}, {2}}},
      {"wordsBy(=0, [0,0])", [=] { return split::wordsBy(isZero, Xs{0, 0}); }, {}},
      {"split(oneOf([0]), [1,0,2])", [] { return split::split(split::oneOf({0}), Xs{1, 0, 2}); }, {{1}, {0}, {2}}},
      {"split(condense(oneOf([0])), [1,0,0,2])",
       [] { return split::split(split::condense(split::oneOf({0})), Xs{1, 0, 0, 2}); }, {{1}, {0, 0}, {2}}},
      {"split(dropInnerBlanks(oneOf([0])), [1,0,0,2])",
       [] { return split::split(split::dropInnerBlanks(split::oneOf({0})), Xs{1, 0, 0, 2}); }, {{1}, {0}, {0}, {2}}},
      {"split(oneOf([0]), [1,0,0,2])", [] { return split::split(split::oneOf({0}), Xs{1, 0, 0, 2}); },
       {{1}, {0}, {}, {0}, {2}}},
      {"split(dropBlanks(oneOf([0])), [0,1,0,0,2,0])",
       [] { return split::split(split::dropBlanks(split::oneOf({0})), Xs{0, 1, 0, 0, 2, 0}); },
       {{0}, {1}, {0, 0}, {2}, {0}}},
      {"split(dropInitBlank(oneOf([0])), [0,1])",
       [] { return split::split(split::dropInitBlank(split::oneOf({0})), Xs{0, 1}); }, {{0}, {1}}},
      {"split(dropFinalBlank(oneOf([0])), [1,0])",
       [] { return split::split(split::dropFinalBlank(split::oneOf({0})), Xs{1, 0}); }, {{1}, {0}}},
      {"split(keepDelimsL(oneOf([0])), [1,0,2])",
       [] { return split::split(split::keepDelimsL(split::oneOf({0})), Xs{1, 0, 2}); }, {{1}, {0, 2}}},
      {"split(keepDelimsR(oneOf([0])), [1,0,2])",
       [] { return split::split(split::keepDelimsR(split::oneOf({0})), Xs{1, 0, 2}); }, {{1, 0}, {2}}},
      {"split(startsWith([0]), [0,1,0,2])", [] { return split::split(split::startsWith({0}), Xs{0, 1, 0, 2}); },
       {{0, 1}, {0, 2}}},
      {"split(startsWith([0]), [1,0,2])", [] { return split::split(split::startsWith({0}), Xs{1, 0, 2}); },
       {{1}, {0, 2}}},
      {"split(startsWithOneOf([0,9]), [0,1,9,2])",
       [] { return split::split(split::startsWithOneOf({0, 9}), Xs{0, 1, 9, 2}); }, {{0, 1}, {9, 2}}},
      {"split(endsWith([0]), [1,0,2,0])", [] { return split::split(split::endsWith({0}), Xs{1, 0, 2, 0}); },
       {{1, 0}, {2, 0}}},
      {"split(endsWith([0]), [1,0,2])", [] { return split::split(split::endsWith({0}), Xs{1, 0, 2}); },
       {{1, 0}, {2}}},
      {"split(endsWithOneOf([0,9]), [1,0,2,9])",
       [] { return split::split(split::endsWithOneOf({0, 9}), Xs{1, 0, 2, 9}); }, {{1, 0}, {2, 9}}},
      {"split(dropDelims(keepDelimsL(oneOf([0]))), [1,0,2])",
       [] { return split::split(split::dropDelims(split::keepDelimsL(split::oneOf({0}))), Xs{1, 0, 2}); },
       {{1}, {2}}},
      {"split(defaultSplitter, [1,0,2])", [] { return split::split(split::defaultSplitter<int>(), Xs{1, 0, 2}); },
       {{1, 0, 2}}},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(toVectors(c.run()), c.expected) << c.call;
}

TEST(Combinators, ModifiersSetTheirFieldsAndTheLastOneWins) {
  using S = split::Splitter<int>;
  struct Case {
    const char* name;
    S s;
    DelimPolicy delim;
    CondensePolicy condense;
    EndPolicy init, final;
  };
  const auto base = split::oneOf({0});
  // clang-format off
  const Case cases[] = {
      {"oneOf", base, DelimPolicy::Keep, CondensePolicy::KeepBlankFields, EndPolicy::KeepBlank, EndPolicy::KeepBlank},
      {"dropBlanks", split::dropBlanks(base), DelimPolicy::Keep, CondensePolicy::Condense, EndPolicy::DropBlank,
       EndPolicy::DropBlank},
      {"dropInnerBlanks after condense", split::dropInnerBlanks(split::condense(base)), DelimPolicy::Keep,
       CondensePolicy::DropBlankFields, EndPolicy::KeepBlank, EndPolicy::KeepBlank},
      {"dropBlanks after dropInnerBlanks", split::dropBlanks(split::dropInnerBlanks(base)), DelimPolicy::Keep,
       CondensePolicy::Condense, EndPolicy::DropBlank, EndPolicy::DropBlank},
      {"keepDelimsR after dropDelims", split::keepDelimsR(split::dropDelims(base)), DelimPolicy::KeepRight,
       CondensePolicy::KeepBlankFields, EndPolicy::KeepBlank, EndPolicy::KeepBlank},
      {"startsWith", split::startsWith({0}), DelimPolicy::KeepLeft, CondensePolicy::KeepBlankFields,
       EndPolicy::DropBlank, EndPolicy::KeepBlank},
      {"startsWithOneOf", split::startsWithOneOf({0}), DelimPolicy::KeepLeft, CondensePolicy::KeepBlankFields,
       EndPolicy::DropBlank, EndPolicy::KeepBlank},
      {"endsWith", split::endsWith({0}), DelimPolicy::KeepRight, CondensePolicy::KeepBlankFields,
       EndPolicy::KeepBlank, EndPolicy::DropBlank},
      {"endsWithOneOf", split::endsWithOneOf({0}), DelimPolicy::KeepRight, CondensePolicy::KeepBlankFields,
       EndPolicy::KeepBlank, EndPolicy::DropBlank},
      {"whenElt", split::whenElt([](int x) { return x == 0; }), DelimPolicy::Keep, CondensePolicy::KeepBlankFields,
       EndPolicy::KeepBlank, EndPolicy::KeepBlank},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(c.s.delimPolicy, c.delim) << c.name;
    EXPECT_EQ(c.s.condensePolicy, c.condense) << c.name;
    EXPECT_EQ(c.s.initBlankPolicy, c.init) << c.name;
    EXPECT_EQ(c.s.finalBlankPolicy, c.final) << c.name;
  }
  // A modifier keeps the delimiter: the predicates are shared, not rebuilt.
  EXPECT_EQ(split::condense(base).delimiter.matcher(), base.delimiter.matcher());
}

TEST(Combinators, DescriptionsAreWhatCallersHold) {
  const auto line = text("a, b,, c");
  const std::vector<std::string> fields{"a", "b,", "c"};
  const char* cString = ", ";
  EXPECT_EQ(toStrings(split::splitOn(", ", line)), fields);
  EXPECT_EQ(toStrings(split::splitOn(cString, line)), fields);
  EXPECT_EQ(toStrings(split::splitOn(std::string(", "), line)), fields);
  EXPECT_EQ(toStrings(split::splitOn(std::string_view(", "), line)), fields);
  EXPECT_EQ(toStrings(split::splitOn(std::vector<char>{',', ' '}, line)), fields);
  EXPECT_EQ(toStrings(split::splitOn({',', ' '}, line)), fields);
  EXPECT_EQ(toStrings(split::splitOn(text(", "), line)), fields);
  EXPECT_EQ(toStrings(split::splitOneOf(",;", text("a;b,c"))),
            (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(toStrings(split::split(split::dropBlanks(split::oneOf(" \t")), text(" a\t b "))),
            (std::vector<std::string>{" ", "a", "\t ", "b", " "}));
  EXPECT_EQ(toStrings(split::wordsBy([](char c) { return c == ' '; }, text("  two  words "))),
            (std::vector<std::string>{"two", "words"}));
  // A generic predicate needs its element type named; a plain function gives it.
  EXPECT_EQ(
      toVectors(split::split(split::whenElt<int>([](auto x) { return x < 0; }), Xs{1, -1, 2})),
      (Pieces{{1}, {-1}, {2}}));
  static_assert(
      std::same_as<decltype(split::whenElt(+[](const long& x) noexcept { return x < 0; })),
                   split::Splitter<long>>);
  // Elements of another type than the description's convert.
  EXPECT_EQ(toVectors(split::splitOneOf(std::vector<long>{0}, Xs{1, 0, 2})), (Pieces{{1}, {2}}));
}

TEST(Combinators, SplitOnAndEndByGivenTheSublistAloneGiveTheOperation) {
  const auto csv = split::splitOn(",");
  static_assert(std::same_as<decltype(csv), const split::Splitting<char>>);
  EXPECT_EQ(toStrings(csv(text("x,y"))), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(toStrings(csv(text(",,"))), (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(csv.splitter().delimPolicy, DelimPolicy::Drop);
  const auto lines = split::endBy({0});
  EXPECT_EQ(toVectors(lines(Xs{1, 0, 2, 0})), (Pieces{{1}, {2}}));
  EXPECT_EQ(toVectors(split::endBy(std::vector<int>{0, 0})(Xs{1, 0, 0})), (Pieces{{1}}));
  // Other names of the same operations.
  static_assert(&split::sepBy == &split::splitOn && &split::unintercalate == &split::splitOn);
  static_assert(&split::sepByOneOf == &split::splitOneOf);
  EXPECT_EQ(toVectors(split::sepBy({0}, Xs{1, 0})), (Pieces{{1}, {}}));
}

// An element whose comparisons are counted.
struct Counted {
  int value;
  static inline int comparisons = 0;
  friend bool operator==(const Counted& a, const Counted& b) {
    return ++comparisons, a.value == b.value;
  }
};

TEST(Combinators, OneOfComparesInOrderUpToTheFirstEqualElement) {
  const auto anyOf =
      split::oneOf({Counted{1}, Counted{2}, Counted{3}}).delimiter.predicates().head();
  Counted::comparisons = 0;
  EXPECT_TRUE(anyOf(Counted{1}));
  EXPECT_EQ(Counted::comparisons, 1);
  EXPECT_TRUE(anyOf(Counted{2}));
  EXPECT_EQ(Counted::comparisons, 3);
  EXPECT_FALSE(anyOf(Counted{9}));
  EXPECT_EQ(Counted::comparisons, 6);
  EXPECT_FALSE(split::oneOf(std::vector<Counted>{}).delimiter.predicates().head()(Counted{1}));
}

TEST(CombinatorsOnDemand, ReadyMadeOperationsWorkOnUnboundedInput) {
  const auto naturals = fp::iota(1);
  const auto tenths = [](int x) { return x % 10 == 0; };
  EXPECT_EQ(split::splitWhen(tenths, naturals).drop(1).head(), fp::iota(11, 20));
  EXPECT_EQ(split::wordsBy(tenths, naturals).drop(2).head(), fp::iota(21, 30));
  EXPECT_EQ(split::linesBy(tenths, naturals).take(2).length(), 2);
  EXPECT_EQ(split::endBy({5}, naturals).head(), fp::iota(1, 5));
  EXPECT_EQ(split::split(split::endsWith({3}), naturals).head(), fp::iota(1, 4));
}

}  // namespace
