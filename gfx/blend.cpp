#include "gfx/blend.h"

#include <algorithm>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gfx {

TCombineReg CombineReg = CombineRegPlain;
TCombineMem CombineMem = CombineMemPlain;
TBlendReg BlendReg = BlendRegPlain;
TBlendMem BlendMem = BlendMemPlain;
TBlendRegEx BlendRegEx = BlendRegExPlain;
TBlendMemEx BlendMemEx = BlendMemExPlain;
TBlendLine BlendLine = BlendLinePlain;
TBlendLineEx BlendLineEx = BlendLineExPlain;

bool MMX_ACTIVE = false;
uint16_t* AlphaTable = nullptr;
uint16_t* AlphaBias = nullptr;

namespace {
void* AlphaTableMemory = nullptr;

void GenAlphaTable() {
    if (AlphaTableMemory) return;
    AlphaTableMemory = std::malloc(256 * 8 + 8);
    if (!AlphaTableMemory) return; // the portable routines do not need it
    const uintptr_t Start = (reinterpret_cast<uintptr_t>(AlphaTableMemory) + 7) & ~uintptr_t(7);
    AlphaTable = reinterpret_cast<uint16_t*>(Start);
    for (int I = 0; I < 256; ++I)
        std::fill_n(AlphaTable + I * 4, 4, uint16_t(I));
    AlphaBias = AlphaTable + 128 * 4;
}

void FreeAlphaTable() {
    std::free(AlphaTableMemory);
    AlphaTableMemory = nullptr;
    AlphaTable = nullptr;
    AlphaBias = nullptr;
}
} // namespace

void SelectBlendRoutines(bool UseMmx) {
    MMX_ACTIVE = UseMmx;
    if (UseMmx) {
        CombineReg = CombineRegMmx;
        CombineMem = CombineMemMmx;
        BlendReg = BlendRegMmx;
        BlendMem = BlendMemMmx;
        BlendRegEx = BlendRegExMmx;
        BlendMemEx = BlendMemExMmx;
        BlendLine = BlendLineMmx;
        BlendLineEx = BlendLineExMmx;
        GenAlphaTable();
    } else {
        CombineReg = CombineRegPlain;
        CombineMem = CombineMemPlain;
        BlendReg = BlendRegPlain;
        BlendMem = BlendMemPlain;
        BlendRegEx = BlendRegExPlain;
        BlendMemEx = BlendMemExPlain;
        BlendLine = BlendLinePlain;
        BlendLineEx = BlendLineExPlain;
        FreeAlphaTable();
    }
}

void BlendFinalize() {
    if (MMX_ACTIVE) FreeAlphaTable();
}

namespace {
template <typename Op> TColor32 PerChannel(TColor32 C1, TColor32 C2, Op Fn) {
    TColor32 R = 0;
    for (int Shift = 0; Shift < 32; Shift += 8) {
        const int A = int((C1 >> Shift) & 0xFF), B = int((C2 >> Shift) & 0xFF);
        R |= TColor32(Fn(A, B)) << Shift;
    }
    return R;
}
} // namespace

#if defined(__SSE2__)
namespace {
// The byte-wise saturating and comparing instructions on one pixel.
template <__m128i (*Op)(__m128i, __m128i)> TColor32 Bytewise(TColor32 C1, TColor32 C2) {
    return TColor32(_mm_cvtsi128_si32(Op(_mm_cvtsi32_si128(int(C1)), _mm_cvtsi32_si128(int(C2)))));
}
inline __m128i AddSaturated(__m128i A, __m128i B) { return _mm_adds_epu8(A, B); }
inline __m128i SubSaturated(__m128i A, __m128i B) { return _mm_subs_epu8(A, B); }
inline __m128i Larger(__m128i A, __m128i B) { return _mm_max_epu8(A, B); }
inline __m128i Smaller(__m128i A, __m128i B) { return _mm_min_epu8(A, B); }
} // namespace

TColor32 ColorAdd(TColor32 C1, TColor32 C2) { return Bytewise<AddSaturated>(C1, C2); }
TColor32 ColorSub(TColor32 C1, TColor32 C2) { return Bytewise<SubSaturated>(C1, C2); }
TColor32 ColorMax(TColor32 C1, TColor32 C2) { return Bytewise<Larger>(C1, C2); }
TColor32 ColorMin(TColor32 C1, TColor32 C2) { return Bytewise<Smaller>(C1, C2); }
#else
TColor32 ColorAdd(TColor32 C1, TColor32 C2) {
    return PerChannel(C1, C2, [](int A, int B) { return std::min(A + B, 255); });
}
TColor32 ColorSub(TColor32 C1, TColor32 C2) {
    return PerChannel(C1, C2, [](int A, int B) { return std::max(A - B, 0); });
}
TColor32 ColorMax(TColor32 C1, TColor32 C2) {
    return PerChannel(C1, C2, [](int A, int B) { return std::max(A, B); });
}
TColor32 ColorMin(TColor32 C1, TColor32 C2) {
    return PerChannel(C1, C2, [](int A, int B) { return std::min(A, B); });
}
#endif
TColor32 ColorModulate(TColor32 C1, TColor32 C2) {
    return PerChannel(C1, C2, [](int A, int B) { return (A * B) >> 8; });
}
TColor32 Lighten(TColor32 Color, int32_t Amount) {
    const int64_t D = Amount;
    auto Move = [D](TColor32 C, int Shift) {
        return TColor32(std::clamp<int64_t>(int64_t((C >> Shift) & 0xFF) + D, 0, 255)) << Shift;
    };
    return (Color & 0xFF000000u) | Move(Color, 16) | Move(Color, 8) | Move(Color, 0);
}

} // namespace gfx

#include "gfx/system.h"

void gfx::BlendInitialize() { SelectBlendRoutines(HasMMX()); }
