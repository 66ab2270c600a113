// Counts the heap allocations of the test process, so that tests can state how many an
// operation makes.
#pragma once

#include <cstdint>

namespace fp::testing {

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
