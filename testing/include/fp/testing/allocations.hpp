// Counts the heap allocations of the test process, and the node blocks that the node memory
// policy hands out on the calling thread, so that tests can state how many an operation makes.
// Sanitizer runtimes own operator new, so under them nothing is counted.
#pragma once

#include <cstdint>

namespace fp::testing {

bool allocationsCounted() noexcept;
std::int64_t allocationCount() noexcept;

// The allocations made while a scope ran.
class AllocationsSince {
 public:
  AllocationsSince() : start_(allocationCount()) {}
  std::int64_t count() const { return allocationCount() - start_; }

 private:
  std::int64_t start_;
};

}  // namespace fp::testing

// Skips the current test when allocations are not counted.
#define FP_REQUIRE_ALLOCATION_COUNTS()                                              \
  if (!::fp::testing::allocationsCounted()) GTEST_SKIP() << "allocations are not counted " \
                                                            "under sanitizers"
