// Stretching one bitmap rectangle onto a destination rectangle of another
// size: nearest neighbour, a bilinear magnifier and a separable kernel
// resampler. StretchTransfer reaches them through its resampler variables.
// Pixel arithmetic is integer with weights of 256 = 1.0; floating point only
// builds the coordinate maps.
#pragma once

#include <vector>

#include "gfx/bitmap32.h"

namespace gfx {

// True: the destination's pixel centres spread over the whole source span
// (x = (i + 0.5) * SrcW / DstW + SrcLeft - 0.5). False: the first and last
// destination pixels sit on the first and last source pixels
// (x = i * (SrcW - 1) / (DstW - 1) + SrcLeft).
extern bool FullEdge;

// One weighted source pixel: an absolute source column (or row) and its
// weight, 256 = 1.0, negative for kernels with negative lobes.
struct TClusterEntry {
    int32_t SrcIndex;
    int32_t Weight;
    friend bool operator==(const TClusterEntry&, const TClusterEntry&) = default;
};
// The source pixels of one destination column (or row), ascending, weights summing to 256.
using TCluster = std::vector<TClusterEntry>;
// One cluster per destination pixel of the clipped span; empty: nothing to draw.
using TMappingTable = std::vector<TCluster>;

// Clusters of one axis: destination span DstLo..DstHi, clipped span
// ClipLo..ClipHi, source span SrcLo..SrcHi (all half-open).
void BuildClusterTable(int32_t DstLo, int32_t DstHi, int32_t ClipLo, int32_t ClipHi, int32_t SrcLo,
                       int32_t SrcHi, TStretchFilter StretchFilter, TMappingTable& Table);

// The resamplers write only destination pixels inside DstClip (cut to Dst and
// DstRect); SrcRect must lie inside Src. dmCustom without a callback copies.
void NearestResampler(TBitmap32* Dst, const TRect& DstRect, const TRect& DstClip, TBitmap32* Src,
                      const TRect& SrcRect, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack);
// Only for destinations larger than the source in both directions.
void BilinearResampler(TBitmap32* Dst, const TRect& DstRect, const TRect& DstClip, TBitmap32* Src,
                       const TRect& SrcRect, TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack);
void KernelResampler(TBitmap32* Dst, const TRect& DstRect, const TRect& DstClip, TBitmap32* Src,
                     const TRect& SrcRect, TStretchFilter StretchFilter, TDrawMode CombineOp,
                     const TPixelCombineEvent& CombineCallBack);

} // namespace gfx
