#include "platform_qt/device_context.h"

#include <algorithm>
#include <cstring>

namespace platform_qt {

QImage PixelView(const gfx::TColor32* Bits, int Width, int Height, QImage::Format Format) {
    return QImage(reinterpret_cast<const uchar*>(Bits), Width, Height, Width * 4, Format);
}

namespace {
// Nearest-pixel copy of a block onto a painter, without smoothing.
void DrawBlock(QPainter& P, int32_t DstX, int32_t DstY, int32_t DstW, int32_t DstH, int32_t SrcX,
               int32_t SrcY, int32_t SrcW, int32_t SrcH, const gfx::TColor32* Bits, int32_t BitsWidth,
               int32_t BitsHeight, QImage::Format Format) {
    if (!Bits || DstW <= 0 || DstH <= 0 || SrcW <= 0 || SrcH <= 0 || BitsWidth <= 0 || BitsHeight <= 0)
        return;
    const QImage Source = PixelView(Bits, BitsWidth, BitsHeight, Format);
    P.save();
    P.setCompositionMode(QPainter::CompositionMode_Source);
    P.setRenderHint(QPainter::SmoothPixmapTransform, false);
    P.drawImage(QRect(DstX, DstY, DstW, DstH), Source, QRect(SrcX, SrcY, SrcW, SrcH));
    P.restore();
}
} // namespace

void TQImageDC::StretchDIBits(int32_t DstX, int32_t DstY, int32_t DstW, int32_t DstH, int32_t SrcX,
                              int32_t SrcY, int32_t SrcW, int32_t SrcH, const gfx::TColor32* Bits,
                              int32_t BitsWidth, int32_t BitsHeight) {
    if (Image_->isNull()) return;
    QPainter P(Image_);
    // An image that keeps alpha receives all four bytes; others take RGB32.
    const QImage::Format Format = Image_->hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    DrawBlock(P, DstX, DstY, DstW, DstH, SrcX, SrcY, SrcW, SrcH, Bits, BitsWidth, BitsHeight, Format);
}

bool TQImageDC::ReadPixels(int32_t X, int32_t Y, int32_t W, int32_t H, gfx::TColor32* Out) const {
    if (W <= 0 || H <= 0) return true;
    std::fill_n(Out, size_t(W) * size_t(H), gfx::TColor32(0));
    const QImage Image = Image_->format() == QImage::Format_ARGB32 || Image_->format() == QImage::Format_RGB32
                             ? *Image_
                             : Image_->convertToFormat(QImage::Format_ARGB32);
    for (int64_t Row = std::max<int64_t>(0, -int64_t(Y)); Row < H; ++Row) {
        const int64_t Sy = int64_t(Y) + Row;
        if (Sy >= Image.height()) break;
        const auto* Line = reinterpret_cast<const gfx::TColor32*>(Image.constScanLine(int(Sy)));
        for (int64_t Col = std::max<int64_t>(0, -int64_t(X)); Col < W; ++Col) {
            const int64_t Sx = int64_t(X) + Col;
            if (Sx >= Image.width()) break;
            Out[Row * W + Col] = Line[Sx];
        }
    }
    return true;
}

gfx::TColor32* TQImageDC::PixelMemory() const {
    const QImage::Format F = Image_->format();
    if (F != QImage::Format_ARGB32 && F != QImage::Format_RGB32) return nullptr;
    return reinterpret_cast<gfx::TColor32*>(Image_->bits());
}

void TPainterDC::StretchDIBits(int32_t DstX, int32_t DstY, int32_t DstW, int32_t DstH, int32_t SrcX,
                               int32_t SrcY, int32_t SrcW, int32_t SrcH, const gfx::TColor32* Bits,
                               int32_t BitsWidth, int32_t BitsHeight) {
    // Qt copies RGB32 pixels unchanged onto a target that keeps alpha (a
    // translucent window, a premultiplied backing store), where alpha 0 would
    // read as transparent. The part of the block in use goes out with alpha 255.
    if (!Bits || SrcW <= 0 || SrcH <= 0) return;
    const int64_t X0 = std::max<int64_t>(SrcX, 0), X1 = std::min<int64_t>(int64_t(SrcX) + SrcW, BitsWidth);
    const int64_t Y0 = std::max<int64_t>(SrcY, 0), Y1 = std::min<int64_t>(int64_t(SrcY) + SrcH, BitsHeight);
    if (X1 <= X0 || Y1 <= Y0) return;
    QImage Opaque(int(X1 - X0), int(Y1 - Y0), QImage::Format_RGB32);
    for (int64_t Y = Y0; Y < Y1; ++Y) {
        const gfx::TColor32* From = Bits + Y * BitsWidth + X0;
        auto* To = reinterpret_cast<gfx::TColor32*>(Opaque.scanLine(int(Y - Y0)));
        for (int64_t X = 0; X < X1 - X0; ++X)
            To[X] = From[X] | 0xFF000000u;
    }
    DrawBlock(*Painter_, DstX, DstY, DstW, DstH, int32_t(SrcX - X0), int32_t(SrcY - Y0), SrcW, SrcH,
              reinterpret_cast<const gfx::TColor32*>(Opaque.constBits()), Opaque.width(), Opaque.height(),
              QImage::Format_RGB32);
}

int32_t TPainterDC::Width() const { return Painter_->device() ? Painter_->device()->width() : 0; }
int32_t TPainterDC::Height() const { return Painter_->device() ? Painter_->device()->height() : 0; }

} // namespace platform_qt
