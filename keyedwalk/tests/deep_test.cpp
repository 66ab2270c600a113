// Large inputs on the default stack: the strict folds are loops, and the lazy ones nest only as
// deep as the callback forces them, on stack segments that grow as needed.
#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <optional>
#include <vector>

#include "keyedwalk/foldable.hpp"
#include "keyedwalk/traversable.hpp"
#include "fp/testing/sanitized.hpp"
#include "fp/testing/monoids.hpp"

namespace {

constexpr std::int64_t kScale = fp::testing::kSanitized ? 10 : 1;  // every step many times slower
constexpr std::int64_t kStrictSize = 10'000'000 / kScale;
constexpr std::int64_t kLazySize = 1'000'000 / kScale;

std::vector<std::int64_t> ones(std::int64_t n) { return std::vector<std::int64_t>(static_cast<std::size_t>(n), 1); }

// Σ i over 0 .. n-1.
constexpr std::int64_t triangle(std::int64_t n) { return n * (n - 1) / 2; }

using fp::testing::SumMonoid;

template <class C>
void expectStrictFoldsSum(const C& c, std::int64_t n) {
  EXPECT_EQ(keyedwalk::ifoldlPrime([](std::int64_t i, std::int64_t acc, std::int64_t x) { return acc + i * x; },
                                   std::int64_t{0}, c),
            triangle(n));
  EXPECT_EQ(keyedwalk::ifoldMapPrime(SumMonoid{}, [](std::int64_t i, std::int64_t x) { return i * x; }, c), triangle(n));
  EXPECT_EQ(keyedwalk::ifoldrPrime([](std::int64_t i, std::int64_t x, std::int64_t acc) { return acc + i * x; },
                                   std::int64_t{0}, c),
            triangle(n));
}

TEST(Deep, StrictFoldsOverTenMillionElements) {
  const auto vector = ones(kStrictSize);
  expectStrictFoldsSum(vector, kStrictSize);
  const auto list = fp::List<std::int64_t>::from(vector);
  expectStrictFoldsSum(list, kStrictSize);
  expectStrictFoldsSum(fp::NonEmpty<std::int64_t>(1, list.tail()), kStrictSize);
}

TEST(Deep, ZipListStrictFoldsThroughTheDefaults) {
  // One element at a time through ifoldr and ifoldMap, each step computed before the next.
  expectStrictFoldsSum(fp::ZipList<std::int64_t>(fp::List<std::int64_t>::from(ones(kStrictSize))), kStrictSize);
}

TEST(Deep, LazyFoldsForcedAMillionLevelsDeep) {
  const auto vector = ones(kLazySize);
  const auto list = fp::List<std::int64_t>::from(vector);
  const auto forcing = [](std::int64_t i, std::int64_t x, std::int64_t rest) { return rest + i * x; };
  EXPECT_EQ(keyedwalk::ifoldr(forcing, std::int64_t{0}, list), triangle(kLazySize));
  EXPECT_EQ(keyedwalk::ifoldr(forcing, std::int64_t{0}, vector), triangle(kLazySize));
  const auto leftForcing = [](std::int64_t i, std::int64_t acc, std::int64_t x) { return acc + i * x; };
  EXPECT_EQ(keyedwalk::ifoldl(leftForcing, std::int64_t{0}, list), triangle(kLazySize));
  EXPECT_EQ(keyedwalk::ifoldl(leftForcing, std::int64_t{0}, vector), triangle(kLazySize));

  const auto checked = [](std::int64_t i, std::int64_t x) { return std::optional(i * x); };
  const auto fromList = keyedwalk::itraverse(fp::OptionalEffect{}, checked, list);
  ASSERT_TRUE(fromList.has_value());
  EXPECT_EQ(fromList->length(), kLazySize);
  const auto fromVector = keyedwalk::itraverse(fp::OptionalEffect{}, checked, vector);
  ASSERT_TRUE(fromVector.has_value());
  EXPECT_EQ(fromVector->back(), kLazySize - 1);
  EXPECT_TRUE(keyedwalk::iall([](std::int64_t, std::int64_t x) { return x == 1; }, vector));
}

}  // namespace
