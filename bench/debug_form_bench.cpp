// libs: ui_app
// One tick of the emulation under automatic speed control: 80000 T-states, a
// 10 ms time slice. The program changes its registers and PC from slice to
// slice, so that every refresh of the debugger sets new register texts and,
// with "Follow PC in Source Listing" ticked, builds a new listing (the dearest
// refresh). BM_DoCPUHidden and BM_DoCPUVisible time the tick (DoCPU, then the
// event loop, which repaints a shown window) with the window hidden and shown.
// Each then runs as many ticks again in their two parts, timed apart: the
// machine's run of the slice and the window's refresh with its repaint. The
// refresh must take under 5 % of the 10 ms slice in processor time ("refresh %
// of slice"); the counters also give its share of the machine's own run time
// and its wall time.
//
// BM_StoppedRefreshHidden and BM_StoppedRefreshVisible time the refresh of a
// stopped machine, which draws the memory grid anew (after a stop, a step, a
// load or a reset): each iteration changes all 64 bytes of the grid and moves
// PC, so that every cell and the listing are set anew, then refreshes and
// runs the event loop. It must stay well under the 10 ms of a slice, at most
// 30 % of it in processor time ("% of slice"): most of it is the painting of
// the grid's 80 cells.
//
// Run them under Xvfb (QT_QPA_PLATFORM=xcb) to include the copies to an X
// server.
#include <benchmark/benchmark.h>

#include "fixtures/program_machine.h"
#include "bench/window_bench.h"
#include "machine/machine_services.h"
#include "ui/app/config_form.h"
#include "ui/app/debug_form.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QScrollBar>
#include <QWindow>
#include <chrono>
#include <ctime>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Ticks = 2000;
constexpr double MaxRefreshPercent = 5;
constexpr double MaxStoppedRefreshPercent = 30;

// loop: inc hl; inc de; inc ix; djnz loop; inc c; jr loop
const std::vector<std::uint8_t> BusyLoop = {0x23, 0x13, 0xDD, 0x23, 0x10, 0xFA, 0x0C, 0x18, 0xF7};

// A tick of the emulation at automatic speed is a 10 ms time slice.
constexpr double SliceSeconds = 0.010;

// The wall clock, and the processor time of the program (the window thread and
// the threads Qt paints with): what the refresh takes from the emulation. The
// wall time also holds the waits for the window system, when nothing runs.
struct Stamp {
    Clock::time_point Wall;
    double Cpu;
    static Stamp Now() {
        timespec cpu{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
        return {Clock::now(), double(cpu.tv_sec) + 1e-9 * double(cpu.tv_nsec)};
    }
};
struct Spent {
    double Wall = 0, Cpu = 0; // seconds
    void Add(const Stamp& from, const Stamp& to) {
        Wall += std::chrono::duration<double>(to.Wall - from.Wall).count();
        Cpu += to.Cpu - from.Cpu;
    }
};

struct Bench {
    Bench() : Program(Services, window_bench::BlankRoms(Roms), BusyLoop) {
        Machine = Program.Board.get();
        Debug.CPUTimer.OnTimer = {}; // the benchmark ticks by hand
        Debug.TagSourceTrace->setChecked(true);
    }
    ~Bench() { Machine = nullptr; }
    void Show() {
        Debug.show();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!(Debug.windowHandle() && Debug.windowHandle()->isExposed()) &&
               std::chrono::steady_clock::now() < deadline)
            QCoreApplication::processEvents();
    }
    // One tick as the timer runs it: DoCPU, then the event loop (which repaints
    // a shown window).
    void Tick() {
        Debug.DoCPU();
        QCoreApplication::processEvents();
    }
    // The same tick in its two parts, timed apart: the machine's run of the
    // slice, and the window's refresh with the event loop after it.
    void SplitTick(Spent& run, Spent& refresh) {
        const Stamp t0 = Stamp::Now();
        Machine->TStates = TargetTStates;
        Machine->SliceTStates = TargetTStates >> 4;
        Machine->Execute();
        const Stamp t1 = Stamp::Now();
        Debug.RefreshView();
        QCoreApplication::processEvents();
        const Stamp t2 = Stamp::Now();
        run.Add(t0, t1);
        refresh.Add(t1, t2);
    }
    void Measure(benchmark::State& state) {
        for (int i = 0; i < 20; ++i)
            Tick();
        for (auto _ : state)
            Tick();
        Spent run, refresh;
        for (int i = 0; i < Ticks; ++i)
            SplitTick(run, refresh);
        state.counters["run us"] = 1e6 * run.Cpu / Ticks;
        state.counters["refresh us"] = 1e6 * refresh.Cpu / Ticks;
        state.counters["refresh wall us"] = 1e6 * refresh.Wall / Ticks;
        const double percent = 100 * refresh.Cpu / Ticks / SliceSeconds;
        state.counters["refresh % of slice"] = percent;
        state.counters["refresh % of run"] = 100 * refresh.Cpu / run.Cpu;
        if (percent > MaxRefreshPercent) state.SkipWithError("the refresh costs more than 5 % of the slice");
    }

    TMachineServices Services;
    fixtures::TempDir Roms;
    fixtures::ProgramMachine Program;
    TConfigForm Config;
    TDebugForm Debug;
};

// The stopped refresh, the grid scrolled to 0x1000 (past the program).
void StoppedRefresh(benchmark::State& state, bool visible) {
    Bench bench;
    if (visible) bench.Show();
    constexpr int GridAddress = 0x1000;
    bench.Debug.MemoryScroll->setValue(GridAddress / 8);
    z80regs r;
    Machine->GetRegisters(&r);
    std::uint8_t fill = 0;
    // Changes every byte of the grid and PC, refreshes, and adds the time to `into`.
    const auto refresh = [&](Spent& into) {
        ++fill;
        for (int i = 0; i < 64; ++i)
            MainRam[GridAddress + i] = static_cast<std::uint8_t>(fill + i);
        r.PC = fill & 1 ? 0 : 4; // the listing from another instruction
        Machine->SetRegisters(&r);
        const Stamp t0 = Stamp::Now();
        bench.Debug.RefreshMemory();
        QCoreApplication::processEvents();
        into.Add(t0, Stamp::Now());
    };
    Spent spent;
    // The first paints fill the caches of the fonts and the window.
    for (int i = 0; i < 20; ++i)
        refresh(spent);
    spent = {};
    for (auto _ : state)
        refresh(spent);
    const double iterations = double(state.iterations());
    state.counters["refresh us"] = 1e6 * spent.Cpu / iterations;
    state.counters["refresh wall us"] = 1e6 * spent.Wall / iterations;
    const double percent = 100 * spent.Cpu / iterations / SliceSeconds;
    state.counters["% of slice"] = percent;
    if (percent > MaxStoppedRefreshPercent)
        state.SkipWithError("the stopped refresh costs more than 30 % of a slice");
}

void BM_StoppedRefreshHidden(benchmark::State& state) { StoppedRefresh(state, false); }
BENCHMARK(BM_StoppedRefreshHidden)->Unit(benchmark::kMicrosecond);

void BM_StoppedRefreshVisible(benchmark::State& state) { StoppedRefresh(state, true); }
BENCHMARK(BM_StoppedRefreshVisible)->Unit(benchmark::kMicrosecond);

void BM_DoCPUHidden(benchmark::State& state) {
    Bench bench;
    bench.Measure(state);
}
BENCHMARK(BM_DoCPUHidden)->Unit(benchmark::kMicrosecond)->Iterations(Ticks);

void BM_DoCPUVisible(benchmark::State& state) {
    Bench bench;
    bench.Show();
    bench.Measure(state);
}
BENCHMARK(BM_DoCPUVisible)->Unit(benchmark::kMicrosecond)->Iterations(Ticks);

} // namespace

int main(int argc, char** argv) { return window_bench::Main(argc, argv); }
