#include "machine/t8253.h"

#include <gtest/gtest.h>
#include <vector>

TEST(T8253, LowThenHighLoadsCountAndReload) {
    T8253 pit;
    pit.Write(3, 0x30);
    pit.Write(0, 0x10);
    EXPECT_EQ(pit.PitAccess[0], T8253::PairHigh);
    pit.Write(0, 0x27);
    EXPECT_EQ(pit.PitCounter[0], 0x2710);
    EXPECT_EQ(pit.PitReload[0], 0x2710);
    pit.Write(0, 0x05); // a low byte again
    EXPECT_EQ(pit.PitCounter[0], 0x0005);
    EXPECT_EQ(pit.PitReload[0], 0x2710);
}

TEST(T8253, SingleByteAccessModes) {
    T8253 pit;
    pit.Write(3, 0x50); // counter 1, low byte only
    pit.Write(1, 0x34);
    pit.Write(1, 0x35);
    EXPECT_EQ(pit.PitCounter[1], 0x35);
    EXPECT_EQ(pit.Read(1), 0x35);
    EXPECT_EQ(pit.Read(1), 0x35);
    pit.Write(3, 0xA0); // counter 2, high byte only
    pit.Write(2, 0x12);
    EXPECT_EQ(pit.PitCounter[2], 0x1200);
    EXPECT_EQ(pit.Read(2), 0x12);
}

TEST(T8253, UnprogrammedCountersAndCounterThreeAreIgnored) {
    T8253 pit;
    pit.Write(0, 0x44);
    EXPECT_EQ(pit.PitCounter[0], 0);
    EXPECT_EQ(pit.Read(0), 0xFF);
    EXPECT_EQ(pit.Read(3), 0xFF);
    pit.Write(3, 0xF0); // counter "3"
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(pit.PitAccess[c], 0);
}

TEST(T8253, ReloadsWhenTheCountReachesOne) {
    T8253 pit;
    pit.Write(3, 0x10);
    pit.Write(0, 10);
    std::vector<int> seen;
    for (int i = 0; i < 10; ++i) {
        pit.Clock();
        seen.push_back(pit.PitCounter[0]);
    }
    EXPECT_EQ(seen, (std::vector<int>{9, 8, 7, 6, 5, 4, 3, 2, 10, 9}));
}

TEST(T8253, ZeroCountsFromFFFFAndCascades) {
    T8253 pit;
    pit.Write(3, 0x10);
    pit.Write(0, 0); // counts 0xFFFF, 0xFFFE, ... reloads 0 at 1
    pit.Write(3, 0x50);
    pit.Write(1, 3);
    pit.Write(3, 0x90);
    pit.Write(2, 5);
    pit.Clock();
    EXPECT_EQ(pit.PitCounter[0], 0xFFFF);
    for (int i = 0; i < 0xFFFE; ++i)
        pit.Clock();
    // Counter 0 reached 1 and reloaded 0: one clock for counter 1.
    EXPECT_EQ(pit.PitCounter[0], 0);
    EXPECT_EQ(pit.PitCounter[1], 2);
    // Counter 1 reloads at its next clock and clocks counter 2.
    for (int i = 0; i < 0xFFFF; ++i)
        pit.Clock();
    EXPECT_EQ(pit.PitCounter[1], 3);
    EXPECT_EQ(pit.PitCounter[2], 4);
}

TEST(T8253, LatchHoldsTheCountForTwoReads) {
    T8253 pit;
    pit.Write(3, 0x30);
    pit.Write(0, 0x00);
    pit.Write(0, 0x10); // 0x1000
    pit.Clock();
    pit.Write(3, 0x00); // latch counter 0
    for (int i = 0; i < 0x123; ++i)
        pit.Clock();
    EXPECT_EQ(pit.Read(0), 0xFF);
    EXPECT_EQ(pit.Read(0), 0x0F);
    // Released: the live count again.
    EXPECT_EQ(pit.PitCounter[0], 0x1000 - 0x124);
    EXPECT_EQ(pit.Read(0), (0x1000 - 0x124) & 0xFF);
}
