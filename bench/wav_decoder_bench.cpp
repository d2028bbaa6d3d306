// libs: wav_decoder machine
// The WAV decoder's pulse reader over a 10-minute recording of a tape (16-bit
// mono at 44.1 kHz, with noise), read from a file until the data ends.
// Counters: pulses per second and the multiple of real time (600 s of recording).
#include <benchmark/benchmark.h>

#include "fixtures/tape_wav.h"
#include "fixtures/temp_dir.h"
#include "ui/wav/wav_decoder.h"

#include <string>

namespace {

constexpr double RecordingSeconds = 600;

// Our tape with a body long enough for ten minutes, cut there.
class TenMinuteRecording {
  public:
    TenMinuteRecording() {
        const fixtures::WavSignal signal{.Noise = 6, .LeadSeconds = 0, .TailSeconds = 0, .Seed = 5};
        std::vector<std::uint8_t> image(TQJFHandler::HeaderSize + 48 * 1024);
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = std::uint8_t(i * 37 + (i >> 8));
        auto levels = fixtures::TapeLevels(image);
        levels.resize(std::size_t(RecordingSeconds * signal.UnitRate), 0);
        Path = Dir.File("ten_minutes.wav");
        fixtures::WriteBytes(Path, fixtures::TapeWav(levels, signal));
    }
    fixtures::TempDir Dir;
    std::string Path;
};

void BM_PulseReaderTenMinutes(benchmark::State& state) {
    static const TenMinuteRecording recording;
    std::int64_t pulses = 0;
    for (auto _ : state) {
        TWavDecoder decoder;
        if (!decoder.Open(recording.Path)) {
            state.SkipWithError(decoder.HeaderProblem.c_str());
            return;
        }
        decoder.Threshold = 192;
        try {
            for (;;) {
                benchmark::DoNotOptimize(decoder.MeasurePulse());
                ++pulses;
            }
        } catch (const EWavDataEnded&) {
        }
    }
    state.counters["pulses/s"] = benchmark::Counter(double(pulses), benchmark::Counter::kIsRate);
    state.counters["x real"] =
        benchmark::Counter(RecordingSeconds * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PulseReaderTenMinutes)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
