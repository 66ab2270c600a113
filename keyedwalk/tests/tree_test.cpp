// Trees indexed by paths, functions by their argument, readers by (environment, index); trees of
// any depth or width on the default stack.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fp/consume.hpp"
#include "keyedwalk/foldable.hpp"
#include "keyedwalk/function.hpp"
#include "keyedwalk/reader.hpp"
#include "keyedwalk/traversable.hpp"
#include "keyedwalk/tree.hpp"
#include "walk.hpp"
#include "fp/testing/sanitized.hpp"
#include "fp/testing/monoids.hpp"

namespace {

using fp::List;
using keyedwalk::Tree;
using keyedwalk::TreePath;
using walktest::expected;
using walktest::walk;
using T = Tree<char>;

TEST(Tree, EveryOperationVisitsTheNodesInPreOrderWithTheirPaths) {
  EXPECT_EQ(walk(T('t', {T('u', {T('w')}), T('v')})),
            expected({"[]t", "[0]u", "[0,0]w", "[1]v"}, "{[]t{{[0]u{{[0,0]w.}.}}{{[1]v.}.}}}"));
  EXPECT_EQ(walk(T('r', {T('a'), T('b'), T('c')})),
            expected({"[]r", "[0]a", "[1]b", "[2]c"}, "{[]r{{[0]a.}{{[1]b.}{{[2]c.}.}}}}"))
      << "children count from 0";
  EXPECT_EQ(walk(T('x')), expected({"[]x"}, "{[]x.}"));
}

TEST(Tree, MappedAndTraversedTreesKeepTheirShape) {
  using S = Tree<std::string>;
  const T t('t', {T('u', {T('w')}), T('v')});
  const S tags("[]t", {S("[0]u", {S("[0,0]w")}), S("[1]v")});
  EXPECT_EQ(keyedwalk::imap(walktest::entry, t), tags);
  const auto checked = [](const TreePath& p, char x) { return std::optional(walktest::entry(p, x)); };
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, checked, t), tags);

  int visited = 0;
  const auto failAtW = [&](const TreePath&, char x) { return ++visited, x == 'w' ? std::nullopt : std::optional(x); };
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, failAtW, t), std::nullopt);
  EXPECT_EQ(visited, 3) << "t, u, w: v is never reached";
}

TEST(Tree, ImapComputesANodeOnlyWhenItIsRead) {
  int calls = 0;
  const T t('t', {T('u', {T('w')}), T('v')});
  const auto mapped = keyedwalk::imap([&](const TreePath& p, char x) { return ++calls, walktest::entry(p, x); }, t);
  EXPECT_EQ(calls, 0) << "nothing at the call";
  EXPECT_EQ(mapped.label(), "[]t");
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(mapped.children().head().label(), "[0]u");
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(mapped.children().tail().head().label(), "[1]v");
  EXPECT_EQ(calls, 3) << "w, below u, is still not computed";
}

TEST(Tree, PlainCapabilitiesDropThePath) {
  const T t('t', {T('u', {T('w')}), T('v')});
  EXPECT_EQ(fp::foldMap(walktest::Concat{}, [](char x) { return std::string(1, x); }, fp::fmap([](char x) { return char(x - 32); }, t)),
            "TUWV");
  EXPECT_EQ(fp::Foldable<T>::length(t), 4);
  EXPECT_FALSE(fp::Foldable<T>::null(t));
}

TEST(Function, TheIndexIsTheArgumentAndTheValueIsComputedOnlyWhenUsed) {
  int calls = 0;
  const std::function<int(int)> square = [&](int r) { return ++calls, r * r; };
  const auto shifted = keyedwalk::imap([](int r, int value) { return value + 100 * r; }, square);
  EXPECT_EQ(shifted(5), 525);
  EXPECT_EQ(calls, 1);
  const auto ignoring = keyedwalk::imap([](int r, const auto&) { return -r; }, square);
  EXPECT_EQ(ignoring(5), -5);
  EXPECT_EQ(calls, 1);
  const auto twice = keyedwalk::imap([](int, const fp::Deferred<int>& value) { return value.get() + value.get(); }, square);
  EXPECT_EQ(twice(3), 18);
  EXPECT_EQ(calls, 2) << "computed once, however often used";
  EXPECT_EQ(fp::fmap([](int x) { return x + 1; }, square)(4), 17);
}

int cube(int r) { return r * r * r; }

TEST(Function, AnyCallableOfOneArgumentIsMappedTheSameWay) {
  int calls = 0;
  const auto square = [&calls](int r) { return ++calls, r * r; };
  const auto shifted = keyedwalk::imap([](int r, int value) { return value + 100 * r; }, square);
  EXPECT_EQ(shifted(5), 525);
  EXPECT_EQ(keyedwalk::imap([](int r, const auto&) { return -r; }, square)(5), -5);
  EXPECT_EQ(calls, 1) << "the value is computed only when used";
  EXPECT_EQ(keyedwalk::imap([](int r, int value) { return value - r; }, shifted)(1), 100) << "a mapped function maps again";
  EXPECT_EQ(keyedwalk::imap([](int r, int value) { return value + r; }, &cube)(2), 10);
  EXPECT_EQ(fp::fmap([](int x) { return x + 1; }, &cube)(2), 9);
}

TEST(ReaderT, TheIndexPairsTheEnvironmentWithTheInnerIndex) {
  std::vector<std::string> seen;
  const keyedwalk::ReaderT reader{[&](const std::string& env) {
    seen.push_back(env);
    return List<char>{'p', 'q'};
  }};
  const auto mapped = keyedwalk::imap(
      [](const std::pair<std::string, std::int64_t>& at, char x) { return at.first + std::to_string(at.second) + x; },
      reader);
  EXPECT_EQ(mapped.run("e").toVector(), (std::vector<std::string>{"e0p", "e1q"}));
  EXPECT_EQ(seen, (std::vector<std::string>{"e"}));
  EXPECT_EQ(fp::fmap([](char x) { return x == 'q'; }, reader).run("f").toVector(), (std::vector<bool>{false, true}));
}

constexpr std::int64_t kScale = fp::testing::kSanitized ? 10 : 1;  // every step many times slower
constexpr std::int64_t kDepth = 100'000 / kScale;
constexpr std::int64_t kWidth = 1'000'000 / kScale;

using Big = Tree<std::int64_t>;

// 0 above 1 above ... above n - 1: each label is the node's depth.
Big pathShaped(std::int64_t n) {
  Big t(n - 1);
  for (std::int64_t depth = n - 1; depth-- > 0;) t = Big(depth, {t});
  return t;
}

// A root labelled 0 with leaves labelled 1 to n.
Big wide(std::int64_t n) {
  std::vector<Big> leaves;
  leaves.reserve(static_cast<std::size_t>(n));
  for (std::int64_t i = 1; i <= n; ++i) leaves.emplace_back(i);
  return Big(0, List<Big>::from(std::move(leaves)));
}

using fp::testing::SumMonoid;

const auto label = [](const TreePath&, std::int64_t x) { return x; };
const auto plus = [](const TreePath&, std::int64_t acc, std::int64_t x) { return acc + x; };

// The strict fold, and a lazy one forced to the end, nesting once per node.
void expectFoldsComplete(const Big& t, std::int64_t sum) {
  EXPECT_EQ(keyedwalk::ifoldlPrime(plus, std::int64_t{0}, t), sum);
  EXPECT_EQ(keyedwalk::ifoldMap(SumMonoid{}, label, t), sum);
}

TEST(Tree, APathHundredsOfThousandsOfLevelsDeep) {
  const Big t = pathShaped(kDepth);
  const std::int64_t sum = kDepth * (kDepth - 1) / 2;
  EXPECT_TRUE(t == pathShaped(kDepth));
  expectFoldsComplete(t, sum);
  EXPECT_EQ(keyedwalk::ifoldr([](const TreePath&, std::int64_t x, std::int64_t acc) { return acc + x; },
                              std::int64_t{0}, t),
            sum);
  std::int64_t listed = 0;
  for (const auto& entry : fp::consume(keyedwalk::itoList(t))) listed += entry.second;
  EXPECT_EQ(listed, sum) << "read one entry at a time";
  const auto traversed =
      keyedwalk::itraverse(fp::OptionalEffect{}, [](const TreePath&, std::int64_t x) { return std::optional(x); }, t);
  ASSERT_TRUE(traversed.has_value());
  EXPECT_EQ(keyedwalk::ifoldMap(SumMonoid{}, label, *traversed), sum);

  // Only the deepest node reads its path: n - 1 steps down.
  const auto mapped = keyedwalk::imap(
      [](const TreePath& p, std::int64_t depth) { return depth == kDepth - 1 ? p.length() : -depth; }, t);
  Big at = mapped;
  while (!at.children().empty()) at = Big(at.children().head());
  EXPECT_EQ(at.label(), kDepth - 1);
}

TEST(Tree, ARootWithAMillionLeaves) {
  const Big t = wide(kWidth);
  expectFoldsComplete(t, kWidth * (kWidth + 1) / 2);

  // Each leaf's path is its position, read as the mapped children are.
  const auto mapped = keyedwalk::imap([](const TreePath& p, std::int64_t x) { return p.empty() ? 0 : x - p.head(); }, t);
  std::int64_t ones = 0;
  for (const Big& leaf : fp::consume(mapped.children())) ones += leaf.label();
  EXPECT_EQ(ones, kWidth);
}

}  // namespace
