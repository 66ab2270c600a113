// Live bars made with options: in place on a terminal at its width as it changes, measured in
// columns; plain lines or nothing elsewhere; and the ways a bar's line ends.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "descriptors.hpp"
#include "fake_platform.hpp"
#include "meterline/columns.hpp"
#include "meterline/label.hpp"
#include "meterline/progress_bar.hpp"
#include "meterline/render.hpp"
#include "meterline/style.hpp"
#include "meterline/with_progress.hpp"

namespace {

using meterline::BarOptions;
using meterline::Measure;
using meterline::OnComplete;
using meterline::Output;
using meterline::Progress;
using meterline::ProgressBar;
using meterline::Style;
using meterline::Text;
using meterline::Timing;
using meterline::testing::FakePlatform;
using namespace std::chrono_literals;

constexpr std::string_view kEraseLine = "\x1b[2K";
constexpr std::string_view kEraseBelow = "\x1b[J";

class OptionsBar : public testing::Test {
 protected:
  OptionsBar() {
    style.styleWidth = meterline::ConstantWidth{16};
    style.stylePostfix = meterline::exact();
  }

  ProgressBar<> create(std::int64_t done, std::int64_t todo, double rate = 10) {
    return meterline::hNewProgressBar(out, style, rate, Progress<>{done, todo, {}}, options, platform);
  }

  // The line of this progress, measured as bars with options measure it.
  std::string line(std::int64_t done, std::int64_t todo) const {
    return meterline::renderProgressBar(style, Progress<>{done, todo, {}}, Timing{}, Measure::Columns).str();
  }

  std::string written() { return out.take(); }

  meterline::testing::DrawnStream out;
  FakePlatform platform;
  Style<> style;
  BarOptions options;
};

TEST_F(OptionsBar, DrawsInPlaceAndEndsItsLineOnceWhenComplete) {
  const auto bar = create(0, 10);
  EXPECT_EQ(written(), std::string(kEraseLine) + line(0, 10) + "\r");
  platform.time += 150ms;
  meterline::incProgress(bar, 4);
  EXPECT_EQ(written(), std::string(kEraseLine) + line(4, 10) + "\r");
  meterline::incProgress(bar, 6);
  EXPECT_EQ(written(), std::string(kEraseLine) + line(10, 10) + "\n");
  // Ended: unlike a bar without options, complete progress is not drawn again.
  platform.time += 1s;
  meterline::incProgress(bar, 0);
  meterline::incProgress(bar, -5);
  EXPECT_EQ(written(), "");
  meterline::println(bar, "after");
  EXPECT_EQ(written(), "after\n");

  style.styleOnComplete = OnComplete::Clear;
  const auto cleared = create(0, 1);
  written();
  meterline::incProgress(cleared, 1);
  EXPECT_EQ(written(), kEraseBelow);  // the block lost its line
}

TEST_F(OptionsBar, TakesTheWidthOfItsOwnTerminalAndFollowsIt) {
  style.styleWidth = meterline::TerminalWidth{16};
  style.stylePrefix = "日本語";  // six columns in three code points
  platform.columns = 99;         // standard output is not asked
  platform.streamColumns = 30;
  const auto bar = create(1, 10);
  EXPECT_EQ(bar.pbStyle.styleWidth, meterline::ProgressBarWidth(meterline::TerminalWidth{30}));
  // The columns of a drawing's line, and whether it erased to the end of the screen first.
  const auto drawn = [](const std::string& bytes) {
    const std::size_t start = bytes.find(kEraseLine) + kEraseLine.size();
    const Text line(bytes.substr(start, bytes.size() - start - 1));
    return std::pair(meterline::columns(line), bytes.starts_with(kEraseBelow));
  };
  EXPECT_EQ(drawn(written()), std::pair(std::int64_t{30}, false));
  platform.time += 1s;
  meterline::incProgress(bar, 1);
  EXPECT_EQ(drawn(written()), std::pair(std::int64_t{30}, false));

  platform.streamColumns = 20;  // the window narrowed: what it wrapped is erased
  platform.time += 1s;
  meterline::incProgress(bar, 1);
  EXPECT_EQ(drawn(written()), std::pair(std::int64_t{20}, true));
  platform.streamColumns.reset();  // no longer found: the style's own width
  platform.time += 1s;
  meterline::incProgress(bar, 1);
  EXPECT_EQ(drawn(written()), std::pair(std::int64_t{16}, true));
  EXPECT_EQ(platform.widthQueries, 0);

  options.followWidth = false;
  platform.streamColumns = 30;
  const auto fixed = create(1, 10);
  platform.streamColumns = 20;
  platform.time += 1s;
  meterline::incProgress(fixed, 1);
  written();
  platform.time += 1s;
  meterline::incProgress(fixed, 1);
  EXPECT_EQ(drawn(written()), std::pair(std::int64_t{30}, false));
}

TEST_F(OptionsBar, WritesPlainLinesOffATerminal) {
  platform.terminal = false;
  const std::string first = line(0, 100);
  const struct {
    std::chrono::milliseconds advance;
    std::int64_t add;
    std::string written;
  } steps[] = {
      {1000ms, 10, ""},
      {4000ms, 10, ""},                  // 5 s after the first line: not more than 5 s
      {1ms, 10, line(30, 100) + "\n"},
      {100ms, 70, line(100, 100) + "\n"},  // complete: written at once, and only once
      {10s, 0, ""},
  };
  int escapes = 0;
  style.styleEscapeDone = [&](const Progress<>&) {
    ++escapes;
    return Text("\x1b[32m");
  };
  const auto bar = create(0, 100, -1);  // the rate does not matter here: the plain interval does
  EXPECT_EQ(written(), first + "\n");
  for (const auto& [advance, add, expected] : steps) {
    platform.time += advance;
    meterline::incProgress(bar, add);
    EXPECT_EQ(written(), expected) << "after adding " << add;
  }
  EXPECT_EQ(escapes, 0);
}

TEST_F(OptionsBar, SilentDrawsNothingButPrintedLines) {
  options.onTerminal = Output::Silent;
  const auto bar = create(0, 10);
  platform.time += 1s;
  meterline::incProgress(bar, 5);
  meterline::println(bar, "a line of the program's own");
  meterline::incProgress(bar, 5);
  meterline::finish(bar);
  EXPECT_EQ(written(), "a line of the program's own\n");
}

// Each way of ending a bar, on a bar drawn at 3 / 10 whose progress then went to 4 / 10
// without being drawn: finishing draws 4 / 10, abandoning keeps 3 / 10. Once ended, a bar
// draws no more.
TEST_F(OptionsBar, EndsTheLineByFinishingAbandoningOrGoingOutOfScope) {
  const auto guarded = [](bool throws) {
    return [throws](const ProgressBar<>& bar) {
      try {
        const meterline::BarGuard guard(bar);
        if (throws) throw std::runtime_error("failed");
      } catch (const std::runtime_error&) {
      }
    };
  };
  const std::string erase(kEraseLine);
  const struct {
    const char* name;
    OnComplete onComplete;
    std::function<void(const ProgressBar<>&)> end;
    std::string exact;    // what a bar without options writes
    std::string options;  // what a bar with options writes
  } cases[] = {
      {"finish", OnComplete::WriteNewline, [](const auto& bar) { meterline::finish(bar); },
       line(4, 10) + "\n", erase + line(4, 10) + "\n"},
      {"finish, clearing", OnComplete::Clear, [](const auto& bar) { meterline::finish(bar); },
       line(4, 10) + "\r\x1b[K", std::string(kEraseBelow)},
      {"abandon", OnComplete::WriteNewline, [](const auto& bar) { meterline::abandon(bar); },
       "\n", erase + line(3, 10) + "\n"},
      {"a guard left normally", OnComplete::WriteNewline, guarded(false), line(4, 10) + "\n",
       erase + line(4, 10) + "\n"},
      {"a guard left by an exception", OnComplete::WriteNewline, guarded(true), "\n",
       erase + line(3, 10) + "\n"},
  };
  for (const auto& c : cases) {
    for (const bool withOptions : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (withOptions ? " with options" : ""));
      style.styleOnComplete = c.onComplete;
      platform.time = {};
      const auto bar = withOptions ? create(3, 10)
                                   : meterline::hNewProgressBar(out, style, 10, Progress<>{3, 10, {}}, platform);
      written();
      meterline::incProgress(bar, 1);  // not due
      c.end(bar);
      EXPECT_EQ(written(), withOptions ? c.options : c.exact);
      platform.time += 1s;
      meterline::incProgress(bar, 6);
      c.end(bar);
      meterline::println(bar, "next");
      EXPECT_EQ(written(), "next\n");
    }
  }

  // The last copy of a bar with options ends its line as last drawn; one without says nothing.
  create(3, 10);
  EXPECT_EQ(written(), erase + line(3, 10) + "\r" + erase + line(3, 10) + "\n");
  meterline::hNewProgressBar(out, style, 10, Progress<>{3, 10, {}}, platform);
  EXPECT_EQ(written(), line(3, 10) + "\r");
}

TEST_F(OptionsBar, AWidthBeyondWhatCanBeDrawnIsAnError) {
  for (const std::int64_t width : {meterline::maxLineWidth + 1, std::numeric_limits<std::int64_t>::max()}) {
    style.styleWidth = meterline::ConstantWidth{width};
    EXPECT_THROW(create(0, 10), std::invalid_argument);
    EXPECT_THROW(meterline::hNewProgressBar(out, style, 10, Progress<>{0, 10, {}}, platform),
                 std::invalid_argument);
    EXPECT_EQ(written(), "");
  }
  style.styleWidth = meterline::TerminalWidth{16};
  platform.streamColumns = std::numeric_limits<std::int64_t>::max();
  EXPECT_THROW(create(0, 10), std::invalid_argument);
}

// Standard error sent to a file: plain lines with no control character, or nothing at all.
TEST(BarOptionsOnStandardError, WriteALogFileOfPlainLinesOrNothing) {
  Style<> style;
  style.styleWidth = meterline::TerminalWidth{30};
  style.styleEscapeDone = [](const Progress<>&) { return Text("\x1b[32m"); };
  const std::vector<int> items(50, 1);
  for (const Output offTerminal : {Output::Plain, Output::Silent}) {
    char path[] = "/tmp/meterline-log-XXXXXX";
    const int file = mkstemp(path);
    ASSERT_GE(file, 0);
    {
      std::cerr.flush();
      const meterline::testing::RedirectedDescriptor toFile(STDERR_FILENO, file);
      BarOptions options;
      options.offTerminal = offTerminal;
      const auto bar = meterline::newProgressBar(style, -1, Progress<>{0, 50, {}}, options);
      for (int i = 0; i < 50; ++i) meterline::incProgress(bar, 1);
      for (const int item : meterline::withProgress(items, style, -1, options)) static_cast<void>(item);
    }
    close(file);
    std::ifstream in(path);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(path);
    if (offTerminal == Output::Silent) {
      EXPECT_EQ(log, "");
      continue;
    }
    const std::string first = "[" + std::string(23, '.') + "]   0%\n";
    const std::string last = "[" + std::string(23, '=') + "] 100%\n";
    EXPECT_EQ(log, first + last + first + last);  // the style's own width: no terminal there
  }
}

}  // namespace
