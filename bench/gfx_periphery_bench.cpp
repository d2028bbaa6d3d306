// libs: gfx
// Flips, quarter turns and filters over a 1920 x 1080 bitmap, and 10 000
// anti-aliased lines across it, each next to a straightforward loop over the
// same pixels (Baseline*): a copy of every pixel into another bitmap, and a
// walk along the same lines that adds 1 to each pixel pair (and, to show what
// the mixing itself costs, the same walk blending each pair as LineA does).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>

#include "bench/gfx_library.h"

using namespace gfx;

namespace {

constexpr int kW = 1920, kH = 1080, kLines = 10000;

void Fill(TBitmap32& B) {
    std::mt19937 Gen(1);
    B.SetSize(kW, kH);
    for (int I = 0; I < kW * kH; ++I)
        B.Bits()[I] = Gen();
}

void Pixels(benchmark::State& State, int64_t PerIteration) {
    State.counters["pixels/s"] =
        benchmark::Counter(double(State.iterations()) * double(PerIteration), benchmark::Counter::kIsRate);
}

// --- Whole-bitmap operations -------------------------------------------------

void BaselineCopy(benchmark::State& State) {
    TBitmap32 Src, Dst;
    Fill(Src);
    Dst.SetSize(kW, kH);
    for (auto _ : State) {
        const TColor32* S = Src.Bits();
        TColor32* D = Dst.Bits();
        for (int I = 0; I < kW * kH; ++I)
            D[I] = S[I];
        benchmark::ClobberMemory();
    }
    Pixels(State, int64_t(kW) * kH);
}
BENCHMARK(BaselineCopy);

template <void (TBitmap32::*Op)(TBitmap32*)> void IntoAnother(benchmark::State& State) {
    TBitmap32 Src, Dst;
    Fill(Src);
    (Src.*Op)(&Dst); // sized once, as a caller reusing its destination
    for (auto _ : State) {
        (Src.*Op)(&Dst);
        benchmark::ClobberMemory();
    }
    Pixels(State, int64_t(kW) * kH);
}
template <void (TBitmap32::*Op)(TBitmap32*)> void InPlace(benchmark::State& State) {
    TBitmap32 B;
    Fill(B);
    for (auto _ : State) {
        (B.*Op)(nullptr);
        benchmark::ClobberMemory();
    }
    Pixels(State, int64_t(kW) * kH);
}
BENCHMARK(IntoAnother<&TBitmap32::FlipHorz>)->Name("FlipHorz/into");
BENCHMARK(InPlace<&TBitmap32::FlipHorz>)->Name("FlipHorz/in_place");
BENCHMARK(IntoAnother<&TBitmap32::FlipVert>)->Name("FlipVert/into");
BENCHMARK(InPlace<&TBitmap32::FlipVert>)->Name("FlipVert/in_place");
BENCHMARK(IntoAnother<&TBitmap32::Rotate90>)->Name("Rotate90/into");
BENCHMARK(InPlace<&TBitmap32::Rotate90>)->Name("Rotate90/in_place");
BENCHMARK(IntoAnother<&TBitmap32::Rotate180>)->Name("Rotate180/into");
BENCHMARK(InPlace<&TBitmap32::Rotate180>)->Name("Rotate180/in_place");
BENCHMARK(IntoAnother<&TBitmap32::Rotate270>)->Name("Rotate270/into");
BENCHMARK(InPlace<&TBitmap32::Rotate270>)->Name("Rotate270/in_place");

void RollBack(benchmark::State& State) {
    TBitmap32 B;
    Fill(B);
    for (auto _ : State) {
        B.Roll(7, -3, true, 0xFF000000);
        benchmark::ClobberMemory();
    }
    Pixels(State, int64_t(kW) * kH);
}
BENCHMARK(RollBack)->Name("Roll/fill_back");

TLUT8 kLut;
void ApplyLut(TBitmap32* Dst, TBitmap32* Src) { ApplyLUT(Dst, Src, kLut); }

template <void (*F)(TBitmap32*, TBitmap32*)> void FilterInto(benchmark::State& State) {
    for (int I = 0; I < 256; ++I)
        kLut[I] = uint8_t(255 - I);
    TBitmap32 Src, Dst;
    Fill(Src);
    Dst.SetSize(kW, kH);
    for (auto _ : State) {
        F(&Dst, &Src);
        benchmark::ClobberMemory();
    }
    Pixels(State, int64_t(kW) * kH);
}
BENCHMARK(FilterInto<AlphaToGrayscale>)->Name("Filter/AlphaToGrayscale");
BENCHMARK(FilterInto<IntensityToAlpha>)->Name("Filter/IntensityToAlpha");
BENCHMARK(FilterInto<Invert>)->Name("Filter/Invert");
BENCHMARK(FilterInto<InvertRGB>)->Name("Filter/InvertRGB");
BENCHMARK(FilterInto<ColorToGrayscale>)->Name("Filter/ColorToGrayscale");
BENCHMARK(FilterInto<ApplyLut>)->Name("Filter/ApplyLUT");

// --- Lines ---------------------------------------------------------------------

struct Segment {
    int32_t X1, Y1, X2, Y2;
};
std::vector<Segment> RandomLines() {
    std::mt19937 Gen(2);
    std::vector<Segment> Lines(kLines);
    for (Segment& S : Lines)
        S = {int32_t(Gen() % kW), int32_t(Gen() % kH), int32_t(Gen() % kW), int32_t(Gen() % kH)};
    return Lines;
}
// The number of pixel pairs the lines cover: one per step of the major axis.
int64_t Steps(const std::vector<Segment>& Lines) {
    int64_t N = 0;
    for (const Segment& S : Lines)
        N += std::max(std::abs(S.X2 - S.X1), std::abs(S.Y2 - S.Y1));
    return N;
}

// A walk over the pixel pairs of the lines (Bresenham); Touch(Weight, Main,
// Neighbour) is the work done on the two pixels of a step.
template <typename TouchFn> void WalkLines(TBitmap32& B, const std::vector<Segment>& Lines, TouchFn Touch) {
    for (const Segment& S : Lines) {
        const int64_t Dx = std::abs(S.X2 - S.X1), Dy = std::abs(S.Y2 - S.Y1);
        const int64_t Major = std::max<int64_t>(std::max(Dx, Dy), 1), Minor = Dy > Dx ? Dx : Dy;
        const int64_t Sx = S.X2 >= S.X1 ? 1 : -1, Sy = S.Y2 >= S.Y1 ? kW : -kW;
        const int64_t MajorStep = Dy > Dx ? Sy : Sx, MinorStep = Dy > Dx ? Sx : Sy;
        TColor32* P = B.PixelPtr(S.X1, S.Y1);
        int64_t E = 0;
        for (int64_t I = 1; I < Major; ++I) {
            E += Minor;
            if (E >= Major) E -= Major, P += MinorStep;
            P += MajorStep;
            const bool Inside = P + MinorStep >= B.Bits() && P + MinorStep < B.Bits() + kW * kH;
            Touch(uint32_t(I & 0xFF), *P, Inside ? P + MinorStep : nullptr); // any weights
        }
    }
}

// The memory-bound loop: 1 added to each pixel of a pair.
void BaselineLineWalk(benchmark::State& State) {
    const std::vector<Segment> Lines = RandomLines();
    TBitmap32 B;
    Fill(B);
    for (auto _ : State) {
        WalkLines(B, Lines, [](uint32_t, TColor32& Main, TColor32* Neighbour) {
            Main += 1;
            if (Neighbour) *Neighbour += 1;
        });
        benchmark::ClobberMemory();
    }
    Pixels(State, 2 * Steps(Lines));
}
BENCHMARK(BaselineLineWalk)->Unit(benchmark::kMillisecond);

// For comparison: the walk with the two weighted blends per step that LineA does.
void BaselineLineBlendWalk(benchmark::State& State) {
    const std::vector<Segment> Lines = RandomLines();
    TBitmap32 B;
    Fill(B);
    for (auto _ : State) {
        WalkLines(B, Lines, [](uint32_t W, TColor32& Main, TColor32* Neighbour) {
            BlendMemEx(0xC0FF8040, Main, GAMMA_TABLE[255 - W]);
            if (Neighbour) BlendMemEx(0xC0FF8040, *Neighbour, GAMMA_TABLE[W]);
        });
        benchmark::ClobberMemory();
    }
    Pixels(State, 2 * Steps(Lines));
}
BENCHMARK(BaselineLineBlendWalk)->Unit(benchmark::kMillisecond);

void LineAS(benchmark::State& State) {
    const std::vector<Segment> Lines = RandomLines();
    TBitmap32 B;
    Fill(B);
    for (auto _ : State) {
        for (const Segment& S : Lines)
            B.LineAS(S.X1, S.Y1, S.X2, S.Y2, 0xC0FF8040, false);
        benchmark::ClobberMemory();
    }
    Pixels(State, 2 * Steps(Lines));
}
BENCHMARK(LineAS)->Unit(benchmark::kMillisecond);

void LineXS(benchmark::State& State) {
    const std::vector<Segment> Lines = RandomLines();
    TBitmap32 B;
    Fill(B);
    for (auto _ : State) {
        for (const Segment& S : Lines)
            B.LineXS(Fixed(S.X1) + 0x8000, Fixed(S.Y1) + 0x4000, Fixed(S.X2), Fixed(S.Y2), 0xC0FF8040, false);
        benchmark::ClobberMemory();
    }
    Pixels(State, 2 * Steps(Lines));
}
BENCHMARK(LineXS)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
