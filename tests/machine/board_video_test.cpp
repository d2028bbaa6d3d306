// Video rendering: text cells in both widths and both video modes, graphics
// bytes at both ends of a line, the planes mixed into the text, scan doubling.
// Colours are compared on RGB only.
#include "board_test_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

using board_test::Rgb;
using board_test::Rig;

constexpr std::uint32_t G = 0x00FF00u;

// Every pixel of the cell at (x, y) equals the font bitmap's at (fx, fy), XORed with `mask`.
void ExpectCell(const gfx::TBitmap32& screen, int x, int y, const gfx::TBitmap32& font, int fx, int fy, int w,
                std::uint32_t mask) {
    for (int dy = 0; dy < 16; ++dy)
        for (int dx = 0; dx < w; ++dx)
            ASSERT_EQ(Rgb(screen.Pixel(x + dx, y + dy)), Rgb(font.Pixel(fx + dx, fy + dy)) ^ mask)
                << "cell pixel " << dx << "," << dy;
}

TEST(BoardVideo, TextCellsInBothWidthsAndBothVideoModes) {
    Rig rig;
    auto p = rig.P();
    ASSERT_NE(FontRom[0x41 * 8], 0) << "the fixture font has no glyph A";
    struct Case {
        bool Columns80, Normal;
        int Position, X, Y;
    };
    const Case cases[] = {
        {false, true, 41, 16, 16},    {false, false, 41, 16, 16}, {false, true, 999, 624, 384},
        {true, true, 1999, 632, 384}, {true, false, 0, 0, 0},     {true, true, 81, 8, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << (c.Columns80 ? 80 : 40) << " columns, normal " << c.Normal << ", " << c.Position);
        p.Columns80() = c.Columns80;
        p.NormalVideo() = c.Normal;
        p.WriteText(c.Position, 0x41);
        const auto& font = c.Columns80 ? p.Font80Bitmap() : p.Font40Bitmap();
        const int w = c.Columns80 ? 8 : 16;
        // Glyph 0x41: column 4, row 1 of the glyph table.
        ExpectCell(rig.Screen, c.X, c.Y, font, c.Columns80 ? 32 : 64, 16, w, c.Normal ? 0 : G);
        EXPECT_EQ(rig.Screen.Pixel(c.X, c.Y) >> 24, 0u); // the mask leaves alpha 0
    }
    // Glyph 0x41 sits at (64, 16) of the 40-column font: its top row is lit somewhere.
    bool lit = false;
    for (int x = 64; x < 80; ++x)
        lit |= Rgb(p.Font40Bitmap().Pixel(x, 16)) == G;
    EXPECT_TRUE(lit);
}

TEST(BoardVideo, PositionsPastTheModeAreStoredNotDrawn) {
    Rig rig;
    TQJ47R& m = rig.M();
    auto p = rig.P();
    p.NormalVideo() = 1;
    p.Columns80() = 0;
    const auto before = std::vector<std::uint32_t>(rig.Screen.Bits(), rig.Screen.Bits() + 640 * 400);
    p.WriteText(1000, 0x41);
    p.Columns80() = 1;
    p.WriteText(2000, 0x42);
    p.WriteText(2047, 0x43);
    EXPECT_EQ(TextVram[1000], 0x41);
    EXPECT_EQ(TextVram[2000], 0x42);
    EXPECT_EQ(TextVram[2047], 0x43);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), rig.Screen.Bits()));
    // The upper half of the window's text part has no memory behind it.
    m.WritePort(0xE8, 0xA0); // the window mapped high, still 80 columns
    m.WriteMem(0xD800, 0x44);
    m.WriteMem(0xDFFF, 0x45);
    EXPECT_EQ(m.ReadMem(0xD800), 0);
    EXPECT_EQ(m.ReadMem(0xD000 + 2047), 0x43);
}

TEST(BoardVideo, FontBytesDrawEveryOtherRowUnlessScanDoubled) {
    fixtures::TempDir roms;
    std::filesystem::copy_file(std::filesystem::path(QJ_FIXTURE_ROMS) / "ipl.BIN", roms.Path / "ipl.BIN");
    std::vector<char> font(2048, 0);
    font[8 * 0x12 + 3] = char(0x81); // glyph 0x12, line 3: leftmost and rightmost dots
    std::ofstream(roms.File("qjfont.bin"), std::ios::binary).write(font.data(), font.size());
    for (bool doubled : {false, true}) {
        SCOPED_TRACE(doubled);
        Rig rig(roms.Path.string(), false, {{"ScanDouble", doubled ? "TRUE" : "FALSE"}});
        TQJ47R& m = rig.M();
        auto p = rig.P();
        ASSERT_EQ(m.Settings().ScanDouble, doubled);
        // Glyph 0x12: column 1, row 2 of the glyph table; line 3 at bitmap row 2*3.
        const int x40 = 16, x80 = 8, y = 2 * 16 + 6;
        for (int dy = 0; dy < 2; ++dy) {
            const std::uint32_t want = dy == 0 || doubled ? G : 0;
            EXPECT_EQ(Rgb(p.Font40Bitmap().Pixel(x40, y + dy)), want);
            EXPECT_EQ(Rgb(p.Font40Bitmap().Pixel(x40 + 1, y + dy)), want);
            EXPECT_EQ(Rgb(p.Font40Bitmap().Pixel(x40 + 2, y + dy)), 0u);
            EXPECT_EQ(Rgb(p.Font40Bitmap().Pixel(x40 + 15, y + dy)), want);
            EXPECT_EQ(Rgb(p.Font80Bitmap().Pixel(x80, y + dy)), want);
            EXPECT_EQ(Rgb(p.Font80Bitmap().Pixel(x80 + 1, y + dy)), 0u);
            EXPECT_EQ(Rgb(p.Font80Bitmap().Pixel(x80 + 7, y + dy)), want);
        }
        // Switching at run time leaves the glyphs as they were drawn.
        board_test::Set(m, &TQJ47RSettings::ScanDouble, !doubled);
        p.WriteText(0, 0x12);
        EXPECT_EQ(Rgb(rig.Screen.Pixel(0, 7)), doubled ? 0u : G) << "reverse video of the glyph's row";
    }
}

TEST(BoardVideo, GraphicsBytesAtBothEndsOfALine) {
    struct Case {
        int Offset;
        std::uint8_t Value;
        bool Doubled;
        std::vector<int> LitX;
        int Row;
    };
    const Case cases[] = {
        {0, 0x01, false, {0, 1}, 0},
        {0, 0x01, true, {0, 1}, 0},
        {0, 0x80, false, {14, 15}, 0},
        {39, 0x80, false, {638, 639}, 0}, // the rightmost dot lights like every other
        {39, 0x01, false, {624, 625}, 0},
        {320, 0x03, false, {0, 1, 2, 3}, 16},
        {7999, 0x80, true, {638, 639}, 398},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Offset << " " << int(c.Value) << " doubled " << c.Doubled);
        Rig rig;
        TQJ47R& m = rig.M();
        auto p = rig.P();
        p.Plane1Selected() = 1;
        board_test::Set(m, &TQJ47RSettings::Graphics1, 1);
        board_test::Set(m, &TQJ47RSettings::ScanDouble, c.Doubled);
        p.WriteGraphics(c.Offset, c.Value);
        EXPECT_EQ(GraphicsRam1[c.Offset], c.Value);
        const int x0 = (c.Offset % 40) * 16;
        for (int y = c.Row; y < c.Row + 2; ++y)
            for (int x = x0; x < x0 + 16; ++x) {
                const bool lit =
                    std::find(c.LitX.begin(), c.LitX.end(), x) != c.LitX.end() && (y == c.Row || c.Doubled);
                ASSERT_EQ(Rgb(p.Plane1Image().Pixel(x, y)), lit ? G : 0u) << x << "," << y;
            }
        // Nothing was shown, so the screen is untouched.
        EXPECT_EQ(Rgb(rig.Screen.Pixel(x0, c.Row)), 0u);
    }
    // Offsets past the visible 200 lines land below the plane and draw nothing.
    Rig rig;
    rig.P().Plane1Selected() = 1;
    board_test::Set(rig.M(), &TQJ47RSettings::Graphics1, 1);
    rig.P().WriteGraphics(8191, 0xFF);
    EXPECT_EQ(GraphicsRam1[8191], 0xFF);
}

TEST(BoardVideo, TheRightmostDotOfPlaneTwoLightsColumn639) {
    Rig rig;
    auto p = rig.P();
    p.Plane2Selected() = 1;
    board_test::Set(rig.M(), &TQJ47RSettings::Graphics2, 1);
    p.WriteGraphics(39, 0x80);
    EXPECT_EQ(Rgb(p.Plane2Image().Pixel(638, 0)), G);
    EXPECT_EQ(Rgb(p.Plane2Image().Pixel(639, 0)), G);
}

TEST(BoardVideo, AbsentPlaneDrawsIntoPlaneTwoAndStoresNothing) {
    Rig rig;
    TQJ47R& m = rig.M();
    auto p = rig.P();
    p.Plane1Selected() = 1;
    board_test::Set(m, &TQJ47RSettings::Graphics1, 0);
    board_test::Set(m, &TQJ47RSettings::Graphics2, 1);
    p.WriteGraphics(5, 0x01);
    EXPECT_EQ(GraphicsRam1[5] | GraphicsRam2[5], 0);
    EXPECT_EQ(Rgb(p.Plane2Image().Pixel(80, 0)), G);
    EXPECT_EQ(Rgb(p.Plane1Image().Pixel(80, 0)), 0u);
    // Plane II fitted and selected: the drawn value is the stored OR.
    p.Plane1Selected() = 0;
    p.Plane2Selected() = 1;
    GraphicsRam2[6] = 0x01;
    p.WriteGraphics(6, 0x02);
    EXPECT_EQ(GraphicsRam2[6], 0x03);
    EXPECT_EQ(Rgb(p.Plane2Image().Pixel(96, 0)), G);
    EXPECT_EQ(Rgb(p.Plane2Image().Pixel(98, 0)), G);
}

TEST(BoardVideo, ShownPlanesMixIntoTheTextCells) {
    Rig rig;
    TQJ47R& m = rig.M();
    auto p = rig.P();
    p.NormalVideo() = 1;
    p.Columns80() = 1;
    TextVram[0] = TextVram[1] = 0x20; // blank cells under graphics byte 0
    // Plane I shown: lit dots light the blank cell (per-channel maximum).
    m.WritePort(0xF4, 0x02);
    p.WriteGraphics(0, 0x01);
    EXPECT_EQ(Rgb(rig.Screen.Pixel(0, 0)), G);
    EXPECT_EQ(Rgb(rig.Screen.Pixel(2, 0)), 0u);
    // Reverse video inverts the mixed result.
    m.WritePort(0xE0, 0x00);
    EXPECT_EQ(Rgb(rig.Screen.Pixel(0, 0)), 0u);
    EXPECT_EQ(Rgb(rig.Screen.Pixel(2, 0)), G);
    m.WritePort(0xE0, 0x10);

    // Plane II shown over a lit cell: its dark pixels darken it to about half,
    // its lit ones keep it lit.
    m.WritePort(0xF4, 0x05);                           // select plane II, show plane II only
    ASSERT_EQ(Rgb(p.Font80Bitmap().Pixel(56, 241)), G) // glyph 7F: column 7, row 15
        << "fixture glyph 7F is solid";
    p.WriteText(3, 0x7F); // cell 3: x 24-31
    const std::uint32_t mixed = Rgb(rig.Screen.Pixel(26, 0));
    EXPECT_EQ(mixed & 0xFF00FF, 0u);
    EXPECT_NEAR(int((mixed >> 8) & 0xFF), 128, 2);
    p.WriteGraphics(1, 0x10); // x 24-25, under cell 3, which is drawn again
    EXPECT_EQ(Rgb(rig.Screen.Pixel(24, 0)), G);
    EXPECT_EQ(Rgb(rig.Screen.Pixel(26, 0)), mixed);
}

TEST(BoardVideo, ModeSwitchRedrawsEveryCellOfTheNewMode) {
    Rig rig;
    TQJ47R& m = rig.M();
    for (int p = 0; p < 2000; ++p)
        TextVram[p] = 0x20;
    m.WritePort(0xE0, 0x10); // normal video: the whole 40-column screen is redrawn black
    for (int y = 0; y < 400; y += 17)
        for (int x = 0; x < 640; x += 13)
            ASSERT_EQ(Rgb(rig.Screen.Pixel(x, y)), 0u);
    m.WritePort(0xE0, 0x00); // reverse: every pixel green
    for (int y = 0; y < 400; y += 17)
        for (int x = 0; x < 640; x += 13)
            ASSERT_EQ(Rgb(rig.Screen.Pixel(x, y)), G);
    m.WritePort(0xE8, 0x20); // 80 columns, still reverse
    EXPECT_EQ(Rgb(rig.Screen.Pixel(639, 399)), G);
}

} // namespace
