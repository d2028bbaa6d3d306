// Program images for the Load ROM command: a raw image (".bin" in any letter
// case), loaded and started at address 0, or a QJF tape image (any other
// extension, or none), whose header gives the load address (offset 20) and the
// execution address (offset 22) and whose body follows the 128-byte header.
//
// The file is read whole before anything else happens, so that a file that
// cannot be loaded leaves the machine as it was. Failures raise the exceptions
// of platform/exceptions.h with a message naming the file.
#pragma once

#include "platform/exceptions.h"
#include "platform/streams.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A file that is not a program image this loader can take.
class EProgramImageError : public platform::Exception {
  public:
    using Exception::Exception;
};

struct TProgramImage {
    static constexpr std::size_t RamSize = 0x10000;
    // The largest files of each kind: a .bin image fills the whole RAM from
    // address 0; a QJF image is a 128-byte header and a body filling the RAM.
    static constexpr std::size_t MaxRawFileSize = RamSize;
    static constexpr std::size_t MaxQjfFileSize = 128 + RamSize;

    bool Raw = false; // a .bin image
    std::uint16_t LoadAddress = 0;
    std::uint16_t ExecAddress = 0;
    std::vector<std::uint8_t> Body;
};

// How much of a body went into RAM, and how much would have run past 0xFFFF.
struct TRamCopy {
    std::size_t Copied = 0;
    std::size_t Dropped = 0;
};

// True when the name's extension (from its last '.', after its last '/') is
// ".BIN" in any letter case; every other name is read as a QJF image.
bool IsRawImageName(const std::string& fileName);

// The most bytes an image of the file's kind may hold.
std::size_t MaxProgramFileSize(const std::string& fileName);

// Reads the image from the file: EFOpenError ("Cannot open file %s: %s") when
// it cannot be opened or is no regular file, EFileReadError when reading it
// fails (never taken as its end), EProgramImageError when it is empty, larger
// than its kind's limit (never read past that) or a QJF image shorter than the
// header's two addresses.
TProgramImage ReadProgramImage(const std::string& fileName);
// The same from an open stream, whose read errors pass through; fileName gives
// the kind and the messages.
TProgramImage ReadProgramImage(platform::TStream& stream, const std::string& fileName);

// Copies the body to ram[LoadAddress...], stopping at 0xFFFF: the rest of the
// body is dropped, never wrapped round to address 0. A .bin image read by
// ReadProgramImage always fits.
TRamCopy CopyToRam(const TProgramImage& image, std::uint8_t (&ram)[TProgramImage::RamSize]);
