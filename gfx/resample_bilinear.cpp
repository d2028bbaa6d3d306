// The bilinear magnifier: each destination pixel mixes the four source pixels
// around its position, red with blue and alpha with green in one multiply
// each, with weights of 256 = 1.0 and truncation at every step.
#include <vector>

#include "gfx/combine_pixel.h"
#include "gfx/float_math.h"
#include "gfx/pixel_memory.h"
#include "gfx/resample.h"
#include "gfx/resample_support.h"

namespace gfx {

namespace {
// One destination column (or row): the source pixel Index0 with Weight
// (0..256) and Index1 with 256 - Weight.
struct TLinearEntry {
    int32_t Index0, Index1;
    uint32_t Weight;
};

// Positions before the first or beyond the last pixel of the source span take
// that pixel whole, so nothing outside the span is read.
std::vector<TLinearEntry> LinearMap(int32_t DstLo, int32_t DstHi, int32_t ClipLo, int32_t ClipHi,
                                    int32_t SrcLo, int32_t SrcHi) {
    const int64_t SrcW = int64_t(SrcHi) - SrcLo, DstW = int64_t(DstHi) - DstLo;
    const long double Scale = MappingScale(SrcW, DstW);
    const int32_t Last = SrcHi - 1;
    std::vector<TLinearEntry> Map(size_t(int64_t(ClipHi) - ClipLo));
    for (size_t K = 0; K < Map.size(); ++K) {
        const long double X = SamplePosition(int64_t(ClipLo) - DstLo + int64_t(K), Scale, SrcLo);
        int32_t Ix;
        uint32_t W = 256;
        if (X < SrcLo)
            Ix = SrcLo;
        else if (X > Last)
            Ix = Last;
        else {
            Ix = FloorToInt(X);
            W = uint32_t(256 - RoundToInt((X - Ix) * 256));
        }
        // The last pixel is reached as the second of a pair whose first weighs 0.
        if (Ix == Last)
            Map[K] = SrcW == 1 ? TLinearEntry{Ix, Ix, 256} : TLinearEntry{Ix - 1, Ix, 0};
        else
            Map[K] = {Ix, Ix + 1, W};
    }
    return Map;
}

// P0 weighted W and P1 weighted 256 - W, as red-blue and alpha-green pairs.
inline void MixPair(TColor32 P0, TColor32 P1, uint32_t W, uint32_t& RB, uint32_t& AG) {
    const uint32_t V = 256 - W;
    RB = (((P0 & 0x00FF00FF) * W + (P1 & 0x00FF00FF) * V) >> 8) & 0x00FF00FF;
    AG = ((((P0 >> 8) & 0x00FF00FF) * W + ((P1 >> 8) & 0x00FF00FF) * V) >> 8) & 0x00FF00FF;
}
} // namespace

void BilinearResampler(TBitmap32* Dst, const TRect& DstRect, const TRect& DstClip, TBitmap32* Src,
                       const TRect& SrcRect, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) {
    TRect Clip;
    if (!ResampleArea(Dst, DstRect, DstClip, Src, SrcRect, Clip)) return;
    if (int64_t(DstRect.Right) - DstRect.Left <= int64_t(SrcRect.Right) - SrcRect.Left ||
        int64_t(DstRect.Bottom) - DstRect.Top <= int64_t(SrcRect.Bottom) - SrcRect.Top)
        ResampleAssertionFailed();
    if (CombineOp == dmCustom && !CombineCallBack) CombineOp = dmOpaque;

    const std::vector<TLinearEntry> MapX = WithPixelMemory([&] {
        return LinearMap(DstRect.Left, DstRect.Right, Clip.Left, Clip.Right, SrcRect.Left, SrcRect.Right);
    });
    const std::vector<TLinearEntry> MapY = WithPixelMemory([&] {
        return LinearMap(DstRect.Top, DstRect.Bottom, Clip.Top, Clip.Bottom, SrcRect.Top, SrcRect.Bottom);
    });
    const uint32_t M = Src->MasterAlpha();
    for (size_t R = 0; R < MapY.size(); ++R) {
        const TLinearEntry& V = MapY[R];
        const TColor32* Row0 = Src->GetScanLine(V.Index0);
        const TColor32* Row1 = Src->GetScanLine(V.Index1);
        TColor32* D = Dst->GetScanLine(Clip.Top + int32_t(R)) + Clip.Left;
        // The column pair is mixed once for each run of equal source columns.
        int32_t PairX = -1;
        uint32_t RB0 = 0, AG0 = 0, RB1 = 0, AG1 = 0;
        for (size_t C = 0; C < MapX.size(); ++C) {
            const TLinearEntry& H = MapX[C];
            if (H.Index0 != PairX) {
                PairX = H.Index0;
                MixPair(Row0[H.Index0], Row1[H.Index0], V.Weight, RB0, AG0);
                MixPair(Row0[H.Index1], Row1[H.Index1], V.Weight, RB1, AG1);
            }
            const uint32_t W = H.Weight, Rest = 256 - W;
            const TColor32 Color =
                ((AG0 * W + AG1 * Rest) & 0xFF00FF00) | (((RB0 * W + RB1 * Rest) >> 8) & 0x00FF00FF);
            CombinePixel(Color, D[C], CombineOp, M, CombineCallBack);
        }
    }
}

} // namespace gfx
