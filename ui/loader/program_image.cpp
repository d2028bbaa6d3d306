#include "ui/loader/program_image.h"

#include "machine/qjf_handler.h"
#include "platform/format.h"

#include <algorithm>
#include <cctype>

namespace {

// A QJF image must hold its header up to the execution address.
constexpr std::size_t QjfAddressesEnd = TQJFHandler::ExecAddressOffset + 2;

std::uint16_t Word(const std::vector<std::uint8_t>& data, std::size_t offset) {
    return static_cast<std::uint16_t>(data[offset] | data[offset + 1] << 8);
}

[[noreturn]] void Refuse(const std::string& fileName, const std::string& reason) {
    throw EProgramImageError("Cannot load " + fileName + ": " + reason);
}

} // namespace

bool IsRawImageName(const std::string& fileName) {
    const std::size_t slash = fileName.find_last_of('/');
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
    std::string extension = fileName.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return extension == ".BIN";
}

TProgramImage ReadProgramImage(const std::string& fileName) {
    platform::TFileStream file(fileName, platform::TFileMode::fmOpenRead);
    return ReadProgramImage(file, fileName);
}

std::size_t MaxProgramFileSize(const std::string& fileName) {
    return IsRawImageName(fileName) ? TProgramImage::MaxRawFileSize : TProgramImage::MaxQjfFileSize;
}

TProgramImage ReadProgramImage(platform::TStream& stream, const std::string& fileName) {
    TProgramImage image;
    image.Raw = IsRawImageName(fileName);
    const std::size_t limit = MaxProgramFileSize(fileName);
    // One byte more than the limit tells a file at the limit from a larger one.
    std::vector<std::uint8_t> data(limit + 1);
    const std::size_t size = stream.ReadUpTo(data.data(), data.size());
    if (size == 0) Refuse(fileName, "the file is empty");
    if (size > limit) {
        const long long has = std::max<long long>(static_cast<long long>(size), stream.Size());
        Refuse(fileName,
               image.Raw
                   ? platform::Format("a .bin image holds at most %zu bytes, the file has %lld", limit, has)
                   : platform::Format("a QJF image holds at most %zu bytes (a 128-byte header "
                                      "and 64 KB), the file has %lld",
                                      limit, has));
    }
    data.resize(size);

    std::size_t bodyStart = 0;
    if (!image.Raw) {
        if (size < QjfAddressesEnd)
            Refuse(fileName, platform::Format("a QJF image needs at least %zu bytes, the file has %zu",
                                              QjfAddressesEnd, size));
        image.LoadAddress = Word(data, TQJFHandler::LoadAddressOffset);
        image.ExecAddress = Word(data, TQJFHandler::ExecAddressOffset);
        bodyStart = std::min<std::size_t>(size, TQJFHandler::HeaderSize);
    }
    image.Body.assign(data.begin() + static_cast<std::ptrdiff_t>(bodyStart), data.end());
    return image;
}

TRamCopy CopyToRam(const TProgramImage& image, std::uint8_t (&ram)[TProgramImage::RamSize]) {
    TRamCopy copy;
    copy.Copied = std::min(image.Body.size(), TProgramImage::RamSize - image.LoadAddress);
    copy.Dropped = image.Body.size() - copy.Copied;
    std::copy_n(image.Body.begin(), copy.Copied, ram + image.LoadAddress);
    return copy;
}
