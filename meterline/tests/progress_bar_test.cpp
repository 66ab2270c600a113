#include "meterline/progress_bar.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <ios>
#include <iostream>
#include <limits>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "fp/testing/allocations.hpp"
#include "descriptors.hpp"
#include "fake_platform.hpp"
#include "meterline/label.hpp"
#include "meterline/render.hpp"
#include "meterline/style.hpp"

namespace {

using meterline::Label;
using meterline::OnComplete;
using meterline::Progress;
using meterline::ProgressBar;
using meterline::Style;
using meterline::Text;
using meterline::TimePoint;
using meterline::Timing;
using namespace std::chrono_literals;

using Limits = std::numeric_limits<std::int64_t>;

using meterline::testing::FakePlatform;

// A stream buffer that can be made to fail.
class FailingBuffer : public std::stringbuf {
 public:
  bool failing = false;

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    return failing ? 0 : std::stringbuf::xsputn(s, n);
  }
};

class LiveBar : public testing::Test {
 protected:
  LiveBar() {
    style.styleWidth = meterline::ConstantWidth{16};
    style.stylePostfix = meterline::exact();
  }

  ProgressBar<> create(double rate, std::int64_t done, std::int64_t todo) {
    return meterline::hNewProgressBar(out, style, rate, Progress<>{done, todo, {}}, platform);
  }

  // The line drawn for this progress, followed by the ending that the bar writes after it.
  std::string drawing(std::int64_t done, std::int64_t todo) const {
    const std::string ending = done < todo ? "\r"
                               : style.styleOnComplete == OnComplete::WriteNewline ? "\n"
                                                                                   : "\r\x1b[K";
    return meterline::renderProgressBar(style, Progress<>{done, todo, {}}, Timing{}).str() + ending;
  }

  // What the bar wrote since the last call.
  std::string written() { return out.take(); }

  meterline::testing::DrawnStream out;
  FakePlatform platform;
  Style<> style;
};

TEST_F(LiveBar, DrawsOnCreationWithTheEndingThatFitsTheProgress) {
  create(10, 0, 10);
  EXPECT_EQ(written(), "[........]  0/10\r");
  create(10, 10, 10);
  EXPECT_EQ(written(), "[========] 10/10\n");
  create(10, 3, 0);  // a total of 0: always complete
  EXPECT_EQ(written(), drawing(3, 0));
  style.styleOnComplete = OnComplete::Clear;
  create(10, 12, 10);
  EXPECT_EQ(written(), "[========] 12/10\r\x1b[K");
}

TEST_F(LiveBar, RedrawsWhenTheDelayHasPassedOrTheProgressIsComplete) {
  const auto bar = create(10, 0, 10);  // at most every 100 ms
  written();
  const struct {
    std::chrono::milliseconds advance;
    std::int64_t add;
    std::string drawn;
  } steps[] = {
      {50ms, 1, ""},                    // 50 ms after creation: not yet
      {100ms, 1, drawing(2, 10)},       // 150 ms: due, with what the first update recorded
      {60ms, 1, ""},                    // 60 ms after that drawing
      {41ms, 0, drawing(3, 10)},        // 101 ms: due, even for an update that adds nothing
      {100ms, 1, ""},                   // exactly the delay is not more than the delay
      {0ms, 6, drawing(10, 10)},        // complete: drawn at once
      {0ms, 0, drawing(10, 10)},        // and again at every update while complete
      {0ms, -5, ""},                    // back below the total: the delay applies again
      {101ms, 0, drawing(5, 10)},
      {-1000ms, 1, ""},                 // a time before the last drawing
      {0ms, 4, drawing(10, 10)},
  };
  for (const auto& [advance, add, drawn] : steps) {
    platform.time += advance;
    meterline::incProgress(bar, add);
    EXPECT_EQ(written(), drawn) << "after adding " << add;
  }
}

TEST_F(LiveBar, ClearsTheLineOnCompletionWhenTheStyleSaysSo) {
  style.styleOnComplete = OnComplete::Clear;
  const auto bar = create(10, 0, 2);
  written();
  meterline::incProgress(bar, 2);
  EXPECT_EQ(written(), "[==========] 2/2\r\x1b[K");
}

TEST_F(LiveBar, DrawsOnlyCompleteProgressAtRateZeroAndEveryUpdateAtANegativeRate) {
  const auto never = create(0, 0, 2);
  written();
  platform.time += 1h;
  meterline::incProgress(never, 1);
  EXPECT_EQ(written(), "");
  meterline::incProgress(never, 1);
  EXPECT_EQ(written(), drawing(2, 2));

  const auto always = create(-1, 0, 3);
  written();
  for (std::int64_t done = 1; done <= 3; ++done) {
    meterline::incProgress(always, 1);
    EXPECT_EQ(written(), drawing(done, 3));
  }
  meterline::incProgress(always, 0);
  EXPECT_EQ(written(), drawing(3, 3));
}

TEST_F(LiveBar, GivesLabelsTheStartAndTheTimeOfTheDrawingUpdate) {
  std::vector<Timing> seen;
  style.stylePostfix = [&](const Progress<>&, const Timing& timing) {
    seen.push_back(timing);
    return Text();
  };
  const TimePoint start = platform.time;
  const auto bar = create(10, 0, 10);
  platform.time += 50ms;
  meterline::incProgress(bar, 1);  // not drawn: the label does not run
  platform.time += 100ms;
  meterline::incProgress(bar, 1);
  EXPECT_EQ(seen, (std::vector<Timing>{{start, start}, {start, start + 150ms}}));
}

TEST_F(LiveBar, TakesTheTerminalWidthOnceForATerminalWidthStyle) {
  style.styleWidth = meterline::TerminalWidth{16};
  platform.columns = 30;
  const auto wide = create(10, 1, 10);
  EXPECT_EQ(wide.pbStyle.styleWidth, meterline::ProgressBarWidth(meterline::TerminalWidth{30}));
  EXPECT_EQ(Text(written()).length(), 30 + 1);  // and the "\r"
  EXPECT_EQ(platform.widthQueries, 1);
  platform.time += 1s;
  meterline::incProgress(wide, 1);
  EXPECT_EQ(platform.widthQueries, 1);
  written();

  platform.columns.reset();  // no terminal: the style's own width
  const auto fallback = create(10, 1, 10);
  EXPECT_EQ(fallback.pbStyle.styleWidth, meterline::ProgressBarWidth(meterline::TerminalWidth{16}));
  EXPECT_EQ(written(), drawing(1, 10));

  style.styleWidth = meterline::ConstantWidth{16};
  platform.columns = 30;
  create(10, 1, 10);
  EXPECT_EQ(platform.widthQueries, 2);  // a constant width asks no terminal
  EXPECT_EQ(written(), drawing(1, 10));
}

TEST_F(LiveBar, KeepsTheStateWhenTheChangeThrows) {
  const auto bar = create(-1, 3, 10);
  written();
  EXPECT_THROW(meterline::updateProgress(bar, [](const Progress<>&) -> Progress<> {
                 throw std::runtime_error("change");
               }),
               std::runtime_error);
  EXPECT_EQ(written(), "");
  meterline::incProgress(bar, 1);
  EXPECT_EQ(written(), drawing(4, 10));
}

TEST_F(LiveBar, KeepsTheStateWhenALabelOrAnEscapeThrows) {
  style.stylePrefix = [](const Progress<>& p, const Timing&) {
    if (p.progressDone == 5) throw std::runtime_error("label");
    return Text();
  };
  style.styleEscapeDone = [](const Progress<>& p) {
    if (p.progressDone == 6) throw std::runtime_error("escape");
    return Text();
  };
  const auto bar = create(10, 0, 10);
  written();
  platform.time += 150ms;
  EXPECT_THROW(meterline::incProgress(bar, 5), std::runtime_error);
  EXPECT_THROW(meterline::incProgress(bar, 6), std::runtime_error);
  EXPECT_EQ(written(), "");
  // Neither the progress nor the time of the last drawing moved: this update is due.
  meterline::incProgress(bar, 1);
  EXPECT_EQ(written(), drawing(1, 10));

  style.stylePrefix = [](const Progress<>&, const Timing&) -> Text { throw std::runtime_error("label"); };
  EXPECT_THROW(create(10, 0, 10), std::runtime_error);
}

TEST_F(LiveBar, KeepsTheStateWhenTheStreamThrows) {
  FailingBuffer buffer;
  std::ostream stream(&buffer);
  stream.exceptions(std::ios::badbit);
  const auto bar = meterline::hNewProgressBar(stream, style, -1, Progress<>{0, 10, {}}, platform);
  buffer.failing = true;
  EXPECT_THROW(meterline::incProgress(bar, 2), std::ios_base::failure);
  buffer.failing = false;
  buffer.str("");
  stream.clear();
  meterline::incProgress(bar, 1);
  EXPECT_EQ(buffer.str(), drawing(1, 10));
}

TEST_F(LiveBar, UpdatesThatDoNotDrawOnlyRecordTheProgress) {
  int runs = 0;
  style.stylePrefix = [&](const Progress<>&, const Timing&) {
    ++runs;
    return Text();
  };
  style.styleEscapeTodo = [&](const Progress<>&) {
    ++runs;
    return Text();
  };
  const auto bar = create(10, 0, 1'000'000);
  written();
  runs = 0;
  const fp::testing::AllocationsSince allocations;
  for (int i = 0; i < 1000; ++i) meterline::incProgress(bar, 1);
  if (fp::testing::allocationsCounted()) {
    EXPECT_EQ(allocations.count(), 0);
  }
  EXPECT_EQ(runs, 0);
  EXPECT_EQ(written(), "");
  platform.time += 1s;
  meterline::incProgress(bar, 1);
  EXPECT_EQ(written(), drawing(1001, 1'000'000));
}

TEST_F(LiveBar, CopiesShareOneState) {
  const auto bar = create(10, 0, 10);
  const auto copy = bar;
  meterline::incProgress(copy, 3);
  platform.time += 150ms;
  meterline::incProgress(bar, 1);
  EXPECT_EQ(written(), drawing(0, 10) + drawing(4, 10));
}

TEST_F(LiveBar, IncProgressWrapsAround) {
  const auto bar = create(10, Limits::max(), Limits::max());
  Progress<> seen{};
  meterline::incProgress(bar, 1);
  meterline::updateProgress(bar, [&](const Progress<>& p) { return seen = p; });
  EXPECT_EQ(seen.progressDone, Limits::min());
}

TEST_F(LiveBar, PrintlnWritesALineAboveTheBarAndDrawsItAgain) {
  const auto bar = create(10, 0, 10);  // at most every 100 ms
  written();
  platform.time += 50ms;
  meterline::incProgress(bar, 3);  // recorded, not drawn
  platform.time += 10ms;
  meterline::println(bar, "copied a.txt");
  EXPECT_EQ(written(), "\r\x1b[Kcopied a.txt\n" + drawing(3, 10));
  meterline::println(bar, "");  // an empty line, the same way
  EXPECT_EQ(written(), "\r\x1b[K\n" + drawing(3, 10));
  // That drawing is the bar's last: 150 ms after creation, but 90 ms after it, is not due.
  platform.time += 90ms;
  meterline::incProgress(bar, 1);
  EXPECT_EQ(written(), "");
  platform.time += 11ms;
  meterline::incProgress(bar, 0);
  EXPECT_EQ(written(), drawing(4, 10));
}

TEST_F(LiveBar, PrintlnAfterCompletionWritesOnlyTheLine) {
  for (const OnComplete onComplete : {OnComplete::WriteNewline, OnComplete::Clear}) {
    style.styleOnComplete = onComplete;
    const auto bar = create(10, 0, 2);
    meterline::incProgress(bar, 2);
    written();
    meterline::println(bar, "done");  // the finished bar stays as it was left, above
    EXPECT_EQ(written(), "done\n");
    meterline::incProgress(bar, -1);  // incomplete again: println draws the bar again
    written();
    meterline::println(bar, "more");
    EXPECT_EQ(written(), "\r\x1b[Kmore\n" + drawing(1, 2));
  }
}

TEST_F(LiveBar, PrintlnKeepsTheStateWhenALabelOrTheStreamThrows) {
  bool failing = true;
  style.stylePrefix = [&](const Progress<>&, const Timing&) {
    if (failing) throw std::runtime_error("label");
    return Text();
  };
  failing = false;
  auto bar = create(10, 0, 10);
  written();
  platform.time += 150ms;
  failing = true;
  EXPECT_THROW(meterline::println(bar, "lost"), std::runtime_error);
  EXPECT_EQ(written(), "");
  failing = false;
  meterline::incProgress(bar, 1);  // the failed println drew nothing: this update is due
  EXPECT_EQ(written(), drawing(1, 10));

  FailingBuffer buffer;
  std::ostream stream(&buffer);
  stream.exceptions(std::ios::badbit);
  bar = meterline::hNewProgressBar(stream, style, 10, Progress<>{0, 10, {}}, platform);
  platform.time += 150ms;
  buffer.failing = true;
  EXPECT_THROW(meterline::println(bar, "lost"), std::ios_base::failure);
  buffer.failing = false;
  buffer.str("");
  stream.clear();
  meterline::incProgress(bar, 1);
  EXPECT_EQ(buffer.str(), drawing(1, 10));
}

struct Job {
  std::string name;
};

TEST_F(LiveBar, PassesTheCustomValueToLabelsAndEscapes) {
  Style<Job> jobStyle = meterline::defStyle<Job>();
  jobStyle.styleWidth = meterline::ConstantWidth{20};
  jobStyle.stylePrefix = [](const Progress<Job>& p, const Timing&) { return Text(p.progressCustom.name); };
  jobStyle.styleEscapeDone = [](const Progress<Job>& p) { return Text(p.progressCustom.name.substr(0, 1)); };
  const auto bar = meterline::hNewProgressBar(out, jobStyle, -1, Progress<Job>{0, 4, {"copy"}}, platform);
  meterline::updateProgress(bar, [](Progress<Job> p) {
    p.progressDone = 2;
    p.progressCustom.name = "move";
    return p;
  });
  EXPECT_EQ(written(), "copy [c........]   0%\rmove [m====>...]  50%\r");
}

TEST(SystemPlatform, ReadsTheRealTimeClockAndFindsNoTerminalOnAFile) {
  const auto before = std::chrono::system_clock::now();
  const TimePoint now = meterline::systemPlatform().now();
  const auto after = std::chrono::system_clock::now();
  EXPECT_LE(before, now);
  EXPECT_LE(now, after);

  std::optional<std::int64_t> width;
  {
    const meterline::testing::RedirectedDescriptor toFile(STDOUT_FILENO, "/dev/null");
    width = meterline::systemPlatform().terminalWidth();
  }
  EXPECT_EQ(width, std::nullopt);
}

TEST(NewProgressBar, DrawsOnStandardError) {
  std::ostringstream captured;
  std::streambuf* const saved = std::cerr.rdbuf(captured.rdbuf());
  Style<> style;
  style.styleWidth = meterline::ConstantWidth{10};
  meterline::newProgressBar(style, 10, Progress<>{1, 2, {}});
  std::cerr.rdbuf(saved);
  EXPECT_EQ(captured.str(), "[=>.]  50%\r");
}

// Eight threads report to copies of one bar, whose negative refresh rate makes every update
// draw. Every unit counts, and the output is whole drawings, each a rendered line and its
// ending: one for the creation and one for each update, in the order of the progress.
TEST(LiveBarConcurrency, EveryUpdateCountsAndDrawingsNeverInterleave) {
  constexpr int kThreads = 8;
  constexpr std::int64_t kPerThread = 100'000;
  constexpr std::int64_t kTotal = kThreads * kPerThread;
  Style<> style;
  style.styleWidth = meterline::ConstantWidth{40};
  style.stylePostfix = meterline::exact();
  std::ostringstream out;
  const FakePlatform platform;  // its clock stands still: only the rate decides
  const auto bar = meterline::hNewProgressBar(out, style, -1, Progress<>{0, kTotal, {}}, platform);

  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([copy = bar] {
      for (std::int64_t i = 0; i < kPerThread; ++i) meterline::incProgress(copy, 1);
    });
  }
  for (auto& thread : threads) thread.join();

  const std::string bytes = out.str();
  std::int64_t previous = -1;
  std::size_t drawings = 0;
  for (std::size_t start = 0; start < bytes.size();) {
    const std::size_t end = bytes.find_first_of("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "a drawing without its ending";
    const std::string line = bytes.substr(start, end - start);
    const std::int64_t done = std::stoll(line.substr(line.rfind(']') + 1));
    EXPECT_GT(done, previous);
    previous = done;
    const bool last = done == kTotal;
    EXPECT_EQ(line, meterline::renderProgressBar(style, Progress<>{done, kTotal, {}}, Timing{}).str());
    EXPECT_EQ(bytes[end], last ? '\n' : '\r');
    start = end + 1;
    ++drawings;
    if (last) {
      EXPECT_EQ(start, bytes.size()) << "output after the complete drawing";
    }
  }
  EXPECT_EQ(previous, kTotal);
  EXPECT_EQ(drawings, std::size_t(kTotal) + 1);

  Progress<> ending{};
  meterline::updateProgress(bar, [&](const Progress<>& p) { return ending = p; });
  EXPECT_EQ(ending.progressDone, kTotal);
}

// Threads update a bar and print lines above it. Every line comes out whole, once, either
// above a drawing (while the bar is incomplete) or on its own (after), and every drawing is a
// whole rendered line.
std::string printedLine(int thread, std::int64_t k) {
  return "thread " + std::to_string(thread) + " line " + std::to_string(k);
}

TEST(LiveBarConcurrency, LinesPrintedAboveTheBarStayWhole) {
  constexpr int kThreads = 4;
  constexpr std::int64_t kPerThread = 20'000;
  constexpr std::int64_t kEvery = 1'000;
  constexpr std::int64_t kTotal = kThreads * kPerThread;
  Style<> style;
  style.styleWidth = meterline::ConstantWidth{40};
  style.stylePostfix = meterline::exact();
  std::ostringstream out;
  const auto bar = meterline::hNewProgressBar(out, style, 1000, Progress<>{0, kTotal, {}});

  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([copy = bar, t] {
      for (std::int64_t i = 1; i <= kPerThread; ++i) {
        meterline::incProgress(copy, 1);
        if (i % kEvery == 0) meterline::println(copy, printedLine(t, i / kEvery));
      }
    });
  }
  for (auto& thread : threads) thread.join();

  const std::string bytes = out.str();
  const auto isDrawing = [&](const std::string& line) {
    if (line.empty() || line.front() != '[') return false;
    const std::int64_t done = std::stoll(line.substr(line.rfind(']') + 1));
    const Progress<> progress{done, kTotal, {}};
    return line == meterline::renderProgressBar(style, progress, Timing{}).str();
  };
  std::multiset<std::string> printed;
  bool complete = false;
  for (std::size_t start = 0; start < bytes.size();) {
    if (bytes.compare(start, 4, "\r\x1b[K") == 0) {  // a line above a drawing
      ASSERT_FALSE(complete);
      const std::size_t end = bytes.find('\n', start);
      ASSERT_NE(end, std::string::npos);
      printed.insert(bytes.substr(start + 4, end - start - 4));
      start = end + 1;
      const std::size_t lineEnd = bytes.find('\r', start);
      ASSERT_NE(lineEnd, std::string::npos);
      EXPECT_TRUE(isDrawing(bytes.substr(start, lineEnd - start)));
      start = lineEnd + 1;
      continue;
    }
    const std::size_t end = bytes.find_first_of("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    const std::string line = bytes.substr(start, end - start);
    if (isDrawing(line)) {
      complete = bytes[end] == '\n';
    } else {  // a line printed once the bar was complete
      EXPECT_TRUE(complete) << line;
      EXPECT_EQ(bytes[end], '\n');
      printed.insert(line);
    }
    start = end + 1;
  }
  EXPECT_TRUE(complete);
  std::multiset<std::string> expected;
  for (int t = 0; t < kThreads; ++t) {
    for (std::int64_t k = 1; k <= kPerThread / kEvery; ++k) expected.insert(printedLine(t, k));
  }
  EXPECT_EQ(printed, expected);
}

}  // namespace
