// The device tick: thresholds of each timed device, step-over, drive lamps,
// NMI and the PIO's interrupt path.
#include "board_test_support.h"
#include "fixtures/dsk_builder.h"

namespace {

using board_test::Rig;

TEST(BoardTick, EachDeviceFiresAtItsThresholdAndKeepsTheRest) {
    struct Case {
        const char* Device;
        std::int32_t& (TQJ47RProbe::*Ticks)();
        std::int32_t Start, Cost, After;
        bool Fires;
    };
    const Case cases[] = {
        {"pit", &TQJ47RProbe::PitTicks, 345, 4, 349, false},
        {"pit", &TQJ47RProbe::PitTicks, 345, 5, 0, true},
        {"fdc", &TQJ47RProbe::FdcTicks, 3990, 9, 3999, false},
        {"fdc", &TQJ47RProbe::FdcTicks, 3990, 13, 3, true},
        {"tape", &TQJ47RProbe::TapeTicks, 71, 4, 75, false},
        {"tape", &TQJ47RProbe::TapeTicks, 71, 5, 1, true},
        {"sample", &TQJ47RProbe::SampleTicks, 114, 11, 125, false},
        {"sample", &TQJ47RProbe::SampleTicks, 115, 11, 1, true},
        {"refill", &TQJ47RProbe::SoundTicks, 1590, 10, 1600, false},
        {"refill", &TQJ47RProbe::SoundTicks, 1590, 11, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Device << " " << c.Start << "+" << c.Cost);
        Rig rig;
        TQJ47R& m = rig.M();
        auto p = rig.P();
        m.WritePort(0xE7, 0x10); // counter 0 counts from 0x40
        m.WritePort(0xE4, 0x40);
        m.WritePort(0xE3, 0x05); // PC2 high
        rig.Sound.Advance(400);
        (p.*c.Ticks)() = c.Start;
        const int ring = p.RingWriteIndex();
        m.CheckInterrupt(c.Cost);
        EXPECT_EQ((p.*c.Ticks)(), c.After);
        const std::string d = c.Device;
        if (d == "pit") {
            EXPECT_EQ(m.ReadPort(0xE4), c.Fires ? 0x3F : 0x40);
        } else if (d == "sample") {
            EXPECT_EQ(p.RingWriteIndex(), ring + (c.Fires ? 1 : 0));
            EXPECT_EQ(p.SpeakerRing()[ring], c.Fires ? 4 : 0);
        } else if (d == "refill") {
            EXPECT_EQ(p.SoundWritePos(), c.Fires ? 400u : 0u);
        }
    }
}

TEST(BoardTick, HaltBurstSamplesTheSpeakerForItsWholeLengthAndTheRestFireOnce) {
    Rig rig;
    TQJ47R& m = rig.M();
    auto p = rig.P();
    rig.LoadProgram({0x76}, 0x0100); // halt: the slice's rest goes to the tick at once
    const int ring = p.RingWriteIndex();
    rig.RunSlices(1, 40000);
    EXPECT_EQ(p.RingWriteIndex(), ring + 319); // every whole 125 T-states but the last, kept as the rest
    EXPECT_EQ(p.SampleTicks(), 125);
    EXPECT_EQ(p.PitTicks(), 40000 - 350);
    EXPECT_EQ(p.FdcTicks(), 40000 - 4000);
    // Halted for minutes: the once-per-instruction devices keep a bounded backlog.
    const std::int64_t executed = rig.Services.ExecutedTStates;
    for (int i = 0; i < 30000; ++i)
        m.CheckInterrupt(80000);
    EXPECT_LE(p.PitTicks(), 1 << 20);
    EXPECT_LE(p.SoundTicks(), 1 << 20);
    EXPECT_LE(p.RingLag(), TQJ47R::RingLagLimit);
    // The debugger's counter counts on past 32 bits.
    EXPECT_EQ(rig.Services.ExecutedTStates, executed + 2'400'000'000);
}

TEST(BoardTick, NegativeCostFromAResetInsideAnInstructionCountsAsNothing) {
    Rig rig;
    TQJ47R& m = rig.M();
    auto p = rig.P();
    p.SampleTicks() = 100;
    rig.Services.ExecutedTStates = 7;
    m.CheckInterrupt(-70000);
    EXPECT_EQ(p.SampleTicks(), 100);
    EXPECT_EQ(rig.Services.ExecutedTStates, 7);
}

TEST(BoardTick, StepOverEndsTheSliceEachTimePcComesBack) {
    Rig rig;
    TQJ47R& m = rig.M();
    // 0x0100: nop; nop; jr 0x0100
    rig.LoadProgram({0x00, 0x00, 0x18, 0xFC}, 0x0100);
    rig.Services.StepOverAddress = 0x0102;
    m.SliceTStates = m.TStates = 1000;
    EXPECT_EQ(m.Execute(), 0);
    EXPECT_EQ(rig.PC(), 0x0102);
    EXPECT_EQ(rig.Services.ExecutedTStates, 8);
    m.TStates = 1000;
    EXPECT_EQ(m.Execute(), 0);
    EXPECT_EQ(rig.PC(), 0x0102);
    rig.Services.StepOverAddress = 0x10000;
    m.TStates = 1000;
    EXPECT_EQ(m.Execute(), 1);
}

TEST(BoardTick, DriveLampsFollowTheBusyDriveEvery4000TStates) {
    fixtures::TempDir discs;
    const std::string image = discs.File("d.dsk");
    fixtures::DskBuilder().Uniform(2, 1, 4, 1).Save(image);
    Rig rig;
    TQJ47R& m = rig.M();
    auto p = rig.P();
    m.Fdc.Mount(3, image, 0);
    m.WritePort(0xDC, 0x07);        // select drive D
    m.WritePort(0xD8, 0x08 ^ 0xFF); // restore: busy
    ASSERT_TRUE(m.Fdc.FdcStatus & 1);
    const int refreshes = rig.Services.StatusBarRefreshes;
    p.FdcTicks() = 3999;
    m.CheckInterrupt(1);
    EXPECT_EQ(m.DriveLamps()[3], 1);
    EXPECT_EQ(m.DriveLamps()[0] | m.DriveLamps()[1] | m.DriveLamps()[2], 0);
    EXPECT_EQ(rig.Services.StatusBarRefreshes, refreshes + 1);
    EXPECT_GE(rig.Services.FdcStatusShown, 1);
    // The command runs out; with nothing pending the lamps are still recomputed and go dark.
    for (int i = 0; i < 40; ++i)
        m.CheckInterrupt(4000);
    EXPECT_EQ(m.Fdc.FdcState, 0);
    EXPECT_EQ(m.DriveLamps()[3], 0);
    EXPECT_EQ(rig.Services.StatusBarRefreshes, refreshes + 2);
}

TEST(BoardTick, NmiIsTakenAfterTheNextInstruction) {
    Rig rig;
    TQJ47R& m = rig.M();
    // 0x0100: ld a,1; jr 0x0100 (loops); 0x0066: halt
    rig.LoadProgram({0x3E, 0x01, 0x18, 0xFC}, 0x0100);
    MainRam[0x0066] = 0x76;
    m.NmiRequest = 1;
    EXPECT_TRUE(m.CheckInterrupt(4));
    EXPECT_EQ(m.GetInterruptVector(), -2);
    EXPECT_EQ(m.GetInterruptVector(), -1);
    EXPECT_FALSE(m.CheckInterrupt(4));
    m.NmiRequest = 1;
    rig.RunSlices(1, 100);
    z80regs r;
    m.GetRegisters(&r);
    EXPECT_EQ(r.PC, 0x0066); // halted at the NMI routine
    EXPECT_EQ(MainRam[(r.SP + 0) & 0xFFFF] | (MainRam[(r.SP + 1) & 0xFFFF] << 8), 0x0102);
    EXPECT_EQ(m.NmiRequest, 0);
}

TEST(BoardTick, PioVectorAsksEveryTimeButNoMaskableInterruptIsDelivered) {
    Rig rig;
    TQJ47R& m = rig.M();
    auto p = rig.P();
    rig.SetPC(0x0100);
    EXPECT_FALSE(m.CheckInterrupt(4));
    m.WritePort(0xE9, 0x20); // PIO A control: vector 0x20
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(m.CheckInterrupt(4));
        EXPECT_EQ(m.GetInterruptVector(), -1);
    }
    // An output port with interrupts enabled and no handshake yet requests; the
    // tick acknowledges the request and puts it in service.
    m.WritePort(0xE9, 0x0F); // mode 0, output
    m.WritePort(0xE9, 0x83); // interrupts enabled
    EXPECT_TRUE(m.CheckInterrupt(4));
    EXPECT_EQ(p.Pio().PioState[0] & Z80PIO::StateInService, Z80PIO::StateInService);
}

} // namespace
