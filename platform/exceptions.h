// Exception classes standing in for the class library's: one base carrying the
// user-visible message, and one class per kind of failure the programs report.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

class Exception : public std::runtime_error {
  public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// Streams and files.
class EStreamError : public Exception {
  public:
    using Exception::Exception;
};
class EFOpenError : public EStreamError {
  public:
    explicit EFOpenError(const std::string& fileName) : EStreamError("Cannot open file " + fileName) {}
};
class EFCreateError : public EStreamError {
  public:
    explicit EFCreateError(const std::string& fileName) : EStreamError("Cannot create file " + fileName) {}
};
class EReadError : public EStreamError {
  public:
    EReadError() : EStreamError("Stream read error") {}
};
class EWriteError : public EStreamError {
  public:
    EWriteError() : EStreamError("Stream write error") {}
};

// Failed assertions (for example an unpaired EndUpdate).
class EAssertionFailed : public Exception {
  public:
    using Exception::Exception;
};

// A list index outside the list ("Invalid stage index").
class EListError : public Exception {
  public:
    using Exception::Exception;
};

// Out of memory or handles ("Can't allocate the DIB handle").
class EOutOfResources : public Exception {
  public:
    using Exception::Exception;
};

// Floating-point faults the original raised from the processor's traps.
class EZeroDivide : public Exception {
  public:
    EZeroDivide() : Exception("Floating point division by zero") {}
};
class EOverflow : public Exception {
  public:
    EOverflow() : Exception("Floating point overflow") {}
};
class EInvalidOp : public Exception {
  public:
    EInvalidOp() : Exception("Invalid floating point operation") {}
};

} // namespace platform
