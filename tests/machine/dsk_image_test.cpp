#include "fixtures/dsk_builder.h"
#include "fixtures/temp_dir.h"
#include "machine/disc/dsk_damage.h"
#include "machine/disc/virtual_dsk.h"
#include "platform/exceptions.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

using fixtures::DskBuilder;
using fixtures::DskRecord;
using fixtures::PatternByte;
using fixtures::Sector;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Slurp(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> ReadSector(TVirtualDsk& d, int length) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < length; ++i) {
        std::uint8_t b = 0;
        d.ReadByte(b);
        out.push_back(std::uint8_t(~b));
    }
    return out;
}

class DiscImage : public ::testing::Test {
  protected:
    fixtures::TempDir Dir;
    std::string Save(const DskBuilder& b, const std::string& name = "disc.dsk") {
        const std::string path = Dir.File(name);
        b.Save(path);
        return path;
    }
    std::string SaveBytes(const std::vector<std::uint8_t>& bytes, const std::string& name = "disc.dsk") {
        const std::string path = Dir.File(name);
        DskBuilder::Write(path, bytes);
        return path;
    }
};

} // namespace

TEST_F(DiscImage, FindsEveryTrackAndReadsComplementedSectors) {
    TVirtualDsk d;
    ASSERT_EQ(d.LoadImage(Save(DskBuilder().Creator("TESTER").Uniform(40, 1, 16, 1)), 7), 0);
    EXPECT_TRUE(d.IsMounted());
    EXPECT_EQ(d.LoadFlag, 7);
    EXPECT_EQ(d.CreatorName(), "TESTER");
    EXPECT_EQ(d.RecordCount(), 40);

    ASSERT_EQ(d.SeekTrack(0, 39), 0);
    EXPECT_EQ(d.SectorsPerTrack(0, 39), 16);
    for (int r = 1; r <= 16; ++r) {
        ASSERT_EQ(d.SeekSector(std::uint8_t(r)), 256) << r;
        EXPECT_EQ(d.CursorSector, r);
        const auto data = ReadSector(d, 256);
        for (int i = 0; i < 256; i += 51)
            ASSERT_EQ(data[i], PatternByte(39, 0, r, i));
    }
    EXPECT_EQ(d.SeekSector(17), -3);
    EXPECT_EQ(d.SeekTrack(1, 39), -2);
    EXPECT_EQ(d.SeekTrack(0, 40), -2);
}

TEST_F(DiscImage, SectorTwoStartsOneDataLengthAfterTheFirst) {
    DskBuilder b;
    b.Uniform(2, 1, 16, 1);
    TVirtualDsk d;
    d.LoadImage(Save(b), 0);
    d.SeekTrack(0, 1);
    ASSERT_EQ(d.SeekSector(2), 256);
    EXPECT_EQ(std::size_t(d.ImageStream->Position()), b.DataOffset(2, 1));
    EXPECT_EQ(d.TrackDataOffset[2], b.BlockOffset(2) + 256);
}

TEST_F(DiscImage, DoubleSidedImagesKeepTheSidesApart) {
    TVirtualDsk d;
    d.LoadImage(Save(DskBuilder().Uniform(3, 2, 9, 2)), 0);
    ASSERT_EQ(d.SeekTrack(1, 2), 0);
    ASSERT_EQ(d.SeekSector(9), 512);
    EXPECT_EQ(ReadSector(d, 3), (std::vector<std::uint8_t>{PatternByte(2, 1, 9, 0), PatternByte(2, 1, 9, 1),
                                                           PatternByte(2, 1, 9, 2)}));
    EXPECT_EQ(d.SectorsPerTrack(1, 2), 9);
    EXPECT_EQ(d.SectorsPerTrack(0, 3), 0);
}

TEST_F(DiscImage, AbsentRecordIsFoundButHoldsNoSectors) {
    DskBuilder b;
    b.Geometry(3, 1);
    b.Record(DskRecord{0, 0, true, {Sector(1, 1)}});
    b.Absent(1, 0);
    b.Record(DskRecord{2, 0, true, {Sector(1, 1)}});
    TVirtualDsk d;
    d.LoadImage(Save(b), 0);
    EXPECT_EQ(d.SeekTrack(0, 1), -4);
    EXPECT_EQ(d.SectorsPerTrack(0, 1), 0);
    EXPECT_EQ(d.SeekSector(1), -3);
    EXPECT_FALSE(d.RecordPresent(2));
    for (std::uint8_t byte : d.TrackInfo[2])
        ASSERT_EQ(byte, 0);
    // The record after the absent one is where the file has it.
    ASSERT_EQ(d.SeekTrack(0, 2), 0);
    ASSERT_EQ(d.SeekSector(1), 256);
    EXPECT_EQ(ReadSector(d, 1)[0], PatternByte(2, 0, 1, 0));
}

TEST_F(DiscImage, AnEmptyObjectFindsNothing) {
    TVirtualDsk d;
    EXPECT_FALSE(d.IsMounted());
    EXPECT_EQ(d.SeekTrack(0, 0), -2);
    EXPECT_EQ(d.SeekSector(1), -3);
    EXPECT_EQ(d.SectorsPerTrack(0, 0), 0);
    std::uint8_t b = 0x5A;
    d.ReadByte(b);
    EXPECT_EQ(b, 0x5A);
    d.WriteByte(1);
    EXPECT_FALSE(d.Modified);
}

TEST_F(DiscImage, WriteUnloadReloadRoundTrip) {
    const std::string path = Save(DskBuilder().Uniform(2, 1, 4, 1));
    const auto before = Slurp(path);
    {
        TVirtualDsk d;
        d.LoadImage(path, 0);
        d.SeekTrack(0, 1);
        ASSERT_EQ(d.SeekSector(3), 256);
        for (int i = 0; i < 256; ++i)
            d.WriteByte(std::uint8_t(~i));
        EXPECT_TRUE(d.Modified);
        d.UnloadImage(0);
        EXPECT_FALSE(d.IsMounted());
        EXPECT_FALSE(d.Modified);
    }
    const auto after = Slurp(path);
    ASSERT_EQ(after.size(), before.size());
    TVirtualDsk d;
    d.LoadImage(path, 0);
    EXPECT_FALSE(d.Modified);
    d.SeekTrack(0, 1);
    ASSERT_EQ(d.SeekSector(3), 256);
    const auto data = ReadSector(d, 256);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(data[i], i);
    // Only that sector changed.
    ASSERT_EQ(d.SeekSector(4), 256);
    EXPECT_EQ(ReadSector(d, 1)[0], PatternByte(1, 0, 4, 0));
}

TEST_F(DiscImage, AnImageMountedThroughASymbolicLinkIsSavedIntoItsTarget) {
    const std::string target = Save(DskBuilder().Uniform(2, 1, 4, 1), "target.dsk");
    const fs::path link = Dir.Path / "link.dsk";
    fs::create_symlink(target, link);
    {
        TVirtualDsk d;
        ASSERT_EQ(d.LoadImage(link.string(), 0), 0);
        d.SeekTrack(0, 1);
        ASSERT_EQ(d.SeekSector(3), 256);
        d.WriteByte(0x12);
        d.UnloadImage(0);
    }
    EXPECT_TRUE(fs::is_symlink(link));
    TVirtualDsk d;
    ASSERT_EQ(d.LoadImage(target, 0), 0);
    d.SeekTrack(0, 1);
    ASSERT_EQ(d.SeekSector(3), 256);
    EXPECT_EQ(ReadSector(d, 1)[0], std::uint8_t(~0x12));
}

TEST_F(DiscImage, DiscardingOrUnchangedImagesAreNotWritten) {
    const std::string first = Save(DskBuilder().Uniform(1, 1, 1, 1), "first.dsk");
    const std::string second = Save(DskBuilder().Uniform(1, 1, 1, 1), "second.dsk");
    TVirtualDsk d;
    d.LoadImage(first, 0);
    d.SeekTrack(0, 0);
    d.SeekSector(1);
    d.WriteByte(0x00);
    // Loading another image saves the written one first ...
    d.LoadImage(second, 0);
    EXPECT_EQ(Slurp(first)[DskBuilder().Uniform(1, 1, 1, 1).DataOffset(1, 0)], 0x00);
    // ... and the second, never written, is not saved over: replace it on disc
    // meanwhile and check it survives the unload.
    DskBuilder::Write(second, {1, 2, 3});
    d.UnloadImage(0);
    EXPECT_EQ(Slurp(second), (std::vector<std::uint8_t>{1, 2, 3}));

    d.LoadImage(first, 0);
    d.SeekTrack(0, 0);
    d.SeekSector(1);
    d.WriteByte(0x11);
    const auto onDisc = Slurp(first);
    d.UnloadImage(1);
    EXPECT_EQ(Slurp(first), onDisc);
}

TEST_F(DiscImage, ReloadingTheSameFileKeepsWhatWasWritten) {
    const std::string path = Save(DskBuilder().Uniform(1, 1, 1, 1));
    TVirtualDsk d;
    d.LoadImage(path, 0);
    d.SeekTrack(0, 0);
    d.SeekSector(1);
    d.WriteByte(0x42);
    d.LoadImage(path, 0);
    d.SeekTrack(0, 0);
    d.SeekSector(1);
    std::uint8_t b = 0;
    d.ReadByte(b);
    EXPECT_EQ(b, 0x42);
}

TEST_F(DiscImage, FailedLoadKeepsTheMountedImage) {
    const std::string path = Save(DskBuilder().Uniform(1, 1, 1, 1));
    TVirtualDsk d;
    d.LoadImage(path, 0);
    d.SeekTrack(0, 0);
    d.SeekSector(1);
    const std::string missing = Dir.File("missing.dsk");
    try {
        d.LoadImage(missing, 0);
        FAIL() << "no error";
    } catch (const platform::Exception& e) {
        EXPECT_EQ(e.Message(), "Cannot open file " + missing + ": No such file or directory");
    }
    EXPECT_TRUE(d.IsMounted());
    EXPECT_EQ(d.FileName, path);
    ASSERT_EQ(d.SeekSector(1), 256);
    d.WriteByte(0x33);
    d.UnloadImage(0);
    EXPECT_EQ(Slurp(path)[DskBuilder().Uniform(1, 1, 1, 1).DataOffset(1, 0)], 0x33);
}

TEST_F(DiscImage, SaveFailingInTheDestructorDoesNotThrow) {
    const std::string path = Save(DskBuilder().Uniform(1, 1, 1, 1));
    auto d = std::make_unique<TVirtualDsk>();
    d->LoadImage(path, 0);
    d->SeekTrack(0, 0);
    d->SeekSector(1);
    d->WriteByte(0x44);
    fs::remove(path);
    fs::create_directory(path);
    DskBuilder::Write(path + "/keep", {9});
    EXPECT_NO_THROW(d.reset());
}

// ---- damaged images ----

namespace {

// Image with one track whose first sector's data begins with bytes that would
// read as a thirtieth sector entry (id 0x77) if entries ran past the block.
std::vector<std::uint8_t> CountByteTooLarge(DskBuilder& b) {
    b.Complemented(false); // the entry's bytes as stored
    b.Record(DskRecord{0, 0, true, {Sector(1, 1, -1, {0, 0, 0x77, 1, 0, 0, 0, 1})}});
    auto img = b.Build();
    img[b.BlockOffset(1) + 0x15] = 255;
    return img;
}

} // namespace

TEST_F(DiscImage, DamagedImagesLoadWithoutHarm) {
    struct Case {
        const char* Name;
        std::function<std::vector<std::uint8_t>()> Make;
        std::function<void(TVirtualDsk&)> Check;
    };
    const std::vector<Case> cases = {
        {"empty file", [] { return std::vector<std::uint8_t>{}; },
         [](TVirtualDsk& d) {
             EXPECT_EQ(d.RecordCount(), 0);
             EXPECT_EQ(d.SeekTrack(0, 0), -2);
             EXPECT_EQ(d.SeekSector(1), -3);
         }},
        {"header with 0 tracks", [] { return DskBuilder().Geometry(0, 1).Build(); },
         [](TVirtualDsk& d) {
             EXPECT_EQ(d.RecordCount(), 0);
             EXPECT_EQ(d.SeekTrack(0, 0), -2);
         }},
        {"255 tracks x 255 sides in a header-only file",
         [] {
             auto img = DskBuilder().Geometry(255, 255).Build();
             std::fill(img.begin() + 0x34, img.end(), 1);
             return img;
         },
         [](TVirtualDsk& d) {
             EXPECT_EQ(d.RecordCount(), 203);
             EXPECT_EQ(d.SeekTrack(0, 0), -2);
             EXPECT_EQ(d.SectorsPerTrack(0, 0), 0);
         }},
        {"more records than slots", [] { return DskBuilder().Uniform(210, 1, 1, 0).Build(); },
         [](TVirtualDsk& d) {
             EXPECT_EQ(d.RecordCount(), 203);
             EXPECT_EQ(d.SeekTrack(0, 202), 0);
             EXPECT_EQ(d.SeekTrack(0, 203), -2);
         }},
        {"sector count 255",
         [] {
             DskBuilder b;
             return CountByteTooLarge(b);
         },
         [](TVirtualDsk& d) {
             EXPECT_EQ(d.SectorsPerTrack(0, 0), 29);
             d.SeekTrack(0, 0);
             EXPECT_EQ(d.SeekSector(0x77), -3);
             EXPECT_EQ(d.SeekSector(1), 256);
         }},
        {"size code 255 pushes the next record past the end",
         [] {
             DskBuilder b;
             b.Geometry(2, 1).Uniform(2, 1, 1, 1);
             auto img = b.Build();
             img[b.BlockOffset(1) + 0x18 + 3] = 255;
             return img;
         },
         [](TVirtualDsk& d) {
             d.SeekTrack(0, 0);
             EXPECT_EQ(d.SeekSector(1), 256); // its data is still inside the image
             EXPECT_EQ(d.SeekTrack(0, 1), -2);
         }},
        {"data length past the end of the image",
         [] {
             DskBuilder b;
             b.Record(DskRecord{0, 0, true, {Sector(1, 1), Sector(2, 1, 0xFFFF)}});
             auto img = b.Build();
             img.resize(b.DataOffset(1, 1) + 300);
             return img;
         },
         [](TVirtualDsk& d) {
             d.SeekTrack(0, 0);
             EXPECT_EQ(d.SeekSector(1), 256);
             EXPECT_EQ(d.SeekSector(2), -3);
         }},
        {"data length past the end of its record",
         [] {
             DskBuilder b;
             b.Geometry(2, 1);
             b.Record(DskRecord{0, 0, true, {Sector(1, 0, 256)}}); // 256 bytes in a 128-byte slot
             b.Record(DskRecord{1, 0, true, {Sector(1, 1)}});
             return b.Build();
         },
         [](TVirtualDsk& d) {
             d.SeekTrack(0, 0);
             EXPECT_EQ(d.SeekSector(1), -3);
         }},
        {"file cut inside the second track block",
         [] {
             DskBuilder b;
             b.Uniform(2, 1, 1, 1);
             auto img = b.Build();
             img.resize(b.BlockOffset(2) + 100);
             return img;
         },
         [](TVirtualDsk& d) {
             EXPECT_EQ(d.SeekTrack(0, 0), 0);
             EXPECT_EQ(d.SeekTrack(0, 1), -2);
             EXPECT_EQ(d.SectorsPerTrack(0, 1), 0);
             for (std::uint8_t byte : d.TrackInfo[2])
                 ASSERT_EQ(byte, 0);
         }},
        // The reader takes the extended layout's table of sizes per track, which
        // the standard layout leaves empty: every record is absent.
        {"the standard layout", [] { return DskBuilder().Standard().Uniform(2, 1, 9, 2).Build(); },
         [](TVirtualDsk& d) {
             EXPECT_EQ(d.RecordCount(), 2);
             for (std::uint8_t track : {0, 1}) {
                 EXPECT_EQ(d.SeekTrack(0, track), -4);
                 EXPECT_EQ(d.SeekSector(1), -3);
                 EXPECT_EQ(d.SectorsPerTrack(0, track), 0);
             }
             EXPECT_EQ(d.SeekTrack(0, 2), -2);
         }},
        {"file cut inside the disc header",
         [] {
             auto img = DskBuilder().Uniform(2, 1, 1, 1).Build();
             img.resize(0x35);
             return img;
         },
         [](TVirtualDsk& d) {
             EXPECT_EQ(d.DiskInfo[0x35], 0); // nothing of the previous image
             EXPECT_EQ(d.RecordCount(), 2);
             EXPECT_EQ(d.SeekTrack(0, 0), -2);
             EXPECT_EQ(d.SeekTrack(0, 1), -4);
         }},
    };
    const std::string previous = Save(DskBuilder().Creator("PREVIOUS").Uniform(5, 2, 9, 2), "previous.dsk");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TVirtualDsk d;
        d.LoadImage(previous, 0); // a fuller image first: nothing of it may remain
        const std::string path = SaveBytes(c.Make());
        const auto bytes = Slurp(path);
        ASSERT_EQ(d.LoadImage(path, 0), 0);
        EXPECT_TRUE(d.IsMounted());
        EXPECT_NE(d.CreatorName(), "PREVIOUS");
        c.Check(d);
        d.UnloadImage(0);
        EXPECT_EQ(Slurp(path), bytes);
    }
}

TEST_F(DiscImage, WritesNeverGrowTheImage) {
    DskBuilder b;
    b.Record(DskRecord{0, 0, true, {Sector(1, 1, 4)}}); // 4 bytes of data ...
    auto img = b.Build();
    img.resize(b.DataOffset(1, 0) + 4); // ... at the very end of the file
    const std::string path = SaveBytes(img);
    TVirtualDsk d;
    d.LoadImage(path, 0);
    d.SeekTrack(0, 0);
    ASSERT_EQ(d.SeekSector(1), 4);
    for (int i = 0; i < 10; ++i)
        d.WriteByte(0xAA);
    std::uint8_t b0 = 0x5A;
    d.ReadByte(b0);
    EXPECT_EQ(b0, 0x5A);
    EXPECT_EQ(d.ImageStream->Size(), std::int64_t(img.size()));
    d.UnloadImage(0);
    EXPECT_EQ(Slurp(path).size(), img.size());
}

// What in a file is not as a well-formed image has it: the findings both
// programs tell the user, here as the machine reads the image; a well-formed
// image has none.
TEST_F(DiscImage, TheDamageReportNamesWhatIsNotAsAnImageHasIt) {
    std::vector<std::uint8_t> random(1000);
    std::uint32_t seed = 12345;
    for (auto& b : random)
        b = std::uint8_t((seed = seed * 1103515245 + 12345) >> 16);
    DskBuilder tracks;
    tracks.Uniform(2, 1, 4, 1);
    auto unsigned_ = tracks.Build();
    std::fill_n(unsigned_.begin() + std::ptrdiff_t(tracks.BlockOffset(2)), 10, 0);
    const std::string noSignature =
        "The file does not begin with the signature of a disc image (\"EXTENDED CPC DSK "
        "File\"); it may be no disc image at all.";
    const struct {
        const char* Name;
        std::vector<std::uint8_t> Image;
        std::vector<std::string> Expected; // the first findings
    } cases[] = {
        {"well formed", DskBuilder().Uniform(40, 1, 16, 1).Build(), {}},
        {"a raw sector dump",
         std::vector<std::uint8_t>(40 * 16 * 256, 0xE5),
         {noSignature, "The header describes 52441 track records; the machine reads only the first 203."}},
        {"the standard layout",
         DskBuilder().Standard().Uniform(40, 1, 9, 2).Build(),
         {"The image is in the standard DSK layout (\"MV - CPCEMU Disk-File\"), with one size for all its "
          "tracks; the machine reads only the extended layout (\"EXTENDED CPC DSK File\"), with a size for "
          "each track, so it reads no sector of this disc: the disc looks empty."}},
        {"random bytes", random, {noSignature}},
        {"a track block without its signature",
         unsigned_,
         {"Track record 2 does not begin with the signature of a track (\"Track-Info\")."}},
    };
    for (const auto& c : cases) {
        TVirtualDsk d;
        DskBuilder::Write(Dir.File("x.dsk"), c.Image);
        d.LoadImage(Dir.File("x.dsk"), 0);
        const std::vector<std::string> found = DamageReport(d, TDiscReader::Machine);
        ASSERT_GE(found.size(), c.Expected.size()) << c.Name;
        EXPECT_EQ(std::vector<std::string>(found.begin(), found.begin() + std::ptrdiff_t(c.Expected.size())),
                  c.Expected)
            << c.Name;
        if (c.Expected.empty()) {
            EXPECT_TRUE(found.empty()) << c.Name << ": " << found[0];
        }
        d.UnloadImage(1);
    }
}

TEST(DamageMessage, ShowsADozenFindingsAndCountsTheRest) {
    EXPECT_EQ(DamageMessage("Opening.", {}), "");
    std::vector<std::string> faults;
    for (int i = 1; i <= 14; ++i)
        faults.push_back("Finding " + std::to_string(i) + ".");
    const std::string m = DamageMessage("Opening.", faults);
    EXPECT_TRUE(m.starts_with("Opening.\n\nFinding 1.\nFinding 2.\n")) << m;
    EXPECT_TRUE(m.ends_with("\nFinding 12.\n... and 2 more.")) << m;
}
