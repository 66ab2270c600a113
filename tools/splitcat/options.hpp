// splitcat's command line: what to split by, how to write the pieces, and what to read.
//
//   const splitcat::Command command = splitcat::parseCommandLine({"-d,", "-f", "2", "a.csv"});
//   // record mode: command.options->records holds field 2 and the output delimiter ",";
//   // command.options->strategy splits at "," with delimiters dropped
//
// Without a record option splitcat is in stream mode: each input is one text cut into pieces.
// A record option (-d, -f, --output-delimiter, -s, --records) chooses record mode: each line
// (each NUL-terminated record with -z) is cut into fields by the strategy, and the fields chosen
// are written joined by the output delimiter, one record per line.
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

#include "fields.hpp"
#include "split/split.hpp"

namespace splitcat {

// Cutting at delimiters: a splitter, at its first `limit` delimiters only when a limit is set.
struct ByDelimiter {
  split::Splitter<char> splitter;
  std::optional<std::int64_t> limit;
  // In stream mode, a line end that ends the input ends the last piece: all but --lines, whose
  // splitter itself leaves no blank piece after a last line end.
  bool dropsFinalTerminator = true;
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

// Record mode: which fields to write, and between them.
struct Records {
  FieldList fields;
  std::string outputDelimiter;
  bool onlyDelimited = false;  // leave out records in which the delimiter does not occur
};

// What --progress asks for on standard error: a bar where it is a terminal, and elsewhere
// nothing or (Plain) a plain line now and then.
enum class Progress { Off, Bar, Plain };

// The most bytes held of one record, when fields are chosen, or of one window: 64 MiB.
inline constexpr std::int64_t kDefaultMaxRecord = std::int64_t{64} << 20;

struct Options {
  Strategy strategy;  // a ByDelimiter in record mode
  std::optional<Records> records;
  char terminator = '\n';  // of lines and records, read and written: '\0' with -z
  bool json = false;
  Progress progress = Progress::Off;
  std::int64_t maxRecord = kDefaultMaxRecord;
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
