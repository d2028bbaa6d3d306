// The system calls the file functions of file_io make, through one table. The
// program never changes it; a test swaps an entry to watch the calls (their
// order, their arguments) or to make one fail or change the file system between
// two of them, and puts it back with TScopedSystemCall.
#pragma once

#include <cstddef>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <utility>

namespace platform {

struct TSystemCalls {
    int (*Stat)(const char* path, struct stat* st);
    int (*Open)(const char* path, int flags, mode_t mode);
    int (*Fstat)(int fd, struct stat* st);
    ssize_t (*Read)(int fd, void* data, std::size_t size);
    ssize_t (*Write)(int fd, const void* data, std::size_t size);
    int (*Fsync)(int fd);
    int (*Rename)(const char* from, const char* to);
    int (*Link)(const char* from, const char* to);
};

// The table in use.
TSystemCalls& SystemCalls();

// Replaces one entry of the table while alive.
template <class F> class TScopedSystemCall {
  public:
    TScopedSystemCall(F TSystemCalls::*entry, F call) : Entry(entry), Previous(SystemCalls().*entry) {
        SystemCalls().*Entry = call;
    }
    ~TScopedSystemCall() { SystemCalls().*Entry = Previous; }
    TScopedSystemCall(const TScopedSystemCall&) = delete;
    TScopedSystemCall& operator=(const TScopedSystemCall&) = delete;

  private:
    F TSystemCalls::*Entry;
    F Previous;
};
template <class F> TScopedSystemCall(F TSystemCalls::*, F) -> TScopedSystemCall<F>;

} // namespace platform
