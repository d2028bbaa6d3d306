// TBitmap32: drawing onto other bitmaps and onto device contexts.
#include <algorithm>

#include "gfx/bitmap32.h"
#include "gfx/transforms.h"

namespace gfx {

namespace {
bool CanDraw(const TBitmap32& Src, const TBitmap32* Dst) { return !Src.Empty() && Dst && !Dst->Empty(); }
} // namespace

void TBitmap32::DrawTo(TBitmap32* Dst) {
    if (!CanDraw(*this, Dst)) return;
    BlockTransfer(Dst, 0, 0, Dst->BoundsRect(), this, BoundsRect(), DrawMode_, OnPixelCombine);
    Dst->Changed();
}

void TBitmap32::DrawTo(TBitmap32* Dst, int32_t DstX, int32_t DstY) {
    if (!CanDraw(*this, Dst)) return;
    BlockTransfer(Dst, DstX, DstY, Dst->BoundsRect(), this, BoundsRect(), DrawMode_, OnPixelCombine);
    Dst->Changed();
}

void TBitmap32::DrawTo(TBitmap32* Dst, const TRect& DstRect) {
    if (!CanDraw(*this, Dst)) return;
    StretchTransfer(Dst, DstRect, Dst->BoundsRect(), this, BoundsRect(), StretchFilter_, DrawMode_,
                    OnPixelCombine);
    Dst->Changed();
}

void TBitmap32::DrawTo(TBitmap32* Dst, const TRect& DstRect, const TRect& SrcRect) {
    if (!CanDraw(*this, Dst)) return;
    StretchTransfer(Dst, DstRect, Dst->BoundsRect(), this, SrcRect, StretchFilter_, DrawMode_,
                    OnPixelCombine);
    Dst->Changed();
}

void TBitmap32::DrawTo(TDeviceContext* hDst, int32_t DstX, int32_t DstY) {
    if (Empty() || !hDst) return;
    hDst->StretchDIBits(DstX, DstY, Width(), Height(), 0, 0, Width(), Height(), Bits_, Width(), Height());
}

void TBitmap32::DrawTo(TDeviceContext* hDst, const TRect& DstRect, const TRect& SrcRect) {
    if (Empty() || !hDst) return;
    hDst->StretchDIBits(DstRect.Left, DstRect.Top, DstRect.Right - DstRect.Left, DstRect.Bottom - DstRect.Top,
                        SrcRect.Left, SrcRect.Top, SrcRect.Right - SrcRect.Left, SrcRect.Bottom - SrcRect.Top,
                        Bits_, Width(), Height());
}

void TBitmap32::Draw(int32_t DstX, int32_t DstY, TBitmap32* Src) {
    if (Src) Src->DrawTo(this, DstX, DstY);
}

void TBitmap32::Draw(const TRect& DstRect, const TRect& SrcRect, TBitmap32* Src) {
    if (Src) Src->DrawTo(this, DstRect, SrcRect);
}

void TBitmap32::Draw(const TRect& DstRect, const TRect& SrcRect, TDeviceContext* hSrc) {
    if (Empty() || !hSrc) return;
    Handle_->StretchBlt(DstRect.Left, DstRect.Top, DstRect.Right - DstRect.Left, DstRect.Bottom - DstRect.Top,
                        *hSrc, SrcRect.Left, SrcRect.Top, SrcRect.Right - SrcRect.Left,
                        SrcRect.Bottom - SrcRect.Top);
    Changed();
}

void TBitmap32::TileTo(TDeviceContext* hDst, const TRect& DstRect, const TRect& SrcRect) {
    constexpr int64_t kTile = 1024;
    const int64_t DstW = int64_t(DstRect.Right) - DstRect.Left, DstH = int64_t(DstRect.Bottom) - DstRect.Top;
    const int64_t TilesX = (DstW + kTile - 1) / kTile, TilesY = (DstH + kTile - 1) / kTile;
    if (TilesX <= 0 || TilesY <= 0) return;
    TBitmap32 Buffer;
    for (int64_t J = 0; J < TilesY; ++J) {
        for (int64_t I = 0; I < TilesX; ++I) {
            const int64_t X = I * kTile, Y = J * kTile;
            const int32_t TileW = int32_t(std::min((I + 1) * kTile, DstW) - X);
            const int32_t TileH = int32_t(std::min((J + 1) * kTile, DstH) - Y);
            Buffer.SetSize(TileW, TileH);
            // Each tile starts from a clean buffer, not from the previous tile's pixels.
            std::fill_n(Buffer.Bits(), size_t(TileW) * size_t(TileH), TColor32(0));
            TRect Shifted = DstRect;
            OffsetRect(Shifted, int32_t(-DstRect.Left - X), int32_t(-DstRect.Top - Y));
            StretchTransfer(&Buffer, Shifted, {0, 0, TileW, TileH}, this, SrcRect, StretchFilter_, DrawMode_,
                            OnPixelCombine);
            if (hDst)
                hDst->StretchDIBits(int32_t(DstRect.Left + X), int32_t(DstRect.Top + Y), TileW, TileH, 0, 0,
                                    Buffer.Width(), Buffer.Height(), Buffer.Bits(), Buffer.Width(),
                                    Buffer.Height());
        }
    }
}

} // namespace gfx
