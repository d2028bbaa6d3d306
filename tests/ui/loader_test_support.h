// Program images for the loader's tests: QJF images built from their two
// addresses and a body, and files written into a temporary folder.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace loader_test {

using Bytes = std::vector<std::uint8_t>;

// `size` bytes counting up from `first`, so that every offset is told apart.
inline Bytes Counting(std::size_t size, std::uint8_t first = 1) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = static_cast<std::uint8_t>(first + i * 7);
    return b;
}

// A 128-byte QJF header with its load and execution addresses (the other
// header bytes 0xEE), then the body.
inline Bytes Qjf(std::uint16_t load, std::uint16_t exec, const Bytes& body) {
    Bytes b(128, 0xEE);
    b[20] = load & 0xFF;
    b[21] = load >> 8;
    b[22] = exec & 0xFF;
    b[23] = exec >> 8;
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace loader_test
