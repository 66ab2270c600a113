// splitcat's input: files read one after another, as one list of characters made on demand.
//
//   splitcat::InputEvents events;
//   events.failed = [](const std::string& name, int error) { report(name, error); };
//   fp::List<char> text = splitcat::readInputs({"a.txt", "-", "b.txt"}, events);
//   for (const fp::List<char>& line : fp::consume(split::linesBy(isNewline, text))) ...
//
// Nothing is read until the list is looked at; then each block of the list is one read() of
// at most kBlockSize bytes, made when the walk reaches it. Walked once with fp::consume, the
// list holds only the blocks that the pieces being looked at still use. A file that cannot be
// opened or read is reported through `failed` and skipped (what was read of it stays in the
// list), and the next one follows.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fp/list.hpp"

namespace splitcat {

inline constexpr std::size_t kBlockSize = 128 << 10;

struct InputEvents {
  // `bytes` more have been read.
  std::function<void(std::int64_t bytes)> read;
  // A read is about to wait for a pipe or a terminal: the moment to flush what is pending.
  std::function<void()> waiting;
  // Input `name` failed with errno value `error`; it is skipped.
  std::function<void(const std::string& name, int error)> failed;
};

// The contents of the inputs ("-" is standard input), one after another.
fp::List<char> readInputs(std::vector<std::string> names, InputEvents events);

// The total size of the inputs when all of them are regular files (an input that cannot be
// looked at counts as empty), otherwise nothing.
std::optional<std::int64_t> totalSize(const std::vector<std::string>& names);

}  // namespace splitcat
