// Keeps a live bar on its terminal, for the test that watches it in tmux.
//
//   meterline_tmux_bar newline|clear|println
//
// Prints a heading, runs a bar of the default style (as wide as the terminal, on standard
// error) to completion with the given completion policy, or, for println, walks a range with
// the bar and prints a line above it now and then and one more after it, then sets the
// terminal's title to "meterline-bar-done", which the test waits for, and sleeps until its
// session is ended.
#include <chrono>
#include <iostream>
#include <numeric>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "meterline/meterline.hpp"

int main(int argc, char** argv) {
  const std::string_view mode = argc == 2 ? argv[1] : "";
  if (mode != "newline" && mode != "clear" && mode != "println") {
    std::cerr << "usage: meterline_tmux_bar newline|clear|println\n";
    return 2;
  }
  std::cout << "meterline live bar" << std::endl;

  meterline::Style<> style = meterline::defStyle();
  if (mode == "clear") style.styleOnComplete = meterline::OnComplete::Clear;
  constexpr std::int64_t kSteps = 40;
  const auto bar = meterline::newProgressBar(style, 20.0, {0, kSteps, {}});
  if (mode == "println") {
    std::vector<std::int64_t> steps(kSteps);
    std::iota(steps.begin(), steps.end(), 1);
    for (const std::int64_t step : meterline::withProgress(steps, bar)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      if (step % 10 == 5) meterline::println(bar, "step " + std::to_string(step));
    }
    meterline::println(bar, "all done");
  } else {
    for (std::int64_t i = 0; i < kSteps; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      meterline::incProgress(bar, 1);
    }
  }

  std::cout << "\x1b]2;meterline-bar-done\x07" << std::flush;
  std::this_thread::sleep_for(std::chrono::minutes(2));
}
