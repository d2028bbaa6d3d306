// libs: gfx
// Stretched drawing of a 640 x 400 picture onto 1920 x 1200 with each filter,
// and a 1024 x 1024 bitmap drawn through a rotation by 30 degrees about its
// centre with nearest and bilinear sampling. Destination pixels per second.
#include <benchmark/benchmark.h>

#include "bench/gfx_library.h"

using namespace gfx;

namespace {
void FillPattern(TBitmap32& B) {
    for (int Y = 0; Y < B.Height(); ++Y)
        for (int X = 0; X < B.Width(); ++X)
            B.SetPixel(X, Y,
                       0xFF000000u | TColor32(X * 7 & 0xFF) << 16 | TColor32(Y * 5 & 0xFF) << 8 |
                           TColor32((X ^ Y) & 0xFF));
}

void Stretch(benchmark::State& State) {
    const TStretchFilter Filter = TStretchFilter(State.range(0));
    TBitmap32 Src, Dst;
    Src.SetSize(640, 400);
    FillPattern(Src);
    Dst.SetSize(1920, 1200);
    for (auto _ : State)
        StretchTransfer(&Dst, Dst.BoundsRect(), Dst.BoundsRect(), &Src, Src.BoundsRect(), Filter, dmOpaque);
    benchmark::DoNotOptimize(Dst.Bits()[0]);
    State.counters["pixels/s"] =
        benchmark::Counter(double(State.iterations()) * 1920 * 1200, benchmark::Counter::kIsRate);
}

void Rotate(benchmark::State& State) {
    TBitmap32 Src, Dst;
    Src.SetSize(1024, 1024);
    FillPattern(Src);
    Src.SetStretchFilter(State.range(0) ? sfLinear : sfNearest);
    Dst.SetSize(1024, 1024);
    Dst.Clear(0);
    TAffineTransformation T;
    T.SetSrcRect(FloatRect(Src.BoundsRect()));
    T.Rotate(512, 512, 30);
    T.PrepareTransform();
    for (auto _ : State)
        Transform(&Dst, &Src, &T);
    benchmark::DoNotOptimize(Dst.Bits()[0]);
    State.counters["pixels/s"] =
        benchmark::Counter(double(State.iterations()) * 1024 * 1024, benchmark::Counter::kIsRate);
}
} // namespace

BENCHMARK(Stretch)->ArgName("filter")->DenseRange(sfNearest, sfMitchell)->Unit(benchmark::kMillisecond);
BENCHMARK(Rotate)->ArgName("bilinear")->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
