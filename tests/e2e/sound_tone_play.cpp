// Plays a square-wave tone through the desktop's sound output the way the
// emulator does: a threaded timer runs a 10 ms slice of 80000 T-states per
// tick; within it a program toggles the speaker line every half period, the
// line is sampled every 125 T-states into a ring of levels, and every 1600
// T-states the looping buffer is refilled from its last write position up to
// the play cursor.
// Usage: e2e_sound_tone_play SECONDS FREQUENCY_HZ [BUSY_MS_PER_TICK]
// Exits 77 when the system has no audio output.
#include "platform_qt/qt_sound_device.h"
#include "ui/timer/threaded_timer.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int SliceTStates = 80000;
constexpr int TStatesPerSecond = 8000000;
constexpr int SamplePeriod = 125;  // T-states per sample: 64000 samples a second
constexpr int RefillPeriod = 1600; // T-states between refills
constexpr int Step = 25;           // divides both periods
constexpr int RingSize = 10000;
constexpr int StartLag = 2000;                // entries recorded ahead of the player at start
constexpr int LagLimit = 8000;                // beyond this the player skips ahead to StartLag
constexpr std::uint32_t SilenceMargin = 2560; // bytes kept written ahead of the play cursor
constexpr std::uint16_t HighSample = 0xA000;

class Speaker {
  public:
    explicit Speaker(platform::LoopingSoundBuffer& buffer) : buffer_(buffer), ring_(RingSize, 0) {}

    // One slice of the program: the line toggles every half period.
    void RunSlice(double halfPeriodTStates) {
        for (int t = 0; t < SliceTStates; t += Step) {
            toneClock_ += Step;
            if (toneClock_ >= halfPeriodTStates) {
                toneClock_ -= halfPeriodTStates;
                level_ = !level_;
            }
            if ((sampleClock_ += Step) >= SamplePeriod) {
                sampleClock_ -= SamplePeriod;
                ring_[write_] = level_;
                write_ = (write_ + 1) % RingSize;
                if (Lag() > LagLimit) read_ = (write_ - StartLag + RingSize) % RingSize; // skip ahead
            }
            if ((refillClock_ += Step) >= RefillPeriod) {
                refillClock_ -= RefillPeriod;
                Refill();
            }
        }
    }
    int Refills() const { return refills_; }
    int Starved() const { return starved_; }

  private:
    int Lag() const { return (write_ - read_ + RingSize) % RingSize; }

    void Refill() {
        ++refills_;
        const std::uint32_t size = buffer_.Size();
        std::uint32_t cursor = 0;
        buffer_.GetCurrentPosition(cursor);
        cursor %= size;
        // Equal positions: all that was written is still to be played.
        std::uint32_t free = cursor >= writePos_ ? cursor - writePos_ : size - (writePos_ - cursor);
        free &= ~1u;
        const std::uint32_t recorded = 2u * static_cast<std::uint32_t>(Lag());
        std::uint32_t bytes = std::min(free, recorded);
        const std::uint32_t unplayed = size - free + bytes;
        if (unplayed < SilenceMargin) {
            ++starved_; // the recording fell behind the output
            bytes += std::min(free - bytes, SilenceMargin - unplayed);
        }
        if (bytes == 0) return;
        std::uint8_t* part[2] = {nullptr, nullptr};
        std::uint32_t partSize[2] = {0, 0};
        if (!buffer_.Lock(writePos_, bytes, &part[0], &partSize[0], &part[1], &partSize[1])) return;
        std::uint32_t fromRing = std::min(bytes, recorded) / 2;
        for (int p = 0; p < 2; ++p) {
            for (std::uint32_t i = 0; i + 1 < partSize[p]; i += 2) {
                std::uint16_t sample = 0;
                if (fromRing > 0) {
                    sample = ring_[read_] ? HighSample : 0;
                    read_ = (read_ + 1) % RingSize;
                    --fromRing;
                }
                part[p][i] = static_cast<std::uint8_t>(sample & 0xFF);
                part[p][i + 1] = static_cast<std::uint8_t>(sample >> 8);
            }
        }
        buffer_.Unlock(part[0], partSize[0], part[1], partSize[1]);
        writePos_ = (writePos_ + bytes) % size;
    }

    platform::LoopingSoundBuffer& buffer_;
    std::vector<std::uint8_t> ring_;
    int write_ = StartLag, read_ = 0;
    std::uint32_t writePos_ = 0;
    bool level_ = false;
    double toneClock_ = 0;
    int sampleClock_ = 0, refillClock_ = 0;
    int refills_ = 0, starved_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SECONDS FREQUENCY_HZ [BUSY_MS_PER_TICK]\n", argv[0]);
        return 2;
    }
    const double seconds = std::atof(argv[1]);
    const double frequency = std::atof(argv[2]);
    const int busyMs = argc > 3 ? std::atoi(argv[3]) : 0;
    if (seconds <= 0 || frequency <= 0) return 2;

    QCoreApplication app(argc, argv);
    platform_qt::QtSoundDevice device;
    auto buffer = device.CreateLoopingBuffer(platform::SoundFormat{}, 10000);
    if (!buffer || !buffer->Play()) {
        std::fprintf(stderr, "no audio output\n");
        return 77;
    }
    Speaker speaker(*buffer);
    const double halfPeriod = TStatesPerSecond / (2 * frequency);

    TThreadedTimer timer;
    int ticks = 0;
    timer.SetInterval(10);
    timer.OnTimer = [&](QObject*) {
        ++ticks;
        speaker.RunSlice(halfPeriod);
        // The rest of an emulated slice's work.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(busyMs);
        while (std::chrono::steady_clock::now() < until) {
        }
    };
    const auto start = std::chrono::steady_clock::now();
    timer.SetEnabled(true);
    QTimer::singleShot(static_cast<int>(seconds * 1000), Qt::PreciseTimer, &app, [&] {
        timer.SetEnabled(false);
        app.quit();
    });
    app.exec();
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("played %.2f s: %d ticks (%.1f a second), %d refills, %d starved\n", elapsed, ticks,
                ticks / elapsed, speaker.Refills(), speaker.Starved());
    return 0;
}
