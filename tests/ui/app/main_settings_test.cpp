// The main window and a settings file that cannot be read: its first show says
// so once, in a message box naming the file and the reason; a readable file
// shows nothing.
#include "fixtures/qt_test_app.h"

#include "fixtures/temp_dir.h"
#include "gfx/gfx_test_support.h" // starts the graphics library for the machine
#include "machine/qj47r.h"
#include "platform/settings_store.h"
#include "platform_qt/message_box.h"
#include "ui/app/app_windows.h"
#include "ui/app/debug_form.h"

#include <QTest>
#include <filesystem>
#include <optional>

namespace {

namespace fs = std::filesystem;

class MainSettingsTest : public ::testing::Test {
  protected:
    void TearDown() override {
        Windows.reset();
        SetSettingsFolder("");
    }
    // The eight windows on the fixture ROMs, shown, with message boxes recorded.
    void ShowWindows() {
        SetSettingsFolder(Settings.Path.string());
        Windows.emplace(TMainFormSetup{QJ_FIXTURE_ROMS, false});
        ASSERT_NE(Machine, nullptr);
        MainForm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
    }
    // The box comes once the window is exposed: a moment after the show (an
    // offscreen window is exposed at once, so 200 ms are ample for a box that
    // should not come).
    void WaitForBoxes(int ms = 2000) {
        for (int waited = 0; waited < ms && Boxes.Shown().empty(); waited += 10)
            QTest::qWait(10);
    }

    fixtures::TempDir Settings;
    platform_qt::ScopedMessageBoxRecorder Boxes;
    std::optional<TAppWindows> Windows;
};

TEST_F(MainSettingsTest, AnUnreadableFileIsToldOnceOnTheFirstShow) {
    const std::string file = Settings.File("qj47r.ini");
    fs::create_directory(file); // a folder in the file's place
    ShowWindows();
    WaitForBoxes();
    ASSERT_EQ(Boxes.Shown().size(), 1u);
    const auto& box = Boxes.Shown()[0];
    EXPECT_EQ(box.text, QString::fromStdString("The settings could not be read from " + file +
                                               ": it is a folder.\nThe emulator runs on its default "
                                               "settings and leaves the file as it is."));
    EXPECT_EQ(box.text.toStdString(), Machine->SettingsProblem());
    EXPECT_EQ(box.caption, ApplicationTitle);
    EXPECT_EQ(box.flags, platform_qt::MB_OK | platform_qt::MB_ICONEXCLAMATION);
    EXPECT_TRUE(DebugForm->CPUTimer.Enabled()) << "the emulation runs all the same";

    // Shown again from the program: FormShow runs again, the box does not.
    MainForm->hide();
    Boxes.Clear();
    MainForm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
    WaitForBoxes(200);
    EXPECT_EQ(Boxes.Shown().size(), 0u);
}

TEST_F(MainSettingsTest, AReadableFileShowsNoMessage) {
    ShowWindows();
    WaitForBoxes(200);
    EXPECT_TRUE(fs::is_regular_file(Settings.File("qj47r.ini")));
    EXPECT_EQ(Boxes.Shown().size(), 0u);
}

} // namespace
