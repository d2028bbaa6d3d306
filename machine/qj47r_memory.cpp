// The memory map. Data accesses see the video window; fetches and pushes never
// do, and reach all 64 KB of RAM whether the expansion is fitted or not. In IPL
// mode the ROM answers below 0x0800 and the two RAM halves are swapped.
#include "machine/qj47r.h"

namespace {
constexpr int WindowSize = 0x3000;
constexpr int TextPart = 0x1000;
} // namespace

// Offset of a data address in the video window, or -1 when it is outside.
int TQJ47R::VramWindowOffset(int address) const {
    if (!VramWindowMapped) return -1;
    const int o = address - (VramWindowLow ? 0x5000 : 0xD000);
    return o >= 0 && o < WindowSize ? o : -1;
}

int TQJ47R::ReadMem(int address) {
    const int a = address & 0xFFFF;
    const int o = VramWindowOffset(a);
    if (o >= 0) return o < TextPart ? ReadText(o) : ReadGraphics(o - TextPart);
    if (IplMode) {
        if (a < 0x0800) return IplRom[a];
        if (a >= 0x8000) return MainRam[a - 0x8000];
        return RamExpansion ? MainRam[a + 0x8000] : 0;
    }
    if (a < 0x8000 || RamExpansion) return MainRam[a];
    return 0;
}

void TQJ47R::WriteMem(int address, int value) {
    const int a = address & 0xFFFF;
    const auto v = static_cast<std::uint8_t>(value);
    const int o = VramWindowOffset(a);
    if (o >= 0) {
        if (o < TextPart)
            WriteText(o, v);
        else
            WriteGraphics(o - TextPart, v);
        return;
    }
    if (IplMode) {
        if (a < 0x0800) return;
        if (a >= 0x8000)
            MainRam[a - 0x8000] = v;
        else if (RamExpansion)
            MainRam[a + 0x8000] = v;
        return;
    }
    if (a < 0x8000 || RamExpansion) MainRam[a] = v;
}

int TQJ47R::FetchMem(int address) {
    const int a = address & 0xFFFF;
    if (IplMode) return a < 0x0800 ? IplRom[a] : MainRam[a ^ 0x8000];
    return MainRam[a];
}

void TQJ47R::PushMem(int address, int value) {
    const int a = address & 0xFFFF;
    if (IplMode) {
        if (a >= 0x0800) MainRam[a ^ 0x8000] = static_cast<std::uint8_t>(value);
        return;
    }
    MainRam[a] = static_cast<std::uint8_t>(value);
}

// The text part of the window spans 4 KB over 2 KB of text memory: the upper
// half reads 0 (and its writes are dropped in WriteText).
std::uint8_t TQJ47R::ReadText(int offset) const {
    return offset >= 0 && offset < int(sizeof TextVram) ? TextVram[offset] : 0;
}

std::uint8_t TQJ47R::ReadGraphics(int offset) const {
    const int o = offset & 0x1FFF;
    if (Plane1Selected && Graphics1) return GraphicsRam1[o];
    if (Plane2Selected && Graphics2) return GraphicsRam2[o];
    return 0;
}
