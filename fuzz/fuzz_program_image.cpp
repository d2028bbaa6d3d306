// Reads arbitrary bytes as a program image, as a .bin or a .qjf file by the
// first byte, and copies what was read into a 64 KB RAM: every image either
// loads within the RAM or is refused with its message, and a .bin image is
// never cut.
#include "platform/streams.h"
#include "ui/loader/program_image.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// Inputs may grow past the largest image the reader takes (the name byte and
// a QJF image of 128 + 65536 bytes), which libFuzzer's default of 4096 bytes
// never reaches. A -max_len given on the command line comes later and wins.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static std::string maxLen = "-max_len=" + std::to_string(1 + TProgramImage::MaxQjfFileSize + 64);
    static std::vector<char*> args;
    args.assign(*argv, *argv + *argc);
    args.insert(args.begin() + 1, maxLen.data());
    args.push_back(nullptr);
    *argc += 1;
    *argv = args.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const char* name = data[0] & 1 ? "fuzz.bin" : data[0] & 2 ? "fuzz" : "fuzz.qjf";
    platform::TMemoryStream stream;
    stream.WriteBuffer(data + 1, size - 1);
    stream.SetPosition(0);
    try {
        const TProgramImage image = ReadProgramImage(stream, name);
        static std::uint8_t ram[TProgramImage::RamSize];
        const TRamCopy copy = CopyToRam(image, ram);
        if (copy.Copied + copy.Dropped != image.Body.size()) std::abort();
        if (image.LoadAddress + copy.Copied > TProgramImage::RamSize) std::abort();
        if (image.Raw && copy.Dropped != 0) std::abort(); // a .bin image fits the RAM whole
    } catch (const EProgramImageError&) {
    }
    return 0;
}
