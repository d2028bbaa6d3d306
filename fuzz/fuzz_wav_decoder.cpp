// Runs the WAV wizard's whole decoding run on arbitrary bytes. By the first byte:
// even, the input is the file; odd, a canonical header is built from the next
// bytes (sample size, channels, data length) and the rest are the samples; 3
// modulo 4, the rest describe pulses (width and height, one byte each) after a
// lead-in, so that most runs reach the calibration and the byte decoding. The
// decoder reads the recording from memory.
#include "fixtures/wav_file.h"
#include "platform/streams.h"
#include "ui/wav/wav_conversion.h"

#include <memory>
#include <string>
#include <vector>

namespace {
// 8-bit mono: 210 pulses of width 10, then one pulse per byte.
std::vector<std::uint8_t> PulseSamples(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> samples;
    auto pulse = [&](unsigned width, std::uint8_t high) {
        samples.insert(samples.end(), width, high);
        samples.insert(samples.end(), {128, 60, 60});
    };
    for (int i = 0; i < 210; ++i)
        pulse(10, 200);
    for (std::size_t i = 0; i < size; ++i)
        pulse(1 + (data[i] & 0x3F), std::uint8_t(129 + (data[i] >> 6) * 42));
    std::vector<std::uint8_t> wav = fixtures::WavHeader(44100, 8, 1, std::uint32_t(samples.size()));
    wav.insert(wav.end(), samples.begin(), samples.end());
    return wav;
}

std::vector<std::uint8_t> WithHeader(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t shape = size > 1 ? data[1] : 0;
    const unsigned bits = shape & 1 ? 16 : 8, channels = 1 + (shape >> 1 & 3);
    std::uint32_t length = std::uint32_t(size);
    if (shape & 0x80 && size > 5)
        length = data[2] | data[3] << 8 | data[4] << 16 | std::uint32_t(data[5]) << 24;
    std::vector<std::uint8_t> wav =
        fixtures::WavHeader(44100, std::uint16_t(bits), std::uint16_t(channels), length);
    wav.insert(wav.end(), data + (size > 1 ? 2 : size), data + size);
    return wav;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> file(data, data + size);
    if (size > 0 && (data[0] & 3) == 3)
        file = PulseSamples(data + 1, size - 1);
    else if (size > 0 && data[0] & 1)
        file = WithHeader(data, size);
    auto stream = std::make_unique<platform::TMemoryStream>();
    stream->WriteBuffer(file.data(), file.size());
    stream->SetPosition(0);

    TWavDecoder decoder;
    std::size_t lines = 0;
    decoder.OnMemoLine = [&lines](const std::string&) { ++lines; };
    RunWavConversion(decoder, std::move(stream), "out.qjf");
    return 0;
}
