#include "gfx/filters.h"

#include <algorithm>
#include <vector>

#include "platform/exceptions.h"

namespace gfx {

namespace {
// One pass in index order: Dst pixel i from Src pixel i (read before written,
// so Dst may be Src) and Dst's own pixel i. Arithmetic filters go through
// local copies of whole blocks, which lets the compiler filter a block at
// once whether or not Dst is Src; table look-ups run faster pixel by pixel.
enum class TPass { Blocks, Pixels };

template <TPass Pass, typename PixelFn> void Filter(TBitmap32* Dst, TBitmap32* Src, PixelFn Pixel) {
    CheckParams(Dst, Src);
    Dst->SetSize(Src->Width(), Src->Height());
    if (!Src->Empty() && SameSize(*Dst, *Src)) {
        constexpr int64_t kBlock = 16;
        const TColor32* S = Src->Bits();
        TColor32* D = Dst->Bits();
        const int64_t N = int64_t(Src->Width()) * Src->Height();
        int64_t I = 0;
        if constexpr (Pass == TPass::Blocks) {
            for (; I + kBlock <= N; I += kBlock) {
                TColor32 In[kBlock], Out[kBlock];
                std::copy_n(S + I, kBlock, In);
                std::copy_n(D + I, kBlock, Out);
                for (int64_t K = 0; K < kBlock; ++K)
                    Out[K] = Pixel(In[K], Out[K]);
                std::copy_n(Out, kBlock, D + I);
            }
        }
        for (; I < N; ++I)
            D[I] = Pixel(S[I], D[I]);
    }
    Dst->Changed();
}

// Intensity (61 R + 174 G + 21 B) shr 8 in 16-bit arithmetic, which is exact
// (the sum is at most 65280) and lets the compiler work on eight pixels at once.
inline uint32_t Intensity16(TColor32 C) {
    const uint16_t Sum = uint16_t(uint16_t((C >> 16) & 0xFF) * 61u + uint16_t((C >> 8) & 0xFF) * 174u +
                                  uint16_t(C & 0xFF) * 21u);
    return Sum >> 8;
}
} // namespace

void CheckParams(TBitmap32* Dst, TBitmap32* Src) {
    if (!Src) throw platform::Exception("The source is nil");
    if (!Dst) throw platform::Exception("Destination is nil");
    Dst->SetSize(Src->Width(), Src->Height());
}

void AlphaToGrayscale(TBitmap32* Dst, TBitmap32* Src) {
    Filter<TPass::Blocks>(Dst, Src, [](TColor32 S, TColor32) { return Gray32(uint8_t(S >> 24), 255); });
}

void IntensityToAlpha(TBitmap32* Dst, TBitmap32* Src) {
    Filter<TPass::Blocks>(Dst, Src,
                          [](TColor32 S, TColor32 D) { return (D & 0x00FFFFFF) | Intensity16(S) << 24; });
}

void Invert(TBitmap32* Dst, TBitmap32* Src) {
    Filter<TPass::Blocks>(Dst, Src, [](TColor32 S, TColor32) { return ~S; });
}

void InvertRGB(TBitmap32* Dst, TBitmap32* Src) {
    Filter<TPass::Blocks>(Dst, Src, [](TColor32 S, TColor32) { return S ^ 0x00FFFFFFu; });
}

void ColorToGrayscale(TBitmap32* Dst, TBitmap32* Src) {
    Filter<TPass::Blocks>(Dst, Src,
                          [](TColor32 S, TColor32) { return 0xFF000000u | Intensity16(S) * 0x010101u; });
}

void ApplyLUT(TBitmap32* Dst, TBitmap32* Src, const TLUT8& LUT) {
    // The table's entries in place: one look-up for red, one for green and
    // blue together.
    TColor32 Red[256];
    std::vector<TColor32> GreenBlue(65536);
    for (int V = 0; V < 256; ++V)
        Red[V] = 0xFF000000u | TColor32(LUT[V]) << 16;
    for (int V = 0; V < 65536; ++V)
        GreenBlue[V] = TColor32(LUT[V >> 8]) << 8 | LUT[V & 0xFF];
    Filter<TPass::Pixels>(Dst, Src, [&Red, GB = GreenBlue.data()](TColor32 S, TColor32) {
        return Red[(S >> 16) & 0xFF] | GB[S & 0xFFFF];
    });
}

} // namespace gfx
