// The paint box: the back buffer's size rules, paints that copy the buffer,
// TPaintBox32's event, Flush, the overlay, arrow keys and focus on a press.
#include "controls_test_support.h"

#include <QShortcut>
#include <QVBoxLayout>

#include "gfx/controls/paint_box.h"

using namespace gfx;
using namespace controls_test;

namespace {

TEST(PaintBox, TheBufferFollowsTheViewportWithAnOversizeMargin) {
    TCustomPaintBox32 Box;
    EXPECT_EQ(Box.Width(), 192);
    EXPECT_EQ(Box.Height(), 192);
    EXPECT_TRUE(Box.Buffer()->Empty()) << "sized by the first resize or paint";
    struct Step {
        int W, H;
        int BufferW, BufferH;
    };
    const Step Steps[] = {
        {640, 400, 680, 440},                                             // grows to the viewport plus 40
        {700, 400, 740, 440}, {700, 400, 740, 440}, {720, 430, 740, 440}, // within the margin: kept
        {699, 400, 699, 440}, // 41 too large: shrinks to the viewport
        {0, 400, 1, 440},     // never below one pixel
        {0, 0, 1, 1},
    };
    for (const Step& S : Steps) {
        Box.SetBounds(0, 0, S.W, S.H); // hidden: Qt would report the size only when shown
        EXPECT_EQ(Box.Buffer()->Width(), S.BufferW) << S.W << "x" << S.H;
        EXPECT_EQ(Box.Buffer()->Height(), S.BufferH) << S.W << "x" << S.H;
    }
    // A plain Qt resize of a hidden control is caught up with at the paint.
    Box.resize(300, 200);
    EXPECT_EQ(Box.Buffer()->Width(), 1);
    Box.grab();
    EXPECT_EQ(Box.Buffer()->Width(), 340);
    EXPECT_EQ(Box.Buffer()->Height(), 240);

    Box.SetBufferOversize(-5);
    EXPECT_EQ(Box.BufferOversize(), 0);
    for (const auto& [W, H] : {std::pair{301, 199}, std::pair{350, 180}}) {
        Box.SetBounds(0, 0, W, H); // no margin: the buffer is the viewport
        EXPECT_EQ(Box.Buffer()->Width(), W);
        EXPECT_EQ(Box.Buffer()->Height(), H);
    }
}

TEST(PaintBox, ResizesAndInvalidationMarkTheBufferOutOfDate) {
    TCustomPaintBox32 Box;
    int Resizes = 0;
    Box.OnResize = [&](TObject* Sender) { Resizes += Sender == &Box; };
    Box.grab();
    EXPECT_TRUE(Box.BufferUpToDate);
    Box.SetBounds(0, 0, 50, 60);
    EXPECT_FALSE(Box.BufferUpToDate);
    EXPECT_EQ(Resizes, 2); // the first paint's, then SetBounds'
    Box.grab();
    Box.Invalidate();
    EXPECT_FALSE(Box.BufferUpToDate);
    Box.grab();
    Box.Loaded();
    EXPECT_FALSE(Box.BufferUpToDate);
    Box.grab();
    Box.SetBounds(5, 5, 50, 60); // moved only: still recomposed, no resize
    EXPECT_FALSE(Box.BufferUpToDate);
    EXPECT_EQ(Resizes, 2);
}

TEST(PaintBox, APaintBox32RaisesOnPaintBufferOnEveryPaintAndShowsItsBuffer) {
    TPaintBox32 Box;
    Box.SetBounds(0, 0, 40, 30);
    int Paints = 0;
    Box.OnPaintBuffer = [&](TObject*) {
        ++Paints;
        Box.Buffer()->Clear(0x00101010 * uint32_t(Paints)); // alpha 0
    };
    std::vector<TColor32> Overlay;
    Box.OnGDIOverlay = [&](TObject*) {
        // Drawn over the copied buffer, on the window's canvas.
        TBitmap32 Dot;
        Dot.SetSize(2, 2);
        Dot.Clear(0xFFFF0000);
        Dot.DrawTo(Box.Canvas()->Handle(), 10, 10);
        Overlay.push_back(Box.Buffer()->Pixel(0, 0));
    };
    Box.grab();
    const QImage Second = Painted(Box);
    EXPECT_EQ(Paints, 2);
    EXPECT_EQ(Overlay, (std::vector<TColor32>{0x00101010, 0x00202020}));
    EXPECT_TRUE(PictureIs(Second, 40, 30, [](int X, int Y) {
        return X >= 10 && X < 12 && Y >= 10 && Y < 12 ? 0xFF0000u : 0x202020u;
    }));
    EXPECT_EQ(Box.Canvas()->Handle(), nullptr) << "the canvas draws on the window only during a paint";
}

TEST(PaintBox, FlushCopiesTheBufferAsItIsClippedToTheBuffer) {
    TCustomPaintBox32 Box; // its composition leaves the buffer as it is
    Box.SetBounds(0, 0, 60, 50);
    ASSERT_TRUE(ShowAndWait(Box));
    ASSERT_TRUE(Box.BufferUpToDate);
    EXPECT_EQ(Box.Buffer()->Width(), 100);
    Box.Buffer()->Clear(0x00336699); // not shown until flushed
    EXPECT_EQ(OnScreen(Box).pixel(0, 0) & 0xFFFFFF, 0u);

    Box.Flush({-30, 40, 20, 1000}); // reaches past the buffer on three sides
    EXPECT_TRUE(
        PictureIs(OnScreen(Box), 60, 50, [](int X, int Y) { return X < 20 && Y >= 40 ? 0x336699u : 0; }));
    Box.Flush({100, 0, 200, 50}); // wholly outside the buffer: nothing
    Box.Flush({5, 5, 5, 20});     // empty: nothing
    EXPECT_TRUE(
        PictureIs(OnScreen(Box), 60, 50, [](int X, int Y) { return X < 20 && Y >= 40 ? 0x336699u : 0; }));
    Box.Flush();
    EXPECT_TRUE(PictureIs(OnScreen(Box), 60, 50, [](int, int) { return 0x336699u; }));
    EXPECT_TRUE(Box.BufferUpToDate);
}

TEST(PaintBox, APendingRepaintThatQtFoldsIntoAFlushIsNotLost) {
    TCustomPaintBox32 Box;
    Box.SetBounds(0, 0, 60, 50);
    ASSERT_TRUE(ShowAndWait(Box));
    ASSERT_TRUE(Box.BufferUpToDate);
    Box.Buffer()->Clear(0x00336699);
    // The window system asks for the right half, and before it is answered
    // the left 40 columns are flushed: one paint answers both.
    Box.update(30, 0, 30, 50);
    Box.Flush({0, 0, 40, 50});
    RunPaints();
    EXPECT_TRUE(PictureIs(OnScreen(Box), 60, 50, [](int, int) { return 0x336699u; }));
}

TEST(PaintBox, ArrowKeysGoToTheControlOnlyWhenItWantsThem) {
    QWidget Window;
    auto* Box = new TCustomPaintBox32(&Window);
    auto* Layout = new QVBoxLayout(&Window);
    Layout->addWidget(Box);
    int WindowArrows = 0;
    QShortcut Shortcut(QKeySequence(Qt::Key_Left), &Window);
    QObject::connect(&Shortcut, &QShortcut::activated, [&] { ++WindowArrows; });
    ASSERT_TRUE(ShowAndWait(Window));
    Window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    Box->SetFocus();
    ASSERT_TRUE(Box->hasFocus());

    EXPECT_EQ(Box->GetDlgCode(), 0u);
    QTest::keyClick(Box, Qt::Key_Left);
    EXPECT_EQ(WindowArrows, 1);
    Box->SetOptions(pboWantArrowKeys);
    EXPECT_EQ(Box->GetDlgCode(), DLGC_WANTARROWS);
    QTest::keyClick(Box, Qt::Key_Left);
    EXPECT_EQ(WindowArrows, 1);
}

TEST(PaintBox, APressFocusesTheControlOnlyWithAutoFocus) {
    QWidget Window;
    auto* Other = new QWidget(&Window);
    Other->setFocusPolicy(Qt::StrongFocus);
    auto* Box = new TCustomPaintBox32(&Window);
    auto* Layout = new QVBoxLayout(&Window);
    Layout->addWidget(Other);
    Layout->addWidget(Box);
    std::vector<TMouseButton> Presses;
    Box->OnMouseDown = [&](TObject*, TMouseButton B, TShiftState, int32_t, int32_t) { Presses.push_back(B); };
    ASSERT_TRUE(ShowAndWait(Window));
    Window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    Other->setFocus();

    QTest::mouseClick(Box, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(Other->hasFocus());
    Box->SetOptions(pboAutoFocus);
    QTest::mouseClick(Box, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_TRUE(Box->hasFocus());
    Other->setFocus();
    Box->setEnabled(false); // cannot take the focus
    Box->SetFocus();
    EXPECT_TRUE(Other->hasFocus());
    EXPECT_FALSE(Box->CanFocus());
    EXPECT_EQ(Presses, (std::vector<TMouseButton>{mbLeft, mbRight}));
}

} // namespace
