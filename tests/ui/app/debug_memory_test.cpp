// The debugger's memory grid among the program's windows: whenever the
// machine stops (Stop, Step Into, a step over that arrives) and after Load
// ROM, IPL, NMI and the debugger's Reset, the grid shows the bytes in memory
// now; the ticks of a running machine leave it as it was. The test runs the
// ticks itself; the timer's own ticks do nothing here.
#include "fixtures/qt_test_app.h"

#include "fixtures/temp_dir.h"
#include "gfx/gfx_test_support.h" // starts the graphics library for the machine
#include "machine/qj47r.h"
#include "platform/settings_store.h"
#include "platform_qt/open_dialog.h"
#include "ui/app/app_windows.h"
#include "ui/app/debug_form.h"
#include "ui/loader_test_support.h"

#include <QPushButton>
#include <QScrollBar>
#include <QStringList>
#include <QTableWidget>
#include <QTest>
#include <optional>

namespace {

// 0000: ld a,0x5A; ld (0x0010),a; ld hl,0x0011; inc (hl); nop
// 000A: inc (hl); jr 0x000A
// then bytes counting up to the grid's 64th, never run.
loader_test::Bytes Program() {
    loader_test::Bytes bytes = {0x3E, 0x5A, 0x32, 0x10, 0x00, 0x21, 0x11, 0x00, 0x34, 0x00, 0x34, 0x18, 0xFD};
    const loader_test::Bytes rest = loader_test::Counting(64 - bytes.size(), 0x40);
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

class DebugMemoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetSettingsFolder(Settings.Path.string());
        Windows.emplace(TMainFormSetup{QJ_FIXTURE_ROMS, false});
        ASSERT_NE(MainForm, nullptr);
        DebugForm->CPUTimer.OnTimer = {};
        loader_test::WriteFile(ProgramFile, Program());
        Dialog.emplace([this](QWidget*, const platform_qt::TOpenDialog&) {
            return QString::fromStdString(ProgramFile);
        });
    }
    void TearDown() override {
        Dialog.reset();
        Windows.reset();
        SetSettingsFolder("");
    }

    // The 64 bytes of the grid as it shows them, and as the processor fetches
    // them from the addresses of its rows.
    static QStringList Grid() {
        QStringList cells;
        for (int r = 0; r < 8; ++r)
            for (int c = 1; c <= 8; ++c)
                cells << DebugForm->MemoryGrid->item(r, c)->text();
        return cells;
    }
    static QStringList Memory() {
        QStringList bytes;
        const int first = DebugForm->MemoryScroll->value() * 8;
        for (int a = first; a < first + 64; ++a)
            bytes << QString::asprintf("%02x", unsigned(Machine->FetchMem(a & 0xFFFF)));
        return bytes;
    }
    static bool Running() { return DebugForm->CPUTimer.Enabled(); }

    fixtures::TempDir Settings;
    fixtures::TempDir Files;
    const std::string ProgramFile = Files.File("program.bin");
    std::optional<TAppWindows> Windows;
    std::optional<testing_qt::ScopedOpenDialog> Dialog;
};

TEST_F(DebugMemoryTest, TheGridShowsMemoryAsItIsWheneverTheMachineStopsOrIsLoadedOrReset) {
    MainForm->show(); // starts the emulation
    ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
    ASSERT_TRUE(Running());
    MainForm->TB_Debug->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(DebugForm));
    EXPECT_EQ(Grid(), Memory()) << "shown";
    const QStringList iplRom = Grid();

    MainForm->LoadROM1->trigger();
    ASSERT_NE(Memory(), iplRom);
    EXPECT_EQ(Grid(), Memory()) << "after Load ROM";
    ASSERT_TRUE(Running());

    // The ticks of a running machine leave the grid alone.
    const QStringList loaded = Grid();
    DebugForm->DoCPU();
    ASSERT_NE(Memory(), loaded) << "the program wrote into the grid's bytes";
    EXPECT_EQ(Grid(), loaded) << "a tick";
    DebugForm->BtnRun->click();
    ASSERT_FALSE(Running());
    EXPECT_EQ(Grid(), Memory()) << "after Stop";

    // Loaded again while stopped: the program's first bytes back.
    MainForm->LoadROM1->trigger();
    ASSERT_EQ(Memory(), loaded);
    EXPECT_EQ(Grid(), Memory()) << "after Load ROM while stopped";
    DebugForm->BtnRun->click();

    DebugForm->BtnStep->click(); // ld a,0x5A
    DebugForm->BtnStep->click(); // ld (0x0010),a
    EXPECT_EQ(DebugForm->MemoryGrid->item(2, 1)->text(), "5a");
    EXPECT_EQ(Grid(), Memory()) << "after Step Into";

    DebugForm->BtnRun->click();
    DebugForm->DoCPU();
    ASSERT_NE(Grid(), Memory());
    MainForm->IPLColdBoot1->trigger();
    EXPECT_EQ(Grid(), iplRom) << "after IPL";

    MainForm->LoadROM1->trigger();
    DebugForm->DoCPU();
    ASSERT_NE(Grid(), Memory());
    MainForm->NMIWarmBoot1->trigger();
    EXPECT_EQ(Grid(), Memory()) << "after NMI";

    DebugForm->BtnRun->click();
    ASSERT_EQ(Machine->IplMode(), 0);
    Machine->ColdBoot = 1;
    DebugForm->BtnReset->click();
    EXPECT_EQ(Grid(), iplRom) << "after the debugger's Reset";

    // A step over arrives at its address: the run stops there.
    MainForm->LoadROM1->trigger();
    DebugForm->BtnRun->click();
    for (int i = 0; i < 3; ++i) // ld a,0x5A; ld (0x0010),a; ld hl,0x0011
        DebugForm->BtnStep->click();
    DebugForm->BtnStepOver->click(); // inc (hl), to 0x0009
    DebugForm->DoCPU();
    ASSERT_FALSE(Running());
    EXPECT_EQ(DebugForm->MemoryGrid->item(2, 2)->text(), "5d");
    EXPECT_EQ(Grid(), Memory()) << "after a step over arrived";
}

} // namespace
