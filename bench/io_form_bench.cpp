// libs: ui_app
// A chatty program: it writes to a port nobody answers as fast as it can, so
// every 80000 T-state slice appends about 3000 lines to the diagnostic log.
// BM_SliceWithoutLog runs it on services that drop the lines; BM_SliceLoggingToIOForm
// sends them to the I/O monitor (shown on screen), which each slice ends by
// flushing into its memo (an edit right after a long one waits). Both let the
// event loop run after each slice, as the emulator does. The counter "x without
// log" is the second's slice time over the first's; the I/O monitor must keep
// it within 2.
#include <benchmark/benchmark.h>

#include "fixtures/program_machine.h"
#include "bench/window_bench.h"
#include "ui/app/io_form.h"
#include "ui/app/io_form_services.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

namespace {

constexpr int SliceTStates = 80000;
// Each benchmark runs once, this many slices, so that the ratio compares two whole runs.
constexpr int Slices = 1000;

const std::vector<std::uint8_t> ChattyLoop = {
    0xD3, 0x00, // loop: out (0x00), a   "Wrote %02x to Port %02x"
    0x3C,       //       inc a
    0x18, 0xFB, //       jr loop
};

// Mean wall time of one slice without logging, for the ratio.
double SliceSecondsWithoutLog = 0;

struct CountingServices : TIOFormServices {
    void AppendLog(const std::string& line) override {
        ++Lines;
        TIOFormServices::AppendLog(line);
    }
    long Lines = 0;
};

// The chatty program on blank ROM images.
struct Bench {
    explicit Bench(TMachineServices& services)
        : Machine(services, window_bench::BlankRoms(Roms), ChattyLoop) {}
    // One slice as the debugger's tick runs it, then the event loop.
    void Slice() {
        Machine.RunSlice(SliceTStates);
        if (IOForm) IOForm->FlushLog();
        QCoreApplication::processEvents();
    }
    // Returns the mean seconds per slice, after a few slices that show the
    // window and fill the log; `warm` runs when they are done.
    double Run(
        benchmark::State& state, const std::function<void()>& warm = [] {}) {
        for (int i = 0; i < 5; ++i)
            Slice();
        warm();
        const auto start = std::chrono::steady_clock::now();
        for (auto _ : state)
            Slice();
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        return spent.count() / double(state.iterations());
    }
    fixtures::TempDir Roms;
    fixtures::ProgramMachine Machine;
};

void BM_SliceWithoutLog(benchmark::State& state) {
    TMachineServices dropLines;
    Bench bench(dropLines);
    SliceSecondsWithoutLog = bench.Run(state);
}
BENCHMARK(BM_SliceWithoutLog)->Unit(benchmark::kMillisecond)->Iterations(Slices);

void BM_SliceLoggingToIOForm(benchmark::State& state) {
    TIOForm form;
    form.show();
    IOForm = &form;
    CountingServices services;
    Bench bench(services);
    long linesBefore = 0;
    const double seconds = bench.Run(state, [&] { linesBefore = services.Lines; });
    IOForm = nullptr;

    const long shown = std::min<long>(services.Lines, TIOForm::MaxLogLines);
    if (services.Lines == 0 || form.IOLog->blockCount() != shown)
        state.SkipWithError("the log lines did not reach the memo");
    state.counters["lines/slice"] = double(services.Lines - linesBefore) / double(state.iterations());
    if (SliceSecondsWithoutLog > 0) {
        const double ratio = seconds / SliceSecondsWithoutLog;
        state.counters["x without log"] = ratio;
        if (ratio > 2) state.SkipWithError("logging more than doubles the slice time");
    }
}
BENCHMARK(BM_SliceLoggingToIOForm)->Unit(benchmark::kMillisecond)->Iterations(Slices);

} // namespace

int main(int argc, char** argv) { return window_bench::Main(argc, argv); }
