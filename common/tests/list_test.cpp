#include "fp/list.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <fstream>
#include <functional>
#include <list>
#include <memory>
#include <ranges>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "fp/testing/allocations.hpp"
#include "fp/consume.hpp"
#include "fp/deferred.hpp"
#include "fp/generate.hpp"
#include "fp/nonempty.hpp"
#include "fp/show.hpp"
#include "fp/ziplist.hpp"
#include "fp/testing/sanitized.hpp"

namespace {

using fp::List;
using Ints = std::vector<int>;

static_assert(std::ranges::forward_range<List<int>>);
static_assert(std::ranges::input_range<fp::Consumed<int>>);
static_assert(std::ranges::view<fp::Consumed<int>>);
static_assert(std::ranges::forward_range<List<int>::Runs>);
static_assert(std::ranges::view<List<int>::Runs>);

// A list 0, 1, 2, ... whose every cell is made by `lazy`, counting the cells made.
List<int> countedFrom(int n, int& made) {
  return List<int>::lazy([n, &made] {
    ++made;
    return List<int>::cons(n, countedFrom(n + 1, made));
  });
}

TEST(List, ConstructionsGiveTheirElements) {
  const std::vector<int> source{4, 5, 6};
  struct Case {
    const char* name;
    List<int> list;
    Ints expected;
  };
  const Case cases[] = {
      {"empty", List<int>(), {}},
      {"initializer list", List<int>{1, 2, 3}, {1, 2, 3}},
      {"from a vector copy", List<int>::from(source), {4, 5, 6}},
      {"from a moved vector", List<int>::from(Ints{7, 8}), {7, 8}},
      {"from a linked list", List<int>::from(std::list<int>{0, 1, 2, 3}), {0, 1, 2, 3}},
      {"cons", List<int>::cons(0, List<int>{1}), {0, 1}},
      {"cons with a deferred tail", List<int>::cons(0, [] { return List<int>{1, 2}; }), {0, 1, 2}},
      {"cons with an fp::Deferred tail",
       List<int>::cons(0, fp::defer([] { return List<int>{9}; })), {0, 9}},
      {"lazy", List<int>::lazy([] { return List<int>{3}; }), {3}},
      {"lazy of lazy", List<int>::lazy([] { return List<int>::lazy([] { return List<int>{1}; }); }),
       {1}},
      {"iota range", fp::iota(2, 5), {2, 3, 4}},
      {"empty iota range", fp::iota(5, 5), {}},
      {"take of iterate", fp::iterate([](int x) { return x * 3; }, 1).take(4), {1, 3, 9, 27}},
      {"take of repeat", fp::repeat(7).take(3), {7, 7, 7}},
      {"take more than there is", List<int>{1, 2}.take(5), {1, 2}},
      {"take none", List<int>{1, 2}.take(0), {}},
      {"take across buffers", fp::append(List<int>{1, 2}, List<int>{3, 4}).take(3), {1, 2, 3}},
      {"drop", List<int>{1, 2, 3}.drop(1), {2, 3}},
      {"drop all", List<int>{1, 2, 3}.drop(3), {}},
      {"drop more than there is", List<int>{1, 2, 3}.drop(10), {}},
      {"drop a negative count", List<int>{1, 2}.drop(-1), {1, 2}},
      {"drop across buffers and cells",
       List<int>::cons(0, fp::append(List<int>{1, 2}, List<int>{3, 4})).drop(3), {3, 4}},
      {"append", fp::append(List<int>{1}, List<int>{2, 3}), {1, 2, 3}},
      {"append to empty", fp::append(List<int>(), List<int>{2}), {2}},
      {"append empty", fp::append(List<int>{1}, List<int>()), {1}},
      {"tail", List<int>{1, 2, 3}.tail(), {2, 3}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.list.toVector(), c.expected) << c.name;
    EXPECT_EQ(c.list.length(), static_cast<std::int64_t>(c.expected.size())) << c.name;
    EXPECT_EQ(c.list.empty(), c.expected.empty()) << c.name;
  }
}

TEST(List, StringsAreListsOfCharacters) {
  const fp::String s = fp::String::from(std::string("hello"));
  EXPECT_EQ(std::string(s.begin(), s.end()), "hello");
  EXPECT_EQ(fp::String::from(std::string_view("abc")), (fp::String{'a', 'b', 'c'}));
  EXPECT_EQ(fp::String::from("abc"), (fp::String{'a', 'b', 'c'})) << "a literal's zero is not in it";
}

TEST(List, HeadTailAndUnconsOfTheEmptyList) {
  const List<int> empty;
  EXPECT_THROW((void)empty.head(), std::out_of_range);
  EXPECT_THROW((void)empty.tail(), std::out_of_range);
  EXPECT_FALSE(empty.uncons().has_value());

  const auto split = List<int>{1, 2}.uncons();
  ASSERT_TRUE(split.has_value());
  EXPECT_EQ(split->first, 1);
  EXPECT_EQ(split->second, List<int>{2});
}

TEST(List, EqualityComparesElementsWhateverTheRepresentation) {
  EXPECT_EQ((List<int>{1, 2}), List<int>::cons(1, List<int>::cons(2, List<int>())));
  EXPECT_EQ((List<int>{1, 2}), fp::iota(1).take(2));
  EXPECT_NE((List<int>{1, 2}), List<int>{1});
  EXPECT_NE(List<int>{1}, (List<int>{1, 2}));
  EXPECT_NE((List<int>{1, 2}), (List<int>{1, 3}));
  EXPECT_EQ(List<int>(), List<int>{1}.drop(1));
  EXPECT_EQ((List<bool>{true, false}), List<bool>::from(std::vector<bool>{true, false}));
}

TEST(List, TakingFiveCellsRunsTheProducerFiveTimes) {
  int made = 0;
  const List<int> xs = countedFrom(0, made);
  EXPECT_EQ(made, 0);
  EXPECT_EQ(xs.take(5).toVector(), (Ints{0, 1, 2, 3, 4}));
  EXPECT_EQ(made, 5);

  int steps = 0;
  const auto doubling = fp::iterate([&](int x) { return ++steps, 2 * x; }, 1);
  EXPECT_EQ(doubling.take(5).toVector(), (Ints{1, 2, 4, 8, 16}));
  EXPECT_EQ(steps, 4) << "the first element is the seed; each later one is one step";
}

TEST(List, ReadingTwiceComputesEachCellOnce) {
  int made = 0;
  const List<int> xs = countedFrom(0, made).take(100);
  EXPECT_EQ(xs.toVector(), xs.toVector());
  EXPECT_EQ(std::ranges::count_if(xs, [](int x) { return x % 2 == 0; }), 50);
  EXPECT_EQ(made, 100);
}

TEST(List, OperationsLookOnlyAsFarAsTheyMust) {
  int made = 0;
  const List<int> xs = countedFrom(0, made);
  const List<int> taken = xs.take(3), dropped = xs.drop(2);
  const List<int> joined = fp::append(xs.take(1), fp::defer([&]() -> List<int> {
    ADD_FAILURE() << "the right operand of append was computed";
    return {};
  }));
  EXPECT_EQ(made, 0) << "take, drop and append look at nothing until read";
  EXPECT_EQ(joined.head(), 0);
  EXPECT_EQ(dropped.head(), 2);
  EXPECT_EQ(made, 3);
  EXPECT_EQ(taken.tail().tail().head(), 2);
  EXPECT_EQ(made, 3);
}

// ((((0 ++ 1) ++ 2) ++ ...) ++ 5, each right operand computed when reached, with a copy of the
// chain taken halfway, which must keep its own end, and empty operands in between.
TEST(List, AppendsNestedToTheLeftReadInOrderOnDemand) {
  std::vector<int> computed;
  List<int> chain{0};
  List<int> halfway;
  for (int i = 1; i <= 5; ++i) {
    chain = fp::append(std::move(chain), [i, &computed] {
      computed.push_back(i);
      return i % 2 == 0 ? List<int>() : List<int>{i, i};
    });
    if (i == 3) halfway = chain;
  }
  chain = fp::append(std::move(chain), List<int>{6});
  EXPECT_TRUE(computed.empty()) << "nothing is computed before it is read";
  EXPECT_EQ(chain.take(3).toVector(), (std::vector<int>{0, 1, 1}));
  EXPECT_EQ(computed, (std::vector<int>{1}));
  EXPECT_EQ(chain.toVector(), (std::vector<int>{0, 1, 1, 3, 3, 5, 5, 6}));
  EXPECT_EQ(halfway.toVector(), (std::vector<int>{0, 1, 1, 3, 3}));
  EXPECT_EQ(computed, (std::vector<int>{1, 2, 3, 4, 5})) << "each right operand is computed once";
}

TEST(List, ProducerFailureReachesTheReaderAndIsRetried) {
  // Each list's producer fails on its first attempt; the list reads [1, 2] once it works.
  int attempts = 0;
  const auto failsOnce = [&attempts]() -> List<int> {
    if (++attempts == 1) throw std::runtime_error("no more input yet");
    return List<int>{2};
  };
  const std::pair<const char*, std::function<List<int>()>> cases[] = {
      {"a cell's tail", [&] { return List<int>::cons(1, failsOnce); }},
      {"the right operand of append", [&] { return fp::append(List<int>{1}, List<int>::lazy(failsOnce)); }},
      {"take of a list whose tail fails",
       [&] { return List<int>::cons(1, List<int>::lazy(failsOnce)).take(2); }},
      {"a step of iterate",
       [&] {
         return fp::iterate(
                    [&](int x) {
                      if (++attempts == 1) throw std::runtime_error("no more input yet");
                      return x + 1;
                    },
                    1)
             .take(2);
       }},
  };
  for (const auto& [name, make] : cases) {
    attempts = 0;
    const List<int> xs = make();
    EXPECT_EQ(xs.head(), 1) << name;
    EXPECT_THROW((void)xs.toVector(), std::runtime_error) << name;
    EXPECT_EQ(xs.toVector(), (Ints{1, 2})) << name;
    EXPECT_EQ(attempts, 2) << name;
  }
}

TEST(List, ListThatIsItsOwnTailThrowsInsteadOfHanging) {
  List<int> knot;
  knot = List<int>::lazy([&] { return knot; });
  EXPECT_THROW((void)knot.empty(), std::logic_error);
}

TEST(List, BuffersCostConstantAllocationsAndWalkingThemNone) {
  FP_REQUIRE_ALLOCATION_COUNTS();
  { const List<int> warm{0}; }  // the node pool's first slab is no allocation of the list's
  std::vector<int> source(100'000, 1);
  const int* storage = source.data();
  {
    const fp::testing::AllocationsSince building;
    const List<int> xs = List<int>::from(std::move(source));
    EXPECT_EQ(building.count(), 1) << "the moved vector is the buffer: one node";
    const fp::testing::AllocationsSince walking;
    long sum = 0;
    for (int x : xs) sum += x;
    EXPECT_EQ(sum, 100'000);
    EXPECT_EQ(walking.count(), 0);
    EXPECT_EQ(&xs.head(), storage) << "no copy of the elements";

    const List<int> piece = xs.drop(10).take(5);
    EXPECT_EQ(&piece.head(), storage + 10) << "a piece cut from a buffer shares it";
  }
  const fp::testing::AllocationsSince fromInitializerList;
  const List<int> small{1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_LE(fromInitializerList.count(), 2);
}

TEST(List, RunsAreTheBuffersAndCellsTheListGoesThrough) {
  std::vector<int> storage{1, 2, 3, 4, 5};
  const int* data = storage.data();
  const List<int> buffer = List<int>::from(std::move(storage));
  // A cell, a slice of the buffer, a suspended part, the rest of the buffer.
  const List<int> xs = List<int>::cons(
      0, fp::append(buffer.take(2), List<int>::lazy([=] { return buffer.drop(2); })));

  std::vector<std::vector<int>> runs;
  for (std::span<const int> run : xs.runs()) runs.emplace_back(run.begin(), run.end());
  EXPECT_EQ(runs, (std::vector<std::vector<int>>{{0}, {1, 2}, {3, 4, 5}}));
  EXPECT_EQ(xs.tail().run().data(), data) << "a run points into the buffer";
  EXPECT_TRUE(List<int>().run().empty());
  EXPECT_TRUE(List<int>().runs().empty());

  // Iterators meet across runs: the end of one run is the start of the next.
  auto second = xs.begin();
  ++second;
  EXPECT_EQ(second, xs.tail().begin());
  EXPECT_EQ(std::distance(xs.begin(), xs.end()), 6);
  EXPECT_EQ(*std::find(xs.begin(), xs.end(), 3), 3);
  EXPECT_EQ(std::find(xs.begin(), xs.end(), 9), xs.end());

  const List<int> rest = buffer.dropInRun(3);
  EXPECT_EQ(&rest.head(), data + 3);
  EXPECT_EQ(rest, (List<int>{4, 5}));
  EXPECT_TRUE(buffer.dropInRun(5).empty());
  EXPECT_EQ(xs.dropInRun(1), (List<int>{1, 2, 3, 4, 5})) << "past a cell";
}

TEST(List, SlicesOfARunShareItsBufferAndOutliveTheListAndTheSlicer) {
  std::vector<int> storage{1, 2, 3, 4, 5};
  const int* data = storage.data();
  List<int> middle, last;
  {
    const List<int> xs = List<int>::from(std::move(storage));
    List<int>::Slicer slice(xs);
    middle = slice(1, 3);
    last = slice(4, 5);
    EXPECT_TRUE(slice(2, 2).empty());
  }
  EXPECT_EQ(middle, (List<int>{2, 3}));
  EXPECT_EQ(&middle.head(), data + 1);
  EXPECT_EQ(last, List<int>{5});
}

TEST(List, ReadingTheFirstRunComputesNothingBeyondIt) {
  int made = 0;
  const List<int> xs = countedFrom(0, made);
  EXPECT_EQ(xs.run().size(), 1u);
  EXPECT_EQ(made, 1);
  auto runs = xs.runs();
  auto it = runs.begin();
  ++it;
  EXPECT_EQ((*it)[0], 1);
  EXPECT_EQ(made, 2);
}

TEST(List, ZipListAndNonEmptyHoldTheSameCells) {
  const List<int> xs{1, 2, 3};
  const fp::ZipList<int> zs = xs;
  const List<int>& back = zs;
  EXPECT_EQ(&back.head(), &xs.head());

  const fp::NonEmpty<int> ne(0, xs);
  EXPECT_EQ(ne.toList(), (List<int>{0, 1, 2, 3}));
  EXPECT_EQ(&ne.toList().tail().head(), &xs.head());
  EXPECT_FALSE(fp::NonEmpty<int>::fromList(List<int>()).has_value());
  EXPECT_EQ(fp::NonEmpty<int>::fromList(xs), fp::NonEmpty<int>(1, List<int>{2, 3}));
}

TEST(List, TenMillionCellsBuildWalkAndDropWithoutOverflow) {
  constexpr int n = 10'000'000;
  List<int> xs;
  for (int i = 0; i < n; ++i) xs = List<int>::cons(i, std::move(xs));
  std::int64_t sum = 0;
  for (int x : xs) sum += x;
  EXPECT_EQ(sum, std::int64_t{n} * (n - 1) / 2);
  EXPECT_EQ(xs.drop(n - 1).head(), 0);
  xs = List<int>();  // frees the ten million cells one after another

  // The same through suspended cells, memoised and then dropped as one chain.
  List<int> generated = fp::iota(0).take(n);
  EXPECT_EQ(generated.length(), n);
  generated = List<int>();
}

// The resident memory of this process, from the kernel's accounting.
std::int64_t residentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::int64_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * 4096;
}

TEST(List, ConsumingLetsGoOfACellBeforeComputingTheNext) {
  using Ptr = std::shared_ptr<int>;
  auto first = std::make_shared<int>(1);
  const std::weak_ptr<int> watch = first;
  bool firstAliveWhileComputing = true;
  List<Ptr> xs = List<Ptr>::cons(std::move(first), [&] {
    firstAliveWhileComputing = !watch.expired();
    return List<Ptr>{std::make_shared<int>(2)};
  });
  int sum = 0;
  for (const Ptr& p : fp::consume(std::move(xs))) sum += *p;
  EXPECT_EQ(sum, 3);
  EXPECT_FALSE(firstAliveWhileComputing);
}

TEST(List, ConsumingHundredMillionCellsKeepsMemoryBounded) {
  if (fp::testing::kSanitized) GTEST_SKIP() << "sanitizers keep freed memory in quarantine";
  constexpr std::int64_t n = 100'000'000;
  const std::int64_t before = residentBytes();
  std::int64_t peak = before, count = 0, sum = 0;
  for (std::int64_t x : fp::consume(fp::iota<std::int64_t>(0).take(n))) {
    sum += x;
    if (++count % 1'000'000 == 0) peak = std::max(peak, residentBytes());
  }
  EXPECT_EQ(count, n);
  EXPECT_EQ(sum, n * (n - 1) / 2);
  EXPECT_LT(peak - before, 64 << 20) << "peak growth of resident memory while consuming";
}

TEST(ListConcurrency, EightReadersOfOneUnforcedListSeeTheSameCellsOnce) {
  constexpr int n = 1'000'000;
  std::vector<std::atomic<int>> made(n);
  struct Producer {
    static List<int> from(int i, std::vector<std::atomic<int>>& made) {
      if (i == n) return {};
      return List<int>::lazy([i, &made] {
        made[i].fetch_add(1, std::memory_order_relaxed);
        return List<int>::cons(i * 3, from(i + 1, made));
      });
    }
  };
  const List<int> shared = Producer::from(0, made);
  std::atomic<bool> go{false};
  std::vector<std::int64_t> sums(8);
  std::vector<std::int64_t> lengths(8);
  std::vector<std::thread> readers;
  for (int t = 0; t < 8; ++t)
    readers.emplace_back([&, t] {
      while (!go.load()) std::this_thread::yield();
      std::int64_t sum = 0, length = 0;
      for (int x : shared) sum += x, ++length;
      sums[t] = sum;
      lengths[t] = length;
    });
  go = true;
  for (auto& r : readers) r.join();
  for (int t = 0; t < 8; ++t) {
    EXPECT_EQ(lengths[t], n);
    EXPECT_EQ(sums[t], 3 * std::int64_t{n} * (n - 1) / 2);
  }
  EXPECT_TRUE(std::ranges::all_of(made, [](const auto& m) { return m.load() == 1; }));
}

}  // namespace
