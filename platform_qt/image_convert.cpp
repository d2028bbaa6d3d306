#include "platform_qt/image_convert.h"

#include <QClipboard>
#include <QGuiApplication>

namespace platform_qt {

namespace {
void DrawImage(const QImage& Image, gfx::TDeviceContext& DC, const gfx::TRect& Rect) {
    if (Image.isNull()) return;
    const QImage Pixels = Image.convertToFormat(QImage::Format_ARGB32);
    DC.StretchDIBits(Rect.Left, Rect.Top, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top, 0, 0,
                     Pixels.width(), Pixels.height(),
                     reinterpret_cast<const gfx::TColor32*>(Pixels.constBits()), Pixels.width(),
                     Pixels.height());
}
} // namespace

void TQtBitmap::Draw(gfx::TDeviceContext& DC, const gfx::TRect& Rect) const { DrawImage(Image_, DC, Rect); }

void TQtBitmap::SetDIB32(int32_t Width, int32_t Height) {
    DC_.reset();
    Image_ = Width > 0 && Height > 0 ? QImage(Width, Height, QImage::Format_ARGB32) : QImage();
    if (!Image_.isNull()) Image_.fill(0);
}

gfx::TDeviceContext& TQtBitmap::CanvasHandle() {
    if (!DC_) DC_ = std::make_unique<TQImageDC>(&Image_);
    return *DC_;
}

void TQtGraphic::Draw(gfx::TDeviceContext& DC, const gfx::TRect& Rect) const { DrawImage(Image_, DC, Rect); }

gfx::TBitmap& TQtPicture::RequireBitmap() {
    if (!Bitmap()) Graphic_ = std::make_unique<TQtBitmap>();
    return *Bitmap();
}

std::unique_ptr<gfx::TPicture> TQtClipboard::GetPicture() const {
    const QImage Image = QGuiApplication::clipboard()->image();
    if (Image.isNull()) return std::make_unique<TQtPicture>();
    return std::make_unique<TQtPicture>(std::make_unique<TQtBitmap>(Image));
}

void TQtClipboard::SetBitmap(gfx::TBitmap& Bitmap) {
    if (auto* Qt = dynamic_cast<TQtBitmap*>(&Bitmap)) QGuiApplication::clipboard()->setImage(Qt->Image());
}

} // namespace platform_qt
