#include "fp/deferred.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "fp/testing/allocations.hpp"

namespace {

using fp::Deferred;

TEST(Deferred, ComputesOnFirstUseOnlyAndCopiesShareTheResult) {
  int calls = 0;
  Deferred<int> answer = fp::defer([&] { return ++calls, 42; });
  Deferred<int> copy = answer;
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(copy.ready());

  const int& viaConversion = answer;
  EXPECT_EQ(viaConversion, 42);
  EXPECT_EQ(copy(), 42);
  EXPECT_EQ(copy.get(), 42);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(copy.ready());
}

// In an expression a deferred value reads as its value, through the value type's operators
// whether they are plain functions or templates, and is computed only when the expression runs.
TEST(Deferred, ReadsAsItsValueInExpressions) {
  int calls = 0;
  const Deferred<std::string> name = fp::defer([&] { return ++calls, std::string("acc"); });
  const Deferred<int> three = fp::defer([] { return 3; });
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(name + "!", "acc!");
  EXPECT_EQ("[" + name + "]", "[acc]");
  EXPECT_TRUE(name == "acc");
  EXPECT_TRUE(name != "abc");
  EXPECT_TRUE(name < std::string("b"));
  EXPECT_EQ(three * 2 + three, 9);
  EXPECT_TRUE(three == three && three >= 3 && !(three > 3));
  std::ostringstream out;
  out << name << three;
  EXPECT_EQ(out.str(), "acc3");
  const std::string copy = name;
  EXPECT_EQ(copy, "acc");
  EXPECT_EQ(calls, 1);
}

TEST(Deferred, UnusedComputationNeverRuns) {
  int calls = 0;
  { Deferred<int> unused = fp::defer([&] { return ++calls; }); }
  EXPECT_EQ(calls, 0);
}

TEST(Deferred, ReadyValueIsHeldWithoutAllocation) {
  FP_REQUIRE_ALLOCATION_COUNTS();
  const fp::testing::AllocationsSince allocations;
  Deferred<long> ready(7L);
  Deferred<long> copy = ready;
  EXPECT_EQ(copy.get(), 7);
  EXPECT_TRUE(ready.ready());
  EXPECT_EQ(allocations.count(), 0);
}

TEST(Deferred, FailurePropagatesAndTheNextReaderTriesAgain) {
  int attempts = 0;
  Deferred<std::string> flaky = fp::defer([&] {
    if (++attempts == 1) throw std::runtime_error("first attempt fails");
    return std::string("second attempt works");
  });
  try {
    (void)flaky.get();
    FAIL() << "expected the computation's exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "first attempt fails");
  }
  EXPECT_FALSE(flaky.ready());
  EXPECT_EQ(flaky.get(), "second attempt works");
  EXPECT_EQ(flaky.get(), "second attempt works");
  EXPECT_EQ(attempts, 2);
}

TEST(Deferred, ComputationIsReleasedOnceItHasRun) {
  auto resource = std::make_shared<int>(5);
  std::weak_ptr<int> watch = resource;
  Deferred<int> d = fp::defer([r = std::move(resource)] { return *r * 2; });
  EXPECT_FALSE(watch.expired());
  EXPECT_EQ(d.get(), 10);
  EXPECT_TRUE(watch.expired());
}

TEST(Deferred, ValueThatNeedsItselfThrowsInsteadOfHanging) {
  std::unique_ptr<Deferred<int>> self;
  self = std::make_unique<Deferred<int>>(fp::defer([&] { return self->get() + 1; }));
  EXPECT_THROW((void)self->get(), std::logic_error);
}

TEST(Deferred, DroppingALongChainDoesNotRecurse) {
  // Each value holds its predecessor: destroying the last one releases ten million of them.
  // Every computation also holds a share of `token`, so its count tells how many are alive.
  constexpr long kLength = 10'000'000;
  const auto token = std::make_shared<int>(0);
  Deferred<int> chain(0);
  for (long i = 0; i < kLength; ++i)
    chain = fp::defer([previous = chain, token] { return previous.get() + *token + 1; });
  EXPECT_EQ(token.use_count(), kLength + 1);
  chain = Deferred<int>(0);
  EXPECT_EQ(token.use_count(), 1) << "computations of the chain left alive";
}

TEST(DeferredConcurrency, ConcurrentFirstUsesRunTheComputationOnce) {
  for (int round = 0; round < 50; ++round) {
    std::atomic<int> calls{0};
    std::atomic<bool> go{false};
    Deferred<std::vector<int>> shared = fp::defer([&] {
      calls.fetch_add(1);
      return std::vector<int>(1000, round);
    });
    std::vector<std::thread> readers;
    std::vector<long> sums(8);
    for (int t = 0; t < 8; ++t)
      readers.emplace_back([&, t] {
        while (!go.load()) std::this_thread::yield();
        long sum = 0;
        for (int x : shared.get()) sum += x;
        sums[t] = sum;
      });
    go = true;
    for (auto& r : readers) r.join();
    EXPECT_EQ(calls.load(), 1);
    for (long s : sums) EXPECT_EQ(s, 1000L * round);
  }
}

TEST(DeferredConcurrency, WaitersRetryAfterTheRunningComputationFails) {
  std::atomic<int> attempts{0};
  Deferred<int> d = fp::defer([&] {
    if (attempts.fetch_add(1) == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      throw std::runtime_error("fails once");
    }
    return 3;
  });
  std::atomic<int> failures{0}, successes{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 4; ++t)
    readers.emplace_back([&] {
      try {
        if (d.get() == 3) successes.fetch_add(1);
      } catch (const std::runtime_error&) {
        failures.fetch_add(1);
      }
    });
  for (auto& r : readers) r.join();
  EXPECT_EQ(failures.load(), 1);
  EXPECT_EQ(successes.load(), 3);
  EXPECT_EQ(attempts.load(), 2);
}

}  // namespace
