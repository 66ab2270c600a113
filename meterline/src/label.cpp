#include "meterline/label.hpp"

#include "wide_arithmetic.hpp"

namespace meterline {

namespace detail {

namespace {
constexpr Int128 kPicosPerSecond = 1'000'000'000'000;
}  // namespace

Text percentageText(std::int64_t done, std::int64_t todo) {
  if (todo == 0) return "100%";
  // done * 100 / todo, with the sign of the fraction carried by the numerator.
  const Int128 numerator = Int128{done} * 100 * (todo < 0 ? -1 : 1);
  const Int128 denominator = todo < 0 ? -Int128{todo} : Int128{todo};
  Text text = decimal(roundToNearest(numerator, denominator));
  text.append(1, U'%');
  return text.padLeft(4, U' ');
}

Text exactText(std::int64_t done, std::int64_t todo) {
  const Text total = Text::decimal(todo);
  Text text = Text::decimal(done).padLeft(total.length(), U' ');
  text += "/";
  text += total;
  return text;
}

Picoseconds elapsed(const Timing& timing) noexcept {
  const Int128 nanoseconds = Int128{timing.timingLastUpdate.time_since_epoch().count()} -
                             Int128{timing.timingStart.time_since_epoch().count()};
  return Picoseconds(nanoseconds * 1000);
}

std::optional<Picoseconds> estimatedTotal(std::int64_t done, std::int64_t todo,
                                          const Timing& timing) noexcept {
  if (done <= 0) return std::nullopt;
  const Int128 elapsedPicos = elapsed(timing).count();
  if (elapsedPicos <= kPicosPerSecond) return std::nullopt;
  if (todo <= 0) return Picoseconds(elapsedPicos);
  // Fixed point with 12 decimal places: the fraction done, then its reciprocal.
  const Int128 fraction = Int128{done} * kPicosPerSecond / todo;
  if (fraction == 0) return std::nullopt;
  const Int128 reciprocal = kPicosPerSecond * kPicosPerSecond / fraction;
  Int128 product;
  if (__builtin_mul_overflow(elapsedPicos, reciprocal, &product)) return std::nullopt;
  return Picoseconds(product / kPicosPerSecond);
}

Text rateText(std::int64_t done, const Timing& timing, const Text& unit, const Text& alternative) {
  const Int128 elapsedPicos = elapsed(timing).count();
  if (elapsedPicos <= kPicosPerSecond) return alternative;
  static constexpr const char* kPrefixes[] = {"", "k", "M", "G", "T", "P", "E"};
  // Tenths of a unit per second at the scale 1000^k: |d| · 10¹³ / (E · 1000^k), rounded. The
  // scale grows only while the number shows 1000.0 or more, so E · 1000^k stays below
  // |d| · 10¹² < 10³¹, well inside 128 bits; and since the rate is below 2^63 units a second
  // (E > 1 s), the largest scale, E, always shows less than 10.
  const Int128 scaledUnits = (done < 0 ? -Int128{done} : Int128{done}) * 10 * kPicosPerSecond;
  Int128 perScale = elapsedPicos;
  std::size_t scale = 0;
  Int128 tenths = roundToNearest(scaledUnits, perScale);
  while (tenths >= 10'000) {
    perScale *= 1000;
    ++scale;
    tenths = roundToNearest(scaledUnits, perScale);
  }
  Text number(done < 0 && tenths != 0 ? "-" : "");
  number += decimal(tenths / 10);
  number += ".";
  number += decimal(tenths % 10);
  Text text = number.padLeft(5, U' ');
  text += " ";
  text += kPrefixes[scale];
  text += unit;
  text += "/s";
  return text;
}

}  // namespace detail

template Label<fp::Unit> percentage<fp::Unit>();
template Label<fp::Unit> exact<fp::Unit>();
template Label<fp::Unit> elapsedTime<fp::Unit>(DurationFormat);
template Label<fp::Unit> remainingTime<fp::Unit>(DurationFormat, Text);
template Label<fp::Unit> totalTime<fp::Unit>(DurationFormat, Text);
template Label<fp::Unit> rate<fp::Unit>(Text, Text);

}  // namespace meterline
