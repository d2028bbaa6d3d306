#include "machine/qjf_handler.h"

namespace {
enum class Kind { None, Short, Long, Bytes };

Kind KindOf(std::int32_t s) {
    // clang-format off
    switch (s) {
    case 1: case 3: case 7: case 9: case 13: case 14: case 16: case 20:
        return Kind::Short;
    case 2: case 4: case 8: case 10: case 15: case 17: case 21: case 22: case 23:
        return Kind::Long;
    case 5: case 6: case 11: case 12: case 18: case 19: case 24: case 25:
        return Kind::Bytes;
    default:
        return Kind::None;
    }
    // clang-format on
}

bool IsChecksumState(std::int32_t s) { return s == 6 || s == 12 || s == 19 || s == 25; }
} // namespace

bool TQJFHandler::Close() {
    QjfStream.reset();
    return true;
}

std::uint8_t TQJFHandler::GetLevel() {
    if (!QjfStream) return 0;
    if (Countdown > 0) {
        --Countdown;
    } else if (OutputLevel == 0) {
        OutputLevel = 1;
        Countdown = NextPulse();
    } else {
        OutputLevel = 0;
        Countdown = LowLength;
    }
    return OutputLevel;
}

void TQJFHandler::Enter(std::int32_t state) {
    BlockState = state;
    if (state == 5 || state == 11 || state == 18 || state == 24)
        Checksum = 0;                                       // each block counts only its own 1 bits
    if (state == 6 && QjfStream) QjfStream->SetPosition(0); // the header goes out twice
    if (state == 19 && QjfStream) QjfStream->SetPosition(HeaderSize);
}

std::int32_t TQJFHandler::NextPulse() {
    const std::int32_t s = BlockState;
    const Kind kind = KindOf(s);
    if (kind == Kind::None) return 0;
    if (--PulsesLeft[s] == 0) Enter(s + 1);
    if (kind == Kind::Short) return ShortPulse;
    if (kind == Kind::Long) return LongPulse;
    if (BitsLeft == 0) LoadByte();
    return NextBit();
}

void TQJFHandler::LoadByte() {
    if (IsChecksumState(BlockState)) { // high byte first
        CurrentByte = std::uint8_t(Checksum >> 8);
        Checksum = std::uint16_t(Checksum << 8);
    } else if (QjfStream) {
        QjfStream->Read(&CurrentByte, 1); // past the end: unchanged
    }
    BitsLeft = 9;
}

std::int32_t TQJFHandler::NextBit() {
    bool longPulse = true; // the start pulse
    if (BitsLeft != 9) {
        longPulse = (CurrentByte >> (BitsLeft - 1)) & 1;
        if (longPulse) ++Checksum;
    }
    --BitsLeft;
    return longPulse ? LongPulse : ShortPulse;
}
