// splitcat: split files or standard input into pieces with the split library, on demand.
//
//   splitcat --on ', ' data.csv            # the fields, one per line
//   splitcat --words --json < notes.txt    # the words as a JSON array of strings
//   splitcat --lines --limit 0 -z a b      # a and b, joined, as one NUL-terminated piece
//
// The inputs are read a block at a time into an on-demand fp::List<char> (input.hpp), split
// by the list engine, and the pieces walked with fp::consume and written through one buffer
// (output.hpp): whatever the input's size, memory holds the blocks that the piece being
// written spans, a few more read ahead, and the output buffer. See usageText() for the options.
//
// SIGPIPE is ignored: when the reader of standard output goes away, the write that finds out
// fails with EPIPE and splitcat stops reading and ends with status 0, printing nothing.
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "fp/consume.hpp"
#include "input.hpp"
#include "meterline/version.hpp"
#include "options.hpp"
#include "output.hpp"
#include "progress.hpp"
#include "split/split.hpp"

namespace splitcat {

namespace {

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

fp::List<fp::List<char>> cut(const Strategy& strategy, fp::List<char> input) {
  return std::visit(
      Overloaded{[&](const ByDelimiter& s) {
                   return s.limit ? split::split(split::maxSplits(*s.limit, s.splitter),
                                                 std::move(input))
                                  : split::split(s.splitter, std::move(input));
                 },
                 [&](const Chunks& c) { return split::chunksOf(c.size, std::move(input)); },
                 [&](const Windows& w) { return split::divvy(w.size, w.step, std::move(input)); }},
      strategy);
}

// Writes a whole text to a descriptor; a failure is ignored, as there is nowhere to report it.
void writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text.remove_prefix(std::size_t(n));
  }
}

int run(const Options& options) {
  Output out(STDOUT_FILENO, options.format);
  std::optional<ProgressMeter> meter;
  if (options.progress) meter.emplace(totalSize(options.inputs));
  const auto report = [&](const std::string& message) {
    if (meter)
      meter->println(message);
    else
      std::cerr << message << '\n';
  };

  bool inputFailed = false;
  InputEvents events;
  events.read = [&](std::int64_t bytes) {
    if (meter) meter->advance(bytes);
  };
  events.waiting = [&] { out.flush(); };
  events.failed = [&](const std::string& name, int error) {
    inputFailed = true;
    report("splitcat: " + name + ": " + std::strerror(error));
  };

  for (const fp::List<char>& piece :
       fp::consume(cut(options.strategy, readInputs(options.inputs, std::move(events))))) {
    out.write(piece);
    if (out.closed() || out.failed()) break;
  }
  out.finish();

  if (out.closed()) {
    if (meter) meter->abandon();
    return 0;
  }
  if (out.failed()) {
    if (meter) meter->abandon();
    std::cerr << "splitcat: write error: " << std::strerror(out.error()) << '\n';
    return 1;
  }
  if (meter) meter->finish();
  return inputFailed ? 1 : 0;
}

}  // namespace

}  // namespace splitcat

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  try {
    const splitcat::Command command =
        splitcat::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (command.request) {
      case splitcat::Request::Help:
        splitcat::writeAll(STDOUT_FILENO, splitcat::usageText());
        return 0;
      case splitcat::Request::Version:
        splitcat::writeAll(STDOUT_FILENO, std::string("splitcat ") + FP_VERSION + " (split " +
                                              std::string(split::version()) + ", meterline " +
                                              std::string(meterline::version()) + ")\n");
        return 0;
      case splitcat::Request::Split:
        return splitcat::run(*command.options);
    }
  } catch (const splitcat::UsageError& e) {
    std::cerr << "splitcat: " << e.what() << '\n';
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "splitcat: " << e.what() << '\n';
    return 1;
  }
  return 1;
}
