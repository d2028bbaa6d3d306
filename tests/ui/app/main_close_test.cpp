// Closing the main window: every way of closing it (Exit, the tool bar's Quit,
// the close box, the window manager, SIGTERM and SIGINT) deletes the machine,
// so that a disc image written to is saved; and the real program, run from a
// folder of its own, ends with status 1 when its ROM images are missing and
// saves its settings when it is ended by a signal.
#include "fixtures/qt_test_app.h"

#include "fixtures/app_exit.h"
#include "fixtures/dsk_builder.h"
#include "fixtures/temp_dir.h"
#include "gfx/gfx_test_support.h" // starts the graphics library for the machine
#include "machine/qj47r.h"
#include "platform/settings_store.h"
#include "platform_qt/signal_action.h"
#include "ui/app/app_windows.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct ClosePath {
    const char* Name;
    std::function<void()> Close;
};
void PrintTo(const ClosePath& path, std::ostream* os) { *os << path.Name; }

// Runs the event loop until the close has ended it (at most 10 s).
bool ClosesTheLoop(const std::function<void()>& close) { return fixtures::ExitStatusOf(close) != -1; }

class MainCloseTest : public ::testing::TestWithParam<ClosePath> {
  protected:
    void SetUp() override {
        SetSettingsFolder(Settings.Path.string());
        Windows.emplace(TMainFormSetup{QJ_FIXTURE_ROMS, false});
        MainForm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
        Disc = Files.File("drive_a.dsk");
        fixtures::DskBuilder().Uniform(2, 1, 16, 1).Save(Disc);
        Original = ReadFile(Disc);
    }
    void TearDown() override {
        Windows.reset();
        SetSettingsFolder("");
    }
    // Drive A holds the image and the machine has written a byte of sector 1.
    void WriteToDisc() {
        ASSERT_EQ(Machine->Fdc.Mount(0, Disc, 0), 0);
        TVirtualDsk& drive = Machine->Fdc.Drives[0];
        ASSERT_EQ(drive.SeekTrack(0, 0), 0);
        ASSERT_GT(drive.SeekSector(1), 0);
        drive.WriteByte(0x5A);
        ASSERT_TRUE(drive.Modified);
        ASSERT_EQ(ReadFile(Disc), Original);
    }

    fixtures::TempDir Settings, Files;
    std::optional<TAppWindows> Windows;
    std::string Disc;
    std::vector<std::uint8_t> Original;
};

TEST_P(MainCloseTest, SavesTheDiscAndEndsTheEventLoop) {
    WriteToDisc();
    ASSERT_TRUE(ClosesTheLoop(GetParam().Close)) << "the event loop did not end";
    EXPECT_EQ(Machine, nullptr);
    const auto saved = ReadFile(Disc);
    ASSERT_EQ(saved.size(), Original.size());
    EXPECT_NE(saved, Original) << "the written sector was not saved";
}

INSTANTIATE_TEST_SUITE_P(
    EveryWay, MainCloseTest,
    ::testing::Values(ClosePath{"Exit", [] { MainForm->MenuFileExit->trigger(); }},
                      ClosePath{"QuitButton", [] { MainForm->TB_Quit->trigger(); }},
                      ClosePath{"CloseBox", [] { MainForm->close(); }},
                      // As the window manager asks: through the platform window.
                      ClosePath{"WindowManager", [] { MainForm->windowHandle()->close(); }},
                      ClosePath{"SIGTERM", [] { std::raise(SIGTERM); }},
                      ClosePath{"SIGINT", [] { std::raise(SIGINT); }}),
    [](const ::testing::TestParamInfo<ClosePath>& info) { return std::string(info.param.Name); });

// ---- The real program ----

// A copy of qj47r in a folder of its own, with or without the fixture ROMs
// beside it, run on the offscreen platform with its settings in that folder.
class Program {
  public:
    explicit Program(bool withRoms) {
        fs::copy_file(QJ47R_PROGRAM, Folder.Path / "qj47r");
        if (withRoms) fs::copy(QJ_FIXTURE_ROMS, Folder.Path / "roms");
    }
    void Start() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", QString::fromStdString(Folder.Path.string()));
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
        Process.setProcessEnvironment(env);
        Process.setProcessChannelMode(QProcess::MergedChannels);
        Process.start(QString::fromStdString((Folder.Path / "qj47r").string()), {});
        ASSERT_TRUE(Process.waitForStarted(10000));
    }
    // Waits until the program has printed `text` (at most 30 s).
    bool WaitForOutput(const QString& text) {
        QElapsedTimer clock;
        clock.start();
        while (!Output.contains(text) && clock.elapsed() < 30000 && Process.state() == QProcess::Running) {
            Process.waitForReadyRead(200);
            Output += QString::fromLocal8Bit(Process.readAll());
        }
        return Output.contains(text);
    }
    // Sends the signal and waits for the end: the exit status, or -1.
    int End(int signal) {
        kill(pid_t(Process.processId()), signal);
        if (!Process.waitForFinished(30000)) {
            Process.kill();
            Process.waitForFinished();
            return -1;
        }
        Output += QString::fromLocal8Bit(Process.readAll());
        return Process.exitStatus() == QProcess::NormalExit ? Process.exitCode() : -1;
    }

    fixtures::TempDir Folder;
    QProcess Process;
    QString Output;
};

TEST(MainProgram, MissingRomFolderIsReportedAndEndsWithStatusOne) {
    Program program(false);
    program.Start();
    ASSERT_TRUE(program.WaitForOutput("Cannot open file")) << program.Output.toStdString();
    EXPECT_TRUE(program.Output.contains("roms/qjfont.bin")) << program.Output.toStdString();
    // The error box waits for its OK; a signal ends it like the OK button.
    EXPECT_EQ(program.End(SIGTERM), 1) << program.Output.toStdString();
}

TEST(MainProgram, SignalClosesTheWindowAndTheMachineSavesTheSettings) {
    Program program(true);
    // A value the machine reads as off and writes back as "FALSE" when it goes.
    TSettingsStore store(program.Folder.Path.string());
    store.WriteString("RamExpansion", "true");
    program.Start();
    // Up once the machine has read its settings (it fills in the missing ones).
    const std::string file = store.FilePath();
    const auto text = [&file] {
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    QElapsedTimer clock;
    clock.start();
    while (text().find("ScanDouble=") == std::string::npos && clock.elapsed() < 30000)
        QTest::qWait(100);
    QTest::qWait(500);
    EXPECT_EQ(program.End(SIGTERM), 0) << program.Output.toStdString();
    EXPECT_EQ(TSettingsStore(program.Folder.Path.string()).ReadString("RamExpansion", ""), "FALSE");
}

} // namespace
