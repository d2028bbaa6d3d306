// Text on bitmaps through Qt's fonts. The fonts come from fonts-dejavu-core
// (installed by the Makefile) and are named explicitly; glyph shapes still
// differ between FreeType versions and hinting settings, so the tests check
// relations and ranges (wider, inside, only full coverage) rather than exact
// glyph pixels.
#include <set>

#include "fixtures/qt_test_app.h"
#include "gfx/gfx_test_support.h"
#include "platform_qt/text_renderer.h"

using namespace gfx;

namespace {
// The application object comes from the shared window-test fixture.
class QtTextRenderer : public ::testing::Environment {
  public:
    void SetUp() override { platform_qt::InstallQtTextRenderer(); }
    void TearDown() override { SetTextRenderer(nullptr); }
};
::testing::Environment* const kQtTextRenderer = ::testing::AddGlobalTestEnvironment(new QtTextRenderer);

constexpr TColor32 kBlack = 0xFF000000;

// The smallest rectangle holding every pixel that differs from Back.
TRect InkBox(const TBitmap32& B, TColor32 Back) {
    TRect R{B.Width(), B.Height(), 0, 0};
    for (int Y = 0; Y < B.Height(); ++Y)
        for (int X = 0; X < B.Width(); ++X)
            if (B.Pixel(X, Y) != Back) {
                R.Left = std::min(R.Left, X);
                R.Top = std::min(R.Top, Y);
                R.Right = std::max(R.Right, X + 1);
                R.Bottom = std::max(R.Bottom, Y + 1);
            }
    return R;
}

void UseDejaVu(TBitmap32& B, int32_t Size) {
    TFont F;
    F.SetName("DejaVu Sans");
    F.SetSize(Size);
    F.SetColor(0xFFFFFF);
    B.SetFont(F);
}
} // namespace

TEST(QtText, ExtentsAt96Dpi) {
    TBitmap32 B, Empty;
    B.SetSize(8, 8);
    UseDejaVu(B, 8);
    UseDejaVu(Empty, 8);
    const TSize Abc = B.TextExtent("Hello, world");
    // 8 points at 96 dpi are 11 pixels; a DejaVu line is about 1.17 em high.
    EXPECT_GE(Abc.cy, 11);
    EXPECT_LE(Abc.cy, 16);
    EXPECT_GT(Abc.cx, 50);
    EXPECT_LT(Abc.cx, 90);
    EXPECT_EQ(Empty.TextExtent("Hello, world"), Abc);
    EXPECT_EQ(B.TextWidth("Hello, world"), Abc.cx);
    EXPECT_EQ(B.TextHeight("Hello, world"), Abc.cy);
    EXPECT_EQ(B.TextExtent("").cx, 0);
    EXPECT_EQ(B.TextExtent("").cy, Abc.cy);
    EXPECT_GT(B.TextWidth("WWW"), B.TextWidth("iii"));
    UseDejaVu(B, 16);
    const TSize Large = B.TextExtent("Hello, world");
    EXPECT_NEAR(Large.cx, 2 * Abc.cx, Abc.cx / 5);
    EXPECT_NEAR(Large.cy, 2 * Abc.cy, 3);
}

TEST(QtText, TextoutDrawsOpaqueUnsmoothedGlyphsInsideItsExtent) {
    TBitmap32 B;
    B.SetSize(120, 40);
    B.Clear(kBlack);
    UseDejaVu(B, 10);
    B.Font().SetColor(0x3366CC);
    B.Textout(10, 5, "Text 123");
    const TSize Extent = B.TextExtent("Text 123");
    const TRect Ink = InkBox(B, kBlack);
    ASSERT_LT(Ink.Left, Ink.Right) << "nothing drawn";
    // (10, 5) is the top-left corner of the line: the ink lies within the extent.
    EXPECT_GE(Ink.Left, 10);
    EXPECT_GE(Ink.Top, 5);
    EXPECT_LE(Ink.Right, 10 + Extent.cx + 1);
    EXPECT_LE(Ink.Bottom, 5 + Extent.cy);
    EXPECT_GT(Ink.Right - Ink.Left, Extent.cx / 2);
    // No host antialiasing: every pixel is the ink colour, opaque, or untouched.
    for (int I = 0; I < 120 * 40; ++I)
        ASSERT_TRUE(B.Bits()[I] == kBlack || B.Bits()[I] == 0xFF3366CC) << std::hex << B.Bits()[I];

    // The clipped form draws only inside its rectangle.
    B.Clear(kBlack);
    B.Textout(10, 5, TRect{0, 0, 30, 12}, "Text 123");
    const TRect Clipped = InkBox(B, kBlack);
    EXPECT_LE(Clipped.Right, 30);
    EXPECT_LE(Clipped.Bottom, 12);
    EXPECT_GT(Clipped.Right, Clipped.Left);
}

TEST(QtText, FormattedTextIsPlacedByItsFlags) {
    TBitmap32 B;
    B.SetSize(100, 40);
    UseDejaVu(B, 10);
    const TRect Box{0, 0, 100, 40};
    B.Clear(kBlack);
    B.Textout(Box, DT_CENTER | DT_VCENTER | DT_SINGLELINE, "mid");
    const TRect Mid = InkBox(B, kBlack);
    EXPECT_NEAR((Mid.Left + Mid.Right) / 2, 50, 3);
    EXPECT_NEAR((Mid.Top + Mid.Bottom) / 2, 20, 4);

    B.Clear(kBlack);
    B.Textout(Box, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE, "end");
    const TRect End = InkBox(B, kBlack);
    EXPECT_GE(End.Right, 95);
    EXPECT_GE(End.Bottom, 32);

    B.Clear(kBlack);
    B.Textout(Box, DT_CALCRECT, "measured only");
    EXPECT_EQ(InkBox(B, kBlack).Right, 0);
    B.Textout(TRect{10, 10, 20, 20}, DT_LEFT, "clipped to its rectangle");
    const TRect Clip = InkBox(B, kBlack);
    EXPECT_GE(Clip.Left, 10);
    EXPECT_LE(Clip.Right, 20);
    EXPECT_LE(Clip.Bottom, 20);
}

TEST(QtText, RenderTextPlainAndSmoothed) {
    TBitmap32 Plain, Smooth;
    for (TBitmap32* B : {&Plain, &Smooth}) {
        B->SetSize(120, 30);
        B->Clear(kBlack);
        UseDejaVu(*B, 12);
    }
    Plain.RenderText(4, 4, "Smooth", 0, 0xFFFFFFFF);
    Smooth.RenderText(4, 4, "Smooth", 3, 0xFFFFFFFF);
    const TRect PlainInk = InkBox(Plain, kBlack), SmoothInk = InkBox(Smooth, kBlack);
    ASSERT_LT(PlainInk.Left, PlainInk.Right);
    ASSERT_LT(SmoothInk.Left, SmoothInk.Right);
    // The same text in the same place, within the rounding of the blocks.
    EXPECT_NEAR(PlainInk.Left, SmoothInk.Left, 2);
    EXPECT_NEAR(PlainInk.Right, SmoothInk.Right, 3);
    EXPECT_NEAR(PlainInk.Top, SmoothInk.Top, 2);
    EXPECT_NEAR(PlainInk.Bottom, SmoothInk.Bottom, 3);
    // Plain coverage is all or nothing; smoothed coverage has grey levels.
    std::set<TColor32> PlainLevels, SmoothLevels;
    for (int I = 0; I < 120 * 30; ++I) {
        PlainLevels.insert(Plain.Bits()[I] & 0xFF);
        SmoothLevels.insert(Smooth.Bits()[I] & 0xFF);
    }
    EXPECT_LE(PlainLevels.size(), 3u); // untouched, and white blended at the full weight
    EXPECT_GT(SmoothLevels.size(), 8u);
}
