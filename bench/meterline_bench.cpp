// meterline: the cost of a live bar's update that does not draw, and of rendering a line.
//
// An update that does not draw must read the real-time clock and take the bar's lock, so its
// floor is a loop that does only that: IncProgressQuiet against ClockAndMutex, with one thread
// and with two threads sharing one bar (and one mutex). Walking a vector with withProgress
// (WithProgressVector) is compared with a plain loop over it that calls incProgress for each
// element (IncProgressLoop): the adaptor should add nothing to the update. Rendering a line of
// the default style 80 wide is compared with a hand-written loop that builds the same line in
// a std::string.
//
// A bar in a group of three (IncProgressQuietGroup) should cost what a lone bar does: the
// group's lock is the bar's. Measuring an 80-column ASCII line in terminal columns
// (ColumnsAscii80) is compared with counting its code points in one pass over the bytes
// (CodePointsAscii80), as Text does; rendering the default style measured in columns
// (RenderDefStyle80Columns) with rendering it in code points (RenderDefStyle80).
//
//   ./build-bench/bench/meterline_bench --benchmark_repetitions=5
//       --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <charconv>
#include <chrono>
#include <cstdint>
#include <limits>
#include <mutex>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "meterline/meterline.hpp"
#include "verify.hpp"

namespace {

// A stream that drops everything.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// One bar shared by every run and thread. Rate 0 and a total that is never reached: no update
// draws.
const meterline::ProgressBar<>& quietBar() {
  static NullBuffer buffer;
  static std::ostream out(&buffer);
  static const auto bar = meterline::hNewProgressBar(
      out, meterline::defStyle(), 0.0, {0, std::numeric_limits<std::int64_t>::max(), {}});
  return bar;
}

void IncProgressQuiet(benchmark::State& state) {
  const auto& bar = quietBar();
  for (auto _ : state) meterline::incProgress(bar, 1);
}
BENCHMARK(IncProgressQuiet)->Threads(1)->Threads(2)->UseRealTime();

// The middle bar of a group of three with options, drawn live (on a stream that drops
// everything) at rate 0 with a total that is never reached: no update draws.
const meterline::ProgressBar<>& quietGroupBar() {
  static NullBuffer buffer;
  static std::ostream out(&buffer);
  static const auto bars = [] {
    meterline::BarOptions options;
    options.offTerminal = meterline::Output::Live;
    const meterline::BarGroup group(out, 0.0, options);
    const meterline::Progress<> never{0, std::numeric_limits<std::int64_t>::max(), {}};
    return std::vector{group.add(meterline::defStyle(), never), group.add(meterline::defStyle(), never),
                       group.add(meterline::defStyle(), never)};
  }();
  return bars[1];
}

void IncProgressQuietGroup(benchmark::State& state) {
  const auto& bar = quietGroupBar();
  for (auto _ : state) meterline::incProgress(bar, 1);
}
BENCHMARK(IncProgressQuietGroup)->Threads(1)->Threads(2)->UseRealTime();

void ClockAndMutex(benchmark::State& state) {
  static std::mutex mutex;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::chrono::system_clock::now());
    mutex.lock();
    mutex.unlock();
  }
}
BENCHMARK(ClockAndMutex)->Threads(1)->Threads(2)->UseRealTime();

// A kilobyte of numbers to walk.
const std::vector<std::int64_t>& numbers() {
  static const std::vector<std::int64_t> values(1024, 3);
  return values;
}

void WithProgressVector(benchmark::State& state) {
  const auto& bar = quietBar();
  const auto& values = numbers();
  bench::timeChecked(state, "withProgress", std::int64_t{3 * 1024}, [&] {
    std::int64_t sum = 0;
    for (const std::int64_t value : meterline::withProgress(values, bar)) sum += value;
    return sum;
  });
  state.SetItemsProcessed(state.iterations() * std::ssize(numbers()));
}
BENCHMARK(WithProgressVector);

void IncProgressLoop(benchmark::State& state) {
  const auto& bar = quietBar();
  const auto& values = numbers();
  bench::timeChecked(state, "the incProgress loop", std::int64_t{3 * 1024}, [&] {
    std::int64_t sum = 0;
    for (const std::int64_t value : values) {
      sum += value;
      meterline::incProgress(bar, 1);
    }
    return sum;
  });
  state.SetItemsProcessed(state.iterations() * std::ssize(numbers()));
}
BENCHMARK(IncProgressLoop);

constexpr std::int64_t kTodo = 1000;

std::string handWrittenLine(std::int64_t done, std::int64_t todo);

// Checks that the default style, rendered 80 wide with `measure`, draws the hand-written line at
// every step.
void verifyRendering(meterline::Measure measure) {
  meterline::Style<> style = meterline::defStyle();
  style.styleWidth = meterline::ConstantWidth{80};
  for (std::int64_t done = 0; done <= kTodo; ++done) {
    const auto line = meterline::renderProgressBar(style, meterline::Progress<>{done, kTodo, {}}, {}, measure);
    bench::verify("renderProgressBar", line.str(), handWrittenLine(done, kTodo));
  }
}

void RenderDefStyle80(benchmark::State& state) {
  verifyRendering(meterline::Measure::CodePoints);
  meterline::Style<> style = meterline::defStyle();
  style.styleWidth = meterline::ConstantWidth{80};
  const meterline::Timing timing{};
  std::int64_t done = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(meterline::renderProgressBar(style, meterline::Progress<>{done, kTodo, {}}, timing));
    done = done == kTodo ? 0 : done + 1;
  }
}
BENCHMARK(RenderDefStyle80);

void RenderDefStyle80Columns(benchmark::State& state) {
  verifyRendering(meterline::Measure::Columns);
  meterline::Style<> style = meterline::defStyle();
  style.styleWidth = meterline::ConstantWidth{80};
  const meterline::Timing timing{};
  std::int64_t done = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(meterline::renderProgressBar(
        style, meterline::Progress<>{done, kTodo, {}}, timing, meterline::Measure::Columns));
    done = done == kTodo ? 0 : done + 1;
  }
}
BENCHMARK(RenderDefStyle80Columns);

// An 80-column ASCII line, as a bar draws one.
const meterline::Text& asciiLine() {
  static const meterline::Text line = [] {
    meterline::Style<> style = meterline::defStyle();
    style.styleWidth = meterline::ConstantWidth{80};
    style.stylePrefix = "copying";
    return meterline::renderProgressBar(style, meterline::Progress<>{421, kTodo, {}}, {});
  }();
  return line;
}

void ColumnsAscii80(benchmark::State& state) {
  const meterline::Text& line = asciiLine();
  bench::verify("columns", meterline::columns(line), std::int64_t{80});
  for (auto _ : state) {
    benchmark::DoNotOptimize(line);
    benchmark::DoNotOptimize(meterline::columns(line));
  }
}
BENCHMARK(ColumnsAscii80);

// Code points counted the way Text counts them: the bytes that are not continuation bytes.
void CodePointsAscii80(benchmark::State& state) {
  const meterline::Text& line = asciiLine();
  const auto codePoints = [&line] {
    std::int64_t count = 0;
    for (const char byte : line.str()) count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    return count;
  };
  bench::verify("counting code points", codePoints(), std::int64_t{80});
  for (auto _ : state) {
    benchmark::DoNotOptimize(line);
    benchmark::DoNotOptimize(codePoints());
  }
}
BENCHMARK(CodePointsAscii80);

// The same line, "[===>....] 42%" 80 wide, with everything fixed at compile time.
std::string handWrittenLine(std::int64_t done, std::int64_t todo) {
  char digits[24];
  std::int64_t percent = done * 100 / todo;  // rounded to the nearest, halves to even
  const std::int64_t twiceRest = 2 * (done * 100 % todo);
  if (twiceRest > todo || (twiceRest == todo && percent % 2 != 0)) ++percent;
  const auto end = std::to_chars(digits, digits + sizeof digits, percent).ptr;
  const auto labelSize = static_cast<std::int64_t>(end - digits) + 1;
  const std::int64_t label = labelSize < 4 ? 4 : labelSize;
  const std::int64_t width = 80 - 2 - 1 - label;
  const std::int64_t cells = width * done / todo;
  const bool current = cells != 0 && cells != width;
  std::string line;
  line.reserve(80);
  line += '[';
  line.append(static_cast<std::size_t>(cells), '=');
  if (current) line += '>';
  line.append(static_cast<std::size_t>(width - cells - current), '.');
  line += "] ";
  line.append(static_cast<std::size_t>(label - labelSize), ' ');
  line.append(digits, end);
  line += '%';
  return line;
}

void RenderHandWritten80(benchmark::State& state) {
  std::int64_t done = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(handWrittenLine(done, kTodo));
    done = done == kTodo ? 0 : done + 1;
  }
}
BENCHMARK(RenderHandWritten80);

}  // namespace
