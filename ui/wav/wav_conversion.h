// One "Process" run of the WAV to QJF wizard, without the window: checks that
// both files are chosen, opens and checks the WAV file, finds the tape's start,
// decodes the file's type byte and the 16 bytes that follow it, and reports
// every step through the decoder's OnMemoLine. The window adds those lines to
// its memo and shows the message box the result asks for, if any.
//
// A source file that cannot be opened raises EFOpenError ("Cannot open file
// %s: %s") out of the run, and a read error its EFileReadError ("Cannot read
// file %s: %s") once the memo told where it struck, as the window's guarded
// handlers expect. No file is written.
#pragma once

#include "ui/wav/wav_decoder.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A message box for the window to show: text, caption and the flag word.
struct TWavMessage {
    std::string Text;
    std::string Caption;
    unsigned Flags = 0x30; // OK button, exclamation icon
};

enum class TWavRunOutcome {
    NoFiles,    // source or destination not chosen: nothing opened
    InvalidWav, // no WAV file the decoder reads (the reason is in the memo)
    DataEnded,  // the recording ended before every byte was read
    Complete,   // all bytes decoded
};

struct TWavRunResult {
    TWavRunOutcome Outcome = TWavRunOutcome::NoFiles;
    std::optional<TWavMessage> Message;
    std::vector<std::uint8_t> Bytes; // decoded so far, in order
};

// Bytes a run decodes: the type byte and the 16 that follow it.
inline constexpr int WavRunBytes = 17;

TWavRunResult RunWavConversion(TWavDecoder& decoder, const std::string& sourceFile,
                               const std::string& destFile);
// The same run on a recording in a stream (never null), which the decoder
// takes over; there is no file to choose, so no NoFiles outcome.
TWavRunResult RunWavConversion(TWavDecoder& decoder, std::unique_ptr<platform::TStream> source,
                               const std::string& destFile);

// The memo line of the 16 bytes after the type byte: one character each,
// printable ASCII as itself and every other byte as '.'.
std::string WavBytesLine(const std::uint8_t* bytes, std::size_t count);
