// Exact 128-bit integer helpers shared by the labels and the renderer.
#pragma once

#include "meterline/duration.hpp"
#include "meterline/text.hpp"

namespace meterline::detail {

__extension__ using UInt128 = unsigned __int128;

// a / b rounded towards negative infinity; b != 0.
inline Int128 floorDiv(Int128 a, Int128 b) noexcept {
  const Int128 quotient = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? quotient - 1 : quotient;
}

// n in base 10, no leading zeros.
Text decimal(UInt128 n);

// n in base 10, with a leading "-" when negative.
Text decimal(Int128 n);

}  // namespace meterline::detail
