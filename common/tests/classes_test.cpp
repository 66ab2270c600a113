#include "fp/classes.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "fp/generate.hpp"

namespace {

using fp::List;
using fp::NonEmpty;
using fp::ZipList;

// String concatenation: a monoid that is not commutative, so it shows the order of operands.
struct Concat : fp::MonoidDefaults<Concat> {
  using Value = std::string;
  static std::string mempty() { return "e"; }
  template <class Rhs>
  static std::string append(const std::string& a, Rhs&& b) {
    return "(" + a + "." + std::string(b()) + ")";
  }
};

TEST(Functor, MapsEveryKindOnDemand) {
  const auto tag = [](int x) { return std::to_string(x); };
  EXPECT_EQ(fp::fmap(tag, List<int>{1, 2}), (List<std::string>{"1", "2"}));
  EXPECT_EQ(fp::fmap(tag, ZipList<int>(List<int>{3})).list(), List<std::string>{"3"});
  EXPECT_EQ(fp::fmap(tag, NonEmpty<int>(1, List<int>{2})),
            NonEmpty<std::string>("1", List<std::string>{"2"}));
  EXPECT_EQ(fp::Functor<List<int>>::replace('x', List<int>{1, 2}), (List<char>{'x', 'x'}));

  int calls = 0;
  const auto mapped = fp::fmap([&](int x) { return ++calls, x * x; }, fp::iota(0));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(mapped.take(3).toVector(), (std::vector<int>{0, 1, 4}));
  EXPECT_EQ(calls, 3);
}

TEST(Foldable, FoldsCombineInVisitingOrder) {
  const List<std::string> xs{"a", "b", "c"};
  const auto id = [](const std::string& s) { return s; };
  EXPECT_EQ(fp::foldMap(Concat{}, id, xs), "(a.(b.(c.e)))");
  EXPECT_EQ(fp::foldMapPrime(Concat{}, id, xs), "(((e.a).b).c)");
  EXPECT_EQ(fp::foldr([](const std::string& x, std::string acc) { return x + acc; },
                      std::string("z"), xs),
            "abcz");
  EXPECT_EQ(fp::foldrPrime([](const std::string& x, std::string acc) { return x + acc; },
                           std::string("z"), xs),
            "abcz");
  EXPECT_EQ(fp::foldl([](std::string acc, const std::string& x) { return acc + x; },
                      std::string("z"), xs),
            "zabc");
  EXPECT_EQ(fp::foldlPrime([](std::string acc, const std::string& x) { return acc + x; },
                           std::string("z"), xs),
            "zabc");
  EXPECT_EQ(fp::foldMap(Concat{}, id, List<std::string>()), "e");

  // The other kinds fold exactly the list of their elements.
  EXPECT_EQ(fp::foldMap(Concat{}, id, ZipList<std::string>(xs)), "(a.(b.(c.e)))");
  EXPECT_EQ(fp::foldMap(Concat{}, id, NonEmpty<std::string>("a", xs.tail())), "(a.(b.(c.e)))");
  EXPECT_EQ(fp::Foldable<NonEmpty<int>>::length(NonEmpty<int>(1, List<int>{2})), 2);
}

TEST(Foldable, LazyFoldsStopAtTheDecidingElementOfAnUnboundedList) {
  int visited = 0;
  const auto counted = fp::fmap([&](int x) { return ++visited, x; }, fp::iota(0));
  EXPECT_TRUE(fp::foldMap(fp::AnyMonoid{}, [](int x) { return x == 3; }, counted));
  EXPECT_EQ(visited, 4);
  EXPECT_FALSE(fp::foldMap(fp::AllMonoid{}, [](int x) { return x < 2; }, fp::iota(0)));
  EXPECT_EQ(fp::foldr([](int x, fp::Deferred<int> rest) { return x == 3 ? x * 10 : rest(); }, -1,
                      fp::iota(0)),
            30);
}

TEST(Foldable, LeftFoldDefersAccumulatorsTheCallbackIgnores) {
  int steps = 0;
  const int last = fp::foldl([&](fp::Deferred<int>, int x) { return ++steps, x; }, 0,
                             List<int>{1, 2, 3, 4});
  EXPECT_EQ(last, 4);
  EXPECT_EQ(steps, 1);
}

TEST(Foldable1, FoldsWithoutAStartValue) {
  using F1 = fp::Foldable1<NonEmpty<std::string>>;
  const NonEmpty<std::string> xs("a", List<std::string>{"b", "c"});
  const auto id = [](const std::string& s) { return s; };
  EXPECT_EQ(F1::foldMap1(Concat{}, id, xs), "(a.(b.c))");
  EXPECT_EQ(F1::foldMap1Prime(Concat{}, id, xs), "((a.b).c)");
  EXPECT_EQ(F1::foldrMap1(id, [](const std::string& x, std::string acc) { return x + acc; }, xs),
            "abc");
  EXPECT_EQ(F1::foldlMap1Prime(id, [](std::string acc, const std::string& x) { return acc + x; },
                               xs),
            "abc");
  EXPECT_EQ(F1::head(xs), "a");
  EXPECT_EQ(F1::last(xs), "c");
  EXPECT_EQ(F1::foldMap1(Concat{}, id, NonEmpty<std::string>("x")), "x");
}

TEST(Monoid, StandardCombinations) {
  EXPECT_EQ(fp::AnyMonoid{}.mconcat(List<bool>{false, true}), true);
  EXPECT_EQ(fp::AnyMonoid{}.mconcat(List<bool>()), false);
  EXPECT_EQ(fp::AllMonoid{}.mconcat(List<bool>()), true);
  EXPECT_EQ(fp::AllMonoid{}.mconcat(List<bool>{true, false}), false);
  EXPECT_EQ(Concat{}.mconcat(List<std::string>{"a", "b"}), "(a.(b.e))");
  EXPECT_EQ(Concat{}.sconcat(NonEmpty<std::string>("a", List<std::string>{"b"})), "(a.b)");
  EXPECT_EQ(Concat{}.mappend("a", [] { return std::string("b"); }), "(a.b)");
  EXPECT_EQ(fp::Dual<Concat>{}.append("a", [] { return std::string("b"); }), "(b.a)");
  EXPECT_EQ(fp::Dual<Concat>{}.mempty(), "e");
  EXPECT_EQ(fp::Dual<fp::ListMonoid<int>>{}.mconcat(List<List<int>>{{1}, {2, 3}}),
            (List<int>{2, 3, 1}));

  using Endo = fp::EndoMonoid<int>;
  const auto composed = Endo{}.append([](int x) { return x + 1; }, [] {
    return Endo::Value([](int x) { return x * 2; });
  });
  EXPECT_EQ(Endo::apply(composed, 5), 11) << "(g <> h)(x) is g(h(x))";
  EXPECT_EQ(Endo::apply(Endo::mempty(), 5), 5);
}

TEST(Monoid, RightOperandIsComputedOnlyWhenUsed) {
  int computed = 0;
  const auto rhs = [&] { return ++computed, true; };
  EXPECT_TRUE(fp::AnyMonoid::append(true, rhs));
  EXPECT_FALSE(fp::AllMonoid::append(false, rhs));
  EXPECT_EQ(computed, 0);

  const auto joined = fp::ListMonoid<int>::append(List<int>{1}, [&] {
    ++computed;
    return List<int>{2};
  });
  EXPECT_EQ(joined.head(), 1);
  EXPECT_EQ(computed, 0);
  EXPECT_EQ(joined.toVector(), (std::vector<int>{1, 2}));
  EXPECT_EQ(computed, 1);

  // An Endo whose left function ignores its argument never runs the right one.
  using Endo = fp::EndoMonoid<int>;
  const auto constant = Endo{}.append([](fp::Deferred<int>) { return 0; }, [&] {
    return Endo::Value([&](int x) { return ++computed, x; });
  });
  EXPECT_EQ(Endo::apply(constant, 9), 0);
  EXPECT_EQ(computed, 1);
}

TEST(Monoid, StimesCombinesCopiesAndRejectsCountsBelowOne) {
  EXPECT_EQ(fp::ListMonoid<int>{}.stimes(3, List<int>{1, 2}), (List<int>{1, 2, 1, 2, 1, 2}));
  EXPECT_EQ(Concat{}.stimes(1, "a"), "a");
  EXPECT_EQ(std::string(Concat{}.stimes(5, "a")).size() - 4 * 3, 5u) << "five a's, four joins";
  EXPECT_EQ(fp::ListMonoid<int>{}.stimes(1000, List<int>{7}).length(), 1000);
  for (const std::int64_t bad : {std::int64_t{0}, std::int64_t{-1}, INT64_MIN})
    EXPECT_THROW(Concat{}.stimes(bad, "a"), std::invalid_argument) << bad;
}

TEST(Show, StandardRenderings) {
  struct Case {
    std::string shown, expected;
  };
  const Case cases[] = {
      {fp::show(List<int>{1, -2, 3}), "[1,-2,3]"},
      {fp::show(List<int>()), "[]"},
      {fp::show(List<List<int>>{{1}, {}}), "[[1],[]]"},
      {fp::show(fp::String::from(std::string("ab"))), "\"ab\""},
      {fp::show(fp::String()), "\"\""},
      {fp::show(fp::String::from(std::string("q\"\\\n\t\x01" "1"))), "\"q\\\"\\\\\\n\\t\\0011\""},
      {fp::show('a'), "'a'"},
      {fp::show('\''), "'\\''"},
      {fp::show(std::string("x")), "\"x\""},
      {fp::show(List<std::string>{"a", "b"}), "[\"a\",\"b\"]"},
      {fp::show(List<bool>{true, false}), "[true,false]"},
      {fp::show(List<double>{1.5, -0.25}), "[1.5,-0.25]"},
      {fp::show(std::pair(1, 'c')), "(1,'c')"},
      {fp::show(fp::unit), "()"},
      {fp::show(NonEmpty<int>(-1, List<int>{2})), "-1 :| [2]"},
      {fp::show(ZipList<int>(List<int>{4})), "[4]"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.shown, c.expected);

  std::string out;
  fp::Show<int>::showsPrec(11, -5, out);
  fp::Show<int>::showsPrec(11, 5, out);
  EXPECT_EQ(out, "(-5)5") << "negative numbers are parenthesised as arguments";
  out.clear();
  fp::Show<NonEmpty<int>>::showsPrec(6, NonEmpty<int>(1), out);
  EXPECT_EQ(out, "(1 :| [])");
}

}  // namespace
