// A live bar on a real terminal: a small program keeps a bar on the terminal of a detached
// tmux session of a known size, and the test reads the screen back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

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

TEST(LiveBarOnATerminal, ErasesItsLineOnCompletionWithClear) {
  if (!tmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
  EXPECT_EQ(screenAfterBar("clear"), std::vector<std::string>{"meterline live bar"});
}

}  // namespace
