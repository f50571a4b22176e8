#pragma once
// A file descriptor that is closed when it goes out of scope (platform layer only).

#include <unistd.h>

namespace vorn {

class FileHandle {
 public:
  explicit FileHandle(int fd = -1) : Fd_(fd) {}
  ~FileHandle() {
    if (Fd_ >= 0) ::close(Fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int Get() const { return Fd_; }
  int Release() {
    int fd = Fd_;
    Fd_ = -1;
    return fd;
  }
  // Closes now and reports the error of close itself.
  int Close() {
    int result = ::close(Fd_);
    Fd_ = -1;
    return result;
  }

 private:
  int Fd_;
};

}  // namespace vorn
