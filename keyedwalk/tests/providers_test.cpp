// The list and sequence providers: every kind walks the same elements with the same indices in
// every operation, with the orders of calls and the early stops that each operation promises.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <deque>
#include <forward_list>
#include <list>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fp/generate.hpp"
#include "keyedwalk/foldable.hpp"
#include "keyedwalk/traversable.hpp"
#include "walks.hpp"

namespace {

using namespace keyedwalk::testing;

using fp::List;

template <class C>
std::string concat(const C& c) {
  std::string out;
  if constexpr (requires { c.toList(); })
    for (const auto& s : c.toList()) out += s;
  else
    for (const auto& s : c) out += s;
  return out;
}

template <class C>
Walks walk(const C& c) {
  Walks w;
  w.imap = concat(keyedwalk::imap(entry<std::int64_t>, c));
  w.ifoldMap = keyedwalk::ifoldMap(Trace{}, entry<std::int64_t>, c);
  w.ifoldMapPrime = keyedwalk::ifoldMapPrime(Trace{}, entry<std::int64_t>, c);
  w.ifoldr = keyedwalk::ifoldr(
      [](std::int64_t i, char x, std::string acc) { return paren(entry(i, x), acc); }, std::string("z"), c);
  w.ifoldl = keyedwalk::ifoldl(
      [](std::int64_t i, std::string acc, char x) { return paren(acc, entry(i, x)); }, std::string("z"), c);
  w.ifoldrPrime = keyedwalk::ifoldrPrime(
      [&](std::int64_t i, char x, std::string acc) {
        w.ifoldrPrimeCalls.push_back(entry(i, x));
        return paren(entry(i, x), acc);
      },
      std::string("z"), c);
  w.ifoldlPrime = keyedwalk::ifoldlPrime(
      [&](std::int64_t i, std::string acc, char x) {
        w.ifoldlPrimeCalls.push_back(entry(i, x));
        return paren(acc, entry(i, x));
      },
      std::string("z"), c);
  w.itraverseLog = Logged::execState(keyedwalk::itraverse(Logged{}, logIndex, c), "");
  return w;
}

const Walks kAbc{
    .imap = "0a1b2c",
    .ifoldMap = "0a1b2c.",
    .ifoldMapPrime = ".0a1b2c",
    .ifoldr = "(0a(1b(2cz)))",
    .ifoldl = "(((z0a)1b)2c)",
    .ifoldrPrime = "(0a(1b(2cz)))",
    .ifoldlPrime = "(((z0a)1b)2c)",
    .itraverseLog = "012",
    .ifoldrPrimeCalls = {"2c", "1b", "0a"},
    .ifoldlPrimeCalls = {"0a", "1b", "2c"},
};

TEST(Providers, EveryKindWalksTheSameElementsWithTheSameIndices) {
  const std::vector<char> vector{'a', 'b', 'c'};
  const std::array<char, 3> array{'a', 'b', 'c'};
  const List<char> built = List<char>::cons('a', fp::append(List<char>{'b'}, List<char>::cons('c', List<char>())));
  EXPECT_EQ(walk(List<char>{'a', 'b', 'c'}), kAbc) << "list in one buffer";
  EXPECT_EQ(walk(built), kAbc) << "list of cells and buffers";
  EXPECT_EQ(walk(fp::ZipList<char>(built)), kAbc);
  EXPECT_EQ(walk(fp::NonEmpty<char>('a', List<char>{'b', 'c'})), kAbc);
  EXPECT_EQ(walk(vector), kAbc);
  EXPECT_EQ(walk(std::deque<char>{'a', 'b', 'c'}), kAbc);
  EXPECT_EQ(walk(array), kAbc);
  EXPECT_EQ(walk(std::span<const char>(vector)), kAbc);
  EXPECT_EQ(walk(std::string("abc")), kAbc);
  EXPECT_EQ(walk(std::string_view("abc")), kAbc);
  EXPECT_EQ(walk(std::list<char>{'a', 'b', 'c'}), kAbc);
  EXPECT_EQ(walk(std::forward_list<char>{'a', 'b', 'c'}), kAbc);
  const char letters[] = {'a', 'b', 'c'};
  EXPECT_EQ(walk(letters), kAbc);
}

TEST(Providers, OneElementPlacesZAndMemptyLikeTheList) {
  const Walks one{.imap = "0a", .ifoldMap = "0a.", .ifoldMapPrime = ".0a", .ifoldr = "(0az)",
                  .ifoldl = "(z0a)", .ifoldrPrime = "(0az)", .ifoldlPrime = "(z0a)",
                  .itraverseLog = "0", .ifoldrPrimeCalls = {"0a"}, .ifoldlPrimeCalls = {"0a"}};
  EXPECT_EQ(walk(List<char>{'a'}), one);
  EXPECT_EQ(walk(fp::ZipList<char>(List<char>{'a'})), one);
  EXPECT_EQ(walk(fp::NonEmpty<char>('a')), one);
  EXPECT_EQ(walk(std::vector<char>{'a'}), one);
}

TEST(Providers, EmptyContainersNeverCallTheCallback) {
  const Walks empty{.imap = "", .ifoldMap = ".", .ifoldMapPrime = ".", .ifoldr = "z", .ifoldl = "z",
                    .ifoldrPrime = "z", .ifoldlPrime = "z", .itraverseLog = "",
                    .ifoldrPrimeCalls = {}, .ifoldlPrimeCalls = {}};
  EXPECT_EQ(walk(List<char>()), empty);
  EXPECT_EQ(walk(fp::ZipList<char>()), empty);
  EXPECT_EQ(walk(std::vector<char>()), empty);
  EXPECT_EQ(walk(std::deque<char>()), empty);
  EXPECT_EQ(walk(std::array<char, 0>()), empty);
  EXPECT_EQ(walk(std::span<const char>()), empty);
  EXPECT_EQ(walk(std::string()), empty);
  EXPECT_EQ(walk(std::forward_list<char>()), empty);
}

TEST(Providers, ResultsKeepTheContainersKind) {
  const auto twice = [](std::int64_t i, int x) { return static_cast<int>(i) + x; };
  EXPECT_EQ(keyedwalk::imap(twice, std::array<int, 3>{1, 1, 1}), (std::array<int, 3>{1, 2, 3}));
  EXPECT_EQ(keyedwalk::imap(twice, std::deque<int>{1, 1}), (std::deque<int>{1, 2}));
  EXPECT_EQ(keyedwalk::imap(twice, fp::NonEmpty<int>(1, List<int>{1})), fp::NonEmpty<int>(1, List<int>{2}));
  const auto checked = [](std::int64_t i, int x) { return std::optional(static_cast<int>(i) + x); };
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, checked, std::array<int, 2>{5, 5}),
            (std::array<int, 2>{5, 6}));
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, checked, std::vector<int>{}), std::vector<int>());
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, checked, fp::ZipList<int>(List<int>{0, 0})),
            fp::ZipList<int>(List<int>{0, 1}));
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, checked, fp::NonEmpty<int>(7)), fp::NonEmpty<int>(7));
  EXPECT_EQ(keyedwalk::imap(twice, std::list<int>{1, 1}), (std::list<int>{1, 2}));
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, checked, std::forward_list<int>{4, 4, 4}),
            (std::forward_list<int>{4, 5, 6}));
  const int ones[] = {1, 1};
  EXPECT_EQ(keyedwalk::imap(twice, ones), (std::vector<int>{1, 2})) << "a C array maps to a std::vector";

  // A string maps to a string of its characters, or to a vector of anything else.
  const auto upper = [](std::int64_t i, char c) { return i == 0 ? static_cast<char>(c - 32) : c; };
  EXPECT_EQ(keyedwalk::imap(upper, std::string("word")), "Word");
  EXPECT_EQ(keyedwalk::imap(upper, std::string_view("word")), "Word");
  EXPECT_EQ(keyedwalk::imap([](std::int64_t i, char) { return i; }, std::string_view("ab")), (std::vector<std::int64_t>{0, 1}));

  // An element type without a default constructor still fills a std::array.
  struct Tagged {
    explicit Tagged(std::int64_t v) : value(v) {}
    std::int64_t value;
  };
  const auto tagged = keyedwalk::imap([](std::int64_t i, int) { return Tagged(i); }, std::array<int, 2>{});
  EXPECT_EQ(tagged[1].value, 1);
}

TEST(Providers, ListImapComputesOnlyWhatIsRead) {
  int calls = 0;
  const auto mapped = keyedwalk::imap([&](std::int64_t i, int x) { return ++calls, i * 100 + x; }, fp::iota(7));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(mapped.take(3).toVector(), (std::vector<std::int64_t>{7, 108, 209}));
  EXPECT_EQ(calls, 3);
  const auto zipped = keyedwalk::imap([&](std::int64_t i, int) { return ++calls, i; }, fp::ZipList<int>(fp::iota(0)));
  EXPECT_EQ(zipped.list().take(2).toVector(), (std::vector<std::int64_t>{0, 1}));
  EXPECT_EQ(calls, 5);
}

TEST(Providers, LazyFoldsStopAtTheDecidingElementOfAnUnboundedList) {
  int calls = 0;
  const auto firstOnly = [&](std::int64_t i, int, auto) { return ++calls, i; };
  EXPECT_EQ(keyedwalk::ifoldr(firstOnly, std::int64_t{-1}, fp::iota(0)), 0);
  EXPECT_EQ(keyedwalk::ifoldr(firstOnly, std::int64_t{-1}, fp::ZipList<int>(fp::iota(0))), 0)
      << "the ZipList's ifoldr comes from the defaults, over its ifoldMap";
  EXPECT_EQ(keyedwalk::ifoldr(firstOnly, std::int64_t{-1}, fp::NonEmpty<int>(0, fp::iota(1))), 0);
  EXPECT_EQ(calls, 3);

  const auto third = [&](std::int64_t i, int, const fp::Deferred<std::int64_t>& rest) {
    return ++calls, i == 3 ? i : rest.get();
  };
  calls = 0;
  EXPECT_EQ(keyedwalk::ifoldr(third, std::int64_t{-1}, fp::iota(0)), 3);
  EXPECT_EQ(calls, 4);

  const auto even = [&](std::int64_t, int x) { return ++calls, x % 2 == 0; };
  calls = 0;
  EXPECT_TRUE(keyedwalk::ifoldMap(fp::AnyMonoid{}, even, fp::iota(1)));
  EXPECT_TRUE(keyedwalk::ifoldMap(fp::AnyMonoid{}, even, fp::ZipList<int>(fp::iota(1))));
  EXPECT_TRUE(keyedwalk::ifoldMap(fp::AnyMonoid{}, even, fp::NonEmpty<int>(1, fp::iota(2))));
  EXPECT_EQ(calls, 6);

  const std::vector<int> numbers{1, 3, 4, 5, 6};
  calls = 0;
  EXPECT_TRUE(keyedwalk::ifoldMap(fp::AnyMonoid{}, even, numbers));
  EXPECT_EQ(keyedwalk::ifoldr(firstOnly, std::int64_t{-1}, numbers), 0);
  EXPECT_EQ(calls, 4);
}

TEST(Providers, SequenceIfoldlStartsFromTheLastElement) {
  int calls = 0;
  const auto lastIndex = [&](std::int64_t i, auto, int) { return ++calls, i; };
  EXPECT_EQ(keyedwalk::ifoldl(lastIndex, std::int64_t{-1}, std::vector<int>{5, 6, 7, 8, 9}), 4);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(keyedwalk::ifoldl(lastIndex, std::int64_t{-1}, List<int>{5, 6, 7, 8, 9}), 4);
  EXPECT_EQ(keyedwalk::ifoldl(lastIndex, std::int64_t{-1}, fp::NonEmpty<int>(5, List<int>{6})), 1);
  EXPECT_EQ(keyedwalk::ifoldl(lastIndex, std::int64_t{-1}, fp::ZipList<int>(List<int>{5, 6, 7})), 2);
  EXPECT_EQ(calls, 4);
}

TEST(Providers, OffsetRoutinesNumberFromTheirOffset) {
  const List<char> ab{'a', 'b'};
  EXPECT_EQ(keyedwalk::ifoldMapListOff(Trace{}, 5, entry<std::int64_t>, ab), "5a6b.");
  EXPECT_EQ(keyedwalk::ifoldrListOff(
                5, [](std::int64_t i, char x, std::string acc) { return entry(i, x) + acc; }, std::string(), ab),
            "5a6b");
  EXPECT_EQ(keyedwalk::ifoldlPrimeListOff(
                5, [](std::int64_t i, std::string acc, char x) { return acc + entry(i, x); }, std::string(), ab),
            "5a6b");
  EXPECT_EQ(Logged::execState(keyedwalk::itraverseListOff(Logged{}, 5, logIndex, ab), ""), "56");
}

TEST(Providers, LazyResultsOwnAnRvalueSequence) {
  // The lists below are read after the sequences they came from are gone.
  const auto pairs = keyedwalk::itoList(std::vector<std::string>{"x", "y"});
  const auto deque = keyedwalk::iconcatMap([](std::int64_t i, const std::string& s) { return List<std::string>{std::to_string(i), s}; },
                                           std::deque<std::string>{"p", "q"});
  EXPECT_EQ(pairs.toVector(), (std::vector<std::pair<std::int64_t, std::string>>{{0, "x"}, {1, "y"}}));
  EXPECT_EQ(deque.toVector(), (std::vector<std::string>{"0", "p", "1", "q"}));
  const auto lazySum = keyedwalk::ifoldl([](std::int64_t i, fp::Deferred<std::int64_t> acc, std::int64_t x) {
    return fp::defer([=] { return acc.get() + i * x; });
  }, fp::Deferred<std::int64_t>(0), std::array<std::int64_t, 3>{1, 2, 3});
  EXPECT_EQ(lazySum.get(), 8);
}

TEST(Providers, CallbacksMayTakeTheirArgumentsAsTheyLike) {
  std::vector<int> xs{1, 2, 3};
  EXPECT_EQ(keyedwalk::ifoldlPrime([](auto i, auto acc, auto x) { return acc + i * x; }, std::int64_t{0}, xs), 8);
  EXPECT_EQ(keyedwalk::ifoldlPrime([](std::int64_t i, const std::int64_t& acc, const int& x) { return acc + i * x; },
                                   std::int64_t{0}, std::vector<int>{1, 2, 3}),
            8);
  EXPECT_EQ(keyedwalk::ifoldr([](std::int64_t i, int x, auto rest) { return rest.get() + i * x; }, std::int64_t{0},
                              std::span<int>(xs)),
            8);
  EXPECT_EQ(keyedwalk::ifoldr([](std::int64_t i, int x, std::int64_t rest) { return rest + i * x; }, std::int64_t{0},
                              List<int>{1, 2, 3}),
            8);
}

}  // namespace
