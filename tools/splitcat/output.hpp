// splitcat's output: pieces and records written to a file descriptor through one large buffer.
//
//   const std::string_view text = "alpha\nbeta,gamma";
//   splitcat::Output out(STDOUT_FILENO, splitcat::Layout::ofStream('\n', false));
//   out.attach(text);
//   out.piece(text.substr(0, 5), true, true);    // alpha\n
//   out.piece(text.substr(6, 2), true, false);   // a piece handed on in fragments:
//   out.piece(text.substr(8, 2), false, true);   // beta\n
//   out.settle();                                // before `text` changes
//   out.finish();                                // written out
//
//   splitcat::Output json(STDOUT_FILENO, splitcat::Layout::ofRecords("\t", '\n', true));
//   json.piece("caf\xc3\xa9", true, true);   // ["café"
//   json.piece("\xff\"", true, true);        // ,"\udcff\""
//   json.endRecord();                        // ]  and a newline
//
// In stream mode every piece is followed by the terminator (a newline, or a zero byte), or with
// JSON is one string of one array. In record mode the pieces of a record are its fields, joined
// by the separator and followed by the terminator, or with JSON one array per line.
//
// Pieces are views into the text being cut, and most of the output is often that text as it
// stands: lines followed by their own line ends, fields joined by the delimiter that separated
// them. So a piece is not copied at once: while the text holds, between one piece and the next,
// exactly the bytes to be written between them, the two go out as one stretch of the text, copied
// (or, when long, written) in one go once something else comes, or at `settle`. The text is
// attached for that, and a short stretch is copied as a fixed 16 bytes where the text goes on.
//
// Writes go to the descriptor only when the buffer is full, when `flush` or `finish` is called,
// and for stretches too long for the buffer, which go out directly.
//
// In JSON, each piece is a string: '"', '\' and the control characters are escaped, valid
// UTF-8 passes unchanged, and each byte that is not part of a valid UTF-8 sequence (a stray
// continuation byte, a truncated or overlong sequence, an encoded surrogate, a value beyond
// U+10FFFF) is written as \udcXX, XX being the byte in hex. No valid UTF-8 text produces those
// lone low surrogates, so the escape is lossless: a reader that maps U+DC80..U+DCFF back to the
// bytes 80..FF (Python's "surrogateescape" does) gets the input back exactly; a reader that
// does not sees U+FFFD or rejects the string. A sequence that two fragments of a piece share is
// still one character.
//
// When the descriptor is a pipe whose reader has gone (EPIPE), the output is `closed()` and
// discards everything after; any other write error makes it `failed()`, with `error()` the
// errno value. Either way nothing is retried.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace splitcat {

struct Layout {
  bool json;
  bool records;           // record mode: pieces are the fields of records
  std::string separator;  // between the fields of a record
  char terminator;        // after each piece in stream mode, each record in record mode

  static Layout ofStream(char terminator, bool json) { return {json, false, "", terminator}; }
  static Layout ofRecords(std::string separator, char terminator, bool json) {
    return {json, true, std::move(separator), terminator};
  }
};

class Output {
 public:
  static constexpr std::size_t kBufferSize = 1 << 20;

  Output(int fd, Layout layout);
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // The text the pieces that follow lie in, in its order, until `settle`.
  void attach(std::string_view text) { textEnd_ = text.data() + text.size(); }
  // A piece, or a fragment of one: `opens` at its start, `closes` at its end. Pieces are not
  // copied at once: they must lie in the text attached.
  void piece(std::string_view bytes, bool opens, bool closes) {
    if (layout_.json) return jsonPiece(bytes, opens, closes);
    // What goes between the last piece and this one: its terminator, or a separator.
    std::string_view between;
    if (owesTerminator_)
      between = std::string_view(&layout_.terminator, 1);
    else if (opens && layout_.records && pieces_ > 0)
      between = layout_.separator;
    pieces_ += opens;
    owesTerminator_ = closes && !layout_.records;
    // Where the text holds just that between them, the two go out as the text stands.
    if (spanEnd_ != nullptr && spanEnd_ + between.size() == bytes.data() &&
        (between.size() == 1 ? *spanEnd_ == between[0]
                             : std::equal(between.begin(), between.end(), spanEnd_))) {
      spanEnd_ = bytes.data() + bytes.size();
      return;
    }
    putSpan();
    if (between.size() == 1)
      put(between[0]);
    else
      put(between);
    spanBegin_ = bytes.data();
    spanEnd_ = bytes.data() + bytes.size();
  }
  // Copies what is pending of the text attached into the buffer, and lets go of the text:
  // before it changes.
  void settle() {
    putSpan();
    if (owesTerminator_) put(layout_.terminator);
    owesTerminator_ = false;
    textEnd_ = nullptr;
  }
  // The end of a record, in record mode.
  void endRecord();
  // Ends the output (the JSON array of stream mode) and writes out what is buffered.
  void finish();
  // Writes out what is buffered.
  void flush();
  // Writes `text` as it stands, and out.
  void write(std::string_view text);

  bool closed() const noexcept { return state_ == State::Closed; }
  bool failed() const noexcept { return state_ == State::Failed; }
  int error() const noexcept { return error_; }

 private:
  enum class State { Open, Closed, Failed };

  static constexpr std::size_t kShort = 32;
  // Spans at least this long are written from the text, not copied.
  static constexpr std::size_t kDirect = 64 << 10;

  // Copies n < kShort bytes as two moves of fixed size that may overlap.
  static void copyShort(char* to, const char* from, std::size_t n) {
    if (n >= 16) {
      std::memcpy(to, from, 16);
      std::memcpy(to + n - 16, from + n - 16, 16);
    } else if (n >= 8) {
      std::memcpy(to, from, 8);
      std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n >= 4) {
      std::memcpy(to, from, 4);
      std::memcpy(to + n - 4, from + n - 4, 4);
    } else if (n > 0) {
      to[0] = from[0];
      to[n / 2] = from[n / 2];
      to[n - 1] = from[n - 1];
    }
  }

  // Writes the pending span of the text.
  void putSpan() {
    const std::size_t n = std::size_t(spanEnd_ - spanBegin_);
    if (n == 0) {
      // Nothing; the span may be no place in the text.
    } else if (n <= 16 && std::size_t(textEnd_ - spanBegin_) >= 16 && kBufferSize - used_ >= 16) {
      // One move of a fixed size, whatever the span's: what it copies behind the span is
      // overwritten by what comes next.
      std::memcpy(buffer_.get() + used_, spanBegin_, 16);
      used_ += n;
    } else if (n < kShort && kBufferSize - used_ > kShort) {
      copyShort(buffer_.get() + used_, spanBegin_, n);
      used_ += n;
    } else if (n >= kDirect) {
      drain();
      writeOut(spanBegin_, n);
    } else {
      put(std::string_view(spanBegin_, n));
    }
    spanBegin_ = spanEnd_ = nullptr;
  }

  void put(std::string_view bytes) {
    if (bytes.empty()) return;  // its data() may be null, which memcpy must not be given
    if (bytes.size() > kBufferSize - used_) return putLong(bytes);
    std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
  }
  void put(char c) {
    if (used_ == kBufferSize) drain();
    buffer_[used_++] = c;
  }
  void putLong(std::string_view bytes);
  // Writes out the buffer.
  void drain();
  void writeOut(const char* bytes, std::size_t n);

  void jsonPiece(std::string_view bytes, bool opens, bool closes);
  // JSON: the bytes of a string, escaped; `pending_` holds the start of a UTF-8 sequence that
  // the next fragment may complete.
  void putEscaped(std::string_view bytes);
  void putByteEscape(unsigned char byte);
  void putPending();
  void putAsciiEscape(unsigned char c);

  int fd_;
  Layout layout_;
  State state_ = State::Open;
  int error_ = 0;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  std::size_t pieces_ = 0;  // of the record (in stream mode, of the JSON array) so far

  const char* textEnd_ = nullptr;  // of the text attached
  // The output goes on with this stretch of the text, then the terminator if it is owed.
  const char* spanBegin_ = nullptr;
  const char* spanEnd_ = nullptr;
  bool owesTerminator_ = false;

  unsigned char pending_[4]{};
  int pendingSize_ = 0;
  int sequenceSize_ = 0;  // of the sequence that pending_ begins
};

}  // namespace splitcat
