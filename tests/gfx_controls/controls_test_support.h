// Shared helpers of the window control tests: showing a control, reading what
// it painted, a model-picture comparison and a composition counter.
#pragma once

#include "fixtures/qt_test_app.h"
#include "gfx/gfx_test_support.h"

#include <QCoreApplication>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <functional>
#include <sstream>

#include "gfx/controls/image32.h"

namespace controls_test {

// What the control paints now (QWidget::grab runs a paint of its own).
inline QImage Painted(QWidget& W) { return W.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// What the window holds: the pixels of the paints that already ran.
inline QImage OnScreen(QWidget& W) {
    return W.screen()->grabWindow(W.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

// Shows the control as a window of its own and waits until it is painted.
inline bool ShowAndWait(QWidget& W) {
    W.show();
    const bool Exposed = QTest::qWaitForWindowExposed(&W);
    QCoreApplication::processEvents();
    return Exposed;
}

// Lets the event loop answer the paint requests made so far.
inline void RunPaints() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// Compares every pixel's colour (alpha aside) with a model of the picture.
inline ::testing::AssertionResult PictureIs(const QImage& Got, int Width, int Height,
                                            const std::function<gfx::TColor32(int X, int Y)>& Model) {
    if (Got.width() != Width || Got.height() != Height)
        return ::testing::AssertionFailure()
               << "picture is " << Got.width() << "x" << Got.height() << ", not " << Width << "x" << Height;
    int Wrong = 0;
    std::ostringstream First;
    for (int Y = 0; Y < Height; ++Y)
        for (int X = 0; X < Width; ++X) {
            const gfx::TColor32 Want = Model(X, Y) & 0xFFFFFF, Have = Got.pixel(X, Y) & 0xFFFFFF;
            if (Want != Have && Wrong++ < 3)
                First << " (" << X << "," << Y << ") is " << std::hex << Have << " not " << Want << std::dec;
        }
    if (Wrong == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Wrong << " pixels differ:" << First.str();
}

// A bitmap of Block x Block squares of one colour each, alpha 0 as on the
// machine's screen.
inline gfx::TColor32 BlockColour(int BX, int BY) {
    return gfx::TColor32(((BX * 53 + 17) & 0xFF) << 16 | ((BY * 97 + 29) & 0xFF) << 8 |
                         ((BX ^ BY) * 31 & 0xFF));
}
inline void FillBlocks(gfx::TBitmap32& B, int Width, int Height, int Block) {
    B.SetSize(Width, Height);
    for (int Y = 0; Y < Height; ++Y)
        for (int X = 0; X < Width; ++X)
            B.SetPixel(X, Y, BlockColour(X / Block, Y / Block));
    B.Changed();
}

// Counts compositions of the control's buffer through a custom stage at the end.
struct CompositionCounter {
    explicit CompositionCounter(gfx::TCustomImage32& Image) {
        *Image.PaintStages()->Add() = {false, true, gfx::skCustom, 0};
        Image.OnPaintStage = [this](gfx::TObject*, gfx::TBitmap32*, uint32_t) { ++Count; };
    }
    int Count = 0;
};

} // namespace controls_test
