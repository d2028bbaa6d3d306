// Nearest-neighbour stretching: each destination pixel takes the source pixel
// its position falls on; rows that repeat a source row are copied or reuse
// the gathered row.
#include <vector>

#include "gfx/float_math.h"
#include "gfx/low_level.h"
#include "gfx/pixel_memory.h"
#include "gfx/resample.h"
#include "gfx/resample_support.h"
#include "gfx/transforms.h"

namespace gfx {

namespace {
// The source index of each pixel of the clipped span ClipLo..ClipHi: the
// source span's centre for a one-pixel destination, else the position, held
// as a 32-bit float, truncated (FullEdge) or rounded.
std::vector<int32_t> NearestMap(int32_t DstLo, int32_t DstHi, int32_t ClipLo, int32_t ClipHi, int32_t SrcLo,
                                int32_t SrcHi) {
    const int64_t SrcW = int64_t(SrcHi) - SrcLo, DstW = int64_t(DstHi) - DstLo;
    std::vector<int32_t> Map(size_t(int64_t(ClipHi) - ClipLo));
    if (DstW == 1) {
        Map[0] = int32_t((int64_t(SrcLo) + SrcHi - 1) / 2);
    } else {
        const long double Scale = MappingScale(SrcW, DstW);
        for (size_t K = 0; K < Map.size(); ++K) {
            // Not negative, so truncation is the floor.
            const float X = ScaledPosition(int64_t(ClipLo) - DstLo + int64_t(K), Scale, SrcLo);
            Map[K] = FullEdge ? FloorToInt(X) : RoundToInt(X);
        }
    }
    // The positions grow with the index: the ends bound them all.
    if (Map.front() < SrcLo || Map.back() >= SrcHi) ResampleAssertionFailed();
    return Map;
}
} // namespace

void NearestResampler(TBitmap32* Dst, const TRect& DstRect, const TRect& DstClip, TBitmap32* Src,
                      const TRect& SrcRect, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) {
    TRect Clip;
    if (!ResampleArea(Dst, DstRect, DstClip, Src, SrcRect, Clip)) return;
    if (CombineOp == dmCustom && !CombineCallBack) CombineOp = dmOpaque;
    if (int64_t(SrcRect.Right) - SrcRect.Left == int64_t(DstRect.Right) - DstRect.Left &&
        int64_t(SrcRect.Bottom) - SrcRect.Top == int64_t(DstRect.Bottom) - DstRect.Top) {
        BlendBlock(Dst, Clip, Src, int32_t(int64_t(SrcRect.Left) + Clip.Left - DstRect.Left),
                   int32_t(int64_t(SrcRect.Top) + Clip.Top - DstRect.Top), CombineOp, CombineCallBack);
        return;
    }

    const std::vector<int32_t> MapX = WithPixelMemory([&] {
        return NearestMap(DstRect.Left, DstRect.Right, Clip.Left, Clip.Right, SrcRect.Left, SrcRect.Right);
    });
    const std::vector<int32_t> MapY = WithPixelMemory([&] {
        return NearestMap(DstRect.Top, DstRect.Bottom, Clip.Top, Clip.Bottom, SrcRect.Top, SrcRect.Bottom);
    });
    const int32_t ClipW = Clip.Right - Clip.Left;
    auto Gather = [&](size_t R, TColor32* Out) {
        const TColor32* S = Src->GetScanLine(MapY[R]);
        for (int32_t C = 0; C < ClipW; ++C)
            Out[C] = S[MapX[size_t(C)]];
    };
    auto RepeatsRow = [&](size_t R) { return R > 0 && MapY[R] == MapY[R - 1]; };

    if (CombineOp == dmOpaque) {
        for (size_t R = 0; R < MapY.size(); ++R) {
            TColor32* D = Dst->GetScanLine(Clip.Top + int32_t(R)) + Clip.Left;
            if (RepeatsRow(R))
                MoveLongword(D - Dst->Width(), D, ClipW);
            else
                Gather(R, D);
        }
        return;
    }

    const std::unique_ptr<TColor32[]> Row = NewPixelMemory<TColor32>(uint64_t(ClipW));
    const uint32_t M = Src->MasterAlpha();
    for (size_t R = 0; R < MapY.size(); ++R) {
        TColor32* D = Dst->GetScanLine(Clip.Top + int32_t(R)) + Clip.Left;
        if (!RepeatsRow(R)) Gather(R, Row.get());
        if (CombineOp == dmBlend) {
            if (M >= 255)
                BlendLine(Row.get(), D, ClipW);
            else
                BlendLineEx(Row.get(), D, ClipW, M);
        } else {
            for (int32_t C = 0; C < ClipW; ++C)
                CombineCallBack(Row[C], D[C], M);
        }
    }
}

} // namespace gfx
