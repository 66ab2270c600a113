// Monoids the tests and benchmarks fold with.
#pragma once

#include <cstdint>

#include "fp/monoid.hpp"

namespace fp::testing {

// Integers under addition, the right operand computed only when `append` adds it.
struct SumMonoid : fp::MonoidDefaults<SumMonoid> {
  using Value = std::int64_t;
  static std::int64_t mempty() noexcept { return 0; }
  template <class Rhs>
  static std::int64_t append(std::int64_t a, Rhs&& b) {
    return a + b();
  }
};

}  // namespace fp::testing
