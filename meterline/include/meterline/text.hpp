// meterline::Text: a sequence of Unicode code points, held as UTF-8, measured in code points.
//
//   meterline::Text bar = meterline::Text("[") + meterline::Text::repeat(3, U'█') + "]";
//   bar.length();                                   // 5: code points, not bytes
//   bar.str();                                      // the UTF-8 bytes of "[███]"
//   meterline::Text("caf\xC3");                     // "caf\uFFFD": bad bytes never pass through
//   meterline::Text::decimal(-42).padLeft(5, U' '); // "  -42"
//
// Every Text is valid UTF-8. Building one from bytes replaces each malformed sequence (each
// maximal ill-formed subpart, as Unicode recommends) by U+FFFD, and so does building one from
// code points for every surrogate (U+D800 to U+DFFF) or value beyond U+10FFFF; an encoded
// surrogate (the three bytes ED A0..BF 80..BF) also becomes one U+FFFD. The length, the width
// that a progress bar measures, counts code points: a character outside the basic plane or a
// combining mark counts as one, whatever its bytes or its columns on a terminal. It is kept
// beside the bytes, so `length()` costs nothing.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>

namespace meterline {

class Text {
 public:
  // The empty text.
  Text() noexcept = default;

  // The text that the UTF-8 bytes spell, malformed sequences replaced by U+FFFD. Implicit, as
  // for std::string, so that a literal stands wherever a Text is expected.
  Text(std::string_view utf8);
  Text(const char* utf8) : Text(std::string_view(utf8)) {}
  Text(const std::string& utf8) : Text(std::string_view(utf8)) {}
  // Keeps the string's buffer when its bytes are already valid UTF-8.
  Text(std::string&& utf8);

  // The text of these code points, surrogates and values beyond U+10FFFF replaced by U+FFFD.
  explicit Text(std::u32string_view codePoints);

  // n copies of one character; the empty text for n <= 0.
  static Text repeat(std::int64_t n, char32_t c);

  // n in base 10: a leading "-" when negative, no grouping, no leading zeros.
  static Text decimal(std::int64_t n);

  bool empty() const noexcept { return bytes_.empty(); }

  // The number of code points.
  std::int64_t length() const noexcept { return length_; }

  // The UTF-8 bytes. The rvalue overload hands the buffer over.
  const std::string& str() const& noexcept { return bytes_; }
  std::string str() && noexcept { return std::move(bytes_); }

  Text& operator+=(const Text& rhs) {
    if (!rhs.empty()) {  // a line is joined from many pieces, often empty ones
      bytes_ += rhs.bytes_;
      length_ += rhs.length_;
    }
    return *this;
  }

  // Appends n copies of one character (nothing for n <= 0).
  Text& append(std::int64_t n, char32_t c);

  // Makes room for this many bytes, so that the appends that follow do not reallocate.
  void reserve(std::size_t bytes) { bytes_.reserve(bytes); }

  // This text with `fill` added in front until it is at least `minLength` code points long.
  Text padLeft(std::int64_t minLength, char32_t fill) const;

  friend Text operator+(Text lhs, const Text& rhs) { return std::move(lhs += rhs); }
  friend bool operator==(const Text& a, const Text& b) noexcept { return a.bytes_ == b.bytes_; }

  // Writes the UTF-8 bytes.
  friend std::ostream& operator<<(std::ostream& out, const Text& text);

 private:
  std::string bytes_;
  std::int64_t length_ = 0;
};

}  // namespace meterline
