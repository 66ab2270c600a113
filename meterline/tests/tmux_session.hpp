// A program run on a real terminal, the pane of a detached tmux session of a known size, and
// the screen it leaves read back: for the tests that watch a live bar being redrawn in place.
//
//   if (!meterline::testing::tmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
//   const auto lines = meterline::testing::screenAfter(
//       "my_program; printf \"\\033]2;done\\007\"; sleep 120", "done");
//
// The command runs under sh in a 60 by 8 window. It must set the pane's title to `doneTitle`
// once its output is complete and then stay alive (the screen goes with the session); tmux
// reads the terminal in order, so once the title is set the screen shows everything before it.
// The command is written between single quotes, so it must contain none.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace meterline::testing {

inline bool tmuxAvailable() { return std::system("command -v tmux >/dev/null 2>&1") == 0; }

struct CommandResult {
  int status;
  std::string output;
};

inline CommandResult runCommand(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {-1, ""};
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  return {pclose(pipe), output};
}

// A tmux server of the test's own, on a socket named after the process, with no user
// configuration; killed, with everything it runs, when it goes out of scope.
class TmuxServer {
 public:
  TmuxServer() {
    static int servers = 0;
    socket_ = "meterline-test-" + std::to_string(getpid()) + "-" + std::to_string(servers++);
  }
  TmuxServer(const TmuxServer&) = delete;
  TmuxServer& operator=(const TmuxServer&) = delete;
  ~TmuxServer() { runCommand(command("kill-server") + " 2>/dev/null"); }

  std::string command(const std::string& arguments) const {
    return "env -u TMUX tmux -L " + socket_ + " -f /dev/null " + arguments;
  }

 private:
  std::string socket_;
};

// The non-blank lines of the screen once `command` has set the pane's title to `doneTitle`.
// Failures are reported to the test, with no lines.
inline std::vector<std::string> screenAfter(const std::string& command, const std::string& doneTitle) {
  const TmuxServer server;
  const auto started = runCommand(server.command("new-session -d -s bar -x 60 -y 8 '" + command + "'"));
  EXPECT_EQ(started.status, 0) << started.output;
  if (started.status != 0) return {};

  // A generous limit for a loaded machine.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  for (;;) {
    const auto title = runCommand(server.command("display-message -p -t bar '#{pane_title}'"));
    if (title.status != 0) {
      ADD_FAILURE() << "the session ended before the program finished: " << title.output;
      return {};
    }
    if (title.output == doneTitle + "\n") break;
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "the program did not finish in time";
      return {};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }

  std::istringstream screen(runCommand(server.command("capture-pane -p -t bar")).output);
  std::vector<std::string> lines;
  for (std::string line; std::getline(screen, line);) {
    if (line.find_first_not_of(' ') != std::string::npos) lines.push_back(line);
  }
  return lines;
}

}  // namespace meterline::testing
