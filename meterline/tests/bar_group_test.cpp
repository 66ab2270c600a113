// Several live bars on consecutive lines: one block, redrawn together under one lock.
#include "meterline/bar_group.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "fake_platform.hpp"
#include "meterline/label.hpp"
#include "meterline/render.hpp"
#include "meterline/style.hpp"

namespace {

using meterline::BarGroup;
using meterline::Measure;
using meterline::OnComplete;
using meterline::Progress;
using meterline::Style;
using meterline::Timing;
using meterline::testing::FakePlatform;
using namespace std::chrono_literals;

Style<> exactStyle(const char* name) {
  Style<> style;
  style.styleWidth = meterline::ConstantWidth{24};
  style.stylePrefix = name;
  style.stylePostfix = meterline::exact();
  return style;
}

std::string line(const Style<>& style, std::int64_t done, std::int64_t todo) {
  return meterline::renderProgressBar(style, Progress<>{done, todo, {}}, Timing{}, Measure::Columns).str();
}

// A block drawn from its first line: each line erased and written, then the cursor back at
// the first line while a bar runs, or below the block once none does. A block that lost lines
// erases to the end of the screen first.
std::string block(const std::vector<std::string>& lines, bool running, bool shrank = false) {
  std::string bytes = shrank ? "\x1b[J" : "";
  for (std::size_t i = 0; i < lines.size(); ++i) bytes += (i == 0 ? "\x1b[2K" : "\n\x1b[2K") + lines[i];
  if (!running) return lines.empty() ? bytes : bytes + "\n";
  bytes += "\r";
  if (lines.size() > 1) bytes += "\x1b[" + std::to_string(lines.size() - 1) + "A";
  return bytes;
}

// A line of text above a running block of `lines` lines: the block's old lines erased from
// the first down and the cursor back up, then the text where the block began.
std::string above(const std::string& text, std::size_t lines) {
  std::string bytes;
  for (std::size_t i = 1; i < lines; ++i) bytes += "\x1b[2K\x1b[B";
  if (lines > 1) bytes += "\x1b[" + std::to_string(lines - 1) + "A";
  return bytes + "\x1b[2K" + text + "\n";
}

class Group : public testing::Test {
 protected:
  std::string written() { return out.take(); }

  meterline::testing::DrawnStream out;
  FakePlatform platform;
  const Style<> a = exactStyle("a");
  const Style<> b = exactStyle("b");
};

TEST_F(Group, RedrawsItsBarsTogetherAndLeavesFinishedOnesInPlace) {
  const BarGroup group(out, 10, {}, platform);
  const auto first = group.add(a, {0, 10, {}});
  EXPECT_EQ(written(), block({line(a, 0, 10)}, true));
  const auto second = group.add(b, {0, 4, {}});
  EXPECT_EQ(written(), block({line(a, 0, 10), line(b, 0, 4)}, true));

  platform.time += 50ms;
  meterline::incProgress(first, 1);  // the group was drawn 50 ms ago
  EXPECT_EQ(written(), "");
  platform.time += 100ms;
  meterline::incProgress(second, 1);  // due: both bars drawn, the first with what it recorded
  EXPECT_EQ(written(), block({line(a, 1, 10), line(b, 1, 4)}, true));
  platform.time += 10ms;
  meterline::incProgress(first, 1);  // not due: the second update drew the whole group
  EXPECT_EQ(written(), "");

  meterline::incProgress(second, 3);  // complete: stays in place while the first goes on
  EXPECT_EQ(written(), block({line(a, 2, 10), line(b, 4, 4)}, true));
  meterline::println(group, "a note");
  EXPECT_EQ(written(), above("a note", 2) + block({line(a, 2, 10), line(b, 4, 4)}, true));
  meterline::println(second, "from a finished bar,\nabove the group too");
  EXPECT_EQ(written(), above("from a finished bar,\nabove the group too", 2) +
                           block({line(a, 2, 10), line(b, 4, 4)}, true));

  meterline::incProgress(first, 8);  // none runs: the cursor goes below the block
  EXPECT_EQ(written(), block({line(a, 10, 10), line(b, 4, 4)}, false));
  meterline::println(group, "below");
  EXPECT_EQ(written(), "below\n");
  const auto third = group.add(a, {0, 1, {}});  // a new block
  EXPECT_EQ(written(), block({line(a, 0, 1)}, true));
  meterline::finish(third);
  EXPECT_EQ(written(), block({line(a, 0, 1)}, false));
}

TEST_F(Group, ABarThatClearsLeavesTheBlockAndOneAbandonedStaysAsDrawn) {
  Style<> clearing = b;
  clearing.styleOnComplete = OnComplete::Clear;
  const BarGroup group(out, 10, {}, platform);
  const auto first = group.add(a, {1, 10, {}});
  const auto second = group.add(clearing, {0, 2, {}});
  const auto third = group.add(b, {0, 5, {}});
  written();
  meterline::incProgress(second, 2);
  EXPECT_EQ(written(), block({line(a, 1, 10), line(b, 0, 5)}, true, true));
  meterline::incProgress(first, 1);  // recorded, not drawn
  meterline::abandon(first);
  EXPECT_EQ(written(), "");  // its line stays as drawn while the third runs
  platform.time += 1s;
  meterline::incProgress(third, 1);
  EXPECT_EQ(written(), block({line(a, 1, 10), line(b, 1, 5)}, true));
  meterline::abandon(third);
  EXPECT_EQ(written(), block({line(a, 1, 10), line(b, 1, 5)}, false));
}

TEST_F(Group, WritesPlainLinesOffATerminal) {
  platform.terminal = false;
  const BarGroup group(out, 10, {}, platform);
  const auto first = group.add(a, {0, 10, {}});
  const auto second = group.add(b, {0, 2, {}});
  EXPECT_EQ(written(), line(a, 0, 10) + "\n" + line(b, 0, 2) + "\n");
  platform.time += 6s;
  meterline::incProgress(first, 3);  // due: every running bar
  EXPECT_EQ(written(), line(a, 3, 10) + "\n" + line(b, 0, 2) + "\n");
  meterline::incProgress(second, 2);  // complete: its own last line
  EXPECT_EQ(written(), line(b, 2, 2) + "\n");
  platform.time += 6s;
  meterline::incProgress(first, 1);
  EXPECT_EQ(written(), line(a, 4, 10) + "\n");
}

// Three threads each report to a bar of their own in one group, drawing at every update: every
// drawing is a whole block of three lines, each bar's count only grows, and every unit counts.
TEST(BarGroupConcurrency, EveryUpdateCountsAndEveryDrawingIsAWholeBlock) {
  constexpr int kBars = 3;
  constexpr std::int64_t kPerBar = 1'000;
  meterline::BarOptions options;
  options.offTerminal = meterline::Output::Live;
  std::ostringstream out;
  const BarGroup group(out, -1, options);
  std::vector<Style<>> styles;
  std::vector<meterline::ProgressBar<>> bars;
  for (int i = 0; i < kBars; ++i) {
    styles.push_back(exactStyle(i == 0 ? "x" : i == 1 ? "y" : "z"));
    bars.push_back(group.add(styles.back(), {0, kPerBar, {}}));
  }
  out.str("");
  std::vector<std::thread> threads;
  for (int i = 0; i < kBars; ++i) {
    threads.emplace_back([bar = bars[std::size_t(i)], i, &group] {
      for (std::int64_t k = 1; k <= kPerBar; ++k) {
        meterline::incProgress(bar, 1);
        if (k % 250 == 0) meterline::println(group, "bar " + std::to_string(i) + " at " + std::to_string(k));
      }
    });
  }
  for (auto& thread : threads) thread.join();

  // The drawings, with the erasures of their lines taken out: each ends with the cursor's way
  // back up, but the last, which leaves it below the block, where the last lines printed go.
  std::string bytes = out.str();
  EXPECT_EQ(bytes.find("\x1b[J"), std::string::npos) << "the block never lost a line";
  const auto eraseAll = [&](std::string_view what) {
    for (std::size_t at; (at = bytes.find(what)) != std::string::npos;) bytes.erase(at, what.size());
  };
  eraseAll("\x1b[2K");
  eraseAll("\x1b[B\x1b[B\x1b[2A");  // the way down and back up over a block, before a printed line
  std::vector<std::int64_t> last(kBars, -1);
  std::size_t blocks = 0;
  int printed = 0;
  for (std::size_t start = 0; start < bytes.size();) {
    std::size_t end = bytes.find("\r\x1b[2A", start);
    const std::string drawing = bytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? bytes.size() : end + 5;
    std::istringstream in(drawing);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) {
      if (l.starts_with("bar "))
        ++printed;
      else if (!l.empty())
        lines.push_back(l);
    }
    ASSERT_EQ(lines.size(), std::size_t(kBars)) << drawing;
    for (int i = 0; i < kBars; ++i) {
      const std::string& shown = lines[std::size_t(i)];
      const std::int64_t done = std::stoll(shown.substr(shown.rfind(']') + 1));
      EXPECT_EQ(shown, line(styles[std::size_t(i)], done, kPerBar));
      EXPECT_GE(done, last[std::size_t(i)]);
      last[std::size_t(i)] = done;
    }
    ++blocks;
  }
  EXPECT_EQ(last, std::vector<std::int64_t>(kBars, kPerBar));
  EXPECT_EQ(printed, kBars * 4);
  EXPECT_GE(blocks, std::size_t(kPerBar));
  EXPECT_TRUE(bytes.ends_with("\n"));
}

}  // namespace
