#include "fp/stack.hpp"

#include <gtest/gtest.h>
#include <pthread.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "fp/testing/threads.hpp"

namespace {

using fp::testing::runOnThread;

constexpr std::uint64_t kMillion = 1'000'000;
constexpr std::size_t kKiB = 1024;
constexpr std::size_t kMiB = 1024 * kKiB;

struct Sizes {
  std::size_t redZone = fp::detail::kDefaultRedZone;
  std::size_t segmentSize = fp::detail::kDefaultSegmentSize;
};

// Sums 1..n recursively, one guarded level per number. Each level keeps a
// buffer live across the nested call, so a million levels need far more than
// an 8 MiB stack. Records how many segments were mapped at the deepest point.
struct DeepSum {
  Sizes sizes;
  std::size_t segmentsAtBottom = 0;

  std::uint64_t operator()(std::uint64_t n) {
    if (n == 0) {
      segmentsAtBottom = fp::detail::mappedSegments();
      return 0;
    }
    volatile std::uint64_t keep[8];
    keep[n % 8] = n;
    const std::uint64_t below = fp::ensureStack(sizes.redZone, sizes.segmentSize, [&] { return (*this)(n - 1); });
    return keep[n % 8] + below;
  }
};

constexpr std::uint64_t sumTo(std::uint64_t n) { return n * (n + 1) / 2; }

// The most segments of this size that a thread's cache keeps.
std::size_t mostCached(const Sizes& sizes) {
  const std::size_t red = fp::detail::sanitizedRedZone(sizes.redZone);
  return fp::detail::kCachedStackBytes / fp::detail::segmentSpan(sizes.segmentSize, red);
}

struct DepthError : std::runtime_error {
  DepthError(const std::string& what, std::uint64_t depth) : std::runtime_error(what), depth(depth) {}
  std::uint64_t depth;
};

// Recurses through the guard and throws DepthError once `depth` reaches `throwAt`.
[[gnu::noinline]] std::uint64_t throwAtDepth(std::uint64_t depth, std::uint64_t throwAt) {
  if (depth == throwAt) throw DepthError("failed at depth " + std::to_string(depth), depth);
  volatile std::uint64_t keep[8];
  keep[depth % 8] = depth;
  const std::uint64_t below = fp::ensureStack([&] { return throwAtDepth(depth + 1, throwAt); });
  return keep[depth % 8] + below;
}

TEST(EnsureStack, MillionLevelRecursionChainsSegmentsAndReleasesThem) {
  const Sizes cases[] = {
      {},                      // The defaults.
      {16 * kKiB, 64 * kKiB},  // Many small segments.
      {64 * kKiB, 16 * kKiB},  // A segment size below the red zone is raised.
      {1 * kMiB, 8 * kMiB},    // Few large ones.
  };
  for (const Sizes& sizes : cases) {
    SCOPED_TRACE(testing::Message() << "red zone " << sizes.redZone << ", segment " << sizes.segmentSize);
    DeepSum sum{sizes};
    EXPECT_EQ(sum(kMillion), sumTo(kMillion));
    EXPECT_GT(sum.segmentsAtBottom, 2u);
    const std::size_t kept = fp::detail::mappedSegments();
    EXPECT_LE(kept, mostCached(sizes));
    // The same recursion again runs on the segments kept, mapping none.
    DeepSum again{sizes};
    EXPECT_EQ(again(kMillion), sumTo(kMillion));
    if (sum.segmentsAtBottom <= mostCached(sizes)) {
      EXPECT_EQ(again.segmentsAtBottom, kept);
    }
    EXPECT_EQ(fp::detail::mappedSegments(), kept);
  }
}

TEST(EnsureStack, ExceptionFromDeepInsidePropagatesUnchanged) {
  for (int round = 0; round < 2; ++round) {
    try {
      throwAtDepth(0, 900'000);
      ADD_FAILURE() << "no exception";
    } catch (const DepthError& e) {
      EXPECT_STREQ(e.what(), "failed at depth 900000");
      EXPECT_EQ(e.depth, 900'000u);
    }
    EXPECT_LE(fp::detail::mappedSegments(), mostCached({}));
    DeepSum sum;
    EXPECT_EQ(sum(kMillion), sumTo(kMillion));
  }
}

// Each level fills a buffer of most of the default red zone, then checks
// that it survived the levels below. Returns the number of intact levels.
[[gnu::noinline]] int bigFrames(int n) {
  if (n == 0) return 0;
  volatile char buffer[96 * kKiB];
  for (std::size_t i = 0; i < sizeof buffer; i += 512) buffer[i] = static_cast<char>(n);
  const int below = fp::ensureStack([n] { return bigFrames(n - 1); });
  int intact = 1;
  for (std::size_t i = 0; i < sizeof buffer; i += 512) intact &= buffer[i] == static_cast<char>(n);
  return below + intact;
}

TEST(EnsureStack, FramesUpToTheRedZoneFit) {
  EXPECT_EQ(bigFrames(2'000), 2'000);  // About 190 MiB of stack in all.
  EXPECT_LE(fp::detail::mappedSegments(), mostCached({}));
}

// Records entry and exit of each level, so any call skipped, repeated or
// reordered by a switch shows up in the trace.
void trace(std::vector<int>& events, int level, int depth) {
  events.push_back(level);
  if (level + 1 < depth) fp::ensureStack([&] { trace(events, level + 1, depth); });
  events.push_back(-level);
}

TEST(EnsureStack, KeepsTheOrderOfCalls) {
  constexpr int kDepth = 300'000;  // Deep enough to leave the thread's stack.
  std::vector<int> events;
  events.reserve(2 * kDepth);
  trace(events, 0, kDepth);
  std::vector<int> expected;
  for (int i = 0; i < kDepth; ++i) expected.push_back(i);
  for (int i = kDepth - 1; i >= 0; --i) expected.push_back(-i);
  EXPECT_EQ(events, expected);
}

struct RvalueOnly {
  int operator()() && { return 5; }
};

// Passes every kind of result through the guard. `switches` tells whether the
// calls are expected to run on a segment.
void checkResults(bool switches) {
  const std::uintptr_t limitInside = fp::ensureStack([] { return fp::detail::stackLimit; });
  EXPECT_EQ(limitInside != fp::detail::stackLimit, switches);

  int x = 1;
  decltype(auto) lref = fp::ensureStack([&]() -> int& { return x; });
  static_assert(std::is_same_v<decltype(lref), int&>);
  EXPECT_EQ(&lref, &x);

  decltype(auto) rref = fp::ensureStack([&]() -> int&& { return std::move(x); });
  static_assert(std::is_same_v<decltype(rref), int&&>);
  EXPECT_EQ(&rref, &x);

  bool ran = false;
  static_assert(std::is_void_v<decltype(fp::ensureStack([&] { ran = true; }))>);
  fp::ensureStack([&] { ran = true; });
  EXPECT_TRUE(ran);

  std::unique_ptr<int> owned = fp::ensureStack([p = std::make_unique<int>(7)]() mutable { return std::move(p); });
  ASSERT_NE(owned, nullptr);
  EXPECT_EQ(*owned, 7);

  EXPECT_EQ(fp::ensureStack([] { return std::string(100, 'z'); }), std::string(100, 'z'));
  EXPECT_EQ(fp::ensureStack(RvalueOnly{}), 5);
}

TEST(EnsureStack, ResultsKeepTheirTypeAndValueCategory) {
  {
    SCOPED_TRACE("room to spare");
    checkResults(false);
  }
  runOnThread(64 * kKiB, [] {
    SCOPED_TRACE("stack smaller than the red zone");
    checkResults(true);
  });
}

TEST(EnsureStackConcurrency, MillionLevelRecursionOnThreadsOfAnyStackSize) {
  const std::size_t stackSizes[] = {0, 256 * kKiB, 64 * kKiB, 16 * kMiB};
  for (std::size_t stackSize : stackSizes) {
    SCOPED_TRACE(testing::Message() << "thread stack " << stackSize);
    const std::size_t before = fp::detail::mappedSegments();
    DeepSum sum;
    std::uint64_t result = 0;
    runOnThread(stackSize, [&] { result = sum(kMillion); });
    EXPECT_EQ(result, sumTo(kMillion));
    EXPECT_GT(sum.segmentsAtBottom, before + 2);
    EXPECT_EQ(fp::detail::mappedSegments(), before);  // The thread's cache is unmapped at exit.
  }
}

TEST(EnsureStackConcurrency, ThreadsRecurseAndThrowAtOnce) {
  const std::size_t before = fp::detail::mappedSegments();
  constexpr int kThreads = 3;
  std::uint64_t sums[kThreads] = {};
  std::string errors[kThreads];
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      try {
        throwAtDepth(0, 900'000 + t);
      } catch (const DepthError& e) {
        errors[t] = e.what();
      }
      sums[t] = DeepSum{}(kMillion);
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(errors[t], "failed at depth " + std::to_string(900'000 + t));
    EXPECT_EQ(sums[t], sumTo(kMillion));
  }
  EXPECT_EQ(fp::detail::mappedSegments(), before);
}

}  // namespace
