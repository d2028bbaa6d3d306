// Writes the seed corpus of each fuzz target into FOLDER/<target>/: our own
// disc images, WAV recordings (one of them the test program played as a tape),
// bitmap files of every depth and layout, and program images, among them
// images at the reader's size limits and one byte past them. The folder of
// each target is emptied first, so that a seed dropped here goes there too.
//
//   write_fuzz_seeds FOLDER TEST.QJF IPL.BIN
#include "fixtures/bmp_file.h"
#include "fixtures/dsk_builder.h"
#include "fixtures/tape_wav.h"
#include "fixtures/wav_file.h"
#include "platform/file_io.h"
#include "ui/loader/program_image.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

class TSeedFolder {
  public:
    TSeedFolder(const std::filesystem::path& root, const char* target) : Path(root / target) {
        std::filesystem::remove_all(Path);
        std::filesystem::create_directories(Path);
    }
    void Add(const std::string& name, const Bytes& bytes) const {
        fixtures::WriteBytes((Path / name).string(), bytes);
    }

  private:
    std::filesystem::path Path;
};

void DiscImages(const TSeedFolder& seeds) {
    using fixtures::DskBuilder;
    using fixtures::Sector;
    seeds.Add("one_sector.dsk", DskBuilder().Uniform(1, 1, 1, 0).Build());
    seeds.Add("two_sides.dsk", DskBuilder().Uniform(2, 2, 2, 1).Build());
    seeds.Add("no_records.dsk", DskBuilder().Geometry(40, 1).Build());
    seeds.Add("unformatted_track.dsk", DskBuilder().Uniform(1, 1, 0, 0).Build());
    Bytes cut = DskBuilder().Uniform(2, 2, 2, 1).Build(); // cut inside its third track block
    cut.resize(256 + 2 * (256 + 512) + 100);
    seeds.Add("cut.dsk", cut);
    seeds.Add("standard_layout.dsk", DskBuilder().Standard().Uniform(2, 1, 9, 2).Build());
    seeds.Add("plain_bytes.dsk", DskBuilder().Complemented(false).Uniform(1, 1, 3, 2, 0xC1).Build());
    // An absent track between two whose sectors differ in size, id and length.
    fixtures::DskRecord first{0, 0, true, {Sector(1, 1), Sector(9, 0), Sector(2, 2, 300)}};
    first.Sectors[1].C = 5;
    const fixtures::DskRecord last{2, 0, true, {Sector(0xF0, 3, 100)}};
    seeds.Add("mixed.dsk", DskBuilder().Record(first).Absent(1, 0).Record(last).Build());
}

// The fuzz target takes a file whose first byte is even as it is: "RIFF" is.
void Recordings(const TSeedFolder& seeds, const Bytes& program) {
    std::vector<int> square, stereo;
    for (int i = 0; i < 400; ++i) {
        square.push_back(i / 10 % 2 ? 220 : 36);
        stereo.push_back((i / 2 / 7 % 2 ? 20000 : -20000) * (i % 2 ? -1 : 1));
    }
    seeds.Add("square_8bit.wav", fixtures::WavFile(44100, 8, 1, square));
    seeds.Add("square_16bit_stereo.wav", fixtures::WavFile(48000, 16, 2, stereo));
    // The test program's header as a tape (the decoder reads the first bytes only).
    seeds.Add("test_program_tape.wav",
              fixtures::TapeWav(fixtures::TapeLevels(program, 6), {.Bits = 8, .Noise = 3}));
}

void BitmapFiles(const TSeedFolder& seeds) {
    int n = 0;
    for (const fixtures::BmpSample& sample : fixtures::BmpSamples())
        seeds.Add("sample_" + std::to_string(n++) + ".bmp", sample.File.Build());
}

// The fuzz target's first byte picks the name: 0 a .qjf file, 1 a .bin file.
void ProgramImages(const TSeedFolder& seeds, const Bytes& program, const Bytes& ipl) {
    auto named = [](std::uint8_t kind, const Bytes& image) {
        Bytes input{kind};
        input.insert(input.end(), image.begin(), image.end());
        return input;
    };
    seeds.Add("test_program.qjf", named(0, program));
    seeds.Add("ipl.bin", named(1, ipl));
    Bytes high = program; // loaded near the top of the RAM: its end is dropped
    high[0x14] = 0x00, high[0x15] = 0xFF;
    seeds.Add("test_program_high.qjf", named(0, high));

    Bytes largest = program;
    largest.resize(TProgramImage::MaxQjfFileSize, 0x76);
    seeds.Add("largest.qjf", named(0, largest));
    largest.push_back(0x76);
    seeds.Add("too_large.qjf", named(0, largest));
    Bytes ram;
    while (ram.size() < TProgramImage::MaxRawFileSize)
        ram.insert(ram.end(), ipl.begin(), ipl.end());
    ram.resize(TProgramImage::MaxRawFileSize);
    seeds.Add("whole_ram.bin", named(1, ram));
    ram.push_back(0);
    seeds.Add("too_large.bin", named(1, ram));
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s FOLDER TEST.QJF IPL.BIN\n", argv[0]);
        return 2;
    }
    try {
        const std::filesystem::path root = argv[1];
        const Bytes program = platform::ReadWholeFile(argv[2], TProgramImage::MaxQjfFileSize);
        const Bytes ipl = platform::ReadWholeFile(argv[3], TProgramImage::MaxRawFileSize);
        DiscImages(TSeedFolder(root, "fuzz_virtual_dsk"));
        Recordings(TSeedFolder(root, "fuzz_wav_decoder"), program);
        BitmapFiles(TSeedFolder(root, "fuzz_bitmap_file"));
        ProgramImages(TSeedFolder(root, "fuzz_program_image"), program, ipl);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
    return 0;
}
