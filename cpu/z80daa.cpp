// The decimal-adjust table, generated at compile time.
#include <array>

#include "cpu/z80flags.h"

namespace {

constexpr int Parity(int v) {
    int bits = 0;
    for (int b = 0; b < 8; ++b)
        bits += (v >> b) & 1;
    return (bits & 1) == 0 ? z80flag::PV : 0;
}

constexpr uint16_t DaaEntry(int index) {
    const int a = index & 0xFF;
    const int c = (index >> 8) & 1;
    const int h = (index >> 9) & 1;
    const int n = (index >> 10) & 1;
    const int low = a & 0x0F;
    int correction = (h || low > 9) ? 0x06 : 0;
    if (c || a > 0x99) correction += 0x60;
    const int newA = (n ? a - correction : a + correction) & 0xFF;
    const int newC = (c || a > 0x99) ? 1 : 0;
    const int newH = n ? (h && low < 6) : (low > 9);
    const int sz = (newA & z80flag::S) | (newA == 0 ? z80flag::Z : 0);
    const int f = sz | Parity(newA) | (newH ? z80flag::H : 0) | (n ? z80flag::N : 0) |
                  (newC ? z80flag::C : 0) | (newA & (z80flag::Y | z80flag::X));
    return static_cast<uint16_t>((newA << 8) | f);
}

constexpr std::array<uint16_t, 2048> BuildDaa() {
    std::array<uint16_t, 2048> t{};
    for (int i = 0; i < 2048; ++i)
        t[i] = DaaEntry(i);
    return t;
}

} // namespace

constinit const std::array<uint16_t, 2048> DaaTable = BuildDaa();
