#include "input.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <utility>

namespace splitcat {

namespace {

bool isStandardInput(const std::string& name) { return name == "-"; }

// Whether a read of `fd` would return at once.
bool readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, 0) != 0;
}

// The inputs, opened one at a time as the previous one ends.
class Reader {
 public:
  Reader(std::vector<std::string> names, InputEvents events)
      : names_(std::move(names)), events_(std::move(events)) {}
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;
  ~Reader() { close(); }

  // The next block of input; empty once every input is done.
  std::string next() {
    for (;;) {
      if (fd_ < 0 && !openNext()) return {};
      std::string block(kBlockSize, '\0');
      std::size_t filled = 0;
      bool ended = false;
      while (filled < block.size()) {
        if (filled == 0 && mayWait_ && events_.waiting && !readable(fd_)) events_.waiting();
        const ssize_t n = ::read(fd_, block.data() + filled, block.size() - filled);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
          if (n < 0) fail(errno);
          ended = true;
          break;
        }
        filled += std::size_t(n);
        // A pipe or a terminal gives what it has now: the block ends there rather than wait.
        if (mayWait_ && !readable(fd_)) break;
      }
      if (ended) close();
      if (filled == 0) continue;
      block.resize(filled);
      // A short block does not keep a whole block's memory.
      if (filled < kBlockSize) block.shrink_to_fit();
      if (events_.read) events_.read(std::int64_t(filled));
      return block;
    }
  }

 private:
  // Opens the next input that can be opened; false when there is none left.
  bool openNext() {
    while (next_ < names_.size()) {
      name_ = names_[next_++];
      fd_ = isStandardInput(name_) ? STDIN_FILENO : ::open(name_.c_str(), O_RDONLY | O_CLOEXEC);
      if (fd_ < 0) {
        fail(errno);
        continue;
      }
      struct stat status {};
      mayWait_ = ::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode);
      return true;
    }
    return false;
  }

  void close() {
    if (fd_ >= 0 && fd_ != STDIN_FILENO) ::close(fd_);
    fd_ = -1;
  }

  void fail(int error) {
    if (events_.failed) events_.failed(name_, error);
  }

  std::vector<std::string> names_;
  InputEvents events_;
  std::size_t next_ = 0;
  std::string name_;  // of the input open, or last tried
  int fd_ = -1;
  bool mayWait_ = false;
};

fp::List<char> blocksFrom(std::shared_ptr<Reader> reader) {
  return fp::List<char>::lazy([reader = std::move(reader)]() -> fp::List<char> {
    std::string block = reader->next();
    if (block.empty()) return {};
    return fp::append(fp::List<char>::from(std::move(block)), blocksFrom(reader));
  });
}

}  // namespace

fp::List<char> readInputs(std::vector<std::string> names, InputEvents events) {
  return blocksFrom(std::make_shared<Reader>(std::move(names), std::move(events)));
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
