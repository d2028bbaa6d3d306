// Text cells against the graphics library's drawing of them: the glyph
// copied from the font bitmap, the shown planes drawn over it with their
// combines, the reverse-video mask drawn over that. Every pixel, alpha
// included, in every mode; a cell drawn again after anything under it
// changed; and no drawing at all where nothing changed.
#include "board_test_support.h"

#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace {

using board_test::Rig;

// A copy of a bitmap of the board, to draw from with other draw settings.
std::unique_ptr<gfx::TBitmap32> Copy(const gfx::TBitmap32& source) {
    auto b = std::make_unique<gfx::TBitmap32>();
    b->Assign(const_cast<gfx::TBitmap32*>(&source));
    return b;
}

// Cells as DrawTo draws them, from copies of the board's font bitmaps and
// plane images as they are when this is made.
struct Reference {
    explicit Reference(TQJ47RProbe& p)
        : Font40(Copy(p.Font40Bitmap())), Font80(Copy(p.Font80Bitmap())), Plane1(Copy(p.Plane1Image())),
          Plane2(Copy(p.Plane2Image())) {
        Plane1->SetDrawMode(gfx::dmCustom);
        Plane1->OnPixelCombine = [](std::uint32_t F, std::uint32_t& B, std::uint32_t) {
            B = gfx::ColorMax(F, B);
        };
        Plane2->SetDrawMode(gfx::dmBlend);
        Plane2->SetMasterAlpha(127);
        Mask.SetSize(32, 32);
        Mask.SetDrawMode(gfx::dmCustom);
        Mask.OnPixelCombine = [](std::uint32_t F, std::uint32_t& B, std::uint32_t) {
            B = (F ^ B) & 0x00FFFFFFu;
        };
        Out.SetSize(640, 400);
    }

    // Cell `position` with glyph g in the modes the board is in.
    std::vector<std::uint32_t> Cell(TQJ47RProbe& p, int position, std::uint8_t g) {
        const bool wide = !p.Columns80();
        const int w = wide ? 16 : 8, columns = wide ? 40 : 80;
        const gfx::TRect dst{(position % columns) * w, (position / columns) * 16,
                             (position % columns) * w + w, (position / columns) * 16 + 16};
        const gfx::TRect src{(g >> 4) * w, (g & 15) * 16, (g >> 4) * w + w, (g & 15) * 16 + 16};
        (wide ? Font40 : Font80)->DrawTo(&Out, dst, src);
        if (p.Plane1Shown()) Plane1->DrawTo(&Out, dst, dst);
        if (p.Plane2Shown()) Plane2->DrawTo(&Out, dst, dst);
        Mask.Clear(p.NormalVideo() ? TQJ47R::Black : TQJ47R::Green);
        Mask.DrawTo(&Out, dst, {0, 0, w, 16});
        return Pixels(Out, dst);
    }

    static std::vector<std::uint32_t> Pixels(const gfx::TBitmap32& b, const gfx::TRect& r) {
        std::vector<std::uint32_t> pixels;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                pixels.push_back(b.Pixel(x, y));
        return pixels;
    }

    std::unique_ptr<gfx::TBitmap32> Font40, Font80, Plane1, Plane2;
    gfx::TBitmap32 Mask, Out;
};

void ExpectCellAsDrawn(Rig& rig, Reference& reference, int position) {
    auto p = rig.P();
    const int w = p.Columns80() ? 8 : 16, columns = p.Columns80() ? 80 : 40;
    const int x = (position % columns) * w, y = (position / columns) * 16;
    EXPECT_EQ(Reference::Pixels(rig.Screen, {x, y, x + w, y + 16}),
              reference.Cell(p, position, TextVram[position]))
        << "cell " << position << " in " << columns << " columns, normal " << int(p.NormalVideo())
        << ", planes shown " << int(p.Plane1Shown()) << int(p.Plane2Shown());
}

void ExpectCellAsDrawn(Rig& rig, int position) {
    auto p = rig.P();
    Reference reference(p);
    ExpectCellAsDrawn(rig, reference, position);
}

// Both planes fitted and filled with random dots, neither shown.
void FillPlanes(Rig& rig) {
    auto p = rig.P();
    board_test::Set(rig.M(), &TQJ47RSettings::Graphics1, 1);
    board_test::Set(rig.M(), &TQJ47RSettings::Graphics2, 1);
    std::mt19937 random(3);
    for (int plane = 1; plane <= 2; ++plane) {
        p.Plane1Selected() = plane == 1;
        p.Plane2Selected() = plane == 2;
        for (int o = 0; o < 8000; ++o)
            p.WriteGraphics(o, static_cast<std::uint8_t>(random()));
    }
}

TEST(BoardVideoCells, EveryPixelAsTheLibraryDrawsItInEveryMode) {
    Rig rig;
    auto p = rig.P();
    FillPlanes(rig);
    Reference reference(p);
    for (int mode = 0; mode < 16; ++mode) {
        p.Columns80() = mode & 1;
        p.NormalVideo() = (mode >> 1) & 1;
        p.Plane1Shown() = (mode >> 2) & 1;
        p.Plane2Shown() = (mode >> 3) & 1;
        const int last = p.Columns80() ? 1999 : 999;
        for (int position : {0, 1, 39, 40, 79, 80, 500, last}) {
            for (std::uint8_t g : {0x41, 0x7F, 0x00, 0xFF}) {
                p.WriteText(position, g);
                ExpectCellAsDrawn(rig, reference, position);
            }
        }
        if (testing::Test::HasFailure()) return;
    }
}

// Something changes under a cell, then the cell is written with the glyph it
// already shows: the cell shows the change.
TEST(BoardVideoCells, ACellWrittenAgainShowsWhatChangedUnderIt) {
    struct Case {
        const char* Name;
        std::function<void(Rig&)> Change;
    };
    const Case cases[] = {
        {"reverse video", [](Rig& r) { r.P().NormalVideo() = 0; }},
        {"plane I shown", [](Rig& r) { r.P().Plane1Shown() = 1; }},
        {"plane II shown", [](Rig& r) { r.P().Plane2Shown() = 1; }},
        {"40 columns drawn over it and back",
         [](Rig& r) {
             auto p = r.P();
             p.Columns80() = 0;
             p.WriteText(0, 0x20);
             p.Columns80() = 1;
         }},
        {"a dot of plane I drawn while hidden, then shown again",
         [](Rig& r) {
             auto p = r.P();
             p.Plane1Shown() = 1;
             p.WriteText(0, 0x41);
             p.Plane1Shown() = 0;
             p.Plane1Selected() = 1;
             p.Plane2Selected() = 0;
             p.WriteGraphics(0, 0x5A);
             p.Plane1Shown() = 1;
         }},
        {"a dot of plane II drawn while shown",
         [](Rig& r) {
             auto p = r.P();
             p.Plane2Shown() = 1;
             p.WriteText(1, 0x41);
             p.Plane1Selected() = 0;
             p.Plane2Selected() = 1;
             p.WriteGraphics(0, 0x81);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Rig rig;
        auto p = rig.P();
        board_test::Set(rig.M(), &TQJ47RSettings::Graphics1, 1);
        board_test::Set(rig.M(), &TQJ47RSettings::Graphics2, 1);
        p.Columns80() = 1;
        p.NormalVideo() = 1;
        p.WriteText(0, 0x41);
        p.WriteText(1, 0x41);
        c.Change(rig);
        p.WriteText(0, 0x41);
        p.WriteText(1, 0x41);
        ExpectCellAsDrawn(rig, 0);
        ExpectCellAsDrawn(rig, 1);
    }
}

TEST(BoardVideoCells, NothingIsDrawnWhereNothingChanged) {
    Rig rig;
    TQJ47R& m = rig.M();
    auto p = rig.P();
    int changes = 0;
    rig.Screen.OnChange = [&changes](gfx::TObject*) { ++changes; };
    const auto changesOf = [&changes](const std::function<void()>& action) {
        changes = 0;
        action();
        return changes;
    };

    m.WritePort(0xE8, 0xA0); // 80 columns, the window mapped high
    m.WritePort(0xF4, 0x02); // plane I shown
    EXPECT_GT(changesOf([&] { m.WriteMem(0xD000, 0x41); }), 0);
    EXPECT_EQ(changesOf([&] { m.WriteMem(0xD000, 0x41); }), 0);
    EXPECT_GT(changesOf([&] { m.WriteMem(0xD000, 0x42); }), 0);
    // A mode write that changes nothing redraws nothing, one that changes a
    // mode redraws every cell.
    EXPECT_EQ(changesOf([&] { m.WritePort(0xF4, 0x02); }), 0);
    EXPECT_EQ(changesOf([&] { m.WritePort(0xE8, 0xA0); }), 0);
    EXPECT_GE(changesOf([&] { m.WritePort(0xF4, 0x00); }), 2000);
    EXPECT_EQ(TextVram[0], 0x42);
    ExpectCellAsDrawn(rig, 0);
    EXPECT_EQ(p.Columns80(), 1);
}

} // namespace
