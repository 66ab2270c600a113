// isTerminal: whether a stream's output goes to a terminal, where a bar redrawn in place makes
// sense, or to a file or a pipe, where it leaves a trail of partial lines.
//
//   const bool live = meterline::isTerminal(std::cerr);
//   auto bar = meterline::newProgressBar(style, live ? 10.0 : 0.0, {0, total, {}});
//
// A stream writes to a terminal when its buffer writes to a file descriptor that is one
// (isatty): std::cout on descriptor 1 and std::cerr and std::clog on descriptor 2, also after
// std::ios::sync_with_stdio(false). A string stream and a file stream (whatever it opened) are
// not terminals, and neither is a standard stream whose buffer was replaced by theirs (with
// libstdc++, which tells where its buffers write; elsewhere a standard stream is known by the
// buffer it has at the time of the call).
//
// `terminalWidth(stream)` is the column count of that terminal, asked anew at each call (a
// window may have been resized), or nothing when the stream is no terminal.
//
// A bar made with options (see progress_bar.hpp) asks these of its own stream: it draws in
// place on a terminal, and plain lines or nothing elsewhere.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>

namespace meterline {

bool isTerminal(const std::ostream& stream) noexcept;

std::optional<std::int64_t> terminalWidth(const std::ostream& stream) noexcept;

}  // namespace meterline
