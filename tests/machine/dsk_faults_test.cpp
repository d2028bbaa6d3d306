// What becomes of a program's writes to a disc image when the file system
// fails: every failed save says why, keeps the image mounted with its writes,
// leaves the file as it was, and a later save (or a save elsewhere) works. The
// automatic write-back and the rescue at the end behave the same way.
#include "fixtures/dsk_builder.h"
#include "fixtures/file_contents.h"
#include "fixtures/file_faults.h"
#include "fixtures/recording_services.h"
#include "fixtures/scoped_env.h"
#include "fixtures/temporary_places.h"
#include "fixtures/temp_dir.h"
#include "machine/disc/virtual_dsk.h"
#include "machine/disc_write_back.h"
#include "machine/dsk_handler.h"
#include "platform/exceptions.h"
#include "platform/rescue.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

using fixtures::DskBuilder;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;
using namespace std::chrono_literals;
using fixtures::MessageOf;
const auto& Slurp = fixtures::SlurpBytes;

namespace {

// Writes one byte at the start of sector 1 of track 0, as the controller does.
void WriteFirstByte(TVirtualDsk& d, std::uint8_t value) {
    d.SeekTrack(0, 0);
    d.SeekSector(1);
    d.WriteByte(value);
}

Bytes ImageOf(const TVirtualDsk& d) {
    return Bytes(d.ImageStream->Memory(), d.ImageStream->Memory() + d.ImageStream->Size());
}

const DskBuilder Small = DskBuilder().Uniform(2, 1, 4, 1);    // 2816 bytes
const DskBuilder Larger = DskBuilder().Uniform(10, 1, 16, 1); // 43776 bytes
const std::size_t FirstData = std::size_t(Small.DataOffset(1, 0));

// The user's state folder, for the rescued copies, in a temporary folder.
class StateFolder {
  public:
    fixtures::TempDir Dir;
    fixtures::ScopedEnv State{"XDG_STATE_HOME", Dir.Path.string()};
};

} // namespace

// Each fault: what the save says, and that the file is as it was, the image
// still mounted with its write, and the remedy saves it.
TEST(DiscSaveFaults, EachFaultNamesItsCauseKeepsTheWritesAndTheFile) {
    struct Case {
        const char* Name;
        std::function<void(const std::string& path)> Fault;
        std::string Reason; // after "Cannot create file PATH: "; empty: changed by another program
        std::function<void(TVirtualDsk&, const std::string& path)> Remedy;
    };
    const std::vector<Case> cases = {
        {"folder removed", [](const std::string& p) { fs::remove_all(fs::path(p).parent_path()); },
         "No such file or directory",
         [](TVirtualDsk& d, const std::string& p) {
             fs::create_directory(fs::path(p).parent_path());
             d.Save();
         }},
        {"changed by another program",
         [](const std::string& p) {
             Bytes other = Slurp(p);
             other[FirstData] ^= 0x55;
             DskBuilder::Write(p, other);
         },
         "", [](TVirtualDsk& d, const std::string&) { d.Overwrite(); }},
        {"a folder in its place",
         [](const std::string& p) {
             fs::remove(p);
             fs::create_directory(p);
         },
         "", [](TVirtualDsk& d, const std::string& p) { d.SaveAs(p + ".saved"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        fixtures::TempDir dir;
        fs::create_directory(dir.Path / "discs");
        const std::string path = (dir.Path / "discs" / "disc.dsk").string();
        Small.Save(path);
        TVirtualDsk d;
        d.LoadImage(path, 0);
        WriteFirstByte(d, 0x44);
        const Bytes machine = ImageOf(d);
        c.Fault(path);
        const bool wasFile = fs::is_regular_file(path);
        const Bytes before = wasFile ? Slurp(path) : Bytes{};

        const std::string expected =
            c.Reason.empty() ? "The disk image " + path + " was changed by another program since it was read"
                             : "Cannot create file " + path + ": " + c.Reason;
        EXPECT_EQ(MessageOf([&] { d.UnloadImage(0); }), expected);
        EXPECT_TRUE(d.IsMounted());
        EXPECT_TRUE(d.Modified);
        if (wasFile) {
            EXPECT_EQ(Slurp(path), before);
        }

        c.Remedy(d, path);
        EXPECT_FALSE(d.Modified);
        EXPECT_EQ(Slurp(d.FileName), machine);
    }
}

TEST(DiscSaveFaults, AFullDiscKeepsTheFileAndASaveElsewhereWorks) {
    fixtures::SmallDisk disk(64 * 1024);
    if (!disk.Mounted) GTEST_SKIP() << "cannot mount a tmpfs here (needs the right to mount)";
    fixtures::TempDir elsewhere;
    const std::string path = disk.File("disc.dsk");
    Larger.Save(path);
    const Bytes before = Slurp(path);
    TVirtualDsk d;
    d.LoadImage(path, 0);
    WriteFirstByte(d, 0x44);
    EXPECT_EQ(MessageOf([&] { d.Save(); }), "Cannot create file " + path + ": No space left on device");
    EXPECT_TRUE(d.Modified);
    EXPECT_EQ(Slurp(path), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(disk.Path()), fs::directory_iterator()), 1);

    const std::string other = elsewhere.File("disc.dsk");
    d.SaveAs(other);
    EXPECT_EQ(d.FileName, other);
    EXPECT_EQ(Slurp(other), ImageOf(d));
    d.UnloadImage(0); // nothing written since: the full disc is not touched again
}

// A full disc on any machine (a file size limit below the image's size): the
// save names it, and the image keeps its write and the file its contents.
TEST(DiscSaveFaults, AFileSizeLimitActsAsAFullDisc) {
    fixtures::TempDir dir;
    const std::string path = dir.File("disc.dsk");
    Larger.Save(path);
    const Bytes before = Slurp(path);
    const int result = fixtures::RunWithFileSizeLimit(16 * 1024, [&] {
        TVirtualDsk d;
        d.LoadImage(path, 0);
        WriteFirstByte(d, 0x44);
        if (MessageOf([&] { d.Save(); }) != "Cannot create file " + path + ": File too large") return 1;
        if (!d.IsMounted() || !d.Modified) return 2;
        d.UnloadImage(1);
        return 0;
    });
    ASSERT_GE(result, 0) << "cannot limit the file size here";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Slurp(path), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()), 1);
}

// As an unprivileged user (root writes anything): a read-only image is not
// replaced although its folder could be written.
TEST(DiscSaveFaults, AReadOnlyImageIsNeverReplaced) {
    fixtures::TempDir dir;
    fixtures::OpenToEveryone(dir.Path);
    const std::string path = dir.File("disc.dsk");
    Small.Save(path);
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const Bytes before = Slurp(path);
    const int result = fixtures::RunUnprivileged([&] {
        TVirtualDsk d;
        d.LoadImage(path, 0);
        if (!d.FileReadOnly()) return 1;
        WriteFirstByte(d, 0x44);
        if (MessageOf([&] { d.UnloadImage(0); }) != "Cannot create file " + path + ": Permission denied")
            return 2;
        if (!d.IsMounted() || !d.Modified) return 3;
        d.UnloadImage(1);
        return 0;
    });
    if (result < 0) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Slurp(path), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()), 1);
}

// Files that are no disc images are refused at once, and the drive keeps the
// image it had.
TEST(DiscLoadFaults, FilesThatAreNoImagesAreRefusedAndTheMountedImageStays) {
    fixtures::TempDir dir;
    const std::string good = dir.File("good.dsk"), fifo = dir.File("pipe.dsk"), zero = dir.File("zero.dsk"),
                      sparse = dir.File("sparse.dsk");
    Small.Save(good);
    ASSERT_TRUE(fixtures::MakeFifo(fifo));
    fs::create_symlink("/dev/zero", zero);
    ASSERT_TRUE(fixtures::MakeSparseFile(sparse, std::uint64_t(1) << 30));
    const struct {
        std::string Path, Message;
    } cases[] = {
        {fifo, "Cannot open file " + fifo + ": it is a pipe, not a regular file"},
        {zero, "Cannot open file " + zero + ": it is a device, not a regular file"},
        {sparse, "Cannot open file " + sparse + ": the file is larger than 13317376 bytes"},
        {"/proc/self/mem", "Cannot read file /proc/self/mem: Input/output error"},
    };
    TVirtualDsk d;
    d.LoadImage(good, 0);
    WriteFirstByte(d, 0x44);
    for (const auto& c : cases) {
        EXPECT_EQ(MessageOf([&] { d.LoadImage(c.Path, 0); }), c.Message);
        EXPECT_EQ(d.FileName, good);
        EXPECT_FALSE(d.Modified); // saved before the new file was read
    }
    EXPECT_EQ(Slurp(good)[FirstData], 0x44);
}

// ---- the automatic write-back, on a clock the test moves ----

namespace {

class WriteBack : public ::testing::Test {
  protected:
    using TClock = TDiscWriteBack::TClock;
    fixtures::TempDir Dir;
    TVirtualDsk Drives[2];
    TDiscWriteBack Writer{Drives, 2};
    TClock::time_point Now = TClock::now();
    std::vector<std::string> Failures;
    std::string Path = Dir.File("disc.dsk");

    void SetUp() override {
        Small.Save(Path);
        Drives[0].LoadImage(Path, 0);
        Writer.OnFailed = [this](int drive, const std::string& m) {
            Failures.push_back(std::string(1, char('A' + drive)) + ": " + m);
        };
    }
    // Polls every period up to `span` from now, and waits for what it started.
    void RunFor(TClock::duration span) {
        for (const TClock::time_point end = Now + span; Now < end;) {
            Now += TDiscWriteBack::PollPeriod;
            Writer.Poll(Now);
            Writer.Settle();
        }
    }
    std::uint8_t OnDisc() { return Slurp(Path)[FirstData]; }
};

} // namespace

TEST_F(WriteBack, AWriteReachesTheFileWithinTheDelayAndNotBefore) {
    WriteFirstByte(Drives[0], 0x11);
    RunFor(2700ms);
    EXPECT_NE(OnDisc(), 0x11);
    EXPECT_TRUE(Drives[0].Modified);
    RunFor(300ms);
    EXPECT_EQ(OnDisc(), 0x11);
    EXPECT_FALSE(Drives[0].Modified);
    // Nothing written since: nothing saved again (the file's time stays).
    const auto stamp = platform::StampOf(Path);
    RunFor(10s);
    EXPECT_EQ(platform::StampOf(Path), stamp);
}

// A program that writes without pause is saved every delay: the first write
// after a save starts the clock, and writes during a save keep the image
// modified.
TEST_F(WriteBack, WritesWithoutPauseAreSavedEveryDelay) {
    std::vector<TClock::duration> saves;
    const TClock::time_point start = Now;
    Writer.OnSaved = [&](int) { saves.push_back(Now - start); };
    for (int step = 0; step < 100; ++step) { // 10 s, a write every poll
        WriteFirstByte(Drives[0], std::uint8_t(step));
        Now += TDiscWriteBack::PollPeriod;
        Writer.Poll(Now);
        Writer.Settle();
    }
    ASSERT_EQ(saves.size(), 3u);
    for (std::size_t i = 0; i < saves.size(); ++i) {
        EXPECT_LE(saves[i], (i + 1) * (TDiscWriteBack::Delay + TDiscWriteBack::PollPeriod));
        if (i > 0) {
            EXPECT_GE(saves[i] - saves[i - 1], TDiscWriteBack::Delay - TDiscWriteBack::PollPeriod);
        }
    }
    EXPECT_TRUE(Drives[0].Modified); // written after the last save
}

TEST_F(WriteBack, AFailingSaveIsReportedOnceTriedAgainAndReportedAfreshAfterASuccess) {
    fs::create_directory(Dir.Path / "sub");
    const std::string sub = (Dir.Path / "sub" / "b.dsk").string();
    Small.Save(sub);
    Drives[1].LoadImage(sub, 0);
    WriteFirstByte(Drives[1], 0x22);
    fs::remove_all(Dir.Path / "sub");
    RunFor(10s); // three tries
    EXPECT_EQ(Failures,
              (std::vector<std::string>{"B: Cannot create file " + sub + ": No such file or directory"}));
    EXPECT_TRUE(Drives[1].Modified);

    fs::create_directory(Dir.Path / "sub");
    RunFor(3s);
    EXPECT_FALSE(Drives[1].Modified);
    EXPECT_EQ(Slurp(sub)[FirstData], 0x22);

    fs::remove_all(Dir.Path / "sub");
    WriteFirstByte(Drives[1], 0x23);
    RunFor(3s);
    EXPECT_EQ(Failures.size(), 2u);
}

// A file another program changed is left as that program left it: no save
// overwrites it by itself, whatever the machine writes after.
TEST_F(WriteBack, AFileAnotherProgramChangedIsNotOverwritten) {
    WriteFirstByte(Drives[0], 0x33);
    Bytes other = Slurp(Path);
    other[FirstData + 1] = 0x99;
    DskBuilder::Write(Path, other);
    RunFor(4s);
    WriteFirstByte(Drives[0], 0x34);
    RunFor(10s);
    EXPECT_EQ(Slurp(Path), other);
    EXPECT_EQ(Failures, (std::vector<std::string>{"A: The disk image " + Path +
                                                  " was changed by another program since it was read"}));
    EXPECT_TRUE(Drives[0].Modified);
}

// The write-back finds out at every save whether the file can be written. As
// an unprivileged user (root writes anything): an image whose file became
// read-only after the mount is reported once and keeps its writes, and is
// saved, and the report taken back, once the file can be written again. An
// image that was read-only at the mount, where the user was told, is not
// reported again.
TEST(WriteBackReadOnly, AFileThatBecameReadOnlyIsReportedOnceAndSavedOnceWritable) {
    fixtures::TempDir dir;
    fixtures::OpenToEveryone(dir.Path);
    const std::string a = dir.File("a.dsk"), b = dir.File("b.dsk");
    const int result = fixtures::RunUnprivileged([&] {
        Small.Save(a);
        Small.Save(b);
        fs::permissions(b, fs::perms::owner_read);
        TVirtualDsk drives[2];
        TDiscWriteBack writer(drives, 2);
        std::vector<std::string> failed;
        std::vector<int> cleared;
        writer.OnFailed = [&](int d, const std::string& m) {
            failed.push_back(char('A' + d) + std::string(": ") + m);
        };
        writer.OnCleared = [&](int d) { cleared.push_back(d); };
        auto now = TDiscWriteBack::TClock::now();
        const auto runFor = [&](TDiscWriteBack::TClock::duration span) {
            for (const auto end = now + span; now < end;) {
                now += TDiscWriteBack::PollPeriod;
                writer.Poll(now);
                writer.Settle();
            }
        };
        drives[0].LoadImage(a, 0);
        drives[1].LoadImage(b, 0);
        runFor(200ms); // both seen: a writable, b read-only
        fs::permissions(a, fs::perms::owner_read);
        WriteFirstByte(drives[0], 0x51);
        WriteFirstByte(drives[1], 0x52);
        runFor(10s);
        if (failed != std::vector<std::string>{"A: Cannot create file " + a + ": Permission denied"})
            return 1;
        if (!drives[0].Modified || !drives[1].Modified || !cleared.empty()) return 2;
        if (Slurp(a)[FirstData] == 0x51) return 3;
        fs::permissions(a, fs::perms::owner_read | fs::perms::owner_write);
        fs::permissions(b, fs::perms::owner_read | fs::perms::owner_write);
        runFor(3100ms);
        if (drives[0].Modified || drives[1].Modified) return 4;
        if (Slurp(a)[FirstData] != 0x51 || Slurp(b)[FirstData] != 0x52) return 5;
        if (cleared != std::vector<int>{0}) return 6;
        // Read-only again once it was written: news again.
        fs::permissions(b, fs::perms::owner_read);
        WriteFirstByte(drives[1], 0x53);
        runFor(3100ms);
        if (failed.size() != 2 || failed[1] != "B: Cannot create file " + b + ": Permission denied") return 7;
        return 0;
    });
    if (result < 0) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(result, 0);
}

// A reported failure is taken back when the writes stop being unsaved in any
// way: saved by hand, discarded, or the image unmounted or replaced.
TEST_F(WriteBack, AReportedFailureIsTakenBackOnceTheWritesAreSettled) {
    std::vector<int> cleared;
    Writer.OnCleared = [&](int d) { cleared.push_back(d); };
    fixtures::TempDir elsewhere;
    const std::string other = elsewhere.File("other.dsk");
    Small.Save(other);
    const struct {
        const char* Case;
        std::function<void(TVirtualDsk&)> Settle;
    } cases[] = {
        {"saved as another file", [&](TVirtualDsk& d) { d.SaveAs(elsewhere.File("saved.dsk")); }},
        {"discarded and unmounted", [](TVirtualDsk& d) { d.UnloadImage(1); }},
        {"another image mounted after a discard",
         [&](TVirtualDsk& d) {
             d.Modified = 0;
             d.LoadImage(other, 0);
             WriteFirstByte(d, 0x61); // written at once: the drive is still news
         }},
    };
    for (const auto& c : cases) {
        fs::create_directory(Dir.Path / "sub");
        const std::string sub = (Dir.Path / "sub" / "b.dsk").string();
        Small.Save(sub);
        Drives[1].LoadImage(sub, 0);
        RunFor(200ms);
        WriteFirstByte(Drives[1], 0x22);
        fs::remove_all(Dir.Path / "sub");
        Failures.clear();
        cleared.clear();
        RunFor(4s);
        ASSERT_EQ(Failures.size(), 1u) << c.Case;
        EXPECT_TRUE(cleared.empty()) << c.Case;
        c.Settle(Drives[1]);
        RunFor(200ms);
        EXPECT_EQ(cleared, std::vector<int>{1}) << c.Case;
        Drives[1].UnloadImage(1);
        RunFor(200ms);
    }
}

// The machine's end when no window can ask: every image that cannot be saved
// goes whole to the rescue folder, the file stays as it is, and the others are
// saved.
TEST(ControllerShutdown, ImagesThatCannotBeSavedAreRescuedAndTheOthersSaved) {
    StateFolder state;
    fixtures::TempDir dir;
    RecordingServices log;
    fs::create_directory(dir.Path / "gone");
    const std::string a = (dir.Path / "gone" / "a.dsk").string(), b = dir.File("b.dsk"),
                      c = dir.File("c.dsk");
    for (const std::string& p : {a, b, c})
        Small.Save(p);
    Bytes machineA, machineB, otherB;
    std::vector<TDiscRescue> rescues;
    {
        TDskHandler fdc(log.LogHook());
        for (int d = 0; d < 3; ++d) {
            fdc.Mount(d, d == 0 ? a : d == 1 ? b : c, 0);
            WriteFirstByte(fdc.Drives[d], std::uint8_t(0x10 + d));
        }
        machineA = ImageOf(fdc.Drives[0]);
        machineB = ImageOf(fdc.Drives[1]);
        fs::remove_all(dir.Path / "gone");
        otherB = Slurp(b);
        otherB[FirstData + 3] = 0x77;
        DskBuilder::Write(b, otherB);
        rescues = fdc.UnmountAll();
        EXPECT_FALSE(fdc.AnyModified());
    }
    ASSERT_EQ(rescues.size(), 2u);
    EXPECT_EQ(rescues[0].Reason, "Cannot create file " + a + ": No such file or directory");
    EXPECT_EQ(rescues[1].Reason, "The disk image " + b + " was changed by another program since it was read");
    EXPECT_EQ(Slurp(rescues[0].Copy.Path), machineA);
    EXPECT_EQ(Slurp(rescues[1].Copy.Path), machineB);
    for (const TDiscRescue& r : rescues) {
        EXPECT_EQ(fs::path(r.Copy.Path).parent_path(), platform::RescueFolder());
        EXPECT_EQ(fs::path(r.Copy.Path).filename().string().substr(0, 2),
                  fs::path(r.FileName).stem().string() + "-");
    }
    EXPECT_EQ(Slurp(b), otherB);
    EXPECT_EQ(Slurp(c)[FirstData], 0x12);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               rescues[0].Reason + "; the machine's copy is in " + rescues[0].Copy.Path,
                               rescues[1].Reason + "; the machine's copy is in " + rescues[1].Copy.Path}));
    EXPECT_EQ(platform::TakeUnreportedRescues(),
              (std::vector<platform::TRescueNote>{{rescues[0].Copy.Path, a}, {rescues[1].Copy.Path, b}}));
}

// When the rescue folder cannot take a copy, the temporary folder does; when
// nothing can, the log says that the writes are lost and why.
TEST(ControllerShutdown, ARescueFolderThatCannotTakeTheCopyGivesWayAndALostCopyIsSaid) {
    StateFolder state;
    fixtures::TempDir dir;
    const fixtures::TemporaryPlaces temporary;
    fs::create_directories(state.Dir.Path / "qj47r");
    fixtures::SpitText((state.Dir.Path / "qj47r" / "rescued").string(), "a file in the folder's place");
    const std::string tmpFolder = platform::TemporaryRescueFolder();
    for (const bool temporaryToo : {false, true}) {
        if (temporaryToo)
            for (const std::string& folder : platform::TemporaryRescueFolders()) {
                fs::remove_all(folder);
                fixtures::SpitText(folder, "and in this one's");
            }
        fs::create_directory(dir.Path / "gone");
        const std::string a = (dir.Path / "gone" / "a.dsk").string();
        Small.Save(a);
        RecordingServices log;
        TDskHandler fdc(log.LogHook());
        fdc.Mount(0, a, 0);
        WriteFirstByte(fdc.Drives[0], 0x10);
        const Bytes machine = ImageOf(fdc.Drives[0]);
        fs::remove_all(dir.Path / "gone");
        const std::vector<TDiscRescue> rescues = fdc.UnmountAll();
        ASSERT_EQ(rescues.size(), 1u);
        const platform::TRescueResult& copy = rescues[0].Copy;
        ASSERT_EQ(log.Lines(), (std::vector<std::string>{rescues[0].Reason + "; " + copy.Report()}));
        if (!temporaryToo) {
            EXPECT_TRUE(copy.InTemporaryFolder);
            EXPECT_EQ(fs::path(copy.Path).parent_path(), tmpFolder);
            EXPECT_EQ(Slurp(copy.Path), machine);
            EXPECT_NE(log.Lines()[0].find("in the system's temporary folder"), std::string::npos);
        } else {
            EXPECT_TRUE(copy.Path.empty());
            EXPECT_NE(log.Lines()[0].find("the machine's writes to it are lost"), std::string::npos);
        }
    }
}

// The write-back's copy is taken whole once, then only the blocks written
// since: what the copy holds elsewhere is left as it was.
TEST(DiscSnapshot, TheCopyFollowsTheWritesBlockByBlock) {
    fixtures::TempDir dir;
    const std::string path = dir.File("disc.dsk");
    Larger.Save(path);
    TVirtualDsk d;
    d.LoadImage(path, 0);
    TDiscSnapshot copy;
    d.UpdateSnapshot(copy);
    EXPECT_EQ(copy.Data, ImageOf(d));
    const std::size_t far = copy.Data.size() - 1; // another block than the write's
    copy.Data[far] ^= 0xFF;
    WriteFirstByte(d, 0x66);
    d.UpdateSnapshot(copy);
    EXPECT_EQ(copy.Data[FirstData], 0x66);
    EXPECT_NE(copy.Data[far], ImageOf(d)[far]);
    EXPECT_EQ(copy.Writes, d.Writes);

    // Another load: the whole image again.
    d.LoadImage(path, 0);
    d.UpdateSnapshot(copy);
    EXPECT_EQ(copy.Data, ImageOf(d));
}
