#include "options.hpp"

#include <charconv>
#include <limits>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>

namespace splitcat {

namespace {

using Splitter = split::Splitter<char>;
using Modifier = Splitter (*)(Splitter);

// The bytes that separate words: the C locale's white space.
constexpr const char* kWhiteSpace = " \t\n\v\f\r";

// A whole number of at least `least`, in decimal digits.
std::int64_t parseCount(std::string_view option, std::string_view text, std::int64_t least) {
  const std::string what = least > 0 ? "a positive whole number" : "a whole number";
  const auto wrong = [&] {
    return UsageError(std::string(option) + ": expected " + what + ", got '" + std::string(text) +
                      "'");
  };
  if (text.empty() || text.front() < '0' || text.front() > '9') throw wrong();
  std::int64_t n = 0;
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, n);
  if (error == std::errc::result_out_of_range)
    throw UsageError(std::string(option) + ": " + std::string(text) + " is too large");
  if (error != std::errc() || stop != end || n < least) throw wrong();
  return n;
}

// A list of fields as cut takes it: N, N-M, N- and -M, separated by commas.
FieldList parseFields(std::string_view option, std::string_view text) {
  const auto wrong = [&] {
    return UsageError(std::string(option) +
                      ": expected a list of fields such as 2, 1,3 or 2-4,6-, got '" +
                      std::string(text) + "'");
  };
  // A field number; 0 when the text is empty (a range's missing end).
  const auto number = [&](std::string_view digits) -> std::int64_t {
    if (digits.empty()) return 0;
    if (digits.find_first_not_of("0123456789") != std::string_view::npos) throw wrong();
    const std::int64_t n = parseCount(option, digits, 0);
    if (n == 0) throw UsageError(std::string(option) + ": fields are numbered from 1");
    return n;
  };
  std::vector<FieldList::Range> ranges;
  for (std::string_view item : split::splitOn(",", text)) {
    if (item.empty() || item == "-") throw wrong();
    const auto bounds = split::splitOnce("-", item);
    if (!bounds) {
      const std::int64_t n = number(item);
      ranges.emplace_back(n, n);
      continue;
    }
    if (bounds->second.find('-') != std::string_view::npos) throw wrong();
    const std::int64_t first = number(bounds->first), last = number(bounds->second);
    if (last != 0 && first > last)
      throw UsageError(std::string(option) + ": the range '" + std::string(item) + "' decreases");
    ranges.emplace_back(first == 0 ? 1 : first, last == 0 ? FieldList::kNoEnd : last);
  }
  return FieldList(std::move(ranges));
}

// A number of bytes, with an optional K, M or G for binary kilo-, mega- and gigabytes.
std::int64_t parseSize(std::string_view option, std::string_view text) {
  int shift = 0;
  std::string_view digits = text;
  if (!digits.empty()) {
    const std::string_view units = "KMG";
    if (const std::size_t unit = units.find(digits.back()); unit != std::string_view::npos) {
      shift = 10 * int(unit + 1);
      digits.remove_suffix(1);
    }
  }
  const std::int64_t n = parseCount(option, digits, 1);
  if (n > (std::numeric_limits<std::int64_t>::max() >> shift))
    throw UsageError(std::string(option) + ": " + std::string(text) + " is too large");
  return n << shift;
}

Windows parseWindows(std::string_view option, std::string_view text) {
  const auto parts = split::splitOnce(":", text);
  if (!parts)
    throw UsageError(std::string(option) + ": expected N:STEP (window size and step), got '" +
                     std::string(text) + "'");
  return {parseCount(option, parts->first, 1), parseCount(option, parts->second, 1)};
}

Splitter keep(Splitter s) {
  s.delimPolicy = split::DelimPolicy::Keep;
  return s;
}

// The modifiers of a splitter's policies, by option.
struct ModifierOption {
  std::string_view name;
  Modifier modify;
};
constexpr ModifierOption kModifiers[] = {
    {"--keep", keep},
    {"--keep-left", split::keepDelimsL<char>},
    {"--keep-right", split::keepDelimsR<char>},
    {"--condense", split::condense<char>},
    {"--drop-blanks", split::dropBlanks<char>},
    {"--drop-inner-blanks", split::dropInnerBlanks<char>},
};

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

  Command parse() {
    bool optionsEnded = false;
    while (at_ < arguments_.size()) {
      const std::string_view argument = arguments_[at_++];
      if (optionsEnded || argument == "-" || !argument.starts_with('-')) {
        inputs_.emplace_back(argument);
        continue;
      }
      if (argument == "--") {
        optionsEnded = true;
        continue;
      }
      // "--name=value" carries the value in the same argument, and so do "-d," and "-f2".
      std::string_view name = argument;
      inlineValue_.reset();
      if (const auto equals = argument.find('=');
          argument.starts_with("--") && equals != std::string_view::npos) {
        name = argument.substr(0, equals);
        inlineValue_ = argument.substr(equals + 1);
      } else if (!argument.starts_with("--") && argument.size() > 2 &&
                 (argument[1] == 'd' || argument[1] == 'f')) {
        name = argument.substr(0, 2);
        inlineValue_ = argument.substr(2);
      }
      if (name == "-h" || name == "--help") return {Request::Help, std::nullopt};
      if (name == "--version") return {Request::Version, std::nullopt};
      option(name);
      if (inlineValue_) throw UsageError(std::string(name) + " takes no argument");
    }
    return {Request::Split, options()};
  }

 private:
  void option(std::string_view name) {
    if (name == "--on") {
      const std::string delimiter = nonEmpty(name, value(name));
      setStrategy(name, split::dropDelims(split::onSublist<char>(delimiter)), delimiter);
    } else if (name == "-d" || name == "--delimiter") {
      const std::string delimiter = nonEmpty(name, value(name));
      setStrategy(name, split::dropDelims(split::onSublist<char>(delimiter)), delimiter);
      recordOption(name);
    } else if (name == "--one-of") {
      const std::string bytes = nonEmpty(name, value(name));
      setStrategy(name, split::dropDelims(split::oneOf<char>(bytes)), bytes.substr(0, 1));
    } else if (name == "--lines") {
      // The splitter depends on -z, which may come later: see options().
      setStrategy(name, lines('\n'), "");
    } else if (name == "--words") {
      setStrategy(name, split::dropBlanks(split::dropDelims(split::oneOf<char>(kWhiteSpace))), " ");
    } else if (name == "--chunks") {
      setStrategy(name, Chunks{parseCount(name, value(name), 1)});
    } else if (name == "--windows") {
      setStrategy(name, parseWindows(name, value(name)));
    } else if (name == "--limit") {
      limit_ = parseCount(name, value(name), 0);
      policyOption_ = name;
    } else if (name == "-f" || name == "--fields") {
      fields_ = parseFields(name, value(name));
      recordOption(name);
    } else if (name == "--output-delimiter") {
      outputDelimiter_ = value(name);
      recordOption(name);
    } else if (name == "-s" || name == "--only-delimited") {
      onlyDelimited_ = true;
      recordOption(name);
    } else if (name == "--records") {
      recordOption(name);
    } else if (name == "--max-record") {
      maxRecord_ = parseSize(name, value(name));
    } else if (name == "-z" || name == "--null") {
      terminator_ = '\0';
    } else if (name == "--json") {
      json_ = true;
    } else if (name == "--progress") {
      // Its value is optional, so it can only be given as --progress=plain.
      if (inlineValue_ && *inlineValue_ != "plain")
        throw UsageError("--progress: expected --progress or --progress=plain, got '" +
                         std::string(*inlineValue_) + "'");
      progress_ = inlineValue_ ? Progress::Plain : Progress::Bar;
      inlineValue_.reset();
    } else {
      for (const ModifierOption& m : kModifiers) {
        if (name == m.name) {
          modifiers_.push_back(m.modify);
          policyOption_ = name;
          return;
        }
      }
      throw UsageError("unknown option '" + std::string(name) + "' (see --help)");
    }
  }

  // Lines: the text between line ends, a last line end ending the last line.
  static Splitter lines(char terminator) {
    return split::dropFinalBlank(split::dropDelims(split::oneOf<char>(std::string(1, terminator))));
  }

  static std::string nonEmpty(std::string_view name, std::string delimiter) {
    if (delimiter.empty()) throw UsageError(std::string(name) + ": the delimiter is empty");
    return delimiter;
  }

  void recordOption(std::string_view name) {
    if (recordOption_.empty()) recordOption_ = name;
  }

  // `joiner` is what record mode writes between fields unless --output-delimiter says otherwise.
  template <class S>
  void setStrategy(std::string_view name, S strategy, std::string joiner = "") {
    if (!strategyOption_.empty())
      throw UsageError(std::string(name) + " and " + strategyOption_ +
                       " both choose how to split: give one of them");
    strategyOption_ = name;
    joiner_ = std::move(joiner);
    if constexpr (std::is_same_v<S, Splitter>)
      strategy_ = ByDelimiter{std::move(strategy), {}, true};
    else
      strategy_ = std::move(strategy);
  }

  // The argument after an option, or the part of it after '='.
  std::string value(std::string_view name) {
    if (inlineValue_) {
      std::string v(*inlineValue_);
      inlineValue_.reset();
      return v;
    }
    if (at_ == arguments_.size()) throw UsageError(std::string(name) + " needs an argument");
    return arguments_[at_++];
  }

  Options options() {
    const bool recordMode = !recordOption_.empty();
    if (!strategy_) {
      // Record mode splits at tabs by default, as cut does; stream mode into lines.
      if (recordMode)
        setStrategy("-d", split::dropDelims(split::onSublist<char>("\t")), "\t");
      else
        setStrategy("--lines", lines(terminator_));
    }
    if (strategyOption_ == "--lines") {
      if (recordMode)
        throw UsageError(
            "--lines does not go with " + recordOption_ +
            ": records are lines already; split them with -d, --on, --one-of or --words");
      strategy_ = ByDelimiter{lines(terminator_), {}, false};
    }
    if (auto* byDelimiter = std::get_if<ByDelimiter>(&*strategy_)) {
      // Applied in the order given: the last of two that set the same policy wins.
      for (const Modifier modify : modifiers_)
        byDelimiter->splitter = modify(byDelimiter->splitter);
      byDelimiter->limit = limit_;
    } else if (recordMode) {
      throw UsageError(strategyOption_ + " does not go with " + recordOption_ +
                       ": records are split at delimiters");
    } else if (const auto* windows = std::get_if<Windows>(&*strategy_);
               windows && windows->size > maxRecord_) {
      throw UsageError("--windows: a window of " + std::to_string(windows->size) +
                       " bytes is longer than --max-record (" + std::to_string(maxRecord_) +
                       " bytes)");
    } else if (!policyOption_.empty()) {
      throw UsageError(policyOption_ + " applies to --on, --one-of, --lines and --words, not to " +
                       strategyOption_);
    }
    Options options{std::move(*strategy_), std::nullopt, terminator_, json_, progress_, maxRecord_,
                    std::move(inputs_)};
    if (options.inputs.empty()) options.inputs.emplace_back("-");
    if (recordMode)
      options.records =
          Records{std::move(fields_), outputDelimiter_.value_or(joiner_), onlyDelimited_};
    return options;
  }

  const std::vector<std::string>& arguments_;
  std::size_t at_ = 0;
  std::optional<std::string_view> inlineValue_;

  std::optional<Strategy> strategy_;
  std::string strategyOption_;
  std::string joiner_;
  std::vector<Modifier> modifiers_;
  std::optional<std::int64_t> limit_;
  std::string policyOption_;  // the last policy option given
  std::string recordOption_;  // the first record option given
  FieldList fields_;
  std::optional<std::string> outputDelimiter_;
  bool onlyDelimited_ = false;
  std::int64_t maxRecord_ = kDefaultMaxRecord;
  char terminator_ = '\n';
  bool json_ = false;
  Progress progress_ = Progress::Off;
  std::vector<std::string> inputs_;
};

}  // namespace

Command parseCommandLine(const std::vector<std::string>& arguments) {
  return Parser(arguments).parse();
}

const char* usageText() noexcept {
  return R"(Usage: splitcat [OPTION]... [FILE]...
Split each FILE (standard input when there is none, and for "-") into pieces
and write them one per line. With a record option, split each line into fields
and write the fields chosen, one line per record, as cut and awk -F do.

How to split (one of them; --lines by default, tabs in record mode):
  --on STR             at each occurrence of the bytes STR
  --one-of CHARS       at each of the bytes in CHARS
  --lines              into lines (not in record mode)
  --words              at runs of white space (space, \t, \n, \v, \f, \r),
                       no blank pieces
  --chunks N           into pieces of N bytes, the last one shorter (not in
                       record mode)
  --windows N:STEP     into windows of N bytes starting every STEP bytes,
                       whole windows only (not in record mode)

Records and fields (each of these chooses record mode):
  -d, --delimiter STR  split each record at STR, as --on does
  -f, --fields LIST    write only these fields: N, N-M, N- and -M, separated
                       by commas, counted from 1, in the order of the record
  --output-delimiter STR
                       write STR between fields (by default the delimiter of
                       -d or --on, the first byte of --one-of, a space for
                       --words, a tab)
  -s, --only-delimited leave out records in which the delimiter does not
                       occur (they are written whole otherwise)
  --records            record mode with every field
  --max-record BYTES   the most bytes held of one record whose fields are
                       chosen, or of one window (default 64M; K, M and G
                       multiply by 1024)

What becomes of delimiters and blank pieces (with --on, --one-of, --lines,
--words and -d; of two options that decide the same thing, the later wins):
  --keep               each delimiter is a piece of its own
  --keep-left          each delimiter starts the piece after it
  --keep-right         each delimiter ends the piece before it
  --condense           a run of adjacent delimiters is one delimiter
  --drop-inner-blanks  no blank piece between adjacent delimiters
  --drop-blanks        condense, and no blank piece first or last
  --limit N            split at the first N delimiters only; the rest is the
                       last piece (in record mode, of each record)

Output:
  -z, --null           lines and records end with a zero byte, read and
                       written
  --json               stream mode: one JSON array of strings; record mode:
                       one array per record (JSON Lines). A byte that is not
                       part of valid UTF-8 is written as the escape \udcXX,
                       XX its value in hex
  --progress[=plain]   show the bytes read on standard error, with the
                       percentage done when the inputs are regular files: on
                       a terminal a bar redrawn in place; in a file or a pipe
                       nothing, or with =plain a plain line every 5 seconds
                       and one at the end; nowhere when standard output goes
                       to the same terminal, file or pipe

  -h, --help           show this help and exit
  --version            show the version and exit

Each FILE is split on its own: a last line without a line end ends there. A
line end (a zero byte with -z) that ends a FILE ends its last piece or record,
and an empty FILE has none; --chunks and --windows cut every byte as it is.
Memory holds a read buffer, the output buffer and, when fields are chosen, one
record; pieces of any length stream through.
Output to a pipe that closes ends splitcat quietly with status 0.
Exit status: 0 on success, 1 if an input could not be read or the output could
not be written (the other inputs are still read), 2 for a bad command line.
)";
}

}  // namespace splitcat
