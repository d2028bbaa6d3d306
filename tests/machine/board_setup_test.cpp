// Building and tearing down the machine: ROM images (missing, damaged, short
// and long), settings, reset, and the disc images saved before the settings.
#include "board_test_support.h"
#include "fixtures/dsk_builder.h"
#include "fixtures/file_contents.h"
#include "fixtures/file_faults.h"
#include "fixtures/full_settings.h"
#include "fixtures/no_home.h"
#include "fixtures/unreadable_settings.h"
#include "platform/exceptions.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

using board_test::Rgb;
using board_test::Rig;
namespace fs = std::filesystem;

std::vector<std::uint8_t> Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
void Spill(const fs::path& p, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}
std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t salt) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = std::uint8_t(i * 31 + salt + (i >> 8));
    return v;
}

TEST(BoardSetup, BootsColdIntoTheIplRomWithScreenAndPlanesBlack) {
    Rig rig;
    TQJ47R& m = rig.M();
    const auto ipl = Slurp(fs::path(QJ_FIXTURE_ROMS) / "ipl.BIN");
    ASSERT_FALSE(ipl.empty());
    EXPECT_EQ(m.IplMode(), 1);
    EXPECT_EQ(m.ColdBoot, 1);
    EXPECT_EQ(rig.PC(), 0);
    EXPECT_EQ(m.FetchMem(0), ipl[0]);
    EXPECT_EQ(rig.P().NormalVideo(), 0);
    EXPECT_EQ(rig.Screen.Width(), 640);
    EXPECT_EQ(rig.Screen.Height(), 400);
    EXPECT_EQ(rig.Screen.Pixel(639, 399), TQJ47R::Black);
    EXPECT_EQ(rig.P().RingWriteIndex() - rig.P().RingReadIndex(), TQJ47R::RingStartLag);
    EXPECT_GE(rig.Services.StatusBarRefreshes, 1);
    ASSERT_TRUE(rig.Sound.Buffer());
    EXPECT_TRUE(rig.Sound.Buffer()->IsPlaying());
}

TEST(BoardSetup, MissingRomImagesRaiseTheOpenError) {
    for (const char* present : {"ipl.BIN", "qjfont.bin"}) {
        fixtures::TempDir roms;
        fs::copy_file(fs::path(QJ_FIXTURE_ROMS) / present, roms.Path / present);
        const std::string missing = std::string(present) == "ipl.BIN" ? "qjfont.bin" : "ipl.BIN";
        try {
            Rig rig(roms.Path.string());
            ADD_FAILURE() << "built without " << missing;
        } catch (const platform::EFOpenError& e) {
            EXPECT_EQ(e.Message(), "Cannot open file " + roms.File(missing) + ": No such file or directory");
        }
    }
}

// Each ROM image in turn replaced by something that is no regular file or that
// fails to read: the construction raises its error at once (a FIFO would block
// a plain open), never a machine with a short ROM.
TEST(BoardSetup, RomImagesThatAreNoRegularFilesOrFailToReadRaiseTheirError) {
    for (const char* rom : {"qjfont.bin", "ipl.BIN"}) {
        for (const fixtures::FileFault& fault : fixtures::FileFaults) {
            SCOPED_TRACE(std::string(rom) + ", " + fault.Kind);
            fixtures::TempDir roms;
            for (const char* other : {"qjfont.bin", "ipl.BIN"})
                if (std::string(other) != rom)
                    fs::copy_file(fs::path(QJ_FIXTURE_ROMS) / other, roms.Path / other);
            fault.Make(roms.File(rom));
            auto message = std::make_shared<std::string>();
            ASSERT_TRUE(fixtures::EndsSoon([message, folder = roms.Path.string()] {
                *message = fixtures::MessageOf([&] { Rig rig(folder); });
            }));
            EXPECT_EQ(*message, fault.Message(roms.File(rom)));
        }
    }
}

TEST(BoardSetup, ShortAndLongRomImagesFillWhatTheyHoldAndNoMore) {
    struct Case {
        std::size_t Font, Ipl;
    };
    for (const Case c : {Case{1024, 100}, Case{5000, 3000}}) {
        SCOPED_TRACE(c.Font);
        fixtures::TempDir roms;
        const auto font = Bytes(c.Font, 3), ipl = Bytes(c.Ipl, 9);
        Spill(roms.Path / "qjfont.bin", font);
        Spill(roms.Path / "ipl.BIN", ipl);
        Rig rig(roms.Path.string());
        for (std::size_t i = 0; i < 2048; ++i) {
            ASSERT_EQ(FontRom[i], i < font.size() ? font[i] : 0) << i;
            ASSERT_EQ(IplRom[i], i < ipl.size() ? ipl[i] : 0) << i;
        }
        // Glyph 0x80 (column 8 of the 40-column font) comes from byte 1024 on.
        bool lit = false;
        for (int y = 0; y < 16; ++y)
            for (int x = 128; x < 144; ++x)
                lit |= Rgb(rig.P().Font40Bitmap().Pixel(x, y)) != 0;
        EXPECT_EQ(lit, c.Font > 1024);
    }
}

TEST(BoardSetup, SettingsAreTrueOnlyForTheExactTextAndAreSavedBack) {
    fixtures::TempDir settings;
    SetSettingsFolder(settings.Path.string());
    WriteRegistryString("RamExpansion", "true");
    WriteRegistryString("Graphics1", "TRUE");
    WriteRegistryString("Graphics2", "yes");
    {
        Rig rig;
        SetSettingsFolder(settings.Path.string()); // the rig's own folder is not wanted here
        TQJ47R& m = rig.M();
        m.LoadSettings();
        EXPECT_EQ(m.Settings().RamExpansion, 0);
        EXPECT_EQ(m.Settings().Graphics1, 1);
        EXPECT_EQ(m.Settings().Graphics2, 0);
        EXPECT_EQ(m.Settings().ScanDouble, 1); // missing: created with its default
        EXPECT_EQ(ReadRegistryString("ScanDouble", "?"), "TRUE");
        TQJ47RSettings changed = m.Settings();
        changed.ScanDouble = 0;
        changed.Graphics2 = 7;
        m.SetSettings(changed);
        m.SaveSettings();
    }
    SetSettingsFolder(settings.Path.string());
    EXPECT_EQ(ReadRegistryString("RamExpansion", "?"), "FALSE");
    EXPECT_EQ(ReadRegistryString("Graphics1", "?"), "TRUE");
    EXPECT_EQ(ReadRegistryString("Graphics2", "?"), "TRUE");
    EXPECT_EQ(ReadRegistryString("ScanDouble", "?"), "FALSE");
    SetSettingsFolder("");
}

// A machine on the fixture ROMs, without sound, whose settings live in a
// folder prepared before it is built.
struct SettingsRig {
    explicit SettingsRig(const fs::path& folder) {
        board_test::ClearBoardGlobals();
        SetSettingsFolder(folder.string());
        TQJ47RSetup setup;
        setup.Services = &Services;
        setup.RomFolder = QJ_FIXTURE_ROMS;
        Board = std::make_unique<TQJ47R>(setup);
    }
    ~SettingsRig() {
        Board.reset();
        SetSettingsFolder("");
    }
    TQJ47R& M() { return *Board; }
    bool AllOn() const {
        const TQJ47RSettings& s = Board->Settings();
        return s.RamExpansion && s.Graphics1 && s.Graphics2 && s.ScanDouble;
    }

    RecordingServices Services;
    std::unique_ptr<TQJ47R> Board;
};

void SetScanDouble(TQJ47R& m, std::uint8_t on) { board_test::Set(m, &TQJ47RSettings::ScanDouble, on); }

// Edited by hand: spaces, tabs, CR LF line ends, names and the section in
// another case. The values keep their meaning, and the save changes only the
// line of the value that changed.
TEST(BoardSetup, HandEditedSettingsKeepTheirMeaningAndTheirFile) {
    fixtures::TempDir settings;
    const std::string file = settings.File("qj47r.ini");
    const std::string edited =
        "; mine\r\n[\\software\\qj47r emulator]\r\n ramexpansion = TRUE \r\n"
        "Graphics1\t=\tFALSE\r\nGRAPHICS2=TRUE\r\nScanDouble = TRUE\r\n\r\n[Other]\r\nX=1\r\n";
    fixtures::SpitText(file, edited);
    {
        SettingsRig rig(settings.Path);
        const TQJ47RSettings& s = rig.M().Settings();
        EXPECT_EQ(s.RamExpansion, 1);
        EXPECT_EQ(s.Graphics1, 0);
        EXPECT_EQ(s.Graphics2, 1);
        EXPECT_EQ(s.ScanDouble, 1);
        EXPECT_EQ(rig.M().SettingsProblem(), "");
        EXPECT_EQ(rig.M().WriteSettings(), "");
        EXPECT_EQ(fixtures::SlurpText(file), edited);
        SetScanDouble(rig.M(), 0);
        EXPECT_EQ(rig.M().SaveSettings(), "");
    }
    std::string saved = edited;
    saved.replace(saved.find("ScanDouble = TRUE"), 17, "ScanDouble = FALSE");
    EXPECT_EQ(fixtures::SlurpText(file), saved);
}

// A settings file that exists but cannot be read: the machine runs on the
// defaults, tells why, and neither creates values in the file nor saves into
// it, whether the program's exit calls WriteSettings or the destructor saves.
TEST(BoardSetup, AnUnreadableSettingsFileIsToldAndNeverWritten) {
    const std::string skipped =
        fixtures::CheckEachUnreadableSettingsFile([](const auto& c, const fs::path& folder) {
            const std::string problem =
                "The settings could not be read from " + (folder / "qj47r.ini").string() + ": " + c.Reason +
                ".\nThe emulator runs on its default settings and leaves the file as it is.";
            // The exit's WriteSettings (codes 1-4), then the destructor alone (11-14).
            for (const int code : {0, 10}) {
                SettingsRig rig(folder);
                if (rig.M().SettingsProblem() != problem) return code + 1;
                if (!rig.AllOn()) return code + 2;
                SetScanDouble(rig.M(), 0);
                if (code == 0 && rig.M().WriteSettings() != "") return code + 3;
                rig.Board.reset();
                if (!rig.Services.Lines().empty()) return code + 4;
            }
            return 0;
        });
    if (!skipped.empty())
        GTEST_SKIP() << "cannot run as an unprivileged user here: " << skipped << " left out";
}

// The file could not be read at the start and is mended while the machine
// runs: what the user put there now is not overwritten with the defaults.
TEST(BoardSetup, AFileUnreadableAtTheStartIsNotSavedIntoLater) {
    fixtures::TempDir settings;
    const std::string file = settings.File("qj47r.ini");
    const auto& tooLarge = fixtures::UnreadableSettingsCases()[2];
    ASSERT_EQ(std::string(tooLarge.Reason), "the file is larger than 65536 bytes");
    ASSERT_TRUE(tooLarge.Make(file));
    SettingsRig rig(settings.Path);
    ASSERT_NE(rig.M().SettingsProblem(), "");
    fixtures::SpitText(file, fixtures::UsersSettings);
    EXPECT_EQ(rig.M().WriteSettings(), "");
    rig.Board.reset();
    EXPECT_EQ(fixtures::SlurpText(file), fixtures::UsersSettings);
}

// WriteSettings names the file and the system's reason when the settings
// cannot be saved; the destructor then does not try again.
TEST(BoardSetup, WriteSettingsTellsWhyTheSettingsCouldNotBeSaved) {
    fixtures::TempDir dir;
    const std::string blocked = dir.File("blocked"); // a plain file: no folder can be made in it
    fixtures::SpitText(blocked, "x");
    {
        SettingsRig rig(blocked + "/config");
        EXPECT_EQ(rig.M().SettingsProblem(), "");
        EXPECT_EQ(rig.M().WriteSettings(), "The settings could not be saved to " + blocked +
                                               "/config/qj47r.ini: the folder " + blocked +
                                               "/config cannot be created: Not a directory");
        rig.Board.reset();
        EXPECT_EQ(rig.Services.Lines(), std::vector<std::string>{});
    }

    // Read-only for the user, who may not replace it.
    fixtures::TempDir settings;
    fixtures::OpenToEveryone(settings.Path);
    const std::string file = settings.File("qj47r.ini");
    const std::string all =
        "[\\SOFTWARE\\QJ47R Emulator]\nRamExpansion=TRUE\nGraphics1=TRUE\nGraphics2=TRUE\n"
        "ScanDouble=TRUE\n";
    fixtures::SpitText(file, all);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const int result = fixtures::RunUnprivileged([&] {
        SettingsRig rig(settings.Path);
        if (rig.M().SaveSettings() != "") return 3; // unchanged: nothing to write
        SetScanDouble(rig.M(), 0);
        if (rig.M().WriteSettings() != "The settings could not be saved to " + file + ": Permission denied")
            return 1;
        rig.Board.reset();
        return rig.Services.Lines().empty() ? 0 : 2;
    });
    if (result < 0) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(fixtures::SlurpText(file), all);
}

// A settings file near the size limit, without some of the four values: the
// start adds all the missing defaults or, when the file cannot take them all,
// none, and runs on the defaults either way. The message at the end, from the
// exit's WriteSettings or from the destructor, is true of the file as it is
// then: left as it was, or holding what the start added but not the settings
// changed since.
TEST(BoardSetup, NearTheSizeLimitTheEndSaysWhatTheFileHolds) {
    const std::string other = "; kept by hand\n[Other]\nName=kept\n"; // no section of the emulator
    const std::string some = fixtures::SettingsHeader + "RamExpansion=FALSE\nGraphics1=TRUE\n";
    const std::string four = "\n" + fixtures::SettingsHeader +
                             "RamExpansion=TRUE\nGraphics1=TRUE\nGraphics2=TRUE\nScanDouble=TRUE\n";
    const std::string two = "Graphics2=TRUE\nScanDouble=TRUE\n";
    const std::size_t fourBytes = fixtures::NewSectionBytes + fixtures::FourDefaultsBytes;
    const std::size_t limit = TSettingsStore::MaxFileSize;
    // The padding line of a file of `size` bytes that begins with head.
    const auto pad = [](const std::string& head, std::size_t size) {
        return fixtures::PaddedSettings(head, size).substr(head.size());
    };
    const std::string tooLarge =
        "the file would be larger than 65536 bytes, the most a settings file may hold";
    using Field = std::uint8_t TQJ47RSettings::*;
    const struct {
        const char* What;
        std::string Before, AfterStart; // the file at the start, and once the machine is built
        std::uint8_t RamExpansion;      // as read; the missing values are on
        std::vector<Field> TurnedOff;
        std::string End;    // the file at the end
        std::string Reason; // what the end says after "could not be saved to FILE: "; "" when saved
    } cases[] = {
        {"a user's file that three of the defaults would fit: none added",
         fixtures::PaddedSettings(other, 65446),
         fixtures::PaddedSettings(other, 65446),
         1,
         {&TQJ47RSettings::ScanDouble},
         fixtures::PaddedSettings(other, 65446),
         tooLarge + ", so it is left as it is"},
        {"all four added, one option changed: the file fills to the byte",
         fixtures::PaddedSettings(other, limit - fourBytes - 1),
         fixtures::PaddedSettings(other, limit - fourBytes - 1) + four,
         1,
         {&TQJ47RSettings::Graphics2},
         fixtures::PaddedSettings(other, limit - fourBytes - 1) + "\n" + fixtures::SettingsHeader +
             "RamExpansion=TRUE\nGraphics1=TRUE\nGraphics2=FALSE\nScanDouble=TRUE\n",
         ""},
        {"all four added, two options changed",
         fixtures::PaddedSettings(other, limit - fourBytes - 1),
         fixtures::PaddedSettings(other, limit - fourBytes - 1) + four,
         1,
         {&TQJ47RSettings::Graphics2, &TQJ47RSettings::ScanDouble},
         fixtures::PaddedSettings(other, limit - fourBytes - 1) + four,
         tooLarge +
             ".\nWhen the emulator started, it added RamExpansion, Graphics1, Graphics2 and ScanDouble "
             "to the file as TRUE; your settings of Graphics2 and ScanDouble are not kept."},
        {"two added, one option changed, one left off as the file holds it",
         fixtures::PaddedSettings(some, limit - two.size()),
         some + two + pad(some, limit - two.size()),
         0,
         {&TQJ47RSettings::RamExpansion, &TQJ47RSettings::ScanDouble},
         some + two + pad(some, limit - two.size()),
         tooLarge + ".\nWhen the emulator started, it added Graphics2 and ScanDouble to the file as TRUE; "
                    "your setting of ScanDouble is not kept."},
    };
    for (const auto& c : cases)
        for (const bool byExit : {true, false}) {
            SCOPED_TRACE(std::string(c.What) + (byExit ? ", the exit's save" : ", the destructor's save"));
            fixtures::TempDir settings;
            const std::string file = settings.File("qj47r.ini");
            fixtures::SpitText(file, c.Before);
            SettingsRig rig(settings.Path);
            EXPECT_EQ(fixtures::SlurpText(file), c.AfterStart);
            EXPECT_EQ(rig.M().SettingsProblem(), "");
            const TQJ47RSettings& s = rig.M().Settings();
            EXPECT_EQ(s.RamExpansion, c.RamExpansion);
            EXPECT_EQ(s.Graphics1 & s.Graphics2 & s.ScanDouble, 1);
            for (const Field field : c.TurnedOff)
                board_test::Set(rig.M(), field, 0);
            const std::string message =
                c.Reason.empty() ? "" : "The settings could not be saved to " + file + ": " + c.Reason;
            if (byExit) {
                EXPECT_EQ(rig.M().WriteSettings(), message);
            }
            rig.Board.reset();
            EXPECT_EQ(rig.Services.Lines(), byExit || message.empty() ? std::vector<std::string>{}
                                                                      : std::vector<std::string>{message});
            EXPECT_EQ(fixtures::SlurpText(file), c.End);
        }
}

// Without any home there is no settings file: the start says so, and the
// machine runs on the defaults and writes nowhere, at the exit or after.
TEST(BoardSetup, WithoutAnyHomeTheStartSaysSoAndNothingIsWritten) {
    const int result = fixtures::RunWithoutAnyHome([] {
        SettingsRig rig(""); // the user's configuration folder, of which there is none
        if (rig.M().SettingsProblem() !=
            "The settings could not be read: no home folder is known (HOME is not set, nor a home in the "
            "user database).\nThe emulator runs on its default settings and keeps none.")
            return 1;
        if (!rig.AllOn()) return 2;
        SetScanDouble(rig.M(), 0);
        if (rig.M().WriteSettings() != "") return 3;
        rig.Board.reset();
        if (!rig.Services.Lines().empty()) return 4;
        return fs::exists("qj47r.ini") || fs::exists(".config") ? 5 : 0;
    });
    if (result < 0) GTEST_SKIP() << "cannot run as a user without a home here";
    EXPECT_EQ(result, 0);
}

TEST(BoardSetup, AfterWriteSettingsTheDestructorSavesNoMore) {
    fixtures::TempDir settings;
    {
        SettingsRig rig(settings.Path);
        SetScanDouble(rig.M(), 0);
        ASSERT_EQ(rig.M().WriteSettings(), "");
        SetScanDouble(rig.M(), 1); // after the exit's save: not kept
    }
    SetSettingsFolder(settings.Path.string());
    EXPECT_EQ(ReadRegistryString("ScanDouble", "?"), "FALSE");
    SetSettingsFolder("");
}

TEST(BoardSetup, ResetKeepsMemoryAndClearsModes) {
    Rig rig;
    TQJ47R& m = rig.M();
    MainRam[0x1234] = 0x56;
    TextVram[5] = 0x41;
    KeyMatrix[3] = 0x0F;
    m.WritePort(0xE8, 0x80 | 0x20 | 0x10 | 3); // window, 80 columns, key row 3
    m.WritePort(0xE0, 0x40 | 0x10);            // GRPH lamp, normal video
    m.WritePort(0xF4, 0x03);                   // plane I shown, plane II selected
    m.WritePort(0xDC, 0x06);                   // drive C selected ...
    m.WritePort(0xD8, 0x08 ^ 0xFF);            // ... and busy
    m.CheckInterrupt(4000);
    ASSERT_EQ(m.ModeLamps()[1] & m.DriveLamps()[2], 1);
    m.NmiRequest = 1;
    ResetLatch = 1;
    const auto pixel = rig.Screen.Pixel(0, 0);
    m.ColdBoot = 0;
    m.Reset();
    EXPECT_EQ(m.IplMode(), 0);
    EXPECT_EQ(MainRam[0x1234], 0x56);
    EXPECT_EQ(TextVram[5], 0x41);
    EXPECT_EQ(m.ReadPort(0xEA), 0xF0); // still row 3
    auto p = rig.P();
    EXPECT_EQ(p.NormalVideo() | p.Columns80() | p.Plane1Shown() | p.Plane2Selected(), 0);
    EXPECT_EQ(m.ReadMem(0xD005), MainRam[0xD005]); // no window
    EXPECT_EQ(m.ModeLamps()[1] | m.DriveLamps()[2] | m.NmiRequest | ResetLatch, 0);
    EXPECT_EQ(rig.Screen.Pixel(0, 0), pixel); // nothing redrawn
    EXPECT_EQ(m.FetchMem(0x1234), 0x56);
    m.ColdBoot = 1;
    m.Reset();
    EXPECT_EQ(m.IplMode(), 1);
    EXPECT_EQ(m.FetchMem(0), IplRom[0]);
}

TEST(BoardSetup, DestructionSavesEachDiscImageOnItsOwnThenTheSettings) {
    fixtures::TempDir discs;
    const auto image = fixtures::DskBuilder().Uniform(2, 1, 4, 1).Build();
    const fs::path good = discs.Path / "good.dsk";
    const fs::path gone = discs.Path / "gone" / "lost.dsk";
    fs::create_directory(gone.parent_path());
    Spill(good, image);
    Spill(gone, image);
    fixtures::TempDir settings;
    {
        Rig rig;
        SetSettingsFolder(settings.Path.string());
        TQJ47R& m = rig.M();
        m.Fdc.Mount(0, gone.string(), 0);
        m.Fdc.Mount(1, good.string(), 0);
        // The images change, and the first one's folder goes away.
        for (int d = 0; d < 2; ++d) {
            m.Fdc.Drives[d].SeekTrack(0, 0);
            m.Fdc.Drives[d].SeekSector(1);
            m.Fdc.Drives[d].WriteByte(0x00);
        }
        fs::remove_all(gone.parent_path());
        TQJ47RSettings changed = m.Settings();
        changed.ScanDouble = 0;
        m.SetSettings(changed);
        rig.Board.reset(); // must not raise
        const auto lines = rig.Services.Lines();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.rfind("Cannot create file " + gone.string() +
                               ": No such file or directory; the machine's copy is in ",
                           0) == 0;
        }));
    }
    EXPECT_NE(Slurp(good), image); // the second drive was still saved
    SetSettingsFolder(settings.Path.string());
    EXPECT_EQ(ReadRegistryString("ScanDouble", "?"), "FALSE");
    SetSettingsFolder("");
}

TEST(BoardSetup, SettingsThatCannotBeSavedAreReportedNotRaised) {
    fixtures::TempDir dir;
    const std::string blocked = dir.File("blocked"); // a plain file: nothing can be created in it
    std::ofstream(blocked) << "x";
    Rig rig;
    SetSettingsFolder(blocked);
    rig.Services.TakeLines();
    rig.Board.reset();
    EXPECT_EQ(rig.Services.Lines(), std::vector<std::string>{"The settings could not be saved to " + blocked +
                                                             "/qj47r.ini: the folder " + blocked +
                                                             " cannot be created: Not a directory"});
}

TEST(BoardSetup, RunsWithoutSoundDeviceOrServices) {
    Rig rig(QJ_FIXTURE_ROMS, false);
    EXPECT_FALSE(rig.P().HasSoundBuffer());
    rig.RunSlices(3);
    EXPECT_EQ(rig.M().IplMode(), 0);

    platform::NullSoundDevice none;
    TQJ47RSetup setup;
    setup.RomFolder = QJ_FIXTURE_ROMS;
    setup.Sound = &none;
    TQJ47R bare(setup);
    bare.SliceTStates = bare.TStates = 80000;
    bare.Execute();
    EXPECT_EQ(bare.IplMode(), 0);
    EXPECT_EQ(bare.Screen()->Width(), 640);
}

} // namespace
