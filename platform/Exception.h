#pragma once
// Exceptions raised by the platform layer and the LUT core. Every one carries only a
// user-readable message; nothing between a user action and the top level catches them.

#include <stdexcept>
#include <string>

namespace vorn {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  const std::string Message() const { return what(); }
};

// Text that is not a valid integer or real number.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A file that cannot be opened, created, read or written.
class EFileError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace vorn
