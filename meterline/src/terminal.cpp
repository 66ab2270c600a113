#include "meterline/terminal.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

#include <optional>

#if defined(__GLIBCXX__)
#include <cstdio>
#include <ext/stdio_filebuf.h>
#include <ext/stdio_sync_filebuf.h>
#else
#include <iostream>
#endif

namespace meterline {

namespace {

// The file descriptor that a stream buffer writes to, when it is one that says.
std::optional<int> descriptorOf(std::streambuf* buffer) noexcept {
#if defined(__GLIBCXX__)
  // The standard streams' buffers: over the C streams while synchronised with stdio (the
  // default), over the descriptors themselves after sync_with_stdio(false).
  if (auto* synced = dynamic_cast<__gnu_cxx::stdio_sync_filebuf<char>*>(buffer))
    return fileno(synced->file());
  if (auto* unsynced = dynamic_cast<__gnu_cxx::stdio_filebuf<char>*>(buffer)) return unsynced->fd();
#else
  // Elsewhere the standard streams are known by their buffers.
  if (buffer == std::cout.rdbuf()) return STDOUT_FILENO;
  if (buffer == std::cerr.rdbuf() || buffer == std::clog.rdbuf()) return STDERR_FILENO;
#endif
  return std::nullopt;
}

}  // namespace

bool isTerminal(const std::ostream& stream) noexcept {
  const std::optional<int> descriptor = descriptorOf(stream.rdbuf());
  return descriptor && *descriptor >= 0 && isatty(*descriptor) == 1;
}

std::optional<std::int64_t> terminalWidth(const std::ostream& stream) noexcept {
  const std::optional<int> descriptor = descriptorOf(stream.rdbuf());
  winsize size{};
  if (!descriptor || *descriptor < 0 || ioctl(*descriptor, TIOCGWINSZ, &size) != 0 || size.ws_col == 0)
    return std::nullopt;
  return size.ws_col;
}

}  // namespace meterline
