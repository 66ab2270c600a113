// Keeps a live bar on its terminal, for the test that watches it in tmux.
//
//   meterline_tmux_bar newline|clear
//
// Prints a heading, runs a bar of the default style (as wide as the terminal, on standard
// error) to completion with the given completion policy, then sets the terminal's title to
// "meterline-bar-done", which the test waits for, and sleeps until its session is ended.
#include <chrono>
#include <iostream>
#include <string_view>
#include <thread>

#include "meterline/meterline.hpp"

int main(int argc, char** argv) {
  const std::string_view mode = argc == 2 ? argv[1] : "";
  if (mode != "newline" && mode != "clear") {
    std::cerr << "usage: meterline_tmux_bar newline|clear\n";
    return 2;
  }
  std::cout << "meterline live bar" << std::endl;

  meterline::Style<> style = meterline::defStyle();
  if (mode == "clear") style.styleOnComplete = meterline::OnComplete::Clear;
  constexpr std::int64_t kSteps = 40;
  const auto bar = meterline::newProgressBar(style, 20.0, {0, kSteps, {}});
  for (std::int64_t i = 0; i < kSteps; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    meterline::incProgress(bar, 1);
  }

  std::cout << "\x1b]2;meterline-bar-done\x07" << std::flush;
  std::this_thread::sleep_for(std::chrono::minutes(2));
}
