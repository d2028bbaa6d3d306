#include "fixtures/recording_services.h"

#include <gtest/gtest.h>

TEST(MachineServices, LogLineFormatsLongLinesAndIgnoresNoServices) {
    RecordingServices s;
    LogLine(&s, "FDC: Command %02x", 6);
    LogLine(&s, "%s", std::string(1000, 'x').c_str());
    LogLine(nullptr, "nobody listens");
    ASSERT_EQ(s.Lines().size(), 2u);
    EXPECT_EQ(s.Lines()[0], "FDC: Command 06");
    EXPECT_EQ(s.Lines()[1], std::string(1000, 'x'));
}

TEST(MachineServices, TheLogKeepsOnlyTheNewestLines) {
    RecordingServices s(3);
    for (int i = 0; i < 10; ++i)
        LogLine(&s, "Wrote %02x to Port %02x", i, 0xE0);
    EXPECT_EQ(s.Lines(), (std::vector<std::string>{"Wrote 07 to Port e0", "Wrote 08 to Port e0",
                                                   "Wrote 09 to Port e0"}));
    EXPECT_EQ(s.Log.DroppedLines(), 7u);
}

TEST(MachineServices, CountersStartWithNoStepOverAddress) {
    RecordingServices s;
    TMachineServices& m = s;
    EXPECT_EQ(m.StepOverAddress, 0x10000);
    EXPECT_EQ(m.ExecutedTStates, 0);
    m.ClickRun();
    m.RefreshStatusBar();
    const std::uint8_t regs[6] = {1, 2, 3, 4, 5, 6};
    m.ShowFDCStatus(regs);
    EXPECT_EQ(s.RunClicks, 1);
    EXPECT_EQ(s.StatusBarRefreshes, 1);
    EXPECT_EQ(s.FdcRegisters[5], 6);
}
