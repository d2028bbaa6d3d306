// The "MMX" blend set as portable code with the vector routines' results:
// f * w + b * (256 - w) + 128, shifted right by 8, on all four channels. Two
// channels share one 32-bit lane pair; no lane can carry (at most 65408).
#include "gfx/blend.h"

namespace gfx {

namespace {
inline uint32_t Weight(TColor32 W) { return W > 255 ? 255 : W; }
inline TColor32 Mix(TColor32 F, TColor32 B, uint32_t W) {
    const uint32_t V = 256 - W;
    const uint32_t RB = (((F & 0x00FF00FF) * W + (B & 0x00FF00FF) * V + 0x00800080) >> 8) & 0x00FF00FF;
    const uint32_t AG = (((F >> 8) & 0x00FF00FF) * W + ((B >> 8) & 0x00FF00FF) * V + 0x00800080) & 0xFF00FF00;
    return RB | AG;
}
} // namespace

TColor32 CombineRegMmx(TColor32 X, TColor32 Y, TColor32 W) { return Mix(X, Y, Weight(W)); }

void CombineMemMmx(TColor32 F, TColor32& B, TColor32 W) {
    W = Weight(W);
    if (W == 0) return;
    B = W == 255 ? F : Mix(F, B, W);
}

TColor32 BlendRegMmx(TColor32 F, TColor32 B) { return Mix(F, B, F >> 24); }

void BlendMemMmx(TColor32 F, TColor32& B) {
    const uint32_t A = F >> 24;
    if (A == 0) return;
    B = A == 255 ? F : Mix(F, B, A);
}

TColor32 BlendRegExMmx(TColor32 F, TColor32 B, TColor32 M) {
    const uint32_t W = ((Weight(M) + 1) * (F >> 24)) >> 8;
    return W == 0 ? B : Mix(F, B, W);
}

void BlendMemExMmx(TColor32 F, TColor32& B, TColor32 M) {
    const uint32_t W = ((Weight(M) + 1) * (F >> 24)) >> 8;
    if (W != 0) B = Mix(F, B, W);
}

void BlendLineMmx(const TColor32* Src, TColor32* Dst, int32_t Count) {
    for (int32_t I = 0; I < Count; ++I)
        BlendMemMmx(Src[I], Dst[I]);
}

// The row form weighs by (alpha + 1) * M, where the single-pixel forms use
// (M + 1) * alpha.
void BlendLineExMmx(const TColor32* Src, TColor32* Dst, int32_t Count, TColor32 M) {
    M = Weight(M);
    for (int32_t I = 0; I < Count; ++I) {
        const uint32_t W = (((Src[I] >> 24) + 1) * M) >> 8;
        if (W != 0) Dst[I] = Mix(Src[I], Dst[I], W);
    }
}

} // namespace gfx
