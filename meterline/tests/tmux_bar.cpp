// Keeps live bars on its terminal, for the tests that watch them in tmux.
//
//   meterline_tmux_bar newline|clear|println|wide|resize|throw|group
//
// Prints a heading, then, by mode:
//   newline, clear  a bar of the default style (as wide as the terminal, on standard error)
//                   run to completion, with that completion policy;
//   println         a bar walking a range, printing a line above it now and then and one more
//                   after it;
//   wide            a bar with options whose prefix is wide characters, run to completion;
//   resize          a bar with options that sets the title "meterline-bar-ready" and runs
//                   until its terminal is 60 columns wide, then completes;
//   throw           a loop under withProgress that throws halfway, and a line after it;
//   group           three bars of a group, each run by a thread of its own that prints a line
//                   (two for the third) above the group halfway;
// then sets the terminal's title to "meterline-bar-done", which the test waits for, and sleeps
// until its session is ended.
#include <chrono>
#include <functional>
#include <iostream>
#include <map>
#include <numeric>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "meterline/meterline.hpp"

namespace {

using namespace std::chrono_literals;

constexpr std::int64_t kSteps = 40;

void runToCompletion(const meterline::ProgressBar<>& bar) {
  for (std::int64_t i = 0; i < kSteps; ++i) {
    std::this_thread::sleep_for(10ms);
    meterline::incProgress(bar, 1);
  }
}

std::vector<std::int64_t> steps() {
  std::vector<std::int64_t> numbers(kSteps);
  std::iota(numbers.begin(), numbers.end(), 1);
  return numbers;
}

void setTitle(std::string_view title) { std::cout << "\x1b]2;" << title << "\x07" << std::flush; }

void exactBar(meterline::OnComplete onComplete) {
  meterline::Style<> style = meterline::defStyle();
  style.styleOnComplete = onComplete;
  runToCompletion(meterline::newProgressBar(style, 20.0, {0, kSteps, {}}));
}

void printingBar() {
  const auto bar = meterline::newProgressBar(meterline::defStyle(), 20.0, {0, kSteps, {}});
  for (const std::int64_t step : meterline::withProgress(steps(), bar)) {
    std::this_thread::sleep_for(10ms);
    if (step % 10 == 5) meterline::println(bar, "step " + std::to_string(step));
  }
  meterline::println(bar, "all done");
}

void wideBar() {
  meterline::Style<> style = meterline::defStyle();
  style.stylePrefix = "日本語";
  runToCompletion(meterline::newProgressBar(style, 20.0, {0, kSteps, {}}, meterline::BarOptions{}));
}

void resizedBar() {
  const auto bar = meterline::newProgressBar(meterline::defStyle(), 20.0, {0, kSteps, {}},
                                             meterline::BarOptions{});
  setTitle("meterline-bar-ready");
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (meterline::terminalWidth(std::cerr) != 60 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(20ms);
    meterline::incProgress(bar, 0);
  }
  std::this_thread::sleep_for(100ms);
  runToCompletion(bar);
}

void throwingLoop() {
  try {
    for (const std::int64_t step : meterline::withProgress(steps(), meterline::defStyle(), 20.0)) {
      std::this_thread::sleep_for(10ms);
      if (step == kSteps / 2) throw std::runtime_error("halfway");
    }
  } catch (const std::runtime_error&) {
    std::cerr << "after the exception" << std::endl;
  }
}

void group() {
  const meterline::BarGroup group(20.0);
  std::vector<std::thread> workers;
  for (const char* name : {"one", "two", "three"}) {
    meterline::Style<> style = meterline::defStyle();
    style.stylePrefix = meterline::Text(name).padLeft(5, U' ');
    workers.emplace_back([&group, name, bar = group.add(style, {0, kSteps, {}})] {
      for (std::int64_t i = 1; i <= kSteps; ++i) {
        std::this_thread::sleep_for(10ms);
        meterline::incProgress(bar, 1);
        if (i == kSteps / 2) {
          const std::string text = std::string(name) + " halfway";
          meterline::println(group, text == "three halfway" ? text + "\n  (two lines)" : text);
        }
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
}

}  // namespace

int main(int argc, char** argv) {
  const std::map<std::string_view, std::function<void()>> modes{
      {"newline", [] { exactBar(meterline::OnComplete::WriteNewline); }},
      {"clear", [] { exactBar(meterline::OnComplete::Clear); }},
      {"println", printingBar},
      {"wide", wideBar},
      {"resize", resizedBar},
      {"throw", throwingLoop},
      {"group", group},
  };
  const auto mode = modes.find(argc == 2 ? argv[1] : "");
  if (mode == modes.end()) {
    std::cerr << "usage: meterline_tmux_bar newline|clear|println|wide|resize|throw|group\n";
    return 2;
  }
  std::cout << "meterline live bar" << std::endl;
  mode->second();
  setTitle("meterline-bar-done");
  std::this_thread::sleep_for(2min);
}
