// The speaker: refill regions, sample values, failed locks, the bounded
// distance between recorder and player, and the pitch of a square wave played
// by a program under 10 ms ticks.
#include "board_test_support.h"

#include <algorithm>
#include <cmath>

namespace {

using board_test::Rig;

constexpr int Ring = TQJ47R::RingSize;

// Ring entry i is high when bit (i mod 7) of 0x4B is set: an irregular pattern.
bool PatternHigh(int i) { return (0x4B >> (i % 7)) & 1; }
void FillRingPattern(TQJ47RProbe p) {
    for (int i = 0; i < Ring; ++i)
        p.SpeakerRing()[i] = PatternHigh(i) ? 4 : 0;
}
std::int16_t PatternSample(int i) { return PatternHigh(i % Ring) ? TQJ47R::HighSample : 0; }

TEST(BoardSound, RefillWritesFromTheLastPositionUpToThePlayCursorAcrossTheWrap) {
    Rig rig;
    auto p = rig.P();
    FillRingPattern(p);
    rig.Sound.Advance(11000); // play cursor at 1000
    rig.Sound.ClearCapture();
    p.SoundWritePos() = 9000;
    const int read = p.RingReadIndex();
    p.UpdateSound();
    EXPECT_EQ(p.SoundWritePos(), 1000u);
    EXPECT_EQ(p.RingReadIndex(), read + 1000);
    // The I/O monitor's counters wait for the driver's once-per-slice call;
    // the second region was filled last: its count and the indices after it.
    EXPECT_TRUE(rig.Services.Labels.empty());
    rig.M().ShowSoundCounters();
    EXPECT_EQ(rig.Services.Labels[8], "500");
    EXPECT_EQ(rig.Services.Labels[9], std::to_string(read + 500));
    EXPECT_EQ(rig.Services.Labels[10], std::to_string(p.RingWriteIndex()));

    rig.Sound.Advance(10000); // once round: 1000..8999 old, then 9000..999 new
    const auto s = rig.Sound.Samples16();
    ASSERT_EQ(s.size(), 5000u);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(s[4000 + i], PatternSample(read + i)) << "sample " << i;
}

TEST(BoardSound, EqualPositionsWriteNothing) {
    Rig rig;
    auto p = rig.P();
    rig.Sound.Advance(3000);
    p.SoundWritePos() = 3000;
    const int read = p.RingReadIndex();
    for (int i = 0; i < 5; ++i)
        p.UpdateSound();
    EXPECT_EQ(p.SoundWritePos(), 3000u);
    EXPECT_EQ(p.RingReadIndex(), read);
}

TEST(BoardSound, PcTwoLevelsBecomeHighAndZeroSamples) {
    for (bool high : {false, true}) {
        SCOPED_TRACE(high);
        Rig rig;
        TQJ47R& m = rig.M();
        auto p = rig.P();
        m.WritePort(0xE3, high ? 0x05 : 0x04);
        std::fill(p.SpeakerRing(), p.SpeakerRing() + Ring,
                  std::uint8_t(high ? 0 : 4));  // the opposite
        p.RingReadIndex() = p.RingWriteIndex(); // nothing recorded yet
        for (int i = 0; i < 2000; ++i)
            m.CheckInterrupt(50);
        // 100000 T-states: 800 entries recorded, taken as the cursor allows.
        rig.Sound.Advance(1600);
        for (int i = 0; i < 40; ++i)
            m.CheckInterrupt(50);
        EXPECT_EQ(p.SoundWritePos(), 1600u);
        rig.Sound.ClearCapture();
        rig.Sound.Advance(10000);
        const auto s = rig.Sound.Samples16();
        // The refill went to bytes 0-1599, played after the rest of the round.
        for (int i = 0; i < 800; ++i)
            ASSERT_EQ(s[4200 + i], high ? TQJ47R::HighSample : 0) << i;
    }
}

TEST(BoardSound, RefillTakesNoMoreThanWasRecordedAndTopsUpLater) {
    Rig rig;
    TQJ47R& m = rig.M();
    auto p = rig.P();
    rig.Sound.Advance(1280);
    p.RingReadIndex() = p.RingWriteIndex() - 100; // 100 entries recorded
    p.UpdateSound();
    EXPECT_EQ(p.SoundWritePos(), 200u);
    EXPECT_EQ(p.RingLag(), 0);
    for (int i = 0; i < 700; ++i)
        m.CheckInterrupt(125); // about 700 more entries, refilled as they come
    p.UpdateSound();
    EXPECT_EQ(p.SoundWritePos(), 1280u);
    EXPECT_GT(p.RingLag(), 0);
}

TEST(BoardSound, FailedLockIsRetriedOnceThenTheRefillIsSkipped) {
    Rig rig;
    auto p = rig.P();
    auto buffer = rig.Sound.Buffer();
    rig.Sound.Advance(400);
    buffer->FailLocks(1);
    p.UpdateSound();
    EXPECT_EQ(p.SoundWritePos(), 400u);
    EXPECT_TRUE(buffer->IsPlaying()); // brought back and playing again

    rig.Sound.Advance(400);
    const int read = p.RingReadIndex();
    buffer->FailLocks(2);
    p.UpdateSound(); // returns: no endless retry
    EXPECT_EQ(p.SoundWritePos(), 400u);
    EXPECT_EQ(p.RingReadIndex(), read);
    p.UpdateSound();
    EXPECT_EQ(p.SoundWritePos(), 800u);

    rig.Sound.Advance(400);
    buffer->MarkLost(); // a lost buffer is restored by the retry
    p.UpdateSound();
    EXPECT_FALSE(buffer->IsLost());
    EXPECT_TRUE(buffer->IsPlaying());
    EXPECT_EQ(p.SoundWritePos(), 1200u);
}

TEST(BoardSound, RecorderFarAheadMakesThePlayerSkipToRecentSound) {
    Rig rig;
    auto p = rig.P();
    rig.LoadProgram({0x18, 0xFE}); // jr $: the device never plays meanwhile
    rig.RunSlices(30);             // 19200 entries recorded
    EXPECT_LE(p.RingLag(), TQJ47R::RingLagLimit);
    EXPECT_GT(p.RingLag(), 0);
    EXPECT_EQ(p.SoundWritePos(), 0u);
}

// A program toggling PC2 through the 8255 control port: both halves are
// ld a,n / out / ld b,D / djnz, then jp back: 26 D + 50 T-states a period.
std::vector<std::uint8_t> SquareWave(std::uint8_t d) {
    return {0x3E, 0x05, 0xD3, 0xE3, 0x06, d,    0x10, 0xFE, 0x3E, 0x04,
            0xD3, 0xE3, 0x06, d,    0x10, 0xFE, 0xC3, 0x00, 0x00};
}

// `periods` periods of about 2 kHz on PC2, then PC2 held low.
std::vector<std::uint8_t> ToneThenSilence(std::uint8_t periods) {
    return {0x21, periods, 0x00,                              // ld hl, periods
            0x3E, 0x05,    0xD3, 0xE3, 0x06, 152, 0x10, 0xFE, // PC2 high, delay
            0x3E, 0x04,    0xD3, 0xE3, 0x06, 152, 0x10, 0xFE, // PC2 low, delay
            0x2B, 0x7C,    0xB5, 0x20, 0xEB,                  // dec hl / ld a,h / or l / jr nz
            0x18, 0xFE};                                      // jr $, PC2 low
}

// Rising edges in the played samples.
int Rises(const std::vector<std::int16_t>& s) {
    int rises = 0;
    for (std::size_t i = 1; i < s.size(); ++i)
        rises += s[i] && !s[i - 1];
    return rises;
}

TEST(BoardSound, SquareWaveKeepsItsPitchWithoutGapsUnderTenMillisecondTicks) {
    for (int d : {60, 152, 255}) {
        const int period = 26 * d + 50;
        const double hz = 8000000.0 / period;
        SCOPED_TRACE(testing::Message() << hz << " Hz");
        Rig rig;
        rig.LoadProgram(SquareWave(std::uint8_t(d)));
        for (int slice = 0; slice < 200; ++slice) { // 2 s
            rig.RunSlices(1);
            rig.Sound.Advance(1280);
        }
        const auto s = rig.Sound.Samples16();
        ASSERT_EQ(s.size(), 200u * 640u);
        std::vector<std::size_t> rises;
        for (std::size_t i = 1; i < s.size(); ++i) {
            ASSERT_TRUE(s[i] == 0 || s[i] == TQJ47R::HighSample) << i;
            if (s[i] && !s[i - 1]) rises.push_back(i);
        }
        ASSERT_GT(rises.size(), 100u);
        EXPECT_LT(rises.front(), 10000u) << "the sound starts after the buffered silence";
        const double measured =
            double(TQJ47R::SampleRate) * double(rises.size() - 1) / double(rises.back() - rises.front());
        EXPECT_NEAR(measured, hz, hz * 0.02);
        // No run of one level longer than a half period (plus one sample of rounding).
        const std::size_t longest = std::size_t(std::ceil(period / 2.0 / TQJ47R::SamplePeriod)) + 1;
        std::size_t run = 1;
        for (std::size_t i = rises.front() + 1; i < s.size(); ++i) {
            run = s[i] == s[i - 1] ? run + 1 : 1;
            ASSERT_LE(run, longest) << "gap at sample " << i;
        }
    }
}

// When the output plays faster than the machine records (a machine slower
// than real time), the buffer runs ahead of the sound: what it plays beyond the
// recorded sound must be silence, never the old content of the looping buffer.
TEST(BoardSound, OutputFasterThanTheMachinePlaysNothingTwice) {
    constexpr int Periods = 100;
    Rig rig;
    rig.LoadProgram(ToneThenSilence(Periods));
    for (int slice = 0; slice < 40; ++slice) {
        rig.RunSlices(1);
        rig.Sound.Advance(2560); // 20 ms of sound per 10 ms of machine time
    }
    EXPECT_EQ(Rises(rig.Sound.Samples16()), Periods);
}

// The output running ahead of a machine slower than real time, and then a
// window-thread stall: 70 ms played since the last refill (the buffer holds 78
// ms). Past the recorded sound the output plays silence, never the buffer's
// old content again.
TEST(BoardSound, AStallOfTheWindowThreadPlaysSilenceNotOldSound) {
    constexpr int Periods = 100; // about 50 ms of tone, then silence
    Rig rig;
    rig.LoadProgram(ToneThenSilence(Periods));
    const auto run = [&](int slices) {
        for (int slice = 0; slice < slices; ++slice) {
            rig.RunSlices(1);
            rig.Sound.Advance(2560); // 20 ms of sound per 10 ms of machine time
        }
    };
    run(7);
    rig.RunSlices(1);
    rig.Sound.Advance(70 * 128); // 70 ms played since the last refill
    run(10);
    EXPECT_EQ(Rises(rig.Sound.Samples16()), Periods);
}

// While the emulation is stopped the output stands still: it plays silence
// instead of going round the looping buffer, and on resuming plays on from
// where it stopped. A refill that restores a lost buffer meanwhile (a step)
// does not start it again.
TEST(BoardSound, PausedOutputStandsStillAndResumesWhereItStopped) {
    Rig rig;
    auto p = rig.P();
    const auto& buffer = rig.Sound.Buffer();
    FillRingPattern(p);
    rig.Sound.Advance(4000);
    const int read = p.RingReadIndex();
    p.UpdateSound(); // 2000 recorded samples into bytes 0-3999
    rig.Sound.Advance(6000);

    rig.M().PauseSound();
    EXPECT_FALSE(buffer->IsPlaying());
    rig.Sound.ClearCapture();
    rig.Sound.Advance(20000);
    const auto silent = rig.Sound.Samples16();
    EXPECT_EQ(std::count(silent.begin(), silent.end(), 0), 10000);
    std::uint32_t cursor = 1;
    ASSERT_TRUE(buffer->GetCurrentPosition(cursor));
    EXPECT_EQ(cursor, 0u);

    rig.M().ResumeSound();
    EXPECT_TRUE(buffer->IsPlaying());
    rig.Sound.ClearCapture();
    rig.Sound.Advance(4000);
    const auto s = rig.Sound.Samples16();
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(s[i], PatternSample(read + i)) << "sample " << i;

    rig.M().PauseSound();
    buffer->FailLocks(1);
    p.UpdateSound();
    EXPECT_FALSE(buffer->IsPlaying());
    rig.M().ResumeSound();
    EXPECT_TRUE(buffer->IsPlaying());
}

} // namespace
