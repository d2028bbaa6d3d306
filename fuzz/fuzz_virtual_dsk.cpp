// Loads arbitrary bytes as a disc image and seeks, reads and writes through it.
#include "machine/disc/virtual_dsk.h"

#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/fuzz_virtual_dsk." + std::to_string(getpid()) + ".dsk";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);

    TVirtualDsk d;
    d.LoadImage(path, 0);
    for (int k = 1; k <= d.RecordCount(); ++k)
        for (int j = 0; j < dsk::MaxSectorEntries; ++j) {
            std::uint64_t offset, length;
            d.SectorData(k, j, offset, length);
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
    std::remove(path.c_str());
    return 0;
}
