// The integer blend set: red and blue through the mask 0x00FF00FF, alpha and
// green through 0xFF00FF00 shifted down, 128 added per channel.
#include "gfx/blend.h"

namespace gfx {

namespace {
inline uint32_t Weight(TColor32 W) { return W > 255 ? 255 : W; }
inline uint32_t PartRB(uint32_t C, uint32_t W) {
    return (((C & 0x00FF00FF) * W + 0x00800080) >> 8) & 0x00FF00FF;
}
inline uint32_t PartAG(uint32_t C, uint32_t W) {
    return (((C >> 8) & 0x00FF00FF) * W + 0x00800080) & 0xFF00FF00;
}
// part(X, W) + part(Y, 255 - W) on all four channels.
inline TColor32 Combine4(TColor32 X, TColor32 Y, uint32_t W) {
    return (PartRB(X, W) + PartRB(Y, 255 - W)) | (PartAG(X, W) + PartAG(Y, 255 - W));
}
// The same on red, green and blue; alpha 0.
inline TColor32 Combine3(TColor32 X, TColor32 Y, uint32_t W) {
    return (PartRB(X, W) + PartRB(Y, 255 - W)) | ((PartAG(X, W) + PartAG(Y, 255 - W)) & 0x0000FF00);
}
inline uint32_t ExWeight(TColor32 F, TColor32 M) { return ((Weight(M) + 1) * (F >> 24)) >> 8; }
} // namespace

TColor32 CombineRegPlain(TColor32 X, TColor32 Y, TColor32 W) {
    W = Weight(W);
    if (W == 0) return Y;
    if (W == 255) return X;
    return Combine4(X, Y, W);
}

void CombineMemPlain(TColor32 F, TColor32& B, TColor32 W) {
    W = Weight(W);
    if (W == 0) return;
    if (W == 255) {
        B = F;
        return;
    }
    B = Combine3(F, B, W);
}

TColor32 BlendRegPlain(TColor32 F, TColor32 B) {
    const uint32_t A = F >> 24;
    if (A == 255) return F;
    if (A == 0) return B;
    return Combine4(F, B, A);
}

void BlendMemPlain(TColor32 F, TColor32& B) {
    const uint32_t A = F >> 24;
    if (A == 0) return;
    B = A == 255 ? F : Combine4(F, B, A);
}

TColor32 BlendRegExPlain(TColor32 F, TColor32 B, TColor32 M) {
    const uint32_t W = ExWeight(F, M);
    return W == 0 ? B : Combine3(F, B, W);
}

void BlendMemExPlain(TColor32 F, TColor32& B, TColor32 M) {
    const uint32_t W = ExWeight(F, M);
    if (W != 0) B = Combine3(F, B, W);
}

void BlendLinePlain(const TColor32* Src, TColor32* Dst, int32_t Count) {
    for (int32_t I = 0; I < Count; ++I)
        BlendMemPlain(Src[I], Dst[I]);
}

void BlendLineExPlain(const TColor32* Src, TColor32* Dst, int32_t Count, TColor32 M) {
    for (int32_t I = 0; I < Count; ++I)
        BlendMemExPlain(Src[I], Dst[I], M);
}

} // namespace gfx
