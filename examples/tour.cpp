// A tour of the three libraries on one job: a generated service log of a few megabytes is cut into
// records and fields (split), summed up by position, by key and by section path (keyedwalk), while
// a live bar on standard error shows how far the work has got (meterline).
//
// It needs no arguments and no files: the log is made from a fixed seed, so every run prints the
// same report on standard output.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iomanip>
#include <iostream>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "fp/generate.hpp"
#include "keyedwalk/core.hpp"
#include "keyedwalk/foldable.hpp"
#include "meterline/meterline.hpp"
#include "split/split.hpp"

namespace {

// One request as the log records it.
struct Request {
  std::string_view time, level, service, user;
  std::int64_t latencyMs = 0;
};

// Lines like "2026-12-10T08:00:07 INFO  auth    user=ada latency_ms=31 path=/login", with now
// and then a blank line or a doubled blank between fields, as real logs have.
std::string makeLog(int lines) {
  static constexpr std::string_view kServices[] = {"auth", "billing", "search", "upload", "profile"};
  static constexpr std::string_view kUsers[] = {"ada", "grace", "alan", "edsger", "barbara", "ken"};
  static constexpr std::string_view kPaths[] = {"/login", "/invoice", "/q", "/put", "/me"};
  std::uint64_t state = 0x2545F4914F6CDD1Du;
  const auto random = [&state](std::uint64_t n) {
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    return state % n;
  };
  std::string log;
  log.reserve(std::size_t(lines) * 80);
  for (int i = 0; i < lines; ++i) {
    const int second = i / 4;
    char time[32];
    std::snprintf(time, sizeof time, "2026-12-10T%02d:%02d:%02d", 8 + second / 3600, second / 60 % 60,
                  second % 60);
    const std::uint64_t roll = random(1000);
    const std::string_view level = roll < 6 ? "ERROR" : roll < 40 ? "WARN" : "INFO";
    const std::size_t service = random(5);
    const std::uint64_t latency = 5 + random(60) + (level == "ERROR" ? 400 + random(600) : 0);
    log += time;
    log += ' ';
    log += level;
    log += std::string(6 - level.size(), ' ');
    log += kServices[service];
    log += random(50) == 0 ? "  " : " ";
    log += "user=";
    log += kUsers[random(6)];
    log += " latency_ms=" + std::to_string(latency) + " path=";
    log += kPaths[service];
    log += '\n';
    if (random(200) == 0) log += '\n';
  }
  return log;
}

constexpr auto isBlank = [](char c) { return c == ' ' || c == '\t'; };

// The fields of a record: words, however many blanks stand between them; "key=value" fields
// cut once, at their first '='.
Request parse(std::string_view line) {
  const std::vector<std::string_view> words = split::wordsBy(isBlank, line);
  Request r{words.at(0), words.at(1), words.at(2), {}};
  for (std::size_t i = 3; i < words.size(); ++i) {
    const auto kv = split::splitOnce("=", words[i]);
    if (!kv) continue;
    if (kv->first == "user") r.user = kv->second;
    if (kv->first == "latency_ms") r.latencyMs = std::stoll(std::string(kv->second));
  }
  return r;
}

void section(std::string_view title) { std::cout << '\n' << title << '\n'; }

}  // namespace

int main() {
  const std::string log = makeLog(400'000);
  std::cout << "A generated service log: " << log.size() << " bytes.\n";

  section("split: records and fields");
  // linesBy drops the newline after each record; blank lines become empty records, which
  // dropBlanks would remove: here they are counted, then skipped.
  std::vector<Request> requests;
  std::int64_t blankLines = 0;
  {
    meterline::Style<> style = meterline::defStyle();
    style.stylePrefix = meterline::msg("parsing");
    style.styleWidth = meterline::TerminalWidth{100};  // the width where stderr is no terminal
    style.stylePostfix = meterline::exact() + " B " + meterline::percentage() + " " +
                         meterline::rate("B", "-- B/s") + " " +
                         meterline::elapsedTime(meterline::renderDuration) + " ETA " +
                         meterline::remainingTime(meterline::renderDuration, "--:--");
    // With options the bar asks standard error, where it draws, for its width (and again as the
    // window changes), and writes a plain line now and then when standard error is a file or a
    // pipe. The guard ends its line however the block is left.
    const auto bar = meterline::newProgressBar(style, 10.0, {0, std::int64_t(log.size()), {}},
                                               meterline::BarOptions{});
    const meterline::BarGuard ending(bar);
    // The log is read as if a live service were writing it, a megabyte every 60 ms: parsing
    // alone is over in a fraction of a second, before the bar has a rate or an estimate to show.
    std::size_t sincePause = 0;
    for (std::string_view line : split::linesBy([](char c) { return c == '\n'; }, log)) {
      meterline::incProgress(bar, std::int64_t(line.size()) + 1);
      if ((sincePause += line.size() + 1) >= (1 << 20)) {
        sincePause = 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
      }
      if (line.empty()) {
        ++blankLines;
        continue;
      }
      requests.push_back(parse(line));
    }
  }
  std::cout << requests.size() << " records, " << blankLines << " blank lines skipped\n";

  const std::string_view first = std::string_view(log).substr(0, log.find('\n'));
  std::cout << "a record:               " << first << '\n';
  const auto show = [](std::string_view name, const auto& pieces) {
    std::cout << std::left << std::setw(24) << name;
    for (std::string_view piece : pieces) std::cout << '[' << piece << ']';
    std::cout << '\n';
  };
  show("splitOn \" \":", split::splitOn(" ", first));
  show("wordsBy blank:", split::wordsBy(isBlank, first));
  show("condensed, kept:", split::split(split::condense(split::oneOf(" =")), first));
  show("delimiters on the left:", split::split(split::keepDelimsL(split::oneOf("=")), first));
  show("at most 2 splits:", split::split(split::maxSplits(2, split::dropDelims(split::oneOf(" "))), first));

  const std::string csv = "name,team,,salary\nada,core,,120\n\ngrace,compilers,,130\n";
  std::cout << "a CSV with blank columns and a blank row:\n";
  for (std::string_view row : split::endBy("\n", csv)) {
    show("  splitOn \",\":", split::splitOn(",", row));
    show("  dropBlanks:", split::split(split::dropBlanks(split::dropDelims(split::oneOf(","))), row));
  }

  section("keyedwalk: positions, keys and paths");
  // A position in a vector: the first error and the slowest request.
  const auto firstError = keyedwalk::ifind([](std::int64_t, const Request& r) { return r.level == "ERROR"; },
                                           requests);
  if (firstError)
    std::cout << "first error at record " << firstError->first << ", " << firstError->second.time << " in "
              << firstError->second.service << '\n';
  const std::int64_t slowest = keyedwalk::ifoldlPrime(
      [&](std::int64_t i, std::int64_t best, const Request& r) {
        return r.latencyMs > requests[std::size_t(best)].latencyMs ? i : best;
      },
      std::int64_t{0}, requests);
  std::cout << "slowest request at record " << slowest << ": " << requests[std::size_t(slowest)].latencyMs
            << " ms by " << requests[std::size_t(slowest)].user << '\n';

  // Keys of a map: errors per service, walked as (key, count) pairs, and a question about them.
  std::map<std::string_view, std::int64_t> errors;
  for (const Request& r : requests) errors[r.service] += r.level == "ERROR";
  std::cout << "errors per service:";
  for (const auto& [service, n] : keyedwalk::indexed(errors)) std::cout << ' ' << service << '=' << n;
  std::cout << '\n';
  const bool anyQuiet = keyedwalk::iany([](std::string_view, std::int64_t n) { return n == 0; }, errors);
  std::cout << "a service without errors: " << (anyQuiet ? "yes" : "no") << '\n';

  // Paths in a tree of report sections: each heading numbered by where it stands.
  using Section = keyedwalk::Tree<std::string>;
  const Section report("report", {Section("traffic", {Section("by service"), Section("by user")}),
                                  Section("errors", {Section("by service")}), Section("latency")});
  for (const auto& [path, title] : keyedwalk::indexed(report)) {
    std::string number;
    for (std::int64_t step : path) number += std::to_string(step + 1) + '.';
    std::cout << std::string(2 * std::size_t(path.length()), ' ') << number << (number.empty() ? "" : " ") << title
              << '\n';
  }

  section("on demand: unbounded input");
  // Runs of numbers between multiples of 10, from an unbounded list: only what is read is made.
  const auto runs = split::splitWhen([](std::int64_t n) { return n % 10 == 0; }, fp::iota<std::int64_t>(1));
  std::cout << "the first three runs between multiples of 10: " << runs.take(3) << '\n';
}
