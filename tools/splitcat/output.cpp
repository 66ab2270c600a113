#include "output.hpp"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

namespace splitcat {

namespace {

// The bytes a JSON string holds as they are: printable ASCII but '"' and '\'.
constexpr std::array<bool, 256> kPlain = [] {
  std::array<bool, 256> plain{};
  for (int c = 0x20; c < 0x80; ++c) plain[std::size_t(c)] = c != '"' && c != '\\';
  return plain;
}();

constexpr char kHex[] = "0123456789abcdef";

// The length of the UTF-8 sequence that `lead` begins, or 0 if it begins none.
int sequenceLength(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Whether `byte` may follow `lead` as the second byte of a sequence: the ranges that rule out
// overlong forms, surrogates and values beyond U+10FFFF.
bool validSecond(unsigned char lead, unsigned char byte) {
  switch (lead) {
    case 0xE0:
      return byte >= 0xA0 && byte <= 0xBF;
    case 0xED:
      return byte >= 0x80 && byte <= 0x9F;
    case 0xF0:
      return byte >= 0x90 && byte <= 0xBF;
    case 0xF4:
      return byte >= 0x80 && byte <= 0x8F;
    default:
      return byte >= 0x80 && byte <= 0xBF;
  }
}

}  // namespace

Output::Output(int fd, Layout layout)
    : fd_(fd), layout_(std::move(layout)), buffer_(std::make_unique<char[]>(kBufferSize)) {}

void Output::jsonPiece(std::string_view bytes, bool opens, bool closes) {
  if (opens) {
    put(pieces_++ > 0 ? ',' : '[');
    put('"');
  }
  putEscaped(bytes);
  if (closes) {
    putPending();
    put('"');
  }
}

void Output::endRecord() {
  if (layout_.json) {
    if (pieces_ == 0) put('[');
    put(']');
    put('\n');
  } else {
    // The terminator is owed, so that the next record may go on with the text as it stands.
    if (owesTerminator_) settle();
    owesTerminator_ = true;
  }
  pieces_ = 0;
}

void Output::finish() {
  if (layout_.json && !layout_.records) endRecord();
  flush();
}

void Output::flush() {
  settle();
  drain();
}

void Output::drain() {
  const std::size_t n = used_;
  used_ = 0;
  writeOut(buffer_.get(), n);
}

void Output::write(std::string_view text) {
  put(text);
  flush();
}

void Output::putLong(std::string_view bytes) {
  drain();
  if (bytes.size() >= kBufferSize) return writeOut(bytes.data(), bytes.size());
  std::memcpy(buffer_.get(), bytes.data(), bytes.size());
  used_ = bytes.size();
}

void Output::writeOut(const char* bytes, std::size_t n) {
  while (n > 0 && state_ == State::Open) {
    const ssize_t written = ::write(fd_, bytes, n);
    if (written < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      state_ = error_ == EPIPE ? State::Closed : State::Failed;
      return;
    }
    bytes += written;
    n -= std::size_t(written);
  }
}

void Output::putEscaped(std::string_view bytes) {
  const char* at = bytes.data();
  const char* const end = at + bytes.size();
  while (at != end) {
    if (pendingSize_ == 0) {
      // Plain ASCII goes out as a stretch.
      const char* plain = at;
      while (plain != end && kPlain[static_cast<unsigned char>(*plain)]) ++plain;
      put(std::string_view(at, std::size_t(plain - at)));
      at = plain;
      if (at == end) break;
      const auto byte = static_cast<unsigned char>(*at++);
      if (byte < 0x80) {
        putAsciiEscape(byte);
      } else if (const int length = sequenceLength(byte); length > 0) {
        pending_[0] = byte;
        pendingSize_ = 1;
        sequenceSize_ = length;
      } else {
        putByteEscape(byte);
      }
      continue;
    }
    const auto byte = static_cast<unsigned char>(*at);
    const bool continues = pendingSize_ == 1 ? validSecond(pending_[0], byte)
                                             : byte >= 0x80 && byte <= 0xBF;
    if (!continues) {
      // The sequence so far is ill-formed; `byte` is looked at again as a start.
      putPending();
      continue;
    }
    ++at;
    pending_[pendingSize_++] = byte;
    if (pendingSize_ == sequenceSize_) {
      put(std::string_view(reinterpret_cast<const char*>(pending_), std::size_t(pendingSize_)));
      pendingSize_ = 0;
    }
  }
}

// The bytes of an unfinished sequence, each escaped.
void Output::putPending() {
  for (int i = 0; i < pendingSize_; ++i) putByteEscape(pending_[i]);
  pendingSize_ = 0;
}

void Output::putByteEscape(unsigned char byte) {
  const char escape[] = {'\\', 'u', 'd', 'c', kHex[byte >> 4], kHex[byte & 0xF]};
  put(std::string_view(escape, sizeof escape));
}

void Output::putAsciiEscape(unsigned char c) {
  switch (c) {
    case '"':
      return put("\\\"");
    case '\\':
      return put("\\\\");
    case '\b':
      return put("\\b");
    case '\f':
      return put("\\f");
    case '\n':
      return put("\\n");
    case '\r':
      return put("\\r");
    case '\t':
      return put("\\t");
    default: {
      const char escape[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
      put(std::string_view(escape, sizeof escape));
    }
  }
}

}  // namespace splitcat
