// A program's writes to a disc image are never lost silently: at every way out
// of the emulator a modified image is saved, or, where that fails, the user
// decides (Retry, Save As..., Discard; Overwrite when another program changed
// the file), or, where no window can ask (a signal), the machine's copy goes to
// the rescue folder and the program ends with status 1. The automatic
// write-back, the floppy window's unmount and mount, and the next start's
// report of rescued images are seen as the user sees them.
#include "fixtures/qt_test_app.h"

#include "fixtures/app_exit.h"
#include "fixtures/dsk_builder.h"
#include "fixtures/file_contents.h"
#include "fixtures/file_faults.h"
#include "fixtures/scoped_env.h"
#include "fixtures/temporary_places.h"
#include "fixtures/temp_dir.h"
#include "gfx/gfx_test_support.h" // starts the graphics library for the machine
#include "machine/qj47r.h"
#include "platform/rescue.h"
#include "platform/settings_store.h"
#include "platform/system_calls.h"
#include "platform_qt/message_box.h"
#include "platform_qt/open_dialog.h"
#include "ui/app/app_windows.h"
#include "ui/app/disc_saving.h"
#include "ui/app/floppy_form.h"

#include <QTest>
#include <QTimer>
#include <QWindow>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using fixtures::ExitStatusOf;
using fixtures::SlurpBytes;

const fixtures::DskBuilder Image = fixtures::DskBuilder().Uniform(2, 1, 16, 1);
const std::size_t FirstData = std::size_t(Image.DataOffset(1, 0));

struct ExitPath {
    const char* Name;
    std::function<void()> Close;
    bool ByWindow; // a window can ask the user
};
void PrintTo(const ExitPath& path, std::ostream* os) { *os << path.Name; }

const ExitPath ExitPaths[] = {
    {"Exit", [] { MainForm->MenuFileExit->trigger(); }, true},
    {"QuitButton", [] { MainForm->TB_Quit->trigger(); }, true},
    {"CloseBox", [] { MainForm->close(); }, true},
    {"WindowManager", [] { MainForm->windowHandle()->close(); }, true},
    {"SIGTERM", [] { std::raise(SIGTERM); }, false},
    {"SIGINT", [] { std::raise(SIGINT); }, false},
    {"SIGHUP", [] { std::raise(SIGHUP); }, false},
    {"SIGQUIT", [] { std::raise(SIGQUIT); }, false},
};

// Answers the open and save dialogs with one file name, or cancels them.
class ScopedFileChoice {
  public:
    explicit ScopedFileChoice(std::optional<QString> choice) {
        Previous = platform_qt::SetOpenDialogPresenter(
            [choice](QWidget*, const platform_qt::TOpenDialog&) { return choice; });
    }
    ~ScopedFileChoice() { platform_qt::SetOpenDialogPresenter(std::move(Previous)); }

  private:
    platform_qt::OpenDialogPresenter Previous;
};

class DiscExit : public ::testing::Test {
  protected:
    void SetUp() override {
        AllowQuestionsAgain();
        StateHome.emplace("XDG_STATE_HOME", State.Path.string());
        SetSettingsFolder(Settings.Path.string());
        fs::create_directory(Files.Path / "discs");
        Disc = (Files.Path / "discs" / "a.dsk").string();
        Image.Save(Disc);
        Original = SlurpBytes(Disc);
        Windows.emplace(TMainFormSetup{QJ_FIXTURE_ROMS, false});
        MainForm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
    }
    void TearDown() override {
        Windows.reset();
        SetSettingsFolder("");
        StateHome.reset();
        AllowQuestionsAgain();
    }
    // Drive A holds the image and the machine has written a byte of sector 1.
    void WriteToDisc(std::uint8_t value = 0x5A) {
        TVirtualDsk& drive = Machine->Fdc.Drives[0];
        if (!drive.IsMounted()) {
            ASSERT_EQ(Machine->Fdc.Mount(0, Disc, 0), 0);
        }
        ASSERT_EQ(drive.SeekTrack(0, 0), 0);
        ASSERT_GT(drive.SeekSector(1), 0);
        drive.WriteByte(value);
        MachineCopy.assign(drive.ImageStream->Memory(),
                           drive.ImageStream->Memory() + drive.ImageStream->Size());
    }
    void ChangeOnDisc() {
        Other = Original;
        Other[FirstData + 7] ^= 0xA5;
        fixtures::DskBuilder::Write(Disc, Other);
    }
    std::vector<std::string> Rescued() const {
        std::vector<std::string> files;
        if (!fs::exists(platform::RescueFolder())) return files;
        for (const auto& e : fs::directory_iterator(platform::RescueFolder()))
            if (e.path().extension() == ".dsk") files.push_back(e.path().string());
        return files;
    }

    fixtures::TempDir State, Settings, Files;
    std::optional<fixtures::ScopedEnv> StateHome;
    std::optional<TAppWindows> Windows;
    std::string Disc;
    Bytes Original, MachineCopy, Other;
};

class EveryExit : public DiscExit, public ::testing::WithParamInterface<ExitPath> {};

} // namespace

// The image's folder is gone when the program ends. A window asks, and a
// retry once the folder is back saves it; a signal rescues the machine's copy.
TEST_P(EveryExit, AnImageThatCannotBeSavedIsAskedAboutOrRescued) {
    WriteToDisc();
    fs::remove_all(Files.Path / "discs");
    platform_qt::ScopedChoiceRecorder questions([this](const platform_qt::ChoiceRequest&) {
        fs::create_directory(Files.Path / "discs");
        return 0; // Retry
    });
    const int status = ExitStatusOf(GetParam().Close);
    EXPECT_EQ(Machine, nullptr);
    if (GetParam().ByWindow) {
        EXPECT_EQ(status, 0);
        ASSERT_EQ(questions.Asked().size(), 1u);
        const platform_qt::ChoiceRequest& q = questions.Asked()[0];
        EXPECT_EQ(q.choices, (QStringList{"Retry", "Save As...", "Discard"}));
        EXPECT_TRUE(q.text.contains("drive A")) << q.text.toStdString();
        EXPECT_TRUE(q.text.contains(
            QString::fromStdString("Cannot create file " + Disc + ": No such file or directory")))
            << q.text.toStdString();
        EXPECT_EQ(SlurpBytes(Disc), MachineCopy);
        EXPECT_TRUE(Rescued().empty());
    } else {
        EXPECT_EQ(status, 1);
        EXPECT_TRUE(questions.Asked().empty());
        EXPECT_FALSE(fs::exists(Files.Path / "discs"));
        const auto rescued = Rescued();
        ASSERT_EQ(rescued.size(), 1u);
        EXPECT_EQ(fs::path(rescued[0]).filename().string().rfind("a-", 0), 0u) << rescued[0];
        EXPECT_EQ(SlurpBytes(rescued[0]), MachineCopy);
        EXPECT_EQ(platform::TakeUnreportedRescues(),
                  (std::vector<platform::TRescueNote>{{rescued[0], Disc}}));
    }
}

// Another program changed the file: a window asks before anything overwrites
// it; a signal leaves the file as that program left it and rescues the copy.
TEST_P(EveryExit, AFileAnotherProgramChangedIsNeverOverwrittenSilently) {
    WriteToDisc();
    ChangeOnDisc();
    platform_qt::ScopedChoiceRecorder questions(
        [](const platform_qt::ChoiceRequest&) { return 2; }); // Discard
    const int status = ExitStatusOf(GetParam().Close);
    EXPECT_EQ(SlurpBytes(Disc), Other);
    if (GetParam().ByWindow) {
        EXPECT_EQ(status, 0);
        ASSERT_EQ(questions.Asked().size(), 1u);
        EXPECT_EQ(questions.Asked()[0].choices, (QStringList{"Overwrite", "Save As...", "Discard"}));
        EXPECT_TRUE(questions.Asked()[0].text.contains("changed by another program"));
        EXPECT_TRUE(Rescued().empty());
    } else {
        EXPECT_EQ(status, 1);
        ASSERT_EQ(Rescued().size(), 1u);
        EXPECT_EQ(SlurpBytes(Rescued()[0]), MachineCopy);
    }
}

// Settings that cannot be written at the end: a window says so; without one,
// stderr and the exit status do.
TEST_P(EveryExit, SettingsThatCannotBeSavedAreToldOrEndWithStatusOne) {
    const std::string blocked = Files.File("blocked"); // a plain file: no folder can be made in it
    fixtures::SpitText(blocked, "x");
    SetSettingsFolder(blocked + "/config");
    platform_qt::ScopedMessageBoxRecorder boxes;
    const int status = ExitStatusOf(GetParam().Close);
    const QString expected =
        QString::fromStdString("The settings could not be saved to " + blocked + "/config/qj47r.ini");
    if (GetParam().ByWindow) {
        EXPECT_EQ(status, 0);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_TRUE(boxes.Shown()[0].text.startsWith(expected)) << boxes.Shown()[0].text.toStdString();
    } else {
        EXPECT_EQ(status, 1);
        EXPECT_TRUE(boxes.Shown().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, EveryExit, ::testing::ValuesIn(ExitPaths),
                         [](const ::testing::TestParamInfo<ExitPath>& info) {
                             return std::string(info.param.Name);
                         });

TEST_F(DiscExit, OverwriteAndSaveAsPutTheMachinesCopyWhereTheUserSays) {
    WriteToDisc();
    ChangeOnDisc();
    const std::string elsewhere = Files.File("kept.dsk");
    {
        ScopedFileChoice choice(QString::fromStdString(elsewhere));
        platform_qt::ScopedChoiceRecorder questions([](const platform_qt::ChoiceRequest&) { return 1; });
        ASSERT_EQ(ExitStatusOf([] { MainForm->close(); }), 0);
    }
    EXPECT_EQ(SlurpBytes(elsewhere), MachineCopy);
    EXPECT_EQ(SlurpBytes(Disc), Other);

    // Overwrite, on a fresh program.
    Windows.reset();
    Windows.emplace(TMainFormSetup{QJ_FIXTURE_ROMS, false});
    Image.Save(Disc);
    Original = SlurpBytes(Disc);
    WriteToDisc(0x77);
    ChangeOnDisc();
    platform_qt::ScopedChoiceRecorder questions([](const platform_qt::ChoiceRequest&) { return 0; });
    ASSERT_EQ(ExitStatusOf([] { MainForm->close(); }), 0);
    EXPECT_EQ(SlurpBytes(Disc), MachineCopy);
}

// A cancelled Save As asks again; a second failure is shown with its own reason.
TEST_F(DiscExit, TheQuestionComesBackUntilTheWritesAreSavedOrDiscarded) {
    WriteToDisc();
    fs::remove_all(Files.Path / "discs");
    const std::string nowhere = Files.File("no/such/folder/b.dsk");
    int asked = 0;
    std::optional<ScopedFileChoice> choice;
    platform_qt::ScopedChoiceRecorder questions([&](const platform_qt::ChoiceRequest&) {
        switch (asked++) {
        case 0: choice.emplace(std::nullopt); return 1;                    // Save As..., cancelled
        case 1: choice.emplace(QString::fromStdString(nowhere)); return 1; // Save As... into nowhere
        default: return 2;                                                 // Discard
        }
    });
    ASSERT_EQ(ExitStatusOf([] { MainForm->close(); }), 0);
    ASSERT_EQ(questions.Asked().size(), 3u);
    // Retry tries the drive's own file: the box names it first, and the failed
    // Save As beside it.
    const QString third = questions.Asked()[2].text;
    EXPECT_TRUE(third.startsWith(QString::fromStdString(
        "The disk image in drive A could not be saved:\nCannot create file " + Disc +
        ": No such file or directory\n\nIt could not be saved as another file either:\nCannot create file " +
        nowhere)))
        << third.toStdString();
    EXPECT_TRUE(Rescued().empty()); // knowingly discarded
}

// A signal while the question is open: no one answers it, the copy is rescued.
TEST_F(DiscExit, ASignalDuringTheQuestionEndsWithoutAnAnswer) {
    WriteToDisc();
    fs::remove_all(Files.Path / "discs");
    platform_qt::ScopedChoiceRecorder questions([](const platform_qt::ChoiceRequest&) {
        CloseOnSignal(); // as the signal's notifier runs it inside the box's loop
        return -1;
    });
    EXPECT_EQ(ExitStatusOf([] { MainForm->close(); }), 1);
    EXPECT_EQ(questions.Asked().size(), 1u);
    ASSERT_EQ(Rescued().size(), 1u);
    EXPECT_EQ(SlurpBytes(Rescued()[0]), MachineCopy);
}

TEST_F(DiscExit, AFullDiscIsNamedAndASaveElsewhereKeepsTheWrites) {
    fixtures::SmallDisk disk(64 * 1024);
    if (!disk.Mounted) GTEST_SKIP() << "cannot mount a tmpfs here (needs the right to mount)";
    Disc = disk.File("big.dsk");
    fixtures::DskBuilder().Uniform(10, 1, 16, 1).Save(Disc);
    Original = SlurpBytes(Disc);
    WriteToDisc();
    const std::string elsewhere = Files.File("big.dsk");
    ScopedFileChoice choice(QString::fromStdString(elsewhere));
    platform_qt::ScopedChoiceRecorder questions([](const platform_qt::ChoiceRequest&) { return 1; });
    ASSERT_EQ(ExitStatusOf([] { MainForm->close(); }), 0);
    ASSERT_EQ(questions.Asked().size(), 1u);
    EXPECT_TRUE(questions.Asked()[0].text.contains("No space left on device"));
    EXPECT_EQ(SlurpBytes(Disc), Original);
    EXPECT_EQ(SlurpBytes(elsewhere), MachineCopy);
}

// The automatic write-back: a write reaches the file by itself, and a failing
// one is shown once, without stopping the machine.
TEST_F(DiscExit, TheWriteBackSavesByItselfAndSaysOnceWhenItCannot) {
    platform_qt::ScopedMessageBoxRecorder boxes;
    WriteToDisc(0x21);
    const auto later = [](int seconds) {
        return TDiscWriteBack::TClock::now() + std::chrono::seconds(seconds);
    };
    TDiscWriteBack& writer = Machine->Fdc.WriteBack;
    writer.Poll(later(0));
    writer.Poll(later(3));
    writer.Settle();
    EXPECT_EQ(SlurpBytes(Disc)[FirstData], 0x21);
    EXPECT_FALSE(Machine->Fdc.Drives[0].Modified);

    fs::remove_all(Files.Path / "discs");
    WriteToDisc(0x22);
    for (int s = 4; s < 20; s += 3) {
        writer.Poll(later(s));
        writer.Settle();
    }
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_TRUE(boxes.Shown()[0].text.contains("drive A could not be saved"))
        << boxes.Shown()[0].text.toStdString();
    EXPECT_TRUE(boxes.Shown()[0].text.contains("No such file or directory"));
    EXPECT_TRUE(Machine->Fdc.Drives[0].Modified);
}

TEST_F(DiscExit, UnmountAsksAndCancelKeepsTheImageMounted) {
    WriteToDisc();
    FloppyForm->Label1->setText(QString::fromStdString(Disc));
    ChangeOnDisc();
    {
        platform_qt::ScopedChoiceRecorder questions(
            [](const platform_qt::ChoiceRequest&) { return 3; }); // Cancel
        FloppyForm->Button2->click();
        ASSERT_EQ(questions.Asked().size(), 1u);
        EXPECT_EQ(questions.Asked()[0].choices,
                  (QStringList{"Overwrite", "Save As...", "Discard", "Cancel"}));
    }
    EXPECT_TRUE(Machine->Fdc.Drives[0].IsMounted());
    EXPECT_TRUE(Machine->Fdc.Drives[0].Modified);
    EXPECT_NE(FloppyForm->Label1->text(), "NOT MOUNTED");
    {
        platform_qt::ScopedChoiceRecorder questions(
            [](const platform_qt::ChoiceRequest&) { return 2; }); // Discard
        FloppyForm->Button2->click();
    }
    EXPECT_FALSE(Machine->Fdc.Drives[0].IsMounted());
    EXPECT_EQ(FloppyForm->Label1->text(), "NOT MOUNTED");
    EXPECT_EQ(SlurpBytes(Disc), Other);
}

// A file that is no disc image is refused at once; the drive keeps its image.
TEST_F(DiscExit, MountingSomethingThatIsNoImageChangesNothing) {
    WriteToDisc();
    FloppyForm->Label1->setText(QString::fromStdString(Disc));
    const std::string fifo = Files.File("pipe.dsk");
    ASSERT_TRUE(fixtures::MakeFifo(fifo));
    platform_qt::ScopedMessageBoxRecorder boxes;
    ScopedFileChoice choice(QString::fromStdString(fifo));
    FloppyForm->Button1->click();
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text,
              QString::fromStdString("Cannot open file " + fifo + ": it is a pipe, not a regular file"));
    EXPECT_EQ(Machine->Fdc.Drives[0].FileName, Disc);
    EXPECT_EQ(FloppyForm->Label1->text(), QString::fromStdString(Disc));
    EXPECT_EQ(SlurpBytes(Disc), MachineCopy); // saved before the new file was tried
}

// A copy that is gone since (deleted, moved, a /tmp emptied by a reboot) is
// named as gone, so that nobody looks for it in vain.
TEST_F(DiscExit, TheNextStartListsTheRescuedImagesOnceWithTheImagesTheyCameFrom) {
    const std::string other = Files.File("other.dsk");
    const std::string copy = platform::RescueCopy(Disc, "abc", 3).Path;
    const std::string moved = platform::RescueCopy(other, "def", 3).Path;
    fs::rename(moved, Files.File("moved.dsk"));
    platform_qt::ScopedMessageBoxRecorder boxes;
    ShowEarlierRescues(MainForm);
    ShowEarlierRescues(MainForm);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    const std::string text = boxes.Shown()[0].text.toStdString();
    const std::size_t kept = text.find("The machine's copies were kept here:\n\n" + copy +
                                       "\n    the machine's copy of " + Disc + "\n");
    const std::size_t gone = text.find("These copies are no longer there");
    EXPECT_NE(kept, std::string::npos) << text;
    ASSERT_NE(gone, std::string::npos) << text;
    EXPECT_LT(kept, gone) << text;
    EXPECT_NE(text.find(moved + "\n    the machine's copy of " + other, gone), std::string::npos) << text;

    // Only gone ones: the box says so of all of them.
    const std::string lost = platform::RescueCopy(other, "ghi", 3).Path;
    fs::remove(lost);
    ShowEarlierRescues(MainForm);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    const std::string onlyGone = boxes.Shown()[1].text.toStdString();
    EXPECT_EQ(onlyGone.find("were kept here"), std::string::npos) << onlyGone;
    EXPECT_NE(onlyGone.find("The machine's copies are no longer there"), std::string::npos) << onlyGone;
    EXPECT_NE(onlyGone.find(lost), std::string::npos) << onlyGone;
}

// As an unprivileged user (root writes anything; the root run skips this):
// the user is told at the mount that the image is read-only, nothing tries to
// replace it, and at the end its writes are saved where the user says.
TEST_F(DiscExit, UnprivilegedReadOnlyImageIsToldAtTheMountAndSavedElsewhere) {
    if (::geteuid() == 0) GTEST_SKIP() << "runs as an unprivileged user (ctest runs it through setpriv)";
    fs::permissions(Disc, fs::perms::owner_read);
    platform_qt::ScopedMessageBoxRecorder boxes;
    {
        ScopedFileChoice choice(QString::fromStdString(Disc));
        FloppyForm->Button1->click();
    }
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_TRUE(boxes.Shown()[0].text.contains("is read-only")) << boxes.Shown()[0].text.toStdString();
    WriteToDisc();
    TDiscWriteBack& writer = Machine->Fdc.WriteBack;
    for (int s = 0; s < 10; s += 3) {
        writer.Poll(TDiscWriteBack::TClock::now() + std::chrono::seconds(s));
        writer.Settle();
    }
    EXPECT_EQ(boxes.Shown().size(), 1u); // no write-back tried

    const std::string elsewhere = Files.File("mine.dsk");
    ScopedFileChoice choice(QString::fromStdString(elsewhere));
    platform_qt::ScopedChoiceRecorder questions([](const platform_qt::ChoiceRequest&) { return 1; });
    ASSERT_EQ(ExitStatusOf([] { MainForm->close(); }), 0);
    ASSERT_EQ(questions.Asked().size(), 1u);
    EXPECT_TRUE(questions.Asked()[0].text.contains("Permission denied"));
    EXPECT_EQ(SlurpBytes(Disc), Original);
    EXPECT_EQ(SlurpBytes(elsewhere), MachineCopy);
}

namespace {

// The failed write-back's notices on the screen.
std::vector<QWidget*> VisibleNotices() {
    std::vector<QWidget*> notices;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == "Save Disk Image") notices.push_back(w);
    return notices;
}

// Polls the write-back every period for a while, from a clock of its own.
class WriteBackClock {
  public:
    void RunFor(std::chrono::milliseconds span) {
        for (const auto end = Now + span; Now < end;) {
            Now += TDiscWriteBack::PollPeriod;
            Machine->Fdc.WriteBack.Poll(Now);
            Machine->Fdc.WriteBack.Settle();
        }
    }

  private:
    TDiscWriteBack::TClock::time_point Now = TDiscWriteBack::TClock::now();
};

std::string FullFolder;
// A write into FullFolder fails as on a full disc.
ssize_t WriteOnFullDisc(int fd, const void* data, std::size_t size) {
    std::error_code ec;
    const std::string path = fs::read_symlink("/proc/self/fd/" + std::to_string(fd), ec).string();
    if (path.starts_with(FullFolder)) {
        errno = ENOSPC;
        return -1;
    }
    return ::write(fd, data, size);
}

} // namespace

// The notice of a failed write-back is taken down once the writes it told of
// are saved (by the write-back itself or elsewhere) or discarded.
TEST_F(DiscExit, TheWriteBackNoticeGoesOnceTheWritesAreSavedOrDiscarded) {
    const testing_qt::ScopedRealMessageBoxes notices;
    const std::string elsewhere = Files.File("saved.dsk");
    const struct {
        const char* Case;
        std::function<void()> Remedy;
    } cases[] = {
        {"saved by the write-back once the folder is back",
         [&] { fs::create_directory(Files.Path / "discs"); }},
        {"discarded at UnMount",
         [] {
             platform_qt::ScopedChoiceRecorder discard([](const platform_qt::ChoiceRequest&) { return 2; });
             FloppyForm->Button2->click();
         }},
        {"saved as another file at UnMount",
         [&] {
             ScopedFileChoice choice(QString::fromStdString(elsewhere));
             platform_qt::ScopedChoiceRecorder saveAs([](const platform_qt::ChoiceRequest&) { return 1; });
             FloppyForm->Button2->click();
         }},
    };
    WriteBackClock clock;
    for (const auto& c : cases) {
        fs::create_directories(Files.Path / "discs");
        Image.Save(Disc);
        WriteToDisc();
        clock.RunFor(std::chrono::milliseconds(200));
        fs::remove_all(Files.Path / "discs");
        clock.RunFor(std::chrono::seconds(4));
        ASSERT_EQ(VisibleNotices().size(), 1u) << c.Case;
        c.Remedy();
        clock.RunFor(std::chrono::seconds(4));
        EXPECT_TRUE(VisibleNotices().empty()) << c.Case;
        EXPECT_FALSE(Machine->Fdc.Drives[0].IsMounted() && Machine->Fdc.Drives[0].Modified) << c.Case;
    }
    EXPECT_EQ(SlurpBytes(elsewhere), MachineCopy);
}

// Any file mounts, as the drive always took it; a file that is no disc image
// says so at the mount, in one box with what is wrong with it.
TEST_F(DiscExit, AFileThatIsNoDiscImageMountsWithOneBoxSayingWhy) {
    Bytes random(1000);
    std::uint32_t seed = 7;
    for (auto& b : random)
        b = std::uint8_t((seed = seed * 1103515245 + 12345) >> 16);
    const std::string noImage = Files.File("random.dsk");
    fixtures::DskBuilder::Write(noImage, random);
    platform_qt::ScopedMessageBoxRecorder boxes;
    {
        ScopedFileChoice choice(QString::fromStdString(noImage));
        FloppyForm->Button1->click();
    }
    ASSERT_EQ(boxes.Shown().size(), 1u);
    const QString text = boxes.Shown()[0].text;
    EXPECT_TRUE(text.startsWith(
        QString::fromStdString("The disk image " + noImage + " is not a well-formed disc image")))
        << text.toStdString();
    EXPECT_TRUE(text.contains("does not begin with the signature of a disc image")) << text.toStdString();
    EXPECT_EQ(boxes.Shown()[0].caption, "Mounted Disk Image");
    EXPECT_EQ(Machine->Fdc.Drives[0].FileName, noImage);
    EXPECT_EQ(FloppyForm->Label1->toolTip(), QString::fromStdString(noImage));

    // A well-formed image mounts without a word.
    boxes.Clear();
    ScopedFileChoice choice(QString::fromStdString(Disc));
    FloppyForm->Button2->click();
    FloppyForm->Button1->click();
    EXPECT_TRUE(boxes.Shown().empty());
}

// A signal when the rescue folder cannot take the copy: it goes to the
// temporary folder; when that cannot take it either, the writes are lost, and
// in both cases the program ends with status 1.
TEST_F(DiscExit, ASignalWithTheRescueFolderBlockedRescuesToTheTemporaryFolder) {
    const fixtures::TemporaryPlaces temporary;
    fs::create_directories(State.Path / "qj47r");
    fixtures::SpitText((State.Path / "qj47r" / "rescued").string(), "a file in the folder's place");
    const std::string tmpFolder = platform::TemporaryRescueFolder();
    for (const bool temporaryToo : {false, true}) {
        if (temporaryToo) {
            Windows.emplace(TMainFormSetup{QJ_FIXTURE_ROMS, false});
            AllowQuestionsAgain();
            for (const std::string& folder : platform::TemporaryRescueFolders())
                fixtures::SpitText(folder, "blocked too");
        }
        fs::create_directories(Files.Path / "discs");
        Image.Save(Disc);
        WriteToDisc();
        fs::remove_all(Files.Path / "discs");
        EXPECT_EQ(ExitStatusOf([] { std::raise(SIGTERM); }), 1);
        if (!temporaryToo) {
            std::vector<std::string> copies;
            for (const auto& e : fs::directory_iterator(tmpFolder))
                if (e.path().extension() == ".dsk") copies.push_back(e.path().string());
            ASSERT_EQ(copies.size(), 1u);
            EXPECT_EQ(SlurpBytes(copies[0]), MachineCopy);
            fs::remove_all(tmpFolder);
        }
        Windows.reset();
    }
}

// A full disc on any machine (the writes into the image's folder fail as on
// a full disc): the box names it, and a save elsewhere keeps the writes.
TEST_F(DiscExit, AFullDiscIsNamedAndASaveElsewhereKeepsTheWritesOnAnyMachine) {
    WriteToDisc();
    FullFolder = (fs::canonical(Files.Path) / "discs").string();
    platform::TScopedSystemCall full(&platform::TSystemCalls::Write, &WriteOnFullDisc);
    const std::string elsewhere = Files.File("kept.dsk");
    ScopedFileChoice choice(QString::fromStdString(elsewhere));
    platform_qt::ScopedChoiceRecorder questions([](const platform_qt::ChoiceRequest&) { return 1; });
    ASSERT_EQ(ExitStatusOf([] { MainForm->close(); }), 0);
    ASSERT_EQ(questions.Asked().size(), 1u);
    EXPECT_TRUE(questions.Asked()[0].text.contains(
        QString::fromStdString("Cannot create file " + Disc + ": No space left on device")));
    EXPECT_EQ(SlurpBytes(Disc), Original);
    EXPECT_EQ(SlurpBytes(elsewhere), MachineCopy);
    EXPECT_EQ(std::distance(fs::directory_iterator(Files.Path / "discs"), fs::directory_iterator()), 1);
}

// As an unprivileged user (root writes anything; the root run skips this): an
// image whose file becomes read-only after the mount is told by the
// write-back's notice within its delay, and its writes are kept.
TEST_F(DiscExit, UnprivilegedImageMadeReadOnlyAfterTheMountIsToldByTheWriteBack) {
    if (::geteuid() == 0) GTEST_SKIP() << "runs as an unprivileged user (ctest runs it through setpriv)";
    platform_qt::ScopedMessageBoxRecorder boxes;
    {
        ScopedFileChoice choice(QString::fromStdString(Disc));
        FloppyForm->Button1->click();
    }
    EXPECT_TRUE(boxes.Shown().empty()); // writable at the mount
    fs::permissions(Disc, fs::perms::owner_read);
    WriteToDisc();
    WriteBackClock clock;
    clock.RunFor(std::chrono::seconds(4));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_TRUE(boxes.Shown()[0].text.contains("drive A could not be saved"));
    EXPECT_TRUE(boxes.Shown()[0].text.contains(
        QString::fromStdString("Cannot create file " + Disc + ": Permission denied")))
        << boxes.Shown()[0].text.toStdString();
    clock.RunFor(std::chrono::seconds(6));
    EXPECT_EQ(boxes.Shown().size(), 1u); // once
    EXPECT_TRUE(Machine->Fdc.Drives[0].Modified);
    EXPECT_EQ(SlurpBytes(Disc), Original);
    platform_qt::ScopedChoiceRecorder discard([](const platform_qt::ChoiceRequest&) { return 2; });
    EXPECT_EQ(ExitStatusOf([] { MainForm->close(); }), 0);
}
