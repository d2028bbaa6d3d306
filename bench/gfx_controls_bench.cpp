// libs: gfx_controls
// The emulator's screen control: a 640 x 400 TImage32 on Qt's offscreen
// platform. Full repaints (composition of the back buffer and its copy to the
// window) per second; one 8 x 16 character cell drawn into the bitmap and the
// repaint that follows; and a whole 80 x 25 screen of cells drawn between two
// repaints, which cost one composition.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>

#include "gfx/controls/image32.h"
#include "gfx/gfx.h"

using namespace gfx;

namespace {

struct Screen {
    Screen() {
        Image.SetBounds(0, 0, 640, 400);
        Image.Bitmap()->SetSize(640, 400);
        Image.Bitmap()->Clear(0x00000000); // the machine's pixels carry alpha 0
        Cell.SetSize(8 * 16, 16);
        for (int Y = 0; Y < Cell.Height(); ++Y)
            for (int X = 0; X < Cell.Width(); ++X)
                Cell.SetPixel(X, Y, (X ^ Y) & 1 ? 0x0000FF00 : 0x00000000);
        *Image.PaintStages()->Add() = {false, true, skCustom, 0};
        Image.OnPaintStage = [this](TObject*, TBitmap32*, uint32_t) { ++Compositions; };
        Image.show();
        QElapsedTimer Waited;
        Waited.start();
        while (!(Image.windowHandle() && Image.windowHandle()->isExposed()) && Waited.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        Image.repaint();
    }
    // Draws the glyph cell N of the 80 x 25 screen, as the machine's video does.
    void DrawCell(int N) {
        const int X = (N % 80) * 8, Y = (N / 80 % 25) * 16, Glyph = N % 16;
        Cell.DrawTo(Image.Bitmap(), TRect{X, Y, X + 8, Y + 16}, TRect{Glyph * 8, 0, Glyph * 8 + 8, 16});
    }
    TImage32 Image;
    TBitmap32 Cell;
    int64_t Compositions = 0;
};

void FullRepaint(benchmark::State& State) {
    Screen S;
    for (auto _ : State) {
        S.Image.Invalidate();
        S.Image.repaint();
    }
    State.SetItemsProcessed(State.iterations()); // frames
    State.counters["compositions_per_frame"] = double(S.Compositions) / double(State.iterations() + 1);
}

void CellChangeAndRepaint(benchmark::State& State) {
    Screen S;
    int N = 0;
    for (auto _ : State) {
        S.DrawCell(N++);
        S.Image.repaint();
    }
    State.SetItemsProcessed(State.iterations());
}

void ScreenOfCellsAndRepaint(benchmark::State& State) {
    Screen S;
    const int64_t Before = S.Compositions;
    int N = 0;
    for (auto _ : State) {
        for (int I = 0; I < 80 * 25; ++I)
            S.DrawCell(N++);
        S.Image.repaint();
    }
    State.SetItemsProcessed(State.iterations() * 80 * 25); // cells
    State.counters["compositions_per_screen"] = double(S.Compositions - Before) / double(State.iterations());
}

} // namespace

BENCHMARK(FullRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(CellChangeAndRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(ScreenOfCellsAndRepaint)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    GfxInitialize();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    GfxFinalize();
    return 0;
}
