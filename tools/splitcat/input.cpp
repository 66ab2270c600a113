#include "input.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace splitcat {

namespace {

bool isStandardInput(const std::string& name) { return name == "-"; }

// Whether a read of `fd` would return at once.
bool readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, 0) != 0;
}

// An open input, closed at the end of the scope (standard input is left open).
class OpenFile {
 public:
  explicit OpenFile(const std::string& name)
      : fd_(isStandardInput(name) ? STDIN_FILENO : ::open(name.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat status {};
    if (fd_ >= 0) mayWait_ = ::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  ~OpenFile() {
    if (fd_ > STDIN_FILENO) ::close(fd_);
  }

  int fd() const noexcept { return fd_; }
  // A pipe or a terminal, whose reads may wait for more.
  bool mayWait() const noexcept { return mayWait_; }

 private:
  int fd_;
  bool mayWait_ = false;
};

}  // namespace

Reader::Reader(InputEvents events) : events_(std::move(events)), buffer_(kBufferSize) {}

bool Reader::read(const std::string& name, Cutting& cutting) {
  const OpenFile file(name);
  if (file.fd() < 0) {
    events_.failed(name, std::strerror(errno));
    return false;
  }
  bool whole = true;
  cutting.begin();
  std::size_t used = 0;   // bytes kept by the last cut, at the buffer's start
  std::size_t stuck = 0;  // what the last cut kept when it settled nothing
  try {
    for (;;) {
      if (used == buffer_.size()) buffer_.resize(2 * buffer_.size());
      bool ended = false;
      const std::size_t before = used;
      while (used < buffer_.size()) {
        if (used == before && file.mayWait() && !readable(file.fd())) events_.waiting();
        const ssize_t n = ::read(file.fd(), buffer_.data() + used, buffer_.size() - used);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
          if (n < 0) {
            events_.failed(name, std::strerror(errno));
            whole = false;
          }
          ended = true;
          break;
        }
        used += std::size_t(n);
        // A pipe or a terminal gives what it has now: the stretch ends there rather than wait.
        if (file.mayWait() && !readable(file.fd())) break;
      }
      if (used > before) events_.read(std::int64_t(used - before));
      // What settled nothing is cut again once it has doubled, or nothing more is there yet.
      if (!ended && used < 2 * stuck && used < buffer_.size() &&
          !(file.mayWait() && !readable(file.fd())))
        continue;
      const std::size_t keep = cutting.cut(std::string_view(buffer_.data(), used), ended);
      if (ended || events_.stopped()) break;
      std::memmove(buffer_.data(), buffer_.data() + keep, used - keep);
      used -= keep;
      stuck = keep == 0 ? used : 0;
    }
  } catch (const InputError& e) {
    events_.failed(name, e.what());
    return false;
  }
  return whole;
}

std::optional<std::int64_t> totalSize(const std::vector<std::string>& names) {
  std::int64_t total = 0;
  for (const std::string& name : names) {
    struct stat status {};
    const int result = isStandardInput(name) ? ::fstat(STDIN_FILENO, &status)
                                             : ::stat(name.c_str(), &status);
    if (result != 0) continue;
    if (!S_ISREG(status.st_mode)) return std::nullopt;
    total += status.st_size;
  }
  return total;
}

}  // namespace splitcat
