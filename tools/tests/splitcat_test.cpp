// splitcat, the program itself, run as a child process with its standard streams on pipes, and
// its block cutter in-process.
//
// Every option on small inputs, checked against the text written out and against the pieces
// the library gives for the same input; the block cutter against the library over every policy
// and tiny blocks; inputs that span the program's read blocks; records and fields against cut
// and awk; the ends of inputs; JSON escapes; bad command lines; write errors; unreadable
// inputs; a reader that goes away; the progress bar in a log, on a terminal, beside the pieces
// and on every way out; and long lines and a gigabyte through a pipe in bounded memory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "meterline/version.hpp"
#include "split/split.hpp"
#include "stream_cutter.hpp"
#include "fp/testing/tmux_session.hpp"
#include "fp/testing/sanitized.hpp"

extern char** environ;

namespace {

using Pieces = std::vector<std::string>;

using fp::testing::kSanitized;

// A child that stops reading makes writes to it fail with EPIPE instead of ending the test.
[[maybe_unused]] const bool kPipeSignalIgnored = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;

// splitcat, started with `arguments`, its standard streams on pipes (standard input on
// `input` instead when that is given).
class Child {
 public:
  explicit Child(const std::vector<std::string>& arguments, int input = -1) {
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
      throw std::runtime_error("pipe: " + std::string(std::strerror(errno)));
    // The test ignores SIGPIPE (see below); splitcat starts with every signal as usual.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &pipeSignal);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input >= 0 ? input : in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<std::string> argv{SPLITCAT};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (std::string& a : argv) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    const int spawned = posix_spawn(&pid_, SPLITCAT, &actions, &attributes, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    for (const int fd : {in[0], out[1], err[1]}) close(fd);
    in_ = in[1];
    out_ = out[0];
    err_ = err[0];
    if (input >= 0) closeInput();
    if (spawned != 0) throw std::runtime_error("posix_spawn: " + std::string(std::strerror(spawned)));
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    for (const int fd : {in_, out_, err_})
      if (fd >= 0) close(fd);
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  int input() const { return in_; }
  int output() const { return out_; }
  int errors() const { return err_; }
  void closeInput() { closeFd(in_); }
  void closeOutput() { closeFd(out_); }

  // The exit status, or 128 + the number of the signal that ended the child.
  int wait() {
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  // The peak resident memory of the running program so far, in KiB, from the kernel's
  // accounting of its address space; 0 once it has ended. (The rusage of a finished child is
  // no use here: it counts the address space the child was started from, this test's own.)
  std::int64_t peakResidentKiB() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    for (std::string field; status >> field;) {
      if (field == "VmHWM:") {
        std::int64_t kib = 0;
        status >> kib;
        return kib;
      }
    }
    return 0;
  }

 private:
  static void closeFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
  }

  pid_t pid_ = -1;
  int in_ = -1, out_ = -1, err_ = -1;
};

struct Finished {
  int status;
  std::string out;
  std::string err;
};

// splitcat run to its end on `input`, everything it writes collected.
Finished run(const std::vector<std::string>& arguments, std::string_view input = {}) {
  Child child(arguments);
  std::string out, err;
  std::size_t sent = 0;
  // A write takes what the pipe has room for and no more, so that reading goes on meanwhile.
  fcntl(child.input(), F_SETFL, O_NONBLOCK);
  if (input.empty()) child.closeInput();
  bool outOpen = true, errOpen = true;
  char buffer[1 << 16];
  while (outOpen || errOpen) {
    std::vector<pollfd> fds;
    if (outOpen) fds.push_back({child.output(), POLLIN, 0});
    if (errOpen) fds.push_back({child.errors(), POLLIN, 0});
    if (child.input() >= 0) fds.push_back({child.input(), POLLOUT, 0});
    if (poll(fds.data(), fds.size(), -1) < 0) continue;
    for (const pollfd& p : fds) {
      if (p.revents == 0) continue;
      if (p.fd == child.input()) {
        const ssize_t n = write(p.fd, input.data() + sent, input.size() - sent);
        if (n > 0) sent += std::size_t(n);
        if ((n < 0 && errno != EAGAIN) || sent == input.size()) child.closeInput();
        continue;
      }
      const ssize_t n = read(p.fd, buffer, sizeof buffer);
      std::string& into = p.fd == child.output() ? out : err;
      if (n > 0) {
        into.append(buffer, std::size_t(n));
      } else {
        (p.fd == child.output() ? outOpen : errOpen) = false;
      }
    }
  }
  return {child.wait(), out, err};
}

// The pieces as splitcat writes them by default.
std::string asLines(const Pieces& pieces) {
  std::string out;
  for (const std::string& piece : pieces) out += piece + "\n";
  return out;
}

// A directory of files for one test, removed after it.
class Files {
 public:
  Files()
      : dir_(std::filesystem::temp_directory_path() /
             ("splitcat-test-" + std::to_string(getpid()) + "-" + std::to_string(count_++))) {
    std::filesystem::create_directories(dir_);
  }
  Files(const Files&) = delete;
  Files& operator=(const Files&) = delete;
  ~Files() { std::filesystem::remove_all(dir_); }

  std::string write(const std::string& name, std::string_view contents) const {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary).write(contents.data(), std::streamsize(contents.size()));
    return path;
  }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

 private:
  static inline int count_ = 0;
  std::filesystem::path dir_;
};

// Text of `size` bytes: lines of fields of random lengths, separated by ", ", with blank lines
// and stray commas among them.
std::string generatedText(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string text;
  text.reserve(size);
  const char* const pieces[] = {"alpha", "beta", ", ", ",", "\n", " ", "\n\n", "gamma delta"};
  while (text.size() < size) text += pieces[random() % std::size(pieces)];
  text.resize(size);
  return text;
}

// Options ----------------------------------------------------------------------------------------

struct OptionCase {
  std::vector<std::string> arguments;
  std::string input;
  std::string expected;                              // splitcat's output
  std::function<Pieces(std::string_view)> library;  // the same pieces from the library
};

TEST(Splitcat, WritesThePiecesTheLibraryCutsForEveryOption) {
  using split::dropDelims;
  using split::onSublist;
  using split::oneOf;
  const auto isNewline = [](char c) { return c == '\n'; };
  const auto isSpace = [](char c) { return std::strchr(" \t\n\v\f\r", c) != nullptr && c != '\0'; };
  const std::string csv = "a, b,, c\n,d, ";
  const std::vector<OptionCase> cases{
      {{"--on", ", "}, csv, "a\nb,\nc\n,d\n\n", [](auto t) -> Pieces { return split::splitOn(", ", t); }},
      {{"--on=, "}, csv, "a\nb,\nc\n,d\n\n", [](auto t) -> Pieces { return split::splitOn(", ", t); }},
      {{"--one-of", ",\n"}, csv, "a\n b\n\n c\n\nd\n \n",
       [](auto t) -> Pieces { return split::splitOneOf(",\n", t); }},
      {{"--lines"}, "one\n\ntwo\n", "one\n\ntwo\n",
       [=](auto t) -> Pieces { return split::linesBy(isNewline, t); }},
      {{}, "no newline at the end", "no newline at the end\n",
       [=](auto t) -> Pieces { return split::linesBy(isNewline, t); }},
      {{"--words"}, " to be\t\tor\nnot \r\n", "to\nbe\nor\nnot\n",
       [=](auto t) -> Pieces { return split::wordsBy(isSpace, t); }},
      {{"--chunks", "3"}, "abcdefgh", "abc\ndef\ngh\n", [](auto t) -> Pieces { return split::chunksOf(3, t); }},
      {{"--windows", "3:2"}, "abcdefg", "abc\ncde\nefg\n",
       [](auto t) -> Pieces { return split::divvy(3, 2, t); }},
      {{"--windows", "4:3"}, "abcdef", "abcd\n", [](auto t) -> Pieces { return split::divvy(4, 3, t); }},
      // Policies.
      {{"--on", ",", "--keep"}, "a,b,,c", "a\n,\nb\n,\n\n,\nc\n",
       [](auto t) -> Pieces { return split::split(onSublist(","), t); }},
      {{"--on", ",", "--keep-left"}, "a,b,,c", "a\n,b\n,\n,c\n",
       [](auto t) -> Pieces { return split::split(split::keepDelimsL(onSublist(",")), t); }},
      {{"--on", ",", "--keep-right"}, "a,b,,c", "a,\nb,\n,\nc\n",
       [](auto t) -> Pieces { return split::split(split::keepDelimsR(onSublist(",")), t); }},
      {{"--one-of", ",;", "--condense", "--keep"}, "a,;b,c", "a\n,;\nb\n,\nc\n",
       [](auto t) -> Pieces { return split::split(split::condense(oneOf(",;")), t); }},
      {{"--one-of", ",", "--drop-blanks"}, ",,a,,b,", "a\nb\n",
       [](auto t) -> Pieces { return split::split(split::dropBlanks(dropDelims(oneOf(","))), t); }},
      {{"--one-of", ",", "--drop-inner-blanks", "--keep"}, ",a,,b,", "\n,\na\n,\n,\nb\n,\n\n",
       [](auto t) -> Pieces { return split::split(split::dropInnerBlanks(oneOf(",")), t); }},
      {{"--words", "--keep"}, " a  b", " \na\n  \nb\n",
       [](auto t) -> Pieces {
         return split::split(split::dropBlanks(oneOf(" \t\n\v\f\r")), t);
       }},
      // The later of two options that decide the same policy wins.
      {{"--on", ",", "--keep-left", "--keep-right"}, "a,b", "a,\nb\n",
       [](auto t) -> Pieces { return split::split(split::keepDelimsR(onSublist(",")), t); }},
      {{"--on", ",", "--limit", "2"}, "a,b,c,d", "a\nb\nc,d\n",
       [](auto t) -> Pieces { return split::split(split::maxSplits(2, dropDelims(onSublist(","))), t); }},
      {{"--on", ",", "--limit", "0"}, "a,b", "a,b\n",
       [](auto t) -> Pieces { return split::split(split::maxSplits(0, dropDelims(onSublist(","))), t); }},
      {{"--one-of", ",", "--condense", "--limit", "1", "--keep"}, "a,,b,c", "a\n,,\nb,c\n",
       [](auto t) -> Pieces { return split::split(split::maxSplits(1, split::condense(oneOf(","))), t); }},
      {{"--lines", "--limit", "1"}, "x\ny\nz\n", "x\ny\nz\n\n",
       [=](auto t) -> Pieces {
         return split::split(split::maxSplits(1, split::dropFinalBlank(dropDelims(oneOf("\n")))), t);
       }},
      // Formats.
      {{"--on", ",", "-z"}, "a,b\nc", std::string("a\0b\nc\0", 6),
       [](auto t) -> Pieces { return split::splitOn(",", t); }},
      {{"--on", ",", "--null"}, ",", std::string("\0\0", 2), [](auto t) -> Pieces { return split::splitOn(",", t); }},
      {{"--json", "--on", ","}, "a,\"b\"", "[\"a\",\"\\\"b\\\"\"]\n", [](auto t) -> Pieces { return split::splitOn(",", t); }},
  };
  for (const OptionCase& c : cases) {
    std::string shown;
    for (const std::string& a : c.arguments) shown += " '" + a + "'";
    const Finished result = run(c.arguments, c.input);
    EXPECT_EQ(result.status, 0) << shown << ": " << result.err;
    EXPECT_EQ(result.err, "") << shown;
    EXPECT_EQ(result.out, c.expected) << shown;
    // The literal above is what the library gives, written out.
    const Pieces pieces = c.library(c.input);
    const auto isFormat = [&](const char* f) {
      return std::find(c.arguments.begin(), c.arguments.end(), f) != c.arguments.end();
    };
    if (isFormat("-z") || isFormat("--null")) {
      std::string nul;
      for (const std::string& piece : pieces) nul += piece + '\0';
      EXPECT_EQ(c.expected, nul) << shown;
    } else if (!isFormat("--json")) {
      EXPECT_EQ(c.expected, asLines(pieces)) << shown;
    }
  }
}

// splitcat run with `arguments` on `input`, which succeeds and writes `expected`.
struct Case {
  std::vector<std::string> arguments;
  std::string input;
  std::string expected;
};

template <std::size_t N>
void expectOutputs(const Case (&cases)[N]) {
  for (const Case& c : cases) {
    const Finished result = run(c.arguments, c.input);
    EXPECT_EQ(result.status, 0) << ::testing::PrintToString(c.arguments) << ": " << result.err;
    EXPECT_EQ(result.out, c.expected) << ::testing::PrintToString(c.arguments);
  }
}

// A line end (a zero byte with -z) that ends an input ends its last piece or record; an empty
// input has none; each input is split on its own, in every mode.
TEST(Splitcat, EndsEachInputWhereItEnds) {
  const Files files;
  const std::string a = files.write("a", "1,2\n3");  // no line end at the end
  const std::string b = files.write("b", "4,5\n");
  const std::string empty = files.write("empty", "");
  const Case cases[] = {
      {{"--one-of", ","}, "a,b\n", "a\nb\n"},
      {{"--one-of", ","}, "a,b", "a\nb\n"},
      {{"--one-of", ","}, "a,\n", "a\n\n"},
      {{"--one-of", ","}, "\n", "\n"},  // one empty line: one blank piece
      {{"--one-of", ","}, "", ""},
      {{"--on", ",", "--json"}, "a,b\n", "[\"a\",\"b\"]\n"},
      {{"--words", "--keep"}, "a b\n", "a\n \nb\n"},
      {{"--lines"}, "\n\n", "\n\n"},
      {{"--lines"}, "", ""},
      {{"--words"}, "", ""},
      {{"--chunks", "2"}, "abc\n", "ab\nc\n\n"},  // chunks and windows keep every byte
      {{"-z", "--one-of", ","}, std::string("a,b\0", 4), std::string("a\0b\0", 4)},
      {{"-z", "--one-of", ","}, "a,b\n", std::string("a\0b\n\0", 5)},
      {{"-z", "--lines"}, std::string("a\0\0b", 4), std::string("a\0\0b\0", 5)},
      {{"-d", ","}, "", ""},
      {{"-d", ",", "-f", "2"}, "a,b", "b\n"},
      {{"-d", ",", "-f", "2"}, "\n", "\n"},
      {{"--one-of", ",", a, "-", b, empty}, "x,y", "1\n2\n3\nx\ny\n4\n5\n"},
      {{"--chunks", "2", a, b}, "", "1,\n2\n\n3\n4,\n5\n\n"},
      {{"-d", ",", "-f", "1", a, b, empty}, "", "1\n3\n4\n"},
      {{"--json", "--one-of", ",", a, b}, "", "[\"1\",\"2\\n3\",\"4\",\"5\"]\n"},
  };
  expectOutputs(cases);
}

// The block cutter --------------------------------------------------------------------------

// Pieces put together again from the fragments a cutter hands on.
struct Collected {
  Pieces pieces;
  bool open = false;
  bool wellFormed = true;  // every fragment opens a piece or goes on with an open one

  void piece(std::string_view bytes, bool opens, bool closes) {
    wellFormed = wellFormed && opens != open;
    if (opens) pieces.emplace_back();
    if (pieces.empty()) return;
    pieces.back().append(bytes);
    open = !closes;
  }
};

// Every policy, limit and delimiter, over random texts fed in random stretches of a few bytes
// and cut holding a few bytes, against the library cutting the whole text; what the cutter
// keeps stays within what it was told to hold and the delimiter's reach.
TEST(StreamCutter, CutsAsTheWholeInputIsCut) {
  using split::CondensePolicy, split::DelimPolicy, split::EndPolicy;
  std::mt19937 random(17);
  const split::Splitter<char> delimiters[] = {split::oneOf<char>(",;"), split::onSublist<char>(","),
                                              split::onSublist<char>(",;"), split::onSublist<char>(",,"),
                                              split::onSublist<char>("a,a")};
  const std::optional<std::int64_t> limits[] = {std::nullopt, 0, 1, 2, 4};
  int failures = 0;
  for (const split::Splitter<char>& delimiter : delimiters) {
    const std::size_t length = std::size_t(delimiter.delimiter.predicates().length());
    for (int policies = 0; policies < 4 * 3 * 2 * 2; ++policies) {
      split::Splitter<char> s = delimiter;
      s.delimPolicy = DelimPolicy(policies % 4);
      s.condensePolicy = CondensePolicy(policies / 4 % 3);
      s.initBlankPolicy = EndPolicy(policies / 12 % 2);
      s.finalBlankPolicy = EndPolicy(policies / 24);
      for (const std::optional<std::int64_t> limit : limits) {
        for (int trial = 0; trial < 6; ++trial) {
          std::string text(random() % 48, ' ');
          for (char& c : text) c = "a,;,"[random() % 4];
          const Pieces expected = limit ? Pieces(split::split(split::maxSplits(*limit, s), std::string_view(text)))
                                        : Pieces(split::split(s, std::string_view(text)));
          const std::size_t hold = 1 + random() % 8;
          splitcat::StreamCutter cutter(s, limit);
          Collected got;
          std::string held;
          bool bounded = true;
          for (std::size_t at = 0;;) {
            const std::size_t n = std::min<std::size_t>(1 + random() % 5, text.size() - at);
            held.append(text, at, n);
            at += n;
            if (at == text.size()) {
              cutter.cut(held, true, hold, got);
              break;
            }
            held.erase(0, cutter.cut(held, false, hold, got));
            bounded = bounded && held.size() <= hold + 2 * length + 1;
          }
          if (got.pieces != expected || !got.wellFormed || got.open || !bounded) {
            ADD_FAILURE() << "'" << text << "' policies " << policies << " limit "
                          << (limit ? std::to_string(*limit) : "none") << " delimiter length " << length
                          << " hold " << hold << ": " << ::testing::PrintToString(got.pieces) << " instead of "
                          << ::testing::PrintToString(expected) << (bounded ? "" : ", holding too much");
            if (++failures == 5) return;
          }
        }
      }
    }
  }
}

// A piece whose end has been read is handed on at once: a line from a terminal is written
// before the next one is typed.
TEST(StreamCutter, HandsOnAPieceOnceItsEndIsRead) {
  splitcat::StreamCutter cutter(split::dropFinalBlank(split::dropDelims(split::oneOf<char>("\n"))), std::nullopt);
  Collected got;
  const std::string_view typed = "one line\n";
  EXPECT_EQ(cutter.cut(typed, false, 1 << 10, got), typed.size() - 1);
  EXPECT_EQ(got.pieces, Pieces{"one line"});
  EXPECT_FALSE(got.open);
}

// Across the program's read blocks -------------------------------------------------------------

// The text as stream mode splits it at delimiters: a last newline ends it.
std::string_view ended(std::string_view text) {
  return text.ends_with('\n') ? text.substr(0, text.size() - 1) : text;
}

// Pieces and delimiters that straddle the blocks the input is read in, from a file (whose
// reads fill whole blocks) and from a pipe (whose reads come as the writer's do), for every
// strategy, pieces far longer than a block among them, compared with the library splitting the
// whole text at once; and records, compared with cut.
TEST(Splitcat, PiecesAcrossReadBlocksAreWhole) {
  const Files files;
  const std::string text = generatedText(700'000, 7);
  const std::string path = files.write("text", text);
  const std::vector<std::pair<std::vector<std::string>, Pieces>> cases{
      {{"--on", ", "}, split::splitOn(", ", ended(text))},
      {{"--one-of", ",\n", "--keep-right", "--condense"},
       split::split(split::keepDelimsR(split::condense(split::oneOf(",\n"))), ended(text))},
      {{"--on", "gamma delta", "--keep-left"},
       split::split(split::keepDelimsL(split::onSublist("gamma delta")), ended(text))},
      {{"--on", "alpha, alpha, alpha, alpha"}, split::splitOn("alpha, alpha, alpha, alpha", ended(text))},
      {{"--lines"}, split::linesBy([](char c) { return c == '\n'; }, text)},
      {{"--chunks", "1000"}, split::chunksOf(1000, text)},
      {{"--chunks", "300000"}, split::chunksOf(300000, text)},
      {{"--windows", "70000:65536"}, split::divvy(70000, 65536, text)},
      {{"--windows", "1000:300000"}, split::divvy(1000, 300000, text)},
  };
  for (const auto& [arguments, pieces] : cases) {
    std::vector<std::string> fromFile = arguments;
    fromFile.push_back(path);
    const std::string expected = asLines(pieces);
    EXPECT_EQ(run(fromFile).out, expected) << arguments[0] << " from a file";
    EXPECT_EQ(run(arguments, text).out, expected) << arguments[0] << " from a pipe";
  }
  const std::string cut = fp::testing::runCommand("cut -d, -f2,4- " + path).output;
  EXPECT_EQ(run({"-d,", "-f2,4-", path}).out, cut) << "records from a file";
  EXPECT_EQ(run({"-d,", "-f2,4-"}, text).out, cut) << "records from a pipe";
}

// Records and fields -----------------------------------------------------------------------------

TEST(Splitcat, WritesTheChosenFieldsOfEachRecord) {
  const Case cases[] = {
      {{"-d,", "-f2"}, "a,b,c\n", "b\n"},
      {{"-d", ",", "-f", "3,1"}, "a,b,c\n", "a,c\n"},  // in the record's order, as cut writes them
      {{"-d,", "-f-2"}, "a,b,c\n", "a,b\n"},
      {{"-d,", "-f1-2,2,5-"}, "a,b,c,d,e,f\n", "a,b,e,f\n"},
      {{"-d,", "-f4"}, "a,b\n", "\n"},
      {{"-d,", "-f2"}, ",\n,,\n", "\n\n"},
      {{"--delimiter=, ", "-f1,3", "--output-delimiter", " | "}, "a, b, c\n", "a | c\n"},
      {{"--on", ", ", "--fields=1,3"}, "a, b, c\n", "a, c\n"},
      {{"--one-of", ",;", "-f", "1-"}, "a;b,c\n", "a,b,c\n"},  // joined by the set's first byte
      {{"--words", "-f", "2,3"}, "  to be  or\tnot\n", "be or\n"},
      {{"-f", "2"}, "a\tb\tc\n", "b\n"},  // tabs by default, as in cut
      {{"-d,", "-f2", "--limit", "1"}, "a,b,c\n", "b,c\n"},
      {{"-d,", "-f2", "--drop-blanks"}, ",,a,,b\n", "b\n"},
      {{"-d,", "--records", "--keep-right"}, "a,b\n", "a,,b\n"},
      {{"-d,", "-f2", "--output-delimiter="}, "a,b\n", "b\n"},
      {{"-d,", "--records", "--output-delimiter="}, "a,b\n", "ab\n"},
      {{"-d,", "-f2"}, "no delimiter\nx,y\n", "no delimiter\ny\n"},  // written whole, as in cut
      {{"-d,", "-f2", "-s"}, "no delimiter\nx,y\n\n", "y\n"},
      {{"-d,", "--json", "-f", "1,3"}, "a,b,c\nd\n\n", "[\"a\",\"c\"]\n[\"d\"]\n[\"\"]\n"},
      {{"-d,", "--json", "-f", "3"}, "a,b\n", "[]\n"},
      {{"-z", "-d,", "-f2"}, std::string("a,b\0c,d", 7), std::string("b\0d\0", 4)},
      {{"-z", "-d,", "-f2", "--json"}, std::string("a,b\nc\0", 6), "[\"b\\nc\"]\n"},
  };
  expectOutputs(cases);
}

// Generated CSV against cut and awk, byte for byte: empty fields, quoted text with commas
// inside, CRLF lines, lines without a comma (cut writes them whole), NUL-terminated records,
// runs of blanks between words, and several files, the first without a last newline.
TEST(Splitcat, CutsRecordsAsCutAndAwkDo) {
  const Files files;
  std::mt19937 random(23);
  const char* const fields[] = {"", "plain", "\"quoted, with a comma\"", "'single'", "  spaced  ",
                                "\"\"", "tab\there", "x\r"};
  // Lines of random fields separated by commas, at least `least` of them.
  const auto csv = [&](int lines, std::size_t least, std::string_view terminator) {
    std::string text;
    for (int i = 0; i < lines; ++i) {
      const std::size_t n = least + random() % 5;
      for (std::size_t f = 0; f < n; ++f) {
        if (f > 0) text += ',';
        text += fields[random() % std::size(fields)];
      }
      text += terminator == "\n" && random() % 4 == 0 ? "\r\n" : terminator;
    }
    return text;
  };
  std::string words;
  for (int i = 0; i < 300; ++i) {
    const std::size_t n = 2 + random() % 5;
    for (std::size_t w = 0; w < n; ++w) words += std::string(random() % 3, ' ') + (random() % 2 ? "\t" : " ") + "w" + std::to_string(random() % 100);
    words += std::string(random() % 3, ' ') + "\n";
  }
  const std::string first = files.write("first.csv", csv(300, 1, "\n") + "last,line,without,newline");
  const std::string second = files.write("second.csv", csv(300, 1, "\n"));
  const std::string commas = files.write("commas.csv", csv(500, 2, "\n"));
  const std::string ends = files.write("ends.csv", csv(100, 2, "\n") + "a,b,c");
  const std::string nul = files.write("nul.csv", csv(300, 1, std::string_view("\0", 1)));
  const std::string blanks = files.write("words.txt", words);
  const struct {
    std::string peer;
    std::vector<std::string> arguments;
  } cases[] = {
      {"cut -d, -f2 " + first + " " + second, {"-d,", "-f2", first, second}},
      {"cut -d, -f1,3- " + first + " " + second, {"-d,", "-f1,3-", first, second}},
      {"cut -d, -f-2 -s " + first, {"-d,", "-f-2", "-s", first}},
      {"cut -d, -f2,4 --output-delimiter=' | ' " + first, {"-d,", "-f2,4", "--output-delimiter", " | ", first}},
      {"cut -z -d, -f2 " + nul, {"-z", "-d,", "-f2", nul}},
      {"awk -F, '{print $2}' " + commas, {"-d,", "-f2", commas}},
      {"awk -F, '{print $3}' " + ends + " " + commas, {"-d,", "-f3", ends, commas}},
      {"awk '{print $2}' " + blanks, {"--words", "-f2", blanks}},
  };
  for (const auto& c : cases) {
    const auto peer = fp::testing::runCommand(c.peer);
    ASSERT_EQ(peer.status, 0) << c.peer;
    const Finished result = run(c.arguments);
    EXPECT_EQ(result.status, 0) << c.peer << ": " << result.err;
    EXPECT_EQ(result.out, peer.output) << c.peer;
  }
}

// JSON ------------------------------------------------------------------------------------------

TEST(Splitcat, WritesJsonStringsWithEveryByteAccountedFor) {
  const struct {
    std::string input;
    std::string expected;
  } cases[] = {
      {"plain", R"(["plain"])"},
      {"\"quoted\" back\\slash", R"(["\"quoted\" back\\slash"])"},
      {std::string("\b\f\n\r\t\x01\x1f\x7f", 8), "[\"\\b\\f\\n\\r\\t\\u0001\\u001f\x7f\"]"},
      {std::string("nul\0byte", 8), R"(["nul\u0000byte"])"},
      // Valid UTF-8 of two, three and four bytes passes unchanged.
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "[\"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80\"]"},
      {"\xed\x9f\xbf \xee\x80\x80 \xf4\x8f\xbf\xbf", "[\"\xed\x9f\xbf \xee\x80\x80 \xf4\x8f\xbf\xbf\"]"},
      // Each byte outside a valid sequence becomes \udcXX.
      {"\x80", R"(["\udc80"])"},
      {"a\xff" "b", R"(["a\udcffb"])"},
      {"\xc0\x80", R"(["\udcc0\udc80"])"},                  // overlong
      {"\xe0\x80\xaf", R"(["\udce0\udc80\udcaf"])"},        // overlong
      {"\xed\xa0\x80", R"(["\udced\udca0\udc80"])"},        // an encoded surrogate
      {"\xf4\x90\x80\x80", R"(["\udcf4\udc90\udc80\udc80"])"},  // beyond U+10FFFF
      {"\xf5\x80", R"(["\udcf5\udc80"])"},
      {"\xe2\x82" "x", R"(["\udce2\udc82x"])"},             // truncated, then a character
      {"\xe2\x82\xc3\xa9", "[\"\\udce2\\udc82\xc3\xa9\"]"},  // truncated, then a sequence
      {"end\xf0\x9f\x98", R"(["end\udcf0\udc9f\udc98"])"},  // truncated by the end
  };
  for (const auto& c : cases) {
    const Finished result = run({"--json", "--chunks", "100"}, c.input);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, c.expected + "\n") << c.input;
  }
  // Pieces become the array's strings; a character cut in two by --chunks becomes escapes.
  EXPECT_EQ(run({"--json", "--chunks", "1"}, "\xc3\xa9").out, "[\"\\udcc3\",\"\\udca9\"]\n");
  EXPECT_EQ(run({"--json", "--lines"}, "a\n\nb\n").out, "[\"a\",\"\",\"b\"]\n");
}

// The strings of one JSON array of strings as splitcat writes it, escapes undone (\udcXX read
// back as the byte XX); nothing if `json` is not exactly such an array.
std::optional<Pieces> parseJsonStrings(std::string_view json) {
  std::size_t at = 0;
  const auto next = [&](char c) { return at < json.size() && json[at] == c ? (++at, true) : false; };
  const auto hex = [&](std::size_t digits) -> std::optional<unsigned> {
    if (json.size() - at < digits) return std::nullopt;
    unsigned value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
      const char c = json[at++];
      const auto digit = std::string_view("0123456789abcdef").find(c);
      if (digit == std::string_view::npos) return std::nullopt;
      value = value * 16 + unsigned(digit);
    }
    return value;
  };
  Pieces strings;
  if (!next('[')) return std::nullopt;
  if (next(']')) return at == json.size() ? std::optional(strings) : std::nullopt;
  do {
    if (!next('"')) return std::nullopt;
    std::string s;
    for (;;) {
      if (at == json.size() || static_cast<unsigned char>(json[at]) < 0x20) return std::nullopt;
      const char c = json[at++];
      if (c == '"') break;
      if (c != '\\') {
        s += c;
        continue;
      }
      if (at == json.size()) return std::nullopt;
      const char e = json[at++];
      if (const auto plain = std::string_view("\"\\/bfnrt").find(e); plain != std::string_view::npos) {
        s += "\"\\/\b\f\n\r\t"[plain];
      } else if (e == 'u') {
        const std::optional<unsigned> code = hex(4);
        // Control characters, and the bytes that are no part of valid UTF-8.
        if (!code || !(*code < 0x20 || (*code >= 0xdc80 && *code <= 0xdcff))) return std::nullopt;
        s += char(*code & 0xff);
      } else {
        return std::nullopt;
      }
    }
    strings.push_back(std::move(s));
  } while (next(','));
  return next(']') && at == json.size() ? std::optional(strings) : std::nullopt;
}

// Random bytes come back exactly from the JSON strings, escapes undone.
TEST(Splitcat, JsonLosesNoByte) {
  const Files files;
  std::mt19937 random(5);
  std::string bytes(1 << 20, '\0');
  for (char& b : bytes) b = char(random());
  const Finished result = run({"--json", "--chunks", "1000", files.write("random", bytes)});
  EXPECT_EQ(result.status, 0);
  ASSERT_TRUE(result.out.ends_with("]\n"));
  EXPECT_EQ(parseJsonStrings(std::string_view(result.out).substr(0, result.out.size() - 1)),
            Pieces(split::chunksOf(1000, bytes)));
}

// In record mode each record is one JSON array, one per line (JSON Lines), whose strings are
// the fields chosen, whatever bytes they hold.
TEST(Splitcat, WritesRecordsAsJsonLines) {
  const Files files;
  std::mt19937 random(29);
  std::string text;
  std::vector<Pieces> records;
  for (int i = 0; i < 300; ++i) {
    Pieces& fields = records.emplace_back(1 + random() % 4);
    for (std::string& field : fields) {
      field.resize(random() % 12);
      for (char& c : field) {
        do c = char(random()); while (c == ',' || c == '\n');
      }
      if (&field != &fields.front()) text += ',';
      text += field;
    }
    text += '\n';
  }
  const std::string path = files.write("records", text);
  const auto check = [&](const std::vector<std::string>& arguments, auto chosen) {
    const Finished result = run(arguments);
    EXPECT_EQ(result.status, 0) << result.err;
    std::size_t record = 0;
    for (std::string_view line : split::endBy("\n", std::string_view(result.out))) {
      ASSERT_LT(record, records.size());
      EXPECT_EQ(parseJsonStrings(line), chosen(records[record++])) << line;
    }
    EXPECT_EQ(record, records.size());
  };
  check({"-d,", "--json", path}, [](const Pieces& fields) { return fields; });
  check({"-d,", "-f2", "--json", path}, [](const Pieces& fields) {
    return fields.size() < 2 ? fields : Pieces{fields[1]};
  });
}

// A character that a read block ends in the middle of is still one character.
TEST(Splitcat, JsonKeepsCharactersThatStraddleReadBlocks) {
  const Files files;
  std::string text;
  while (text.size() < 400'000) text += "\xe2\x82\xac\xf0\x9f\x98\x80\xc3\xa9 ";
  const Finished result = run({"--json", "--chunks", "1000000", files.write("euros", text)});
  EXPECT_EQ(result.out, "[\"" + text + "\"]\n");
}

// Command lines ---------------------------------------------------------------------------------

TEST(Splitcat, RefusesABadCommandLineWithStatusTwo) {
  const struct {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {{"--frobnicate"}, "unknown option '--frobnicate'"},
      {{"-x"}, "unknown option '-x'"},
      {{"--on"}, "--on needs an argument"},
      {{"--chunks", "0"}, "--chunks: expected a positive whole number, got '0'"},
      {{"--chunks", "-3"}, "--chunks: expected a positive whole number, got '-3'"},
      {{"--chunks", "12abc"}, "--chunks: expected a positive whole number, got '12abc'"},
      {{"--chunks", "99999999999999999999"}, "--chunks: 99999999999999999999 is too large"},
      {{"--windows", "3"}, "--windows: expected N:STEP"},
      {{"--windows", "3:0"}, "--windows: expected a positive whole number, got '0'"},
      {{"--windows", ":2"}, "--windows: expected a positive whole number, got ''"},
      {{"--limit", "x"}, "--limit: expected a whole number, got 'x'"},
      {{"--lines", "--words"}, "--words and --lines both choose how to split"},
      {{"--on", ""}, "--on: the delimiter is empty"},
      {{"--one-of="}, "--one-of: the delimiter is empty"},
      {{"-d", ""}, "-d: the delimiter is empty"},
      {{"-d"}, "-d needs an argument"},
      {{"-d,", "--on", ";"}, "--on and -d both choose how to split"},
      {{"-f", "0"}, "-f: fields are numbered from 1"},
      {{"-f", "3-1"}, "-f: the range '3-1' decreases"},
      {{"-f1,,2"}, "-f: expected a list of fields such as 2, 1,3 or 2-4,6-, got '1,,2'"},
      {{"--fields", "1-2-3"}, "--fields: expected a list of fields"},
      {{"-f", "x"}, "-f: expected a list of fields"},
      {{"-f2", "--chunks", "3"}, "--chunks does not go with -f: records are split at delimiters"},
      {{"--records", "--lines"}, "--lines does not go with --records"},
      {{"--max-record", "0"}, "--max-record: expected a positive whole number, got '0'"},
      {{"--max-record", "9T"}, "--max-record: expected a positive whole number, got '9T'"},
      {{"--max-record", "9999999999G"}, "--max-record: 9999999999G is too large"},
      {{"--windows", "100:1", "--max-record", "99"},
       "--windows: a window of 100 bytes is longer than --max-record (99 bytes)"},
      {{"--chunks", "2", "--keep"}, "--keep applies to --on, --one-of, --lines and --words, not to --chunks"},
      {{"--limit", "1", "--windows", "2:1"}, "--limit applies to --on, --one-of, --lines and --words, not to --windows"},
      {{"--lines=yes"}, "--lines takes no argument"},
      {{"--progress=fancy"}, "--progress: expected --progress or --progress=plain, got 'fancy'"},
  };
  for (const auto& c : cases) {
    const Finished result = run(c.arguments, "input\n");
    EXPECT_EQ(result.status, 2) << c.message;
    EXPECT_EQ(result.out, "") << c.message;
    EXPECT_NE(result.err.find("splitcat: " + c.message), std::string::npos) << result.err;
  }
}

TEST(Splitcat, PrintsHelpAndVersion) {
  for (const char* help : {"--help", "-h"}) {
    const Finished result = run({"--lines", help});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out.starts_with("Usage: splitcat [OPTION]... [FILE]...\n")) << result.out;
    for (const char* option : {"--windows N:STEP", "-d, --delimiter STR", "-f, --fields LIST",
                               "--output-delimiter STR", "-s, --only-delimited", "--max-record BYTES"})
      EXPECT_NE(result.out.find(option), std::string::npos) << option;
    // It fits a terminal of 80 columns.
    for (std::string_view line : split::endBy("\n", std::string_view(result.out)))
      EXPECT_LT(line.size(), 80u) << line;
  }
  const Finished version = run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "splitcat " + std::string(split::version()) + " (split " +
                             std::string(split::version()) + ", meterline " +
                             std::string(meterline::version()) + ", scan " +
                             std::string(split::scanPathName(split::scanPath())) + ")\n");
  // "--" ends the options: a file may be called "--lines".
  const Files files;
  files.write("--lines", "a b");
  const Finished dashed = run({"--words", "--", files.path("--lines")});
  EXPECT_EQ(dashed.out, "a\nb\n");
}

// FP_SPLIT_SCAN picks the scan path (the fastest the processor has up to the one named; the
// fastest for a name it does not know), and every path cuts the same pieces.
TEST(Splitcat, ScansByThePathItsEnvironmentNames) {
  struct Unset {
    ~Unset() { unsetenv("FP_SPLIT_SCAN"); }
  } unset;
  std::string text;
  for (int i = 0; text.size() < 300000; ++i)
    text += std::string(std::size_t(i % 13), 'x') + (i % 5 ? ", " : ",\n");
  const auto fastestUpTo = [](split::ScanPath path) {
    while (!split::scanPathAvailable(path)) path = split::ScanPath(int(path) - 1);
    return std::string(split::scanPathName(path));
  };
  const std::string expected = run({"--one-of", ","}, text).out;
  for (const auto& [name, path] : {std::pair("scalar", split::ScanPath::Scalar),
                                   std::pair("sse2", split::ScanPath::Sse2),
                                   std::pair("avx2", split::ScanPath::Avx2),
                                   std::pair("fastest", split::ScanPath::Avx2)}) {
    setenv("FP_SPLIT_SCAN", name, 1);
    EXPECT_NE(run({"--version"}).out.find(", scan " + fastestUpTo(path) + ")"), std::string::npos)
        << name;
    EXPECT_EQ(run({"--one-of", ","}, text).out, expected) << name;
    EXPECT_EQ(run({"--lines"}, text).out, run({"--one-of", "\n"}, text).out) << name;
  }
}

// Every write error ends splitcat with status 1 and a message, the help's included; a reader
// that goes away does not (below).
TEST(Splitcat, ReportsAWriteError) {
  for (const std::string arguments : {"--help", "--version", "--one-of , /dev/zero"}) {
    const auto result = fp::testing::runCommand(SPLITCAT " " + arguments + " 2>&1 >/dev/full");
    EXPECT_TRUE(WIFEXITED(result.status) && WEXITSTATUS(result.status) == 1) << arguments;
    EXPECT_EQ(result.output, "splitcat: write error: No space left on device\n") << arguments;
  }
}

// Inputs that cannot be read ---------------------------------------------------------------------

TEST(Splitcat, ReportsAnUnreadableInputAndReadsTheOthers) {
  const Files files;
  const std::string first = files.write("first", "a,b,");
  const std::string last = files.write("last", "c,d\n");
  const std::string missing = files.path("missing");
  const std::string directory = files.path("");
  const Finished result = run({"--one-of", ",\n", first, missing, directory, "-", last}, "x,");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "a\nb\n\nx\n\nc\nd\n");
  EXPECT_EQ(result.err, "splitcat: " + missing + ": No such file or directory\nsplitcat: " +
                            directory + ": Is a directory\n");
}

// A reader that goes away ----------------------------------------------------------------------

// Once the reader of its output has gone, splitcat stops at the next write, quietly and with
// status 0, whatever is left of its input.
TEST(Splitcat, EndsQuietlyWhenItsReaderGoesAway) {
  const Files files;
  const std::string text = generatedText(32 << 20, 3);
  const std::string path = files.write("long", text);
  Child child({"--lines", path});
  char first[64];
  ASSERT_GT(read(child.output(), first, sizeof first), 0);
  child.closeOutput();
  std::string err;
  char buffer[4096];
  for (ssize_t n; (n = read(child.errors(), buffer, sizeof buffer)) > 0;) err.append(buffer, std::size_t(n));
  EXPECT_EQ(child.wait(), 0);
  EXPECT_EQ(err, "");

  // And in a shell pipeline, `| head -1`.
  const auto piped = fp::testing::runCommand("bash -c 'set -o pipefail; " SPLITCAT
                                                    " --lines " + path + " | head -1' 2>&1");
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.output, text.substr(0, text.find('\n') + 1));
}

// The progress bar -------------------------------------------------------------------------------

// Whether `line` is a bar drawn across a terminal of 60 columns.
bool isBarLine(std::string_view line) {
  return line.starts_with("[") && line.find("% ") != std::string_view::npos && line.size() == 60;
}

// The contents of a file.
std::string contentsOf(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// Three records of 4 MB, each with a short first field: much to read, little to write.
std::string longRecords() {
  std::string text;
  for (const char* name : {"r1", "r2", "r3"}) text += name + ("," + std::string(4 << 20, 'x')) + "\n";
  return text;
}

// Off a terminal --progress shows nothing, and --progress=plain whole lines with no "\r" and no
// escape sequences: the first, the errors, the complete one. Neither writes into the pieces
// when standard output and standard error are one pipe.
TEST(Splitcat, ShowsProgressOffATerminalOnlyAsPlainLines) {
  const Files files;
  const std::string text = generatedText(1 << 20, 5);
  const std::string path = files.write("text", text);
  const std::string missing = files.path("missing");
  const std::string lines = asLines(split::linesBy([](char c) { return c == '\n'; }, text));

  const Finished quiet = run({"--progress", "--lines", path});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_TRUE(quiet.out == lines) << "the lines differ";
  EXPECT_EQ(quiet.err, "");

  const Finished plain = run({"--progress=plain", "--lines", path, missing});
  EXPECT_EQ(plain.status, 1);
  EXPECT_TRUE(plain.out == lines) << "the lines differ";
  EXPECT_EQ(plain.err.find_first_of("\r\x1b"), std::string::npos) << plain.err;
  const std::vector<std::string_view> logged = split::endBy("\n", std::string_view(plain.err));
  ASSERT_EQ(logged.size(), 3u) << plain.err;
  EXPECT_TRUE(logged[0].starts_with("[.") && logged[0].find("]   0% ") != std::string::npos) << plain.err;
  EXPECT_EQ(logged[1], "splitcat: " + missing + ": No such file or directory");
  EXPECT_TRUE(logged[2].starts_with("[" + std::string(20, '='))) << plain.err;
  EXPECT_NE(logged[2].find("] 100% "), std::string::npos) << plain.err;

  // Read from a pipe, the size is not known: the bytes read and the rate, no percentage.
  const Finished piped = run({"--progress=plain", "--lines"}, "a\nb\n");
  EXPECT_EQ(piped.out, "a\nb\n");
  EXPECT_TRUE(piped.err.starts_with("0 B read, ")) << piped.err;
  EXPECT_NE(piped.err.find("\n4 B read, "), std::string::npos) << piped.err;
  EXPECT_TRUE(piped.err.ends_with("\n")) << piped.err;

  const auto shared = fp::testing::runCommand(SPLITCAT " --progress=plain --lines " + path + " 2>&1");
  EXPECT_EQ(shared.status, 0);
  EXPECT_TRUE(shared.output == lines) << "the output is not the lines alone";
}

// On a terminal: one bar line at the end, complete, below the report of an unreadable input.
TEST(Splitcat, KeepsOneBarLineOnATerminal) {
  if (!fp::testing::tmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
  const Files files;
  files.write("text", generatedText(12 << 20, 9));
  const auto lines = fp::testing::screenAfter(
      "cd " + files.path("") + " && " SPLITCAT " --progress --one-of , text missing text"
      " >/dev/null; printf \"\\033]2;splitcat-done\\007\"; sleep 120",
      "splitcat-done");
  ASSERT_EQ(lines.size(), 2u) << ::testing::PrintToString(lines);
  EXPECT_EQ(lines[0], "splitcat: missing: No such file or directory");
  // As wide as the terminal: the bar fills what the labels leave of 60 columns.
  const std::string& bar = lines[1];
  const std::size_t close = bar.find(']');
  ASSERT_NE(close, std::string::npos) << bar;
  EXPECT_EQ(bar.substr(0, close + 1), "[" + std::string(close - 1, '=') + "]") << bar;
  EXPECT_TRUE(bar.substr(close).starts_with("] 100% ")) << bar;
  EXPECT_TRUE(isBarLine(bar)) << bar;
}

// With standard output on the same terminal, a bar would break into the pieces: the screen
// shows the pieces alone. With standard error in a file, the file holds no control
// characters: the errors, and with =plain the plain lines.
TEST(Splitcat, KeepsItsBarOutOfThePiecesAndItsControlsOutOfLogs) {
  if (!fp::testing::tmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
  const Files files;
  files.write("records", longRecords());
  const std::string records = SPLITCAT " -d, -f1 records";
  fp::testing::TmuxSession session(
      "cd " + files.path("") + " && " + records + " --progress; " + records + " --progress=plain; " +
          records + " missing --progress=plain 2>plain.log; " + records +
          " missing --progress 2>quiet.log; printf \"\\033]2;splitcat-done\\007\"; sleep 120",
      60, 14);
  ASSERT_TRUE(session.waitForTitle("splitcat-done"));
  const std::vector<std::string> pieces{"r1", "r2", "r3"};
  std::vector<std::string> expected;
  for (int run = 0; run < 4; ++run) expected.insert(expected.end(), pieces.begin(), pieces.end());
  EXPECT_EQ(session.screen(), expected);

  const std::string message = "splitcat: missing: No such file or directory\n";
  EXPECT_EQ(contentsOf(files.path("quiet.log")), message);
  const std::string plain = contentsOf(files.path("plain.log"));
  const auto isControl = [](char c) { return c != '\n' && std::iscntrl(static_cast<unsigned char>(c)); };
  EXPECT_EQ(std::count_if(plain.begin(), plain.end(), isControl), 0) << plain;
  EXPECT_NE(plain.find("\n" + message), std::string::npos) << plain;
  ASSERT_TRUE(plain.ends_with("\n")) << plain;
  const std::string last = plain.substr(plain.rfind('\n', plain.size() - 2) + 1);
  EXPECT_TRUE(last.starts_with("[") && last.find("] 100% ") != std::string::npos) << plain;
}

// However splitcat stops, the bar's line ends as last drawn, and what follows it (a message,
// the shell's next output) starts on a line of its own.
TEST(Splitcat, EndsItsBarLineOnEveryWayOut) {
  if (!fp::testing::tmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
  const Files files;
  files.write("text", generatedText(12 << 20, 9));  // more than a pipe holds
  // Read into one window, the sparse zeros need a buffer of 64 MiB, which a limit of 64 MiB on
  // the address space refuses.
  std::ofstream(files.path("zeros"));
  std::filesystem::resize_file(files.path("zeros"), 100 << 20);
  const struct {
    const char* what;
    std::string command;
    std::vector<std::string> after;
  } cases[] = {
      {"a write error", SPLITCAT " --progress --lines text >/dev/full",
       {"splitcat: write error: No space left on device"}},
      {"a reader gone", SPLITCAT " --progress --lines text | true", {}},
      {"an exception",
       "(ulimit -v 65536; " SPLITCAT " --progress --windows 80000000:1 --max-record 1G zeros >/dev/null)",
       {"splitcat: std::bad_alloc"}},
  };
  for (const auto& c : cases) {
    if (kSanitized && c.command.starts_with("(ulimit"))
      continue;  // the sanitizers reserve far more address space than the limit
    std::vector<std::string> expected = c.after;
    expected.push_back("next");
    auto lines = fp::testing::screenAfter(
        "cd " + files.path("") + " && " + c.command +
            "; echo next; printf \"\\033]2;splitcat-done\\007\"; sleep 120",
        "splitcat-done");
    ASSERT_FALSE(lines.empty()) << c.what;
    EXPECT_TRUE(isBarLine(lines.front())) << c.what << ": " << lines.front();
    lines.erase(lines.begin());
    EXPECT_EQ(lines, expected) << c.what;
  }
}

// The manual -------------------------------------------------------------------------------------

// Every `$ command` of the manual's sh blocks, run by bash with this splitcat first on the PATH,
// writes exactly the lines that follow it there.
TEST(Splitcat, DoesWhatItsManualShows) {
  std::ifstream file(SPLITCAT_MANUAL);
  ASSERT_TRUE(file) << SPLITCAT_MANUAL;
  const std::string manual(std::istreambuf_iterator<char>(file), {});
  const Files files;
  const std::string path = std::filesystem::path(SPLITCAT).parent_path().string();
  std::string command, expected;
  int examples = 0;
  const auto check = [&] {
    if (command.empty()) return;
    const std::string script = files.write("example.sh", "PATH=" + path + ":$PATH\nset -o pipefail\n" + command + "\n");
    const auto result = fp::testing::runCommand("bash " + script + " 2>&1");
    EXPECT_EQ(result.status, 0) << command;
    EXPECT_EQ(result.output, expected) << command;
    ++examples;
    command.clear();
    expected.clear();
  };
  bool inExample = false;
  for (const std::string_view line : split::endBy("\n", std::string_view(manual))) {
    if (!inExample) {
      inExample = line == "```sh";
    } else if (line == "```") {
      check();
      inExample = false;
    } else if (line.starts_with("$ ")) {
      check();
      command = line.substr(2);
    } else {
      expected += std::string(line) + "\n";
    }
  }
  EXPECT_GT(examples, 0) << "no example found";
}

// Long lines and a gigabyte ---------------------------------------------------------------------

// Where fields are chosen, a record is held whole up to --max-record: a longer one is reported
// and ends its input, and the other inputs are read. Where every field is written, the same
// record streams through.
TEST(Splitcat, RefusesARecordLongerThanItMayHold) {
  const Files files;
  const std::string text = "a,1\n" + std::string(3 << 20, 'y') + ",2\nb,3\n";
  const std::string first = files.write("first", text);
  const std::string second = files.write("second", "c,4\n");
  const Finished chosen = run({"-d,", "-f2", "--max-record", "1M", first, second});
  EXPECT_EQ(chosen.status, 1);
  EXPECT_EQ(chosen.out, "1\n4\n");
  EXPECT_EQ(chosen.err, "splitcat: " + first + ": a record is longer than 1048576 bytes (see --max-record)\n");
  const Finished all = run({"-d,", "--records", "--max-record", "1M", first});
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_TRUE(all.out == text) << "the records differ";
  const Finished json = run({"-d,", "--records", "--json", "--max-record", "1M", first});
  EXPECT_EQ(json.status, 0) << json.err;
  const std::vector<std::string_view> lines = split::endBy("\n", std::string_view(json.out));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(parseJsonStrings(lines[1]), Pieces({std::string(3 << 20, 'y'), "2"}));
}

// Lines of 0 to 120 letters and spaces, `size` bytes in all, the last one ended by a newline.
std::string logLines(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string text;
  text.reserve(size);
  while (text.size() < size) {
    const std::size_t length = random() % 121;
    for (std::size_t i = 0; i < length; ++i) text += "abcdefghij klmnopqrstuvwxyz"[random() % 27];
    text += '\n';
  }
  text.resize(size);
  text.back() = '\n';
  return text;
}

struct Streamed {
  int status;
  bool same;  // the output was as expected
  std::int64_t peakKiB;
  double megabytesPerSecond;
};

// splitcat given `repeats` copies of `pattern` on its standard input, as fast as it reads them,
// its output compared with as many copies of `pattern` followed by `tail`, and its peak resident
// memory watched meanwhile.
Streamed streamThrough(const std::vector<std::string>& arguments, const std::string& pattern,
                       std::int64_t repeats, std::string_view tail) {
  const auto start = std::chrono::steady_clock::now();
  Child child(arguments);
  std::thread writer([&] {
    for (std::int64_t i = 0; i < repeats; ++i) {
      std::string_view left = pattern;
      while (!left.empty()) {
        const ssize_t n = write(child.input(), left.data(), left.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        left.remove_prefix(std::size_t(n));
      }
    }
    child.closeInput();
  });
  const std::int64_t body = repeats * std::int64_t(pattern.size());
  std::int64_t received = 0;
  std::int64_t peakKiB = 0;
  bool same = true;
  std::vector<char> buffer(1 << 20);
  for (ssize_t n; (n = read(child.output(), buffer.data(), buffer.size())) > 0;) {
    for (std::size_t at = 0; at < std::size_t(n);) {
      if (received >= body) {
        const std::size_t length = std::min(std::size_t(n) - at, tail.size() - std::min<std::size_t>(tail.size(), std::size_t(received - body)));
        same = same && length > 0 && std::memcmp(buffer.data() + at, tail.data() + (received - body), length) == 0;
        if (length == 0) break;
        at += length;
        received += std::int64_t(length);
        continue;
      }
      const std::size_t offset = std::size_t(received % std::int64_t(pattern.size()));
      const std::size_t length = std::min(std::size_t(n) - at, pattern.size() - offset);
      same = same && std::memcmp(buffer.data() + at, pattern.data() + offset, length) == 0;
      at += length;
      received += std::int64_t(length);
    }
    peakKiB = std::max(peakKiB, child.peakResidentKiB());
  }
  writer.join();
  const int status = child.wait();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  same = same && received == body + std::int64_t(tail.size());
  return {status, same, peakKiB, double(body) / 1e6 / seconds};
}

void expectBounded(const Streamed& result, const char* what) {
  EXPECT_EQ(result.status, 0) << what;
  EXPECT_TRUE(result.same) << what << ": the output differs from the input";
  EXPECT_GT(result.peakKiB, 0) << what << ": no measure of the resident memory";
  EXPECT_LT(result.peakKiB, 64 << 10) << what << ": peak resident memory, KiB";
  std::printf("%s: %.0f MB/s, peak resident memory %.1f MiB\n", what, result.megabytesPerSecond,
              double(result.peakKiB) / 1024);
}

// A line of 500 MB, with no delimiter in it, streams through in stream mode; a record of 200 MB
// with every field written streams through in record mode.
TEST(Splitcat, StreamsALongLineInBoundedMemory) {
  if (kSanitized) GTEST_SKIP() << "hundreds of megabytes under the sanitizers are too slow, and they inflate memory";
  const std::string line((1 << 20) + 4099, 'x');
  expectBounded(streamThrough({"--one-of", ","}, line, 500, "\n"), "a 500 MB piece");
  std::string fields = line;
  for (std::size_t at = 0; at < fields.size(); at += 10'007) fields[at] = ',';
  expectBounded(streamThrough({"-d,", "--records"}, fields, 200, "\n"), "a 200 MB record");
}

// A gigabyte of lines written into splitcat's standard input and read back from its output,
// which for --lines is the input itself, while its peak resident memory stays small.
TEST(Splitcat, SplitsAGigabyteThroughAPipeInBoundedMemory) {
  if (kSanitized) GTEST_SKIP() << "a gigabyte under the sanitizers is too slow, and they inflate memory";
  // One pattern repeated: its length is no multiple of any block size, so the lines fall
  // across block ends everywhere.
  const std::string pattern = logLines((1 << 20) + 4099, 11);
  const Streamed result = streamThrough({"--lines"}, pattern, 1024, "");
  expectBounded(result, "a gigabyte of lines");
  RecordProperty("peak_resident_kib", std::to_string(result.peakKiB));
  RecordProperty("megabytes_per_second", std::to_string(result.megabytesPerSecond));
}

}  // namespace
