// Loads arbitrary bytes from a memory stream as a bitmap file and as a "Data"
// payload, and as a file whose headers are assembled from the first bytes (so
// that every depth, header form and compression is reached quickly); what loads
// must save and load back equal, and load alike from a .bmp file.
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_file.h"
#include "gfx/gfx.h"
#include "platform/streams.h"

namespace {
void Put(std::vector<std::uint8_t>& b, std::uint32_t v, int count = 4) {
    for (int i = 0; i < count; ++i)
        b.push_back(std::uint8_t(v >> (8 * i)));
}

// Bytes 0-8 choose the header fields; the rest follows the header (masks,
// palette, pixels).
std::vector<std::uint8_t> Assembled(const std::uint8_t* data, std::size_t size) {
    static const std::uint32_t headerSizes[] = {12, 40, 52, 56, 108, 124, 20};
    static const std::uint16_t depths[] = {1, 4, 8, 16, 24, 32, 2, 0};
    static const std::uint32_t compressions[] = {0, 3, 1, 0xFFFFFFFF};
    if (size < 9) return {};
    const std::uint32_t headerSize = headerSizes[data[0] % 7];
    const std::uint16_t bpp = depths[data[1] % 8];
    const std::int32_t width = std::int8_t(data[3]), height = std::int8_t(data[4]);
    std::vector<std::uint8_t> h;
    Put(h, headerSize);
    if (headerSize == 12) {
        Put(h, std::uint32_t(width), 2), Put(h, std::uint32_t(height), 2), Put(h, 1, 2), Put(h, bpp, 2);
    } else {
        Put(h, std::uint32_t(width)), Put(h, std::uint32_t(height)), Put(h, 1, 2), Put(h, bpp, 2);
        Put(h, compressions[data[2] % 4]), Put(h, 0), Put(h, 0), Put(h, 0), Put(h, data[5]), Put(h, 0);
        h.resize(std::max<std::size_t>(h.size(), headerSize), 0);
    }
    std::vector<std::uint8_t> f;
    Put(f, 0x4D42, 2);
    Put(f, 0);
    Put(f, 0);
    const std::int32_t offset = std::int32_t(14 + h.size()) + std::int8_t(data[6]) + (data[7] << 2);
    Put(f, std::uint32_t(offset));
    f.insert(f.end(), h.begin(), h.end());
    f.insert(f.end(), data + 9, data + size);
    return f;
}

// Whether the bytes load; what loads is in loaded.
bool LoadAndReload(const std::uint8_t* data, std::size_t size, gfx::TBitmap32& loaded) {
    platform::TMemoryStream input;
    input.WriteBuffer(data, size);
    input.SetPosition(0);
    try {
        loaded.LoadFromStream(input);
    } catch (const platform::Exception&) {
        return false; // a damaged file: an error with its message is the expected outcome
    }
    platform::TMemoryStream saved;
    loaded.SaveToStream(saved);
    saved.SetPosition(0);
    gfx::TBitmap32 again;
    again.LoadFromStream(saved);
    if (!again.Equal(&loaded)) __builtin_trap();
    return true;
}

// The file path: the bytes load from a .bmp file as they did from the stream.
void LoadFromFileAlike(const std::uint8_t* data, std::size_t size, bool loaded, gfx::TBitmap32& fromStream) {
    const TFuzzFile file(data, size, ".bmp");
    file.CheckWholeFileReads();
    gfx::TBitmap32 fromFile;
    bool fileLoaded = true;
    try {
        fromFile.LoadFromFile(file.Path());
    } catch (const platform::Exception&) {
        fileLoaded = false;
    }
    if (fileLoaded != loaded || (loaded && !fromFile.Equal(&fromStream))) __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool started = (gfx::GfxInitialize(), true);
    (void)started;
    gfx::TBitmap32 raw;
    const bool rawLoaded = LoadAndReload(data, size, raw);
    const std::vector<std::uint8_t> assembled = Assembled(data, size);
    if (assembled.empty()) {
        LoadFromFileAlike(data, size, rawLoaded, raw);
    } else {
        gfx::TBitmap32 fromAssembled;
        const bool loaded = LoadAndReload(assembled.data(), assembled.size(), fromAssembled);
        LoadFromFileAlike(assembled.data(), assembled.size(), loaded, fromAssembled);
    }

    platform::TMemoryStream payload;
    payload.WriteBuffer(data, size);
    payload.SetPosition(0);
    gfx::TBitmap32 fromPayload;
    try {
        fromPayload.ReadData(payload);
    } catch (const platform::Exception&) {
    }
    return 0;
}
