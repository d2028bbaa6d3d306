// The debugger's Run button as the program's one run/stop switch, pressed by
// the other windows: the main window's first show starts the emulation and a
// restore from minimised does not press it again; closing the window stops a
// running emulation and leaves a stopped one alone; loading a program starts
// the emulation whether it ran or not; and the speaker's output pauses while
// the emulation is stopped. The machine plays through a virtual sound device.
#include "fixtures/qt_test_app.h"

#include "fixtures/temp_dir.h"
#include "gfx/gfx_test_support.h" // starts the graphics library for the machine
#include "machine/qj47r.h"
#include "platform/settings_store.h"
#include "platform/sound_buffer.h"
#include "platform_qt/open_dialog.h"
#include "ui/app/app_windows.h"
#include "ui/app/debug_form.h"
#include "ui/loader_test_support.h"

#include <QEvent>
#include <QPushButton>
#include <QTest>
#include <optional>

namespace {

class RunSwitchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetSettingsFolder(Settings.Path.string());
        Windows.emplace(TMainFormSetup{QJ_FIXTURE_ROMS, false, &Sound});
        ASSERT_NE(Sound.Buffer(), nullptr) << "the machine plays through the given device";
    }
    void TearDown() override {
        Windows.reset();
        SetSettingsFolder("");
    }
    void Show() {
        MainForm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
    }
    // Running or stopped, as the whole program shows it: the clock, the
    // debugger's buttons and the sound output.
    ::testing::AssertionResult Running(bool running) {
        const bool clock = DebugForm->CPUTimer.Enabled();
        const QString caption = DebugForm->BtnRun->text();
        const bool steps = DebugForm->BtnStep->isEnabled();
        const bool playing = Sound.Buffer()->IsPlaying();
        if (clock == running && caption == (running ? "Stop" : "Run") && steps == !running &&
            playing == running)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "clock " << clock << ", caption " << caption.toStdString() << ", Step Into enabled "
               << steps << ", sound playing " << playing;
    }
    void PressRun() { DebugForm->BtnRun->click(); }

    fixtures::TempDir Settings;
    platform::VirtualSoundDevice Sound;
    std::optional<TAppWindows> Windows;
};

TEST_F(RunSwitchTest, FirstShowPressesRunOnceAndARestoreFromMinimisedDoesNot) {
    EXPECT_FALSE(DebugForm->CPUTimer.Enabled()) << "built stopped";
    EXPECT_EQ(DebugForm->BtnRun->text(), "Run");
    Show();
    EXPECT_TRUE(Running(true));

    MainForm->showMinimized();
    QTest::qWait(50);
    MainForm->showNormal();
    QTest::qWait(50);
    EXPECT_TRUE(Running(true)) << "a second press would have stopped it";
}

TEST_F(RunSwitchTest, CloseStopsARunningEmulationAndLeavesAStoppedOneStopped) {
    for (const bool running : {true, false}) {
        SCOPED_TRACE(running ? "running" : "stopped");
        Windows.reset();
        Windows.emplace(TMainFormSetup{QJ_FIXTURE_ROMS, false, &Sound});
        Show();
        if (!running) PressRun();
        ASSERT_TRUE(Running(running));
        MainForm->close();
        EXPECT_EQ(Machine, nullptr);
        EXPECT_FALSE(DebugForm->CPUTimer.Enabled());
        EXPECT_EQ(DebugForm->BtnRun->text(), "Run") << "a press while stopped would have started it";
    }
}

TEST_F(RunSwitchTest, LoadingAProgramStartsTheEmulationWhetherItRanOrNot) {
    fixtures::TempDir files;
    const std::string name = files.File("LOOP.QJF");
    loader_test::WriteFile(name, loader_test::Qjf(0x1200, 0x1200, {0x18, 0xFE})); // jr $
    const testing_qt::ScopedOpenDialog dialog(
        [&name](QWidget*, const platform_qt::TOpenDialog&) { return QString::fromStdString(name); });
    Show();

    for (const bool running : {false, true}) {
        SCOPED_TRACE(running ? "running" : "stopped");
        if (!running) PressRun();
        ASSERT_TRUE(Running(running));
        MainForm->LoadROM1->trigger();
        EXPECT_TRUE(Running(true));
        z80regs r;
        Machine->GetRegisters(&r);
        EXPECT_EQ(r.PC, 0x1200);
        EXPECT_EQ(Machine->IplMode(), 0);
    }
}

TEST_F(RunSwitchTest, StopPausesTheSoundOutputAndRunResumesIt) {
    Show();
    ASSERT_TRUE(Running(true));
    PressRun();
    EXPECT_TRUE(Running(false));
    // Stopped, the output plays silence and its play cursor stands still.
    std::uint32_t before = 0, after = 0;
    Sound.Buffer()->GetCurrentPosition(before);
    Sound.Advance(4000);
    Sound.Buffer()->GetCurrentPosition(after);
    EXPECT_EQ(after, before);
    PressRun();
    EXPECT_TRUE(Running(true));
    Sound.Advance(4000);
    Sound.Buffer()->GetCurrentPosition(after);
    EXPECT_EQ(after, (before + 4000) % TQJ47R::SoundBufferBytes);
}

} // namespace
