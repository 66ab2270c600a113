// splitcat's output: pieces written to a file descriptor through one large buffer.
//
//   splitcat::Output out(STDOUT_FILENO, splitcat::Format::Json);
//   out.write(fp::String::from("caf\xc3\xa9"));   // ["café"
//   out.write(fp::String::from("\xff\"\n"));      // ,"\udcff\"\n"
//   out.finish();                                  // ]  and a newline, then written out
//
// Writes go to the descriptor only when the buffer is full, when `flush` or `finish` is
// called, and for a piece larger than the buffer. A piece is written as its runs come, so a
// piece made of many blocks is never copied whole.
//
// In JSON, each piece is a string: '"', '\' and the control characters are escaped, valid
// UTF-8 passes unchanged, and each byte that is not part of a valid UTF-8 sequence (a stray
// continuation byte, a truncated or overlong sequence, an encoded surrogate, a value beyond
// U+10FFFF) is written as \udcXX, XX being the byte in hex. No valid UTF-8 text produces those
// lone low surrogates, so the escape is lossless: a reader that maps U+DC80..U+DCFF back to the
// bytes 80..FF (Python's "surrogateescape" does) gets the input back exactly; a reader that
// does not sees U+FFFD or rejects the string.
//
// When the descriptor is a pipe whose reader has gone (EPIPE), the output is `closed()` and
// discards everything after; any other write error makes it `failed()`, with `error()` the
// errno value. Either way nothing is retried.
#pragma once

#include <cstddef>
#include <memory>
#include <span>

#include "fp/list.hpp"
#include "options.hpp"

namespace splitcat {

class Output {
 public:
  static constexpr std::size_t kBufferSize = 1 << 20;

  Output(int fd, Format format);
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  void write(const fp::List<char>& piece);
  // Ends the output (the JSON array) and writes out what is buffered.
  void finish();
  // Writes out what is buffered.
  void flush();

  bool closed() const noexcept { return state_ == State::Closed; }
  bool failed() const noexcept { return state_ == State::Failed; }
  int error() const noexcept { return error_; }

 private:
  enum class State { Open, Closed, Failed };

  void put(const char* bytes, std::size_t n);
  void put(char c) {
    if (used_ == kBufferSize) flush();
    buffer_[used_++] = c;
  }
  void writeOut(const char* bytes, std::size_t n);

  // JSON: the bytes of a string, escaped; `pending_` holds the start of a UTF-8 sequence that
  // the next run may complete.
  void putEscaped(std::span<const char> bytes);
  void putByteEscape(unsigned char byte);
  void putPending();
  void putAsciiEscape(unsigned char c);

  int fd_;
  Format format_;
  State state_ = State::Open;
  int error_ = 0;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  bool started_ = false;  // a piece has been written

  unsigned char pending_[4]{};
  int pendingSize_ = 0;
  int sequenceSize_ = 0;  // of the sequence that pending_ begins
};

}  // namespace splitcat
