#include "options.hpp"

#include <charconv>
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
      // "--name=value" carries the value in the same argument.
      std::string_view name = argument;
      inlineValue_.reset();
      if (const auto equals = argument.find('=');
          argument.starts_with("--") && equals != std::string_view::npos) {
        name = argument.substr(0, equals);
        inlineValue_ = argument.substr(equals + 1);
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
      setStrategy(name, split::dropDelims(split::onSublist<char>(value(name))));
    } else if (name == "--one-of") {
      setStrategy(name, split::dropDelims(split::oneOf<char>(value(name))));
    } else if (name == "--lines") {
      setStrategy(name, lines());
    } else if (name == "--words") {
      setStrategy(name, split::dropBlanks(split::dropDelims(split::oneOf<char>(kWhiteSpace))));
    } else if (name == "--chunks") {
      setStrategy(name, Chunks{parseCount(name, value(name), 1)});
    } else if (name == "--windows") {
      setStrategy(name, parseWindows(name, value(name)));
    } else if (name == "--limit") {
      limit_ = parseCount(name, value(name), 0);
      policyOption_ = name;
    } else if (name == "-z" || name == "--null") {
      setFormat(name, Format::Nul);
    } else if (name == "--json") {
      setFormat(name, Format::Json);
    } else if (name == "--progress") {
      progress_ = true;
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

  static Splitter lines() { return split::dropFinalBlank(split::dropDelims(split::oneOf<char>("\n"))); }

  template <class S>
  void setStrategy(std::string_view name, S strategy) {
    if (!strategyOption_.empty())
      throw UsageError(std::string(name) + " and " + strategyOption_ +
                       " both choose how to split: give one of them");
    strategyOption_ = name;
    if constexpr (std::is_same_v<S, Splitter>)
      strategy_ = ByDelimiter{std::move(strategy), {}};
    else
      strategy_ = std::move(strategy);
  }

  void setFormat(std::string_view name, Format format) {
    if (!formatOption_.empty() && format_ != format)
      throw UsageError(std::string(name) + " and " + formatOption_ +
                       " both choose the output format: give one of them");
    formatOption_ = name;
    format_ = format;
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
    if (!strategy_) strategy_ = ByDelimiter{lines(), {}};
    if (auto* byDelimiter = std::get_if<ByDelimiter>(&*strategy_)) {
      // Applied in the order given: the last of two that set the same policy wins.
      for (const Modifier modify : modifiers_) byDelimiter->splitter = modify(byDelimiter->splitter);
      byDelimiter->limit = limit_;
    } else if (!policyOption_.empty()) {
      throw UsageError(policyOption_ + " applies to --on, --one-of, --lines and --words, not to " +
                       strategyOption_);
    }
    return Options{std::move(*strategy_), format_, progress_,
                   inputs_.empty() ? std::vector<std::string>{"-"} : std::move(inputs_)};
  }

  const std::vector<std::string>& arguments_;
  std::size_t at_ = 0;
  std::optional<std::string_view> inlineValue_;

  std::optional<Strategy> strategy_;
  std::string strategyOption_;
  std::vector<Modifier> modifiers_;
  std::optional<std::int64_t> limit_;
  std::string policyOption_;  // the last policy option given
  Format format_ = Format::Lines;
  std::string formatOption_;
  bool progress_ = false;
  std::vector<std::string> inputs_;
};

}  // namespace

Command parseCommandLine(const std::vector<std::string>& arguments) {
  return Parser(arguments).parse();
}

const char* usageText() noexcept {
  return R"(Usage: splitcat [OPTION]... [FILE]...
Split the FILEs, read one after another as one input (standard input when there are
none, and for "-"), into pieces, and write each piece followed by a newline.

How to split (one of them; --lines when none is given):
  --on STR            at each occurrence of the bytes STR
  --one-of CHARS      at each of the bytes in CHARS
  --lines             at each newline, with no blank piece after a last newline
  --words             at runs of white space (space, \t, \n, \v, \f, \r), no blank pieces
  --chunks N          into pieces of N bytes, the last one shorter
  --windows N:STEP    into windows of N bytes starting every STEP bytes (whole windows only)

What becomes of delimiters and blank pieces (with --on, --one-of, --lines, --words;
of two options that decide the same thing, the later one wins):
  --keep              each delimiter is a piece of its own
  --keep-left         each delimiter starts the piece after it
  --keep-right        each delimiter ends the piece before it
  --condense          a run of adjacent delimiters is one delimiter
  --drop-inner-blanks no blank piece between adjacent delimiters
  --drop-blanks       condense, and no blank piece first or last
  --limit N           split at the first N delimiters only; the rest is the last piece

Output:
  -z, --null          end each piece with a zero byte instead of a newline
  --json              write one JSON array of strings; a byte that is not part of valid
                      UTF-8 is written as the escape \udcXX, XX its value in hex
  --progress          show a progress bar of the bytes read on standard error, with the
                      percentage done when the input is made of regular files

  -h, --help          show this help and exit
  --version           show the version and exit

Memory holds a read buffer and the piece being written, however long the input.
Output to a pipe that closes ends splitcat quietly with status 0.
Exit status: 0 on success, 1 if an input could not be read or the output could not be
written (the other inputs are still read), 2 for a bad command line.
)";
}

}  // namespace splitcat
