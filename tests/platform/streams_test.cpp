#include "fixtures/file_contents.h"
#include "fixtures/temp_dir.h"
#include "platform/exceptions.h"
#include "platform/streams.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace platform;
namespace fs = std::filesystem;
using fixtures::MessageOf;
const auto& Slurp = fixtures::SlurpText;
const auto& Spit = fixtures::SpitText;

TEST(MemoryStream, WritesGrowReadsStopAtTheEnd) {
    TMemoryStream s;
    s.WriteBuffer("abcdef", 6);
    EXPECT_EQ(s.Size(), 6);
    EXPECT_EQ(s.Position(), 6);
    s.SetPosition(4);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 2u);
    EXPECT_EQ(std::string(buf, 2), "ef");
    EXPECT_EQ(s.Read(buf, 8), 0u);
    EXPECT_EQ(s.Seek(-3, TSeekOrigin::soEnd), 3);
    s.WriteBuffer("XY", 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(s.Memory()), 6), "abcXYf");
    // Seeking past the end and writing fills the gap with zeros.
    s.SetPosition(8);
    s.WriteBuffer("Z", 1);
    ASSERT_EQ(s.Size(), 9);
    EXPECT_EQ(s.Memory()[6], 0);
    EXPECT_EQ(s.Memory()[7], 0);
}

TEST(MemoryStream, ReadBufferPastTheEndRaisesStreamReadError) {
    TMemoryStream s;
    s.WriteBuffer("ab", 2);
    s.SetPosition(1);
    char buf[2];
    EXPECT_EQ(MessageOf([&] { s.ReadBuffer(buf, 2); }), "Stream read error");
}

TEST(MemoryStream, LoadAndSaveWholeFiles) {
    fixtures::TempDir dir;
    const std::string name = dir.File("disc.dsk");
    Spit(name, std::string("\x01\x02\x00\x03", 4));
    TMemoryStream s;
    s.LoadFromFile(name, 4);
    ASSERT_EQ(s.Size(), 4);
    EXPECT_EQ(s.Position(), 0);
    s.SetPosition(2);
    s.WriteBuffer("\xff", 1);
    s.SaveToFile(name);
    EXPECT_EQ(Slurp(name), std::string("\x01\x02\xff\x03", 4));
    // Only the target is left in the folder: no temporary file stays behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()), 1);
}

TEST(MemoryStream, LoadFailureRaisesAndKeepsTheContents) {
    fixtures::TempDir dir;
    TMemoryStream s;
    s.WriteBuffer("keep", 4);
    const std::string missing = dir.File("missing.dsk");
    EXPECT_EQ(MessageOf([&] { s.LoadFromFile(missing, 100); }),
              "Cannot open file " + missing + ": No such file or directory");
    EXPECT_EQ(MessageOf([&] { s.LoadFromFile(dir.Path.string(), 100); }),
              "Cannot open file " + dir.Path.string() + ": it is a folder");
    const std::string five = dir.File("five.dsk");
    Spit(five, "12345");
    EXPECT_EQ(MessageOf([&] { s.LoadFromFile(five, 4); }),
              "Cannot open file " + five + ": the file is larger than 4 bytes");
    EXPECT_EQ(s.Size(), 4);
}

TEST(MemoryStream, FailedSaveRaisesAndLeavesTheTargetAlone) {
    fixtures::TempDir dir;
    TMemoryStream s;
    s.WriteBuffer("new", 3);
    // No such folder: nothing can be created.
    const std::string nowhere = dir.File("nofolder/disc.dsk");
    EXPECT_EQ(MessageOf([&] { s.SaveToFile(nowhere); }),
              "Cannot create file " + nowhere + ": No such file or directory");
    // The target is a folder with contents: it is refused, the folder and its
    // file stay, and no temporary file is left.
    const std::string target = dir.File("busy");
    fs::create_directory(target);
    Spit(target + "/inside", "old");
    EXPECT_EQ(MessageOf([&] { s.SaveToFile(target); }), "Cannot create file " + target + ": it is a folder");
    EXPECT_EQ(Slurp(target + "/inside"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()), 1);
}

TEST(MemoryStream, SaveKeepsThePermissionsOfTheReplacedFile) {
    fixtures::TempDir dir;
    const std::string name = dir.File("disc.dsk");
    Spit(name, "old");
    fs::permissions(name, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    TMemoryStream s;
    s.WriteBuffer("new", 3);
    s.SaveToFile(name);
    EXPECT_EQ(fs::status(name).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Slurp(name), "new");
}

TEST(FileStream, CreateWriteReopenRead) {
    fixtures::TempDir dir;
    const std::string name = dir.File("tape.pcm");
    Spit(name, "previous contents");
    {
        TFileStream f(name, TFileMode::fmCreate); // empties an existing file
        EXPECT_EQ(f.Size(), 0);
        f.WriteBuffer("\xc8\x32", 2);
        EXPECT_EQ(f.Size(), 2);
    }
    TFileStream f(name, TFileMode::fmOpenRead);
    std::uint8_t b[2];
    f.ReadBuffer(b, 2);
    EXPECT_EQ(b[0], 0xc8);
    EXPECT_EQ(b[1], 0x32);
    EXPECT_EQ(MessageOf([&] { f.ReadBuffer(b, 1); }), "Stream read error");
    EXPECT_EQ(f.Seek(1, TSeekOrigin::soBeginning), 1);
    EXPECT_EQ(f.Read(b, 2), 1u);
}

TEST(FileStream, OpenAndCreateFailuresCarryTheFileName) {
    fixtures::TempDir dir;
    const std::string missing = dir.File("missing.qjf");
    EXPECT_EQ(MessageOf([&] { TFileStream f(missing, TFileMode::fmOpenRead); }),
              "Cannot open file " + missing + ": No such file or directory");
    const std::string nowhere = dir.File("roms/tape.pcm");
    EXPECT_EQ(MessageOf([&] { TFileStream f(nowhere, TFileMode::fmCreate); }),
              "Cannot create file " + nowhere + ": No such file or directory");
}

// A file reached through symbolic links (a chain, relative and absolute) is
// replaced beside its final target; the links stay links.
TEST(WriteFileAtomic, ThroughSymbolicLinksReplacesTheTargetAndKeepsTheLinks) {
    fixtures::TempDir dir;
    fs::create_directory(dir.Path / "store");
    const fs::path target = dir.Path / "store" / "disc.dsk";
    Spit(target.string(), "old");
    const fs::path hop = dir.Path / "hop.dsk", link = dir.Path / "link.dsk";
    fs::create_symlink(fs::path("store") / "disc.dsk", hop); // relative to the link's folder
    fs::create_symlink(hop, link);                           // absolute, to another link

    WriteFileAtomic(link.string(), "new data", 8);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_symlink(hop));
    EXPECT_EQ(Slurp(target.string()), "new data");
    EXPECT_EQ(Slurp(link.string()), "new data");
    // No temporary file is left beside the link or the target.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path / "store"), fs::directory_iterator()), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()), 3);
}

TEST(WriteFileAtomic, ALinkThatLeadsInACircleIsACreateError) {
    fixtures::TempDir dir;
    const fs::path a = dir.Path / "a.dsk", b = dir.Path / "b.dsk";
    fs::create_symlink(b, a);
    fs::create_symlink(a, b);
    EXPECT_EQ(MessageOf([&] { WriteFileAtomic(a.string(), "x", 1); }),
              "Cannot create file " + a.string() + ": its symbolic links lead nowhere");
    EXPECT_TRUE(fs::is_symlink(a));
    EXPECT_TRUE(fs::is_symlink(b));
}
