// The decoder's steps on recordings made sample by sample: levels, pulse widths,
// calibration of the short and long widths, byte decoding, the end of data, and
// recordings from streams, read errors and files too large for a WAV.
#include "wav_test_support.h"

#include "fixtures/failing_stream.h"
#include "fixtures/file_contents.h"
#include "fixtures/file_faults.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

using namespace wavtest;

namespace {
std::vector<int> Levels(TWavDecoder& d, int count) {
    std::vector<int> out;
    for (int i = 0; i < count; ++i)
        out.push_back(d.ReadSample());
    return out;
}

std::string Write(fixtures::TempDir& dir, const std::vector<std::uint8_t>& bytes) {
    const std::string path = dir.File("test.wav");
    fixtures::WriteBytes(path, bytes);
    return path;
}
} // namespace

TEST(WavSamples, SixteenBitSamplesBecomeLevelsTruncatedTowardZero) {
    fixtures::TempDir dir;
    TWavDecoder d;
    ASSERT_TRUE(
        d.Open(Write(dir, fixtures::WavFile(44100, 16, 1, {-200, -256, -32768, 32767, 255, -255, 256, 0}))));
    EXPECT_EQ(Levels(d, 8), (std::vector<int>{128, 127, 0, 255, 128, 128, 129, 128}));
    EXPECT_THROW(d.ReadSample(), EWavDataEnded);
}

TEST(WavSamples, EightBitSamplesAreTheLevels) {
    fixtures::TempDir dir;
    TWavDecoder d;
    ASSERT_TRUE(d.Open(Write(dir, fixtures::WavFile(8000, 8, 1, {0, 127, 128, 255}))));
    EXPECT_EQ(Levels(d, 4), (std::vector<int>{0, 127, 128, 255}));
}

TEST(WavSamples, OnlyTheFirstChannelIsRead) {
    struct Case {
        std::uint16_t bits, channels;
        std::vector<int> samples;
        std::vector<int> levels;
    };
    const Case cases[] = {
        {16, 2, {100 * 256, -1, -50 * 256, 32767}, {228, 78}},
        {8, 2, {10, 20, 30, 40}, {10, 30}},
        {8, 3, {10, 20, 30, 40, 50, 60}, {10, 40}},
        {16, 4, {256, 1, 2, 3, 512, 4, 5, 6, 768, 7, 8, 9}, {129, 130, 131}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, " << c.channels << " channels");
        fixtures::TempDir dir;
        TWavDecoder d;
        ASSERT_TRUE(d.Open(Write(dir, fixtures::WavFile(44100, c.bits, c.channels, c.samples))));
        EXPECT_EQ(Levels(d, int(c.levels.size())), c.levels);
        EXPECT_THROW(d.ReadSample(), EWavDataEnded);
        EXPECT_EQ(d.Position(), d.DataEnd());
    }
}

TEST(WavSamples, ALastFrameCutShortStillGivesItsFirstChannel) {
    fixtures::TempDir dir;
    // 16-bit stereo: one whole frame, then only the first channel of the next.
    auto wav = fixtures::WavFile(44100, 16, 2, {256, 0, 512});
    TWavDecoder d;
    ASSERT_TRUE(d.Open(Write(dir, wav)));
    EXPECT_EQ(Levels(d, 2), (std::vector<int>{129, 130}));
    EXPECT_THROW(d.ReadSample(), EWavDataEnded);
    // Half a sample is no sample.
    wav.pop_back();
    wav[40] = 5;
    ASSERT_TRUE(d.Open(Write(dir, wav)));
    EXPECT_EQ(Levels(d, 1), (std::vector<int>{129}));
    EXPECT_THROW(d.ReadSample(), EWavDataEnded);
}

TEST(WavSamples, TheSamplesRunToTheEndOfTheFileWhateverLengthTheHeaderGives) {
    // 0: a streaming recorder never patched it; 2: shorter than the file; the
    // rest: longer, up to the largest a header can give.
    for (const std::uint32_t length : {0u, 2u, 4u, 5u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(length);
        fixtures::TempDir dir;
        auto wav = fixtures::WavFile(44100, 8, 1, {1, 2, 3, 4});
        for (int i = 0; i < 4; ++i)
            wav[40 + i] = std::uint8_t(length >> (8 * i));
        TWavDecoder d;
        ASSERT_TRUE(d.Open(Write(dir, wav)));
        EXPECT_EQ(d.DataLength, length);
        EXPECT_EQ(d.DataInFile(), 4);
        EXPECT_EQ(d.DataEnd(), 48);
        EXPECT_EQ(Levels(d, 4), (std::vector<int>{1, 2, 3, 4}));
        EXPECT_THROW(d.ReadSample(), EWavDataEnded);
    }
}

TEST(WavSamples, ARecordingIsReadFromAnyStreamWhateverPartsItsReadsGive) {
    // A stream that hands out at most three bytes a read.
    class Trickle : public platform::TMemoryStream {
      public:
        std::size_t Read(void* buffer, std::size_t count) override {
            return TMemoryStream::Read(buffer, std::min<std::size_t>(count, 3));
        }
    };
    const std::vector<int> samples = {-200, -256, 32767, 256, 512};
    const auto wav = fixtures::WavFile(44100, 16, 1, samples);
    auto stream = std::make_unique<Trickle>();
    stream->WriteBuffer(wav.data(), wav.size());
    TWavDecoder d;
    ASSERT_TRUE(d.Open(std::move(stream)));
    EXPECT_EQ(d.Channels, 1);
    EXPECT_EQ(Levels(d, 5), (std::vector<int>{128, 127, 255, 129, 130}));
    EXPECT_THROW(d.ReadSample(), EWavDataEnded);
}

TEST(WavSamples, AReadErrorIsAnErrorNotTheEndOfTheData) {
    const auto wav = fixtures::WavFile(8000, 8, 1, std::vector<int>(100, 7));
    // In the header, and after five samples.
    for (const std::int64_t failAt : {20, 49}) {
        SCOPED_TRACE(failAt);
        TWavDecoder d;
        const auto read = [&] {
            if (!d.Open(std::make_unique<fixtures::FailingStream>("tape.wav", wav, failAt))) return;
            for (int i = 0; i < 100; ++i)
                d.ReadSample();
        };
        EXPECT_EQ(fixtures::MessageOf(read), "Cannot read file tape.wav: Input/output error");
    }
}

TEST(WavHeader, TheCanonicalHeaderIsReadIntoTheFields) {
    fixtures::TempDir dir;
    TWavDecoder d;
    ASSERT_TRUE(d.Open(Write(dir, fixtures::WavFile(48000, 16, 2, {0, 0}))));
    EXPECT_EQ(d.FormatTag, 1);
    EXPECT_EQ(d.Channels, 2);
    EXPECT_EQ(d.SampleRate, 48000u);
    EXPECT_EQ(d.BitsPerSample, 16);
    EXPECT_EQ(d.DataStart, 44u);
    EXPECT_EQ(d.Position(), 44);
    EXPECT_TRUE(d.HeaderProblem.empty());
    d.Close();
    EXPECT_EQ(d.Stream, nullptr);
    EXPECT_THROW(d.ReadSample(), EWavDataEnded);
}

// RIFF sizes are 32-bit: a file larger than an 8-byte chunk header and 4 GiB
// less one is no WAV file, whatever its header says.
TEST(WavHeader, AFileLargerThanRiffCanHoldIsRefusedBeforeItsHeaderIsRead) {
    fixtures::TempDir dir;
    const std::string path = dir.File("huge.wav");
    const auto header = fixtures::WavHeader(44100, 8, 1, 0xFFFFFFFFu - 36);
    for (const std::int64_t size : {TWavDecoder::MaxFileSize, TWavDecoder::MaxFileSize + 1}) {
        SCOPED_TRACE(size);
        ASSERT_TRUE(fixtures::MakeSparseFile(path, std::uint64_t(size)));
        {
            std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
            f.write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
            ASSERT_TRUE(f.good());
        }
        TWavDecoder d;
        const bool fits = size == TWavDecoder::MaxFileSize;
        EXPECT_EQ(d.Open(path), fits);
        EXPECT_EQ(d.HeaderProblem, fits ? ""
                                        : "The file is 4294967304 bytes long, more than a WAV file can hold "
                                          "(4294967303 bytes: RIFF sizes are 32-bit)");
        if (fits) {
            EXPECT_EQ(d.DataInFile(), size - 44);
        }
    }
}

TEST(WavHeader, AnotherChunkBeforeTheDataIsRejected) {
    fixtures::TempDir dir;
    auto wav = fixtures::WavFile(44100, 8, 1, {1, 2});
    const std::uint8_t list[] = {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'};
    wav.insert(wav.begin() + 36, std::begin(list), std::end(list));
    TWavDecoder d;
    EXPECT_FALSE(d.Open(Write(dir, wav)));
    EXPECT_EQ(d.HeaderProblem, "The \"data\" chunk does not follow the \"fmt \" chunk");
    EXPECT_THROW(d.ReadSample(), EWavDataEnded);
}

TEST(WavPulses, AWidthCountsTheHighSamplesAfterTheFirst_AndTheOneThatEndsIt) {
    fixtures::TempDir dir;
    TWavDecoder d;
    // Lows, then 129 x 6 and a 128 (not above 128) ending the run.
    OpenSamples(dir, d, {0, 127, 129, 129, 129, 129, 129, 129, 128, 0});
    EXPECT_EQ(d.MeasurePulse(), 6);
    EXPECT_EQ(d.Position(), 44 + 9);
}

TEST(WavPulses, LongPulsesThatStayHighOnAverageAreDiscarded) {
    struct Case {
        int width, high, end; // end: the sample that ends the run
        std::uint8_t threshold;
        int measured; // the pulse's width, or the next one's (7) when it is discarded
    };
    const Case cases[] = {
        {41, 250, 128, 192, 7},  // running mean ends at 188, above 170
        {41, 250, 60, 192, 41},  // a low ending sample pulls the mean to 154
        {41, 200, 128, 192, 41}, // mean 163
        {40, 250, 128, 192, 40}, // 40 samples or fewer are never discarded
        {41, 150, 128, 0, 7},    // before calibration the limit is 43
        {300, 150, 60, 192, 44}, // the 8-bit count wraps: 300 measures 44
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " samples at " << c.high << " ending at " << c.end);
        fixtures::TempDir dir;
        TWavDecoder d;
        OpenSamples(dir, d, Join(PulseSamples({c.width}, c.high, c.end), PulseSamples({7})));
        d.Threshold = c.threshold;
        EXPECT_EQ(d.MeasurePulse(), c.measured);
    }
}

TEST(WavPulses, PulseLoopsStopAtTheEndOfTheData) {
    fixtures::TempDir dir;
    TWavDecoder d;
    OpenSamples(dir, d, PulseSamples({9, 9}));
    EXPECT_EQ(d.MeasurePulse(), 9);
    EXPECT_EQ(d.MeasurePulse(), 9);
    EXPECT_THROW(d.MeasurePulse(), EWavDataEnded);
    // A recording that is high to its end, and one that never rises.
    OpenSamples(dir, d, std::vector<int>(5000, 250));
    EXPECT_THROW(d.MeasurePulse(), EWavDataEnded);
    OpenSamples(dir, d, std::vector<int>(5000, 100));
    EXPECT_THROW(d.FindStart(), EWavDataEnded);
    EXPECT_EQ(d.Position(), d.DataEnd());
}

namespace {
// Byte offset after the sample that ends pulse k of PulseSamples(widths) with
// `lead` samples before it.
std::int64_t AfterPulse(const std::vector<int>& widths, std::size_t k, int lead) {
    std::int64_t offset = 44 + lead;
    for (std::size_t j = 0; j < k; ++j)
        offset += widths[j] + 4;
    return offset + widths[k] + 1;
}
} // namespace

TEST(WavCalibration, FindStartMeasuresShortAndLongWidths) {
    struct Case {
        const char* name;
        std::vector<int> shorts; // after the 201 pulses of the lead-in
        int lead;                // width of the lead-in pulses
        std::vector<int> longs;  // the long run, ended by a short pulse
        std::vector<int> tail;   // skipped up to and including the first long pulse
        std::vector<std::uint8_t> shortWidths, longWidths;
        int shortDelay, longDelay;
    };
    const Case cases[] = {
        {"three distinct widths",
         {9, 9, 10, 9, 11, 20},
         9,
         {20, 20, 22, 9},
         {9, 9, 20},
         {9, 10, 11, 0, 0},
         {20, 22, 0, 0, 0},
         15,
         15},
        {"a sixth width is not kept",
         {5, 6, 7, 8, 9, 10, 30},
         10,
         {30, 30, 5},
         {30},
         {5, 6, 7, 8, 9},
         {30, 0, 0, 0, 0},
         19,
         17},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int> widths = Join(Join(Join(Repeat(c.lead, 201), c.shorts), c.longs), c.tail);
        const int silence = 10;
        fixtures::TempDir dir;
        MemoDecoder m;
        OpenSamples(dir, m.Decoder, Join(std::vector<int>(silence, 128), PulseSamples(widths)));
        m.Decoder.FindStart();

        EXPECT_EQ(m.Decoder.Threshold, 192);
        EXPECT_EQ(
            std::vector<std::uint8_t>(std::begin(m.Decoder.ShortWidths), std::end(m.Decoder.ShortWidths)),
            c.shortWidths);
        EXPECT_EQ(std::vector<std::uint8_t>(std::begin(m.Decoder.LongWidths), std::end(m.Decoder.LongWidths)),
                  c.longWidths);
        EXPECT_EQ(m.Decoder.ShortDelay, c.shortDelay);
        EXPECT_EQ(m.Decoder.LongDelay, c.longDelay);
        // The first long pulse of the tail was the last one read.
        EXPECT_THROW(m.Decoder.MeasurePulse(), EWavDataEnded);

        const std::size_t lf = 201 + c.shorts.size() - 1, hf = lf + c.longs.size();
        const std::vector<std::string> expected = {
            "HF starting from " + std::to_string((silence + 1) / 2),
            "LF starting from " + std::to_string((AfterPulse(widths, lf, silence) - 44) / 2),
            "ShortDelay is " + std::to_string(c.shortDelay),
            "HF continues from " + std::to_string((AfterPulse(widths, hf, silence) - 44) / 2),
            "LongDelay is " + std::to_string(c.longDelay),
        };
        EXPECT_EQ(m.Lines, expected);
    }
}

TEST(WavBytes, DataPulsesAreReadMostSignificantBitFirst) {
    struct Case {
        std::vector<int> pulses; // start pulse, then eight data pulses
        std::uint8_t value;
    };
    const Case cases[] = {
        {{20, 20, 9, 9, 9, 9, 9, 9, 20}, 0x81},
        {{15, 12, 11, 12, 11, 11, 12, 11, 12}, 0xA5}, // 12 = ShortDelay + 3 is long, 11 short
        {{9, 9, 9, 9, 9, 9, 9, 9, 9}, 0x00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.value));
        fixtures::TempDir dir;
        MemoDecoder m;
        OpenSamples(dir, m.Decoder, PulseSamples(c.pulses));
        m.Decoder.ShortDelay = 9;
        EXPECT_EQ(m.Decoder.ReadByte(), c.value);
        EXPECT_EQ(m.Decoder.LongDelay, c.pulses[0]);
        std::vector<std::string> expected = {"LongDelay is " + std::to_string(c.pulses[0])};
        for (std::size_t i = 1; i < c.pulses.size(); ++i)
            expected.push_back("read " + std::to_string(c.pulses[i]));
        EXPECT_EQ(m.Lines, expected);
    }
}
