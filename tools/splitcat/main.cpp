// splitcat: split files or standard input into pieces, or their records into fields, with the
// split library.
//
//   splitcat --one-of , data.csv           # the fields, one per line
//   splitcat -d, -f 2,4- data.csv          # fields 2 and 4 on of each line, as cut does
//   splitcat --words --json < notes.txt    # the words as a JSON array of strings
//
// Each input is read through one buffer (input.hpp) and cut a stretch at a time by the
// contiguous engine (cuttings.hpp, stream_cutter.hpp); the pieces go out through one buffer
// (output.hpp). Memory holds the two buffers and, where fields are chosen, one record, however
// long the input and its pieces. See usageText() for the options.
//
// SIGPIPE is ignored: when the reader of standard output goes away, the write that finds out
// fails with EPIPE and splitcat stops reading and ends with status 0, printing nothing.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cuttings.hpp"
#include "input.hpp"
#include "meterline/version.hpp"
#include "options.hpp"
#include "output.hpp"
#include "progress.hpp"
#include "split/split.hpp"

namespace splitcat {

namespace {

// Writes a text to standard error; a failure is ignored, as there is nowhere to report it.
void complain(const std::string& message) {
  std::string_view text = message;
  while (!text.empty()) {
    const ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text.remove_prefix(std::size_t(n));
  }
}

// The status of an output that has been finished: 1 with a message for a write error, 0 when
// it went out or its reader went away.
int statusOf(const Output& out) {
  if (!out.failed()) return 0;
  complain("splitcat: write error: " + std::string(std::strerror(out.error())) + "\n");
  return 1;
}

int run(const Options& options) {
  Output out(STDOUT_FILENO, layoutFor(options));
  // Destroyed by an exception, the meter ends its line before main reports the exception.
  std::optional<ProgressMeter> meter;
  if (const auto output = progressOutput(options.progress))
    meter.emplace(*output, totalSize(options.inputs));

  bool inputFailed = false;
  InputEvents events;
  events.read = [&](std::int64_t bytes) {
    if (meter) meter->advance(bytes);
  };
  events.waiting = [&] { out.flush(); };
  events.stopped = [&] { return out.closed() || out.failed(); };
  events.failed = [&](const std::string& name, const std::string& reason) {
    inputFailed = true;
    const std::string message = "splitcat: " + name + ": " + reason;
    if (meter)
      meter->println(message);
    else
      complain(message + "\n");
  };

  const std::unique_ptr<Cutting> cutting = cuttingFor(options, out);
  Reader reader(std::move(events));
  for (const std::string& name : options.inputs) {
    reader.read(name, *cutting);
    if (out.closed() || out.failed()) break;
  }
  out.finish();

  if (out.closed() || out.failed()) {
    if (meter) meter->abandon();
    return statusOf(out);
  }
  if (meter) meter->finish();
  return inputFailed ? 1 : 0;
}

// Writes `text` to standard output: --help and --version.
int print(std::string_view text) {
  Output out(STDOUT_FILENO, Layout::ofStream('\n', false));
  out.write(text);
  return statusOf(out);
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
        return splitcat::print(splitcat::usageText());
      case splitcat::Request::Version:
        return splitcat::print(std::string("splitcat ") + FP_VERSION + " (split " +
                               std::string(split::version()) + ", meterline " +
                               std::string(meterline::version()) + ", scan " +
                               std::string(split::scanPathName(split::scanPath())) + ")\n");
      case splitcat::Request::Split:
        return splitcat::run(*command.options);
    }
  } catch (const splitcat::UsageError& e) {
    splitcat::complain("splitcat: " + std::string(e.what()) + "\n");
    return 2;
  } catch (const std::exception& e) {
    splitcat::complain("splitcat: " + std::string(e.what()) + "\n");
    return 1;
  }
  return 1;
}
