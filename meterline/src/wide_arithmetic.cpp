#include "wide_arithmetic.hpp"

#include <charconv>
#include <cstdint>
#include <string_view>

namespace meterline::detail {

Text decimal(UInt128 n) {
  char digits[40];  // 2^128 has 39 decimal digits
  char* const end = digits + sizeof digits;
  if (n <= UINT64_MAX) {  // 64-bit divisions, not a library call per digit
    const char* last = std::to_chars(digits, end, static_cast<std::uint64_t>(n)).ptr;
    return Text(std::string_view(digits, static_cast<std::size_t>(last - digits)));
  }
  char* first = end;
  do {
    *--first = static_cast<char>('0' + static_cast<int>(n % 10));
    n /= 10;
  } while (n != 0);
  return Text(std::string_view(first, static_cast<std::size_t>(end - first)));
}

Text decimal(Int128 n) {
  if (n >= 0) return decimal(static_cast<UInt128>(n));
  Text text("-");
  text += decimal(UInt128{0} - static_cast<UInt128>(n));
  return text;
}

}  // namespace meterline::detail
