#include "gfx/transforms.h"

#include <algorithm>

#include "gfx/blend.h"
#include "gfx/low_level.h"
#include "gfx/resample.h"

namespace gfx {

TResampler ResampleNearest = NearestResampler;
TResampler ResampleBilinear = BilinearResampler;
TKernelResampler ResampleKernel = KernelResampler;

namespace {
struct EmmsGuard {
    ~EmmsGuard() { EMMS(); }
};

// Rectangles in 64 bits, so that offsets far outside the bitmaps cannot wrap.
struct TRect64 {
    int64_t Left, Top, Right, Bottom;
};
TRect64 Widen(const TRect& R) { return {R.Left, R.Top, R.Right, R.Bottom}; }
TRect64 Intersect(const TRect64& A, const TRect64& B) {
    return {std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
            std::min(A.Bottom, B.Bottom)};
}
bool IsEmpty(const TRect64& R) { return R.Right <= R.Left || R.Bottom <= R.Top; }
TRect Narrow(const TRect64& R) {
    return {int32_t(R.Left), int32_t(R.Top), int32_t(R.Right), int32_t(R.Bottom)};
}

[[noreturn]] void NoResampler() { throw ETransformError("Stretch resampling is not available"); }
} // namespace

void CheckBitmaps(const TBitmap32* Dst, const TBitmap32* Src) {
    if (!Dst || Dst->Empty()) throw ETransformError("Destination bitmap is nil or empty");
    if (!Src || Src->Empty()) throw ETransformError("Source bitmap is nil or empty");
}

bool CheckSrcRect(const TBitmap32* Src, const TRect& SrcRect) {
    if (IsRectEmpty(SrcRect)) return false;
    if (SrcRect.Left < 0 || SrcRect.Right > Src->Width() || SrcRect.Top < 0 || SrcRect.Bottom > Src->Height())
        throw ETransformError("Source rectangle is invalid");
    return true;
}

void BlendBlock(TBitmap32* Dst, const TRect& DstRect, TBitmap32* Src, int32_t SrcX, int32_t SrcY,
                TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) {
    const int32_t W = DstRect.Right - DstRect.Left;
    const TColor32* S = Src->GetPixelPtr(SrcX, SrcY);
    TColor32* D = Dst->GetPixelPtr(DstRect.Left, DstRect.Top);
    const int32_t SrcStride = Src->Width(), DstStride = Dst->Width();
    const uint32_t M = Src->MasterAlpha();
    for (int32_t Y = DstRect.Top; Y < DstRect.Bottom; ++Y, S += SrcStride, D += DstStride) {
        switch (CombineOp) {
        case dmOpaque: MoveLongword(S, D, W); break;
        case dmBlend:
            if (M < 255)
                BlendLineEx(S, D, W, M);
            else
                BlendLine(S, D, W);
            break;
        case dmCustom:
            for (int32_t I = 0; I < W; ++I)
                CombineCallBack(S[I], D[I], M);
            break;
        }
    }
}

void BlockTransfer(TBitmap32* Dst, int32_t DstX, int32_t DstY, TRect DstClip, TBitmap32* Src, TRect SrcRect,
                   TDrawMode CombineOp, const TPixelCombineEvent& CombineCallBack) {
    if (Src && Src->Empty()) return;
    CheckBitmaps(Dst, Src);
    if (CombineOp == dmCustom && !CombineCallBack) CombineOp = dmOpaque;
    if (CombineOp == dmBlend && Src->MasterAlpha() == 0) return;

    const int64_t SrcX = SrcRect.Left, SrcY = SrcRect.Top;
    const TRect64 Clip = Intersect(Widen(DstClip), Widen(Dst->BoundsRect()));
    const TRect64 Source = Intersect(Widen(SrcRect), Widen(Src->BoundsRect()));
    const int64_t Dx = DstX - SrcX, Dy = DstY - SrcY;
    const TRect64 Area =
        Intersect({Source.Left + Dx, Source.Top + Dy, Source.Right + Dx, Source.Bottom + Dy}, Clip);
    if (IsEmpty(Area)) return;

    EmmsGuard Emms;
    BlendBlock(Dst, Narrow(Area), Src, int32_t(Area.Left - Dx), int32_t(Area.Top - Dy), CombineOp,
               CombineCallBack);
}

void StretchTransfer(TBitmap32* Dst, TRect DstRect, TRect DstClip, TBitmap32* Src, TRect SrcRect,
                     TStretchFilter StretchFilter, TDrawMode CombineOp,
                     const TPixelCombineEvent& CombineCallBack) {
    if (Src && Src->Empty()) return;
    CheckBitmaps(Dst, Src);
    if (!CheckSrcRect(Src, SrcRect)) return;
    const TRect64 Clip = Intersect(Intersect(Widen(DstClip), Widen(Dst->BoundsRect())), Widen(DstRect));
    if (IsEmpty(Clip)) return;
    if (CombineOp == dmCustom && !CombineCallBack) CombineOp = dmOpaque;
    if (CombineOp == dmBlend && Src->MasterAlpha() == 0) return;

    const int64_t SrcW = int64_t(SrcRect.Right) - SrcRect.Left, SrcH = int64_t(SrcRect.Bottom) - SrcRect.Top;
    const int64_t DstW = int64_t(DstRect.Right) - DstRect.Left, DstH = int64_t(DstRect.Bottom) - DstRect.Top;
    const TRect ClipRect = Narrow(Clip);

    EmmsGuard Emms;
    if (DstW == SrcW && DstH == SrcH) {
        BlendBlock(Dst, ClipRect, Src, int32_t(SrcRect.Left + Clip.Left - DstRect.Left),
                   int32_t(SrcRect.Top + Clip.Top - DstRect.Top), CombineOp, CombineCallBack);
        return;
    }
    switch (StretchFilter) {
    case sfNearest:
        if (!ResampleNearest) NoResampler();
        ResampleNearest(Dst, DstRect, ClipRect, Src, SrcRect, CombineOp, CombineCallBack);
        break;
    case sfLinear:
        if (DstW > SrcW && DstH > SrcH) {
            if (!ResampleBilinear) NoResampler();
            ResampleBilinear(Dst, DstRect, ClipRect, Src, SrcRect, CombineOp, CombineCallBack);
            break;
        }
        [[fallthrough]];
    default:
        if (!ResampleKernel) NoResampler();
        ResampleKernel(Dst, DstRect, ClipRect, Src, SrcRect, StretchFilter, CombineOp, CombineCallBack);
        break;
    }
}

} // namespace gfx
