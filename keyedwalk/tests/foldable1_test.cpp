// The folds of containers that are never empty: NonEmpty's own, and the defaults that a kind
// giving only ifoldMap1, or only ifoldrMap1, gets for the rest.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "fp/generate.hpp"
#include "keyedwalk/foldable.hpp"
#include "keyedwalk/foldable1.hpp"
#include "fp/testing/sanitized.hpp"

namespace {

using fp::List;
using fp::NonEmpty;
using Calls = std::vector<std::string>;

// A NonEmpty under another name, whose Foldable1WithIndex gives only the operation `Gives` names.
struct GivesFoldMap1 {};
struct GivesFoldrMap1 {};
template <class A, class Gives>
struct Chain {
  using value_type = A;
  NonEmpty<A> items;
};

}  // namespace

namespace keyedwalk {

template <class A>
struct Foldable1WithIndex<Chain<A, GivesFoldMap1>> : Foldable1WithIndexDefaults<Chain<A, GivesFoldMap1>> {
  using Index = std::int64_t;
  template <fp::Semigroup S, class F>
  static typename S::Value ifoldMap1(const S& s, F&& f, const Chain<A, GivesFoldMap1>& c) {
    return keyedwalk::ifoldMap1(s, std::forward<F>(f), c.items);
  }
};

template <class A>
struct Foldable1WithIndex<Chain<A, GivesFoldrMap1>> : Foldable1WithIndexDefaults<Chain<A, GivesFoldrMap1>> {
  using Index = std::int64_t;
  template <class F, class G>
  static auto ifoldrMap1(F&& f, G&& g, const Chain<A, GivesFoldrMap1>& c) {
    return keyedwalk::ifoldrMap1(std::forward<F>(f), std::forward<G>(g), c.items);
  }
};

}  // namespace keyedwalk

namespace {

std::string entry(std::int64_t i, char x) { return std::to_string(i) + x; }

// a then b, built by appending: g++ 12 warns falsely about "literal" + std::string at -O3.
std::string join(std::string a, const std::string& b) { return a += b; }

std::string paren(const std::string& a, const std::string& b) { return join(join("(", a), b) + ')'; }

// Strings under concatenation in parentheses: results show how `append` grouped them.
struct Grouping : fp::SemigroupDefaults<Grouping> {
  using Value = std::string;
  template <class Rhs>
  static std::string append(const std::string& a, Rhs&& b) {
    return paren(a, b());
  }
};

// The six folds over elements of type char, each with the calls of f and g in the order made.
struct Folds1 {
  std::string ifoldMap1, ifoldMap1Prime, ifoldrMap1, ifoldlMap1, ifoldrMap1Prime, ifoldlMap1Prime;
  Calls rightCalls, leftCalls;
  friend bool operator==(const Folds1&, const Folds1&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Folds1& w) {
    out << w.ifoldMap1 << " " << w.ifoldMap1Prime << " " << w.ifoldrMap1 << " " << w.ifoldlMap1 << " "
        << w.ifoldrMap1Prime << " " << w.ifoldlMap1Prime << " calls";
    for (const auto& c : w.rightCalls) out << " " << c;
    out << " |";
    for (const auto& c : w.leftCalls) out << " " << c;
    return out;
  }
};

template <class C>
Folds1 folds1(const C& c) {
  Folds1 w;
  const auto f = [](std::int64_t i, char x) { return entry(i, x); };
  const auto right = [](std::int64_t i, char x, std::string acc) { return paren(entry(i, x), acc); };
  const auto left = [](std::int64_t i, std::string acc, char x) { return paren(acc, entry(i, x)); };
  w.ifoldMap1 = keyedwalk::ifoldMap1(Grouping{}, f, c);
  w.ifoldMap1Prime = keyedwalk::ifoldMap1Prime(Grouping{}, f, c);
  w.ifoldrMap1 = keyedwalk::ifoldrMap1(f, right, c);
  w.ifoldlMap1 = keyedwalk::ifoldlMap1(f, left, c);
  w.ifoldrMap1Prime = keyedwalk::ifoldrMap1Prime(
      [&](std::int64_t i, char x) { return w.rightCalls.push_back(join("f", entry(i, x))), f(i, x); },
      [&](std::int64_t i, char x, std::string acc) { return w.rightCalls.push_back(join("g", entry(i, x))), right(i, x, acc); },
      c);
  w.ifoldlMap1Prime = keyedwalk::ifoldlMap1Prime(
      [&](std::int64_t i, char x) { return w.leftCalls.push_back(join("f", entry(i, x))), f(i, x); },
      [&](std::int64_t i, std::string acc, char x) { return w.leftCalls.push_back(join("g", entry(i, x))), left(i, acc, x); },
      c);
  return w;
}

const NonEmpty<char> kA('a');
const NonEmpty<char> kAb('a', List<char>{'b'});
const NonEmpty<char> kAbc('a', List<char>::cons('b', List<char>{'c'}));

TEST(Foldable1, TheSixFoldsGroupAndOrderTheirCalls) {
  const Folds1 one{.ifoldMap1 = "0a", .ifoldMap1Prime = "0a", .ifoldrMap1 = "0a", .ifoldlMap1 = "0a",
                   .ifoldrMap1Prime = "0a", .ifoldlMap1Prime = "0a", .rightCalls = {"f0a"}, .leftCalls = {"f0a"}};
  const Folds1 two{.ifoldMap1 = "(0a1b)", .ifoldMap1Prime = "(0a1b)", .ifoldrMap1 = "(0a1b)", .ifoldlMap1 = "(0a1b)",
                   .ifoldrMap1Prime = "(0a1b)", .ifoldlMap1Prime = "(0a1b)",
                   .rightCalls = {"f1b", "g0a"}, .leftCalls = {"f0a", "g1b"}};
  const Folds1 three{.ifoldMap1 = "(0a(1b2c))", .ifoldMap1Prime = "((0a1b)2c)", .ifoldrMap1 = "(0a(1b2c))",
                     .ifoldlMap1 = "((0a1b)2c)", .ifoldrMap1Prime = "(0a(1b2c))", .ifoldlMap1Prime = "((0a1b)2c)",
                     .rightCalls = {"f2c", "g1b", "g0a"}, .leftCalls = {"f0a", "g1b", "g2c"}};
  const struct {
    const NonEmpty<char>& items;
    const Folds1& expected;
  } cases[] = {{kA, one}, {kAb, two}, {kAbc, three}};
  for (const auto& c : cases) {
    EXPECT_EQ(folds1(c.items), c.expected) << "NonEmpty";
    EXPECT_EQ(folds1(Chain<char, GivesFoldMap1>{c.items}), c.expected) << "only ifoldMap1";
    EXPECT_EQ(folds1(Chain<char, GivesFoldrMap1>{c.items}), c.expected) << "only ifoldrMap1";
  }
}

TEST(Foldable1, TheLazyFoldsStopAtTheDecidingElementOfAnUnboundedTail) {
  const NonEmpty<int> unbounded(0, fp::iota(1));
  int calls = 0;
  const auto first = [&](std::int64_t i, int) { return ++calls, i; };
  const auto ignoresRest = [&](std::int64_t i, int, auto) { return ++calls, i; };
  EXPECT_EQ(keyedwalk::ifoldrMap1(first, ignoresRest, unbounded), 0);
  EXPECT_EQ(keyedwalk::ifoldrMap1(first, ignoresRest, Chain<int, GivesFoldMap1>{unbounded}), 0);
  EXPECT_EQ(calls, 2);

  calls = 0;
  const auto reaches = [&](std::int64_t i, int) { return ++calls, i == 2; };
  EXPECT_TRUE(keyedwalk::ifoldMap1(fp::AnyMonoid{}, reaches, unbounded));
  EXPECT_TRUE(keyedwalk::ifoldMap1(fp::AnyMonoid{}, reaches, Chain<int, GivesFoldrMap1>{unbounded}));
  EXPECT_EQ(calls, 6);

  // ifoldlMap1 begins at the last element; the others wait until g asks for them.
  calls = 0;
  const auto lastOnly = [&](std::int64_t i, auto, int) { return ++calls, i; };
  const NonEmpty<int> four(5, List<int>{6, 7, 8});
  EXPECT_EQ(keyedwalk::ifoldlMap1(first, lastOnly, four), 3);
  EXPECT_EQ(keyedwalk::ifoldlMap1(first, lastOnly, Chain<int, GivesFoldMap1>{four}), 3);
  EXPECT_EQ(calls, 2);
}

TEST(Foldable1, IfoldMap1GivesThePositionsOfIfoldMap) {
  const NonEmpty<char> xs('p', List<char>::from(std::string("qrstu")));
  const auto position = [](std::int64_t i, char) { return List<std::int64_t>{i}; };
  const auto all = keyedwalk::ifoldMap1(fp::ListMonoid<std::int64_t>{}, position, xs);
  EXPECT_EQ(all.toVector(), (std::vector<std::int64_t>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(all, keyedwalk::ifoldMap(fp::ListMonoid<std::int64_t>{}, position, xs));
}

TEST(Foldable1, FromMaybeAndSMaybe) {
  using Fn = keyedwalk::FromMaybe<std::string>;
  const keyedwalk::FromMaybeSemigroup<std::string> s;
  // p <> q = m ↦ p(just q(m)): q receives the argument, p receives q's result. (pq) is p given q.
  const Fn p{[](const Fn::Argument& m) { return m ? paren("p", m->get()) : std::string("p"); }};
  int built = 0, ran = 0;
  const auto q = [&] {
    ++built;
    return Fn{[&ran](const Fn::Argument& m) { return ++ran, m ? paren("q", m->get()) : std::string("q"); }};
  };
  const Fn both = s.append(p, q);
  EXPECT_EQ(built, 0);
  EXPECT_EQ(both.appFromMaybe(std::nullopt), "(pq)");
  EXPECT_EQ(both.appFromMaybe(fp::Deferred<std::string>("x")), "(p(qx))");
  EXPECT_EQ(built, 1) << "the right operand is computed once";

  const Fn ignores{[](const Fn::Argument&) { return std::string("stop"); }};
  ran = 0;
  EXPECT_EQ(s.append(ignores, q).appFromMaybe(std::nullopt), "stop");
  EXPECT_EQ(ran, 0) << "a p that ignores its argument never runs q";
  EXPECT_EQ(s.sconcat(NonEmpty<Fn>(p, List<Fn>{p, p})).appFromMaybe(std::nullopt), "(p(pp))");

  int computed = 0;
  const auto strict = keyedwalk::SJust(fp::Deferred<int>([&] { return ++computed, 4; }));
  EXPECT_EQ(computed, 1) << "SJust computes its value when it is made";
  EXPECT_TRUE(strict.isJust());
  EXPECT_EQ(*strict, 4);
  const keyedwalk::SMaybe<int> nothing = keyedwalk::SNothing;
  EXPECT_FALSE(nothing);
}

constexpr std::int64_t kScale = fp::testing::kSanitized ? 10 : 1;  // every step many times slower
constexpr std::int64_t kElements = 10'000'000 / kScale;

struct SumSemigroup : fp::SemigroupDefaults<SumSemigroup> {
  using Value = std::int64_t;
  template <class Rhs>
  static std::int64_t append(std::int64_t a, Rhs&& b) {
    return a + b();
  }
};

TEST(Foldable1, StrictFoldsOverTenMillionElements) {
  const NonEmpty<std::int64_t> xs(1, List<std::int64_t>::from(std::vector<std::int64_t>(kElements - 1, 1)));
  constexpr std::int64_t expected = kElements * (kElements - 1) / 2;  // Σ i over 0 .. n-1
  const auto weighted = [](std::int64_t i, std::int64_t x) { return i * x; };
  EXPECT_EQ(keyedwalk::ifoldMap1Prime(SumSemigroup{}, weighted, xs), expected);
  EXPECT_EQ(keyedwalk::ifoldlMap1Prime(weighted, [](std::int64_t i, std::int64_t acc, std::int64_t x) { return acc + i * x; }, xs),
            expected);
  EXPECT_EQ(keyedwalk::ifoldrMap1Prime(weighted, [](std::int64_t i, std::int64_t x, std::int64_t acc) { return acc + i * x; }, xs),
            expected);
}

}  // namespace
