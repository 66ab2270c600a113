#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fp/classes.hpp"
#include "fp/generate.hpp"

namespace {

using fp::List;
using fp::NonEmpty;
using fp::ZipList;

// An effect that records the order in which actions run: an action is the log of what it did.
using Log = fp::WrappedMonad<fp::StateEffect<std::string>>;
fp::State<std::string, int> say(int x) {
  return fp::StateEffect<std::string>::state(
      [x](const std::string& log) { return std::pair(x, log + std::to_string(x)); });
}
std::string runLog(const fp::State<std::string, List<int>>& act) {
  return fp::StateEffect<std::string>::execState(act, "");
}

TEST(Traversable, OptionalStopsAtTheFirstFailureWithoutBuildingTheRest) {
  int visited = 0;
  const auto halve = [&](int x) {
    ++visited;
    return x % 2 ? std::nullopt : std::optional(x / 2);
  };
  EXPECT_EQ(fp::traverse(fp::OptionalEffect{}, halve, List<int>{2, 4}), List<int>({1, 2}));
  EXPECT_EQ(fp::traverse(fp::OptionalEffect{}, halve, List<int>()), List<int>());
  visited = 0;
  EXPECT_EQ(fp::traverse(fp::OptionalEffect{}, halve, fp::iota(0, 1000)), std::nullopt);
  EXPECT_EQ(visited, 2) << "0 succeeds, 1 fails, nothing after it is looked at";
  EXPECT_EQ(fp::traverse(fp::OptionalEffect{}, halve, fp::iota(0)), std::nullopt)
      << "stops on an unbounded list";
}

TEST(Traversable, EveryKindKeepsItsShape) {
  const auto twice = [](int x) { return std::optional(2 * x); };
  EXPECT_EQ(fp::traverse(fp::OptionalEffect{}, twice, ZipList<int>(List<int>{1, 2}))->list(),
            (List<int>{2, 4}));
  EXPECT_EQ(fp::traverse(fp::OptionalEffect{}, twice, NonEmpty<int>(1, List<int>{2})),
            NonEmpty<int>(2, List<int>{4}));
  EXPECT_EQ(fp::traverse(fp::IdentityEffect{}, [](int x) { return fp::Identity<int>{x + 1}; },
                         NonEmpty<int>(1))
                .value,
            NonEmpty<int>(2));
}

TEST(Traversable, IdentityTraversalIsOnDemand) {
  int calls = 0;
  const auto result = fp::traverse(
      fp::IdentityEffect{}, [&](int x) { return ++calls, fp::Identity<int>{x * 10}; }, fp::iota(0));
  EXPECT_EQ(result.value.take(3).toVector(), (std::vector<int>{0, 10, 20}));
  EXPECT_LE(calls, 4);
}

TEST(Effects, ActionsRunLeftFirstAndBackwardsRunsThemRightFirst) {
  const List<int> xs{1, 2, 3};
  EXPECT_EQ(runLog(fp::traverse(Log{}, say, xs)), "123");
  EXPECT_EQ(runLog(fp::traverse(fp::StateEffect<std::string>{}, say, xs)), "123");

  const fp::Backwards<fp::StateEffect<std::string>> backwards;
  const auto reversed = fp::traverse(backwards, say, xs);
  EXPECT_EQ(runLog(reversed), "321") << "the right action runs first";
  EXPECT_EQ(fp::StateEffect<std::string>::evalState(reversed, ""), (List<int>{1, 2, 3}))
      << "each result keeps its place";
}

TEST(Effects, ApplicativeDefaults) {
  const fp::OptionalEffect maybe;
  const auto none = [] { return std::optional<int>(); };
  EXPECT_EQ(maybe.ap(std::optional([](int x) { return x + 1; }), [] { return std::optional(1); }),
            std::optional(2));
  EXPECT_EQ(maybe.thenRight(std::optional(1), [] { return std::optional('r'); }),
            std::optional('r'));
  EXPECT_EQ(maybe.thenLeft(std::optional('l'), [] { return std::optional(2); }),
            std::optional('l'));
  EXPECT_EQ(maybe.thenLeft(std::optional('l'), none), std::nullopt);
  EXPECT_EQ(maybe.replace('x', std::optional(1)), std::optional('x'));
  EXPECT_EQ(maybe.bind(std::optional(3), [](int x) { return std::optional(x * 2); }),
            std::optional(6));
  EXPECT_EQ(maybe.then(std::optional(3), [] { return std::optional(4); }), std::optional(4));
  EXPECT_EQ(maybe.ret(5), std::optional(5));

  const fp::WrappedMonad<fp::OptionalEffect> wrapped;
  EXPECT_EQ(wrapped.liftA2(std::plus<>{}, std::optional(1), [] { return std::optional(2); }),
            std::optional(3));
  EXPECT_EQ(wrapped.liftA2(std::plus<>{}, std::optional(1), none), std::nullopt);
  EXPECT_EQ(wrapped.pure(1), std::optional(1));
}

TEST(Effects, ConstCarriesMonoidValuesAndStopsWhenTheMonoidDecides) {
  const fp::ConstEffect<fp::ListMonoid<int>> collect;
  const auto seen = fp::traverse(
      collect, [](int x) { return fp::Const<List<int>, fp::Unit>{List<int>{x, -x}}; },
      List<int>{1, 2});
  EXPECT_EQ(seen.value, (List<int>{1, -1, 2, -2}));
  EXPECT_EQ(collect.pure(0).value, List<int>());

  int visited = 0;
  const fp::ConstEffect<fp::AnyMonoid> any;
  const auto found = fp::traverse(
      any, [&](int x) { return ++visited, fp::Const<bool, fp::Unit>{x == 2}; }, fp::iota(0));
  EXPECT_TRUE(found.value);
  EXPECT_EQ(visited, 3);
}

TEST(State, TraversingAnUnboundedListRunsOnlyTheTransitionsItsResultsNeed) {
  using Counter = fp::StateEffect<int>;
  int transitions = 0;
  const auto tag = [&](char c) {
    return Counter::state([&transitions, c](int n) {
      ++transitions;
      return std::pair(std::pair(n, c), n + 1);
    });
  };
  const auto tagged = fp::traverse(Counter{}, tag, fp::repeat('x'));
  const auto results = Counter::evalState(tagged, 10);
  EXPECT_EQ(transitions, 1) << "the first cell of the result, with its element";
  EXPECT_EQ(results.take(3).toVector(),
            (std::vector<std::pair<int, char>>{{10, 'x'}, {11, 'x'}, {12, 'x'}}));
  EXPECT_EQ(transitions, 3);
}

TEST(State, PrimitivesAndBind) {
  using S = fp::StateEffect<int>;
  const auto program = S::bind(S::get(), [](int n) {
    return S{}.then(S::put(n * 2), [] { return S::fmap([](int m) { return m + 1; }, S::get()); });
  });
  const auto step = S::runState(program, 5);
  EXPECT_EQ(step.result.get(), 11);
  EXPECT_EQ(step.state.get(), 10);
  EXPECT_EQ(S::execState(S::modify([](int n) { return n - 1; }), 5), 4);
  EXPECT_EQ(S::evalState(S::pure(std::string("p")), 0), "p");
}

TEST(State, UnusedResultsCostNothing) {
  using S = fp::StateEffect<int>;
  int transitions = 0;
  const auto counted = S::state([&](int n) { return ++transitions, std::pair(n, n + 1); });
  const auto both = S::liftA2([](int a, auto&&) { return a; }, counted, [&] { return counted; });
  EXPECT_EQ(S::evalState(both, 0), 0);
  EXPECT_EQ(transitions, 1) << "the right result and the final state were never used";
  EXPECT_EQ(S::execState(both, 0), 2);
}

}  // namespace
