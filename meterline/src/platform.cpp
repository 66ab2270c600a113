#include "meterline/platform.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>

#include "meterline/terminal.hpp"

namespace meterline {

namespace {

class SystemPlatform final : public Platform {
 public:
  TimePoint now() const override {
    return std::chrono::time_point_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now());
  }

  std::optional<std::int64_t> terminalWidth() const override {
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return std::nullopt;
    return size.ws_col;
  }
};

}  // namespace

bool Platform::isTerminal(const std::ostream& stream) const { return meterline::isTerminal(stream); }

std::optional<std::int64_t> Platform::terminalWidthOf(const std::ostream& stream) const {
  return meterline::terminalWidth(stream);
}

const Platform& systemPlatform() noexcept {
  static const SystemPlatform platform;
  return platform;
}

}  // namespace meterline
