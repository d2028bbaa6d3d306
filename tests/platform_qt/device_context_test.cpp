// The Qt device contexts and image wrappers with TBitmap32.
#include <QClipboard>
#include <QGuiApplication>

#include "gfx/gfx_test_support.h"
#include "platform_qt/canvas.h"
#include "platform_qt/device_context.h"
#include "platform_qt/image_convert.h"

using namespace gfx;
using namespace platform_qt;

namespace {
class QtApp : public ::testing::Environment {
  public:
    void SetUp() override {
        static int Argc = 1;
        static char Name[] = "gfx_qt_test";
        static char* Argv[] = {Name, nullptr};
        App = new QGuiApplication(Argc, Argv);
    }
    void TearDown() override { delete App; }
    QGuiApplication* App = nullptr;
};
::testing::Environment* const kQtApp = ::testing::AddGlobalTestEnvironment(new QtApp);
} // namespace

TEST(QtDeviceContext, ScreenCopyIsRgb32AndExact) {
    TBitmap32 B;
    B.SetSize(4, 3);
    gfx_test::FillMarkers(B);
    B.SetPixel(1, 1, 0x00ABCDEF); // alpha 0 on the emulated screen
    QImage Window(6, 5, QImage::Format_RGB32);
    Window.fill(Qt::black);
    TQImageDC DC(&Window);
    B.DrawTo(&DC, 1, 2);
    EXPECT_EQ(Window.pixel(2, 3), 0xFFABCDEFu);
    EXPECT_EQ(Window.pixel(1, 2), gfx_test::Marker(0, 0));
    EXPECT_EQ(Window.pixel(4, 4), gfx_test::Marker(3, 2));
    EXPECT_EQ(Window.pixel(5, 4), 0xFF000000u);

    // Through a widget-style painter, stretched by two.
    QImage Big(8, 6, QImage::Format_RGB32);
    Big.fill(Qt::black);
    {
        QPainter P(&Big);
        TPainterDC PDC(&P);
        EXPECT_EQ(PDC.Width(), 8);
        B.DrawTo(&PDC, TRect{0, 0, 8, 6}, B.BoundsRect());
    }
    EXPECT_EQ(Big.pixel(3, 3), 0xFFABCDEFu);
    EXPECT_EQ(Big.pixel(7, 5), gfx_test::Marker(3, 2));
}

TEST(QtDeviceContext, WindowsShowPixelsWithAlphaZeroOpaqueWhateverTheirFormat) {
    TBitmap32 B;
    B.SetSize(3, 2);
    B.Clear(0x00ABCDEF);
    B.SetPixel(2, 1, 0x40123456);
    for (const QImage::Format F : {QImage::Format_ARGB32_Premultiplied, QImage::Format_ARGB32}) {
        QImage Window(5, 4, F);
        Window.fill(Qt::black);
        {
            QPainter P(&Window);
            TPainterDC PDC(&P);
            B.DrawTo(&PDC, TRect{1, 1, 4, 3}, B.BoundsRect());
            // A source rectangle reaching past the block keeps its scale and place.
            B.DrawTo(&PDC, TRect{0, 3, 4, 4}, TRect{-1, 1, 3, 2});
        }
        EXPECT_EQ(Window.pixel(1, 1), 0xFFABCDEFu) << F;
        EXPECT_EQ(Window.pixel(3, 2), 0xFF123456u) << F;
        EXPECT_EQ(Window.pixel(0, 3), 0xFF000000u) << F;
        EXPECT_EQ(Window.pixel(1, 3), 0xFFABCDEFu) << F;
        EXPECT_EQ(Window.pixel(3, 3), 0xFF123456u) << F;
    }
}

TEST(QtDeviceContext, ReadBackIntoABitmap) {
    QImage Image(5, 5, QImage::Format_ARGB32);
    Image.fill(0x80112233);
    Image.setPixel(4, 4, 0xFF445566);
    TQImageDC DC(&Image);
    EXPECT_EQ(DC.PixelMemory(), reinterpret_cast<TColor32*>(Image.bits()));
    TBitmap32 B;
    B.SetSize(3, 3);
    B.Clear(0);
    B.Draw(TRect{0, 0, 3, 3}, TRect{2, 2, 5, 5}, &DC);
    EXPECT_EQ(B.Pixel(0, 0), 0x80112233u);
    EXPECT_EQ(B.Pixel(2, 2), 0xFF445566u);
}

TEST(QtImages, AssignFromAndToBitmapsPicturesAndClipboard) {
    QImage Rgb(3, 2, QImage::Format_RGB888);
    Rgb.fill(QColor(0x12, 0x34, 0x56));
    TQtBitmap Bitmap(Rgb);
    TBitmap32 B;
    B.Assign(&Bitmap);
    ASSERT_EQ(B.Width(), 3);
    EXPECT_EQ(B.Pixel(2, 1), 0xFF123456u); // alpha set for a bitmap under 32 bits

    QImage Argb(2, 2, QImage::Format_ARGB32);
    Argb.fill(0x40000000u);
    TQtPicture Picture(std::make_unique<TQtGraphic>(Argb));
    B.Assign(&Picture);
    EXPECT_EQ(B.Width(), 2);
    EXPECT_EQ(B.Pixel(0, 0) >> 24, 0xFFu); // graphics are drawn, then made opaque

    TQtPicture Empty;
    B.Assign(&Empty);
    EXPECT_TRUE(B.Empty());

    B.SetSize(2, 1);
    B.SetPixel(0, 0, 0xFFAA0000);
    B.SetPixel(1, 0, 0xFF00BB00);
    TQtPicture Out;
    Out.Assign(&B);
    ASSERT_NE(Out.Bitmap(), nullptr);
    const QImage& Copied = static_cast<TQtBitmap*>(Out.Bitmap())->Image();
    EXPECT_EQ(Copied.pixel(1, 0), 0xFF00BB00u);

    TQtClipboard Clipboard;
    Clipboard.Assign(&B);
    TBitmap32 Back;
    Back.Assign(&Clipboard);
    ASSERT_EQ(Back.Width(), 2);
    EXPECT_EQ(Back.Pixel(0, 0), 0xFFAA0000u);
}

TEST(QtCanvas, BitmapCanvasPaintsOnThePixels) {
    InstallQtCanvas();
    TBitmap32 B;
    B.SetSize(4, 4);
    B.Clear(0xFF000000);
    auto* Canvas = dynamic_cast<TQtCanvas*>(B.GetCanvas());
    ASSERT_NE(Canvas, nullptr);
    QImage View = Canvas->PixelImage();
    View.setPixel(1, 2, 0xFF00FF00);
    EXPECT_EQ(B.Pixel(1, 2), 0xFF00FF00u);
    CanvasFactory = nullptr;
    EXPECT_FALSE(StockSystemFont().family().isNull());
}
