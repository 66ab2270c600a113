// Cutting by counts: chunks, places, windows and caller-supplied cuts.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

#include "fp/generate.hpp"
#include "split/split.hpp"
#include "support.hpp"

namespace {

using fp::List;
using split::testing::Pieces;
using split::testing::toVectors;

using Xs = List<int>;

// [a..b]
Xs upTo(int a, int b) { return fp::iota(a, b + 1); }

TEST(Chunking, PiecesByCount) {
  const auto takeTwo = [](const Xs& xs) { return std::pair(xs.take(2), xs.drop(2)); };
  struct Case {
    const char* call;
    std::function<List<Xs>()> run;
    Pieces expected;
  };
  // clang-format off
  const Case cases[] = {
      {"chunksOf(3, [1..8])", [] { return split::chunksOf(3, upTo(1, 8)); }, {{1, 2, 3}, {4, 5, 6}, {7, 8}}},
      {"chunksOf(3, [1..6])", [] { return split::chunksOf(3, upTo(1, 6)); }, {{1, 2, 3}, {4, 5, 6}}},
      {"chunksOf(3, [])", [] { return split::chunksOf(3, Xs{}); }, {}},
      {"chunksOf(0, [])", [] { return split::chunksOf(0, Xs{}); }, {}},
      {"chunk(1, [1,2])", [] { return split::chunk(1, Xs{1, 2}); }, {{1}, {2}}},
      {"splitEvery(5, [1,2])", [] { return split::splitEvery(5, Xs{1, 2}); }, {{1, 2}}},
      {"splitPlaces([2,3,4], [1..7])", [] { return split::splitPlaces({2, 3, 4}, upTo(1, 7)); },
       {{1, 2}, {3, 4, 5}, {6, 7}}},
      {"splitPlaces([2,3,4], [1..5])", [] { return split::splitPlaces({2, 3, 4}, upTo(1, 5)); },
       {{1, 2}, {3, 4, 5}}},
      {"splitPlaces([4,9], [1..20])", [] { return split::splitPlaces({4, 9}, upTo(1, 20)); },
       {{1, 2, 3, 4}, {5, 6, 7, 8, 9, 10, 11, 12, 13}}},
      {"splitPlaces([0,2], [1,2,3])", [] { return split::splitPlaces({0, 2}, Xs{1, 2, 3}); }, {{}, {1, 2}}},
      {"splitPlaces([2,-1,1], [1,2,3])", [] { return split::splitPlaces({2, -1, 1}, Xs{1, 2, 3}); },
       {{1, 2}, {}, {3}}},
      {"splitPlaces([2,3], [])", [] { return split::splitPlaces({2, 3}, Xs{}); }, {}},
      {"splitPlacesBlanks([2,3,4], [1..5])", [] { return split::splitPlacesBlanks({2, 3, 4}, upTo(1, 5)); },
       {{1, 2}, {3, 4, 5}, {}}},
      {"splitPlacesBlanks([2,3], [])", [] { return split::splitPlacesBlanks({2, 3}, Xs{}); }, {{}, {}}},
      {"splitPlacesBlanks([], [1,2])", [] { return split::splitPlacesBlanks(std::vector<int>{}, Xs{1, 2}); }, {}},
      {"splitPlaces(uint64 counts, [1,2,3])",
       [] { return split::splitPlaces(std::vector<std::uint64_t>{1, UINT64_MAX}, Xs{1, 2, 3}); }, {{1}, {2, 3}}},
      {"splitPlaces(List of short counts, [1,2,3])",
       [] { return split::splitPlaces(List<short>{2}, Xs{1, 2, 3}); }, {{1, 2}}},
      {"chop(take two, [1..5])", [=] { return split::chop(takeTwo, upTo(1, 5)); }, {{1, 2}, {3, 4}, {5}}},
      {"divvy(5, 5, [1..20])", [] { return split::divvy(5, 5, upTo(1, 20)); },
       {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}, {11, 12, 13, 14, 15}, {16, 17, 18, 19, 20}}},
      {"divvy(5, 2, [1..10])", [] { return split::divvy(5, 2, upTo(1, 10)); },
       {{1, 2, 3, 4, 5}, {3, 4, 5, 6, 7}, {5, 6, 7, 8, 9}}},
      {"divvy(3, 1, [1,2,3,4])", [] { return split::divvy(3, 1, Xs{1, 2, 3, 4}); }, {{1, 2, 3}, {2, 3, 4}}},
      {"divvy(2, 3, [1..7])", [] { return split::divvy(2, 3, upTo(1, 7)); }, {{1, 2}, {4, 5}}},
      {"divvy(0, 2, [1,2,3])", [] { return split::divvy(0, 2, Xs{1, 2, 3}); }, {{}, {}}},
      {"divvy(-1, 1, [1,2])", [] { return split::divvy(-1, 1, Xs{1, 2}); }, {}},
      {"divvy(3, 1, [])", [] { return split::divvy(3, 1, Xs{}); }, {}},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(toVectors(c.run()), c.expected) << c.call;
}

TEST(Chunking, DivvyRejectsAStepThatNeverAdvances) {
  for (std::int64_t step : {0, -1}) {
    try {
      (void)split::divvy(2, step, Xs{1, 2, 3});
      ADD_FAILURE() << "expected std::invalid_argument for step " << step;
    } catch (const std::invalid_argument& e) {
      EXPECT_STREQ(
          e.what(),
          ("split::divvy: the step must be positive, got " + std::to_string(step)).c_str());
    }
  }
}

TEST(Chunking, BuildHandsTheProducerConsAndNil) {
  const auto xs = split::build<int>([](auto cons, auto nil) { return cons(1, cons(2, nil)); });
  EXPECT_EQ(xs, (Xs{1, 2}));
  EXPECT_TRUE(split::build<int>([](auto, auto nil) { return nil; }).empty());
}

TEST(ChunkingOnDemand, UnboundedInputsAndCounts) {
  // Empty pieces, as many as asked, from a size of zero.
  const auto empties = split::chunksOf(0, Xs{1, 2});
  EXPECT_EQ(empties.take(5), (List<Xs>{{}, {}, {}, {}, {}}));
  EXPECT_EQ(split::chunksOf(-3, fp::iota(1)).drop(1000).head(), Xs{});
  // Unbounded counts: blank pieces go on after the input; plain places end with the input.
  EXPECT_EQ(split::splitPlacesBlanks(fp::repeat(2), Xs{1, 2, 3}).take(5),
            (List<Xs>{{1, 2}, {3}, {}, {}, {}}));
  EXPECT_EQ(split::splitPlaces(fp::iota(1), upTo(1, 6)), (List<Xs>{{1}, {2, 3}, {4, 5, 6}}));
  // Unbounded input, read as far as the pieces asked for.
  int read = 0;
  const auto naturals = fp::iterate([&read](int x) { return read = x + 1; }, 1);
  EXPECT_EQ(split::chunksOf(3, naturals).drop(2).head(), (Xs{7, 8, 9}));
  EXPECT_LE(read, 10);
  EXPECT_EQ(split::divvy(3, 2, naturals).drop(1).head(), (Xs{3, 4, 5}));
  EXPECT_EQ(split::splitPlaces(fp::repeat(4), naturals).drop(3).head(), (Xs{13, 14, 15, 16}));
  EXPECT_LE(read, 17);
  // A negative window size can never be met: nothing, even from an unbounded input.
  EXPECT_TRUE(split::divvy(-1, 1, naturals).empty());
}

TEST(ChunkingOnDemand, ChopCutsOnlyWhenAPieceIsRead) {
  int cuts = 0;
  const auto pieces = split::chop(
      [&cuts](const Xs& xs) {
        ++cuts;
        return std::pair(xs.head() * 10, xs.tail());
      },
      fp::iota(1));
  EXPECT_EQ(cuts, 0);
  EXPECT_EQ(pieces.take(3), (Xs{10, 20, 30}));
  EXPECT_EQ(cuts, 3);
  const auto failing =
      split::chop([](const Xs&) -> std::pair<int, Xs> { throw std::runtime_error("cut"); }, Xs{1});
  EXPECT_THROW((void)failing.empty(), std::runtime_error);
  EXPECT_TRUE(
      split::chop([](const Xs&) -> std::pair<int, Xs> { throw std::runtime_error("cut"); }, Xs{})
          .empty());
}

}  // namespace
