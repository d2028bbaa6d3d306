// The "MMX" blend set as portable code with the vector routines' results:
// mix(f, b, w) = (f * w + b * (256 - w) + 128) div 256 on all four channels
// (see blend_kernels.h).
#include "gfx/blend_kernels.h"

namespace gfx {

using namespace blend_kernels;

TColor32 CombineRegMmx(TColor32 X, TColor32 Y, TColor32 W) { return Mix(X, Y, ClampWeight(W)); }

void CombineMemMmx(TColor32 F, TColor32& B, TColor32 W) { TMmxKernels::CombineMem(F, B, W); }

TColor32 BlendRegMmx(TColor32 F, TColor32 B) { return Mix(F, B, F >> 24); }

void BlendMemMmx(TColor32 F, TColor32& B) { TMmxKernels::BlendMem(F, B); }

TColor32 BlendRegExMmx(TColor32 F, TColor32 B, TColor32 M) {
    const uint32_t W = ExWeight(F, M);
    return W == 0 ? B : Mix(F, B, W);
}

void BlendMemExMmx(TColor32 F, TColor32& B, TColor32 M) { TMmxKernels::BlendMemEx(F, B, M); }

void BlendLineMmx(const TColor32* Src, TColor32* Dst, int32_t Count) {
    for (int32_t I = 0; I < Count; ++I)
        TMmxKernels::BlendMem(Src[I], Dst[I]);
}

// The row form weighs by (alpha + 1) * M, where the single-pixel forms use
// (M + 1) * alpha.
void BlendLineExMmx(const TColor32* Src, TColor32* Dst, int32_t Count, TColor32 M) {
    M = ClampWeight(M);
    for (int32_t I = 0; I < Count; ++I) {
        const uint32_t W = (((Src[I] >> 24) + 1) * M) >> 8;
        if (W != 0) Dst[I] = Mix(Src[I], Dst[I], W);
    }
}

} // namespace gfx
