// libs: gfx
// The machine's screen drawing: character cells (16 x 16 and 8 x 16) drawn
// onto a 640 x 400 screen opaque, through a maximum combine, blended with
// master alpha 127, and through an exclusive-or combine. Pixels per second.
#include <benchmark/benchmark.h>

#include "bench/gfx_library.h"

using namespace gfx;

namespace {
enum Mode { Opaque, Max, Blend, Xor };

void DrawCells(benchmark::State& State) {
    const int CellW = int(State.range(0)), CellH = 16;
    const Mode How = Mode(State.range(1));
    TBitmap32 Screen, Cell;
    Screen.SetSize(640, 400);
    Screen.Clear(0xFF000000);
    Cell.SetSize(CellW * 16, CellH);
    for (int Y = 0; Y < Cell.Height(); ++Y)
        for (int X = 0; X < Cell.Width(); ++X)
            Cell.SetPixel(X, Y, (X ^ Y) & 1 ? 0xFF00FF00 : 0xFF000000);
    switch (How) {
    case Opaque: break;
    case Max:
        Cell.SetDrawMode(dmCustom);
        Cell.OnPixelCombine = [](TColor32 F, TColor32& B, TColor32) { B = ColorMax(F, B); };
        break;
    case Blend:
        Cell.SetDrawMode(dmBlend);
        Cell.SetMasterAlpha(127);
        break;
    case Xor:
        Cell.SetDrawMode(dmCustom);
        Cell.OnPixelCombine = [](TColor32 F, TColor32& B, TColor32) { B ^= F; };
        break;
    }
    const int Cols = 640 / CellW, Rows = 400 / CellH;
    int Cx = 0, Cy = 0, Glyph = 0;
    for (auto _ : State) {
        const TRect Dst{Cx * CellW, Cy * CellH, Cx * CellW + CellW, Cy * CellH + CellH};
        const TRect Src{Glyph * CellW, 0, Glyph * CellW + CellW, CellH};
        Cell.DrawTo(&Screen, Dst, Src);
        if (++Cx == Cols) Cx = 0, Cy = (Cy + 1) % Rows;
        Glyph = (Glyph + 1) & 15;
    }
    benchmark::DoNotOptimize(Screen.Bits()[0]);
    State.counters["pixels/s"] =
        benchmark::Counter(double(State.iterations()) * CellW * CellH, benchmark::Counter::kIsRate);
}
} // namespace

BENCHMARK(DrawCells)->ArgNames({"cell_width", "mode"})->ArgsProduct({{16, 8}, {Opaque, Max, Blend, Xor}});

BENCHMARK_MAIN();
