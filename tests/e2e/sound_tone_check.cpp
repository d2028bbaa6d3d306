// Checks a recording of the tone that e2e_sound_tone_play plays: 16-bit mono
// samples at 64000 Hz as parec writes them. From half a second after the tone
// starts to half a second before it ends, a stretch of at least MIN_SECONDS,
// it must keep its pitch within 2 %, every period included, and have no gap.
// Usage: e2e_sound_tone_check RECORDING.raw FREQUENCY_HZ MIN_SECONDS
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr double Rate = 64000;

std::vector<std::int16_t> ReadSamples(const char* path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto lo = static_cast<std::uint8_t>(bytes[2 * i]);
        const auto hi = static_cast<std::uint8_t>(bytes[2 * i + 1]);
        samples[i] = static_cast<std::int16_t>(lo | (hi << 8));
    }
    return samples;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s RECORDING.raw FREQUENCY_HZ MIN_SECONDS\n", argv[0]);
        return 2;
    }
    const std::vector<std::int16_t> s = ReadSamples(argv[1]);
    const double frequency = std::atof(argv[2]);
    const double minSeconds = std::atof(argv[3]);
    if (frequency <= 0) return 2;

    // The tone's extent: from its first to its last sound sample.
    std::size_t first = 0, last = s.size();
    while (first < s.size() && s[first] == 0)
        ++first;
    while (last > first && s[last - 1] == 0)
        --last;
    if (first == s.size()) {
        std::printf("FAIL: %.2f s recorded, all silent\n", s.size() / Rate);
        return 1;
    }
    const auto margin = static_cast<std::size_t>(Rate / 2);
    if (last - first < 2 * margin) {
        std::printf("FAIL: the tone lasted only %.2f s\n", (last - first) / Rate);
        return 1;
    }
    const std::size_t begin = first + margin, end = last - margin;
    const double seconds = (end - begin) / Rate;

    // Gaps: a level held for more than one and a half half-periods. Pitch: the
    // rising edges (silence to sound) over the stretch.
    const double halfPeriod = Rate / (2 * frequency);
    const auto longestRun = static_cast<std::size_t>(std::ceil(1.5 * halfPeriod));
    std::size_t gaps = 0, gapSamples = 0, run = 1, edges = 0, firstEdge = 0, lastEdge = 0;
    std::size_t irregular = 0;
    const double period = Rate / frequency;
    for (std::size_t i = begin + 1; i < end; ++i) {
        if (s[i] == s[i - 1]) {
            if (++run == longestRun + 1) {
                ++gaps;
                gapSamples += run;
            } else if (run > longestRun + 1) {
                ++gapSamples;
            }
            continue;
        }
        run = 1;
        if (s[i - 1] == 0) {
            if (edges > 0 && std::fabs((i - lastEdge) - period) > 0.02 * period) ++irregular;
            if (edges++ == 0) firstEdge = i;
            lastEdge = i;
        }
    }
    const double measured = edges > 1 ? (edges - 1) * Rate / (lastEdge - firstEdge) : 0;
    const double error = measured / frequency - 1;
    std::printf("tone from %.3f s to %.3f s of %.2f s recorded; checked %.2f s: %.2f Hz (%+.2f %%), "
                "%zu gaps (%zu samples), %zu of %zu periods off by more than 2 %%\n",
                first / Rate, last / Rate, s.size() / Rate, seconds, measured, 100 * error, gaps, gapSamples,
                irregular, edges > 0 ? edges - 1 : 0);
    bool ok = true;
    if (seconds < minSeconds) {
        std::printf("FAIL: fewer than %.2f s of tone\n", minSeconds);
        ok = false;
    }
    if (std::fabs(error) > 0.02) {
        std::printf("FAIL: the pitch is off by more than 2 %%\n");
        ok = false;
    }
    if (gaps > 0) {
        std::printf("FAIL: the tone has gaps\n");
        ok = false;
    }
    if (irregular > 0) {
        std::printf("FAIL: the tone jumps (old or missing sound in between)\n");
        ok = false;
    }
    return ok ? 0 : 1;
}
