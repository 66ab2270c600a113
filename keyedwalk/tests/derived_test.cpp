// The operations written once over any provider: searches, effectful walks, monadic folds,
// listing, and the accumulating maps.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "fp/generate.hpp"
#include "keyedwalk/foldable.hpp"
#include "keyedwalk/traversable.hpp"

namespace {

using fp::List;
using Entries = std::vector<std::pair<std::int64_t, char>>;

// The on-demand state effect with a log as its state: an action appends to the log.
using Log = fp::StateEffect<std::string>;
template <class A>
fp::State<std::string, A> say(std::string what, A result) {
  return Log::state([what = std::move(what), result](const std::string& log) { return std::pair(result, log + what); });
}

TEST(Derived, EmptyContainers) {
  const std::vector<char> none;
  const auto never = [](std::int64_t, char) -> bool { throw std::logic_error("called"); };
  EXPECT_FALSE(keyedwalk::iany(never, none));
  EXPECT_TRUE(keyedwalk::iall(never, none));
  EXPECT_TRUE(keyedwalk::inone(never, List<char>()));
  EXPECT_TRUE(keyedwalk::none([](char) -> bool { throw std::logic_error("called"); }, none));
  EXPECT_EQ(keyedwalk::ifind(never, none), std::nullopt);
  EXPECT_TRUE(keyedwalk::itoList(none).empty());
  EXPECT_TRUE(keyedwalk::iconcatMap([](std::int64_t, char c) { return List<char>{c}; }, none).empty());
  EXPECT_EQ(keyedwalk::itraverse_(fp::OptionalEffect{}, [](std::int64_t, char) { return std::optional(1); }, none),
            std::optional(fp::unit));
  const auto step = [](std::int64_t, int, char) -> std::optional<int> { throw std::logic_error("called"); };
  EXPECT_EQ(keyedwalk::ifoldlM(fp::OptionalEffect{}, step, 7, none), std::optional(7));
  EXPECT_EQ(keyedwalk::ifoldrM(fp::OptionalEffect{}, [](std::int64_t, char, int) -> std::optional<int> { return {}; }, 7,
                               List<char>()),
            std::optional(7));
  const auto accumulate = [](std::int64_t, int, char) -> std::pair<int, char> { throw std::logic_error("called"); };
  const auto [left, mappedLeft] = keyedwalk::imapAccumL(accumulate, 3, none);
  const auto [right, mappedRight] = keyedwalk::imapAccumR(accumulate, 3, List<char>());
  EXPECT_EQ(left.get(), 3);
  EXPECT_TRUE(mappedLeft.empty());
  EXPECT_EQ(right.get(), 3);
  EXPECT_TRUE(mappedRight.empty());
}

TEST(Derived, SearchesStopAtTheDecidingElementOfAnUnboundedList) {
  int looked = 0;
  const auto at = [&](auto test) {
    return [&looked, test](std::int64_t i, int) { return ++looked, test(i); };
  };
  EXPECT_TRUE(keyedwalk::iany(at([](std::int64_t i) { return i == 5; }), fp::iota(0)));
  EXPECT_EQ(looked, 6);
  looked = 0;
  EXPECT_FALSE(keyedwalk::iall(at([](std::int64_t i) { return i < 5; }), fp::iota(0)));
  EXPECT_EQ(looked, 6);
  looked = 0;
  EXPECT_FALSE(keyedwalk::inone(at([](std::int64_t i) { return i == 1; }), fp::iota(0)));
  EXPECT_EQ(looked, 2);
  looked = 0;
  EXPECT_EQ(keyedwalk::ifind(at([](std::int64_t i) { return i >= 2; }), fp::iota(10)), std::pair(std::int64_t{2}, 12));
  EXPECT_EQ(looked, 3);
  looked = 0;
  EXPECT_EQ(keyedwalk::ifind(at([](std::int64_t i) { return i >= 2; }), fp::NonEmpty<int>(10, fp::iota(11))),
            std::pair(std::int64_t{2}, 12));
  EXPECT_EQ(looked, 3);
}

TEST(Derived, ListingAndConcatenation) {
  EXPECT_EQ(keyedwalk::itoList(List<char>{'a', 'b', 'c'}).toVector(), (Entries{{0, 'a'}, {1, 'b'}, {2, 'c'}}));
  EXPECT_EQ(keyedwalk::itoList(fp::NonEmpty<char>('a', List<char>{'b'})).toVector(), (Entries{{0, 'a'}, {1, 'b'}}));
  EXPECT_EQ(keyedwalk::itoList(fp::repeat('x')).take(2).toVector(), (Entries{{0, 'x'}, {1, 'x'}}));
  const auto copies = [](std::int64_t i, char c) { return List<char>::from(std::string(static_cast<std::size_t>(i), c)); };
  EXPECT_EQ(keyedwalk::iconcatMap(copies, std::vector<char>{'a', 'b', 'c'}).toVector(), (std::vector<char>{'b', 'c', 'c'}));
  EXPECT_EQ(keyedwalk::iconcatMap(copies, fp::repeat('y')).take(4).toVector(), (std::vector<char>{'y', 'y', 'y', 'y'}))
      << "produced on demand, also from an unbounded list";
}

TEST(Derived, EffectfulWalksRunInVisitingOrderAndStopAtTheFirstFailure) {
  const List<char> abc{'a', 'b', 'c'};
  const auto logIndex = [](std::int64_t i, char x) { return say(std::to_string(i), x); };
  EXPECT_EQ(Log::execState(keyedwalk::itraverse_(Log{}, logIndex, abc), ""), "012");
  EXPECT_EQ(Log::execState(keyedwalk::ifor_(Log{}, std::vector<char>{'a', 'b'}, logIndex), ""), "01");
  EXPECT_EQ(Log::execState(keyedwalk::imapM_(Log{}, logIndex, abc), ""), "012");
  EXPECT_EQ(Log::execState(keyedwalk::iforM_(Log{}, abc, logIndex), ""), "012");
  const auto mapped = keyedwalk::imapM(Log{}, [](std::int64_t i, char x) { return say(std::to_string(i), char(x + 1)); }, abc);
  EXPECT_EQ(Log::execState(mapped, ""), "012");
  EXPECT_EQ(Log::evalState(mapped, "").toVector(), (std::vector<char>{'b', 'c', 'd'}));
  EXPECT_EQ(Log::execState(keyedwalk::iforM(Log{}, abc, logIndex), ""), "012");

  int visited = 0;
  const auto belowThree = [&](std::int64_t i, int) { return ++visited, i < 3 ? std::optional(i) : std::nullopt; };
  EXPECT_EQ(keyedwalk::itraverse_(fp::OptionalEffect{}, belowThree, fp::iota(0)), std::nullopt);
  EXPECT_EQ(visited, 4);
  visited = 0;
  EXPECT_EQ(keyedwalk::imapM_(fp::OptionalEffect{}, belowThree, std::vector<int>(10)), std::nullopt);
  EXPECT_EQ(visited, 4);
  visited = 0;
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, belowThree, std::vector<int>(10)), std::nullopt);
  EXPECT_EQ(visited, 4);
  EXPECT_EQ(keyedwalk::ifor(fp::OptionalEffect{}, List<int>{5, 5}, belowThree), List<std::int64_t>({0, 1}));
}

TEST(Derived, MonadicFoldsOrderTheirSteps) {
  const List<char> ab{'a', 'b'};
  const auto right = [](std::int64_t i, char x, std::string acc) {
    return say("f(" + std::to_string(i) + x + "," + acc + ")", acc + x);
  };
  const auto rightFold = keyedwalk::ifoldrM(Log{}, right, std::string("z"), ab);
  EXPECT_EQ(Log::execState(rightFold, ""), "f(1b,z)f(0a,zb)");
  EXPECT_EQ(Log::evalState(rightFold, ""), "zba");

  const auto left = [](std::int64_t i, std::string acc, char x) {
    return say("f(" + std::to_string(i) + "," + acc + x + ")", acc + x);
  };
  const auto leftFold = keyedwalk::ifoldlM(Log{}, left, std::string("z"), std::vector<char>{'a', 'b'});
  EXPECT_EQ(Log::execState(leftFold, ""), "f(0,za)f(1,zab)");
  EXPECT_EQ(Log::evalState(leftFold, ""), "zab");

  int steps = 0;
  const auto failAtThree = [&](std::int64_t i, std::int64_t acc, int) {
    return ++steps, i == 3 ? std::nullopt : std::optional(acc + i);
  };
  EXPECT_EQ(keyedwalk::ifoldlM(fp::OptionalEffect{}, failAtThree, std::int64_t{0}, fp::iota(0)), std::nullopt);
  EXPECT_EQ(steps, 4);
}

TEST(Derived, AccumulatingMaps) {
  const auto runningSum = [](std::int64_t, int acc, int x) { return std::pair(acc + x, acc); };
  const auto [total, sums] = keyedwalk::imapAccumL(runningSum, 0, List<int>{1, 2, 3});
  EXPECT_EQ(total.get(), 6);
  EXPECT_EQ(sums.toVector(), (std::vector<int>{0, 1, 3}));
  const auto [totalR, sumsR] = keyedwalk::imapAccumR(runningSum, 0, std::vector<int>{1, 2, 3});
  EXPECT_EQ(totalR.get(), 6);
  EXPECT_EQ(sumsR, (std::vector<int>{5, 3, 0}));

  // The indices stay with the elements whichever way the accumulator goes.
  const auto indexOnly = [](std::int64_t i, char acc, char) { return std::pair(acc, i); };
  for (const auto& [acc, indices] : {keyedwalk::imapAccumL(indexOnly, 's', fp::NonEmpty<char>('a', List<char>{'b', 'c'})),
                                     keyedwalk::imapAccumR(indexOnly, 's', fp::NonEmpty<char>('a', List<char>{'b', 'c'}))}) {
    EXPECT_EQ(acc.get(), 's');
    EXPECT_EQ(indices.toList().toVector(), (std::vector<std::int64_t>{0, 1, 2}));
  }

  int calls = 0;
  const auto [unbounded, firsts] =
      keyedwalk::imapAccumL([&](std::int64_t i, std::int64_t acc, int x) { return ++calls, std::pair(acc + x, acc * 10 + i); },
                            std::int64_t{0}, fp::iota(1));
  EXPECT_EQ(firsts.take(3).toVector(), (std::vector<std::int64_t>{0, 11, 32}));
  EXPECT_EQ(calls, 3);
  EXPECT_FALSE(unbounded.ready());

  // The accumulator reads as its value where a value is expected.
  const auto [path, letters] = keyedwalk::imapAccumL(
      [](std::int64_t, std::string acc, char x) { return std::pair(acc + x, x); }, std::string(), std::string("abc"));
  const std::string whole = path;
  EXPECT_EQ(whole, "abc");
  EXPECT_EQ(path + "!", "abc!");
}

TEST(Derived, PlaceholderResultsOfTheActionMonoidsCannotBeUsed) {
  const keyedwalk::Traversed<fp::OptionalEffect> traversed;
  const keyedwalk::Sequenced<fp::OptionalEffect> sequenced;
  const auto expectMessage = [](const auto& action, const std::string& message) {
    ASSERT_TRUE(action.has_value());
    try {
      action->value();
      FAIL() << "no error";
    } catch (const std::logic_error& e) {
      EXPECT_EQ(e.what(), message);
    }
  };
  expectMessage(traversed.mempty(), "Traversed: value used");
  expectMessage(sequenced.mempty(), "Sequenced: value used");
  expectMessage(traversed.mconcat(List<std::optional<keyedwalk::NoResult>>{traversed.discard(std::optional(1))}),
                "Traversed: value used");

  // Combining runs the left action first and builds the right one only when the effect goes on.
  int built = 0;
  const auto rest = [&] { return ++built, traversed.discard(std::optional(2)); };
  EXPECT_TRUE(traversed.append(traversed.discard(std::optional(1)), rest).has_value());
  EXPECT_FALSE(traversed.append(traversed.discard(std::optional<int>()), rest).has_value());
  EXPECT_FALSE(sequenced.append(sequenced.discard(std::optional<int>()), rest).has_value());
  EXPECT_EQ(built, 1);
}

}  // namespace
