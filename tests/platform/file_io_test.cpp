#include "fixtures/file_faults.h"
#include "fixtures/file_contents.h"
#include "fixtures/temp_dir.h"
#include "platform/exceptions.h"
#include "platform/file_io.h"
#include "platform/rescue.h"
#include "platform/streams.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/file.h>

using namespace platform;
namespace fs = std::filesystem;
using fixtures::EndsSoon;
using fixtures::MessageOf;
const auto& Slurp = fixtures::SlurpText;
const auto& Spit = fixtures::SpitText;

namespace {

std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

// Every kind of file that is not a regular one is refused before a byte is
// read, and without waiting on it; so is a file larger than the limit.
TEST(ReadWholeFile, RefusesWhatIsNotARegularFileOfItsSize) {
    fixtures::TempDir dir;
    const std::string fifo = dir.File("pipe.dsk"), zero = dir.File("zero.dsk"), sparse = dir.File("big.dsk");
    ASSERT_TRUE(fixtures::MakeFifo(fifo));
    fs::create_symlink("/dev/zero", zero);
    ASSERT_TRUE(fixtures::MakeSparseFile(sparse, std::uint64_t(1) << 30));
    const struct {
        std::string path, reason;
    } cases[] = {
        {fifo, "it is a pipe, not a regular file"},
        {zero, "it is a device, not a regular file"},
        {dir.Path.string(), "it is a folder"},
        {sparse, "the file is larger than 1000 bytes"},
        {dir.File("missing.dsk"), "No such file or directory"},
    };
    for (const auto& c : cases) {
        std::string message;
        ASSERT_TRUE(EndsSoon([&message, path = c.path] {
            message = MessageOf([&] { ReadWholeFile(path, 1000); });
        })) << c.path;
        EXPECT_EQ(message, "Cannot open file " + c.path + ": " + c.reason);
    }
    // The same checks guard a stream opened for reading.
    EXPECT_TRUE(EndsSoon([fifo] { MessageOf([&] { TFileStream f(fifo, TFileMode::fmOpenRead); }); }));
    EXPECT_EQ(MessageOf([&] { TFileStream f(zero, TFileMode::fmOpenRead); }),
              "Cannot open file " + zero + ": it is a device, not a regular file");
}

// The kernel's memory file of a process looks like a regular file and fails
// to read at address 0: an input/output error, which must not pass for the end.
TEST(ReadWholeFile, AReadErrorIsAnErrorNotTheEnd) {
    const std::string mem = "/proc/self/mem";
    EXPECT_EQ(MessageOf([&] { ReadWholeFile(mem, 1000); }),
              "Cannot read file " + mem + ": Input/output error");
    TFileStream f(mem, TFileMode::fmOpenRead);
    char b[16];
    EXPECT_EQ(MessageOf([&] { f.Read(b, sizeof b); }), "Cannot read file " + mem + ": Input/output error");
}

TEST(ReadWholeFile, GivesTheVersionThatStillHoldsUntilTheContentsChange) {
    fixtures::TempDir dir;
    const std::string name = dir.File("disc.dsk");
    Spit(name, "contents");
    TFileVersion version;
    EXPECT_EQ(ReadWholeFile(name, 100, &version).size(), 8u);
    EXPECT_TRUE(StillHolds(name, version, 100));

    // Touched, or rewritten with the same bytes: a new stamp, the same contents.
    fs::last_write_time(name, fs::last_write_time(name) + std::chrono::seconds(5));
    EXPECT_TRUE(StillHolds(name, version, 100));
    // Rewritten in place with other bytes of the same length and time.
    const auto time = fs::last_write_time(name);
    Spit(name, "CONTENTS");
    fs::last_write_time(name, time);
    EXPECT_FALSE(StillHolds(name, version, 100));
    // Gone.
    fs::remove(name);
    EXPECT_FALSE(StillHolds(name, version, 100));
}

TEST(WriteFileAtomic, NamesTheCauseAndLeavesNoTemporaryFile) {
    fixtures::TempDir dir;
    fs::create_directory(dir.Path / "gone");
    const std::string inGone = (dir.Path / "gone" / "disc.dsk").string();
    Spit(inGone, "old");
    fs::remove_all(dir.Path / "gone");
    EXPECT_EQ(MessageOf([&] { WriteFileAtomic(inGone, "new", 3); }),
              "Cannot create file " + inGone + ": No such file or directory");

    // A fifo in the way is refused, not opened.
    const std::string fifo = dir.File("pipe.dsk");
    ASSERT_TRUE(fixtures::MakeFifo(fifo));
    EXPECT_EQ(MessageOf([&] { WriteFileAtomic(fifo, "new", 3); }),
              "Cannot create file " + fifo + ": it is a pipe, not a regular file");
    EXPECT_EQ(FolderEntries(dir.Path), (std::vector<std::string>{"pipe.dsk"}));
}

TEST(WriteFileAtomic, AFullDiscKeepsTheOldFileAndNamesTheCause) {
    fixtures::SmallDisk disk(64 * 1024);
    if (!disk.Mounted) GTEST_SKIP() << "cannot mount a tmpfs here (needs the right to mount)";
    const std::string name = disk.File("disc.dsk");
    const std::string old(40 * 1024, 'o');
    Spit(name, old);
    const std::string data(40 * 1024, 'n');
    EXPECT_EQ(MessageOf([&] { WriteFileAtomic(name, data.data(), data.size()); }),
              "Cannot create file " + name + ": No space left on device");
    EXPECT_EQ(Slurp(name), old);
    EXPECT_EQ(FolderEntries(disk.Path()), (std::vector<std::string>{"disc.dsk"}));
}

// Renaming over a file needs only the folder's permission: a user who may not
// write the file itself must not be able to replace it. Run as an unprivileged
// user, since root passes every permission check.
TEST(WriteFileAtomic, AFileTheUserMayNotWriteIsNeverReplaced) {
    fixtures::TempDir dir;
    fixtures::OpenToEveryone(dir.Path);
    const std::string name = dir.File("disc.dsk");
    Spit(name, "old");
    fs::permissions(name, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    std::string message;
    const int result = fixtures::RunUnprivileged([&] {
        const std::string m = MessageOf([&] { WriteFileAtomic(name, "new", 3); });
        return m == "Cannot create file " + name + ": Permission denied" ? 0 : 1;
    });
    if (result < 0) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Slurp(name), "old");
    EXPECT_EQ(FolderEntries(dir.Path), (std::vector<std::string>{"disc.dsk"}));
}

// A save cut short leaves its temporary file; the next save of the same file
// removes it, but never the file of a save still in progress (it holds a lock)
// nor anything that merely looks alike.
TEST(WriteFileAtomic, RemovesTheStaleTemporariesOfEarlierSaves) {
    fixtures::TempDir dir;
    const std::string name = dir.File("disc.dsk");
    Spit(name, "old");
    const std::string prefix = SaveTempPrefix(name);
    Spit(prefix + "abc123", "stale");
    Spit(prefix + "abc12", "not ours: too short");
    Spit(dir.File(".other.dsk.saving-abc123"), "another file's");
    Spit(prefix + "busy00", "in progress");
    const int busy = ::open((prefix + "busy00").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(busy, LOCK_EX), 0);

    WriteFileAtomic(name, "new", 3);
    ::close(busy);
    EXPECT_EQ(Slurp(name), "new");
    EXPECT_EQ(FolderEntries(dir.Path),
              (std::vector<std::string>{".disc.dsk.saving-abc12", ".disc.dsk.saving-busy00",
                                        ".other.dsk.saving-abc123", "disc.dsk"}));
}

TEST(WriteFileAtomic, ReturnsTheVersionOfWhatItWrote) {
    fixtures::TempDir dir;
    const std::string name = dir.File("disc.dsk");
    const TFileVersion version = WriteFileAtomic(name, "abc", 3);
    EXPECT_EQ(version.Stamp, StampOf(name));
    EXPECT_EQ(version.Hash, ContentHash("abc", 3));
}

TEST(RescueCopy, KeepsTheNameAddsTheTimeAndListsItOnceForTheNextStart) {
    fixtures::TempDir dir;
    ASSERT_EQ(::setenv("XDG_STATE_HOME", dir.Path.c_str(), 1), 0);
    const std::string first = RescueCopy("/home/user/discs/games.dsk", "abc", 3);
    const std::string second = RescueCopy("/elsewhere/games.dsk", "defg", 4);
    ::unsetenv("XDG_STATE_HOME");

    const fs::path folder = dir.Path / "qj47r" / "rescued";
    EXPECT_EQ(fs::path(first).parent_path(), folder);
    EXPECT_NE(first, second);
    for (const std::string& path : {first, second}) {
        const std::string name = fs::path(path).filename().string();
        EXPECT_EQ(name.rfind("games-", 0), 0u) << name;
        EXPECT_EQ(fs::path(path).extension(), ".dsk");
    }
    EXPECT_EQ(Slurp(first), "abc");
    EXPECT_EQ(Slurp(second), "defg");

    ASSERT_EQ(::setenv("XDG_STATE_HOME", dir.Path.c_str(), 1), 0);
    EXPECT_EQ(TakeUnreportedRescues(), (std::vector<std::string>{first, second}));
    EXPECT_TRUE(TakeUnreportedRescues().empty());
    ::unsetenv("XDG_STATE_HOME");
    EXPECT_TRUE(fs::exists(first)); // the copies stay
}
