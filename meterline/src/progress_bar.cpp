#include "meterline/progress_bar.hpp"

#include <iostream>
#include <string>
#include <string_view>

namespace meterline {

namespace detail {

std::ostream& standardError() noexcept { return std::cerr; }

namespace {

constexpr std::string_view kEraseLine = "\r\x1b[K";

// What follows a drawing: a carriage return, for the next drawing to overwrite it, until the
// progress is complete.
std::string_view endingOf(bool complete, OnComplete onComplete) noexcept {
  return !complete ? "\r" : onComplete == OnComplete::WriteNewline ? "\n" : kEraseLine;
}

// One write, so that a terminal never shows half of it.
void writeAndFlush(std::ostream& out, const std::string& bytes) {
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
}

}  // namespace

void writeDrawing(std::ostream& out, Text line, bool complete, OnComplete onComplete) {
  std::string bytes = std::move(line).str();
  bytes += endingOf(complete, onComplete);
  writeAndFlush(out, bytes);
}

void writeAboveDrawing(std::ostream& out, std::string_view text, Text line) {
  std::string bytes(kEraseLine);
  bytes += text;
  bytes += '\n';
  bytes += line.str();
  bytes += endingOf(false, OnComplete::WriteNewline);
  writeAndFlush(out, bytes);
}

void writeLine(std::ostream& out, std::string_view text) {
  std::string bytes(text);
  bytes += '\n';
  writeAndFlush(out, bytes);
}

}  // namespace detail

template ProgressBar<fp::Unit> hNewProgressBar<fp::Unit>(std::ostream&, Style<fp::Unit>, double,
                                                         Progress<fp::Unit>, const Platform&);
template ProgressBar<fp::Unit> newProgressBar<fp::Unit>(Style<fp::Unit>, double, Progress<fp::Unit>);
template void println<fp::Unit>(const ProgressBar<fp::Unit>&, std::string_view);

}  // namespace meterline
