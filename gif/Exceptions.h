// The exception classes of the GIF library: each carries only its message, and
// the kind tells what went wrong (a bad picture, a failed copy, a stream that
// refused, an index outside a list).
#pragma once

#include <stdexcept>
#include <string>

namespace gif {

// Root of every error the library raises; what() is exactly the message text.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// The graphic framework's "this is not a valid picture" error.
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// Raised by TPersistent::Assign when two objects cannot be copied into each other.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// Stream errors: a file that cannot be opened or created, and reads or writes
// that the underlying device refused.
class EStreamError : public Exception {
 public:
  using Exception::Exception;
};
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EReadError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// An index outside a list.
class EListError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace gif
