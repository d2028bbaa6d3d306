// The anti-aliased point at 1/256-pixel precision as inline code, for
// TBitmap32::SET_T256 and SET_TS256 and for the lines drawn as chains of such
// points. Kernels are the memory forms of a blend set (blend_kernels.h). With
// the library's own sets a line mixes each plot's four pixels in SSE2
// registers (TVectorPlots), with exactly the results of four CombineMem calls.
#pragma once

#include <type_traits>

#include "gfx/blend_kernels.h"
#include "gfx/gamma.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gfx {

// The pixels of a bitmap, rows without gaps.
struct TPlotTarget {
    TColor32* Bits;
    int32_t Width, Height;
    TColor32* At(int32_t X, int32_t Y) const { return Bits + int64_t(Y) * Width + X; }
};

// The weights of a plot's four pixels: the colour's alpha times the gamma of
// the coverage, at most (255 * 255 * 255) shr 16 = 253, so CombineMem's
// opaque shortcut never applies.
struct TPlotWeights {
    uint32_t TL, TR, BR, BL;
};

inline TPlotWeights PlotWeights(int32_t X, int32_t Y, TColor32 Color) {
    const uint32_t A = Color >> 24;
    const uint32_t Fx = uint32_t(X) & 255, Fy = uint32_t(Y) & 255;
    const uint32_t Wl = GAMMA_TABLE[255 - Fx] * A, Wr = GAMMA_TABLE[Fx] * A;
    const uint32_t Wt = GAMMA_TABLE[255 - Fy], Wb = GAMMA_TABLE[Fy];
    return {(Wl * Wt) >> 16, (Wr * Wt) >> 16, (Wr * Wb) >> 16, (Wl * Wb) >> 16};
}

// SET_T256: CombineMem of Color into the four pixels from (X shr 8, Y shr 8),
// which must all lie inside, in the order top-left, top-right, bottom-right,
// bottom-left.
template <typename Kernels>
[[gnu::always_inline]] inline void PlotT256(const TPlotTarget& T, int32_t X, int32_t Y, TColor32 Color,
                                            const Kernels& K) {
    const TPlotWeights W = PlotWeights(X, Y, Color);
    TColor32* P = T.At(X >> 8, Y >> 8);
    K.CombineMem(Color, P[0], W.TL);
    K.CombineMem(Color, P[1], W.TR);
    K.CombineMem(Color, P[T.Width + 1], W.BR);
    K.CombineMem(Color, P[T.Width], W.BL);
}

// SET_TS256: each of the four pixels only when it lies inside. A plot whose
// four pixels all lie inside is handed to Inside(X, Y, Color).
template <typename Kernels, typename InsideFn>
[[gnu::always_inline]] inline void PlotTS256(const TPlotTarget& T, int32_t X, int32_t Y, TColor32 Color,
                                             const Kernels& K, InsideFn Inside) {
    if (X < -256 || Y < -256) return;
    const int32_t Px = X >> 8, Py = Y >> 8;
    if (Px >= T.Width || Py >= T.Height) return;
    const bool Left = Px >= 0, Right = Px < T.Width - 1;
    const bool Top = Py >= 0, Bottom = Py < T.Height - 1;
    if (Left && Right && Top && Bottom) {
        Inside(X, Y, Color);
        return;
    }
    const TPlotWeights W = PlotWeights(X, Y, Color);
    if (Left && Top) K.CombineMem(Color, *T.At(Px, Py), W.TL);
    if (Right && Top) K.CombineMem(Color, *T.At(Px + 1, Py), W.TR);
    if (Right && Bottom) K.CombineMem(Color, *T.At(Px + 1, Py + 1), W.BR);
    if (Left && Bottom) K.CombineMem(Color, *T.At(Px, Py + 1), W.BL);
}

// How a line's plots pair their pixels for the vector code: in rows (top,
// bottom) or in columns (left, right). The pixels that a plot shares with the
// plot before it must wait for that plot's results; pairing across the line's
// main direction (columns for a line that runs more across than down) lets
// the leading pair of a plot, the one ahead in the line's direction (Forward:
// the right or bottom one), go first while the trailing pair waits, so that
// successive plots overlap.
template <bool Columns, bool Forward = true> struct TPairs {
    static constexpr bool kColumns = Columns, kForward = Forward;
};
using TRowPairs = TPairs<false>;

#if defined(__SSE2__)
// GAMMA_TABLE as 16-bit words: Pair[f] holds GAMMA_TABLE[255 - f] four times
// and then GAMMA_TABLE[f] four times; Each[f] holds GAMMA_TABLE[f] and
// Reverse[f] GAMMA_TABLE[255 - f] eight times.
struct TGammaWords {
    uint8_t Gamma[256]; // the table these were made from
    __m128i Pair[256];
    __m128i Each[256];
    __m128i Reverse[256];
};
// This thread's words for the current GAMMA_TABLE, made anew when the table
// changed since the last call. Once per line.
const TGammaWords& CurrentGammaWords();

// The plots of one line with one of the library's blend sets (Mmx: the MMX
// set, else the integer set), a pixel's four channels in four 16-bit words.
template <bool Mmx> class TVectorPlots {
  public:
    TVectorPlots(const TPlotTarget& T) : Bits_(T.Bits), Row_(T.Width), Gamma_(CurrentGammaWords()) {}

    // The plot at 24.8 position (X, Y), whose four pixels lie inside. The
    // pixel Ahead pixels from its top-left one and the one below it are
    // fetched into the cache for a plot to come (a fetch never faults).
    template <typename Pairs>
    [[gnu::always_inline]] void Plot(int64_t X, int64_t Y, TColor32 Color, Pairs, int64_t Ahead) const {
        constexpr bool kColumns = Pairs::kColumns;
        const uint32_t Fx = uint32_t(X) & 255, Fy = uint32_t(Y) & 255;
        // The weights (Wl * Wt) shr 16 and so on, where Wl is gamma times
        // alpha: the high half of a 16-bit product, since Wl <= 255 * 255.
        // Alpha may go with either factor.
        const __m128i Within =
            _mm_mullo_epi16(Gamma_.Pair[kColumns ? Fy : Fx], _mm_set1_epi16(short(Color >> 24)));
        const uint32_t Across = kColumns ? Fx : Fy;
        const __m128i W0 = _mm_mulhi_epu16(Within, Gamma_.Reverse[Across]); // TL and TR, or TL and BL
        const __m128i W1 = _mm_mulhi_epu16(Within, Gamma_.Each[Across]);    // BL and BR, or TR and BR
        const __m128i F = blend_kernels::sse2::ColourWords(Color);
        TColor32* P0 = Bits_ + (Y >> 8) * Row_ + (X >> 8);
        TColor32* P1 = P0 + (kColumns ? 1 : Row_);
        const intptr_t Next = reinterpret_cast<intptr_t>(P0) + Ahead * intptr_t(sizeof(TColor32));
        __builtin_prefetch(reinterpret_cast<const void*>(Next), 1);
        __builtin_prefetch(reinterpret_cast<const void*>(Next + Row_ * intptr_t(sizeof(TColor32))), 1);
        if constexpr (Pairs::kForward) {
            CombinePair<kColumns>(F, P1, W1);
            CombinePair<kColumns>(F, P0, W0);
        } else {
            CombinePair<kColumns>(F, P0, W0);
            CombinePair<kColumns>(F, P1, W1);
        }
    }

  private:
    // CombineMem of F (as words) into the pixel P[0] and the one below it
    // (Column) or to its right, with the weights W (four words each).
    template <bool Column> [[gnu::always_inline]] void CombinePair(__m128i F, TColor32* P, __m128i W) const {
        const int64_t Step = Column ? Row_ : 1;
        const __m128i Old = blend_kernels::sse2::LoadTwo(P[0], P[Step]);
        const __m128i New =
            Mmx ? blend_kernels::sse2::MixTwo(F, Old, W) : blend_kernels::sse2::CombineTwo(F, Old, W);
        if constexpr (Column)
            blend_kernels::sse2::StoreTwo(New, P[0], P[Step]);
        else
            _mm_storel_epi64(reinterpret_cast<__m128i*>(P), New);
    }

    TColor32* Bits_;
    int64_t Row_; // not an int32_t, which a pixel store could alias
    const TGammaWords& Gamma_;
};
#endif

// Calls Draw(Plot) with a plotter for the plots of one line whose four pixels
// lie inside: Plot(X, Y, Color, Pairs, Ahead) at 24.8 position (X, Y), where
// Ahead points from the plot to one a few plots on, in pixels. The vector
// plots serve the library's own blend sets; any other CombineMem is called
// through K for every pixel.
template <typename Kernels, typename DrawFn>
[[gnu::always_inline]] inline void WithInsidePlots(const TPlotTarget& T, const Kernels& K, DrawFn&& Draw) {
#if defined(__SSE2__)
    constexpr bool kMmx = std::is_same_v<Kernels, blend_kernels::TMmxKernels>;
    if constexpr (kMmx || std::is_same_v<Kernels, blend_kernels::TPlainKernels>) {
        const TVectorPlots<kMmx> Plots(T);
        Draw([&](int64_t X, int64_t Y, TColor32 Color, auto Pairs, int64_t Ahead) {
            Plots.Plot(X, Y, Color, Pairs, Ahead);
        });
    } else
#endif
    {
        Draw([&](int64_t X, int64_t Y, TColor32 Color, auto, int64_t) {
            PlotT256(T, int32_t(X), int32_t(Y), Color, K);
        });
    }
}

} // namespace gfx
