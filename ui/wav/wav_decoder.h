// Decodes a WAV recording of a cassette tape. The file must be a canonical
// 44-byte RIFF/WAVE header ("fmt " of 16 bytes, PCM, then "data") followed by
// 8- or 16-bit samples; every sample is turned into an unsigned 8-bit level
// (128 = silence) of the first channel. A pulse is a run of levels above 128;
// its width in samples tells a short pulse (bit 0) from a long one (bit 1).
// The samples run to the end of the file whatever length the data chunk
// states: recorders that stream leave that length at 0.
//
// The recording comes from a file (only a regular file is opened) or from any
// stream. A read error raises the stream's exception (EFileReadError "Cannot
// read file %s: %s" from a file): it never passes for the end of the data.
//
// Progress lines go to OnMemoLine, which the wizard window points at its memo.
// When the samples run out, every read raises EWavDataEnded, so that no pulse
// loop can go on past the end of the recording.
#pragma once

#include "platform/exceptions.h"
#include "platform/streams.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Raised by every sample read once the recording's data is used up.
class EWavDataEnded : public platform::Exception {
  public:
    EWavDataEnded() : platform::Exception("End of WAV data") {}
};

class TWavDecoder {
  public:
    static constexpr int HeaderSize = 44;
    static constexpr int WidthSlots = 5;
    // The largest RIFF file: an 8-byte chunk header and a 32-bit chunk size.
    static constexpr std::int64_t MaxFileSize = 8 + std::int64_t(0xFFFFFFFF);
    // The samples are read from the stream this many bytes at a time.
    static constexpr std::size_t BufferSize = 64 * 1024;

    TWavDecoder();
    ~TWavDecoder();
    TWavDecoder(const TWavDecoder&) = delete;
    TWavDecoder& operator=(const TWavDecoder&) = delete;

    // Opens the file for reading (EFOpenError "Cannot open file %s: %s" when it
    // cannot, or is no regular file) and checks its header; false when the file
    // is larger than MaxFileSize or its header is not one this decoder reads,
    // with the reason in HeaderProblem.
    bool Open(const std::string& fileName);
    // The same on a stream the decoder takes over (never null).
    bool Open(std::unique_ptr<platform::TStream> stream);
    bool ReadHeader();
    void Close();

    // The next sample of the first channel as a level 0-255 (128 = silence);
    // the other channels' samples of the frame are skipped.
    std::uint8_t ReadSample();
    // Width in samples of the next accepted positive half wave (8-bit: wraps).
    std::uint8_t MeasurePulse();
    // Finds the recording, calibrates ShortDelay and LongDelay, and stops after
    // the first long pulse that follows the calibration runs.
    void FindStart();
    // One byte: a start pulse and eight data pulses, most significant bit first.
    std::uint8_t ReadByte();

    // Byte offset in the file of the next unread sample; after a read error,
    // where the read that failed began.
    std::int64_t Position() const { return BufferStart + static_cast<std::int64_t>(BufferPos); }
    // Position as the memo shows it: (position - 44) / 2, the sample number of
    // a 16-bit mono file.
    std::int64_t MemoSampleNumber() const { return (Position() - HeaderSize) / 2; }
    // Byte offset in the file where the samples end: the end of the file (as
    // far as it could be read).
    std::int64_t DataEnd() const { return DataLimit; }
    // Bytes of samples the file held when its header was read.
    std::int64_t DataInFile() const { return FileSize - DataStart; }

    // Fields of the header and the calibration; they keep their values from
    // one run to the next.
    std::uint16_t FormatTag = 0;
    std::uint16_t Channels = 0;
    std::uint32_t SampleRate = 0; // kept for information; lengths count samples
    std::uint16_t BitsPerSample = 0;
    std::uint32_t DataStart = 0;
    std::uint32_t DataLength = 0; // as the data chunk states it
    std::uint8_t Threshold = 0;
    std::uint8_t ShortDelay = 0;
    std::uint8_t LongDelay = 0;
    std::uint8_t ShortWidths[WidthSlots] = {};
    std::uint8_t LongWidths[WidthSlots] = {};
    std::unique_ptr<platform::TStream> Stream;

    // Why the last ReadHeader returned false; empty after a good header.
    std::string HeaderProblem;
    // Receives each progress line; nothing is reported while it is empty.
    std::function<void(const std::string&)> OnMemoLine;

    // Adds one printf-style line through OnMemoLine.
    void Memo(const char* format, ...) __attribute__((format(printf, 2, 3)));

  private:
    bool Reject(std::string problem);
    bool Refill();
    std::uint8_t NextByte();
    void SkipBytes(std::size_t count);
    std::uint8_t ReadSampleSlow();

    std::int64_t FileSize = 0; // when the header was read
    // Samples are read through this buffer, never more than DataLimit allows.
    std::vector<std::uint8_t> Buffer;
    std::size_t BufferPos = 0;
    std::size_t BufferLength = 0;
    std::int64_t BufferStart = 0; // file offset of Buffer[0]
    std::int64_t DataLimit = 0;
    std::size_t SampleBytes = 1;
    std::size_t FrameBytes = 1;
};
