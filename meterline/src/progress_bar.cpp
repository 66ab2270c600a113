#include "meterline/progress_bar.hpp"

#include <iostream>
#include <string>
#include <string_view>

namespace meterline {

namespace detail {

std::ostream& standardError() noexcept { return std::cerr; }

void writeDrawing(std::ostream& out, Text line, bool complete, OnComplete onComplete) {
  const std::string_view ending = !complete                             ? "\r"
                                  : onComplete == OnComplete::WriteNewline ? "\n"
                                                                           : "\r\x1b[K";
  // One write of the line and its ending, so that a terminal never shows half a drawing.
  std::string bytes = std::move(line).str();
  bytes += ending;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
}

}  // namespace detail

template ProgressBar<fp::Unit> hNewProgressBar<fp::Unit>(std::ostream&, Style<fp::Unit>, double,
                                                         Progress<fp::Unit>, const Platform&);
template ProgressBar<fp::Unit> newProgressBar<fp::Unit>(Style<fp::Unit>, double, Progress<fp::Unit>);

}  // namespace meterline
