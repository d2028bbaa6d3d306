// The port map, its aliases and log lines, and the board's wiring of the 8255
// and PIO outputs: lamps, reverse video, IPL exit, reset line, key rows, window.
#include "board_test_support.h"

namespace {

using board_test::Rig;

TEST(BoardPorts, UnansweredPortsAreLoggedWithTheWholePortNumber) {
    Rig rig;
    TQJ47R& m = rig.M();
    rig.Services.TakeLines();
    EXPECT_EQ(m.ReadPort(0x12D0), 0);
    m.WritePort(0x0000, 0x5A);
    m.WritePort(0xAB10, 0x07);
    EXPECT_EQ(m.ReadPort(0x00F0), 0);
    EXPECT_EQ(rig.Services.TakeLines(),
              (std::vector<std::string>{"Read from Port 12d0", "Wrote 5a to Port 00", "Wrote 07 to Port ab10",
                                        "Read from Port f0"}));
}

TEST(BoardPorts, DiscControllerAnswersAtBothAliasesAndItsLatchPorts) {
    Rig rig;
    TQJ47R& m = rig.M();
    rig.Services.TakeLines();
    struct Case {
        int Write, Read;
        std::uint8_t Value, Expect;
    };
    const Case cases[] = {
        {0xD9, 0xF9, 0x35, 0x35},   // track register written at D9, read at F9
        {0xFA, 0x12DA, 0x0C, 0x0C}, // sector register; the high byte does not matter
        {0xDD, 0xDD, 0x01, 0xFE},   // side: stored as the bus bit, read back inverted
        {0xDE, 0xDE, 0x77, 0x00},   // ignored, reads 0
        {0xDF, 0xDF, 0x77, 0x00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Write);
        m.WritePort(c.Write, c.Value);
        EXPECT_EQ(m.ReadPort(c.Read), c.Expect);
    }
    EXPECT_EQ(m.Fdc.TrackReg, 0x35 ^ 0xFF);
    EXPECT_TRUE(rig.Services.TakeLines().empty());
}

TEST(BoardPorts, PioSelectsTheKeyRowAndTheVideoWindow) {
    Rig rig;
    TQJ47R& m = rig.M();
    board_test::Configure(m, false, m.Settings()); // out of IPL mode: RAM halves in place
    for (int r = 0; r < 12; ++r)
        KeyMatrix[r] = std::uint8_t(0x11 * r + 1);
    for (int r = 0; r < 16; ++r) {
        SCOPED_TRACE(r);
        m.WritePort(0xE8, 0x10 | r);                                           // PIO A data
        EXPECT_EQ(m.ReadPort(0xEA), r < 12 ? std::uint8_t(~KeyMatrix[r]) : 0); // PIO B data
        // 8255 port B bit 7 follows the selected row's bit 7; rows 12-15 have no keys.
        const bool down = r < 12 && (KeyMatrix[r] & 0x80);
        EXPECT_EQ(m.ReadPort(0xE1) & 0x80, down ? 0 : 0x80);
        EXPECT_EQ(m.ReadPort(0xE1) & 0x30, 0x30); // cassette status
    }
    m.WritePort(0xE8, 0x05); // bit 4 clear: no row
    EXPECT_EQ(m.ReadPort(0xEA), 0);
    TextVram[0] = 0x3C;
    MainRam[0x5000] = 0x11;
    MainRam[0xD000] = 0x22;
    EXPECT_EQ(m.ReadMem(0xD000), 0x22); // no window
    EXPECT_EQ(m.ReadMem(0x5000), 0x11);

    m.WritePort(0xE8, 0xC0);
    EXPECT_EQ(m.ReadMem(0x5000), 0x3C); // the window, low
    EXPECT_EQ(m.ReadMem(0xD000), 0x22);
    EXPECT_EQ(rig.Services.PioPorts[0], (std::pair<std::uint8_t, std::uint8_t>{0xFF, 0xC0}));
    m.WritePort(0xEB, 0xCF); // PIO B control mode; I/O select word follows
    m.WritePort(0xEB, 0x0F);
    EXPECT_EQ(rig.Services.PioPorts[1].first, 0x0F);
}

TEST(BoardPorts, ColumnAndVideoModeChangesRedrawTheScreen) {
    Rig rig;
    TQJ47R& m = rig.M();
    EXPECT_EQ(rig.Screen.Pixel(0, 0) & 0x00FFFFFF, 0); // construction left it black
    m.WritePort(0xE0, 0x00);                           // PA4 low while reverse already: no redraw
    EXPECT_EQ(rig.Screen.Pixel(0, 0) & 0x00FFFFFF, 0);
    m.WritePort(0xE8, 0x20); // 80 columns: redraw in reverse video, blank cells turn green
    EXPECT_EQ(rig.Screen.Pixel(639, 399) & 0x00FFFFFF, 0x00FF00u);
    m.WritePort(0xE0, 0x10); // normal video
    EXPECT_EQ(rig.Screen.Pixel(639, 399) & 0x00FFFFFF, 0);
}

TEST(BoardPorts, ModeLampsFollowPortAAndRepaintOnlyOnChange) {
    Rig rig;
    TQJ47R& m = rig.M();
    const int before = rig.Services.StatusBarRefreshes;
    m.WritePort(0xE0, 0xA0);
    EXPECT_EQ(m.ModeLamps()[0], 1);
    EXPECT_EQ(m.ModeLamps()[1], 0);
    EXPECT_EQ(m.ModeLamps()[2], 1);
    EXPECT_EQ(rig.Services.StatusBarRefreshes, before + 1);
    m.WritePort(0xE0, 0xA1);
    EXPECT_EQ(rig.Services.StatusBarRefreshes, before + 1);
    m.WritePort(0xE0, 0x40);
    EXPECT_EQ(m.ModeLamps()[1], 1);
    EXPECT_EQ(rig.Services.StatusBarRefreshes, before + 2);
    EXPECT_EQ(rig.Services.PpiPorts[0], 0x40);
}

TEST(BoardPorts, PcOneLeavesIplModeOnceAndRestartsTheRun) {
    Rig rig;
    TQJ47R& m = rig.M();
    rig.SetPC(0x0123);
    m.WritePort(0xE3, 0x03); // PC1 high
    EXPECT_EQ(m.IplMode(), 0);
    EXPECT_EQ(rig.PC(), 0);
    EXPECT_EQ(rig.Services.RunClicks, 2);
    m.WritePort(0xE3, 0x02);
    m.WritePort(0xE3, 0x03); // again, now in normal mode: nothing
    EXPECT_EQ(rig.Services.RunClicks, 2);
}

TEST(BoardPorts, ResetLineResetsOnTheFallingEdgeOfPcThree) {
    Rig rig;
    TQJ47R& m = rig.M();
    m.ColdBoot = 0;
    m.Reset();
    rig.SetPC(0x4000);
    m.WritePort(0xE3, 0x06); // PC3 low without a high before: nothing
    EXPECT_EQ(rig.PC(), 0x4000);
    m.WritePort(0xE3, 0x07); // PC3 high
    EXPECT_EQ(ResetLatch, 1);
    EXPECT_EQ(rig.PC(), 0x4000);
    m.WritePort(0xE8, 0x20); // 80 columns
    m.WritePort(0xE3, 0x06); // falling edge: reset
    EXPECT_EQ(rig.PC(), 0);
    EXPECT_EQ(ResetLatch, 0);
    EXPECT_EQ(rig.P().Columns80(), 0);
    rig.SetPC(0x4000);
    m.WritePort(0xE3, 0x06);
    EXPECT_EQ(rig.PC(), 0x4000);
}

TEST(BoardPorts, GraphicsControlSelectsAndShowsPlanes) {
    Rig rig;
    TQJ47R& m = rig.M();
    struct Case {
        std::uint8_t Write, Read, Sel1, Sel2; // the status read shows what is shown
    };
    const Case cases[] = {
        {0x08, 0x0C, 1, 0}, // shows plane II, selects plane I
        {0x01, 0x01, 0, 1},
        {0x06, 0x0E, 1, 0},
        {0x03, 0x03, 0, 1},
    };
    m.WritePort(0xE8, 0x80); // the window at 0xD000: graphics at 0xE000
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.Write));
        m.WritePort(0xF4 | (c.Write & 3), c.Write);
        GraphicsRam1[0] = GraphicsRam2[0] = 0;
        m.WriteMem(0xE000, 0x5A); // lands in the selected plane
        EXPECT_EQ(GraphicsRam1[0], c.Sel1 ? 0x5A : 0);
        EXPECT_EQ(GraphicsRam2[0], c.Sel2 ? 0x5A : 0);
        EXPECT_EQ(m.ReadPort(0xF7), c.Read);
    }
}

TEST(BoardPorts, ModeWordRunsTheWholeWiringAndPitIsReached) {
    Rig rig;
    TQJ47R& m = rig.M();
    KeyMatrix[3] = 0x80;
    rig.Services.PpiPorts = {0xAA, 0xAA, 0xAA};
    m.WritePort(0xE3, 0x82); // mode word: all ports mode 0, B input
    EXPECT_EQ(rig.Services.PpiPorts[0], 0x00);
    EXPECT_EQ(rig.Services.PpiPorts[2], 0x00);
    EXPECT_EQ(rig.Services.PpiPorts[1] & 0x80, 0);    // row 3 bit 7 on writes
    EXPECT_EQ(rig.Services.PpiPorts[1] & 0x30, 0x30); // the cassette status

    m.WritePort(0xE7, 0x10); // counter 0, low byte only
    m.WritePort(0xE4, 0x42);
    EXPECT_EQ(m.ReadPort(0xE4), 0x42);
}

} // namespace
