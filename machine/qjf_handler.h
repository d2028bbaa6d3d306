// QJF tape images (128-byte header, then the body) and the pulse train a
// cassette deck plays from one: a sequence of 25 block states of short-pulse
// runs, long-pulse runs, header and body bytes and their checksums. Each byte is
// a long start pulse and its bits 7 to 0 (long = 1, short = 0).
#pragma once

#include "platform/streams.h"

#include <cstdint>
#include <memory>

class TQJFHandler {
  public:
    static constexpr int HeaderSize = 0x80;
    static constexpr int LoadAddressOffset = 0x14;
    static constexpr int ExecAddressOffset = 0x16;

    bool IsOpen() const { return QjfStream != nullptr; }
    bool Close();
    // The output level for the next deck sample; 0 without a tape.
    std::uint8_t GetLevel();

    std::int32_t NextPulse();
    void LoadByte();
    std::int32_t NextBit();

    std::int32_t BlockState = 0;      // 1-25; 0 = none
    std::int32_t PulsesLeft[26] = {}; // per state 1-25
    std::unique_ptr<platform::TStream> QjfStream;
    std::int32_t ShortPulse = 8; // high samples of a short pulse, minus one
    std::int32_t LongPulse = 15; // of a long pulse
    std::int32_t LowLength = 10; // low samples after every pulse, minus one
    std::int32_t Countdown = 0;
    std::uint16_t Checksum = 0; // 1 bits sent in the current block
    std::uint8_t CurrentByte = 0;
    std::int32_t BitsLeft = 0; // 9 = start pulse next, 0 = load a byte
    std::uint8_t OutputLevel = 0;

  private:
    void Enter(std::int32_t state);
};
