// Exact 128-bit integer helpers shared by the labels and the renderer.
#pragma once

#include <cstdint>

#include "meterline/duration.hpp"
#include "meterline/text.hpp"

namespace meterline::detail {

__extension__ using UInt128 = unsigned __int128;

inline bool fitsIn64(Int128 n) noexcept { return n == static_cast<std::int64_t>(n); }

// a / b rounded towards negative infinity; b != 0. A 128-bit division is a library call many
// times slower than a 64-bit one, so operands that fit in 64 bits are divided as such.
inline Int128 floorDiv(Int128 a, Int128 b) noexcept {
  const auto floorDivide = [](auto a, auto b) {
    const auto quotient = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? quotient - 1 : quotient;
  };
  if (fitsIn64(a) && fitsIn64(b) && b != -1)  // -1 could overflow: -2^63 / -1
    return floorDivide(static_cast<std::int64_t>(a), static_cast<std::int64_t>(b));
  return floorDivide(a, b);
}

// n in base 10, no leading zeros.
Text decimal(UInt128 n);

// n in base 10, with a leading "-" when negative.
Text decimal(Int128 n);

}  // namespace meterline::detail
