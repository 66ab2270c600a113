// IntMap as a container, and the strict folds of the keyed providers over a million entries.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "keyedwalk/foldable.hpp"
#include "keyedwalk/intmap.hpp"
#include "keyedwalk/map.hpp"
#include "fp/testing/sanitized.hpp"
#include "fp/testing/monoids.hpp"

namespace {

using keyedwalk::IntMap;

TEST(Keyed, IntMapInsertsAndFindsAsAnOrderedMapDoes) {
  // Keys spread over the whole range, with repeats, built both ways: copies must not change.
  std::map<std::int64_t, std::int64_t> expected;
  IntMap<std::int64_t> built;
  IntMap<std::int64_t> snapshot;
  std::map<std::int64_t, std::int64_t> atSnapshot;
  std::uint64_t seed = 42;
  const auto next = [&] { return seed = seed * 6364136223846793005u + 1442695040888963407u; };
  for (std::int64_t n = 0; n < 5000; ++n) {
    const auto bits = next();
    const auto key = static_cast<std::int64_t>((n % 3 == 0 ? bits : bits % 200) - (n % 2 ? 100u : 0u));
    expected[key] = n;
    built = n % 5 == 0 ? built.insert(key, n) : std::move(built).insert(key, n);
    if (n == 2500) {
      snapshot = built;
      atSnapshot = expected;
    }
  }
  for (const std::int64_t key : {std::numeric_limits<std::int64_t>::min(), std::int64_t{-1}, std::int64_t{0},
                                 std::numeric_limits<std::int64_t>::max()}) {
    expected[key] = key;
    built = std::move(built).insert(key, key);
  }
  const auto entries = [](const auto& m) {
    return std::vector<std::pair<std::int64_t, std::int64_t>>(m.begin(), m.end());
  };
  EXPECT_EQ(entries(built), entries(expected)) << "ascending signed order";
  EXPECT_EQ(built.size(), expected.size());
  EXPECT_EQ(entries(snapshot), entries(atSnapshot)) << "a copy keeps its entries";
  for (const auto& [key, value] : expected) {
    ASSERT_NE(built.find(key), nullptr) << key;
    EXPECT_EQ(*built.find(key), value);
  }
  EXPECT_EQ(built.find(-99999), nullptr);
  EXPECT_FALSE(built.contains(1000));
  EXPECT_THROW(built.at(1000), std::out_of_range);

  const IntMap<std::string> named{{7, "a"}, {-3, "b"}, {7, "c"}};
  EXPECT_EQ(named.size(), 2u);
  EXPECT_EQ(named.at(7), "c") << "a later entry replaces an earlier one";
  const auto renamed = named.insert(-3, "d");
  EXPECT_EQ(named.at(-3), "b");
  EXPECT_EQ(renamed.at(-3), "d");
  EXPECT_TRUE(IntMap<std::string>().empty());

  // A value that fails to move into the map leaves the map as it was, in place or not.
  struct Fragile {
    explicit Fragile(int v) : value(v) {}
    Fragile(const Fragile&) = default;
    Fragile(Fragile&& other) : value(other.value) {
      if (value < 0) throw std::runtime_error("moved");
    }
    Fragile& operator=(const Fragile&) = default;
    int value;
  };
  IntMap<Fragile> fragile{{1, Fragile(1)}, {2, Fragile(2)}};
  EXPECT_THROW(fragile.insert(1, Fragile(-1)), std::runtime_error);
  EXPECT_THROW(std::move(fragile).insert(3, Fragile(-1)), std::runtime_error);
  EXPECT_EQ(fragile.size(), 2u);
  EXPECT_EQ(fragile.at(1).value, 1);
  EXPECT_EQ(fragile.at(2).value, 2);
}

constexpr std::int64_t kScale = fp::testing::kSanitized ? 10 : 1;  // every step many times slower
constexpr std::int64_t kEntries = 1'000'000 / kScale;

// Σ k·v over keys 0 .. n-1 with v = 1.
constexpr std::int64_t triangle(std::int64_t n) { return n * (n - 1) / 2; }

using fp::testing::SumMonoid;

template <class C>
void expectStrictFoldsSum(const C& c) {
  EXPECT_EQ(keyedwalk::ifoldlPrime([](std::int64_t k, std::int64_t acc, std::int64_t v) { return acc + k * v; },
                                   std::int64_t{0}, c),
            triangle(kEntries));
  EXPECT_EQ(keyedwalk::ifoldrPrime([](std::int64_t k, std::int64_t v, std::int64_t acc) { return acc + k * v; },
                                   std::int64_t{0}, c),
            triangle(kEntries));
  EXPECT_EQ(keyedwalk::ifoldMapPrime(SumMonoid{}, [](std::int64_t k, std::int64_t v) { return k * v; }, c),
            triangle(kEntries));
}

TEST(Keyed, StrictFoldsOverAMillionEntries) {
  std::map<std::int64_t, std::int64_t> map;
  IntMap<std::int64_t> intMap;
  for (std::int64_t k = 0; k < kEntries; ++k) {
    map.emplace_hint(map.end(), k, 1);
    intMap = std::move(intMap).insert(k, 1);
  }
  expectStrictFoldsSum(map);
  expectStrictFoldsSum(intMap);

  // The lazy right fold, forced at every entry, nests a million levels deep.
  EXPECT_EQ(keyedwalk::ifoldr([](std::int64_t k, std::int64_t v, std::int64_t rest) { return rest + k * v; },
                              std::int64_t{0}, map),
            triangle(kEntries));
}

}  // namespace
