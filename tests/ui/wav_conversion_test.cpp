// Whole "Process" runs: our tape written as WAV recordings of every kind decodes
// back to its first 17 bytes with the memo lines the wizard shows, damaged
// files end the run with their message, and files that are not regular or
// fail to read raise their error.
#include "ui/wav/wav_conversion.h"
#include "wav_test_support.h"

#include "fixtures/failing_stream.h"
#include "fixtures/file_contents.h"
#include "fixtures/file_faults.h"
#include "platform/exceptions.h"

#include <filesystem>
#include <memory>
#include <functional>
#include <gtest/gtest.h>
#include <regex>

using namespace wavtest;

namespace {
struct RunLog {
    TWavRunResult Result;
    std::vector<std::string> Lines;
};

RunLog Process(TWavDecoder& d, const std::string& source, const std::string& dest) {
    RunLog r;
    d.OnMemoLine = [&r](const std::string& line) { r.Lines.push_back(line); };
    r.Result = RunWavConversion(d, source, dest);
    d.OnMemoLine = nullptr;
    return r;
}

RunLog Process(const std::vector<std::uint8_t>& wav, const std::string& dest = "l") {
    fixtures::TempDir dir;
    const std::string path = dir.File("tape.wav");
    fixtures::WriteBytes(path, wav);
    TWavDecoder d;
    return Process(d, path, dest);
}

std::vector<std::uint8_t> TapeHead(const std::vector<std::uint8_t>& image) {
    return {image.begin(), image.begin() + WavRunBytes};
}

int Number(const std::string& line, const std::string& prefix) {
    std::smatch m;
    const std::regex re(prefix + "(\\d+)");
    if (!std::regex_match(line, m, re)) {
        ADD_FAILURE() << "\"" << line << "\" is not \"" << prefix << "<n>\"";
        return -1;
    }
    return std::stoi(m[1]);
}

// The memo of a complete run, line by line: the calibration, nine lines per
// byte whose widths give the decoded bits, the type, the 16-byte line and the end.
void ExpectCompleteMemo(const RunLog& r, const std::vector<std::uint8_t>& bytes, const std::string& dest) {
    const auto& L = r.Lines;
    ASSERT_EQ(L.size(), 9u + 17 * 9 + 1 + 3);
    EXPECT_EQ(L[0], "Opened WAV File");
    EXPECT_EQ(L[1], "Finding Start of Data");
    const int hf = Number(L[2], "HF starting from ");
    const int lf = Number(L[3], "LF starting from ");
    const int shortDelay = Number(L[4], "ShortDelay is ");
    const int hfAgain = Number(L[5], "HF continues from ");
    Number(L[6], "LongDelay is ");
    EXPECT_EQ(L[7], "Ready to read");
    const int start = Number(L[8], "Start bit is sample ");
    EXPECT_LT(hf, lf);
    EXPECT_LT(lf, hfAgain);
    EXPECT_LT(hfAgain, start);
    std::size_t i = 9;
    for (std::size_t b = 0; b < bytes.size(); ++b) {
        SCOPED_TRACE(testing::Message() << "byte " << b);
        EXPECT_GT(Number(L[i++], "LongDelay is "), shortDelay + 2);
        for (int bit = 7; bit >= 0; --bit)
            EXPECT_EQ(Number(L[i++], "read ") > shortDelay + 2, bool(bytes[b] >> bit & 1)) << "bit " << bit;
        if (b == 0) {
            EXPECT_EQ(L[i++], "File Type is " + std::to_string(bytes[0]));
        }
    }
    EXPECT_EQ(L[i++], WavBytesLine(bytes.data() + 1, 16));
    EXPECT_EQ(L[i++], "Convert Complete");
    EXPECT_EQ(L[i++], "No file was written to " + dest);
}
} // namespace

TEST(WavConversion, OurTapeDecodesFromRecordingsOfEveryKind) {
    struct Case {
        fixtures::WavSignal signal;
        std::uint8_t type;
    };
    const Case cases[] = {
        {{.Rate = 44100, .Bits = 16, .Channels = 1}, 0x01},
        {{.Rate = 44100, .Bits = 8, .Channels = 1, .Offset = 10, .Noise = 6, .Phase = 0.3, .Seed = 7}, 0x81},
        {{.Rate = 48000, .Bits = 16, .Channels = 2, .Offset = -12, .Noise = 8, .Phase = 0.7, .Seed = 3},
         0x02},
        {{.Rate = 48000, .Bits = 8, .Channels = 2, .Amplitude = 100, .Offset = 5, .Noise = 5, .Phase = 0.5},
         0x01},
        {{.Rate = 88200, .Bits = 16, .Channels = 1, .Amplitude = 60, .Offset = 15, .Noise = 8, .Phase = 0.1},
         0x05},
        {{.Rate = 96000, .Bits = 8, .Channels = 1, .Offset = -10, .Noise = 8, .Phase = 0.9, .Seed = 11},
         0x81},
        {{.Rate = 96000, .Bits = 16, .Channels = 3, .Noise = 4, .Phase = 0.2}, 0x01},
        {{.Rate = 32000, .Bits = 8, .Channels = 2, .Offset = 8, .Noise = 4, .Phase = 0.4}, 0x81},
    };
    for (const Case& c : cases) {
        const auto& s = c.signal;
        SCOPED_TRACE(testing::Message() << s.Rate << " Hz, " << s.Bits << " bits, " << s.Channels
                                        << " channels, offset " << s.Offset << ", noise " << s.Noise);
        const auto image = TestTape(c.type);
        const RunLog r = Process(fixtures::TapeWav(fixtures::TapeLevels(image), s), "out.qjf");
        EXPECT_EQ(r.Result.Outcome, TWavRunOutcome::Complete);
        EXPECT_FALSE(r.Result.Message);
        EXPECT_EQ(r.Result.Bytes, TapeHead(image));
        ExpectCompleteMemo(r, TapeHead(image), "out.qjf");
    }
}

TEST(WavConversion, MemoPositionsAreSampleNumbersOfSixteenBitMonoFiles) {
    const auto image = TestTape();
    const auto wav = fixtures::TapeWav(fixtures::TapeLevels(image), {.LeadSeconds = 0.01});
    // The first sample at level 192 or more starts the tape.
    std::size_t first = 0;
    while (std::int16_t(wav[44 + 2 * first] | wav[45 + 2 * first] << 8) / 256 + 128 < 192)
        ++first;
    const RunLog r = Process(wav);
    ASSERT_GT(r.Lines.size(), 2u);
    EXPECT_EQ(r.Lines[2], "HF starting from " + std::to_string(first + 1));
    EXPECT_EQ(r.Lines[3].rfind("LF starting from ", 0), 0u);
}

TEST(WavConversion, ARunNeedsBothFiles) {
    TWavDecoder d;
    for (auto [source, dest] : {std::pair{"", "x.qjf"}, std::pair{"x.wav", ""}, std::pair{"", ""}}) {
        const RunLog r = Process(d, source, dest);
        EXPECT_EQ(r.Result.Outcome, TWavRunOutcome::NoFiles);
        ASSERT_TRUE(r.Result.Message);
        EXPECT_EQ(r.Result.Message->Text, "Please select files first");
        EXPECT_EQ(r.Result.Message->Caption, "Error");
        EXPECT_EQ(r.Result.Message->Flags, 0x30u);
        EXPECT_TRUE(r.Lines.empty());
    }
}

TEST(WavConversion, AMissingSourceRaisesTheFileOpenError) {
    fixtures::TempDir dir;
    TWavDecoder d;
    std::vector<std::string> lines;
    d.OnMemoLine = [&](const std::string& line) { lines.push_back(line); };
    const std::string missing = dir.File("missing.wav");
    try {
        RunWavConversion(d, missing, "l");
        FAIL() << "no exception";
    } catch (const platform::EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + missing + ": No such file or directory");
    }
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(d.Stream, nullptr);
}

TEST(WavConversion, SourcesThatAreNoRegularFilesOrFailToReadRaiseTheirError) {
    for (const fixtures::FileFault& fault : fixtures::FileFaults) {
        SCOPED_TRACE(fault.Kind);
        fixtures::TempDir dir;
        const std::string path = dir.File("tape.wav");
        fault.Make(path);
        auto d = std::make_shared<TWavDecoder>();
        auto lines = std::make_shared<std::vector<std::string>>();
        d->OnMemoLine = [lines](const std::string& line) { lines->push_back(line); };
        auto message = std::make_shared<std::string>();
        ASSERT_TRUE(fixtures::EndsSoon([d, message, path] {
            *message = fixtures::MessageOf([&] { RunWavConversion(*d, path, "l"); });
        }));
        EXPECT_EQ(*message, fault.Message(path));
        EXPECT_TRUE(lines->empty()) << "a read error in the header comes before any line";
        EXPECT_EQ(d->Stream, nullptr);
    }
}

TEST(WavConversion, ARecordingInAStreamRunsAsItsFileDoes) {
    const auto wav = fixtures::TapeWav(fixtures::TapeLevels(TestTape(), 6), {.Bits = 8, .Noise = 3});
    const RunLog fromFile = Process(wav);
    TWavDecoder d;
    RunLog fromStream;
    d.OnMemoLine = [&](const std::string& line) { fromStream.Lines.push_back(line); };
    auto stream = std::make_unique<platform::TMemoryStream>();
    stream->WriteBuffer(wav.data(), wav.size());
    fromStream.Result = RunWavConversion(d, std::move(stream), "l");
    EXPECT_EQ(fromStream.Result.Outcome, TWavRunOutcome::Complete);
    EXPECT_EQ(fromStream.Result.Bytes, TapeHead(TestTape()));
    EXPECT_EQ(fromStream.Lines, fromFile.Lines);
    EXPECT_EQ(d.Stream, nullptr);
}

namespace {
// The run's step (0 while finding the start, then the byte being read) in
// which the decoder first needs the byte at `offset` of the recording.
int StepNeeding(const std::vector<std::uint8_t>& wav, std::int64_t offset) {
    fixtures::TempDir dir;
    const std::string path = dir.File("tape.wav");
    fixtures::WriteBytes(path, wav);
    TWavDecoder d;
    int step = 0, found = -1;
    bool reading = false;
    d.OnMemoLine = [&](const std::string& line) {
        if (line == "Ready to read") reading = true;
        if (reading && line.rfind("LongDelay is ", 0) == 0) ++step;
        if (found < 0 && d.Position() > offset) found = step;
    };
    RunWavConversion(d, path, "l");
    return found;
}
} // namespace

// A read error is the stream's error, raised out of the run for the window to
// show, never the end of the data; the memo says where the read began.
TEST(WavConversion, AReadErrorEndsTheRunWithItsErrorNotAsTheEndOfTheData) {
    // Silence first, so that the second buffer's read comes while bytes are read.
    const auto wav = fixtures::TapeWav(fixtures::TapeLevels(TestTape(), 6), {.LeadSeconds = 0.25});
    const std::int64_t second = 44 + std::int64_t(TWavDecoder::BufferSize);
    const int stepOfSecond = StepNeeding(wav, second);
    ASSERT_GT(stepOfSecond, 0) << "the second buffer should be read while bytes are read";
    ASSERT_GT(std::int64_t(wav.size()), second + 1000);
    const struct {
        std::int64_t failAt, readFrom;
        std::string step;
    } cases[] = {
        {100, 44, "while finding the start of the tape"},
        {second + 10, second, "while reading byte " + std::to_string(stepOfSecond) + " of 17"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failAt);
        TWavDecoder d;
        std::vector<std::string> lines;
        d.OnMemoLine = [&](const std::string& line) { lines.push_back(line); };
        const std::string message = fixtures::MessageOf([&] {
            RunWavConversion(d, std::make_unique<fixtures::FailingStream>("tape.wav", wav, c.failAt), "l");
        });
        EXPECT_EQ(message, "Cannot read file tape.wav: Input/output error");
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[lines.size() - 2],
                  "The read from byte " + std::to_string(c.readFrom) + " of the file failed " + c.step);
        EXPECT_EQ(lines.back(), "No file was written to l");
        for (const std::string& line : lines)
            EXPECT_EQ(line.rfind("End of WAV data", 0), std::string::npos) << line;
        EXPECT_EQ(d.Stream, nullptr);
    }
}

TEST(WavConversion, RunsRepeatAndNeverWriteTheDestination) {
    fixtures::TempDir dir;
    const auto image = TestTape();
    const std::string source = dir.File("tape.wav"), dest = dir.File("out.qjf");
    fixtures::WriteBytes(source, fixtures::TapeWav(fixtures::TapeLevels(image, 6), {.Noise = 3}));
    TWavDecoder d;
    const RunLog first = Process(d, source, dest);
    EXPECT_EQ(d.Stream, nullptr);
    const std::uint8_t shortDelay = d.ShortDelay;
    const RunLog second = Process(d, source, dest);
    EXPECT_EQ(d.Stream, nullptr);
    EXPECT_EQ(d.ShortDelay, shortDelay);
    EXPECT_EQ(first.Lines, second.Lines);
    EXPECT_EQ(second.Result.Bytes, TapeHead(image));
    EXPECT_FALSE(std::filesystem::exists(dest));
}

namespace {
// Positions in the good recording where each byte's start pulse ends.
std::vector<std::int64_t> StartPulseEnds(const std::vector<std::uint8_t>& wav) {
    fixtures::TempDir dir;
    const std::string path = dir.File("tape.wav");
    fixtures::WriteBytes(path, wav);
    TWavDecoder d;
    std::vector<std::int64_t> ends;
    bool reading = false;
    d.OnMemoLine = [&](const std::string& line) {
        if (line == "Ready to read") reading = true;
        if (reading && line.rfind("LongDelay is ", 0) == 0) ends.push_back(d.Position());
    };
    RunWavConversion(d, path, "l");
    return ends;
}

void SetU32(std::vector<std::uint8_t>& wav, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        wav[at + i] = std::uint8_t(v >> (8 * i));
}
} // namespace

TEST(WavConversion, DamagedFilesEndTheRunWithTheirMessage) {
    const auto image = TestTape();
    const auto good = fixtures::TapeWav(fixtures::TapeLevels(image, 6), {});
    const auto ends = StartPulseEnds(good);
    ASSERT_EQ(ends.size(), 17u);
    // Inside the fifth byte, on a sample boundary.
    const auto cut = std::size_t((ends[4] + ends[5]) / 2) & ~std::size_t(1);
    const std::string cutEnd =
        "End of WAV data at byte " + std::to_string(cut) + " of the file while reading byte 5 of 17";

    using Edit = std::function<void(std::vector<std::uint8_t>&)>;
    struct Case {
        const char* name;
        Edit edit;
        TWavRunOutcome outcome;
        std::vector<std::string> lines; // InvalidWav: the whole memo; otherwise lines it must hold
    };
    const Case cases[] = {
        {"empty file",
         [](auto& w) { w.clear(); },
         TWavRunOutcome::InvalidWav,
         {"The file is shorter than a WAV header (44 bytes)"}},
        {"truncated header",
         [](auto& w) { w.resize(30); },
         TWavRunOutcome::InvalidWav,
         {"The file is shorter than a WAV header (44 bytes)"}},
        {"not RIFF",
         [](auto& w) { w[3] = 'X'; },
         TWavRunOutcome::InvalidWav,
         {"The file does not start with \"RIFF\""}},
        {"not WAVE",
         [](auto& w) { w[8] = 'w'; },
         TWavRunOutcome::InvalidWav,
         {"The RIFF file is not of type \"WAVE\""}},
        {"fmt chunk not first",
         [](auto& w) { w[12] = 'L'; },
         TWavRunOutcome::InvalidWav,
         {"The \"fmt \" chunk does not follow the RIFF header"}},
        {"fmt chunk of 18 bytes",
         [](auto& w) { w[16] = 18; },
         TWavRunOutcome::InvalidWav,
         {"The \"fmt \" chunk is 18 bytes long, not 16"}},
        {"wrong format tag",
         [](auto& w) { w[20] = 3; },
         TWavRunOutcome::InvalidWav,
         {"The samples are not PCM (format tag 3)"}},
        {"0 channels", [](auto& w) { w[22] = 0; }, TWavRunOutcome::InvalidWav, {"The file has no channels"}},
        {"24-bit samples",
         [](auto& w) { w[34] = 24; },
         TWavRunOutcome::InvalidWav,
         {"Samples of 24 bits are not read: 8 or 16 bits only"}},
        {"LIST chunk before the data",
         [](auto& w) {
             const std::uint8_t list[] = {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'};
             w.insert(w.begin() + 36, std::begin(list), std::end(list));
         },
         TWavRunOutcome::InvalidWav,
         {"The \"data\" chunk does not follow the \"fmt \" chunk"}},
        {"data length past the end",
         [](auto& w) { SetU32(w, 40, 0xFFFFFFF0u); },
         TWavRunOutcome::Complete,
         {"The WAV header gives 4294967280 bytes of data, the file holds " + std::to_string(good.size() - 44),
          "Convert Complete"}},
        {"data length never patched",
         [](auto& w) { SetU32(w, 40, 0); },
         TWavRunOutcome::Complete,
         {"The WAV header gives 0 bytes of data, the file holds " + std::to_string(good.size() - 44),
          "Convert Complete"}},
        {"data length short of the tape",
         [&](auto& w) { SetU32(w, 40, std::uint32_t(cut - 44)); },
         TWavRunOutcome::Complete,
         {"The WAV header gives " + std::to_string(cut - 44) + " bytes of data, the file holds " +
              std::to_string(good.size() - 44),
          "Convert Complete"}},
        {"end of data inside a byte",
         [&](auto& w) {
             w.resize(cut);
             SetU32(w, 40, std::uint32_t(cut - 44));
         },
         TWavRunOutcome::DataEnded,
         {cutEnd, "No file was written to l"}},
        {"file cut inside a byte",
         [&](auto& w) { w.resize(cut); },
         TWavRunOutcome::DataEnded,
         {"The WAV header gives " + std::to_string(good.size() - 44) + " bytes of data, the file holds " +
              std::to_string(cut - 44),
          cutEnd}},
        {"silence only",
         [](auto& w) { std::fill(w.begin() + 44, w.end(), 0); },
         TWavRunOutcome::DataEnded,
         {"End of WAV data at byte " + std::to_string(good.size()) +
              " of the file while finding the start of the tape",
          "No file was written to l"}},
        {"lead-in only",
         [](auto& w) {
             w.resize(44 + 2 * 44100 / 10);
             SetU32(w, 40, 2 * 44100 / 10);
         },
         TWavRunOutcome::DataEnded,
         {"End of WAV data at byte " + std::to_string(44 + 2 * 44100 / 10) +
          " of the file while finding the start of the tape"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto wav = good;
        c.edit(wav);
        const RunLog r = Process(wav);
        EXPECT_EQ(r.Result.Outcome, c.outcome);
        if (c.outcome == TWavRunOutcome::InvalidWav) {
            ASSERT_TRUE(r.Result.Message);
            EXPECT_EQ(r.Result.Message->Text, "Failed to load wav file");
            EXPECT_EQ(r.Result.Message->Caption, "Invalid WAV File");
            EXPECT_EQ(r.Result.Message->Flags, 0x30u);
            EXPECT_EQ(r.Lines, c.lines);
            continue;
        }
        EXPECT_FALSE(r.Result.Message);
        for (const std::string& line : c.lines)
            EXPECT_NE(std::find(r.Lines.begin(), r.Lines.end(), line), r.Lines.end()) << "missing: " << line;
        if (c.outcome == TWavRunOutcome::DataEnded) {
            EXPECT_EQ(r.Lines.back(), "No file was written to l");
            EXPECT_EQ(std::count(r.Lines.begin(), r.Lines.end(), "Convert Complete"), 0);
        }
    }
}

TEST(WavConversion, BytesThatAreNotPrintableShowAsDots) {
    const std::uint8_t bytes[] = {'A', 0x00, 0x0D, ' ', '~', 0x7F, 0x80, 0xFF, 'z'};
    EXPECT_EQ(WavBytesLine(bytes, sizeof bytes), "A.. ~...z");
}
