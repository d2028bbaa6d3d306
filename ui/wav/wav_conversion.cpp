#include "ui/wav/wav_conversion.h"

namespace {
// Closes the decoder's file however the run ends.
struct TCloseOnExit {
    TWavDecoder& Decoder;
    ~TCloseOnExit() { Decoder.Close(); }
};

long long Offset(std::int64_t value) { return static_cast<long long>(value); }
} // namespace

std::string WavBytesLine(const std::uint8_t* bytes, std::size_t count) {
    std::string line;
    for (std::size_t i = 0; i < count; ++i)
        line += (bytes[i] >= 0x20 && bytes[i] < 0x7F) ? char(bytes[i]) : '.';
    return line;
}

TWavRunResult RunWavConversion(TWavDecoder& d, const std::string& sourceFile, const std::string& destFile) {
    TWavRunResult result;
    if (sourceFile.empty() || destFile.empty()) {
        result.Message = TWavMessage{"Please select files first", "Error"};
        return result;
    }

    TCloseOnExit closer{d};
    if (!d.Open(sourceFile)) {
        d.Memo("%s", d.HeaderProblem.c_str());
        result.Outcome = TWavRunOutcome::InvalidWav;
        result.Message = TWavMessage{"Failed to load wav file", "Invalid WAV File"};
        return result;
    }

    d.Memo("Opened WAV File");
    if (d.DataLengthPastEnd())
        d.Memo("The data chunk's length %u passes the end of the file: reading the %lld bytes there",
               d.DataLength, Offset(d.DataEnd() - d.DataStart));
    int byteNumber = 0; // 0 while finding the start, then the byte being read (1-17)
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
        if (byteNumber == 0)
            d.Memo("End of WAV data at byte %lld of the file while finding the start of the tape",
                   Offset(d.Position()));
        else
            d.Memo("End of WAV data at byte %lld of the file while reading byte %d of %d",
                   Offset(d.Position()), byteNumber, WavRunBytes);
        result.Outcome = TWavRunOutcome::DataEnded;
    }
    d.Memo("No file was written to %s", destFile.c_str());
    return result;
}
