#include "meterline/text.hpp"

#include <charconv>
#include <ostream>
#include <stdexcept>

namespace meterline {

namespace {

constexpr char32_t kReplacement = U'\uFFFD';

bool isScalarValue(char32_t c) noexcept { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

// Appends the UTF-8 encoding of a scalar value.
void encode(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    const char bytes[] = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    out.append(bytes, 2);
  } else if (c < 0x10000) {
    const char bytes[] = {static_cast<char>(0xE0 | (c >> 12)),
                          static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                          static_cast<char>(0x80 | (c & 0x3F))};
    out.append(bytes, 3);
  } else {
    const char bytes[] = {static_cast<char>(0xF0 | (c >> 18)),
                          static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
                          static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                          static_cast<char>(0x80 | (c & 0x3F))};
    out.append(bytes, 4);
  }
}

struct Sequence {
  std::size_t size;  // bytes taken from the input
  bool valid;        // false: those bytes are one ill-formed subpart, to become U+FFFD
};

// The sequence that starts at bytes[0], a byte of 0x80 or more. Lead bytes and the ranges of
// their first continuation byte follow the table of well-formed UTF-8; the lead ED also takes
// A0..BF, so that an encoded surrogate is read whole and replaced by a single U+FFFD.
Sequence readSequence(std::string_view bytes) noexcept {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  std::size_t continuations = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  bool surrogate = false;
  if (lead >= 0xC2 && lead <= 0xDF) {
    continuations = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    continuations = 2;
    if (lead == 0xE0) low = 0xA0;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    continuations = 3;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {1, false};
  }
  std::size_t size = 1;
  for (; size <= continuations; ++size) {
    if (size == bytes.size()) return {size, false};
    const auto byte = static_cast<unsigned char>(bytes[size]);
    if (byte < low || byte > high) return {size, false};
    if (lead == 0xED && size == 1) surrogate = byte >= 0xA0;
    low = 0x80;
    high = 0xBF;
  }
  return {size, !surrogate};
}

bool isContinuation(char byte) noexcept { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// The number of code points of valid UTF-8.
std::int64_t countCodePoints(std::string_view utf8) noexcept {
  std::int64_t count = 0;
  for (const char byte : utf8) count += !isContinuation(byte);
  return count;
}

// Where the first ill-formed subpart starts and how long it is; `offset` is npos when the
// bytes are valid UTF-8.
struct Flaw {
  std::size_t offset;
  std::size_t size;
};

Flaw findFlaw(std::string_view bytes) noexcept {
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    const Sequence sequence = readSequence(bytes.substr(i));
    if (!sequence.valid) return {i, sequence.size};
    i += sequence.size;
  }
  return {std::string_view::npos, 0};
}

// Appends the bytes with every ill-formed subpart replaced by U+FFFD.
void appendRepaired(std::string& out, std::string_view bytes) {
  for (;;) {
    const Flaw flaw = findFlaw(bytes);
    out.append(bytes.substr(0, flaw.offset));
    if (flaw.offset == std::string_view::npos) return;
    encode(out, kReplacement);
    bytes.remove_prefix(flaw.offset + flaw.size);
  }
}

}  // namespace

Text::Text(std::string_view utf8) {
  bytes_.reserve(utf8.size());
  appendRepaired(bytes_, utf8);
  length_ = countCodePoints(bytes_);
}

Text::Text(std::string&& utf8) {
  if (findFlaw(utf8).offset == std::string_view::npos)
    bytes_ = std::move(utf8);
  else
    appendRepaired(bytes_, utf8);
  length_ = countCodePoints(bytes_);
}

Text::Text(std::u32string_view codePoints) {
  bytes_.reserve(codePoints.size());
  for (const char32_t c : codePoints) encode(bytes_, isScalarValue(c) ? c : kReplacement);
  length_ = static_cast<std::int64_t>(codePoints.size());
}

Text Text::repeat(std::int64_t n, char32_t c) { return Text().append(n, c); }

Text Text::decimal(std::int64_t n) {
  char digits[20];
  const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  Text text;
  text.bytes_.assign(digits, end);
  text.length_ = end - digits;
  return text;
}

Text& Text::append(std::int64_t n, char32_t c) {
  if (n <= 0) return *this;
  if (!isScalarValue(c)) c = kReplacement;
  if (c < 0x80) {
    bytes_.append(static_cast<std::size_t>(n), static_cast<char>(c));
  } else {
    std::string one;
    encode(one, c);
    if (static_cast<std::uint64_t>(n) > (bytes_.max_size() - bytes_.size()) / one.size())
      throw std::length_error("meterline::Text::append: the text would be too long");
    bytes_.reserve(bytes_.size() + one.size() * static_cast<std::size_t>(n));
    for (std::int64_t i = 0; i < n; ++i) bytes_ += one;
  }
  length_ += n;
  return *this;
}

Text Text::padLeft(std::int64_t minLength, char32_t fill) const {
  if (minLength <= length_) return *this;
  Text padded = repeat(minLength - length_, fill);
  padded += *this;
  return padded;
}

std::ostream& operator<<(std::ostream& out, const Text& text) { return out << text.bytes_; }

}  // namespace meterline
