// Device contexts for the graphics library over Qt: a view of a QImage, and
// the QPainter of a widget's paint event. Pixels reach windows as RGB32, so
// their alpha (0 on the emulated screen) is ignored there.
#pragma once

#include <QImage>
#include <QPainter>

#include "gfx/device_context.h"

namespace platform_qt {

// A QImage view of a block of 32-bit pixels (no copy), as RGB32 or ARGB32.
QImage PixelView(const gfx::TColor32* Bits, int Width, int Height,
                 QImage::Format Format = QImage::Format_RGB32);

// A context over a QImage held elsewhere (32 bits per pixel).
class TQImageDC : public gfx::TDeviceContext {
  public:
    explicit TQImageDC(QImage* Image) : Image_(Image) {}
    void StretchDIBits(int32_t DstX, int32_t DstY, int32_t DstW, int32_t DstH, int32_t SrcX, int32_t SrcY,
                       int32_t SrcW, int32_t SrcH, const gfx::TColor32* Bits, int32_t BitsWidth,
                       int32_t BitsHeight) override;
    bool ReadPixels(int32_t X, int32_t Y, int32_t W, int32_t H, gfx::TColor32* Out) const override;
    gfx::TColor32* PixelMemory() const override;
    int32_t Width() const override { return Image_->width(); }
    int32_t Height() const override { return Image_->height(); }

  private:
    QImage* Image_;
};

// A context over the painter of a paint event; it can be drawn on, not read.
class TPainterDC : public gfx::TDeviceContext {
  public:
    explicit TPainterDC(QPainter* Painter) : Painter_(Painter) {}
    void StretchDIBits(int32_t DstX, int32_t DstY, int32_t DstW, int32_t DstH, int32_t SrcX, int32_t SrcY,
                       int32_t SrcW, int32_t SrcH, const gfx::TColor32* Bits, int32_t BitsWidth,
                       int32_t BitsHeight) override;
    bool ReadPixels(int32_t, int32_t, int32_t, int32_t, gfx::TColor32*) const override { return false; }
    int32_t Width() const override;
    int32_t Height() const override;

  private:
    QPainter* Painter_;
};

} // namespace platform_qt
