// Drawing one bitmap onto another: same-size block transfers and stretched
// transfers, clipped, combined row by row by draw mode.
#pragma once

#include "gfx/bitmap32.h"
#include "gfx/geometry.h"
#include "platform/exceptions.h"

namespace gfx {

class ETransformError : public platform::Exception {
  public:
    using Exception::Exception;
};

// Copies or combines SrcRect of Src so that its top-left corner lands on
// (DstX, DstY) of Dst, within DstClip. A source rectangle reaching outside the
// source is cut.
void BlockTransfer(TBitmap32* Dst, int32_t DstX, int32_t DstY, TRect DstClip, TBitmap32* Src, TRect SrcRect,
                   TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack = {});

// Maps SrcRect of Src onto DstRect of Dst, within DstClip. Equal sizes take the
// block path; other sizes go to the resamplers.
void StretchTransfer(TBitmap32* Dst, TRect DstRect, TRect DstClip, TBitmap32* Src, TRect SrcRect,
                     TStretchFilter StretchFilter, TDrawMode CombineOp,
                     const TPixelCombineEvent& CombineCallBack = {});

void CheckBitmaps(const TBitmap32* Dst, const TBitmap32* Src);
bool CheckSrcRect(const TBitmap32* Src, const TRect& SrcRect);

// The row transfer: DstRect lies inside Dst, the matching block at (SrcX, SrcY)
// inside Src, DstRect is not empty.
void BlendBlock(TBitmap32* Dst, const TRect& DstRect, TBitmap32* Src, int32_t SrcX, int32_t SrcY,
                TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack);

// The resamplers for unequal sizes (gfx/resample.h); a program or a test may
// install others. A stretched transfer through a null one raises ETransformError.
using TResampler = void (*)(TBitmap32* Dst, const TRect& DstRect, const TRect& DstClip, TBitmap32* Src,
                            const TRect& SrcRect, TDrawMode CombineOp,
                            const TPixelCombineEvent& CombineCallBack);
using TKernelResampler = void (*)(TBitmap32* Dst, const TRect& DstRect, const TRect& DstClip, TBitmap32* Src,
                                  const TRect& SrcRect, TStretchFilter Filter, TDrawMode CombineOp,
                                  const TPixelCombineEvent& CombineCallBack);
extern TResampler ResampleNearest;
extern TResampler ResampleBilinear;
extern TKernelResampler ResampleKernel;

} // namespace gfx
