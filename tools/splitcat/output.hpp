// splitcat's output: pieces and records written to a file descriptor through one large buffer.
//
//   splitcat::Output out(STDOUT_FILENO, splitcat::Layout::ofStream('\n', false));
//   out.piece("alpha", true, true);          // alpha\n
//   out.piece("be", true, false);            // a piece handed on in fragments:
//   out.piece("ta", false, true);            // beta\n
//   out.finish();                            // written out
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
// Writes go to the descriptor only when the buffer is full, when `flush` or `finish` is called,
// and for bytes that do not fit in the buffer, which go out directly.
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

  // A piece, or a fragment of one: `opens` at its start, `closes` at its end.
  void piece(std::string_view bytes, bool opens, bool closes) {
    if (layout_.json) return jsonPiece(bytes, opens, closes);
    if (opens && layout_.records && pieces_++ > 0) put(layout_.separator);
    const bool terminated = closes && !layout_.records;
    // Most pieces are short: copied without a call, the terminator behind them.
    if (bytes.size() < kShort && kBufferSize - used_ > kShort) {
      char* const to = buffer_.get() + used_;
      copyShort(to, bytes.data(), bytes.size());
      to[bytes.size()] = layout_.terminator;
      used_ += bytes.size() + terminated;
      return;
    }
    put(bytes);
    if (terminated) put(layout_.terminator);
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

  void put(std::string_view bytes) {
    if (bytes.size() > kBufferSize - used_) return putLong(bytes);
    std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
  }
  void put(char c) {
    if (used_ == kBufferSize) flush();
    buffer_[used_++] = c;
  }
  void putLong(std::string_view bytes);
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

  unsigned char pending_[4]{};
  int pendingSize_ = 0;
  int sequenceSize_ = 0;  // of the sequence that pending_ begins
};

}  // namespace splitcat
