// The node pool: memory reused across lists and threads, and bounded by what is alive at once.
#include "fp/node_memory.hpp"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "fp/consume.hpp"
#include "fp/generate.hpp"
#include "fp/list.hpp"

namespace {

using fp::List;

#if defined(FP_NODE_MEMORY_GLOBAL)
#define FP_REQUIRE_NODE_POOL() GTEST_SKIP() << "nodes come from the global allocator"
#else
#define FP_REQUIRE_NODE_POOL() (void)0
#endif

std::size_t slabs() { return fp::detail::CentralNodeStore::instance().slabCount(); }

List<std::int64_t> consList(std::int64_t n) {
  List<std::int64_t> xs;
  for (std::int64_t i = 0; i < n; ++i) xs = List<std::int64_t>::cons(i, std::move(xs));
  return xs;
}

// A list of 100,000 cells takes about 5 MB; a slab is 256 KiB.
constexpr std::int64_t kCells = 100'000;

TEST(NodeMemory, BuildingAgainReusesTheBlocksOfADroppedList) {
  FP_REQUIRE_NODE_POOL();
  { const auto warm = consList(kCells); }
  const std::size_t before = slabs();
  for (int round = 0; round < 20; ++round) {
    const auto xs = consList(kCells);
    ASSERT_EQ(xs.length(), kCells);
  }
  EXPECT_EQ(slabs(), before) << "twenty lists built one after another fit where the first was";
}

// Lists made on producer threads and dropped on a consumer thread: the consumer's freed blocks
// must reach the producers, or the pool would grow with every list.
TEST(NodeMemoryConcurrency, ListsBuiltOnOneThreadAndDroppedOnAnotherRecycleTheirBlocks) {
  FP_REQUIRE_NODE_POOL();
  constexpr int kProducers = 2, kListsEach = 40, kInFlight = 4;
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<List<std::int64_t>> handedOver;
  int producersLeft = kProducers;

  const std::size_t before = slabs();
  std::vector<std::thread> producers;
  for (int p = 0; p < kProducers; ++p)
    producers.emplace_back([&] {
      for (int i = 0; i < kListsEach; ++i) {
        auto xs = consList(kCells / 4);
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return handedOver.size() < kInFlight; });
        handedOver.push_back(std::move(xs));
        changed.notify_all();
      }
      const std::lock_guard lock(mutex);
      --producersLeft;
      changed.notify_all();
    });
  std::int64_t cells = 0;
  for (;;) {
    List<std::int64_t> xs;
    {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return !handedOver.empty() || producersLeft == 0; });
      if (handedOver.empty()) break;
      xs = std::move(handedOver.front());
      handedOver.pop_front();
      changed.notify_all();
    }
    cells += xs.length();
    xs = List<std::int64_t>();  // dropped here, on the consumer's thread
  }
  for (auto& t : producers) t.join();
  EXPECT_EQ(cells, std::int64_t{kProducers} * kListsEach * (kCells / 4));
  // At most kInFlight + kProducers + 1 lists of 1.2 MB are alive at once: 8.4 MB, 34 slabs,
  // against 80 lists (96 MB) made in all.
  EXPECT_LE(slabs() - before, 64u);
}

TEST(NodeMemoryConcurrency, ThreadsThatEndGiveTheirBlocksBack) {
  FP_REQUIRE_NODE_POOL();
  const std::size_t before = slabs();
  for (int i = 0; i < 40; ++i) {
    std::thread([] {
      std::int64_t sum = 0;
      for (std::int64_t x : fp::consume(fp::iota<std::int64_t>(0).take(kCells))) sum += x;
      const auto xs = consList(kCells / 4);
      EXPECT_EQ(sum + xs.length(), kCells * (kCells - 1) / 2 + kCells / 4);
    }).join();
  }
  EXPECT_LE(slabs() - before, 16u) << "forty threads, one after another, share the memory";
}

}  // namespace
