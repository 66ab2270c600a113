#include "meterline/text.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "meterline/columns.hpp"

namespace {

using meterline::Text;
using namespace std::string_view_literals;

constexpr std::string_view kReplacement = "\uFFFD";

struct DecodeCase {
  std::string_view bytes;
  std::string expected;
  std::int64_t length;
};

// Valid UTF-8 passes through; every maximal ill-formed subpart, and every encoded surrogate,
// becomes one U+FFFD.
const DecodeCase kDecodeCases[] = {
    {"", "", 0},
    {"abc", "abc", 3},
    {"a\0b"sv, std::string("a\0b", 3), 3},
    {"caf\xC3\xA9", "caf\xC3\xA9", 4},
    {"\xE2\x82\xAC", "\xE2\x82\xAC", 1},
    {"\xF0\x9D\x84\x9E!", "\xF0\x9D\x84\x9E!", 2},            // outside the basic plane: one
    {"e\xCC\x81", "e\xCC\x81", 2},                            // a combining mark: one more
    {"\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF", 1},              // U+10FFFF, the last code point
    {"\xEF\xBF\xBD", "\xEF\xBF\xBD", 1},                      // U+FFFD itself
    {"caf\xC3", "caf" + std::string(kReplacement), 4},        // truncated at the end
    {"\xC3" "a", std::string(kReplacement) + "a", 2},         // truncated in the middle
    {"\xF0\x9D\x84" "x", std::string(kReplacement) + "x", 2}, // one U+FFFD for the subpart
    {"\xE2\x82\x41", std::string(kReplacement) + "A", 2},
    {"\x80" "abc", std::string(kReplacement) + "abc", 4},     // a stray continuation byte
    {"\xFF\xFE", std::string(kReplacement) + std::string(kReplacement), 2},
    {"\xC0\xAF", std::string(kReplacement) + std::string(kReplacement), 2},  // overlong
    {"\xE0\x80\x80", std::string(kReplacement) + std::string(kReplacement) + std::string(kReplacement), 3},
    {"\xF4\x90\x80\x80", std::string(kReplacement) + std::string(kReplacement) +
                             std::string(kReplacement) + std::string(kReplacement), 4},  // > U+10FFFF
    {"\xED\xA0\x80", std::string(kReplacement), 1},           // lone high surrogate U+D800
    {"x\xED\xBF\xBFy", "x" + std::string(kReplacement) + "y", 3},  // lone low surrogate U+DFFF
    {"\xED\xA0", std::string(kReplacement), 1},               // a truncated surrogate
    {"\xED\x9F\xBF", "\xED\x9F\xBF", 1},                      // U+D7FF, just below them
};

TEST(MeterlineText, DecodesUtf8ReplacingWhatIsMalformed) {
  for (const auto& [bytes, expected, length] : kDecodeCases) {
    SCOPED_TRACE(testing::PrintToString(std::string(bytes)));
    const Text viewed(bytes);
    EXPECT_EQ(viewed.str(), expected);
    EXPECT_EQ(viewed.length(), length);
    const Text moved{std::string(bytes)};
    EXPECT_EQ(moved.str(), expected);
    EXPECT_EQ(moved.length(), length);
  }
}

TEST(MeterlineText, KeepsTheBufferOfAValidString) {
  std::string bytes(1000, 'x');
  const char* buffer = bytes.data();
  const Text text(std::move(bytes));
  EXPECT_EQ(text.str().data(), buffer);
}

TEST(MeterlineText, EncodesCodePointsReplacingSurrogatesAndValuesBeyondUnicode) {
  const Text text(U"a\U0001D11E\u00E9"sv);
  EXPECT_EQ(text.str(), "a\xF0\x9D\x84\x9E\xC3\xA9");
  EXPECT_EQ(text.length(), 3);
  const char32_t invalid[] = {U'a', 0xD800, 0xDFFF, 0x110000, U'b'};
  const Text replaced{std::u32string_view(invalid, 5)};
  EXPECT_EQ(replaced.str(), "a" + std::string(kReplacement) + std::string(kReplacement) +
                                std::string(kReplacement) + "b");
  EXPECT_EQ(replaced.length(), 5);
}

TEST(MeterlineText, RepeatsACharacter) {
  EXPECT_EQ(Text::repeat(3, U'='), "===");
  EXPECT_EQ(Text::repeat(0, U'='), "");
  EXPECT_EQ(Text::repeat(-5, U'='), "");
  const Text blocks = Text::repeat(2, U'\u2588');
  EXPECT_EQ(blocks.str(), "\u2588\u2588");
  EXPECT_EQ(blocks.length(), 2);
  EXPECT_EQ(Text::repeat(2, 0xD800).str(), std::string(kReplacement) + std::string(kReplacement));
  EXPECT_THROW(Text::repeat(std::int64_t{1} << 62, U'\u2588'), std::length_error);
}

TEST(MeterlineText, RendersDecimals) {
  using Limits = std::numeric_limits<std::int64_t>;
  EXPECT_EQ(Text::decimal(0), "0");
  EXPECT_EQ(Text::decimal(42), "42");
  EXPECT_EQ(Text::decimal(-42), "-42");
  EXPECT_EQ(Text::decimal(Limits::max()), "9223372036854775807");
  EXPECT_EQ(Text::decimal(Limits::min()), "-9223372036854775808");
  EXPECT_EQ(Text::decimal(-42).length(), 3);
}

TEST(MeterlineText, PadsOnTheLeftCountingCodePoints) {
  EXPECT_EQ(Text("42").padLeft(5, U' '), "   42");
  EXPECT_EQ(Text("12345").padLeft(3, U' '), "12345");
  EXPECT_EQ(Text("\xC3\xA9").padLeft(3, U'.'), "..\xC3\xA9");
  EXPECT_EQ(Text("x").padLeft(std::numeric_limits<std::int64_t>::min(), U' '), "x");
  EXPECT_EQ(Text("x").padLeft(3, U'\u2588').length(), 3);
}

TEST(MeterlineText, ConcatenatesAndWrites) {
  Text text = Text("\xC3\xA9") + Text() + "t\xC3\xA9";
  EXPECT_EQ(text, "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(text.length(), 3);
  text += Text::repeat(2, U'!');
  EXPECT_EQ(text.length(), 5);
  EXPECT_TRUE(Text().empty());
  EXPECT_FALSE(text.empty());

  std::ostringstream out;
  out << text;
  EXPECT_EQ(out.str(), "\xC3\xA9t\xC3\xA9!!");
  EXPECT_EQ(std::move(text).str(), "\xC3\xA9t\xC3\xA9!!");
}

// Terminal columns: wide and fullwidth characters two, combining marks, zero-width and control
// characters none, everything else one, in ASCII's fast pass and in the tables alike.
TEST(Columns, CountWhatATerminalDraws) {
  const struct {
    const char* text;
    std::int64_t columns;
  } cases[] = {
      {"", 0},
      {"copying 42%", 11},
      {"tab\there\x7F", 7},                        // control characters take no column
      {"\u65E5\u672C\u8A9E", 6},                   // CJK ideographs
      {"\uFF21\uFF22", 4},                          // fullwidth Latin
      {"\U0001F600 ok", 5},                          // an emoji, outside the basic plane
      {"e\u0301", 1},                                // a combining mark
      {"a\u200Bb\u200Dc", 3},                       // zero-width space and joiner
      {"caf\u00E9 \u2588\u2026", 7},                // accented Latin, a block and an ellipsis
      {"\u65E5x\u0301\U0001F600\t", 5},            // all of it at once
  };
  for (const auto& [text, columns] : cases) {
    EXPECT_EQ(meterline::columns(Text(text)), columns) << text;
  }
  EXPECT_EQ(meterline::columns(U'\u65E5'), 2);
  EXPECT_EQ(meterline::columns(U'\u0301'), 0);
  EXPECT_EQ(meterline::columns(U'a'), 1);
  EXPECT_EQ(meterline::columns(char32_t{0xD800}), 1);    // a Text holds U+FFFD in its place
  EXPECT_EQ(meterline::columns(char32_t{0x110000}), 1);
}

}  // namespace
