#include "meterline/duration.hpp"

#include <cmath>
#include <stdexcept>

#include "wide_arithmetic.hpp"

namespace meterline::detail {

namespace {

Text twoDigits(UInt128 n) { return decimal(n).padLeft(2, U'0'); }

Text renderMagnitude(UInt128 seconds) {
  const UInt128 hours = seconds / 3600;
  const UInt128 minutes = seconds % 3600 / 60;
  Text text;
  if (hours != 0) text += twoDigits(hours) + ":";
  if (hours != 0 || minutes != 0) text += twoDigits(minutes) + ":";
  text += twoDigits(seconds % 60);
  return text;
}

}  // namespace

Text renderSeconds(Int128 seconds) {
  if (seconds >= 0) return renderMagnitude(static_cast<UInt128>(seconds));
  Text text("-");
  text += renderMagnitude(UInt128{0} - static_cast<UInt128>(seconds));
  return text;
}

Int128 roundToNearest(Int128 units, Int128 per) noexcept {
  const Int128 quotient = floorDiv(units, per);
  const Int128 twiceRest = 2 * (units - quotient * per);
  const bool up = twiceRest > per || (twiceRest == per && quotient % 2 != 0);
  return up ? quotient + 1 : quotient;
}

Int128 roundSeconds(long double seconds) {
  if (!std::isfinite(seconds))
    throw std::invalid_argument("meterline::renderDuration: the duration is not finite");
  long double whole = std::floor(seconds);
  const long double rest = seconds - whole;
  if (rest > 0.5L || (rest == 0.5L && std::fmod(whole, 2.0L) != 0)) whole += 1;
  if (std::fabs(whole) >= 0x1p126L) throwDurationOutOfRange();
  return static_cast<Int128>(whole);
}

void throwDurationOutOfRange() {
  throw std::out_of_range("meterline::renderDuration: the duration is too long to count in seconds");
}

}  // namespace meterline::detail
