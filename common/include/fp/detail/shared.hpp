// Intrusively reference-counted heap nodes whose destruction never recurses.
//
// Every heap object of the on-demand layer (list cells, deferred computations) derives from
// `Shared`. A node that dies releases what it holds, which may kill the next node, and so on: a
// list of ten million cells is a chain ten million deep. Destroying such a chain recursively would
// overflow the stack, so a node whose count reaches zero is queued on a per-thread list and the
// outermost release on the thread deletes queued nodes one after another in a loop.
//
// Nodes take their memory from the node memory policy (fp/node_memory.hpp).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "fp/node_memory.hpp"

namespace fp::detail {

class Shared;

// The nodes waiting for deletion on this thread, linked through their counts.
struct ReclaimQueue {
  const Shared* head;
  bool draining;
};
inline constinit thread_local ReclaimQueue reclaimQueue = {};

class Shared {
 public:
  Shared() = default;
  Shared(const Shared&) = delete;
  Shared& operator=(const Shared&) = delete;

  void retain() const noexcept { refs_.fetch_add(1, std::memory_order_relaxed); }
  void release() const noexcept {
    // A sole owner needs no atomic decrement: nobody else can take a reference meanwhile.
    if (unique() || refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) reclaim(this);
  }
  // For a node fresh from `new` that no other thread can see yet: counts `n` references in all,
  // which its maker hands out without touching the count again.
  void reserve(std::uintptr_t n) const noexcept { refs_.store(n, std::memory_order_relaxed); }
  // Drops `n` references at once.
  void release(std::uintptr_t n) const noexcept {
    if (n > 0 && refs_.fetch_sub(n, std::memory_order_acq_rel) == n) reclaim(this);
  }
  // Whether the caller's reference is the only one, so that it may take the node apart.
  bool unique() const noexcept { return refs_.load(std::memory_order_acquire) == 1; }

  static void* operator new(std::size_t size) { return allocateNode(size); }
  static void operator delete(void* p, std::size_t size) noexcept { deallocateNode(p, size); }

 protected:
  virtual ~Shared() = default;

 private:
  // A dead node's count is never read again, so while it waits for deletion the count holds
  // the link to the next dead node: the queue needs no memory of its own.
  static void reclaim(const Shared* node) noexcept {
    ReclaimQueue& queue = reclaimQueue;
    node->refs_.store(reinterpret_cast<std::uintptr_t>(queue.head), std::memory_order_relaxed);
    queue.head = node;
    if (queue.draining) return;
    queue.draining = true;
    while (const Shared* dead = queue.head) {
      queue.head = reinterpret_cast<const Shared*>(dead->refs_.load(std::memory_order_relaxed));
      delete dead;
    }
    queue.draining = false;
  }

  mutable std::atomic<std::uintptr_t> refs_{1};
};

// An owning pointer to a `Shared` node (or to a class derived from it).
template <class N>
class Ref {
 public:
  Ref() = default;
  // Adopts a node fresh from `new`, whose count is already 1.
  explicit Ref(N* adopted) noexcept : p_(adopted) {}
  // Shares a node that something else already owns.
  static Ref share(N* p) noexcept {
    if (p) p->retain();
    return Ref(p);
  }

  Ref(const Ref& other) noexcept : p_(other.p_) {
    if (p_) p_->retain();
  }
  Ref(Ref&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  template <class M>
  Ref(Ref<M> other) noexcept : p_(other.detach()) {}
  Ref& operator=(Ref other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~Ref() {
    if (p_) p_->release();
  }

  N* get() const noexcept { return p_; }
  N* operator->() const noexcept { return p_; }
  N& operator*() const noexcept { return *p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  N* detach() noexcept { return std::exchange(p_, nullptr); }

 private:
  N* p_ = nullptr;
};

template <class N, class... Args>
Ref<N> makeRef(Args&&... args) {
  return Ref<N>(new N(std::forward<Args>(args)...));
}

}  // namespace fp::detail
