// Compositions, products and sums: indices made of the parts' indices, orders taken from the
// parts, and the generic twins walking exactly as the general combinators.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fp/generate.hpp"
#include "keyedwalk/compose.hpp"
#include "keyedwalk/foldable.hpp"
#include "keyedwalk/generic.hpp"
#include "keyedwalk/product.hpp"
#include "keyedwalk/sum.hpp"
#include "keyedwalk/traversable.hpp"
#include "walk.hpp"

namespace {

using fp::List;
using walktest::expected;
using walktest::ownOperations;
using walktest::walk;
using Chars = List<char>;

TEST(Composite, CompositionsVisitEachInnerContainerWholeInOuterOrder) {
  const List<Chars> nested{Chars{'a', 'b'}, Chars{'c'}};
  const auto composed = expected({"(0,0)a", "(0,1)b", "(1,0)c"}, "{{(0,0)a{(0,1)b.}}{{(1,0)c.}.}}");
  EXPECT_EQ(walk(keyedwalk::Compose{nested}), composed);
  EXPECT_EQ(ownOperations(keyedwalk::GCompose{nested}), ownOperations(composed)) << "the generic twin";
  EXPECT_EQ(walk(keyedwalk::Compose{List<Chars>{Chars{'a', 'b'}, Chars{}, Chars{'c'}}}),
            expected({"(0,0)a", "(0,1)b", "(2,0)c"}, "{{(0,0)a{(0,1)b.}}{.{{(2,0)c.}.}}}"))
      << "an empty inner list between";
  EXPECT_EQ(walk(keyedwalk::Compose{List<Chars>()}), expected({}, "."));
}

TEST(Composite, ProductsVisitTheFirstPartThenTheSecond) {
  const auto product = expected({"L0a", "L1b", "R0c"}, "{{L0a{L1b.}}{R0c.}}");
  EXPECT_EQ(walk(keyedwalk::Product{Chars{'a', 'b'}, Chars{'c'}}), product);
  EXPECT_EQ(ownOperations(keyedwalk::GProduct{Chars{'a', 'b'}, Chars{'c'}}), ownOperations(product))
      << "the generic twin";
  EXPECT_EQ(walk(keyedwalk::Pair(Chars{}, Chars{'c'})), expected({"R0c"}, "{.{R0c.}}"))
      << "mempty <> the fold of the second part";
  EXPECT_EQ(walk(keyedwalk::Product{Chars{'a'}, Chars{}}), expected({"L0a"}, "{{L0a.}.}"));
}

TEST(Composite, SumsVisitTheAlternativeThatIsHeld) {
  using Sum = keyedwalk::Sum<Chars, std::vector<char>>;
  using GSum = keyedwalk::GSum<Chars, std::vector<char>>;
  const auto second = expected({"R0x"}, "{R0x.}");
  const auto first = expected({"L0a", "L1b"}, "{L0a{L1b.}}");
  EXPECT_EQ(walk(Sum(keyedwalk::InR{std::vector<char>{'x'}})), second);
  EXPECT_EQ(walk(Sum(keyedwalk::InL{Chars{'a', 'b'}})), first);
  EXPECT_EQ(ownOperations(GSum(keyedwalk::R1{std::vector<char>{'x'}})), ownOperations(second)) << "the generic twin";
  EXPECT_EQ(ownOperations(GSum(keyedwalk::L1{Chars{'a', 'b'}})), ownOperations(first));
}

TEST(Composite, MappedAndTraversedResultsKeepTheirShape) {
  const auto tag = [](const auto& i, char x) { return walktest::entry(i, x); };
  const auto checked = [](const auto& i, char x) { return std::optional(walktest::entry(i, x)); };
  using Strings = std::vector<std::string>;

  const keyedwalk::Compose grid{std::vector<std::vector<char>>{{'a', 'b'}, {}, {'c'}}};
  const keyedwalk::Compose gridTags{std::vector<Strings>{{"(0,0)a", "(0,1)b"}, {}, {"(2,0)c"}}};
  EXPECT_EQ(keyedwalk::imap(tag, grid), gridTags);
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, checked, grid), gridTags);

  const keyedwalk::Product pair{std::vector<char>{'a'}, std::vector<char>{'b', 'c'}};
  const keyedwalk::Product pairTags{Strings{"L0a"}, Strings{"R0b", "R1c"}};
  EXPECT_EQ(keyedwalk::imap(tag, pair), pairTags);
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, checked, pair), pairTags);

  using Sum = keyedwalk::Sum<std::vector<char>, std::vector<char>>;
  using Tags = keyedwalk::Sum<Strings, Strings>;
  const Sum held = keyedwalk::InR{std::vector<char>{'x'}};
  EXPECT_EQ(keyedwalk::imap(tag, held), Tags(keyedwalk::InR{Strings{"R0x"}})) << "the same alternative";
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, checked, held), Tags(keyedwalk::InR{Strings{"R0x"}}));
  EXPECT_EQ(keyedwalk::imap(tag, Sum(keyedwalk::InL{std::vector<char>{'x'}})), Tags(keyedwalk::InL{Strings{"L0x"}}));

  int calls = 0;
  const auto never = [&](const auto&, char) { return ++calls, std::optional(0); };
  EXPECT_EQ(keyedwalk::imap(never, keyedwalk::Compose{std::vector<std::vector<char>>{}}).value.size(), 0u);
  EXPECT_EQ(calls, 0);
}

TEST(Composite, AProductDecidedByItsFirstPartNeverFoldsTheSecond) {
  int second = 0;
  const auto isA = [&](const fp::Either<std::int64_t, std::int64_t>& i, char x) {
    second += i.isRight();
    return x == 'a';
  };
  EXPECT_TRUE(keyedwalk::ifoldMap(fp::AnyMonoid{}, isA, keyedwalk::Product{Chars{'b', 'a'}, fp::repeat('a')}));
  EXPECT_TRUE(keyedwalk::iany(isA, keyedwalk::GProduct{std::vector<char>{'a'}, fp::repeat('z')}));
  EXPECT_EQ(keyedwalk::ifind(isA, keyedwalk::Product{Chars{'a'}, fp::repeat('a')}),
            std::pair(fp::Either<std::int64_t, std::int64_t>(fp::Left<std::int64_t>{0}), 'a'));
  EXPECT_EQ(second, 0);

  EXPECT_TRUE(keyedwalk::iany(isA, keyedwalk::Product{Chars{'b'}, fp::repeat('a')}));
  EXPECT_EQ(second, 1) << "undecided by the first part: the second is folded as far as it takes";
}

TEST(Composite, LazyResultsKeepAnRvalueContainerAlive) {
  // Each result is read after the container it came from was handed over and is gone.
  using Grid = std::vector<std::vector<char>>;
  const auto entries = keyedwalk::itoList(keyedwalk::Compose{Grid{{'a', 'b'}, {'c'}}});
  const auto concatenated = keyedwalk::iconcatMap(
      [](const auto&, char x) { return Chars{x, x}; }, keyedwalk::Product{std::vector<char>{'a'}, std::vector<char>{'b'}});
  using Held = keyedwalk::Sum<std::vector<char>, std::vector<char>>;
  const auto fromSum = keyedwalk::ifoldMap(fp::ListMonoid<char>{}, [](const auto&, char x) { return Chars{x}; },
                                           Held(keyedwalk::InL{std::vector<char>{'s', 't'}}));
  const auto traversed = keyedwalk::itraverse(
      walktest::Logged{},
      [](const auto& i, char x) {
        return walktest::Logged::state([i, x](const std::string& log) { return std::pair(x, log + walktest::show(i)); });
      },
      keyedwalk::Compose{Grid{{'a'}, {'b'}}});

  std::string read;
  for (const auto& [i, x] : entries) read += walktest::entry(i, x);
  EXPECT_EQ(read, "(0,0)a(0,1)b(1,0)c");
  EXPECT_EQ(concatenated.toVector(), (std::vector<char>{'a', 'a', 'b', 'b'}));
  EXPECT_EQ(fromSum.toVector(), (std::vector<char>{'s', 't'}));
  EXPECT_EQ(walktest::Logged::execState(traversed, ""), "(0,0)(1,0)");
}

TEST(Composite, PlainCapabilitiesDropTheIndex) {
  const keyedwalk::Compose grid{std::vector<Chars>{Chars{'a', 'b'}, Chars{'c'}}};
  const auto upper = fp::fmap([](char x) { return char(x - 32); }, grid);
  EXPECT_EQ(fp::foldMap(walktest::Concat{}, [](char x) { return std::string(1, x); }, upper), "ABC");
  using Plain = fp::Foldable<keyedwalk::Compose<std::vector<Chars>>>;
  EXPECT_EQ(Plain::length(grid), 3);
  EXPECT_FALSE(Plain::null(grid));
  EXPECT_TRUE(Plain::null(keyedwalk::Compose{std::vector<Chars>{Chars{}}}));
  EXPECT_EQ(fp::traverse(fp::OptionalEffect{}, [](char x) { return std::optional(x); },
                         keyedwalk::Product{Chars{'a'}, Chars{'b'}}),
            (keyedwalk::Product{Chars{'a'}, Chars{'b'}}));
}

}  // namespace
