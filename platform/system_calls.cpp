#include "platform/system_calls.h"

#include <cstdio>
#include <unistd.h>

namespace platform {

TSystemCalls& SystemCalls() {
    static TSystemCalls calls = {
        [](const char* path, struct stat* st) { return ::stat(path, st); },
        [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
        [](int fd, struct stat* st) { return ::fstat(fd, st); },
        [](int fd, void* data, std::size_t size) { return ::read(fd, data, size); },
        [](int fd, const void* data, std::size_t size) { return ::write(fd, data, size); },
        [](int fd) { return ::fsync(fd); },
        [](const char* from, const char* to) { return std::rename(from, to); },
        [](const char* from, const char* to) { return ::link(from, to); },
    };
    return calls;
}

} // namespace platform
