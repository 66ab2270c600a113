// A libFuzzer target for splitcat's command line and its writer of pieces.
//
//   cmake --build build-fuzz --target splitcat_fuzz
//   build-fuzz/fuzz/splitcat_fuzz -dict=fuzz/splitcat.dict -max_total_time=60 \
//       build-fuzz/corpus-splitcat fuzz/corpus/splitcat
//
// The first byte chooses what the rest is:
//
// - 'c' and then a command line, its arguments separated by NUL bytes: parsing it must give a
//   command that holds together (inputs to read, sizes and steps of at least one, a window no
//   longer than a record may be, records cut at delimiters) or a UsageError with a message.
//   Anything else thrown, and any crash, is a fault.
// - anything else: the rest decides a layout (JSON or plain, stream or records, the terminator,
//   the separator), a text, and pieces of it handed to splitcat::Output in fragments, with
//   records ended and the output flushed along the way. The output is read back from a memory
//   file: plain, it must be the pieces with their terminators and separators; JSON, it must be
//   valid UTF-8 holding arrays of strings that decode, the escapes \udcXX read back as the bytes
//   XX, to exactly the pieces.
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "options.hpp"
#include "output.hpp"

namespace {

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  std::abort();
}

void checkCommandLine(std::string_view bytes) {
  std::vector<std::string> arguments;
  for (std::size_t at = 0; at <= bytes.size();) {
    const std::size_t end = std::min(bytes.find('\0', at), bytes.size());
    arguments.emplace_back(bytes.substr(at, end - at));
    at = end + 1;
  }
  splitcat::Command command;
  try {
    command = splitcat::parseCommandLine(arguments);
  } catch (const splitcat::UsageError& e) {
    if (std::string_view(e.what()).empty()) fail("a usage error without a message");
    return;
  }
  if ((command.request == splitcat::Request::Split) != command.options.has_value())
    fail("options without a split, or a split without options");
  if (!command.options) return;
  const splitcat::Options& o = *command.options;
  if (o.inputs.empty()) fail("nothing to read");
  if (o.maxRecord < 1) fail("a record may hold no byte");
  if (o.terminator != '\n' && o.terminator != '\0') fail("a terminator other than \\n or NUL");
  if (o.records && !std::holds_alternative<splitcat::ByDelimiter>(o.strategy))
    fail("records cut other than at delimiters");
  if (const auto* by = std::get_if<splitcat::ByDelimiter>(&o.strategy); by && by->limit && *by->limit < 0)
    fail("a negative limit");
  if (const auto* chunks = std::get_if<splitcat::Chunks>(&o.strategy); chunks && chunks->size < 1)
    fail("chunks of no byte");
  if (const auto* w = std::get_if<splitcat::Windows>(&o.strategy);
      w && (w->size < 1 || w->step < 1 || w->size > o.maxRecord))
    fail("a window of no byte, a step of none, or a window longer than a record");
}

// The UTF-8 encoding of a code point.
void appendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | c >> 6);
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | c >> 12);
    out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | c >> 18);
    out += char(0x80 | (c >> 12 & 0x3F));
    out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

// The length of the valid UTF-8 sequence at the start of `s`, or 0.
std::size_t utf8Length(std::string_view s) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  const std::size_t n = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4                                   ? 4
                                                                                          : 0;
  if (n == 0 || s.size() < n) return 0;
  for (std::size_t i = 1; i < n; ++i)
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  const unsigned char second = byte(1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
    return 0;  // overlong, a surrogate, or beyond U+10FFFF
  return n;
}

// Reads JSON made of one array of strings per line, as splitcat writes them, into the strings
// of each array: valid UTF-8 as it stands, escapes undone, \udc80 to \udcff read back as the
// bytes 80 to ff. Nothing if the text is anything else.
std::optional<std::vector<std::vector<std::string>>> decodeJsonLines(std::string_view json) {
  std::vector<std::vector<std::string>> lines;
  std::size_t at = 0;
  const auto next = [&](char c) { return at < json.size() && json[at] == c ? (++at, true) : false; };
  const auto hex = [&](std::uint32_t& value) {
    if (json.size() - at < 4) return false;
    value = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = json[at++];
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0) return false;
      value = value << 4 | std::uint32_t(digit);
    }
    return true;
  };
  const auto string = [&](std::string& out) {
    if (!next('"')) return false;
    for (;;) {
      if (at == json.size()) return false;
      const auto c = static_cast<unsigned char>(json[at]);
      if (c == '"') return ++at, true;
      if (c < 0x20) return false;
      if (c != '\\') {
        const std::size_t n = utf8Length(json.substr(at));
        if (n == 0) return false;
        out += json.substr(at, n);
        at += n;
        continue;
      }
      if (++at == json.size()) return false;
      switch (json[at++]) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          std::uint32_t u;
          if (!hex(u)) return false;
          if (u >= 0xDC80 && u <= 0xDCFF)
            out += char(u & 0xFF);
          else if (u >= 0xD800 && u <= 0xDFFF)
            return false;  // splitcat writes no other surrogate
          else
            appendUtf8(out, u);
          break;
        }
        default:
          return false;
      }
    }
  };
  while (at < json.size()) {
    std::vector<std::string> strings;
    if (!next('[')) return std::nullopt;
    if (!next(']')) {
      do {
        if (!string(strings.emplace_back())) return std::nullopt;
      } while (next(','));
      if (!next(']')) return std::nullopt;
    }
    if (!next('\n')) return std::nullopt;
    lines.push_back(std::move(strings));
  }
  return lines;
}

// What the writer wrote to `fd` since it was emptied.
std::string contents(int fd) {
  const off_t size = ::lseek(fd, 0, SEEK_END);
  std::string out(std::size_t(size), '\0');
  if (size > 0 && ::pread(fd, out.data(), out.size(), 0) != size) fail("cannot read the output back");
  return out;
}

void checkOutput(FuzzedDataProvider& in) {
  static const int fd = ::memfd_create("splitcat_fuzz", 0);
  if (fd < 0) fail("no memory file");
  if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0) fail("cannot empty the memory file");

  const bool json = in.ConsumeBool(), records = in.ConsumeBool();
  const char terminator = in.ConsumeBool() ? '\0' : '\n';
  const std::string separator = in.ConsumeRandomLengthString(4);
  // A text repeated, so that pieces may be longer than the writer's stretches and its buffer.
  static constexpr std::size_t kRepeats[] = {1, 1, 1, 40, 600};
  const std::size_t repeats = kRepeats[in.ConsumeIntegralInRange<std::size_t>(0, 4)];
  const std::string unit = in.ConsumeRandomLengthString(4096);
  std::string text;
  for (std::size_t i = 0; i < repeats; ++i) text += unit;

  splitcat::Output out(fd, records ? splitcat::Layout::ofRecords(separator, terminator, json)
                                   : splitcat::Layout::ofStream(terminator, json));
  out.attach(text);
  // The pieces, by record; in stream mode all in one, which JSON writes as one array.
  std::vector<std::vector<std::string>> written{{}};
  std::size_t at = 0;
  while (in.remaining_bytes() > 0 && at <= text.size()) {
    at += std::min(text.size() - at, in.ConsumeIntegralInRange<std::size_t>(0, 3));  // a delimiter
    const std::size_t left = text.size() - at;
    const std::size_t length =
        in.ConsumeBool() ? left : std::min(left, in.ConsumeIntegralInRange<std::size_t>(0, 40));
    // The piece in up to three fragments.
    std::size_t cuts[] = {in.ConsumeIntegralInRange<std::size_t>(0, length),
                          in.ConsumeIntegralInRange<std::size_t>(0, length)};
    if (cuts[0] > cuts[1]) std::swap(cuts[0], cuts[1]);
    const std::string_view piece = std::string_view(text).substr(at, length);
    out.piece(piece.substr(0, cuts[0]), true, false);
    out.piece(piece.substr(cuts[0], cuts[1] - cuts[0]), false, false);
    out.piece(piece.substr(cuts[1]), false, true);
    written.back().emplace_back(piece);
    at += length;
    if (records && in.ConsumeBool()) {
      out.endRecord();
      written.emplace_back();
    }
    if (in.ConsumeIntegralInRange(0, 7) == 0) {
      out.flush();  // which lets go of the text: pieces must lie in the text attached
      out.attach(std::string_view(text).substr(at));
    }
  }
  if (records) out.endRecord();
  out.finish();
  if (out.failed() || out.closed()) fail("the memory file refused the output");

  const std::string output = contents(fd);
  std::string expected;
  if (json) {
    const auto decoded = decodeJsonLines(output);
    if (!decoded) fail("not JSON lines of arrays of strings:\n" + output);
    if (*decoded != written) fail("the JSON does not decode to the pieces:\n" + output);
    return;
  }
  for (const auto& record : written) {
    for (std::size_t i = 0; i < record.size(); ++i) {
      if (records && i > 0) expected += separator;
      expected += record[i];
      if (!records) expected += terminator;
    }
    if (records) expected += terminator;
  }
  if (output != expected) fail("plain output differs:\n" + output + "\nexpected:\n" + expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  if (data[0] == 'c') {
    checkCommandLine(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  } else {
    FuzzedDataProvider in(data + 1, size - 1);
    checkOutput(in);
  }
  return 0;
}
