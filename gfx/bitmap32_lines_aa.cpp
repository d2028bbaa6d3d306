// TBitmap32: sub-pixel lines (16.16 and float end points) drawn as chains of
// anti-aliased plots, and integer lines with two weighted pixels per step.
#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

#include "gfx/bitmap32.h"
#include "gfx/blend_kernels.h"
#include "gfx/drawing_ex.h"
#include "gfx/float_math.h"
#include "gfx/plot256.h"

namespace gfx {

namespace {
constexpr int64_t kOne = 65536; // one pixel in 16.16

// The default rounding mode rounds halves to even; every value here fits.
int64_t Round64(long double X) { return std::llrintl(CheckFinite(X)); }
long double Hypot(long double A, long double B) { return std::sqrt(A * A + B * B); }

// Runs Draw, then EMMS (unless the drawing called it after each plot) and
// Changed, also when Draw fails.
template <bool Emms = true, typename DrawFn> void DrawThenChanged(TBitmap32& B, DrawFn Draw) {
    try {
        Draw();
    } catch (...) {
        if (Emms) EMMS();
        B.Changed();
        throw;
    }
    if (Emms) EMMS();
    B.Changed();
}

TColor32 ScaleAlpha(TColor32 C, int64_t F) {
    return (C & 0x00FFFFFF) | TColor32(((C >> 24) * F) >> 16) << 24;
}

// The plots of a 16.16 line: one per pixel of its length (one more with L),
// then a last plot whose alpha is the fraction of a pixel left over. The
// stippled form takes each colour from the pattern and its step through an
// extended-precision quotient. Plot(X, Y, Color, Pairs, Ahead) draws at 24.8
// (see WithInsidePlots). Returns False when the line is shorter than 1/256 pixel and
// nothing was plotted.
template <bool Stippled, typename PlotFn>
bool PlotChain(TBitmap32& B, int64_t X1, int64_t Y1, int64_t X2, int64_t Y2, TColor32 V, bool L,
               PlotFn Plot) {
    int64_t Dx = X2 - X1, Dy = Y2 - Y1;
    X1 += 127, Y1 += 127, X2 += 127, Y2 += 127; // 16.16 to 24.8 rounds an exact half down
    int64_t N = Round64(Hypot(Dx, Dy));
    if (L) N += kOne;
    if (N < 256) return false;
    const int64_t Whole = N >> 16;
    if (Whole > 0) {
        if constexpr (Stippled) {
            Dx = Round64(static_cast<long double>(Dx) / N * kOne);
            Dy = Round64(static_cast<long double>(Dy) / N * kOne);
        } else {
            const float S = float(static_cast<long double>(kOne) / N);
            Dx = Round64(Dx * static_cast<long double>(S));
            Dy = Round64(Dy * static_cast<long double>(S));
        }
        // Plots that run more across than down pair their pixels in columns.
        // The pixels a few plots ahead are fetched into the cache while this
        // plot is drawn: Ahead is their distance from the plot's top-left
        // pixel, in pixels, within one row or column of the truth.
        constexpr int64_t kAhead = 12;
        const int64_t Ahead = ((kAhead * Dy) >> 16) * B.Width() + ((kAhead * Dx) >> 16);
        auto Run = [&, X = X1, Y = Y1](auto Pairs) mutable {
            for (int64_t I = 0; I < Whole; ++I, X += Dx, Y += Dy) {
                Plot(X >> 8, Y >> 8, Stippled ? B.GetStippleColor() : V, Pairs, Ahead);
                if constexpr (Stippled) EMMS();
            }
        };
        if (std::llabs(Dx) >= std::llabs(Dy)) {
            if (Dx >= 0)
                Run(TPairs<true, true>{});
            else
                Run(TPairs<true, false>{});
        } else {
            if (Dy >= 0)
                Run(TPairs<false, true>{});
            else
                Run(TPairs<false, false>{});
        }
        X1 += Whole * Dx;
        Y1 += Whole * Dy;
    }
    // Halfway between the current position and one step before the end point.
    const TColor32 Last = ScaleAlpha(Stippled ? B.GetStippleColor() : V, N - Whole * kOne);
    Plot((X1 + X2 - Dx) >> 9, (Y1 + Y2 - Dy) >> 9, Last, TRowPairs{}, 0);
    if constexpr (Stippled) EMMS();
    return true;
}

// The plots of a line with the kernels of the blend routines in use: every
// plot inside the bitmap (Clipped False) or each pixel only where it lies
// inside. Returns what PlotChain returns.
template <bool Stippled, bool Clipped>
bool DrawChain(TBitmap32& B, int64_t X1, int64_t Y1, int64_t X2, int64_t Y2, TColor32 V, bool L) {
    const TPlotTarget T{B.Bits(), B.Width(), B.Height()};
    bool Drawn = false;
    blend_kernels::WithBlendKernels([&](const auto& K) {
        WithInsidePlots(T, K, [&](auto Inside) {
            if constexpr (Clipped) {
                Drawn = PlotChain<Stippled>(B, X1, Y1, X2, Y2, V, L,
                                            [&](int64_t X, int64_t Y, TColor32 C, auto Pairs, int64_t Ahead) {
                                                PlotTS256(T, int32_t(X), int32_t(Y), C, K,
                                                          [&](int32_t Xi, int32_t Yi, TColor32 Ci) {
                                                              Inside(Xi, Yi, Ci, Pairs, Ahead);
                                                          });
                                            });
            } else {
                Drawn = PlotChain<Stippled>(B, X1, Y1, X2, Y2, V, L, Inside);
            }
        });
    });
    return Drawn;
}

// The clip rectangle of the clipped X lines reaches one pixel beyond every
// border; a bound beyond the 16.16 range is never reached.
int32_t ClipBound(int32_t Size) {
    return int32_t(std::min<int64_t>(int64_t(Size) * kOne, std::numeric_limits<int32_t>::max()));
}
// At least two pixels inside the right or lower border: plots need no tests.
bool WellInside(int64_t A, int64_t B, int32_t Size) {
    const int64_t Limit = int64_t(Size) * kOne - 2 * kOne;
    return A > 0 && A < Limit && B > 0 && B < Limit;
}

// An integer line as pairs of pixels along the major axis: the pixel on the
// line at the weight left in the 16-bit accumulator E and its minor-axis
// neighbour at the weight accumulated. The minor axis steps when E carries
// past 65536; a neighbour outside the bitmap is skipped. The carry is added
// without a branch, since it follows no pattern the processor could predict.
template <typename Kernels>
void AntiAliasedPairs(TBitmap32& B, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 V, bool L,
                      const Kernels& K) {
    int64_t Dx = int64_t(X2) - X1, Dy = int64_t(Y2) - Y1;
    const int64_t Sx = Dx > 0 ? 1 : -1, Sy = Dy > 0 ? 1 : -1;
    Dx = std::llabs(Dx);
    Dy = std::llabs(Dy);
    const bool YMajor = Dy > Dx;
    const int64_t Major = YMajor ? Dy : Dx, Minor = YMajor ? Dx : Dy;
    // Up to 65536 (a diagonal: the minor axis steps every time).
    const uint32_t EA = uint32_t((Minor << 16) / Major);
    // Pixel steps along the major and the minor axis, and the room for the
    // neighbour on the minor axis.
    const int64_t Row = B.Width();
    const int64_t MajorStep = YMajor ? Sy * Row : Sx, MinorStep = YMajor ? Sx : Sy * Row;
    const int64_t MinorDir = YMajor ? Sx : Sy;
    const uint64_t MinorSize = uint64_t(YMajor ? B.Width() : B.Height());
    // The neighbours' minor coordinates run from the start's to the end's,
    // one further on: when the end's neighbour is inside, all of them are.
    const bool NeighboursInside = uint64_t((YMajor ? X2 : Y2) + MinorDir) < MinorSize;
    // The pixel a few steps ahead is fetched into the cache while this one is
    // blended (off by at most one minor step; a fetch never faults).
    constexpr int64_t kAhead = 16;
    const intptr_t AheadBytes =
        intptr_t((kAhead * MajorStep + ((kAhead * EA) >> 16) * MinorStep) * int64_t(sizeof(TColor32)));

    TColor32* P = B.GetPixelPtr(X1, Y1);
    K.BlendMem(V, *P);
    auto Walk = [&](auto CheckNeighbour) {
        int64_t MinorPos = YMajor ? X1 : Y1;
        uint32_t E = 0;
        for (int64_t Count = L ? Major : Major - 1; Count > 0; --Count) {
            E += EA;
            const int64_t CarryMask = -int64_t(E >> 16);
            E &= 0xFFFF;
            P += (MinorStep & CarryMask) + MajorStep;
            MinorPos += MinorDir & CarryMask;
            __builtin_prefetch(reinterpret_cast<const void*>(intptr_t(P) + AheadBytes), 1);
            const uint32_t W = E >> 8;
            if constexpr (decltype(CheckNeighbour)::value) {
                K.BlendMemEx(V, *P, GAMMA_TABLE[255 - W]);
                if (uint64_t(MinorPos + MinorDir) < MinorSize) K.BlendMemEx(V, P[MinorStep], GAMMA_TABLE[W]);
            } else {
                K.BlendMemEx2(V, *P, GAMMA_TABLE[255 - W], P[MinorStep], GAMMA_TABLE[W]);
            }
        }
    };
    if (NeighboursInside)
        Walk(std::false_type{});
    else
        Walk(std::true_type{});
}
} // namespace

void TBitmap32::LineX(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, TColor32 Value, bool L) {
    DrawThenChanged(*this, [&] { DrawChain<false, false>(*this, X1, Y1, X2, Y2, Value, L); });
}

void TBitmap32::LineF(float X1, float Y1, float X2, float Y2, TColor32 Value, bool L) {
    LineX(Fixed(X1), Fixed(Y1), Fixed(X2), Fixed(Y2), Value, L);
}

void TBitmap32::LineXS(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, TColor32 Value, bool L) {
    if (Empty()) return;
    const TFixed OldX2 = X2, OldY2 = Y2;
    if (!ClipLine(X1, Y1, X2, Y2, -kOne, -kOne, ClipBound(Width()), ClipBound(Height()))) return;
    if (X2 != OldX2 || Y2 != OldY2) L = true; // the line went on beyond the border
    if (WellInside(X1, X2, Width()) && WellInside(Y1, Y2, Height())) {
        LineX(X1, Y1, X2, Y2, Value, false);
        return;
    }
    DrawThenChanged(*this, [&] { DrawChain<false, true>(*this, X1, Y1, X2, Y2, Value, L); });
}

void TBitmap32::LineFS(float X1, float Y1, float X2, float Y2, TColor32 Value, bool L) {
    LineXS(Fixed(X1), Fixed(Y1), Fixed(X2), Fixed(Y2), Value, L);
}

void TBitmap32::LineXP(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, bool L) {
    DrawThenChanged<false>(*this, [&] { DrawChain<true, false>(*this, X1, Y1, X2, Y2, 0, L); });
}

void TBitmap32::LineFP(float X1, float Y1, float X2, float Y2, bool L) {
    LineXP(Fixed(X1), Fixed(Y1), Fixed(X2), Fixed(Y2), L);
}

// The pattern advances over the clipped-off parts too, so that it stays in
// step with the whole line.
void TBitmap32::LineXSP(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, bool L) {
    if (Empty()) return;
    auto Length = [](int64_t Ax, int64_t Ay, int64_t Bx, int64_t By) {
        return Hypot(static_cast<long double>(Bx - Ax) / kOne, static_cast<long double>(By - Ay) / kOne);
    };
    const TFixed S1x = X1, S1y = Y1, S2x = X2, S2y = Y2;
    if (!ClipLine(X1, Y1, X2, Y2, -kOne, -kOne, ClipBound(Width()), ClipBound(Height()))) {
        AdvanceStippleCounter(float(Length(X1, Y1, X2, Y2) - (L ? 1 : 0)));
        return;
    }
    const bool EndMoved = X2 != S2x || Y2 != S2y;
    if (EndMoved) L = true;
    if (WellInside(X1, X2, Width()) && WellInside(Y1, Y2, Height())) {
        LineXP(X1, Y1, X2, Y2, false);
        return;
    }
    DrawThenChanged<false>(*this, [&] {
        if (X1 != S1x || Y1 != S1y) AdvanceStippleCounter(float(Length(S1x, S1y, X1, Y1)));
        const bool Drawn = DrawChain<true, true>(*this, X1, Y1, X2, Y2, 0, L);
        // The clipped-off end, less the border plot drawn in its place.
        if (Drawn && EndMoved) AdvanceStippleCounter(float(Length(X2, Y2, S2x, S2y) - 1));
    });
}

void TBitmap32::LineFSP(float X1, float Y1, float X2, float Y2, bool L) {
    LineXSP(Fixed(X1), Fixed(Y1), Fixed(X2), Fixed(Y2), L);
}

void TBitmap32::LineA(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L) {
    if (X1 == X2 || Y1 == Y2) {
        LineT(X1, Y1, X2, Y2, Value, L);
        return;
    }
    DrawThenChanged(*this, [&] {
        blend_kernels::WithBlendKernels(
            [&](const auto& K) { AntiAliasedPairs(*this, X1, Y1, X2, Y2, Value, L, K); });
    });
}

void TBitmap32::LineAS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L) {
    if (Empty()) return;
    if (ClipLine(X1, Y1, X2, Y2, 0, 0, Width() - 1, Height() - 1)) LineA(X1, Y1, X2, Y2, Value, L);
}

void TBitmap32::LineToXS(TFixed X, TFixed Y) {
    LineXS(FixedPenPos.X, FixedPenPos.Y, X, Y, PenColor, false);
    FixedPenPos = {X, Y};
}

void TBitmap32::LineToXSP(TFixed X, TFixed Y) {
    LineXSP(FixedPenPos.X, FixedPenPos.Y, X, Y, false);
    FixedPenPos = {X, Y};
}

void TBitmap32::LineToAS(int32_t X, int32_t Y) {
    LineAS(PenPos.X, PenPos.Y, X, Y, PenColor, false);
    PenPos = {X, Y};
}

} // namespace gfx
