// splitcat's input: each file read through one buffer, a stretch at a time, and handed to a
// Cutting, which writes what it can settle and says what to keep for the next stretch.
//
//   splitcat::InputEvents events;
//   events.failed = [](const std::string& name, const std::string& why) { report(name, why); };
//   splitcat::Reader reader(std::move(events));
//   for (const std::string& name : {"a.csv", "-"}) reader.read(name, cutting);
//
// From a regular file each read fills the buffer; a pipe or a terminal gives what it has at
// the moment, and that is cut at once rather than waited on, so that interactive use sees its
// pieces as they come. The buffer grows only when a cutting keeps all of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace splitcat {

// How one input is cut and written, a stretch at a time.
class Cutting {
 public:
  virtual ~Cutting() = default;
  // A new input starts.
  virtual void begin() = 0;
  // Cuts `text`, the bytes kept from the last cut followed by those read since, and returns the
  // offset from which to keep them. With `ended`, the input ends with `text`.
  virtual std::size_t cut(std::string_view text, bool ended) = 0;
};

// What a cutting throws when it cannot go on with an input (a record too long to hold): the
// input is reported, and the next one read.
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct InputEvents {
  // `bytes` more have been read.
  std::function<void(std::int64_t bytes)> read;
  // A read is about to wait for a pipe or a terminal: the moment to flush what is pending.
  std::function<void()> waiting;
  // Input `name` could not be read (or not to its end), for the reason given.
  std::function<void(const std::string& name, const std::string& reason)> failed;
  // Whether to stop reading: the output has gone.
  std::function<bool()> stopped;
};

class Reader {
 public:
  static constexpr std::size_t kBufferSize = 256 << 10;
  // The most a cutting should keep of the buffer, so that each read has room.
  static constexpr std::size_t kHold = kBufferSize / 4;

  explicit Reader(InputEvents events);

  // Reads input `name` ("-" is standard input) to its end through `cutting`, or until
  // `stopped`; false when it could not be opened or read to its end.
  bool read(const std::string& name, Cutting& cutting);

 private:
  InputEvents events_;
  std::vector<char> buffer_;
};

// The total size of the inputs when all of them are regular files (an input that cannot be
// looked at counts as empty), otherwise nothing.
std::optional<std::int64_t> totalSize(const std::vector<std::string>& names);

}  // namespace splitcat
