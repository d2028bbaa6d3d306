// Reading program images: the kind by the file name, the addresses and body
// of each kind, the refused files with their messages (too large for their
// kind, no regular file, a read error), and the copy into RAM that stops at
// 0xFFFF.
#include "loader_test_support.h"

#include "fixtures/failing_stream.h"
#include "fixtures/file_contents.h"
#include "fixtures/file_faults.h"
#include "fixtures/temp_dir.h"
#include "platform/exceptions.h"
#include "ui/loader/program_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

using namespace loader_test;

TEST(ProgramImageName, BinInAnyLetterCaseIsRawEverythingElseQjf) {
    struct Case {
        const char* name;
        bool raw;
    };
    const Case cases[] = {
        {"prog.bin", true},       {"PROG.BIN", true},
        {"prog.Bin", true},       {"/a/b.c/prog.bIN", true},
        {"prog.qjf.bin", true},   {"/tmp/.bin", true},
        {"prog.qjf", false},      {"prog", false},
        {"/a/b.bin/prog", false}, {"prog.bin.qjf", false},
        {"prog.binx", false},     {"prog.", false},
        {"prog.b", false},        {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsRawImageName(c.name), c.raw) << c.name;
}

class ProgramImageFile : public ::testing::Test {
  protected:
    std::string Write(const std::string& name, const Bytes& bytes) {
        const std::string path = Dir.File(name);
        WriteFile(path, bytes);
        return path;
    }
    // The message of the exception reading `path` raises.
    std::string Refusal(const std::string& path) {
        try {
            ReadProgramImage(path);
        } catch (const platform::Exception& e) {
            return e.what();
        }
        return "(read without error)";
    }
    fixtures::TempDir Dir;
};

TEST_F(ProgramImageFile, RawImageIsTheWholeFileAtAddressZero) {
    const Bytes file = Counting(300);
    const TProgramImage image = ReadProgramImage(Write("game.BIN", file));
    EXPECT_TRUE(image.Raw);
    EXPECT_EQ(image.LoadAddress, 0);
    EXPECT_EQ(image.ExecAddress, 0);
    EXPECT_EQ(image.Body, file);
}

TEST_F(ProgramImageFile, QjfImageGivesItsAddressesAndTheBodyAfterTheHeader) {
    const Bytes body = Counting(1000);
    for (const char* name : {"game.qjf", "game", "game.dat"}) {
        const TProgramImage image = ReadProgramImage(Write(name, Qjf(0x1200, 0x1234, body)));
        EXPECT_FALSE(image.Raw) << name;
        EXPECT_EQ(image.LoadAddress, 0x1200) << name;
        EXPECT_EQ(image.ExecAddress, 0x1234) << name;
        EXPECT_EQ(image.Body, body) << name;
    }
}

TEST_F(ProgramImageFile, QjfImageHoldingOnlyItsAddressesHasAnEmptyBody) {
    for (std::size_t size : {24, 100, 128}) {
        Bytes file = Qjf(0x4000, 0x4321, {});
        file.resize(size);
        const TProgramImage image = ReadProgramImage(Write("short.qjf", file));
        EXPECT_EQ(image.LoadAddress, 0x4000) << size;
        EXPECT_EQ(image.ExecAddress, 0x4321) << size;
        EXPECT_TRUE(image.Body.empty()) << size;
    }
}

TEST_F(ProgramImageFile, LargestFilesAreAFullRamAndAHeaderWithAFullRam) {
    const std::string qjf = Write("full.qjf", Qjf(0, 0, Counting(0x10000)));
    EXPECT_EQ(ReadProgramImage(qjf).Body.size(), 0x10000u);
    const std::string bin = Write("full.bin", Counting(0x10000));
    EXPECT_EQ(ReadProgramImage(bin).Body, Counting(0x10000));
    EXPECT_EQ(MaxProgramFileSize("full.BIN"), 65536u);
    EXPECT_EQ(MaxProgramFileSize("full.qjf"), 65664u);
    EXPECT_EQ(MaxProgramFileSize("full"), 65664u);
}

TEST_F(ProgramImageFile, DamagedFilesAreRefusedWithTheirMessage) {
    const std::string missing = Dir.File("missing.qjf");
    EXPECT_EQ(Refusal(missing), "Cannot open file " + missing + ": No such file or directory");

    for (const char* name : {"empty.qjf", "empty.bin", "empty"}) {
        const std::string path = Write(name, {});
        EXPECT_EQ(Refusal(path), "Cannot load " + path + ": the file is empty");
    }

    for (std::size_t size : {1, 21, 23}) {
        const std::string path = Write("short.qjf", Bytes(size, 0x55));
        EXPECT_EQ(Refusal(path), "Cannot load " + path +
                                     ": a QJF image needs at least 24 bytes, the file has " +
                                     std::to_string(size));
    }

    // Each kind by its own limit: a .bin image is never cut at FFFF.
    const struct {
        const char* name;
        std::size_t size;
        const char* limit;
    } tooLarge[] = {
        {"huge.bin", 65537, "a .bin image holds at most 65536 bytes"},
        {"huge.BIN", 65600, "a .bin image holds at most 65536 bytes"},
        {"huge.bin", 70000, "a .bin image holds at most 65536 bytes"},
        {"huge.bin", 1 << 20, "a .bin image holds at most 65536 bytes"},
        {"huge.qjf", 65665, "a QJF image holds at most 65664 bytes (a 128-byte header and 64 KB)"},
        {"huge", 70000, "a QJF image holds at most 65664 bytes (a 128-byte header and 64 KB)"},
        {"huge.qjf", 1 << 20, "a QJF image holds at most 65664 bytes (a 128-byte header and 64 KB)"},
    };
    for (const auto& c : tooLarge) {
        const std::string path = Write(c.name, Bytes(c.size, 0x76));
        EXPECT_EQ(Refusal(path),
                  "Cannot load " + path + ": " + c.limit + ", the file has " + std::to_string(c.size));
        std::filesystem::remove(path);
    }
}

// Opened only when regular, and read to the end or not at all: a FIFO gives its
// error at once, and a read error is never taken for the end of the image.
TEST_F(ProgramImageFile, FilesThatAreNoRegularFilesOrFailToReadAreRefused) {
    for (const fixtures::FileFault& fault : fixtures::FileFaults) {
        for (const char* name : {"bad.qjf", "bad.bin"}) {
            SCOPED_TRACE(std::string(fault.Kind) + ", " + name);
            const std::string path = Dir.File(std::string(fault.Kind) + "-" + name);
            fault.Make(path);
            auto message = std::make_shared<std::string>();
            ASSERT_TRUE(fixtures::EndsSoon(
                [message, path] { *message = fixtures::MessageOf([&] { ReadProgramImage(path); }); }));
            EXPECT_EQ(*message, fault.Message(path));
        }
    }
}

TEST_F(ProgramImageFile, FolderIsRefused) {
    EXPECT_EQ(Refusal(Dir.Path.string()), "Cannot open file " + Dir.Path.string() + ": it is a folder");
}

// A stream that hands out its bytes a few at a time and counts what it gave.
class TrickleStream : public platform::TMemoryStream {
  public:
    std::size_t Read(void* buffer, std::size_t count) override {
        const std::size_t n = TMemoryStream::Read(buffer, std::min<std::size_t>(count, 1000));
        Given += n;
        return n;
    }
    std::size_t Given = 0;
};

TEST(ProgramImageStream, ShortReadsAddUpAndALargeStreamIsNotReadWhole) {
    const Bytes body = Counting(5000);
    const Bytes file = Qjf(0x8000, 0x8000, body);
    TrickleStream stream;
    stream.WriteBuffer(file.data(), file.size());
    stream.SetPosition(0);
    EXPECT_EQ(ReadProgramImage(stream, "trickle.qjf").Body, body);

    for (const char* name : {"large.bin", "large.qjf"}) {
        TrickleStream large;
        large.SetSize(std::int64_t(1) << 20);
        EXPECT_THROW(ReadProgramImage(large, name), EProgramImageError);
        EXPECT_EQ(large.Given, MaxProgramFileSize(name) + 1) << name;
    }
}

TEST(ProgramImageStream, AReadErrorHalfWayIsTheErrorNotATruncatedImage) {
    for (const char* name : {"prog.qjf", "prog.bin"}) {
        fixtures::FailingStream stream(name, Qjf(0x8000, 0x8000, Counting(5000)), 2000);
        EXPECT_EQ(fixtures::MessageOf([&] { ReadProgramImage(stream, name); }),
                  std::string("Cannot read file ") + name + ": Input/output error");
    }
}

TEST(ProgramImageCopy, BodyGoesToItsLoadAddressAndStopsAtFFFF) {
    struct Case {
        std::uint16_t load;
        std::size_t size;
        std::size_t copied;
    };
    const Case cases[] = {
        {0x0000, 300, 300}, {0x1200, 1000, 1000},       {0xFF00, 0x100, 0x100},     {0xFF00, 0x300, 0x100},
        {0xFFFF, 2, 1},     {0x0000, 0x10000, 0x10000}, {0x0000, 0x10080, 0x10000}, {0x8000, 0, 0},
    };
    // The RAM with guard bytes behind it, all 0xAA to begin with.
    struct GuardedRam {
        std::uint8_t Ram[TProgramImage::RamSize];
        std::uint8_t Guard[16];
    };
    const auto untouched = [](const std::uint8_t* from, const std::uint8_t* to) {
        return std::all_of(from, to, [](std::uint8_t b) { return b == 0xAA; });
    };
    for (const Case& c : cases) {
        auto memory = std::make_unique<GuardedRam>();
        std::memset(memory.get(), 0xAA, sizeof *memory);
        std::uint8_t* const ram = memory->Ram;
        TProgramImage image;
        image.LoadAddress = c.load;
        image.Body = Counting(c.size);
        const TRamCopy copy = CopyToRam(image, memory->Ram);
        EXPECT_EQ(copy.Copied, c.copied) << c.load << " " << c.size;
        EXPECT_EQ(copy.Dropped, c.size - c.copied) << c.load << " " << c.size;
        EXPECT_TRUE(
            std::equal(image.Body.begin(), image.Body.begin() + std::ptrdiff_t(c.copied), ram + c.load));
        EXPECT_TRUE(untouched(ram, ram + c.load)) << "wrapped round to address 0";
        EXPECT_TRUE(untouched(ram + c.load + c.copied, ram + TProgramImage::RamSize));
        EXPECT_TRUE(untouched(memory->Guard, memory->Guard + sizeof memory->Guard)) << "written past the RAM";
    }
}

} // namespace
