// splitcat's command line: what to split by, how to write the pieces, and what to read.
//
//   const splitcat::Command command = splitcat::parseCommandLine({"--on", ", ", "-z", "a.csv"});
//   // command.options->strategy holds the splitter of ", " with delimiters dropped,
//   // command.options->format is Format::Nul, command.options->inputs is {"a.csv"}
//
// A bad command line is a UsageError, whose message names the option or argument at fault;
// the program reports it with exit status 2.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "split/split.hpp"

namespace splitcat {

// Cutting at delimiters: a splitter, at its first `limit` delimiters only when a limit is set.
struct ByDelimiter {
  split::Splitter<char> splitter;
  std::optional<std::int64_t> limit;
};

// Pieces of `size` bytes each, the last one shorter.
struct Chunks {
  std::int64_t size;
};

// Windows of `size` bytes starting every `step` bytes; a window that would run past the end is
// left out.
struct Windows {
  std::int64_t size;
  std::int64_t step;
};

using Strategy = std::variant<ByDelimiter, Chunks, Windows>;

enum class Format {
  Lines,  // each piece followed by "\n"
  Nul,    // each piece followed by a zero byte
  Json,   // one JSON array of strings
};

struct Options {
  Strategy strategy;
  Format format = Format::Lines;
  bool progress = false;
  std::vector<std::string> inputs;  // "-" is standard input; never empty
};

enum class Request { Split, Help, Version };

struct Command {
  Request request;
  std::optional<Options> options;  // for Request::Split
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The command that the arguments (without the program's name) ask for. Throws UsageError.
Command parseCommandLine(const std::vector<std::string>& arguments);

// The text that --help prints.
const char* usageText() noexcept;

}  // namespace splitcat
