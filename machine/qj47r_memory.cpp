// The memory map as page tables. Data accesses see the video window; fetches
// and pushes never do, and reach all 64 KB of RAM whether the expansion is
// fitted or not. In IPL mode the ROM answers below 0x0800 and the two RAM
// halves are swapped. The tables change only with the IPL mode, the RAM
// expansion and the video window (SetMapping); everything else the window
// shows is looked up when it is reached.
#include "machine/qj47r.h"

const std::uint8_t TMemoryMap::Zeros[TMemoryMap::PageSize] = {};

namespace {
constexpr int WindowSize = 0x3000;
constexpr int TextPart = 0x1000;
constexpr int WindowHigh = 0xD000, WindowLow = 0x5000;
constexpr int IplRomEnd = 0x0800; // one page
constexpr int UpperHalf = 0x8000;

static_assert(WindowHigh % TMemoryMap::PageSize == 0 && WindowLow % TMemoryMap::PageSize == 0 &&
                  WindowSize % TMemoryMap::PageSize == 0 && IplRomEnd == TMemoryMap::PageSize,
              "the map's boundaries fall on page boundaries");
} // namespace

void TQJ47R::SetMapping(const TMapping& mapping) {
    if (mapping == Mapping) return;
    Mapping = mapping;
    Remap();
}

void TQJ47R::Remap() {
    const int windowBase = Mapping.WindowLow ? WindowLow : WindowHigh;
    for (int page = 0; page < TMemoryMap::Pages; ++page) {
        const int a = page << TMemoryMap::PageBits;
        // In IPL mode both halves swap: RAM offset a XOR 0x8000.
        std::uint8_t* ram = MainRam + (Mapping.IplMode ? a ^ UpperHalf : a);
        const bool rom = Mapping.IplMode && a < IplRomEnd;

        if (rom)
            Map.MapRom(Map.Code, page, IplRom);
        else
            TMemoryMap::MapRam(Map.Code, page, ram);

        // The data view: the window first; without the expansion the half that
        // holds MainRam's upper 32 KB is absent.
        const bool upperRam = (Mapping.IplMode ? a ^ UpperHalf : a) >= UpperHalf;
        if (Mapping.WindowMapped && a >= windowBase && a < windowBase + WindowSize)
            TMemoryMap::MapToBoard(Map.Data, page);
        else if (rom)
            Map.MapRom(Map.Data, page, IplRom);
        else if (upperRam && !Mapping.RamExpansion)
            Map.MapNothing(Map.Data, page);
        else
            TMemoryMap::MapRam(Map.Data, page, ram);
    }
}

// Only pages of the video window lead here.
int TQJ47R::ReadWindow(int address) const {
    const int o = address - (Mapping.WindowLow ? WindowLow : WindowHigh);
    return o < TextPart ? ReadText(o) : ReadGraphics(o - TextPart);
}

void TQJ47R::WriteWindow(int address, std::uint8_t value) {
    const int o = address - (Mapping.WindowLow ? WindowLow : WindowHigh);
    if (o < TextPart)
        WriteText(o, value);
    else
        WriteGraphics(o - TextPart, value);
}

// The text part of the window spans 4 KB over 2 KB of text memory: the upper
// half reads 0 (and its writes are dropped in WriteText).
std::uint8_t TQJ47R::ReadText(int offset) const {
    return offset >= 0 && offset < int(sizeof TextVram) ? TextVram[offset] : 0;
}

std::uint8_t TQJ47R::ReadGraphics(int offset) const {
    const int o = offset & 0x1FFF;
    if (Plane1Selected && Setting.Graphics1) return GraphicsRam1[o];
    if (Plane2Selected && Setting.Graphics2) return GraphicsRam2[o];
    return 0;
}
