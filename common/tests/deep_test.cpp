// Deeply nested forcing on the default stack: every level of these structures forces the next
// one inside it, a million levels deep.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "fp/classes.hpp"
#include "fp/deferred.hpp"
#include "fp/generate.hpp"
#include "fp/list.hpp"
#include "fp/testing/threads.hpp"

namespace {

using fp::Deferred;
using fp::List;

constexpr int kDepth = 1'000'000;

// A chain of deferred values, each one more than its predecessor, the first throwing if asked.
Deferred<std::int64_t> chain(int length, int throwAt = -1) {
  Deferred<std::int64_t> last = fp::defer([throwAt]() -> std::int64_t {
    if (throwAt == 0) throw std::runtime_error("failed at the bottom");
    return 0;
  });
  for (int i = 1; i < length; ++i)
    last = fp::defer([previous = last, i, throwAt]() -> std::int64_t {
      if (i == throwAt) throw std::runtime_error("failed at level " + std::to_string(i));
      return previous.get() + 1;
    });
  return last;
}

List<int> leftNestedAppends(int count) {
  List<int> xs{0};
  for (int i = 1; i < count; ++i) xs = fp::append(xs, List<int>{i});
  return xs;
}

// The deep cases, each returning what it computed.
struct DeepCase {
  const char* name;
  std::function<std::int64_t()> run;
  std::int64_t expected;
};
const DeepCase kDeepCases[] = {
    {"a chain of deferred values", [] { return chain(kDepth).get(); }, kDepth - 1},
    {"a right fold forcing its accumulator",
     [] {
       return fp::foldr([](int x, Deferred<std::int64_t> acc) { return x + acc.get(); },
                        std::int64_t{0}, fp::iota(0, kDepth));
     },
     std::int64_t{kDepth} * (kDepth - 1) / 2},
    {"a lazy left fold whose result is demanded",
     [] {
       return fp::foldl([](std::int64_t acc, int x) { return acc + x; }, std::int64_t{0},
                        fp::iota(0, kDepth));
     },
     std::int64_t{kDepth} * (kDepth - 1) / 2},
    {"a monoid fold whose right operand is always needed",
     [] {
       return std::int64_t{
           fp::foldMap(fp::AnyMonoid{}, [](int x) { return x < 0; }, fp::iota(0, kDepth))};
     },
     0},
    {"a traversal with an effect that builds every action",
     [] {
       const auto all = fp::traverse(fp::OptionalEffect{},
                                     [](int x) { return std::optional(x); }, fp::iota(0, kDepth));
       return all->length();
     },
     kDepth},
    {"the first cell of 100,000 left-nested appends",
     [] { return std::int64_t{leftNestedAppends(100'000).head()}; }, 0},
};

TEST(DeepForcing, MillionLevelsOnTheDefaultStack) {
  for (const auto& c : kDeepCases) EXPECT_EQ(c.run(), c.expected) << c.name;
}

TEST(DeepForcing, ExceptionFromDeepInsideReachesTheCallerIntact) {
  const auto failing = chain(kDepth, 100'000);  // 900,000 levels above the failure
  try {
    (void)failing.get();
    FAIL() << "expected the exception thrown deep inside";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "failed at level 100000");
  }
  EXPECT_FALSE(failing.ready()) << "a failed value stays unforced";
  EXPECT_EQ(chain(kDepth).get(), kDepth - 1) << "deep forcing still works afterwards";
}

TEST(DeepForcingConcurrency, SmallThreadStacksGrowToo) {
  std::int64_t results[std::size(kDeepCases)];
  fp::testing::runOnThread(256 << 10, [&] {
    for (std::size_t i = 0; i < std::size(kDeepCases); ++i) results[i] = kDeepCases[i].run();
  });
  for (std::size_t i = 0; i < std::size(kDeepCases); ++i)
    EXPECT_EQ(results[i], kDeepCases[i].expected) << kDeepCases[i].name;
}

}  // namespace
