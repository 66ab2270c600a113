// Terminals: which streams isTerminal finds on one (a pseudo-terminal stands in), and a live
// bar on a real terminal: a small program keeps a bar on the terminal of a detached tmux
// session of a known size, and the test reads the screen back.
#include "meterline/terminal.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#if defined(__GLIBCXX__)
#include <ext/stdio_filebuf.h>
#endif

#include "descriptors.hpp"
#include "tmux_session.hpp"

namespace {

using meterline::testing::RedirectedDescriptor;

// A pseudo-terminal: its secondary side is a terminal device, like the one a shell runs on.
class PseudoTerminal {
 public:
  PseudoTerminal() : primary_(posix_openpt(O_RDWR | O_NOCTTY)) {
    if (primary_ >= 0 && grantpt(primary_) == 0 && unlockpt(primary_) == 0)
      secondary_ = open(ptsname(primary_), O_RDWR | O_NOCTTY);
  }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;
  ~PseudoTerminal() {
    if (secondary_ >= 0) close(secondary_);
    if (primary_ >= 0) close(primary_);
  }

  // The terminal's descriptor, or -1 when none could be had.
  int secondary() const { return secondary_; }

 private:
  int primary_;
  int secondary_ = -1;
};

struct StreamCase {
  const char* stream;
  bool terminal;
};

// What isTerminal says of each stream, with standard output and standard error on `target`.
// Nothing is asserted while they are redirected.
std::vector<StreamCase> standardStreamsOn(int target) {
  std::cout.flush();
  std::fflush(nullptr);
  const RedirectedDescriptor out(STDOUT_FILENO, target);
  const RedirectedDescriptor err(STDERR_FILENO, target);
  std::vector<StreamCase> seen{{"cout", meterline::isTerminal(std::cout)},
                               {"cerr", meterline::isTerminal(std::cerr)},
                               {"clog", meterline::isTerminal(std::clog)}};
  std::ostringstream captured;
  std::streambuf* const saved = std::cerr.rdbuf(captured.rdbuf());
  seen.push_back({"cerr into a string", meterline::isTerminal(std::cerr)});
  std::cerr.rdbuf(saved);
  return seen;
}

TEST(IsTerminal, FindsTheStandardStreamsOnATerminalAndNothingElse) {
  const PseudoTerminal terminal;
  ASSERT_GE(terminal.secondary(), 0) << "no pseudo-terminal";
  EXPECT_EQ(meterline::isTerminal(std::ostringstream()), false);
  EXPECT_EQ(meterline::isTerminal(std::ofstream("/dev/null")), false);

  const int null = open("/dev/null", O_WRONLY);
  const struct {
    const char* target;
    int fd;
    bool terminal;
  } targets[] = {{"a terminal", terminal.secondary(), true}, {"/dev/null", null, false}};
  for (const auto& [name, fd, onTerminal] : targets) {
    for (const auto& [stream, found] : standardStreamsOn(fd)) {
      const bool redirectedIntoAString = std::string(stream) == "cerr into a string";
      EXPECT_EQ(found, onTerminal && !redirectedIntoAString) << stream << " on " << name;
    }
  }
  close(null);

#if defined(__GLIBCXX__)
  // The buffer that std::cout gets after std::ios::sync_with_stdio(false).
  __gnu_cxx::stdio_filebuf<char> unsynced(terminal.secondary(), std::ios::out);
  EXPECT_TRUE(meterline::isTerminal(std::ostream(&unsynced)));
#endif
}

using meterline::testing::tmuxAvailable;

// The non-blank lines of the screen once the bar program has finished.
std::vector<std::string> screenAfterBar(const std::string& mode) {
  return meterline::testing::screenAfter(METERLINE_TMUX_BAR " " + mode, "meterline-bar-done");
}

TEST(LiveBarOnATerminal, RedrawsInPlaceAtTheTerminalsWidthAndEndsOnItsOwnLine) {
  if (!tmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
  const std::vector<std::string> lines = screenAfterBar("newline");
  // One bar line: every drawing overwrote the one before. It is 60 wide, the window's width,
  // not the style's 50.
  EXPECT_EQ(lines, (std::vector<std::string>{"meterline live bar", "[" + std::string(53, '=') + "] 100%"}));
}

// Lines printed above a bar walking a range: the bar stays one line, below them, and a line
// printed once it is complete goes below the finished bar.
TEST(LiveBarOnATerminal, KeepsPrintedLinesAboveItself) {
  if (!tmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
  const std::vector<std::string> expected{"meterline live bar", "step 5", "step 15", "step 25",
                                          "step 35", "[" + std::string(53, '=') + "] 100%",
                                          "all done"};
  EXPECT_EQ(screenAfterBar("println"), expected);
}

TEST(LiveBarOnATerminal, ErasesItsLineOnCompletionWithClear) {
  if (!tmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
  EXPECT_EQ(screenAfterBar("clear"), std::vector<std::string>{"meterline live bar"});
}

}  // namespace
