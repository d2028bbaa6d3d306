// Whole files read and written safely.
//
// Reading: only a regular file is read (a folder, a FIFO, a device or a socket
// is refused without blocking on it), its size is checked against the caller's
// limit before anything is read, and an input/output error is an error, never
// the file's end. Writing: the new contents go to a temporary file beside the
// target, which is flushed to disc and renamed over it, and the folder is
// flushed after the rename; a failure leaves the target as it was and removes
// the temporary file. Failures raise the exceptions of platform/exceptions.h
// with the system's reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

// What identifies one version of a file on disc: a file rewritten in place or
// replaced by another gets another stamp.
struct TFileStamp {
    bool Exists = false;
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = 0;
    std::int64_t ModifiedNs = 0; // modification time in nanoseconds

    bool operator==(const TFileStamp&) const = default;
};

// A version of a file as a program knows it: its stamp and its contents' hash.
struct TFileVersion {
    TFileStamp Stamp;
    std::uint64_t Hash = 0;
};

// 64-bit FNV-1a of the bytes: tells contents apart, not a safeguard against intent.
std::uint64_t ContentHash(const void* data, std::size_t size);

// The stamp of the file a name leads to (links followed); Exists false when
// there is none.
TFileStamp StampOf(const std::string& fileName);

// Whether the file still holds the version: the same stamp, or, when only the
// stamp changed (touched, copied back), the same contents. A file that is
// gone, or cannot be read, no longer holds it.
bool StillHolds(const std::string& fileName, const TFileVersion& version, std::uint64_t maxSize);

// Opens a regular file for reading without ever blocking (O_NONBLOCK is cleared
// once it is known to be a regular file); returns the descriptor. EFOpenError
// with the reason otherwise.
int OpenRegularFileForReading(const std::string& fileName);

// Reads a whole regular file of at most maxSize bytes. EFOpenError when it
// cannot be opened, is not a regular file or is larger than maxSize;
// EFileReadError when reading fails. version, when given, receives the stamp
// and hash of what was read.
std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName, std::uint64_t maxSize,
                                        TFileVersion* version = nullptr);

// Writes size bytes atomically to fileName (see above) and returns the new
// file's version. A fileName that is a symbolic link is followed: the file it
// leads to is replaced and the link stays. The permissions of a replaced file
// are kept, and a file the user may not write is never replaced. Stale
// temporary files that an interrupted save of the same file left are removed.
// EFCreateError with the reason on failure, with the target untouched.
TFileVersion WriteFileAtomic(const std::string& fileName, const void* data, std::size_t size);

// Writes size bytes to a new file in folder, written whole and flushed to disc
// before it gets its name: the first of nameFor(1), nameFor(2), ...
// nameFor(attempts) that no file has at that moment. A name that another
// process takes between the choice and the write is never replaced: the next
// is tried. Returns the path taken. EFCreateError with the reason on failure,
// with nothing left behind.
std::string WriteNewFile(const std::string& folder, const std::function<std::string(int attempt)>& nameFor,
                         int attempts, const void* data, std::size_t size);

// The temporary files a save of fileName uses: ".NAME.saving-XXXXXX" in its folder.
std::string SaveTempPrefix(const std::string& fileName);

} // namespace platform
