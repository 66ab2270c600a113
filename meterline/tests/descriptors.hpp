// Points one of the process's file descriptors elsewhere while in scope, for tests of what
// the library makes of standard output and standard error.
#pragma once

#include <fcntl.h>
#include <unistd.h>

namespace meterline::testing {

class RedirectedDescriptor {
 public:
  // `fd` writes where `target` does.
  RedirectedDescriptor(int fd, int target) : fd_(fd), saved_(dup(fd)) { dup2(target, fd); }
  // `fd` writes to the file at `path`.
  RedirectedDescriptor(int fd, const char* path) : fd_(fd), saved_(dup(fd)) {
    const int target = open(path, O_WRONLY);
    dup2(target, fd);
    close(target);
  }
  RedirectedDescriptor(const RedirectedDescriptor&) = delete;
  RedirectedDescriptor& operator=(const RedirectedDescriptor&) = delete;
  ~RedirectedDescriptor() {
    dup2(saved_, fd_);
    close(saved_);
  }

 private:
  int fd_;
  int saved_;
};

}  // namespace meterline::testing
