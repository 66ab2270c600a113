// Terminals: which streams isTerminal finds on one (a pseudo-terminal stands in), and a live
// bar on a real terminal: a small program keeps a bar on the terminal of a detached tmux
// session of a known size, and the test reads the screen back.
#include "meterline/terminal.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#if defined(__GLIBCXX__)
#include <ext/stdio_filebuf.h>
#endif

#include "descriptors.hpp"

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

bool tmuxAvailable() { return std::system("command -v tmux >/dev/null 2>&1") == 0; }

struct CommandResult {
  int status;
  std::string output;
};

CommandResult run(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {-1, ""};
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  return {pclose(pipe), output};
}

// A tmux server of this test's own, on a socket named after the process, with no user
// configuration; killed, with everything it runs, when it goes out of scope.
class TmuxServer {
 public:
  TmuxServer() {
    static int servers = 0;
    socket_ = "meterline-test-" + std::to_string(getpid()) + "-" + std::to_string(servers++);
  }
  TmuxServer(const TmuxServer&) = delete;
  TmuxServer& operator=(const TmuxServer&) = delete;
  ~TmuxServer() { run(command("kill-server") + " 2>/dev/null"); }

  std::string command(const std::string& arguments) const {
    return "env -u TMUX tmux -L " + socket_ + " -f /dev/null " + arguments;
  }

 private:
  std::string socket_;
};

// The non-blank lines of the screen once the bar program has finished, in a 60 by 8 window.
std::vector<std::string> screenAfterBar(const std::string& mode) {
  const TmuxServer server;
  const auto started = run(server.command("new-session -d -s bar -x 60 -y 8 '" METERLINE_TMUX_BAR " " +
                                          mode + "'"));
  EXPECT_EQ(started.status, 0) << started.output;
  if (started.status != 0) return {};

  // The program sets the pane's title once its last drawing is out; tmux reads the terminal in
  // order, so by then the screen shows everything. A generous limit for a loaded machine.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  for (;;) {
    const auto title = run(server.command("display-message -p -t bar '#{pane_title}'"));
    if (title.status != 0) {
      ADD_FAILURE() << "the session ended before the bar finished: " << title.output;
      return {};
    }
    if (title.output == "meterline-bar-done\n") break;
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "the bar did not finish in time";
      return {};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }

  std::istringstream screen(run(server.command("capture-pane -p -t bar")).output);
  std::vector<std::string> lines;
  for (std::string line; std::getline(screen, line);) {
    if (line.find_first_not_of(' ') != std::string::npos) lines.push_back(line);
  }
  return lines;
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
