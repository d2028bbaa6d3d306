// libs: machine
// What the automatic disc write-back costs the window thread, against what a
// save costs: a sector written to an 11.5 MB image (the largest the format
// holds is 13 MB; a real disc of this machine well under 2 MB), then the poll
// that starts its save, which only brings the copy up to date. The save
// itself runs on the writer's thread and is timed here on its own.
#include <benchmark/benchmark.h>

#include "fixtures/dsk_builder.h"
#include "fixtures/temp_dir.h"
#include "machine/disc_write_back.h"

#include <chrono>

namespace {

struct Disc {
    Disc() {
        fixtures::DskBuilder().Uniform(100, 2, 7, 6).Save(Path);
        Drive.LoadImage(Path, 0);
    }
    void WriteSector(int n) {
        Drive.SeekTrack(0, std::uint8_t(n % 100));
        Drive.SeekSector(1);
        for (int i = 0; i < 512; ++i)
            Drive.WriteByte(std::uint8_t(n + i));
    }
    fixtures::TempDir Dir;
    std::string Path = Dir.File("disc.dsk");
    TVirtualDsk Drive;
};

// Each poll waits, untimed, for the whole save the one before started (40 to
// 50 ms with its flush to disc): left to itself the library would run some
// 20000 of them to fill its half second of timed polls, some 18 minutes.
constexpr int Saves = 300;

void BM_PollStartingASave(benchmark::State& state) {
    Disc disc;
    TDiscWriteBack writer(&disc.Drive, 1);
    auto now = TDiscWriteBack::TClock::now();
    writer.Poll(now); // the whole copy, once, at the first sight of the image
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        writer.Settle();
        disc.WriteSector(n++);
        now += TDiscWriteBack::PollPeriod;
        writer.Poll(now); // sees the write
        now += TDiscWriteBack::Delay;
        state.ResumeTiming();
        writer.Poll(now); // starts the save
    }
    writer.Settle();
}
BENCHMARK(BM_PollStartingASave)->Unit(benchmark::kMicrosecond)->Iterations(Saves);

void BM_SaveOnTheWritersThread(benchmark::State& state) {
    Disc disc;
    int n = 0;
    for (auto _ : state) {
        disc.WriteSector(n++);
        disc.Drive.Save();
    }
}
BENCHMARK(BM_SaveOnTheWritersThread)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
