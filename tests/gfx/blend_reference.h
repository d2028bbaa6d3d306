// The two blend sets written straight from their formulas, channel by
// channel, with the signatures of the routine variables: to check the
// library's routines, and (installed in the variables) the drawing code that
// blends without calling through them.
#pragma once

#include "gfx_test_support.h"

namespace gfx_test {

using gfx::TColor32;

inline int ClampW(TColor32 W) { return W > 255 ? 255 : int(W); }
inline int AlphaOf(TColor32 C) { return int(C >> 24); }

// part(x, w) + part(y, 255 - w) on four channels, or on three with alpha 0.
inline TColor32 Plain4(TColor32 X, TColor32 Y, int W) {
    return PerChannel([&](int S) { return Part(Chan(X, S), W) + Part(Chan(Y, S), 255 - W); });
}
inline TColor32 Plain3(TColor32 X, TColor32 Y, int W) { return Plain4(X, Y, W) & 0x00FFFFFF; }
// mix(x, y, w) on four channels.
inline TColor32 Mmx4(TColor32 X, TColor32 Y, int W) {
    return PerChannel([&](int S) { return Mix(Chan(X, S), Chan(Y, S), W); });
}
// ((M + 1) * alpha) div 256.
inline int ExW(TColor32 F, TColor32 M) { return ((ClampW(M) + 1) * AlphaOf(F)) >> 8; }

// The routines of the MMX set (Mmx) or the integer set.
template <bool Mmx> struct Ref {
    // The mixed colour of both sets, and the integer set's mix without alpha.
    static TColor32 Mixed4(TColor32 X, TColor32 Y, int W) { return Mmx ? Mmx4(X, Y, W) : Plain4(X, Y, W); }
    static TColor32 Mixed3(TColor32 X, TColor32 Y, int W) { return Mmx ? Mmx4(X, Y, W) : Plain3(X, Y, W); }

    static TColor32 CombineReg(TColor32 X, TColor32 Y, TColor32 W) {
        const int V = ClampW(W);
        return Mmx ? Mmx4(X, Y, V) : V == 0 ? Y : V == 255 ? X : Plain4(X, Y, V);
    }
    static void CombineMem(TColor32 F, TColor32& B, TColor32 W) {
        const int V = ClampW(W);
        if (V != 0) B = V == 255 ? F : Mixed3(F, B, V);
    }
    static TColor32 BlendReg(TColor32 F, TColor32 B) {
        const int A = AlphaOf(F);
        return Mmx ? Mmx4(F, B, A) : A == 255 ? F : A == 0 ? B : Plain4(F, B, A);
    }
    static void BlendMem(TColor32 F, TColor32& B) {
        const int A = AlphaOf(F);
        if (A != 0) B = A == 255 ? F : Mixed4(F, B, A);
    }
    static TColor32 BlendRegEx(TColor32 F, TColor32 B, TColor32 M) {
        const int W = ExW(F, M);
        return W == 0 ? B : Mixed3(F, B, W);
    }
    static void BlendMemEx(TColor32 F, TColor32& B, TColor32 M) { B = BlendRegEx(F, B, M); }
    static void BlendLine(const TColor32* Src, TColor32* Dst, int32_t Count) {
        for (int32_t I = 0; I < Count; ++I)
            BlendMem(Src[I], Dst[I]);
    }
    // The MMX row form weighs by (alpha + 1) * M.
    static void BlendLineEx(const TColor32* Src, TColor32* Dst, int32_t Count, TColor32 M) {
        for (int32_t I = 0; I < Count; ++I) {
            const int W = Mmx ? ((AlphaOf(Src[I]) + 1) * ClampW(M)) >> 8 : ExW(Src[I], M);
            if (W != 0) Dst[I] = Mixed3(Src[I], Dst[I], W);
        }
    }
};

// Points the routine variables at the reference routines of one set for a
// test (so that drawing code finds routines other than the library's own and
// calls them for every pixel) and restores the start-up choice after it.
class ReferenceBlendScope {
  public:
    explicit ReferenceBlendScope(bool Mmx) : Saved_(gfx::MMX_ACTIVE) {
        gfx::SelectBlendRoutines(Mmx);
        Mmx ? Install<true>() : Install<false>();
    }
    ~ReferenceBlendScope() { gfx::SelectBlendRoutines(Saved_); }
    ReferenceBlendScope(const ReferenceBlendScope&) = delete;
    ReferenceBlendScope& operator=(const ReferenceBlendScope&) = delete;

  private:
    template <bool Mmx> static void Install() {
        gfx::CombineReg = Ref<Mmx>::CombineReg;
        gfx::CombineMem = Ref<Mmx>::CombineMem;
        gfx::BlendReg = Ref<Mmx>::BlendReg;
        gfx::BlendMem = Ref<Mmx>::BlendMem;
        gfx::BlendRegEx = Ref<Mmx>::BlendRegEx;
        gfx::BlendMemEx = Ref<Mmx>::BlendMemEx;
        gfx::BlendLine = Ref<Mmx>::BlendLine;
        gfx::BlendLineEx = Ref<Mmx>::BlendLineEx;
    }
    bool Saved_;
};

} // namespace gfx_test
