#include "gfx/resample_support.h"

#include "gfx/float_math.h"
#include "gfx/resample.h"
#include "platform/exceptions.h"

namespace gfx {

bool FullEdge = true;

float MappingScale(int64_t From, int64_t To) {
    if (FullEdge) return float(CheckedDiv(From, To));
    return float(CheckedDiv(From - 1, To - 1));
}

float ScaledPosition(int64_t I, long double Scale, int32_t Lo) { return float(I * Scale + Lo); }

float SamplePosition(int64_t I, long double Scale, int32_t Lo) {
    if (FullEdge) return float((I + 0.5L) * Scale + Lo - 0.5L);
    return ScaledPosition(I, Scale, Lo);
}

bool ResampleArea(const TBitmap32* Dst, const TRect& DstRect, const TRect& DstClip, const TBitmap32* Src,
                  const TRect& SrcRect, TRect& Clip) {
    if (!IntersectRect(Clip, DstClip, Dst->BoundsRect()) || !IntersectRect(Clip, Clip, DstRect) ||
        IsRectEmpty(Clip))
        return false;
    if (SrcRect.Left < 0 || SrcRect.Top < 0 || SrcRect.Right > Src->Width() || SrcRect.Bottom > Src->Height())
        throw platform::Exception("Invalid SrcRect");
    return !IsRectEmpty(SrcRect);
}

void ResampleAssertionFailed() { throw platform::EAssertionFailed("Assertion failure (Gfx_Transforms)"); }

} // namespace gfx
