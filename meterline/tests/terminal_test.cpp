// Terminals: which streams isTerminal finds on one (a pseudo-terminal stands in), and a live
// bar on a real terminal: a small program keeps a bar on the terminal of a detached tmux
// session of a known size, and the test reads the screen back.
#include "meterline/terminal.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#if defined(__GLIBCXX__)
#include <ext/stdio_filebuf.h>
#endif

#include "descriptors.hpp"
#include "meterline/columns.hpp"
#include "meterline/text.hpp"
#include "fp/testing/tmux_session.hpp"

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

using fp::testing::tmuxAvailable;

// The non-blank lines of the screen once the bar program has finished.
std::vector<std::string> screenAfterBar(const std::string& mode) {
  return fp::testing::screenAfter(METERLINE_TMUX_BAR " " + mode, "meterline-bar-done");
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

// Bars with options, in a window 80 columns wide unless said otherwise.

using fp::testing::TmuxSession;

std::int64_t columnsOf(const std::string& line) { return meterline::columns(meterline::Text(line)); }

// A full bar of the default style with this prefix, `width` columns wide.
std::string fullBar(const std::string& prefix, std::int64_t width) {
  const std::int64_t room = width - (prefix.empty() ? 0 : columnsOf(prefix) + 1) - 2 - 5;
  return (prefix.empty() ? "" : prefix + " ") + "[" + std::string(std::size_t(room), '=') + "] 100%";
}

TEST(BarWithOptionsOnATerminal, FillsTheLineToTheLastColumnWithWideCharacters) {
  if (!tmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
  const auto lines = fp::testing::screenAfter(METERLINE_TMUX_BAR " wide", "meterline-bar-done", 80);
  ASSERT_EQ(lines.size(), 2u) << testing::PrintToString(lines);
  EXPECT_EQ(lines[1], fullBar("日本語", 80));
  EXPECT_EQ(columnsOf(lines[1]), 80);
}

TEST(BarWithOptionsOnATerminal, FollowsTheWindowAsItNarrows) {
  if (!tmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
  TmuxSession session(METERLINE_TMUX_BAR " resize", 100);
  ASSERT_TRUE(session.waitForTitle("meterline-bar-ready"));
  session.tmux("resize-window -t bar -x 60 -y 8");
  ASSERT_TRUE(session.waitForTitle("meterline-bar-done"));
  // One bar line: what the terminal wrapped of the 100-column line when the window narrowed
  // was erased by the next drawing, which was 60 columns wide. (Narrowing, tmux moves the
  // heading into its history.)
  std::vector<std::string> lines = session.screen();
  std::erase(lines, "meterline live bar");
  EXPECT_EQ(lines, std::vector<std::string>{fullBar("", 60)});
}

TEST(BarWithOptionsOnATerminal, EndsItsLineWhenAnExceptionLeavesAWithProgressLoop) {
  if (!tmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
  const auto lines = screenAfterBar("throw");
  ASSERT_EQ(lines.size(), 3u) << testing::PrintToString(lines);
  // The bar as last drawn, part of the way, whole; the next output on a line of its own.
  EXPECT_TRUE(lines[1].starts_with("[=") && lines[1].ends_with("%") && !lines[1].ends_with("100%"))
      << lines[1];
  EXPECT_EQ(columnsOf(lines[1]), 60) << lines[1];
  EXPECT_EQ(lines[2], "after the exception");
}

TEST(BarWithOptionsOnATerminal, DrawsAGroupUpdatedFromThreadsAsOneBlockBelowItsPrintedLines) {
  if (!tmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
  TmuxSession session(METERLINE_TMUX_BAR " group", 80, 12);
  ASSERT_TRUE(session.waitForTitle("meterline-bar-done"));
  const std::vector<std::string> lines = session.screen();
  ASSERT_EQ(lines.size(), 8u) << testing::PrintToString(lines);
  EXPECT_EQ(lines[0], "meterline live bar");
  // The lines printed halfway, in the order the threads got there, above the block; the
  // third's two lines together.
  const std::multiset<std::string> printed(lines.begin() + 1, lines.begin() + 5);
  EXPECT_EQ(printed, (std::multiset<std::string>{"one halfway", "two halfway", "three halfway", "  (two lines)"}));
  const auto third = std::find(lines.begin(), lines.end(), "three halfway");
  EXPECT_TRUE(third + 1 != lines.end() && third[1] == "  (two lines)");
  EXPECT_EQ(std::vector(lines.begin() + 5, lines.end()),
            (std::vector<std::string>{fullBar("  one", 80), fullBar("  two", 80), fullBar("three", 80)}));
}

#ifdef METERLINE_TOUR
// The README's demo with its report sent to a file: the bar, on standard error, is the
// terminal's width, and every drawing overwrote the one before.
TEST(BarWithOptionsOnATerminal, LeavesOneLineOfTheToursBarWhenItsReportGoesToAFile) {
  if (!tmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
  const auto lines = fp::testing::screenAfter(
      METERLINE_TOUR " > /dev/null; printf \"\\033]2;tour-done\\007\"; sleep 120", "tour-done", 80);
  ASSERT_EQ(lines.size(), 1u) << testing::PrintToString(lines);
  EXPECT_TRUE(lines[0].starts_with("parsing [====")) << lines[0];
  EXPECT_NE(lines[0].find(" 100% "), std::string::npos) << lines[0];
  EXPECT_EQ(columnsOf(lines[0]), 80) << lines[0];
}
#endif

}  // namespace
