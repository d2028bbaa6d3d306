// The image view: the viewport beside its bars and grip, a bitmap smaller
// than the viewport centred (half pixels kept), a larger one scrolled by the
// bars (by the user, by Scroll, to a centre point), and the size grip.
#include "bars_test_support.h"

#include <QStyle>

#include "gfx/controls/img_view32.h"

using namespace gfx;
using namespace controls_test;
using namespace bars_test;

namespace {

constexpr TWinColor kBackground = 0x203040;
constexpr TColor32 kFill = 0x403020;

// A 300 x 200 view with 20-pixel bars: a 280 x 180 viewport.
class View : public ::testing::Test {
  protected:
    void SetUp() override {
        V.SetColor(kBackground);
        V.ScrollBars()->SetSize(20);
        V.SetBounds(0, 0, 300, 200);
    }
    // Compares the viewport with the bitmap placed at (-ScrollX, -ScrollY).
    ::testing::AssertionResult ViewportShows(int Left, int Top) {
        const QImage P = Painted(V).copy(0, 0, 280, 180);
        const TBitmap32& B = *V.Bitmap();
        return PictureIs(P, 280, 180, [&](int X, int Y) {
            const int BX = X - Left, BY = Y - Top;
            return B.Inside(BX, BY) ? B.Pixel(BX, BY) : kFill;
        });
    }
    TImgView32 V;
};

TEST_F(View, TheBarsAndTheGripSurroundTheViewport) {
    EXPECT_EQ(V.GetViewportRect(), (TRect{0, 0, 280, 180}));
    EXPECT_EQ(V.HorzBar()->geometry(), QRect(0, 180, 280, 20));
    EXPECT_EQ(V.VertBar()->geometry(), QRect(280, 0, 20, 180));
    EXPECT_EQ(V.VertBar()->Kind(), sbVertical);
    EXPECT_EQ(V.GetSizeGripRect(), (TRect{280, 180, 300, 200}));
    EXPECT_EQ(V.ScrollBars()->Size(), 20);

    V.ScrollBars()->SetSize(0); // the system's scroll bar width
    const int S = V.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &V);
    EXPECT_EQ(V.GetViewportRect(), (TRect{0, 0, 300 - S, 200 - S}));
    EXPECT_EQ(V.HorzBar()->geometry(), QRect(0, 200 - S, 300 - S, S));

    V.ScrollBars()->SetIncrement(20);
    EXPECT_EQ(V.VertBar()->Increment(), 20);
    V.ScrollBars()->SetStyle(rbsMac);
    EXPECT_EQ(V.VertBar()->Style(), rbsMac);
    try {
        V.SetScrollBars(V.ScrollBars());
        ADD_FAILURE() << "the scroll properties do not copy themselves";
    } catch (const EConvertError& E) {
        EXPECT_STREQ(E.what(), "Cannot assign a TIVScrollProperties to a TIVScrollProperties");
    }
}

TEST_F(View, ABitmapSmallerThanTheViewportIsCentred) {
    FillBlocks(*V.Bitmap(), 100, 50, 10);
    EXPECT_EQ(V.OffsetHorz(), 90);
    EXPECT_EQ(V.OffsetVert(), 65);
    EXPECT_TRUE(ViewportShows(90, 65));
    EXPECT_FALSE(V.HorzBar()->Enabled() && V.HorzBar()->Range() > V.HorzBar()->EffectiveWindow());

    V.Bitmap()->SetSize(101, 51); // the half pixel is kept
    EXPECT_EQ(V.OffsetHorz(), 89.5f);
    EXPECT_EQ(V.OffsetVert(), 64.5f);

    V.SetBounds(0, 0, 400, 300); // the centre moves with the viewport
    EXPECT_EQ(V.OffsetHorz(), 139.5f);
    EXPECT_EQ(V.OffsetVert(), 114.5f);

    V.SetCentered(false);
    EXPECT_EQ(V.OffsetHorz(), 0);
    EXPECT_EQ(V.OffsetVert(), 0);
}

TEST_F(View, ALargerBitmapIsScrolledByItsBars) {
    FillBlocks(*V.Bitmap(), 500, 400, 10);
    // Centred on its middle: the bars at 250 - 140 and 200 - 90.
    EXPECT_EQ(V.HorzBar()->Range(), 500);
    EXPECT_EQ(V.HorzBar()->Position(), 110);
    EXPECT_EQ(V.VertBar()->Position(), 110);
    EXPECT_TRUE(ViewportShows(-110, -110));

    V.Scroll(-30, 500); // clamped by the bars
    EXPECT_EQ(V.HorzBar()->Position(), 80);
    EXPECT_EQ(V.VertBar()->Position(), 220);
    EXPECT_TRUE(ViewportShows(-80, -220));

    V.SetScale(2); // displayed 1000 x 800
    V.ScrollToCenter(200, 100);
    EXPECT_EQ(V.HorzBar()->Position(), 260);
    EXPECT_EQ(V.VertBar()->Position(), 110);
    EXPECT_EQ(V.OffsetHorz(), -260);
    V.SetCentered(false); // to the top-left corner
    EXPECT_EQ(V.HorzBar()->Position(), 0);
    EXPECT_EQ(V.VertBar()->Position(), 0);
}

TEST_F(View, TheUserScrollsWithTheBars) {
    FillBlocks(*V.Bitmap(), 500, 400, 10);
    ASSERT_TRUE(ShowAndWait(V));
    int Scrolls = 0;
    V.OnScroll = [&](TObject* S) { Scrolls += S == &V; };
    TCustomRangeBar& Bar = *V.HorzBar();
    QTest::mouseClick(&Bar, Qt::LeftButton, {}, QPoint(275, 10)); // the next button: one Increment
    EXPECT_EQ(Bar.Position(), 118);
    EXPECT_EQ(Scrolls, 1);
    RunPaints();
    EXPECT_TRUE(ViewportShows(-118, -110));

    // Dragging the vertical handle by ten pixels.
    TCustomRangeBar& Vert = *V.VertBar();
    const float Before = Vert.Position();
    const QPoint Grip(10, 20 + 40 + 10); // in the handle: 180 - 40 = 140 long track, handle 63 long at 38
    QTest::mousePress(&Vert, Qt::LeftButton, {}, Grip);
    QTest::mouseMove(&Vert, Grip + QPoint(0, 10));
    QTest::mouseRelease(&Vert, Qt::LeftButton, {}, Grip + QPoint(0, 10));
    EXPECT_FLOAT_EQ(Vert.Position(), Before + 400.0f * 10 / 140);
    EXPECT_EQ(V.OffsetVert(), -Vert.Position());
    EXPECT_EQ(Scrolls, 2);

    V.Scroll(5, 5); // the view's own moves are not the user's
    EXPECT_EQ(Scrolls, 2);
}

TEST_F(View, TheSizeGripShowsWhenAskedOrWhenTheViewFillsAWindow) {
    auto Face = [&] {
        const QImage P = Painted(V);
        int Other = 0;
        for (int Y = 180; Y < 200; ++Y)
            for (int X = 280; X < 300; ++X)
                Other += (P.pixel(X, Y) & 0xFFFFFF) != (Color32(clBtnFace) & 0xFFFFFF);
        return Other == 0;
    };
    EXPECT_FALSE(V.IsSizeGripVisible()) << "not client-aligned";
    EXPECT_TRUE(Face());
    V.SetSizeGrip(sgAlways);
    EXPECT_TRUE(V.IsSizeGripVisible());
    EXPECT_FALSE(Face()) << "ridges drawn";

    QWidget Form;
    auto* Panel = new TPaintBox32(&Form);
    auto* Inner = new TImgView32(Panel);
    Inner->SetAlign(alClient);
    EXPECT_FALSE(Inner->IsSizeGripVisible()) << "the panel does not fill the form";
    Panel->SetAlign(alClient);
    EXPECT_TRUE(Inner->IsSizeGripVisible());
    Inner->SetSizeGrip(sgNone);
    EXPECT_FALSE(Inner->IsSizeGripVisible());
}

} // namespace
