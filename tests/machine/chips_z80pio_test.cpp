#include "machine/z80pio.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
// Records the announcements.
class WatchedPio : public Z80PIO {
  public:
    WatchedPio() {
        OnIntLine = [this](std::uint32_t line) { Lines.push_back(line); };
        OnReady = [this](int port, std::uint32_t ready) { Ready.push_back({port, ready}); };
    }
    std::vector<std::uint32_t> Lines;
    std::vector<std::pair<int, std::uint32_t>> Ready;
};
} // namespace

TEST(Z80Pio, ResetStateAndVectorsSurvive) {
    Z80PIO pio;
    for (int p = 0; p < 2; ++p) {
        EXPECT_EQ(pio.PioMode[p], 1u);
        EXPECT_EQ(pio.PioMask[p], 0xFFu);
        EXPECT_EQ(pio.PioIoSelect[p], 1u);
        EXPECT_EQ(pio.PioReady[p], 0u);
    }
    pio.WriteControl(0, 0x10);
    EXPECT_EQ(pio.PioVector[0], 0x10u);
    pio.WriteControl(0, 0x11); // odd, no known low nibble: nothing
    EXPECT_EQ(pio.PioVector[0], 0x10u);
    pio.Reset();
    EXPECT_EQ(pio.PioVector[0], 0x10u);
    EXPECT_EQ(pio.ReadControl(0), 0);
}

TEST(Z80Pio, ModeThreeTakesTheNextControlByteAsIoSelect) {
    Z80PIO pio;
    pio.WriteControl(1, 0xCF);
    EXPECT_EQ(pio.PioMode[1], Z80PIO::ModeControlPending);
    EXPECT_EQ(pio.ReadData(1), 0); // not in mode 3 yet
    pio.WriteControl(1, 0x0F);
    EXPECT_EQ(pio.PioMode[1], 3u);
    EXPECT_EQ(pio.PioIoSelect[1], 0x0Fu);
    pio.WriteData(1, 0xA5);
    pio.PioInput[1] = 0x3C;
    EXPECT_EQ(pio.ReadData(1), 0xAC);
}

TEST(Z80Pio, InterruptControlWordWithMaskFollowing) {
    Z80PIO pio;
    pio.WriteControl(0, 0x97); // enable, OR, active low, mask follows
    EXPECT_EQ(pio.PioIntControl[0], 0x90u);
    EXPECT_EQ(pio.PioMask[0], 0u);
    pio.WriteControl(0, 0xF0);
    EXPECT_EQ(pio.PioMask[0], 0xF0u);
    EXPECT_EQ(pio.PioIntControl[0], 0x80u);
    pio.WriteControl(0, 0x03); // interrupt enable word with bit 7 clear: disable
    EXPECT_EQ(pio.PioIntControl[0], 0x00u);
    pio.WriteControl(0, 0x83);
    EXPECT_EQ(pio.PioIntControl[0], 0x80u);
}

TEST(Z80Pio, ReadyLinesFollowTheHandshakes) {
    WatchedPio pio;
    pio.Ready.clear();
    pio.WriteData(0, 0x55); // mode 1: stored, ready untouched
    EXPECT_EQ(pio.PioOutput[0], 0x55u);
    EXPECT_TRUE(pio.Ready.empty());
    pio.PioInput[0] = 0x77;
    EXPECT_EQ(pio.ReadData(0), 0x77);
    EXPECT_EQ(pio.PioReady[0], 1u);
    pio.WriteControl(1, 0x0F); // mode 0
    EXPECT_EQ(pio.ReadData(1), 0);
    pio.WriteData(1, 0x12);
    EXPECT_EQ(pio.ReadData(1), 0x12);
    pio.WriteControl(0, 0x8F); // mode 2: a read sets port B's ready
    pio.PioReady[1] = 0;
    pio.ReadData(0);
    EXPECT_EQ(pio.PioReady[1], 1u);
    EXPECT_EQ(pio.Ready.back(), (std::pair<int, std::uint32_t>{1, 1}));
}

TEST(Z80Pio, InterruptRequestWhileReadyIsLowAndAcknowledge) {
    WatchedPio pio;
    pio.WriteControl(0, 0x20);
    pio.WriteControl(1, 0x40);
    pio.WriteControl(0, 0x83); // enable; ready is 0 after reset: request
    EXPECT_EQ(pio.PioState[0], 1u);
    EXPECT_EQ(pio.Lines.back(), 1u);
    EXPECT_EQ(pio.AcknowledgeInterrupt(), 0x20);
    EXPECT_EQ(pio.PioState[0], 3u);
    EXPECT_EQ(pio.Lines.back(), 2u);
    // Port B's request is not served while A is in service: A's vector again.
    pio.WriteControl(1, 0x83);
    EXPECT_EQ(pio.PioState[1], 1u);
    EXPECT_EQ(pio.AcknowledgeInterrupt(), 0x20);
    EXPECT_EQ(pio.PioState[1], 1u);
    pio.Reset();
    pio.WriteControl(1, 0x83);
    EXPECT_EQ(pio.AcknowledgeInterrupt(), 0x40);
    EXPECT_EQ(pio.PioState[1], 3u);
    // A data read raises ready and withdraws the request; the in-service bit stays.
    pio.ReadData(1);
    EXPECT_EQ(pio.PioState[1], 2u);
}

TEST(Z80Pio, AcknowledgeWithNothingPendingGivesPortAsVector) {
    Z80PIO pio;
    EXPECT_EQ(pio.AcknowledgeInterrupt(), 0);
    pio.WriteControl(0, 0x18);
    pio.WriteControl(1, 0x28);
    EXPECT_EQ(pio.AcknowledgeInterrupt(), 0x18);
}

TEST(Z80Pio, BitModeInterruptsMatchTheMonitoredLines) {
    struct Case {
        std::uint8_t Control, Mask, Input;
        std::uint32_t Request;
    };
    // Mode 3, all lines inputs; the mask word follows each control word.
    const Case cases[] = {
        {0xB7, 0xF0, 0x00, 1}, // OR, active high: x = input & ~mask = 0 -> request
        {0xB7, 0xF0, 0x01, 0}, //   x = 1 -> none
        {0xF7, 0xF0, 0x0F, 0}, // AND, active high: x = 0x0F, not the mask -> none
        {0xF7, 0x00, 0x00, 1}, //   x = 0 equals mask 0 -> request
        {0x97, 0x0F, 0x00, 0}, // OR, active low: x = 0 ^ 0x0F -> none
        {0xD7, 0x0F, 0x00, 1}, // AND, active low: x = 0x0F equals the mask -> request
    };
    int i = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(i);
        Z80PIO pio;
        pio.WriteControl(0, 0xCF);
        pio.WriteControl(0, 0xFF);
        pio.PioInput[0] = c.Input;
        pio.WriteControl(0, c.Control);
        pio.WriteControl(0, c.Mask); // the mask word: no evaluation yet
        pio.WriteControl(0, 0x83);   // enable word evaluates
        EXPECT_EQ(pio.PioState[0] & 1, c.Request);
        ++i;
    }
}
