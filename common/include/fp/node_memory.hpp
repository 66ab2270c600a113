// Where the nodes of lists and deferred values live: the node memory policy.
//
//   fp::List<int> xs;
//   for (int i = 0; i < 1'000'000; ++i) xs = fp::List<int>::cons(i, std::move(xs));
//   xs = {};   // the million cells go back to this thread's cache, for the next list to reuse
//
// Every cell, suspension, slice and deferred computation of this library is a small heap node,
// made and dropped by the million. By default they come from a pool built for that:
//
// - Sizes are rounded up to a multiple of 16 bytes; each of the 16 size classes up to 256 bytes
//   has free lists of its own, and larger nodes go to the global operator new.
// - Each thread keeps a list of up to two batches of free blocks per class (a batch is about
//   16 KiB), so that making and dropping a node is a few instructions on memory the thread
//   touched last, with no lock and no atomic operation. New blocks are cut from 256 KiB slabs.
// - A thread whose cache overflows hands a whole batch to a central store, where a thread whose
//   cache runs dry takes it: lists built on one thread and dropped on another recycle their
//   blocks through it, a batch per lock. A thread that ends gives everything it holds back.
//
// The pool keeps what it has taken from the heap for reuse: its size follows the largest number
// of nodes alive at once, not the number ever made, so a stream of any length that holds a
// bounded part of a list at a time runs in bounded memory. It never gives slabs back to the
// heap. Under AddressSanitizer a free block is poisoned, so that a use of a dropped node is
// still reported.
//
// To have the global operator new and delete make every node instead (to count allocations
// with a tool of one's own, to give memory back to the heap as soon as nodes die, or to let a
// replaced global allocator decide), define FP_NODE_MEMORY_GLOBAL in every translation unit of
// the program, including the libraries built on this layer: in this project's CMake build,
// configure with -DFP_NODE_MEMORY=global, which sets it for every target and for the installed
// packages. Mixing the two in one program is undefined: a node must go back where it came from.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define FP_NODE_MEMORY_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FP_NODE_MEMORY_ASAN 1
#endif
#endif
#if defined(FP_NODE_MEMORY_ASAN)
#include <sanitizer/asan_interface.h>
#endif

namespace fp::detail {

#if defined(FP_NODE_MEMORY_ASAN)
inline void poisonNode(void* p, std::size_t n) noexcept { __asan_poison_memory_region(p, n); }
inline void unpoisonNode(void* p, std::size_t n) noexcept { __asan_unpoison_memory_region(p, n); }
#else
inline void poisonNode(void*, std::size_t) noexcept {}
inline void unpoisonNode(void*, std::size_t) noexcept {}
#endif

inline constexpr std::size_t kNodeGrain = 16;
inline constexpr std::size_t kNodeClasses = 16;
inline constexpr std::size_t kLargestPooledNode = kNodeGrain * kNodeClasses;
inline constexpr std::size_t kNodeBatchBytes = std::size_t{16} << 10;
inline constexpr std::size_t kNodeSlabBytes = std::size_t{256} << 10;

// The size class of a node of `size` bytes (0 < size <= kLargestPooledNode), and its block size.
constexpr std::size_t nodeClass(std::size_t size) noexcept { return (size - 1) / kNodeGrain; }
constexpr std::size_t classBytes(std::size_t c) noexcept { return (c + 1) * kNodeGrain; }
constexpr std::uint32_t batchBlocks(std::size_t c) noexcept {
  return static_cast<std::uint32_t>(kNodeBatchBytes / classBytes(c));
}

struct FreeBlock {
  FreeBlock* next;
};

// A list of free blocks of one class, as the central store keeps it.
struct FreeBatch {
  FreeBlock* head;
  std::uint32_t count;
};

// What all threads share: full batches handed over, the remainders of slabs that threads gave
// back, and the slabs themselves (kept reachable, so that leak checkers see no leak).
class CentralNodeStore {
 public:
  static CentralNodeStore& instance() {
    // Never destroyed: nodes are dropped until the very end of the process.
    static CentralNodeStore* const store = new CentralNodeStore;
    return *store;
  }

  // Whether batches of class c may be waiting (a hint, read without the lock).
  bool mayHave(std::size_t c) const noexcept {
    return waiting_[c].load(std::memory_order_relaxed) != 0;
  }

  bool take(std::size_t c, FreeBatch& out) {
    const std::lock_guard lock(mutex_);
    auto& batches = batches_[c];
    if (batches.empty()) return false;
    out = batches.back();
    batches.pop_back();
    waiting_[c].store(batches.size(), std::memory_order_relaxed);
    return true;
  }
  // False if there was no memory to record the batch: the caller keeps it.
  bool give(std::size_t c, FreeBatch batch) noexcept {
    if (batch.count == 0) return true;
    const std::lock_guard lock(mutex_);
    try {
      batches_[c].push_back(batch);
    } catch (...) {
      return false;
    }
    waiting_[c].store(batches_[c].size(), std::memory_order_relaxed);
    return true;
  }

  // A fresh stretch of memory to cut blocks from: a remainder given back, or a new slab.
  std::pair<char*, char*> region() {
    {
      const std::lock_guard lock(mutex_);
      if (!regions_.empty()) {
        const auto r = regions_.back();
        regions_.pop_back();
        return r;
      }
    }
    auto* slab = static_cast<char*>(::operator new(kNodeSlabBytes, std::align_val_t{kNodeGrain}));
    poisonNode(slab, kNodeSlabBytes);
    const std::lock_guard lock(mutex_);
    slabs_.push_back(slab);
    return {slab, slab + kNodeSlabBytes};
  }
  // The slabs taken from the heap so far: the pool's size, in kNodeSlabBytes.
  std::size_t slabCount() {
    const std::lock_guard lock(mutex_);
    return slabs_.size();
  }

  void giveRegion(char* begin, char* end) noexcept {
    if (end - begin < static_cast<std::ptrdiff_t>(kLargestPooledNode)) return;
    const std::lock_guard lock(mutex_);
    try {
      regions_.emplace_back(begin, end);
    } catch (...) {
      // The remainder is lost to the pool; its slab stays recorded.
    }
  }

 private:
  CentralNodeStore() = default;

  std::mutex mutex_;
  std::vector<FreeBatch> batches_[kNodeClasses];
  std::atomic<std::size_t> waiting_[kNodeClasses] = {};
  std::vector<std::pair<char*, char*>> regions_;
  std::vector<char*> slabs_;
};

// One thread's cache. Trivially destructible and constant-initialised, so that it stays usable
// by nodes dropped from destructors that run after its owner has emptied it at thread exit.
struct ThreadNodeCache {
  // The free blocks of each class, newest first. With a batch's worth B or more, `boundary` is
  // the B-th from the bottom and, above B, `cut` the one above it: a list of 2B splits there in
  // two batches at once, the older one going to the central store. The cache thus moves a batch
  // only after a batch's worth of net frees or allocations, however they alternate.
  FreeBlock* free[kNodeClasses];
  std::uint32_t count[kNodeClasses];
  FreeBlock* boundary[kNodeClasses];
  FreeBlock* cut[kNodeClasses];
  char* bump;                             // what is left of the current region
  char* bumpEnd;
  std::uint64_t taken;                    // blocks handed out by this thread, for tests
  bool owned;                             // the owner that empties the cache at exit exists
  bool exiting;                           // the thread is ending: bypass the cache
};

inline constinit thread_local ThreadNodeCache threadNodeCache [[gnu::tls_model("initial-exec")]] = {};

inline void flushNodeCache(ThreadNodeCache& cache) noexcept {
  auto& central = CentralNodeStore::instance();
  for (std::size_t c = 0; c < kNodeClasses; ++c) {
    // In batches of at most a batch's worth, as the store hands them out.
    FreeBlock* rest = std::exchange(cache.free[c], nullptr);
    cache.count[c] = 0;
    while (rest) {
      FreeBatch batch{rest, 0};
      while (rest && batch.count < batchBlocks(c)) {
        unpoisonNode(rest, sizeof(FreeBlock));
        FreeBlock* next = rest->next;
        if (++batch.count == batchBlocks(c)) rest->next = nullptr;
        poisonNode(rest, sizeof(FreeBlock));
        rest = next;
      }
      (void)central.give(c, batch);
    }
  }
  central.giveRegion(std::exchange(cache.bump, nullptr), std::exchange(cache.bumpEnd, nullptr));
}

struct NodeCacheOwner {
  NodeCacheOwner() = default;
  NodeCacheOwner(const NodeCacheOwner&) = delete;
  NodeCacheOwner& operator=(const NodeCacheOwner&) = delete;
  ~NodeCacheOwner() {
    threadNodeCache.exiting = true;
    flushNodeCache(threadNodeCache);
  }
};

// The slow path of allocation: refills the empty list of class c, or, at thread exit, takes
// one block straight from the central store.
[[gnu::noinline]] inline void* allocateNodeSlow(std::size_t c) {
  ThreadNodeCache& cache = threadNodeCache;
  auto& central = CentralNodeStore::instance();
  if (!cache.owned && !cache.exiting) {
    cache.owned = true;
    [[maybe_unused]] static thread_local NodeCacheOwner owner;
  }
  const std::size_t bytes = classBytes(c);
  FreeBatch batch{};
  if (central.mayHave(c) && central.take(c, batch)) {
    // A batch handed over by another thread (or by this one).
  } else {
    const std::uint32_t want = batchBlocks(c);
    if (static_cast<std::size_t>(cache.bumpEnd - cache.bump) < bytes) {
      if (cache.exiting) {
        // Nothing may stay with the thread now: cut the block from a region given back at once.
        auto [begin, end] = central.region();
        unpoisonNode(begin, bytes);
        central.giveRegion(begin + bytes, end);
        return begin;
      }
      central.giveRegion(cache.bump, cache.bumpEnd);
      const auto [begin, end] = central.region();
      cache.bump = begin;
      cache.bumpEnd = end;
    }
    // Blocks cut from the region, as many as a batch holds and the region allows, linked.
    const auto fit = static_cast<std::uint32_t>(static_cast<std::size_t>(cache.bumpEnd - cache.bump) / bytes);
    batch.count = want < fit ? want : fit;
    char* const first = cache.bump;
    cache.bump += batch.count * bytes;
    unpoisonNode(first, batch.count * bytes);
    for (std::uint32_t i = 0; i < batch.count; ++i)
      reinterpret_cast<FreeBlock*>(first + i * bytes)->next =
          i + 1 < batch.count ? reinterpret_cast<FreeBlock*>(first + (i + 1) * bytes) : nullptr;
    batch.head = reinterpret_cast<FreeBlock*>(first);
    for (std::uint32_t i = 1; i < batch.count; ++i) poisonNode(first + i * bytes, bytes);
  }
  FreeBlock* block = batch.head;
  unpoisonNode(block, bytes);
  if (cache.exiting) {
    (void)central.give(c, {block->next, batch.count - 1});
    return block;
  }
  cache.free[c] = block->next;
  cache.count[c] = batch.count - 1;
  ++cache.taken;
  return block;
}

// The list of class c holds two batches: the older one goes to the central store.
[[gnu::noinline]] inline void retireNodeBatch(ThreadNodeCache& cache, std::size_t c) noexcept {
  const std::uint32_t b = batchBlocks(c);
  FreeBlock* const cut = cache.cut[c];
  const auto link = [cut](FreeBlock* next) {
    unpoisonNode(cut, sizeof(FreeBlock));
    cut->next = next;
    poisonNode(cut, sizeof(FreeBlock));
  };
  link(nullptr);
  if (!CentralNodeStore::instance().give(c, {cache.boundary[c], b})) {
    link(cache.boundary[c]);  // no memory to record it: kept for now
    return;
  }
  cache.count[c] = b;
  cache.boundary[c] = cache.free[c];
  cache.cut[c] = nullptr;
}

[[gnu::noinline]] inline void deallocateNodeExiting(void* p, std::size_t c) noexcept {
  auto* block = static_cast<FreeBlock*>(p);
  block->next = nullptr;
  poisonNode(block, classBytes(c));
  // Lost to the pool if there is no memory to record it, as the thread is ending.
  (void)CentralNodeStore::instance().give(c, {block, 1});
}

// Memory for a node of `size` bytes.
inline void* allocateNode(std::size_t size) {
#if defined(FP_NODE_MEMORY_GLOBAL)
  return ::operator new(size);
#else
  if (size > kLargestPooledNode) [[unlikely]]
    return ::operator new(size);
  const std::size_t c = nodeClass(size);
  ThreadNodeCache& cache = threadNodeCache;
  if (FreeBlock* block = cache.free[c]) [[likely]] {
    unpoisonNode(block, classBytes(c));
    cache.free[c] = block->next;
    --cache.count[c];
    ++cache.taken;
    return block;
  }
  return allocateNodeSlow(c);
#endif
}

// Gives back the memory of a node of `size` bytes that allocateNode made.
// (The global operator delete is called unsized: clang declares the sized one only with
// -fsized-deallocation.)
inline void deallocateNode(void* p, [[maybe_unused]] std::size_t size) noexcept {
#if defined(FP_NODE_MEMORY_GLOBAL)
  ::operator delete(p);
#else
  if (size > kLargestPooledNode) [[unlikely]]
    return ::operator delete(p);
  const std::size_t c = nodeClass(size);
  ThreadNodeCache& cache = threadNodeCache;
  if (cache.exiting) [[unlikely]]
    return deallocateNodeExiting(p, c);
  auto* block = static_cast<FreeBlock*>(p);
  block->next = cache.free[c];
  poisonNode(block, classBytes(c));
  cache.free[c] = block;
  const std::uint32_t count = ++cache.count[c];
  const std::uint32_t b = batchBlocks(c);
  if (count >= b) [[unlikely]] {
    if (count == b)
      cache.boundary[c] = block;
    else if (count == b + 1)
      cache.cut[c] = block;
    else if (count >= 2 * b)
      retireNodeBatch(cache, c);
  }
#endif
}

// The number of node blocks the pool has handed out on this thread (0 under the global
// allocator, whose allocations count themselves).
inline std::uint64_t nodeBlocksTaken() noexcept { return threadNodeCache.taken; }

}  // namespace fp::detail

#undef FP_NODE_MEMORY_ASAN
