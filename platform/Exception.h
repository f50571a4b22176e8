#pragma once
// Exceptions raised by the platform layer and the LUT core. Every one carries a
// user-readable message; nothing between a user action and the top level catches them,
// except to note where the error arose (the file and, for text, the line) beside the
// message, which itself never changes on the way up.

#include <stdexcept>
#include <string>

#include "platform/Export.h"

namespace vorn {

class VORN_API Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  const std::string Message() const { return what(); }

  // The file the error concerns; empty when not known.
  const std::string& File() const { return File_; }
  // The 1-based line of the file the error arose on; 0 when not known.
  int Line() const { return Line_; }
  // Each place is noted once, by the innermost code that knows it.
  void NoteFile(const std::string& file) {
    if (File_.empty()) File_ = file;
  }
  void NoteLine(int line) {
    if (Line_ == 0) Line_ = line;
  }

 private:
  std::string File_;
  int Line_ = 0;
};

// Text that is not a valid integer or real number.
class VORN_API EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A file that cannot be opened, created, read or written.
class VORN_API EFileError : public Exception {
 public:
  using Exception::Exception;
};

// A file written with TWriteMode::CreateNew whose name is taken (before the write or by
// another writer meanwhile). Path() is the name; nothing was written to it.
class VORN_API EFileExists : public EFileError {
 public:
  explicit EFileExists(const std::string& path)
      : EFileError("The file \"" + path + "\" already exists and is not replaced."), Path_(path) {}
  const std::string& Path() const { return Path_; }

 private:
  std::string Path_;
};

}  // namespace vorn
