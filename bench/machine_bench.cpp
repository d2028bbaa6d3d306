// libs: machine
// The whole machine in 80000 T-state slices (10 ms of emulated time): a
// CPU-bound loop, and a loop that rewrites the whole 80-column text screen
// without pause. Counters: emulated T-states per second and the multiple of
// real speed (8 million T-states per second).
#include <benchmark/benchmark.h>

#include "fixtures/temp_dir.h"
#include "gfx/gfx.h"
#include "machine/qj47r.h"
#include "fixtures/recording_services.h"
#include "platform/settings_store.h"

#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

namespace {

struct Library {
    Library() { gfx::GfxInitialize(); }
    ~Library() { gfx::GfxFinalize(); }
} const kLibrary;

constexpr int Slice = 80000;
constexpr double RealTStatesPerSecond = 8000000.0;

// A machine with blank ROM images and settings in a folder of its own, the
// program at 0x0100 in RAM and the processor there, out of IPL mode.
struct Bench {
    explicit Bench(const std::vector<std::uint8_t>& program) {
        for (const char* name : {"ipl.BIN", "qjfont.bin"}) {
            std::ofstream out(Dir.File(name), std::ios::binary);
            const std::vector<char> zeros(2048, 0);
            out.write(zeros.data(), std::streamsize(zeros.size()));
        }
        SetSettingsFolder(Dir.Path.string());
        std::memset(MainRam, 0, sizeof MainRam);
        std::memcpy(MainRam + 0x100, program.data(), program.size());
        Services.Screen = &Screen;
        TQJ47RSetup setup;
        setup.Services = &Services;
        setup.RomFolder = Dir.Path.string();
        Board = std::make_unique<TQJ47R>(setup);
        Board->ColdBoot = 0;
        Board->Reset();
        z80regs r;
        Board->GetRegisters(&r);
        r.PC = 0x100;
        Board->SetRegisters(&r);
        Board->SliceTStates = Slice;
        Board->TStates = Slice;
    }
    ~Bench() {
        Board.reset();
        SetSettingsFolder("");
    }

    // `ran` tells whether the program did its work.
    template <typename Check> void Run(benchmark::State& state, Check ran) {
        for (auto _ : state)
            Board->Execute();
        if (!ran()) state.SkipWithError("the program did not run");
        const double tstates = double(state.iterations()) * Slice;
        state.counters["T-states/s"] = benchmark::Counter(tstates, benchmark::Counter::kIsRate);
        state.counters["x real"] =
            benchmark::Counter(tstates / RealTStatesPerSecond, benchmark::Counter::kIsRate);
    }

    fixtures::TempDir Dir;
    RecordingServices Services;
    gfx::TBitmap32 Screen;
    std::unique_ptr<TQJ47R> Board;
};

// Arithmetic, loads, stack and calls; touches neither ports nor video memory.
const std::vector<std::uint8_t> CpuLoop = {
    0x31, 0x00, 0x80, // ld sp, 0x8000
    0x21, 0x00, 0x20, // loop: ld hl, 0x2000
    0x06, 0x00,       //       ld b, 0
    0x7E,             // inner: ld a, (hl)
    0x87,             //       add a, a
    0xCE, 0x13,       //       adc a, 0x13
    0x77,             //       ld (hl), a
    0x23,             //       inc hl
    0xE5,             //       push hl
    0x19,             //       add hl, de
    0xEB,             //       ex de, hl
    0xE1,             //       pop hl
    0xCB, 0x11,       //       rl c
    0xCD, 0x20, 0x01, //       call sub
    0x10, 0xEF,       //       djnz inner
    0x18, 0xE8,       //       jr loop
    0x00, 0x00, 0x00, 0x00, 0x00,
    0xA9, // 0x0120 sub: xor c
    0x0F, //       rrca
    0xC9, //       ret
};

// 80 columns, video window at 0xD000; every pass writes all 2000 cells with
// the next glyph.
const std::vector<std::uint8_t> ScreenLoop = {
    0x3E, 0x10,       // ld a, 0x10 (normal video)
    0xD3, 0xE0,       // out (0xe0), a
    0x3E, 0xA0,       // ld a, 0xa0 (window mapped high, 80 columns)
    0xD3, 0xE8,       // out (0xe8), a
    0x1E, 0x20,       // ld e, ' '
    0x21, 0x00, 0xD0, // pass: ld hl, 0xd000
    0x01, 0xD0, 0x07, //       ld bc, 2000
    0x73,             // cell: ld (hl), e
    0x23,             //       inc hl
    0x0B,             //       dec bc
    0x78,             //       ld a, b
    0xB1,             //       or c
    0x20, 0xF9,       //       jr nz, cell
    0x1C,             //       inc e
    0x18, 0xF0,       //       jr pass
};

void BM_MachineCpuBound(benchmark::State& state) {
    Bench bench(CpuLoop);
    bench.Run(state, [] { return MainRam[0x2000] != 0; });
}
BENCHMARK(BM_MachineCpuBound)->Unit(benchmark::kMillisecond);

void BM_MachineScreenRewrite(benchmark::State& state) {
    Bench bench(ScreenLoop);
    bench.Run(state, [] { return TextVram[1999] != 0; }); // every cell was written through the window
}
BENCHMARK(BM_MachineScreenRewrite)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
