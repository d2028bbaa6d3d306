#include "machine/qjf_handler.h"

#include <gtest/gtest.h>
#include <string>

namespace {
// "L" for a long pulse, "S" for a short one.
std::string Pulses(TQJFHandler& h, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += h.NextPulse() == h.LongPulse ? 'L' : 'S';
    return out;
}

std::unique_ptr<platform::TMemoryStream> Tape(std::size_t size, std::uint8_t fill) {
    auto s = std::make_unique<platform::TMemoryStream>();
    s->SetSize(std::int64_t(size));
    for (std::size_t i = 0; i < size; ++i)
        s->Memory()[i] = fill;
    return s;
}
} // namespace

TEST(QjfPulses, AByteIsAStartPulseAndItsBitsMostSignificantFirst) {
    TQJFHandler h;
    auto tape = Tape(0x81, 0);
    tape->Memory()[0x80] = 0xA5;
    tape->SetPosition(0x80);
    h.QjfStream = std::move(tape);
    h.BlockState = 18;
    h.PulsesLeft[18] = 100;
    EXPECT_EQ(Pulses(h, 9), "LLSLSSLSL");
    EXPECT_EQ(h.Checksum, 4);
    EXPECT_EQ(h.BitsLeft, 0);
}

TEST(QjfPulses, ChecksumGoesOutHighByteFirst) {
    TQJFHandler h;
    h.QjfStream = Tape(0x100, 0);
    h.BlockState = 6;
    h.PulsesLeft[6] = 100;
    h.Checksum = 0x0123;
    EXPECT_EQ(Pulses(h, 9), "LSSSSSSSL"); // 0x01
    EXPECT_EQ(Pulses(h, 9), "LSSLSSSLL"); // 0x23
}

TEST(QjfPulses, RunsAdvanceTheBlockStateAndResetTheChecksum) {
    TQJFHandler h;
    h.QjfStream = Tape(0x100, 0xFF);
    h.BlockState = 3;
    h.PulsesLeft[3] = 2;
    h.PulsesLeft[4] = 1;
    h.PulsesLeft[5] = 9;
    h.Checksum = 0x7777;
    EXPECT_EQ(Pulses(h, 2), "SS");
    EXPECT_EQ(h.BlockState, 4);
    EXPECT_EQ(Pulses(h, 1), "L");
    EXPECT_EQ(h.BlockState, 5);
    EXPECT_EQ(h.Checksum, 0); // a new block counts its own bits
    // The last pulse of the header state enters the checksum state, which
    // rewinds the stream for the header's second copy.
    EXPECT_EQ(Pulses(h, 9), "LLLLLLLLL");
    EXPECT_EQ(h.BlockState, 6);
    EXPECT_EQ(h.QjfStream->Position(), 0);
    h.BlockState = 0;
    EXPECT_EQ(h.NextPulse(), 0);
}

TEST(QjfPulses, LevelsWithAndWithoutATape) {
    TQJFHandler h;
    EXPECT_EQ(h.GetLevel(), 0);
    EXPECT_EQ(h.Countdown, 0);
    EXPECT_EQ(h.OutputLevel, 0);
    h.QjfStream = Tape(0x100, 0);
    h.BlockState = 2;
    h.PulsesLeft[2] = 10;
    int high = 0;
    while (h.GetLevel() == 1)
        ++high;
    EXPECT_EQ(high, 16); // a long pulse
    int low = 1;
    while (h.GetLevel() == 0)
        ++low;
    EXPECT_EQ(low, 11);
    EXPECT_TRUE(h.Close());
    EXPECT_FALSE(h.IsOpen());
}

TEST(QjfPulses, ReadsPastTheEndKeepTheByte) {
    TQJFHandler h;
    auto tape = Tape(0x81, 0x3C);
    tape->SetPosition(0x81);
    h.QjfStream = std::move(tape);
    h.BlockState = 18;
    h.PulsesLeft[18] = 100;
    h.CurrentByte = 0x80;
    EXPECT_EQ(Pulses(h, 9), "LLSSSSSSS");
}
