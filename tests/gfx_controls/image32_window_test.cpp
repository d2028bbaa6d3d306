// The image control on screen: the bitmap placed by alignment and scale mode,
// pixels with alpha 0 shown in their colour, repaints driven by the bitmap's
// changes and coalesced, degenerate sizes, and mouse input in bitmap terms.
#include "controls_test_support.h"

#include <QPainter>

using namespace gfx;
using namespace controls_test;

namespace {

constexpr TWinColor kBackground = 0x305070; // the control's colour: RGB 0x705030
constexpr TColor32 kFill = 0x705030;

struct Placement {
    const char* Name;
    int BitmapW, BitmapH, Block;
    std::function<void(TImage32&)> Setup;
    // Colour at control (X, Y); Pixel(X, Y) reads the bitmap.
    std::function<TColor32(int X, int Y, const std::function<TColor32(int, int)>& Pixel)> Model;
};

// The control is 100 x 80 in every case.
constexpr int kW = 100, kH = 80;

TColor32 Inside(int X, int Y, int L, int T, int W, int H, const std::function<TColor32(int, int)>& Pixel,
                int Num = 1, int Den = 1) {
    if (X < L || Y < T || X >= L + W || Y >= T + H) return kFill;
    return Pixel((X - L) * Den / Num, (Y - T) * Den / Num);
}

const Placement kPlacements[] = {
    {"top-left at scale 1", 64, 48, 1, [](TImage32&) {},
     [](int X, int Y, auto& P) { return Inside(X, Y, 0, 0, 64, 48, P); }},
    {"centred", 64, 48, 1, [](TImage32& I) { I.SetBitmapAlign(baCenter); },
     [](int X, int Y, auto& P) { return Inside(X, Y, 18, 16, 64, 48, P); }},
    {"centred, larger than the control", 120, 90, 1, [](TImage32& I) { I.SetBitmapAlign(baCenter); },
     [](int X, int Y, auto& P) { return P(X + 10, Y + 5); }},
    {"tiled", 30, 20, 1, [](TImage32& I) { I.SetBitmapAlign(baTile); },
     [](int X, int Y, auto& P) { return P(X % 30, Y % 20); }},
    {"custom offset, rounded half to even", 40, 30, 1,
     [](TImage32& I) {
         I.SetBitmapAlign(baCustom);
         I.SetOffsetHorz(10.5f);
         I.SetOffsetVert(7.5f);
     },
     [](int X, int Y, auto& P) { return Inside(X, Y, 10, 8, 40, 30, P); }},
    {"stretched", 50, 40, 1, [](TImage32& I) { I.SetScaleMode(smStretch); },
     [](int X, int Y, auto& P) { return P(X / 2, Y / 2); }},
    {"scaled by 3", 20, 10, 1,
     [](TImage32& I) {
         I.SetScaleMode(smScale);
         I.SetScale(3);
     },
     [](int X, int Y, auto& P) { return Inside(X, Y, 0, 0, 60, 30, P, 3, 1); }},
    {"scaled by one half", 64, 48, 2,
     [](TImage32& I) {
         I.SetScaleMode(smScale);
         I.SetScale(0.5f);
     },
     [](int X, int Y, auto& P) { return Inside(X, Y, 0, 0, 32, 24, P, 1, 2); }},
    {"fitted with its aspect ratio, centred", 50, 20, 1,
     [](TImage32& I) {
         I.SetScaleMode(smResize);
         I.SetBitmapAlign(baCenter);
     },
     [](int X, int Y, auto& P) { return Inside(X, Y, 0, 20, 100, 40, P, 2, 1); }},
};

class ImageWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        Image.SetColor(kBackground);
        Image.SetBounds(0, 0, kW, kH);
    }
    TImage32 Image;
};

TEST_F(ImageWindow, TheBitmapIsPlacedByAlignmentAndScaleMode) {
    for (const Placement& C : kPlacements) {
        SCOPED_TRACE(C.Name);
        TImage32 I;
        I.SetColor(kBackground);
        I.SetBounds(0, 0, kW, kH);
        FillBlocks(*I.Bitmap(), C.BitmapW, C.BitmapH, C.Block);
        C.Setup(I);
        const auto Pixel = [&](int X, int Y) { return I.Bitmap()->Pixel(X, Y); };
        EXPECT_TRUE(PictureIs(Painted(I), kW, kH, [&](int X, int Y) { return C.Model(X, Y, Pixel); }));
    }
}

TEST_F(ImageWindow, ANewColourOfTheControlOrItsParentRepaintsTheBackground) {
    QWidget Parent;
    Parent.resize(kW, kH);
    auto* Child = new TImage32(&Parent);
    Child->SetBounds(0, 0, kW, kH);
    Child->Bitmap()->SetSize(10, 10);
    Parent.grab();
    QPalette P = Parent.palette();
    P.setColor(QPalette::Window, QColor(0x12, 0x34, 0x56));
    Parent.setPalette(P);
    EXPECT_EQ(Child->Color(), 0x563412);
    EXPECT_EQ(Painted(*Child).pixel(50, 50) & 0xFFFFFF, 0x123456u);
    Child->SetColor(kBackground);
    EXPECT_EQ(Painted(*Child).pixel(50, 50) & 0xFFFFFF, kFill);
}

TEST_F(ImageWindow, PixelsWithAlphaZeroShowTheirColourOnEveryKindOfTarget) {
    Image.Bitmap()->SetSize(kW, kH);
    Image.Bitmap()->Clear(0x00C0FFEE); // alpha 0, as the machine draws
    Image.Bitmap()->SetPixel(5, 5, 0x80102030);
    // An opaque target, one with premultiplied alpha and one with plain alpha.
    for (const QImage::Format F :
         {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_ARGB32}) {
        QImage Target(kW, kH, F);
        Target.fill(Qt::black);
        Image.render(&Target);
        EXPECT_EQ(Target.pixel(0, 0), 0xFFC0FFEEu) << F;
        EXPECT_EQ(Target.pixel(5, 5), 0xFF102030u) << F;
    }
    ASSERT_TRUE(ShowAndWait(Image));
    EXPECT_EQ(OnScreen(Image).pixel(kW - 1, kH - 1), 0xFFC0FFEEu);
}

TEST_F(ImageWindow, ADrawnPixelReachesTheWindowAtTheNextPaintAndNothingElseChanges) {
    Image.SetBounds(0, 0, 640, 400);
    Image.Bitmap()->SetSize(640, 400);
    Image.Bitmap()->Clear(0x00000000);
    CompositionCounter Compositions(Image);
    ASSERT_TRUE(ShowAndWait(Image));
    const QImage Before = OnScreen(Image);
    const int Composed = Compositions.Count;

    Image.Bitmap()->FillRectS(321, 123, 322, 124, 0x0000FF00);
    EXPECT_EQ(Compositions.Count, Composed) << "the change only asks for a paint";
    EXPECT_EQ(OnScreen(Image), Before);
    RunPaints();
    EXPECT_EQ(Compositions.Count, Composed + 1);
    const QImage After = OnScreen(Image);
    EXPECT_TRUE(PictureIs(After, 640, 400, [&](int X, int Y) {
        return X == 321 && Y == 123 ? 0x00FF00u : Before.pixel(X, Y);
    }));
}

TEST_F(ImageWindow, ManyChangesBetweenTwoPaintsCostOneComposition) {
    Image.Bitmap()->SetSize(kW, kH);
    CompositionCounter Compositions(Image);
    ASSERT_TRUE(ShowAndWait(Image));
    const int Composed = Compositions.Count;
    for (int I = 0; I < 200; ++I)
        Image.Bitmap()->FillRectS(I % kW, I % kH, I % kW + 8, I % kH + 16, 0x00FFFFFF);
    RunPaints();
    RunPaints();
    EXPECT_EQ(Compositions.Count, Composed + 1);
    // A paint request with nothing changed copies the buffer without composing it.
    Image.repaint();
    EXPECT_EQ(Compositions.Count, Composed + 1);
}

TEST_F(ImageWindow, AControlOfSizeZeroAndATinyScalePaintWithoutFailing) {
    FillBlocks(*Image.Bitmap(), 640, 400, 1);
    Image.SetBounds(0, 0, 0, 0);
    EXPECT_EQ(Image.BitmapToControl({10, 20}), (TPoint{10, 20}));
    EXPECT_EQ(Image.BitmapTransform(), UnitTransform);
    EXPECT_TRUE(IsRectEmpty(Image.BitmapRectCache()));
    Image.show(); // a window of no size is never exposed: nothing is painted
    RunPaints();
    Image.hide();

    // 640 x 0.001 rounds to 1 and 400 x 0.001 to 0: nothing of the bitmap shows.
    Image.SetBounds(0, 0, kW, kH);
    Image.SetScaleMode(smScale);
    Image.SetScale(0);
    EXPECT_EQ(Image.Scale(), 0.001f);
    EXPECT_EQ(Image.GetBitmapSize(), (TSize{1, 0}));
    EXPECT_TRUE(PictureIs(Painted(Image), kW, kH, [](int, int) { return kFill; }));
    EXPECT_EQ(Image.ControlToBitmap({7, 9}), (TPoint{7, 9}));
    // One step up, the whole bitmap shrinks into one pixel.
    Image.SetScale(0.002f);
    EXPECT_EQ(Image.GetBitmapSize(), (TSize{1, 1}));
    const QImage Picture = Painted(Image);
    EXPECT_NE(Picture.pixel(0, 0) & 0xFFFFFF, kFill);
    EXPECT_EQ(Picture.pixel(1, 0) & 0xFFFFFF, kFill);
}

TEST_F(ImageWindow, MouseInputArrivesInControlCoordinatesAndConvertsToTheBitmap) {
    Image.Bitmap()->SetSize(40, 30);
    Image.SetScaleMode(smScale);
    Image.SetScale(2);
    Image.SetBitmapAlign(baCenter); // 80 x 60 at (10, 10)
    std::vector<std::string> Log;
    Image.OnMouseDown = [&](TObject* Sender, TMouseButton B, TShiftState S, int32_t X, int32_t Y,
                            TCustomLayer* L) {
        const TPoint P = Image.ControlToBitmap({X, Y});
        Log.push_back("down " + std::to_string(B) + " " + std::to_string(S) + " " + std::to_string(X) + "," +
                      std::to_string(Y) + " -> " + std::to_string(P.X) + "," + std::to_string(P.Y) +
                      (L ? " layer" : "") + (Sender == &Image ? "" : " other"));
        Log.push_back(Image.MouseCapture() ? "captured" : "free");
    };
    Image.OnMouseMove = [&](TObject*, TShiftState S, int32_t X, int32_t Y, TCustomLayer*) {
        Log.push_back("move " + std::to_string(S) + " " + std::to_string(X) + "," + std::to_string(Y));
    };
    Image.OnMouseUp = [&](TObject*, TMouseButton B, TShiftState, int32_t X, int32_t Y, TCustomLayer*) {
        Log.push_back("up " + std::to_string(B) + " " + std::to_string(X) + "," + std::to_string(Y));
        Log.push_back(Image.MouseCapture() ? "captured" : "free");
    };
    ASSERT_TRUE(ShowAndWait(Image));
    QTest::mousePress(&Image, Qt::LeftButton, Qt::ShiftModifier, QPoint(31, 21));
    QTest::mouseMove(&Image, QPoint(50, 40));
    QTest::mouseRelease(&Image, Qt::LeftButton, {}, QPoint(50, 40));
    QTest::mousePress(&Image, Qt::RightButton, {}, QPoint(10, 69));
    QTest::mouseRelease(&Image, Qt::RightButton, {}, QPoint(10, 69));
    const std::vector<std::string> Want = {
        "down 0 9 31,21 -> 10,5",
        "captured",     // ssShift | ssLeft
        "move 8 50,40", // ssLeft held
        "up 0 50,40",
        "free",
        "down 1 16 10,69 -> 0,29",
        "free",
        "up 1 10,69",
        "free",
    };
    EXPECT_EQ(Log, Want);
}

TEST_F(ImageWindow, PointConversionsRoundTripAtSeveralScales) {
    Image.Bitmap()->SetSize(400, 400);
    Image.SetBounds(0, 0, 640, 400);
    Image.SetScaleMode(smScale);
    Image.SetBitmapAlign(baCenter);
    // Scales whose inverse is exact in 16.16; at 256 the products pass 32 bits.
    for (const float Scale : {1.0f, 2.0f, 4.0f, 256.0f}) {
        Image.SetScale(Scale);
        for (const TPoint P : {TPoint{0, 0}, TPoint{399, 1}, TPoint{123, 321}, TPoint{-7, 30000}}) {
            const TPoint C = Image.BitmapToControl(P);
            EXPECT_EQ(Image.ControlToBitmap(C), P) << "scale " << Scale << " at " << P.X << "," << P.Y;
        }
    }
    // At 100 the bitmap is 40000 pixels wide, centred at (-19680, -19800).
    Image.SetScale(100);
    EXPECT_EQ(Image.BitmapToControl({30000, 300}), (TPoint{3000000 - 19680, 30000 - 19800}));
    // At 3 the inverse factor is rounded (21845 for 21845.33): truncation gives one less.
    Image.SetScale(3);
    Image.UpdateCache();
    EXPECT_EQ(Image.BitmapTransform().InvMulX, 21845);
    EXPECT_EQ(Image.ControlToBitmap(Image.BitmapToControl({399, 3})), (TPoint{398, 2}));
    Image.SetScale(0.5f);
    Image.SetBitmapAlign(baTopLeft);
    EXPECT_EQ(Image.ControlToBitmap({100, 50}), (TPoint{200, 100}));
    EXPECT_EQ(Image.BitmapToControl({200, 100}), (TPoint{100, 50}));
}

} // namespace
