// The whole machine from the test IPL ROM on: it leaves IPL mode, puts text and
// graphics on the screen, waits for a key, copies a sector through the disc
// controller and beeps. The machine runs in 80000 T-state slices (10 ms) and
// the virtual sound device plays 10 ms between slices, as the emulator's timer does.
#include "board_test_support.h"

#include "fixtures/dsk_builder.h"
#include "fixtures/test_ipl_results.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace {

using board_test::Rgb;

// Green of any strength and nothing else; dark is 0.
bool Lit(std::uint32_t c) {
    EXPECT_EQ(c & 0xFF00FFu, 0u) << std::hex << c;
    return (c & 0xFF00u) != 0;
}

using namespace test_ipl;
constexpr int SectorBytes = 256;
constexpr double BeepHz = 8000000.0 / 5060.0; // the program's period is 5060 T-states

int Word(int address) { return MainRam[address] | MainRam[address + 1] << 8; }

std::vector<std::uint8_t> ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Offset of the raw bytes of a builder-filled sector inside the image file.
std::size_t SectorOffset(const std::vector<std::uint8_t>& image, int sector) {
    std::vector<std::uint8_t> raw(SectorBytes);
    for (int i = 0; i < SectorBytes; ++i)
        raw[i] = std::uint8_t(~fixtures::PatternByte(0, 0, sector, i));
    auto at = std::search(image.begin(), image.end(), raw.begin(), raw.end());
    EXPECT_NE(at, image.end()) << "sector " << sector << " not in the image";
    return std::size_t(at - image.begin());
}

class BoardEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        DiscFile = Disc.File("boot.dsk");
        fixtures::DskBuilder().Uniform(2, 1, 16, 1).Save(DiscFile);
        Original = ReadFile(DiscFile);
        ASSERT_EQ(R.M().Fdc.Mount(0, DiscFile, 0), 0);
    }

    // Runs 10 ms slices, playing 10 ms of sound after each, until the program
    // reaches `stage` or `maxSlices` have run.
    int RunUntilStage(int stage, int maxSlices) {
        for (int i = 0; i < maxSlices; ++i) {
            if (MainRam[Stage] >= stage && !R.M().IplMode()) return i;
            R.RunSlices(1);
            R.Sound.Advance(1280);
        }
        return -1;
    }

    // The cell as the test font draws it: 2 pixels per dot in 40 columns, 1 in
    // 80; odd rows lit too when scan lines are doubled.
    // Only lit or dark counts: with plane II shown every pixel is blended at
    // half weight with the plane.
    ::testing::AssertionResult CellShows(int column, int row, std::uint8_t glyph, bool columns80) {
        const int w = columns80 ? 8 : 16;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint8_t line = FontRom[glyph * 8 + y / 2];
                const bool dot =
                    (line & (0x80 >> (columns80 ? x : x / 2))) && (y % 2 == 0 || R.M().Settings().ScanDouble);
                const std::uint32_t got = Rgb(R.Screen.Pixel(column * w + x, row * 16 + y));
                if (Lit(got) != dot)
                    return ::testing::AssertionFailure()
                           << "glyph " << int(glyph) << " at column " << column << " row " << row
                           << ": pixel (" << x << ", " << y << ") is " << std::hex << got
                           << (dot ? ", not lit" : ", not dark");
            }
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult TextShows(const std::string& text, int column, int row, bool columns80) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            auto r = CellShows(column + int(i), row, std::uint8_t(text[i]), columns80);
            if (!r) return r;
        }
        return ::testing::AssertionSuccess();
    }

    fixtures::TempDir Disc;
    board_test::Rig R;
    std::string DiscFile;
    std::vector<std::uint8_t> Original;
};

TEST_F(BoardEndToEnd, BootsDrawsReadsKeysCopiesASectorAndBeeps) {
    // Boot: the ROM copies itself to RAM and leaves IPL mode.
    ASSERT_TRUE(R.M().IplMode());
    ASSERT_GE(RunUntilStage(1, 20), 0) << "the program never reached its key loop";
    EXPECT_FALSE(R.M().IplMode());
    EXPECT_TRUE(R.P().NormalVideo());
    EXPECT_FALSE(R.P().Columns80());

    // 40 columns: text at the top left and at the end of the last row.
    EXPECT_TRUE(TextShows("QJ-47R TEST 40", 0, 0, false));
    EXPECT_TRUE(TextShows("END", 37, 24, false));

    // Plane I: line 160 (screen row 320) lit across to the rightmost column;
    // the dark plane II halves it.
    for (int x : {0, 1, 320, 637, 638, 639})
        EXPECT_EQ(Rgb(R.Screen.Pixel(x, 320)), 0x8000u) << "x " << x;
    EXPECT_EQ(Rgb(R.Screen.Pixel(100, 318)), 0u);
    // Plane II: line 180 (row 360) has its leftmost and rightmost dots, blended
    // in at about half weight.
    for (int x : {0, 1, 638})
        EXPECT_EQ(Rgb(R.Screen.Pixel(x, 360)), 0x7F00u) << "x " << x;
    EXPECT_EQ(Rgb(R.Screen.Pixel(2, 360)), 0u);

    // The program waits for a key; none is down.
    RunUntilStage(2, 5);
    EXPECT_EQ(MainRam[Stage], 1);

    // Key of row 5, bit 2.
    KeyMatrix[5] = 0x04;
    ASSERT_GE(RunUntilStage(2, 5), 0) << "the key never reached the program";
    KeyMatrix[5] = 0;
    EXPECT_EQ(MainRam[KeyRowAt], 5);
    EXPECT_EQ(MainRam[KeyBitsAt], 0x04);

    // Disc copy and beep.
    ASSERT_GE(RunUntilStage(4, 100), 0) << "the program never finished, stage " << int(MainRam[Stage]);
    EXPECT_TRUE(R.P().Columns80());
    EXPECT_TRUE(TextShows("QJ-47R TEST 80 COLUMNS", 0, 2, true));
    EXPECT_TRUE(TextShows("KEY 0504", 0, 3, true));
    EXPECT_TRUE(TextShows("DISC 0100", 0, 4, true));
    EXPECT_TRUE(TextShows("DONE", 0, 5, true));

    EXPECT_EQ(Word(ReadCount), SectorBytes);
    EXPECT_EQ(Word(WriteCount), SectorBytes);
    EXPECT_EQ(MainRam[ReadStat] & 0x1C, 0) << "read status " << int(MainRam[ReadStat]);
    EXPECT_EQ(MainRam[WriteStat] & 0x5C, 0) << "write status " << int(MainRam[WriteStat]);
    const std::size_t s1 = SectorOffset(Original, 1), s2 = SectorOffset(Original, 2);
    for (int i = 0; i < SectorBytes; ++i)
        ASSERT_EQ(MainRam[SectorBuf + i], Original[s1 + i]) << "byte " << i << " of the sector read";

    // The drive saves the modified image when it lets go of it; sector 2 now
    // holds the complement of sector 1, and nothing else changed.
    R.M().Fdc.Unmount(0);
    const auto saved = ReadFile(DiscFile);
    ASSERT_EQ(saved.size(), Original.size());
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (i >= s2 && i < s2 + SectorBytes)
            ASSERT_EQ(saved[i], std::uint8_t(~Original[s1 + (i - s2)]))
                << "byte " << (i - s2) << " of sector 2";
        else
            ASSERT_EQ(saved[i], Original[i]) << "image byte " << i;
    }

    // The beep: a square wave of 0xA000 and 0 at the program's pitch, heard
    // once the sound queued behind the play cursor has played.
    RunUntilStage(5, 30);
    const auto samples = R.Sound.Samples16();
    std::vector<std::size_t> rises;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        ASSERT_TRUE(samples[i] == 0 || samples[i] == TQJ47R::HighSample)
            << "sample " << i << " is " << samples[i];
        if (samples[i] != 0 && samples[i - 1] == 0) rises.push_back(i);
    }
    ASSERT_GE(rises.size(), 200u) << "no beep in " << samples.size() << " samples";
    const double period = double(rises.back() - rises.front()) / double(rises.size() - 1);
    EXPECT_NEAR(TQJ47R::SampleRate / period, BeepHz, BeepHz * 0.02);
    for (std::size_t i = 1; i < rises.size(); ++i)
        ASSERT_LT(rises[i] - rises[i - 1], std::size_t(period * 1.5))
            << "gap in the beep at sample " << rises[i];
}

TEST_F(BoardEndToEnd, ColdBootAfterResetRunsTheProgramAgain) {
    ASSERT_GE(RunUntilStage(1, 20), 0);
    MainRam[Stage] = 0;
    R.M().ColdBoot = 1;
    R.M().Reset();
    EXPECT_TRUE(R.M().IplMode());
    EXPECT_EQ(R.PC(), 0);
    ASSERT_GE(RunUntilStage(1, 20), 0);
    EXPECT_FALSE(R.M().IplMode());
}

} // namespace
