// Loads arbitrary bytes as a disc image from memory and seeks, reads and writes
// through it; the same bytes loaded from a file give the same image.
#include "fuzz/fuzz_file.h"
#include "machine/disc/virtual_dsk.h"

#include <cstring>
#include <vector>

namespace {
// What the parse found: the header, the track blocks, the records and their sectors.
bool SameParse(const TVirtualDsk& a, const TVirtualDsk& b) {
    if (a.RecordCount() != b.RecordCount() || a.ImageStream->Size() != b.ImageStream->Size() ||
        std::memcmp(a.DiskInfo, b.DiskInfo, sizeof a.DiskInfo) != 0 ||
        std::memcmp(a.TrackInfo, b.TrackInfo, sizeof a.TrackInfo) != 0 ||
        std::memcmp(a.TrackDataOffset, b.TrackDataOffset, sizeof a.TrackDataOffset) != 0)
        return false;
    for (int k = 1; k <= a.RecordCount(); ++k) {
        if (a.RecordPresent(k) != b.RecordPresent(k)) return false;
        for (int j = 0; j < dsk::MaxSectorEntries; ++j) {
            std::uint64_t offsetA = 0, lengthA = 0, offsetB = 0, lengthB = 0;
            if (a.SectorData(k, j, offsetA, lengthA) != b.SectorData(k, j, offsetB, lengthB) ||
                offsetA != offsetB || lengthA != lengthB)
                return false;
        }
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The name is never written: every image is dropped unsaved below.
    TVirtualDsk d;
    d.LoadImageBytes(std::vector<std::uint8_t>(data, data + size), "fuzz.dsk", {}, 0);
    if (d.ImageStream->Size() != std::int64_t(size) ||
        (size && std::memcmp(d.ImageStream->Memory(), data, size)))
        __builtin_trap();
    {
        const TFuzzFile file(data, size, ".dsk");
        file.CheckWholeFileReads();
        TVirtualDsk fromFile;
        fromFile.LoadImage(file.Path(), 0);
        if (!SameParse(d, fromFile)) __builtin_trap();
    }

    // Seek every track and side the header's first bytes name, and a few sectors.
    for (int t = 0; t < 4; ++t)
        for (std::uint8_t side = 0; side < 2; ++side) {
            const std::uint8_t track = size > std::size_t(t) ? data[t] : std::uint8_t(t);
            d.SeekTrack(side, track);
            d.SectorsPerTrack(side, track);
            for (int r = 0; r < 256; r += 17) {
                const int n = d.SeekSector(std::uint8_t(r));
                for (int i = 0; i < n && i < 600; ++i) {
                    std::uint8_t b = 0;
                    d.ReadByte(b);
                    d.WriteByte(b);
                }
            }
        }
    d.UnloadImage(1); // never write the fuzz input back
    return 0;
}
