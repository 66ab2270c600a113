#include "meterline/columns.hpp"

#include <utf8proc.h>

#include <string_view>

namespace meterline {

namespace {

constexpr char32_t kLargest = 0x10FFFF;

// The code point whose UTF-8 sequence starts at bytes[i], valid UTF-8 as a Text holds; i is
// moved past it.
char32_t decode(std::string_view bytes, std::size_t& i) noexcept {
  const auto byte = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(bytes[k])); };
  const char32_t lead = byte(i);
  if (lead < 0x80) return ++i, lead;
  if (lead < 0xE0) return i += 2, (lead & 0x1F) << 6 | (byte(i - 1) & 0x3F);
  if (lead < 0xF0) return i += 3, (lead & 0x0F) << 12 | (byte(i - 2) & 0x3F) << 6 | (byte(i - 1) & 0x3F);
  i += 4;
  return (lead & 0x07) << 18 | (byte(i - 3) & 0x3F) << 12 | (byte(i - 2) & 0x3F) << 6 | (byte(i - 1) & 0x3F);
}

}  // namespace

std::int64_t columns(char32_t c) noexcept {
  if (c >= 0x20 && c < 0x7F) return 1;
  // Surrogates and values past U+10FFFF: a Text holds U+FFFD in their place.
  if (c > kLargest || (c >= 0xD800 && c <= 0xDFFF)) return 1;
  return utf8proc_charwidth(static_cast<utf8proc_int32_t>(c));
}

std::int64_t columns(const Text& text) noexcept {
  const std::string_view bytes = text.str();
  // Printable ASCII first, one column a byte, in one pass that the compiler vectorises;
  // anything else (a control character, a multi-byte sequence) is read code point by code
  // point.
  std::size_t printable = 0;
  for (const char byte : bytes) printable += static_cast<unsigned char>(byte - 0x20) < 0x5F;
  if (printable == bytes.size()) return static_cast<std::int64_t>(printable);

  std::int64_t total = 0;
  for (std::size_t i = 0; i < bytes.size();) total += columns(decode(bytes, i));
  return total;
}

}  // namespace meterline
