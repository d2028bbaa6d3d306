#include "fixtures/file_faults.h"
#include "fixtures/file_contents.h"
#include "fixtures/temp_dir.h"
#include "platform/exceptions.h"
#include "platform/file_io.h"
#include "platform/streams.h"
#include "platform/system_calls.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <thread>

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
// removes it, but never the file of a save still in progress (it holds a lock,
// or was made so lately that it may not hold it yet) nor anything that merely
// looks alike.
TEST(WriteFileAtomic, RemovesTheStaleTemporariesOfEarlierSaves) {
    fixtures::TempDir dir;
    const std::string name = dir.File("disc.dsk");
    Spit(name, "old");
    const std::string prefix = SaveTempPrefix(name);
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(2);
    for (const char* suffix : {"abc123", "abc12", "busy00"}) {
        Spit(prefix + suffix, "stale, too short or in progress");
        fs::last_write_time(prefix + suffix, old);
    }
    Spit(dir.File(".other.dsk.saving-abc123"), "another file's");
    fs::last_write_time(dir.File(".other.dsk.saving-abc123"), old);
    Spit(prefix + "new000", "made a moment ago");
    const int busy = ::open((prefix + "busy00").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(busy, LOCK_EX), 0);

    WriteFileAtomic(name, "new", 3);
    ::close(busy);
    EXPECT_EQ(Slurp(name), "new");
    EXPECT_EQ(FolderEntries(dir.Path),
              (std::vector<std::string>{".disc.dsk.saving-abc12", ".disc.dsk.saving-busy00",
                                        ".disc.dsk.saving-new000", ".other.dsk.saving-abc123", "disc.dsk"}));
}

// Two saves of one file at once: neither removes the other's temporary file
// as stale, so both succeed.
TEST(WriteFileAtomic, SavesOfOneFileAtOnceBothSucceed) {
    fixtures::TempDir dir;
    const std::string name = dir.File("disc.dsk");
    const std::string data(256 * 1024, 'd');
    std::atomic<int> failures = 0;
    std::vector<std::thread> savers;
    for (int t = 0; t < 4; ++t)
        savers.emplace_back([&] {
            for (int i = 0; i < 20; ++i)
                if (MessageOf([&] { WriteFileAtomic(name, data.data(), data.size()); }) != "(nothing raised)")
                    ++failures;
        });
    for (auto& s : savers)
        s.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(Slurp(name), data);
    EXPECT_EQ(FolderEntries(dir.Path), (std::vector<std::string>{"disc.dsk"}));
}

TEST(WriteFileAtomic, ReturnsTheVersionOfWhatItWrote) {
    fixtures::TempDir dir;
    const std::string name = dir.File("disc.dsk");
    const TFileVersion version = WriteFileAtomic(name, "abc", 3);
    EXPECT_EQ(version.Stamp, StampOf(name));
    EXPECT_EQ(version.Hash, ContentHash("abc", 3));
}

// ---- the system calls in their order, and faults between them ----

namespace {

std::vector<std::string>& Trace() {
    static std::vector<std::string> trace;
    return trace;
}

std::string PathOfDescriptor(int fd) {
    std::error_code ec;
    return fs::read_symlink("/proc/self/fd/" + std::to_string(fd), ec).string();
}

// Watches the flushes, renames and links of the file functions while alive.
class CallTrace {
  public:
    CallTrace() { Trace().clear(); }
    // The trace, with the random part of each temporary file's name as "*".
    std::vector<std::string> Calls(const std::string& tempPrefix) const {
        std::vector<std::string> calls;
        for (std::string c : Trace()) {
            for (std::size_t at; (at = c.find(tempPrefix)) != std::string::npos;)
                c.replace(at, tempPrefix.size() + 6, "TMP");
            calls.push_back(c);
        }
        return calls;
    }

  private:
    TScopedSystemCall<int (*)(int)> Fsync{&TSystemCalls::Fsync, [](int fd) {
                                              Trace().push_back("fsync " + PathOfDescriptor(fd));
                                              return ::fsync(fd);
                                          }};
    TScopedSystemCall<int (*)(const char*, const char*)> Rename{
        &TSystemCalls::Rename, [](const char* from, const char* to) {
            Trace().push_back(std::string("rename ") + from + " " + to);
            return std::rename(from, to);
        }};
    TScopedSystemCall<int (*)(const char*, const char*)> Link{
        &TSystemCalls::Link, [](const char* from, const char* to) {
            Trace().push_back(std::string("link ") + from + " " + to);
            return ::link(from, to);
        }};
};

} // namespace

// A save is on the disc only when the file was flushed before it took the
// name, and the folder after: in that order, for a replaced file and a new one.
TEST(SavesReachTheDisc, TheFileIsFlushedThenNamedThenTheFolderFlushed) {
    fixtures::TempDir tmp;
    const fs::path dir = fs::canonical(tmp.Path);
    const std::string name = (dir / "disc.dsk").string();
    Spit(name, "old");
    {
        CallTrace trace;
        WriteFileAtomic(name, "new", 3);
        EXPECT_EQ(trace.Calls(SaveTempPrefix(name)),
                  (std::vector<std::string>{"fsync TMP", "rename TMP " + name, "fsync " + dir.string()}));
    }
    {
        CallTrace trace;
        const std::string made = WriteNewFile(
            dir.string(), [](int) { return std::string("copy.dsk"); }, 1, "abc", 3);
        EXPECT_EQ(made, (dir / "copy.dsk").string());
        EXPECT_EQ(trace.Calls(SaveTempPrefix((dir / ".new-file").string())),
                  (std::vector<std::string>{"fsync TMP", "link TMP " + made, "fsync " + dir.string()}));
    }
    EXPECT_EQ(FolderEntries(dir), (std::vector<std::string>{"copy.dsk", "disc.dsk"}));
}

// A writer blocked on a FIFO's other end waits for a reader: a reader that so
// much as opened the FIFO would let it go on.
TEST(ReadWholeFile, NeverOpensAFifo) {
    fixtures::TempDir dir;
    const std::string fifo = dir.File("pipe.dsk");
    ASSERT_TRUE(fixtures::MakeFifo(fifo));
    std::atomic<bool> writerOpened = false;
    std::thread writer([&] {
        const int fd = ::open(fifo.c_str(), O_WRONLY);
        writerOpened = true;
        ::close(fd);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // the writer waits in its open
    EXPECT_EQ(MessageOf([&] { ReadWholeFile(fifo, 1000); }),
              "Cannot open file " + fifo + ": it is a pipe, not a regular file");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(writerOpened);
    const int release = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    writer.join();
    ::close(release);
}

namespace {
std::string SwappedPath;
// A stat that finds a regular file, which is then put aside for a FIFO.
int StatThenSwapForFifo(const char* path, struct stat* st) {
    const int result = ::stat(path, st);
    if (result == 0 && S_ISREG(st->st_mode) && path == SwappedPath) {
        ::unlink(path);
        ::mkfifo(path, 0600);
    }
    return result;
}
} // namespace

// The file checked is not always the file opened: a path that becomes a FIFO
// between the two is still refused, at once.
TEST(ReadWholeFile, APathThatBecomesAFifoAfterTheCheckIsRefusedAtOnce) {
    fixtures::TempDir dir;
    SwappedPath = dir.File("disc.dsk");
    Spit(SwappedPath, "a regular file");
    TScopedSystemCall swap(&TSystemCalls::Stat, &StatThenSwapForFifo);
    std::string message;
    const bool ended =
        EndsSoon([&message, path = SwappedPath] { message = MessageOf([&] { ReadWholeFile(path, 1000); }); });
    if (!ended) { // blocked in the open: a writer lets it go
        const int writer = ::open(SwappedPath.c_str(), O_WRONLY | O_NONBLOCK);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ::close(writer);
    }
    EXPECT_TRUE(ended) << "the reader waited on the FIFO";
    EXPECT_EQ(message, "Cannot open file " + SwappedPath + ": it is a pipe, not a regular file");
}

namespace {
// A write that takes at most 1000 bytes at a time, as a write interrupted by a signal may.
ssize_t ShortWrite(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, std::min<std::size_t>(size, 1000));
}
} // namespace

// Short writes are written on; a file size limit cuts a write short and then
// fails it as a full disc does: the old file stays and nothing is left behind.
TEST(WriteFileAtomic, ShortWritesGoOnAndAFullDiscKeepsTheOldFile) {
    fixtures::TempDir dir;
    const std::string name = dir.File("disc.dsk");
    const std::string data(40 * 1024, 'n'), old(4 * 1024, 'o');
    {
        TScopedSystemCall shortWrites(&TSystemCalls::Write, &ShortWrite);
        WriteFileAtomic(name, data.data(), data.size());
    }
    EXPECT_EQ(Slurp(name), data);

    Spit(name, old);
    const int result = fixtures::RunWithFileSizeLimit(16 * 1024, [&] {
        const std::string m = MessageOf([&] { WriteFileAtomic(name, data.data(), data.size()); });
        return m == "Cannot create file " + name + ": File too large" ? 0 : 1;
    });
    ASSERT_GE(result, 0) << "cannot limit the file size here";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Slurp(name), old);
    EXPECT_EQ(FolderEntries(dir.Path), (std::vector<std::string>{"disc.dsk"}));
}

namespace {
// Another process takes the name just before the link.
int LinkAfterAnotherTookTheName(const char* from, const char* to) {
    if (std::string(to).ends_with("copy.dsk")) Spit(to, "another's");
    return ::link(from, to);
}
// A file system without hard links.
int NoHardLinks(const char*, const char*) {
    errno = EPERM;
    return -1;
}
} // namespace

// A new file never replaces one that appeared meanwhile: the next name is
// taken, with hard links or without.
TEST(WriteNewFile, TakesTheNextNameWhenOneIsTakenMeanwhile) {
    const auto nameFor = [](int n) {
        return n == 1 ? std::string("copy.dsk") : "copy-" + std::to_string(n) + ".dsk";
    };
    const struct {
        const char* Case;
        int (*Link)(const char*, const char*);
        const char* Expected;
    } cases[] = {
        {"taken before the link", LinkAfterAnotherTookTheName, "copy-2.dsk"},
        {"no hard links, name free", NoHardLinks, "copy.dsk"},
    };
    for (const auto& c : cases) {
        fixtures::TempDir dir;
        TScopedSystemCall link(&TSystemCalls::Link, c.Link);
        EXPECT_EQ(WriteNewFile(dir.Path.string(), nameFor, 3, "mine", 4), dir.File(c.Expected)) << c.Case;
        EXPECT_EQ(Slurp(dir.File(c.Expected)), "mine") << c.Case;
    }
    // Without hard links, a name already there is skipped too.
    fixtures::TempDir dir;
    Spit(dir.File("copy.dsk"), "another's");
    TScopedSystemCall link(&TSystemCalls::Link, &NoHardLinks);
    EXPECT_EQ(WriteNewFile(dir.Path.string(), nameFor, 3, "mine", 4), dir.File("copy-2.dsk"));
    EXPECT_EQ(Slurp(dir.File("copy.dsk")), "another's");
    Spit(dir.File("copy-3.dsk"), "third");
    EXPECT_EQ(MessageOf([&] { WriteNewFile(dir.Path.string(), nameFor, 3, "more", 4); }),
              "Cannot create file " + dir.File("copy.dsk") + ": the name and the next 2 are taken");
    EXPECT_EQ(FolderEntries(dir.Path), (std::vector<std::string>{"copy-2.dsk", "copy-3.dsk", "copy.dsk"}));
}
