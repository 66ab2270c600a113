#include "meterline/render.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

#include "meterline/columns.hpp"
#include "meterline/label.hpp"
#include "meterline/style.hpp"

namespace {

using meterline::Label;
using meterline::Progress;
using meterline::Style;
using meterline::Text;
using meterline::Timing;

using Limits = std::numeric_limits<std::int64_t>;

const Timing kTiming{};

// "[" "]", '=', '>', '.', no labels, 10 wide: 8 cells between the brackets.
Style<> plainStyle(std::int64_t width = 10) {
  Style<> style;
  style.stylePostfix = Label<>();
  style.styleWidth = meterline::ConstantWidth{width};
  return style;
}

std::string render(const Style<>& style, std::int64_t done, std::int64_t todo) {
  return meterline::renderProgressBar(style, Progress<>{done, todo, {}}, kTiming).str();
}

TEST(RenderProgressBar, DrawsDoneCurrentAndTodoCells) {
  const struct {
    std::int64_t done;
    std::int64_t todo;
    const char* line;
  } cases[] = {
      {3, 10, "[==>.....]"},
      {0, 10, "[........]"},
      {1, 100, "[........]"},
      {1, 3, "[==>.....]"},
      {7, 8, "[=======>]"},
      {10, 10, "[========]"},
      {15, 10, "[========]"},
      {5, 0, "[........]"},
      {-5, 0, "[........]"},
      {-1, 10, "[>........]"},                           // a negative fraction: longer than w
      {3, -10, "[>..........]"},                         // ⌊-2.4⌋ = -3 cells
      {-10, 10, "[>...............]"},                   // -1: twice the width, the most
      {-1000, 10, "[>...............]"},                 // below -1 draws like -1
      {Limits::min(), 1, "[>...............]"},
      {Limits::max() - 1, Limits::max(), "[=======>]"},  // the products need 128 bits
      {Limits::max(), Limits::min(), "[>...............]"},
      {Limits::max(), 1, "[========]"},
  };
  const Style<> style = plainStyle();
  for (const auto& [done, todo, line] : cases) {
    SCOPED_TRACE(std::to_string(done) + " / " + std::to_string(todo));
    EXPECT_EQ(render(style, done, todo), line);
  }
}

TEST(RenderProgressBar, GivesTheLabelsTheirRoomAndTheBarTheRest) {
  Style<> prefixed = plainStyle(20);
  prefixed.stylePrefix = "abc";
  EXPECT_EQ(render(prefixed, 3, 10), "abc [====>.........]");

  Style<> defaults = meterline::defStyle();
  defaults.styleWidth = meterline::ConstantWidth{50};
  EXPECT_EQ(render(defaults, 3, 10), "[============>..............................]  30%");
  EXPECT_EQ(render(defaults, 0, 10), "[" + std::string(43, '.') + "]   0%");
  EXPECT_EQ(render(defaults, 5, 0), "[" + std::string(43, '.') + "] 100%");
  EXPECT_EQ(render(defaults, 10, 10), "[" + std::string(43, '=') + "] 100%");

  // Labels wider than the line: the brackets touch and nothing is cut.
  Style<> crowded = plainStyle(6);
  crowded.stylePrefix = "prefix";
  crowded.stylePostfix = meterline::exact();
  EXPECT_EQ(render(crowded, 3, 10), "prefix []  3/10");
  crowded.styleWidth = meterline::TerminalWidth{-100};
  EXPECT_EQ(render(crowded, 3, 10), "prefix []  3/10");
}

TEST(RenderProgressBar, MeasuresInCodePoints) {
  Style<> style = plainStyle(12);
  style.styleOpen = "\xE2\x9F\xA6";   // ⟦
  style.styleClose = "\xE2\x9F\xA7";  // ⟧
  style.styleDone = U'\U0001D11E';    // outside the basic plane
  style.styleCurrent = U'\u25B6';
  style.styleTodo = U'\u00B7';
  style.stylePrefix = "e\xCC\x81";    // e and a combining mark: two
  const Text line = meterline::renderProgressBar(style, Progress<>{1, 2, {}}, kTiming);
  EXPECT_EQ(line.length(), 12);
  EXPECT_EQ(line.str(),
            "e\xCC\x81 \xE2\x9F\xA6\U0001D11E\U0001D11E\U0001D11E\u25B6\u00B7\u00B7\u00B7\xE2\x9F\xA7");
}

// Measured in columns, a line of wide characters is as wide on screen as its width says; a
// bar of wide characters gets as many whole cells as fit, and is never wider.
TEST(RenderProgressBar, MeasuresInColumnsWhenAsked) {
  const auto columnsOf = [](const Style<>& style, std::int64_t done, std::int64_t todo) {
    const Text line = meterline::renderProgressBar(style, Progress<>{done, todo, {}}, kTiming,
                                                   meterline::Measure::Columns);
    return std::pair(meterline::columns(line), line.str());
  };
  Style<> style = plainStyle(20);
  style.stylePrefix = "\u65E5\u672C\u8A9E";  // 3 code points, 6 columns
  EXPECT_EQ(columnsOf(style, 1, 2), std::pair(std::int64_t{20}, std::string("\u65E5\u672C\u8A9E [=====>.....]")));
  EXPECT_EQ(render(style, 1, 2), "\u65E5\u672C\u8A9E [=======>......]");  // 23 columns on screen

  Style<> wide = plainStyle(12);
  wide.styleDone = U'\uFF1D';  // fullwidth: 5 cells of two columns fit in 10
  for (const std::int64_t done : {0, 1, 3}) {
    const auto [columns, line] = columnsOf(wide, done, 4);
    EXPECT_LT(columns, 12) << line;  // the narrow to-do cells leave room
  }
  EXPECT_EQ(columnsOf(wide, 4, 4).second, "[\uFF1D\uFF1D\uFF1D\uFF1D\uFF1D]");

  // ASCII measures alike either way.
  const Style<> ascii = plainStyle(10);
  EXPECT_EQ(columnsOf(ascii, 3, 10).second, render(ascii, 3, 10));
}

// A width past what can be drawn is an error, whatever the measure; a negative one leaves the
// bar empty, as any width too small for the labels does.
TEST(RenderProgressBar, RejectsAWidthPastWhatCanBeDrawn) {
  for (const std::int64_t width : {meterline::maxLineWidth + 1, Limits::max()}) {
    EXPECT_THROW(render(plainStyle(width), 1, 2), std::invalid_argument);
    EXPECT_THROW(meterline::renderProgressBar(plainStyle(width), Progress<>{1, 2, {}}, kTiming,
                                              meterline::Measure::Columns),
                 std::invalid_argument);
  }
  EXPECT_EQ(render(plainStyle(meterline::maxLineWidth), 1, 2).size(), std::size_t(meterline::maxLineWidth));
  EXPECT_EQ(render(plainStyle(-5), 1, 2), "[]");
  EXPECT_EQ(render(plainStyle(Limits::min()), 1, 2), "[]");
}

TEST(RenderProgressBar, PutsEachEscapeInFrontOfItsPieceWithoutCountingIt) {
  std::string calls;
  const auto escape = [&](std::string name) {
    return [&calls, name](const Progress<>&) {
      calls += name;
      return Text("<" + name + ">");
    };
  };
  const auto label = [&](std::string name) {
    return Label<>([&calls, name](const Progress<>&, const Timing&) {
      calls += name;
      return Text(name);
    });
  };
  Style<> style = plainStyle(16);
  style.stylePrefix = label("pre");
  style.stylePostfix = label("post");
  style.styleEscapeOpen = escape("o");
  style.styleEscapeClose = escape("c");
  style.styleEscapeDone = escape("d");
  style.styleEscapeCurrent = escape("u");
  style.styleEscapeTodo = escape("t");
  style.styleEscapePrefix = escape("p");
  style.styleEscapePostfix = escape("q");

  EXPECT_EQ(render(style, 3, 10), "<p>pre <o>[<d>=<u>><t>...<c>]<q> post");
  EXPECT_EQ(calls, "prepostpodutcq");  // labels once each, then each escape once
  // Escapes are written even in front of empty pieces, and never change the cells.
  calls.clear();
  EXPECT_EQ(render(style, 0, 10), "<p>pre <o>[<d><u><t>.....<c>]<q> post");
  EXPECT_EQ(calls, "prepostpodutcq");
}

TEST(RenderProgressBar, LeavesOutTheSpaceOfAnEmptyLabel) {
  Style<> style = plainStyle(12);
  style.stylePrefix = [](const Progress<>& p, const Timing&) { return Text(p.progressDone ? "x" : ""); };
  style.stylePostfix = [](const Progress<>& p, const Timing&) { return Text(p.progressDone ? "" : "y"); };
  EXPECT_EQ(render(style, 0, 10), "[........] y");
  EXPECT_EQ(render(style, 5, 10), "x [====>...]");
}

}  // namespace
