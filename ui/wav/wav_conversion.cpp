#include "ui/wav/wav_conversion.h"

namespace {
// Closes the decoder's file however the run ends.
struct TCloseOnExit {
    TWavDecoder& Decoder;
    ~TCloseOnExit() { Decoder.Close(); }
};

long long Offset(std::int64_t value) { return static_cast<long long>(value); }

// Where in the run the decoder was: byteNumber 0 while finding the start, then
// the byte being read (1-17).
std::string RunStep(int byteNumber) {
    if (byteNumber == 0) return "while finding the start of the tape";
    return "while reading byte " + std::to_string(byteNumber) + " of " + std::to_string(WavRunBytes);
}

// The run once Open gave its answer; the decoder's stream is closed on return.
TWavRunResult Decode(TWavDecoder& d, bool opened, const std::string& destFile) {
    TWavRunResult result;
    if (!opened) {
        d.Memo("%s", d.HeaderProblem.c_str());
        result.Outcome = TWavRunOutcome::InvalidWav;
        result.Message = TWavMessage{"Failed to load wav file", "Invalid WAV File"};
        return result;
    }

    d.Memo("Opened WAV File");
    if (d.DataInFile() != d.DataLength)
        d.Memo("The WAV header gives %u bytes of data, the file holds %lld", d.DataLength,
               Offset(d.DataInFile()));
    int byteNumber = 0;
    try {
        d.Memo("Finding Start of Data");
        d.FindStart();
        d.Memo("Ready to read");
        d.Memo("Start bit is sample %lld", Offset(d.MemoSampleNumber()));
        for (byteNumber = 1; byteNumber <= WavRunBytes; ++byteNumber) {
            result.Bytes.push_back(d.ReadByte());
            if (byteNumber == 1) d.Memo("File Type is %d", result.Bytes[0]);
        }
        d.Memo("%s", WavBytesLine(result.Bytes.data() + 1, result.Bytes.size() - 1).c_str());
        d.Memo("Convert Complete");
        result.Outcome = TWavRunOutcome::Complete;
    } catch (const EWavDataEnded&) {
        d.Memo("End of WAV data at byte %lld of the file %s", Offset(d.Position()),
               RunStep(byteNumber).c_str());
        result.Outcome = TWavRunOutcome::DataEnded;
    } catch (const platform::EStreamError&) {
        // The window shows the error itself; the memo tells where it struck.
        d.Memo("The read from byte %lld of the file failed %s", Offset(d.Position()),
               RunStep(byteNumber).c_str());
        d.Memo("No file was written to %s", destFile.c_str());
        throw;
    }
    d.Memo("No file was written to %s", destFile.c_str());
    return result;
}
} // namespace

std::string WavBytesLine(const std::uint8_t* bytes, std::size_t count) {
    std::string line;
    for (std::size_t i = 0; i < count; ++i)
        line += (bytes[i] >= 0x20 && bytes[i] < 0x7F) ? char(bytes[i]) : '.';
    return line;
}

TWavRunResult RunWavConversion(TWavDecoder& d, const std::string& sourceFile, const std::string& destFile) {
    if (sourceFile.empty() || destFile.empty()) {
        TWavRunResult result;
        result.Message = TWavMessage{"Please select files first", "Error"};
        return result;
    }
    TCloseOnExit closer{d};
    const bool opened = d.Open(sourceFile);
    return Decode(d, opened, destFile);
}

TWavRunResult RunWavConversion(TWavDecoder& d, std::unique_ptr<platform::TStream> source,
                               const std::string& destFile) {
    TCloseOnExit closer{d};
    const bool opened = d.Open(std::move(source));
    return Decode(d, opened, destFile);
}
