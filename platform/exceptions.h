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
    // The system's reason alone ("No such file or directory"); empty when none was given.
    const std::string& Reason() const { return Why; }

  protected:
    // The message is the text, then the reason when there is one.
    EStreamError(const std::string& text, const std::string& reason)
        : Exception(reason.empty() ? text : text + ": " + reason), Why(reason) {}

  private:
    std::string Why;
};
// The file's name, then the reason when one is known ("Cannot open file
// /a/b.dsk: No such file or directory").
class EFOpenError : public EStreamError {
  public:
    explicit EFOpenError(const std::string& fileName, const std::string& reason = {})
        : EStreamError("Cannot open file " + fileName, reason) {}
};
class EFCreateError : public EStreamError {
  public:
    explicit EFCreateError(const std::string& fileName, const std::string& reason = {})
        : EStreamError("Cannot create file " + fileName, reason) {}
};
// An input/output error while a file was read: never taken as its end.
class EFileReadError : public EStreamError {
  public:
    EFileReadError(const std::string& fileName, const std::string& reason)
        : EStreamError("Cannot read file " + fileName, reason) {}
};
// The system's reason of a file error ("Permission denied"), or the whole
// message of an error without one.
inline std::string ReasonOf(const Exception& e) {
    const auto* file = dynamic_cast<const EStreamError*>(&e);
    return file && !file->Reason().empty() ? file->Reason() : e.Message();
}

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
