#include <algorithm>

#include "gfx/device_context.h"

namespace gfx {

void StretchPixels(TColor32* Dst, int32_t DstWidth, int32_t DstHeight, int32_t DstX, int32_t DstY,
                   int32_t DstW, int32_t DstH, const TColor32* Src, int32_t SrcWidth, int32_t SrcHeight,
                   int32_t SrcX, int32_t SrcY, int32_t SrcW, int32_t SrcH, bool Opaque) {
    if (!Dst || !Src || DstW <= 0 || DstH <= 0 || SrcW <= 0 || SrcH <= 0) return;
    const TColor32 AlphaMask = Opaque ? 0xFF000000u : 0;
    const int64_t Y0 = std::max<int64_t>(DstY, 0), Y1 = std::min<int64_t>(int64_t(DstY) + DstH, DstHeight);
    const int64_t X0 = std::max<int64_t>(DstX, 0), X1 = std::min<int64_t>(int64_t(DstX) + DstW, DstWidth);
    for (int64_t Y = Y0; Y < Y1; ++Y) {
        const int64_t Sy = SrcY + ((2 * (Y - DstY) + 1) * SrcH) / (2 * int64_t(DstH));
        if (Sy < 0 || Sy >= SrcHeight) continue;
        const TColor32* SrcRow = Src + Sy * SrcWidth;
        TColor32* DstRow = Dst + Y * DstWidth;
        for (int64_t X = X0; X < X1; ++X) {
            const int64_t Sx = SrcX + ((2 * (X - DstX) + 1) * SrcW) / (2 * int64_t(DstW));
            if (Sx >= 0 && Sx < SrcWidth) DstRow[X] = SrcRow[Sx] | AlphaMask;
        }
    }
}

void TMemoryDC::StretchDIBits(int32_t DstX, int32_t DstY, int32_t DstW, int32_t DstH, int32_t SrcX,
                              int32_t SrcY, int32_t SrcW, int32_t SrcH, const TColor32* Bits,
                              int32_t BitsWidth, int32_t BitsHeight) {
    StretchPixels(Bits_, Width_, Height_, DstX, DstY, DstW, DstH, Bits, BitsWidth, BitsHeight, SrcX, SrcY,
                  SrcW, SrcH, false);
}

bool TMemoryDC::ReadPixels(int32_t X, int32_t Y, int32_t W, int32_t H, TColor32* Out) const {
    if (W <= 0 || H <= 0) return true;
    std::fill_n(Out, size_t(W) * size_t(H), TColor32(0));
    StretchPixels(Out, W, H, 0, 0, W, H, Bits_, Width_, Height_, X, Y, W, H, false);
    return true;
}

} // namespace gfx
