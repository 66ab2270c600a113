// A program run on a real terminal, the pane of a detached tmux session of a known size, and
// the screen it leaves read back: for the tests that watch a live bar being redrawn in place.
//
//   if (!fp::testing::tmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
//   const auto lines = fp::testing::screenAfter(
//       "my_program; printf \"\\033]2;done\\007\"; sleep 120", "done");
//
// The command runs under sh in a window 60 columns wide (or as asked) and 8 lines high. It
// must set the pane's title to `doneTitle` once its output is complete and then stay alive
// (the screen goes with the session); tmux reads the terminal in order, so once the title is
// set the screen shows everything before it. A `TmuxSession` also waits for titles set on the
// way, to act on the window meanwhile (resize it). The command is written between single
// quotes, so it must contain none.
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

namespace fp::testing {

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

// A command running in the window of a detached tmux session of a known size, and what it
// shows there.
class TmuxSession {
 public:
  TmuxSession(const std::string& command, int width, int height = 8) {
    const auto started = runCommand(server_.command("new-session -d -s bar -x " + std::to_string(width) +
                                                    " -y " + std::to_string(height) + " '" + command + "'"));
    EXPECT_EQ(started.status, 0) << started.output;
    started_ = started.status == 0;
  }

  // Waits until the command sets the pane's title to `title`; false, and a failure reported
  // to the test, when it does not in time.
  bool waitForTitle(const std::string& title) {
    if (!started_) return false;
    // A generous limit for a loaded machine.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    for (;;) {
      const auto shown = runCommand(server_.command("display-message -p -t bar '#{pane_title}'"));
      if (shown.status != 0) {
        ADD_FAILURE() << "the session ended before the program set its title: " << shown.output;
        return false;
      }
      if (shown.output == title + "\n") return true;
      if (std::chrono::steady_clock::now() > deadline) {
        ADD_FAILURE() << "the program did not set the title " << title << " in time";
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }

  // Runs a tmux command on the session's server ("resize-window -t bar -x 60").
  void tmux(const std::string& arguments) {
    const auto result = runCommand(server_.command(arguments));
    EXPECT_EQ(result.status, 0) << arguments << ": " << result.output;
  }

  // The non-blank lines of the screen, with their trailing blanks removed.
  std::vector<std::string> screen() const {
    std::istringstream shown(runCommand(server_.command("capture-pane -p -t bar")).output);
    std::vector<std::string> lines;
    for (std::string line; std::getline(shown, line);) {
      const std::size_t end = line.find_last_not_of(' ');
      if (end != std::string::npos) lines.push_back(line.substr(0, end + 1));
    }
    return lines;
  }

 private:
  TmuxServer server_;
  bool started_ = false;
};

// The non-blank lines of the screen once `command` has set the pane's title to `doneTitle`.
// Failures are reported to the test, with no lines.
inline std::vector<std::string> screenAfter(const std::string& command, const std::string& doneTitle,
                                            int width = 60) {
  TmuxSession session(command, width);
  if (!session.waitForTitle(doneTitle)) return {};
  return session.screen();
}

}  // namespace fp::testing
