// The separable kernel resampler: per destination row, a vertical pass sums
// the weighted source rows into a buffer of columns, then a horizontal pass
// sums weighted columns into each destination pixel. Sums are 32-bit with 16
// fraction bits and wrap like the processor's registers.
#include <algorithm>
#include <limits>
#include <vector>

#include "gfx/combine_pixel.h"
#include "gfx/pixel_memory.h"
#include "gfx/resample.h"
#include "gfx/resample_support.h"

namespace gfx {

namespace {
// A channel sum carrying 16 fraction bits. Kernels with negative lobes clamp
// it to 0..255; the others keep its bits 16..23.
inline uint32_t Channel(uint32_t Sum, bool Clamp) {
    if (Clamp) {
        const int32_t S = int32_t(Sum);
        if (S > 0x00FF0000) return 255;
        if (S < 0) return 0;
    }
    return (Sum >> 16) & 0xFF;
}
} // namespace

void KernelResampler(TBitmap32* Dst, const TRect& DstRect, const TRect& DstClip, TBitmap32* Src,
                     const TRect& SrcRect, TStretchFilter StretchFilter, TDrawMode CombineOp,
                     const TPixelCombineEvent& CombineCallBack) {
    if (CombineOp == dmCustom && !CombineCallBack) CombineOp = dmOpaque;
    if (CombineOp == dmBlend && Src->MasterAlpha() == 0) return;
    TRect Clip;
    if (!ResampleArea(Dst, DstRect, DstClip, Src, SrcRect, Clip)) return;

    TMappingTable Horz, Vert;
    BuildClusterTable(DstRect.Left, DstRect.Right, Clip.Left, Clip.Right, SrcRect.Left, SrcRect.Right,
                      StretchFilter, Horz);
    BuildClusterTable(DstRect.Top, DstRect.Bottom, Clip.Top, Clip.Bottom, SrcRect.Top, SrcRect.Bottom,
                      StretchFilter, Vert);
    if (Horz.empty() || Vert.empty()) return;
    const bool Clamp = StretchFilter == sfLanczos || StretchFilter == sfMitchell;

    // The columns that any horizontal cluster reads; clusters need not start
    // or end in order, so every entry counts.
    int32_t MinX = std::numeric_limits<int32_t>::max(), MaxX = std::numeric_limits<int32_t>::min();
    for (const TCluster& H : Horz)
        for (const TClusterEntry& E : H) {
            MinX = std::min(MinX, E.SrcIndex);
            MaxX = std::max(MaxX, E.SrcIndex);
        }
    const size_t Columns = size_t(int64_t(MaxX) - MinX + 1);
    // Alpha, red, green and blue sums per column.
    std::vector<uint32_t> Buffer = WithPixelMemory([&] { return std::vector<uint32_t>(Columns * 4); });
    const uint32_t M = Src->MasterAlpha();

    for (int32_t Y = Clip.Top; Y < Clip.Bottom; ++Y) {
        std::fill(Buffer.begin(), Buffer.end(), 0u);
        for (const TClusterEntry& E : Vert[size_t(Y - Clip.Top)]) {
            const TColor32* S = Src->GetPixelPtr(MinX, E.SrcIndex);
            const uint32_t W = uint32_t(E.Weight);
            uint32_t* B = Buffer.data();
            for (size_t C = 0; C < Columns; ++C, B += 4) {
                const TColor32 P = S[C];
                B[0] += (P >> 24) * W;
                B[1] += ((P >> 16) & 0xFF) * W;
                B[2] += ((P >> 8) & 0xFF) * W;
                B[3] += (P & 0xFF) * W;
            }
        }
        TColor32* D = Dst->GetScanLine(Y) + Clip.Left;
        for (size_t X = 0; X < Horz.size(); ++X) {
            uint32_t A = 0, R = 0, G = 0, Bl = 0;
            for (const TClusterEntry& E : Horz[X]) {
                const uint32_t* B = &Buffer[size_t(E.SrcIndex - MinX) * 4];
                const uint32_t W = uint32_t(E.Weight);
                A += B[0] * W;
                R += B[1] * W;
                G += B[2] * W;
                Bl += B[3] * W;
            }
            const TColor32 Color = Channel(A, Clamp) << 24 | Channel(R, Clamp) << 16 |
                                   Channel(G, Clamp) << 8 | Channel(Bl, Clamp);
            CombinePixel(Color, D[X], CombineOp, M, CombineCallBack);
        }
    }
}

} // namespace gfx
