#include "fp/testing/allocations.hpp"

#include <atomic>
#include <cstdlib>
#include <new>

#include "fp/node_memory.hpp"

namespace {
std::atomic<std::int64_t> allocations{0};
}  // namespace

std::int64_t fp::testing::allocationCount() noexcept {
  return allocations.load(std::memory_order_relaxed) +
         static_cast<std::int64_t>(fp::detail::nodeBlocksTaken());
}

#ifdef FP_SANITIZED
bool fp::testing::allocationsCounted() noexcept { return false; }
#else
bool fp::testing::allocationsCounted() noexcept { return true; }

namespace {
void* allocate(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#endif
