// The arithmetic of the two blend sets as inline code: the routines of
// blend_plain.cpp and blend_mmx.cpp are built from it, and drawing loops that
// blend many pixels with one routine inline it instead of calling through the
// routine variables per pixel (see WithBlendKernels).
//
// Each channel of a colour sits in its own 16-bit lane of a 64-bit word (blue
// in bits 0-7, red 16-23, green 32-39, alpha 48-55), so that one multiply
// weighs all four channels; no lane ever carries into the next.
#pragma once

#include <cstdint>

#include "gfx/blend.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gfx::blend_kernels {

constexpr uint64_t kLanes = 0x00FF00FF00FF00FF;
constexpr uint64_t kHalf = 0x0080008000800080; // 128 in every lane

inline uint64_t Spread(TColor32 C) { return (uint64_t(C) | uint64_t(C) << 24) & kLanes; }
inline TColor32 Pack(uint64_t S) { return TColor32(S | S >> 24); }
inline uint32_t ClampWeight(TColor32 W) { return W > 255 ? 255 : W; }

// part(c, w) = (c * w + 128) div 256 in every lane: at most 65153 before the shift.
inline uint64_t Part(uint64_t S, uint32_t W) { return ((S * W + kHalf) >> 8) & kLanes; }

// Integer set: part(x, w) + part(y, 255 - w) per channel (never above 255).
inline TColor32 Combine4(TColor32 X, TColor32 Y, uint32_t W) {
    return Pack(Part(Spread(X), W) + Part(Spread(Y), 255 - W));
}
// The same with alpha 0.
inline TColor32 Combine3(TColor32 X, TColor32 Y, uint32_t W) { return Combine4(X, Y, W) & 0x00FFFFFF; }

// MMX set: mix(f, b, w) = (f * w + b * (256 - w) + 128) div 256 per channel.
// The true sum is at most 65408 per lane, and b * 256 + (f - b) * w gives the
// same 64-bit value with one multiply (the arithmetic wraps modulo 2^64).
inline TColor32 Mix(TColor32 F, TColor32 B, uint32_t W) {
    const uint64_t Fs = Spread(F), Bs = Spread(B);
    return Pack((((Bs << 8) + (Fs - Bs) * W + kHalf) >> 8) & kLanes);
}

// The weight of the Ex routines: ((M + 1) * alpha) div 256.
inline uint32_t ExWeight(TColor32 F, TColor32 M) { return ((ClampWeight(M) + 1) * (F >> 24)) >> 8; }

#if defined(__SSE2__)
// Two pixels at a time, a channel in each 16-bit word: the pixels are the low
// two double words of Old, F holds the colour's channels twice, and W holds
// each pixel's weight four times (0..255; for the integer set's CombineMem
// not 255, where it stores F instead).
namespace sse2 {
inline __m128i Words(__m128i Bytes) { return _mm_unpacklo_epi8(Bytes, _mm_setzero_si128()); }
inline __m128i ColourWords(TColor32 F) { return Words(_mm_set1_epi32(int(F))); }
// Weight A for the first pixel and B for the second.
inline __m128i WeightWords(uint32_t A, uint32_t B) {
    const __m128i W = _mm_cvtsi32_si128(int(A | B << 16));
    return _mm_unpacklo_epi32(_mm_unpacklo_epi16(W, W), _mm_unpacklo_epi16(W, W));
}

// The MMX set's mix: b * 256 + 128 + (f - b) * w equals the true sum modulo
// 2^16, and the true sum lies within 128..65408.
inline __m128i MixTwo(__m128i F, __m128i Old, __m128i W) {
    const __m128i B = Words(Old);
    const __m128i Base = _mm_add_epi16(_mm_slli_epi16(B, 8), _mm_set1_epi16(128));
    const __m128i New = _mm_srli_epi16(_mm_add_epi16(Base, _mm_mullo_epi16(_mm_sub_epi16(F, B), W)), 8);
    return _mm_packus_epi16(New, New);
}

// The integer set's part(f, w) + part(b, 255 - w), each product plus 128
// below 65536, with alpha 0; a pixel of weight 0 keeps its value.
inline __m128i CombineTwo(__m128i F, __m128i Old, __m128i W) {
    const __m128i Half = _mm_set1_epi16(128);
    const __m128i PartF = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(F, W), Half), 8);
    const __m128i Rest = _mm_sub_epi16(_mm_set1_epi16(255), W);
    const __m128i PartB = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(Words(Old), Rest), Half), 8);
    const __m128i Sum = _mm_add_epi16(PartF, PartB);
    const __m128i New = _mm_and_si128(_mm_packus_epi16(Sum, Sum), _mm_set1_epi32(0x00FFFFFF));
    const __m128i Unweighted = _mm_cmpeq_epi32(_mm_packus_epi16(W, W), _mm_setzero_si128());
    return _mm_or_si128(_mm_and_si128(Unweighted, Old), _mm_andnot_si128(Unweighted, New));
}

// Two pixels read one at a time and written back: a load that only overlaps
// an earlier store would wait for that store to reach the cache.
inline __m128i LoadTwo(const TColor32& A, const TColor32& B) {
    return _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(A)), _mm_cvtsi32_si128(int(B)));
}
inline void StoreTwo(__m128i New, TColor32& A, TColor32& B) {
    A = TColor32(_mm_cvtsi128_si32(New));
    B = TColor32(_mm_cvtsi128_si32(_mm_shuffle_epi32(New, 1)));
}
} // namespace sse2
#endif

// The memory forms of the MMX set (Mmx) or the integer set. Weights above 255
// count as 255. With the MMX set a weight of 0 mixes to B exactly, so only
// the opaque shortcut needs a test.
template <bool Mmx> struct TSetKernels {
    static constexpr bool kMmx = Mmx;
    static void CombineMem(TColor32 F, TColor32& B, TColor32 W) {
        W = ClampWeight(W);
        if (!Mmx && W == 0) return;
        B = W == 255 ? F : Mmx ? Mix(F, B, W) : Combine3(F, B, W);
    }
    static void BlendMem(TColor32 F, TColor32& B) {
        const uint32_t A = F >> 24;
        if (!Mmx && A == 0) return;
        B = A == 255 ? F : Mmx ? Mix(F, B, A) : Combine4(F, B, A);
    }
    static void BlendMemEx(TColor32 F, TColor32& B, TColor32 M) {
        const uint32_t W = ExWeight(F, M);
        if (Mmx)
            B = Mix(F, B, W);
        else if (W != 0)
            B = Combine3(F, B, W);
    }
    // BlendMemEx into two different pixels.
    static void BlendMemEx2(TColor32 F, TColor32& B0, TColor32 M0, TColor32& B1, TColor32 M1) {
#if defined(__SSE2__)
        const __m128i W = sse2::WeightWords(ExWeight(F, M0), ExWeight(F, M1));
        const __m128i C = sse2::ColourWords(F), Old = sse2::LoadTwo(B0, B1);
        sse2::StoreTwo(Mmx ? sse2::MixTwo(C, Old, W) : sse2::CombineTwo(C, Old, W), B0, B1);
#else
        BlendMemEx(F, B0, M0);
        BlendMemEx(F, B1, M1);
#endif
    }
};
using TPlainKernels = TSetKernels<false>;
using TMmxKernels = TSetKernels<true>;

// The memory forms through the routine variables as they stood when made.
struct TVariableKernels {
    TCombineMem CombineMemFn = gfx::CombineMem;
    TBlendMem BlendMemFn = gfx::BlendMem;
    TBlendMemEx BlendMemExFn = gfx::BlendMemEx;
    void CombineMem(TColor32 F, TColor32& B, TColor32 W) const { CombineMemFn(F, B, W); }
    void BlendMem(TColor32 F, TColor32& B) const { BlendMemFn(F, B); }
    void BlendMemEx(TColor32 F, TColor32& B, TColor32 M) const { BlendMemExFn(F, B, M); }
    void BlendMemEx2(TColor32 F, TColor32& B0, TColor32 M0, TColor32& B1, TColor32 M1) const {
        BlendMemExFn(F, B0, M0);
        BlendMemExFn(F, B1, M1);
    }
};

// Calls Draw(Kernels) with the inline kernels of the set that CombineMem,
// BlendMem and BlendMemEx point at, or with TVariableKernels when any of them
// was pointed elsewhere, so that a replaced routine is still called for every
// pixel. Choose once per line or block, not per pixel.
template <typename DrawFn> void WithBlendKernels(DrawFn&& Draw) {
    if (CombineMem == CombineMemMmx && BlendMem == BlendMemMmx && BlendMemEx == BlendMemExMmx)
        Draw(TMmxKernels{});
    else if (CombineMem == CombineMemPlain && BlendMem == BlendMemPlain && BlendMemEx == BlendMemExPlain)
        Draw(TPlainKernels{});
    else
        Draw(TVariableKernels{});
}

} // namespace gfx::blend_kernels
