#include "ui/wav/wav_decoder.h"

#include "platform/format.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

namespace {
std::uint16_t U16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) { return std::uint32_t(U16(p)) | std::uint32_t(U16(p + 2)) << 16; }
bool HasTag(const std::uint8_t* header, int offset, const char* tag) {
    return std::memcmp(header + offset, tag, 4) == 0;
}

// Level of a 16-bit sample: 128 + v / 256, the division truncated toward zero.
std::uint8_t Level16(const std::uint8_t* p) { return std::uint8_t(128 + std::int16_t(U16(p)) / 256); }

// Stores a width in the first empty slot unless a slot already holds it.
void RecordWidth(std::uint8_t (&slots)[TWavDecoder::WidthSlots], std::uint8_t width) {
    for (std::uint8_t& slot : slots) {
        if (slot == width) return;
        if (slot == 0) {
            slot = width;
            return;
        }
    }
}
} // namespace

TWavDecoder::TWavDecoder() = default;
TWavDecoder::~TWavDecoder() = default;

void TWavDecoder::Memo(const char* format, ...) {
    if (!OnMemoLine) return;
    va_list args;
    va_start(args, format);
    std::string line = platform::FormatV(format, args);
    va_end(args);
    OnMemoLine(line);
}

bool TWavDecoder::Open(const std::string& fileName) {
    return Open(std::make_unique<platform::TFileStream>(fileName, platform::TFileMode::fmOpenRead));
}

bool TWavDecoder::Open(std::unique_ptr<platform::TStream> stream) {
    Stream = std::move(stream);
    return ReadHeader();
}

void TWavDecoder::Close() {
    Stream.reset();
    Buffer.clear();
    Buffer.shrink_to_fit();
    BufferStart = DataLimit = FileSize = 0;
    BufferPos = BufferLength = 0;
}

bool TWavDecoder::Reject(std::string problem) {
    HeaderProblem = std::move(problem);
    return false;
}

bool TWavDecoder::ReadHeader() {
    HeaderProblem.clear();
    // No samples until a header was accepted.
    BufferStart = DataLimit = FileSize = 0;
    BufferPos = BufferLength = 0;
    if (!Stream) return Reject("No WAV file is open");

    const std::int64_t fileSize = Stream->Size();
    if (fileSize > MaxFileSize)
        return Reject(platform::Format("The file is %lld bytes long, more than a WAV file can hold "
                                       "(%lld bytes: RIFF sizes are 32-bit)",
                                       static_cast<long long>(fileSize),
                                       static_cast<long long>(MaxFileSize)));
    std::uint8_t h[HeaderSize];
    Stream->SetPosition(0);
    if (Stream->ReadUpTo(h, HeaderSize) != HeaderSize)
        return Reject("The file is shorter than a WAV header (44 bytes)");
    if (!HasTag(h, 0, "RIFF")) return Reject("The file does not start with \"RIFF\"");
    if (!HasTag(h, 8, "WAVE")) return Reject("The RIFF file is not of type \"WAVE\"");
    if (!HasTag(h, 12, "fmt ")) return Reject("The \"fmt \" chunk does not follow the RIFF header");
    const std::uint32_t formatSize = U32(h + 16);
    if (formatSize != 16)
        return Reject(platform::Format("The \"fmt \" chunk is %u bytes long, not 16", formatSize));
    FormatTag = U16(h + 20);
    if (FormatTag != 1) return Reject(platform::Format("The samples are not PCM (format tag %u)", FormatTag));
    Channels = U16(h + 22);
    SampleRate = U32(h + 24);
    BitsPerSample = U16(h + 34);
    if (Channels == 0) return Reject("The file has no channels");
    if (BitsPerSample != 8 && BitsPerSample != 16)
        return Reject(platform::Format("Samples of %u bits are not read: 8 or 16 bits only", BitsPerSample));
    if (!HasTag(h, 36, "data")) return Reject("The \"data\" chunk does not follow the \"fmt \" chunk");
    DataLength = U32(h + 40);
    DataStart = HeaderSize;

    // The samples run on to the end of the file, whatever length the header gives.
    FileSize = DataLimit = fileSize;
    SampleBytes = BitsPerSample / 8;
    FrameBytes = SampleBytes * Channels;
    BufferStart = DataStart;
    Buffer.resize(BufferSize);
    return true;
}

// Moves the buffer on to the bytes that follow it; false at the end of the data.
bool TWavDecoder::Refill() {
    BufferStart += static_cast<std::int64_t>(BufferLength);
    BufferPos = BufferLength = 0;
    if (!Stream || BufferStart >= DataLimit) return false;
    const auto want = static_cast<std::size_t>(std::min<std::int64_t>(BufferSize, DataLimit - BufferStart));
    Stream->SetPosition(BufferStart);
    BufferLength = Stream->ReadUpTo(Buffer.data(), want);
    // A file that shrank since its header was read ends here.
    if (BufferLength < want) DataLimit = BufferStart + static_cast<std::int64_t>(BufferLength);
    return BufferLength != 0;
}

std::uint8_t TWavDecoder::NextByte() {
    if (BufferPos == BufferLength && !Refill()) throw EWavDataEnded();
    return Buffer[BufferPos++];
}

void TWavDecoder::SkipBytes(std::size_t count) {
    while (count > 0) {
        if (BufferPos == BufferLength && !Refill()) return;
        const std::size_t step = std::min(count, BufferLength - BufferPos);
        BufferPos += step;
        count -= step;
    }
}

// A frame that straddles the buffer's end, or the last one of the data: the
// first channel's sample must be whole, the others are skipped as far as they go.
std::uint8_t TWavDecoder::ReadSampleSlow() {
    std::uint8_t bytes[2];
    for (std::size_t i = 0; i < SampleBytes; ++i)
        bytes[i] = NextByte();
    SkipBytes(FrameBytes - SampleBytes);
    return SampleBytes == 2 ? Level16(bytes) : bytes[0];
}

std::uint8_t TWavDecoder::ReadSample() {
    if (BufferLength - BufferPos < FrameBytes) return ReadSampleSlow();
    const std::uint8_t* p = Buffer.data() + BufferPos;
    BufferPos += FrameBytes;
    return SampleBytes == 2 ? Level16(p) : p[0];
}

std::uint8_t TWavDecoder::MeasurePulse() {
    // Pulses longer than 40 samples that stay this high on average are not tape pulses.
    const int meanLimit = (2 * Threshold - 256) / 3 + 128;
    for (;;) {
        while (ReadSample() < 128) {
        }
        std::uint8_t count = 0;
        int mean = 0;
        std::uint8_t s;
        do {
            ++count;
            s = ReadSample();
            mean = (mean + s) / 2;
        } while (s > 128);
        if (count <= 40 || mean <= meanLimit) return count;
    }
}

void TWavDecoder::FindStart() {
    std::fill(std::begin(ShortWidths), std::end(ShortWidths), 0);
    std::fill(std::begin(LongWidths), std::end(LongWidths), 0);
    Threshold = 192;
    while (Position() < DataLimit && ReadSample() < Threshold) {
    }
    Memo("HF starting from %lld", static_cast<long long>(MemoSampleNumber()));
    for (int i = 0; i < 200; ++i)
        MeasurePulse();

    ShortDelay = MeasurePulse();
    std::uint8_t w;
    do {
        w = MeasurePulse();
        ShortDelay = std::uint8_t((ShortDelay + w) / 2);
        if (w <= ShortDelay + 1) RecordWidth(ShortWidths, w);
    } while (w <= ShortDelay + 1);
    Memo("LF starting from %lld", static_cast<long long>(MemoSampleNumber()));
    Memo("ShortDelay is %d", ShortDelay);

    LongDelay = MeasurePulse();
    do {
        w = MeasurePulse();
        LongDelay = std::uint8_t((LongDelay + w) / 2);
        if (w > ShortDelay + 1) RecordWidth(LongWidths, w);
    } while (w > ShortDelay + 1);
    Memo("HF continues from %lld", static_cast<long long>(MemoSampleNumber()));
    Memo("LongDelay is %d", LongDelay);

    while (MeasurePulse() <= ShortDelay + 1) {
    }
}

std::uint8_t TWavDecoder::ReadByte() {
    LongDelay = MeasurePulse();
    Memo("LongDelay is %d", LongDelay);
    std::uint8_t value = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (bit > 0) value = std::uint8_t(value << 1);
        const std::uint8_t w = MeasurePulse();
        Memo("read %d", w);
        if (w > ShortDelay + 2) value |= 1;
    }
    return value;
}
