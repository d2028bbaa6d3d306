// The integer blend set: part(c, w) = (c * w + 128) div 256 per channel, the
// two parts of a mix rounded separately (see blend_kernels.h).
#include "gfx/blend_kernels.h"

namespace gfx {

using namespace blend_kernels;

TColor32 CombineRegPlain(TColor32 X, TColor32 Y, TColor32 W) {
    W = ClampWeight(W);
    if (W == 0) return Y;
    if (W == 255) return X;
    return Combine4(X, Y, W);
}

void CombineMemPlain(TColor32 F, TColor32& B, TColor32 W) { TPlainKernels::CombineMem(F, B, W); }

TColor32 BlendRegPlain(TColor32 F, TColor32 B) {
    const uint32_t A = F >> 24;
    if (A == 255) return F;
    if (A == 0) return B;
    return Combine4(F, B, A);
}

void BlendMemPlain(TColor32 F, TColor32& B) { TPlainKernels::BlendMem(F, B); }

TColor32 BlendRegExPlain(TColor32 F, TColor32 B, TColor32 M) {
    const uint32_t W = ExWeight(F, M);
    return W == 0 ? B : Combine3(F, B, W);
}

void BlendMemExPlain(TColor32 F, TColor32& B, TColor32 M) { TPlainKernels::BlendMemEx(F, B, M); }

void BlendLinePlain(const TColor32* Src, TColor32* Dst, int32_t Count) {
    for (int32_t I = 0; I < Count; ++I)
        TPlainKernels::BlendMem(Src[I], Dst[I]);
}

void BlendLineExPlain(const TColor32* Src, TColor32* Dst, int32_t Count, TColor32 M) {
    for (int32_t I = 0; I < Count; ++I)
        TPlainKernels::BlendMemEx(Src[I], Dst[I], M);
}

} // namespace gfx
