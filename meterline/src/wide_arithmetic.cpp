#include "wide_arithmetic.hpp"

namespace meterline::detail {

Text decimal(UInt128 n) {
  char digits[40];  // 2^128 has 39 decimal digits
  char* first = digits + sizeof digits;
  do {
    *--first = static_cast<char>('0' + static_cast<int>(n % 10));
    n /= 10;
  } while (n != 0);
  return Text(std::string_view(first, static_cast<std::size_t>(digits + sizeof digits - first)));
}

Text decimal(Int128 n) {
  if (n >= 0) return decimal(static_cast<UInt128>(n));
  Text text("-");
  text += decimal(UInt128{0} - static_cast<UInt128>(n));
  return text;
}

}  // namespace meterline::detail
