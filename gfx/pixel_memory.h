// Picture-sized memory: a bitmap's pixels, a decoded picture, the working
// buffers of whole-picture operations. Running out of it raises the library's
// own EOutOfResources ("Can't allocate the DIB handle"), never std::bad_alloc,
// so that every operation reports a failed allocation the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "platform/exceptions.h"

namespace gfx {

// The largest pixel block a bitmap may hold (bytes); larger sizes fail as an
// allocation failure would.
constexpr uint64_t kMaxBitmapBytes = uint64_t(1) << 31;

[[noreturn]] inline void OutOfPixelMemory() {
    throw platform::EOutOfResources("Can't allocate the DIB handle");
}

// Count elements of T, zeroed when asked. More than kMaxBitmapBytes, or
// memory that is not there, raises the library's exception.
template <typename T> std::unique_ptr<T[]> NewPixelMemory(uint64_t Count, bool Zeroed = false) {
    if (Count > kMaxBitmapBytes / sizeof(T)) OutOfPixelMemory();
    T* Memory = Zeroed ? new (std::nothrow) T[size_t(Count)]() : new (std::nothrow) T[size_t(Count)];
    if (!Memory) OutOfPixelMemory();
    return std::unique_ptr<T[]>(Memory);
}

// Runs Body, which fills containers as large as a picture or a picture's
// row; a failed allocation in it raises the library's exception instead.
template <typename BodyFn> decltype(auto) WithPixelMemory(BodyFn&& Body) {
    try {
        return Body();
    } catch (const std::bad_alloc&) {
        OutOfPixelMemory();
    }
}

} // namespace gfx
