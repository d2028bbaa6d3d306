// Helpers of the WAV decoder tests: a decoder whose memo lines are collected,
// 8-bit recordings made of pulses of given widths, and our test tape.
#pragma once

#include "fixtures/tape_wav.h"
#include "fixtures/temp_dir.h"
#include "ui/wav/wav_decoder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace wavtest {

// A decoder that keeps its memo lines.
struct MemoDecoder {
    TWavDecoder Decoder;
    std::vector<std::string> Lines;
    MemoDecoder() {
        Decoder.OnMemoLine = [this](const std::string& line) { Lines.push_back(line); };
    }
};

// 8-bit samples of pulses: each width is that many samples at `high`, then one
// at `end` (at most 128) and three at 60. MeasurePulse reports each pulse as its width.
inline std::vector<int> PulseSamples(const std::vector<int>& widths, int high = 200, int end = 60) {
    std::vector<int> s;
    for (int w : widths) {
        s.insert(s.end(), std::size_t(w), high);
        s.insert(s.end(), {end, 60, 60, 60});
    }
    return s;
}

inline std::vector<int> Repeat(int width, int count) { return std::vector<int>(std::size_t(count), width); }

inline std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Writes an 8-bit mono WAV of the samples and opens it.
inline void OpenSamples(fixtures::TempDir& dir, TWavDecoder& d, const std::vector<int>& samples) {
    const std::string path = dir.File("pulses.wav");
    fixtures::WriteBytes(path, fixtures::WavFile(44100, 8, 1, samples));
    if (!d.Open(path)) throw std::runtime_error("header rejected: " + d.HeaderProblem);
}

// Our tape: type byte 1, a 16-byte name field, load and execution addresses,
// and a 64-byte body.
inline std::vector<std::uint8_t> TestTape(std::uint8_t type = 0x01) {
    std::vector<std::uint8_t> image(TQJFHandler::HeaderSize + 64, 0);
    image[0] = type;
    const std::string name = "QJ47R WAV TEST\r";
    std::copy(name.begin(), name.end(), image.begin() + 1); // image[16] stays 0
    image[0x14] = 0x00, image[0x15] = 0x12;                 // load at 0x1200
    image[0x16] = 0x00, image[0x17] = 0x12;
    for (std::size_t i = TQJFHandler::HeaderSize; i < image.size(); ++i)
        image[i] = std::uint8_t(i * 7);
    return image;
}

} // namespace wavtest
