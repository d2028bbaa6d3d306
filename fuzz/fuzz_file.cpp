#include "fuzz/fuzz_file.h"

#include "platform/exceptions.h"
#include "platform/file_io.h"
#include "platform/streams.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace {
bool SameBytes(const std::vector<std::uint8_t>& read, const std::uint8_t* data, std::size_t size) {
    return read.size() == size && (size == 0 || std::memcmp(read.data(), data, size) == 0);
}
} // namespace

TFuzzFile::TFuzzFile(const std::uint8_t* data, std::size_t size, const char* suffix)
    : Data(data), Size(size), FilePath((std::filesystem::temp_directory_path() /
                                        ("fuzz_input." + std::to_string(::getpid()) + suffix))
                                           .string()) {
    std::FILE* f = std::fopen(FilePath.c_str(), "wb");
    if (!f || (size && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) __builtin_trap();
}

TFuzzFile::~TFuzzFile() { std::remove(FilePath.c_str()); }

void TFuzzFile::CheckWholeFileReads() const {
    const std::uint64_t limit = Size == 0 ? 0 : Size - 1 + Data[Size - 1] % 3;
    try {
        const std::vector<std::uint8_t> read = platform::ReadWholeFile(FilePath, limit);
        if (limit < Size || !SameBytes(read, Data, Size)) __builtin_trap();
    } catch (const platform::EFOpenError&) {
        if (limit >= Size) __builtin_trap(); // refused a file within the limit
    }

    platform::TFileStream stream(FilePath, platform::TFileMode::fmOpenRead);
    if (stream.Size() != std::int64_t(Size)) __builtin_trap();
    std::vector<std::uint8_t> read(Size + 1);
    std::size_t got = 0, n = 0;
    // In pieces of 1000 bytes, and one byte more than the file holds.
    while ((n = stream.Read(read.data() + got, std::min<std::size_t>(1000, read.size() - got))) > 0)
        got += n;
    read.resize(got);
    if (!SameBytes(read, Data, Size)) __builtin_trap();
}
