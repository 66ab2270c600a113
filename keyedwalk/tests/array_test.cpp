// Array and the Ix index types: bounds, row-major pairs, and the errors that an Ix whose
// operations disagree brings to every operation that meets them.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "fp/generate.hpp"
#include "keyedwalk/array.hpp"
#include "keyedwalk/foldable.hpp"
#include "keyedwalk/traversable.hpp"
#include "walk.hpp"

namespace {

using keyedwalk::Array;

// An index type whose `index` puts the upper bound at position 7, whatever the count.
struct Skewed {
  int at;
  friend bool operator==(Skewed, Skewed) = default;
};

// An index type whose bounds hold a negative number of indices.
struct Negative {
  int at;
};

}  // namespace

template <>
struct keyedwalk::Ix<Skewed> {
  static std::vector<Skewed> range(const std::pair<Skewed, Skewed>& b) {
    std::vector<Skewed> all;
    for (int i = b.first.at; i <= b.second.at; ++i) all.push_back({i});
    return all;
  }
  static std::int64_t index(const std::pair<Skewed, Skewed>& b, Skewed i) {
    return i == b.second ? 7 : i.at - b.first.at;
  }
  static bool inRange(const std::pair<Skewed, Skewed>& b, Skewed i) { return b.first.at <= i.at && i.at <= b.second.at; }
  static std::int64_t rangeSize(const std::pair<Skewed, Skewed>& b) { return b.second.at - b.first.at + 1; }
};

// An Ix of the caller's own for an integer type: the bounds' indices from the upper one down.
template <>
struct keyedwalk::Ix<short> {
  using Bounds = std::pair<short, short>;
  static std::vector<short> range(const Bounds& b) {
    std::vector<short> all;
    for (int i = b.second; i >= b.first; --i) all.push_back(static_cast<short>(i));
    return all;
  }
  static std::int64_t index(const Bounds& b, short i) { return b.second - i; }
  static bool inRange(const Bounds& b, short i) { return b.first <= i && i <= b.second; }
  static std::int64_t rangeSize(const Bounds& b) { return b.second < b.first ? 0 : b.second - b.first + 1; }
};

template <>
struct keyedwalk::Ix<Negative> {
  static std::vector<Negative> range(const std::pair<Negative, Negative>&) { return {}; }
  static std::int64_t index(const std::pair<Negative, Negative>&, Negative) { return 0; }
  static bool inRange(const std::pair<Negative, Negative>&, Negative) { return false; }
  static std::int64_t rangeSize(const std::pair<Negative, Negative>&) { return -1; }
};

namespace {

TEST(Keyed, AnIndexBeyondTheCountFailsEveryOperationThatReachesIt) {
  const Array<Skewed, int> skewed({{0}, {2}}, {10, 11, 12});
  int calls = 0;
  const auto count = [&](Skewed, int x) { return ++calls, x; };
  const auto step = [&](Skewed, auto acc, int) { return ++calls, acc; };
  const auto forcing = [&](Skewed, int x, int rest) { return ++calls, x + rest; };
  const struct {
    const char* operation;
    std::function<void()> run;
    int callsBeforeTheError;
  } cases[] = {
      {"imap, at the call", [&] { keyedwalk::imap(count, skewed); }, 0},
      {"ifoldr, forcing", [&] { keyedwalk::ifoldr(forcing, 0, skewed); }, 0},
      {"ifoldl", [&] { keyedwalk::ifoldl(step, 0, skewed); }, 0},
      {"ifoldrPrime", [&] { keyedwalk::ifoldrPrime(forcing, 0, skewed); }, 0},
      {"ifoldlPrime", [&] { keyedwalk::ifoldlPrime(step, 0, skewed); }, 2},
      {"ifoldMap", [&] { keyedwalk::ifoldMap(fp::AllMonoid{}, [&](Skewed, int) { return ++calls, true; }, skewed); }, 2},
      {"ifoldMapPrime", [&] { keyedwalk::ifoldMapPrime(fp::AnyMonoid{}, [&](Skewed, int) { return ++calls, true; }, skewed); }, 2},
      {"itraverse", [&] { keyedwalk::itraverse(fp::OptionalEffect{}, [&](Skewed, int x) { return ++calls, std::optional(x); }, skewed); }, 2},
      {"at", [&] { skewed.at({2}); }, 0},
  };
  for (const auto& c : cases) {
    calls = 0;
    try {
      c.run();
      ADD_FAILURE() << c.operation << ": no error";
    } catch (const keyedwalk::ArrayIndexError& e) {
      EXPECT_EQ(e.position(), 7) << c.operation;
      EXPECT_EQ(e.count(), 3) << c.operation;
    }
    EXPECT_EQ(calls, c.callsBeforeTheError) << c.operation;
  }

  // What stops before the last index never meets it.
  EXPECT_EQ(keyedwalk::ifoldr([](Skewed, int x, auto) { return x; }, 0, skewed), 10);
  EXPECT_FALSE(keyedwalk::iall([](Skewed, int x) { return x > 10; }, skewed));
  EXPECT_EQ(skewed.at({1}), 11);
}

TEST(Keyed, AnIxOfTheCallersOwnForAnIntegerTypeIsAskedByEveryOperation) {
  const Array<short, char> a({1, 3}, {'p', 'q', 'r'});
  const auto visit = [](short i, std::string acc, char x) { return acc + std::to_string(i) + x; };
  const auto visitRight = [&](short i, char x, std::string acc) { return visit(i, std::move(acc), x); };
  EXPECT_EQ(keyedwalk::ifoldlPrime(visit, std::string(), a), "3p2q1r");
  EXPECT_EQ(keyedwalk::ifoldrPrime(visitRight, std::string(), a), "1r2q3p");
  EXPECT_EQ(keyedwalk::ifoldr(visitRight, std::string(), a), "1r2q3p");
  EXPECT_EQ(keyedwalk::ifoldMapPrime(walktest::Concat{}, walktest::entry, a), "3p2q1r");
  EXPECT_EQ(a.at(3), 'p');
}

TEST(Keyed, ArrayConstructionChecksItsBoundsAndElements) {
  EXPECT_THROW((Array<Negative, int>({{0}, {1}}, {})), keyedwalk::NegativeRangeError);
  EXPECT_THROW((Array<int, int>({1, 3}, {1, 2})), std::invalid_argument);
  EXPECT_THROW((Array<int, int>({1, 3}, {1, 2, 3, 4})), std::invalid_argument);
  EXPECT_THROW((Array<int, int>({1, 3}, fp::iota(0))), std::invalid_argument) << "an unbounded list";
  EXPECT_THROW((Array<std::int64_t, int>({0, std::int64_t{1} << 60}, {1})), std::invalid_argument) << "no huge allocation";
  const Array<int, int> xs({1, 3}, std::vector<int>{7, 8, 9});
  EXPECT_EQ(xs.at(3), 9);
  EXPECT_THROW(xs.at(4), std::out_of_range);
  EXPECT_THROW(xs.at(0), std::out_of_range);
  EXPECT_EQ(std::vector<int>(xs.begin(), xs.end()), (std::vector<int>{7, 8, 9}));
}

TEST(Keyed, IxOrdersItsIndicesAndCountsThem) {
  using Bounds64 = std::pair<std::int64_t, std::int64_t>;
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
  using Ix64 = keyedwalk::Ix<std::int64_t>;
  EXPECT_EQ(Ix64::rangeSize({kMax - 1, kMax}), 2);
  const auto top = Ix64::range({kMax - 1, kMax});
  EXPECT_EQ(std::vector<std::int64_t>(top.begin(), top.end()), (std::vector<std::int64_t>{kMax - 1, kMax}));
  EXPECT_EQ(Ix64::index(Bounds64{kMin, 0}, -1), kMax);
  EXPECT_EQ(Ix64::rangeSize({5, 4}), 0);
  EXPECT_THROW(Ix64::rangeSize({kMin, kMax}), std::length_error);
  EXPECT_THROW(Ix64::rangeSize({kMin, -1}), std::length_error) << "2^63 indices";
  EXPECT_EQ(Ix64::rangeSize({kMin, -2}), kMax);
  EXPECT_EQ(keyedwalk::Ix<bool>::rangeSize({true, false}), 0);
  const auto truths = keyedwalk::Ix<bool>::range({false, true});
  EXPECT_EQ(std::vector<bool>(truths.begin(), truths.end()), (std::vector<bool>{false, true}));
  const Array<char, int> letters({'x', 'z'}, {1, 2, 3});
  EXPECT_EQ(letters.at('y'), 2);
  EXPECT_EQ(keyedwalk::ifoldlPrime([](char i, std::string acc, int x) { return acc + i + std::to_string(x); },
                                   std::string(), letters),
            "x1y2z3");

  // Row-major, nested: the place of every index in the range is its index.
  using Cube = std::pair<std::pair<int, bool>, char>;
  const std::pair<Cube, Cube> bounds{{{-1, false}, 'x'}, {{0, true}, 'y'}};
  using IxCube = keyedwalk::Ix<Cube>;
  ASSERT_EQ(IxCube::rangeSize(bounds), 8);
  std::int64_t place = 0;
  std::string order;
  for (const Cube& c : IxCube::range(bounds)) {
    EXPECT_EQ(IxCube::index(bounds, c), place++);
    EXPECT_TRUE(IxCube::inRange(bounds, c));
    order += std::to_string(c.first.first) + (c.first.second ? 'T' : 'F') + c.second + ' ';
  }
  EXPECT_EQ(order, "-1Fx -1Fy -1Tx -1Ty 0Fx 0Fy 0Tx 0Ty ");
  EXPECT_FALSE(IxCube::inRange(bounds, {{1, false}, 'x'}));
  EXPECT_EQ(IxCube::rangeSize({{{0, true}, 'a'}, {{5, false}, 'z'}}), 0) << "an empty component empties the product";
}

}  // namespace
