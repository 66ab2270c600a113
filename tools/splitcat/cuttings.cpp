#include "cuttings.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "split/split.hpp"
#include "stream_cutter.hpp"

namespace splitcat {

namespace {

// The text of one cut, attached to the output for as long as the cut runs.
class Attached {
 public:
  Attached(Output& out, std::string_view text) : out_(out) { out_.attach(text); }
  Attached(const Attached&) = delete;
  Attached& operator=(const Attached&) = delete;
  ~Attached() { out_.settle(); }

 private:
  Output& out_;
};

// A stream cut at delimiters.
class DelimitedStream final : public Cutting {
 public:
  DelimitedStream(const ByDelimiter& strategy, char terminator, Output& out)
      : cutter_(strategy.splitter, strategy.limit),
        terminator_(strategy.dropsFinalTerminator ? std::optional(terminator) : std::nullopt),
        out_(out) {}

  void begin() override { cutter_.begin(); }

  std::size_t cut(std::string_view text, bool ended) override {
    const Attached attached(out_, text);
    if (text.empty()) return 0;  // at the end: an empty input
    // A line end that may end the input is cut only once it is known whether it does.
    if (terminator_ && text.back() == *terminator_) {
      const std::string_view before = text.substr(0, text.size() - 1);
      const std::size_t keep = cutter_.cut(before, ended, Reader::kHold, out_);
      return ended ? text.size() : keep;
    }
    return cutter_.cut(text, ended, Reader::kHold, out_);
  }

 private:
  StreamCutter cutter_;
  std::optional<char> terminator_;  // that ends the last piece when it ends the input
  Output& out_;
};

// A stream cut into chunks of a fixed size.
class ChunkedStream final : public Cutting {
 public:
  ChunkedStream(Chunks chunks, Output& out) : size_(std::size_t(chunks.size)), out_(out) {}

  void begin() override { open_ = 0; }

  std::size_t cut(std::string_view text, bool ended) override {
    const Attached attached(out_, text);
    // The rest of a chunk begun in the last stretch, then chunks of this one, the last of which
    // may go on in the next.
    std::size_t at = 0;
    if (open_ > 0) {
      at = std::min(size_ - open_, text.size());
      open_ += at;
      const bool closes = open_ == size_ || ended;
      out_.piece(text.substr(0, at), false, closes);
      if (closes) open_ = 0;
    }
    for (const std::string_view chunk : split::chunksOf(std::int64_t(size_), text.substr(at))) {
      const bool closes = chunk.size() == size_ || ended;
      out_.piece(chunk, true, closes);
      if (!closes) open_ = chunk.size();
    }
    return text.size();
  }

 private:
  std::size_t size_;
  Output& out_;
  std::size_t open_ = 0;  // bytes written of a chunk that goes on
};

// A stream cut into windows.
class WindowedStream final : public Cutting {
 public:
  WindowedStream(Windows windows, Output& out)
      : size_(windows.size), step_(windows.step), out_(out) {}

  void begin() override { skip_ = 0; }

  std::size_t cut(std::string_view text, bool ended) override {
    const Attached attached(out_, text);
    if (skip_ >= text.size()) {
      skip_ -= text.size();
      return text.size();
    }
    const std::size_t skipped = std::size_t(skip_);
    const std::string_view rest = text.substr(skipped);
    std::uint64_t windows = 0;
    for (const std::string_view window : split::divvy(size_, step_, rest)) {
      out_.piece(window, true, true);
      ++windows;
    }
    // The next window starts here, or further on.
    const std::uint64_t next = windows * std::uint64_t(step_);
    skip_ = ended || next < rest.size() ? 0 : next - rest.size();
    return ended || next >= rest.size() ? text.size() : skipped + std::size_t(next);
  }

 private:
  std::int64_t size_;
  std::int64_t step_;
  Output& out_;
  std::uint64_t skip_ = 0;  // bytes before the next window starts
};

// Records cut into fields.
class RecordCutting final : public Cutting {
 public:
  RecordCutting(const ByDelimiter& strategy, const Records& records, char terminator,
                std::int64_t maxRecord, Output& out)
      : splitter_(strategy.splitter),
        limit_(strategy.limit),
        lines_(split::dropDelims(split::oneOf<char>(std::string(1, terminator)))),
        records_(records),
        streamed_(records.fields.everything() && !records.onlyDelimited),
        long_(strategy.splitter, strategy.limit),
        maxRecord_(std::size_t(maxRecord)),
        terminator_(terminator),
        out_(out) {}

  void begin() override { streaming_ = false; }

  std::size_t cut(std::string_view text, bool ended) override {
    const Attached attached(out_, text);
    std::size_t at = 0;
    if (streaming_) {
      const std::size_t end = text.find(terminator_);
      if (end == std::string_view::npos && !ended)
        return long_.cut(text, false, Reader::kHold, out_);
      long_.cut(text.substr(0, end), true, Reader::kHold, out_);
      out_.endRecord();
      streaming_ = false;
      if (end == std::string_view::npos) return text.size();
      at = end + 1;
    }
    const std::string_view rest = text.substr(at);
    const std::string_view last = records(rest);
    if (ended) {
      if (!last.empty()) record(last);
      return text.size();
    }
    return at + std::size_t(last.data() - rest.data()) + partial(last);
  }

 private:
  // Writes the records of `text` but the text after the last terminator, which it returns: a
  // record too at the end of the input, unless it is empty.
  [[gnu::flatten]] std::string_view records(std::string_view text) {
    std::string_view last;
    bool any = false;
    for (const std::string_view line : split::split(lines_, text)) {
      if (any) record(last);
      last = line;
      any = true;
    }
    return last;
  }

  // How much of a record that goes on in the next stretch to let go: its start, once it is too
  // long to hold, is written as it is cut, if every field is written.
  std::size_t partial(std::string_view line) {
    if (line.size() <= Reader::kHold) return 0;
    if (streamed_) {
      streaming_ = true;
      long_.begin();
      return long_.cut(line, false, Reader::kHold, out_);
    }
    if (line.size() > maxRecord_)
      throw InputError("a record is longer than " + std::to_string(maxRecord_) +
                       " bytes (see --max-record)");
    return 0;
  }

  void record(std::string_view line) {
    if (limit_)
      record(line, split::split(split::maxSplits(*limit_, splitter_), line));
    else
      record(line, split::split(splitter_, line));
  }

  template <class Pieces>
  void record(std::string_view line, const Pieces& pieces) {
    auto piece = pieces.begin();
    // Only a record of one field can lack the delimiter.
    if ((piece == pieces.end() || (*piece).size() == line.size()) &&
        !split::splitOnce(splitter_, line)) {
      if (records_.onlyDelimited) return;
      out_.piece(line, true, true);
      out_.endRecord();
      return;
    }
    FieldList::Cursor chosen = records_.fields.cursor();
    for (; piece != pieces.end() && !chosen.done(); ++piece)
      if (chosen.take()) out_.piece(*piece, true, true);
    out_.endRecord();
  }

  split::Splitter<char> splitter_;  // of the fields
  std::optional<std::int64_t> limit_;
  split::Splitter<char> lines_;
  Records records_;
  bool streamed_;      // every field is written: a long record may stream
  StreamCutter long_;  // the fields of a record too long to hold
  bool streaming_ = false;
  std::size_t maxRecord_;
  char terminator_;
  Output& out_;
};

}  // namespace

Layout layoutFor(const Options& options) {
  if (options.records)
    return Layout::ofRecords(options.records->outputDelimiter, options.terminator, options.json);
  return Layout::ofStream(options.terminator, options.json);
}

std::unique_ptr<Cutting> cuttingFor(const Options& options, Output& out) {
  if (options.records)
    return std::make_unique<RecordCutting>(std::get<ByDelimiter>(options.strategy),
                                           *options.records, options.terminator, options.maxRecord,
                                           out);
  return std::visit(
      [&](const auto& strategy) -> std::unique_ptr<Cutting> {
        using S = std::decay_t<decltype(strategy)>;
        if constexpr (std::is_same_v<S, ByDelimiter>)
          return std::make_unique<DelimitedStream>(strategy, options.terminator, out);
        else if constexpr (std::is_same_v<S, Chunks>)
          return std::make_unique<ChunkedStream>(strategy, out);
        else
          return std::make_unique<WindowedStream>(strategy, out);
      },
      options.strategy);
}

}  // namespace splitcat
