// Text on bitmaps through a test renderer whose glyphs are plain blocks, so
// that the smoothing pipeline can be checked pixel by pixel.
#include "gfx_test_support.h"

using namespace gfx;
using gfx_test::EventLog;

namespace {
// Every character advances Size pixels and is Size * 5 / 2 high; a character
// other than a space is a block Size - 1 pixels wide in the font's colour.
struct BlockRenderer : TTextRenderer {
    int32_t ExtraWidth = 0;
    std::vector<int32_t> MeasuredSizes, DrawnSizes;
    std::vector<bool> StockLockedWhileMeasuring;
    const TRect* LastClip = nullptr;
    TRect LastRect;
    uint32_t LastFlags = 0;

    TSize TextExtent(const TFont& Font, const std::string& Text) override {
        MeasuredSizes.push_back(Font.Size());
        StockLockedWhileMeasuring.push_back(StockBitmap->LockCount() > 0);
        return {int32_t(Text.size()) * Font.Size() + ExtraWidth, Font.Size() * 5 / 2};
    }
    void TextOut(TDeviceContext& DC, const TFont& Font, int32_t X, int32_t Y, const TRect* Clip,
                 const std::string& Text) override {
        DrawnSizes.push_back(Font.Size());
        LastClip = Clip;
        TRect Area{0, 0, DC.Width(), DC.Height()};
        if (Clip) IntersectRect(Area, Area, *Clip);
        for (size_t I = 0; I < Text.size(); ++I) {
            if (Text[I] == ' ') continue;
            const int32_t Left = X + int32_t(I) * Font.Size();
            for (int32_t Py = std::max(Y, Area.Top); Py < std::min(Y + Font.Size() * 5 / 2, Area.Bottom);
                 ++Py)
                for (int32_t Px = std::max(Left, Area.Left);
                     Px < std::min(Left + Font.Size() - 1, Area.Right); ++Px)
                    DC.PixelMemory()[Py * DC.Width() + Px] = 0xFF000000u | Font.Color();
        }
    }
    void DrawText(TDeviceContext& DC, const TFont& Font, const TRect& Rect, uint32_t Flags,
                  const std::string& Text) override {
        LastRect = Rect;
        LastFlags = Flags;
        TextOut(DC, Font, Rect.Left, Rect.Top, &Rect, Text);
    }
};

struct Text : ::testing::Test {
    BlockRenderer Renderer;
    void SetUp() override { SetTextRenderer(&Renderer); }
    void TearDown() override { SetTextRenderer(nullptr); }
};

std::string MessageOf(const std::function<void()>& Call) {
    try {
        Call();
    } catch (const platform::Exception& E) {
        return E.what();
    }
    return "";
}
} // namespace

TEST(TextWithoutRenderer, RaisesAClearError) {
    SetTextRenderer(nullptr);
    TBitmap32 B;
    const std::string Want = "No text renderer is installed: text needs the platform's fonts";
    EXPECT_EQ(MessageOf([&] { B.TextExtent("x"); }), Want);
    EXPECT_EQ(MessageOf([&] { B.Textout(0, 0, "x"); }), Want);
    B.RenderText(0, 0, "x", 2, 0xFFFFFFFF); // an empty bitmap: nothing to do
    B.SetSize(4, 4);
    EXPECT_EQ(MessageOf([&] { B.RenderText(0, 0, "x", 0, 0xFFFFFFFF); }), Want);
    EXPECT_EQ(MessageOf([&] { B.Textout(TRect{0, 0, 4, 4}, DT_CENTER, "x"); }), Want);
}

TEST_F(Text, ExtentsOnSizedAndEmptyBitmaps) {
    TBitmap32 Sized, Empty;
    Sized.SetSize(10, 10);
    Sized.Font().SetSize(6);
    Empty.Font().SetSize(6);
    EXPECT_EQ(Sized.TextExtent("abc"), (TSize{18, 15}));
    EXPECT_EQ(Sized.TextWidth("abc"), 18);
    EXPECT_EQ(Sized.TextHeight("abc"), 15);
    const TSize WithoutPixels = Empty.TextExtent("abc");
    EXPECT_EQ(WithoutPixels, Sized.TextExtent("abc"));
    // Without a context the stock bitmap measures, under its lock.
    EXPECT_EQ(Renderer.StockLockedWhileMeasuring, (std::vector<bool>{false, false, false, true, false}));
    EXPECT_EQ(StockBitmap->LockCount(), 0);
}

TEST_F(Text, TextoutUsesTheCurrentFontAndNotifiesOnce) {
    EventLog Log;
    TBitmap32 B;
    B.SetSize(20, 10);
    B.Clear(0);
    Log.Attach(B);
    B.Font().SetColor(0x00FF00);
    B.Textout(1, 2, "a");
    EXPECT_NE(B.FontHandle(), 0u);
    EXPECT_EQ(B.Pixel(1, 2), 0xFF00FF00u);
    EXPECT_EQ(B.Pixel(7, 16 - 7), 0xFF00FF00u);
    EXPECT_EQ(B.Pixel(8, 2), 0u);
    EXPECT_EQ(Log.Count("change"), 1);

    TFont Larger;
    Larger.Assign(&B.Font());
    Larger.SetSize(12);
    B.SetFont(Larger);
    EXPECT_EQ(B.FontHandle(), 0u); // the cached selection was dropped
    B.Textout(0, 0, TRect{0, 0, 5, 3}, "a");
    EXPECT_EQ(Renderer.DrawnSizes, (std::vector<int32_t>{8, 12}));
    EXPECT_NE(Renderer.LastClip, nullptr);
    EXPECT_EQ(B.Pixel(0, 2), 0xFF00FF00u);
    EXPECT_EQ(B.Pixel(0, 3), 0u); // clipped

    B.Textout(TRect{2, 2, 9, 9}, DT_CENTER | DT_SINGLELINE, "b");
    EXPECT_EQ(Renderer.LastFlags, DT_CENTER | DT_SINGLELINE);
    EXPECT_EQ(Renderer.LastRect, (TRect{2, 2, 9, 9}));
    EXPECT_EQ(Log.Count("change"), 3);

    // A bitmap without pixels draws nothing but still reports.
    EventLog EmptyLog;
    TBitmap32 Empty;
    EmptyLog.Attach(Empty);
    Empty.Textout(0, 0, "x");
    EXPECT_EQ(EmptyLog.Count("change"), 1);
    EXPECT_EQ(Renderer.DrawnSizes.size(), 3u);
}

TEST_F(Text, RenderTextWithoutSmoothingTurnsCoverageIntoAlpha) {
    TBitmap32 B, Want, Work;
    for (TBitmap32* M : {&B, &Want}) {
        M->SetSize(30, 20);
        M->Clear(0xFF0000FF);
        M->Font().SetSize(4);
    }
    B.RenderText(3, 2, "ab", 0, 0x80FF0000);
    EXPECT_EQ(Renderer.MeasuredSizes.back(), 4);
    // The work bitmap: "ab " measured, 12 x 10; covered pixels opaque pure red,
    // the rest 0; blended with master alpha 128.
    Work.SetSize(12, 10);
    Work.Clear(0);
    Work.FillRect(0, 0, 3, 10, 0xFFFF0000);
    Work.FillRect(4, 0, 7, 10, 0xFFFF0000);
    Work.SetDrawMode(dmBlend);
    Work.SetMasterAlpha(128);
    Work.DrawTo(&Want, 3, 2);
    EXPECT_TRUE(B.Equal(&Want));
    EXPECT_NE(B.Pixel(3, 2), 0xFF0000FFu);
    EXPECT_EQ(B.Pixel(6, 2), 0xFF0000FFu);

    // A colour of alpha 0 draws nothing.
    TBitmap32 Before;
    Before.Assign(&B);
    B.RenderText(0, 0, "ab", 0, 0x00FFFFFF);
    EXPECT_TRUE(B.Equal(&Before));
}

TEST_F(Text, RenderTextAveragesBlocksOfTheEnlargedRendering) {
    // Size 2 at level 2 renders at size 8: "ab " measures 24 + 13 = 37 x 20,
    // widened to 40 and averaged in 4 x 4 blocks into 10 x 5 pixels.
    Renderer.ExtraWidth = 13;
    TBitmap32 B, Want, Work;
    for (TBitmap32* M : {&B, &Want}) {
        M->SetSize(16, 8);
        M->Clear(0xFF000000);
        M->Font().SetSize(2);
    }
    B.RenderText(1, 1, "ab", 2, 0xFF00FF00);
    EXPECT_EQ(Renderer.MeasuredSizes, (std::vector<int32_t>{8}));
    EXPECT_EQ(Renderer.StockLockedWhileMeasuring, (std::vector<bool>{true}));
    EXPECT_EQ(StockBitmap->LockCount(), 0);
    // Columns 0-6 and 8-14 are covered: the blocks hold 16, 12, 16, 12 and 0
    // covered pixels, rounded down to alpha 255, 191, 255, 191 and 0.
    Work.SetSize(10, 5);
    const int Alpha[10] = {255, 191, 255, 191, 0, 0, 0, 0, 0, 0};
    for (int Y = 0; Y < 5; ++Y)
        for (int X = 0; X < 10; ++X)
            Work.SetPixel(X, Y, TColor32(Alpha[X]) << 24 | 0x00FF00);
    Work.SetDrawMode(dmBlend);
    Work.DrawTo(&Want, 1, 1);
    EXPECT_TRUE(B.Equal(&Want));
    EXPECT_EQ(B.Pixel(11, 1), 0xFF000000u); // beyond the 10 x 5 pixels
    EXPECT_EQ(B.Pixel(1, 6), 0xFF000000u);

    // Levels are kept to 0..4.
    Renderer.MeasuredSizes.clear();
    B.RenderText(0, 0, "a", 7, 0xFFFFFFFF);
    B.RenderText(0, 0, "a", -1, 0xFFFFFFFF);
    EXPECT_EQ(Renderer.MeasuredSizes, (std::vector<int32_t>{32, 2}));
}
