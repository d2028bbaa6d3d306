#include "machine/t8253.h"

void T8253::Write(std::uint8_t port, std::uint8_t v) {
    if (port == 3) {
        const int c = (v & CounterSelect) >> 6;
        if (c == 3) return;
        const std::uint8_t rl = (v & Access) >> 4;
        if (rl != 0) {
            PitAccess[c] = rl;
        } else { // counter latch command
            PitLatchHold[c] = 1;
            PitAccess[c] = PairLow;
        }
        return;
    }
    if (port > 2) return;
    switch (PitAccess[port]) {
    case LowOnly:
        PitCounter[port] = PitReload[port] = v;
        PitLatchHold[port] = 0;
        break;
    case HighOnly:
        PitCounter[port] = PitReload[port] = std::uint16_t(v << 8);
        PitLatchHold[port] = 0;
        break;
    case PairLow:
        PitCounter[port] = v;
        PitAccess[port] = PairHigh;
        break;
    case PairHigh:
        PitCounter[port] = std::uint16_t(PitCounter[port] + (v << 8));
        PitReload[port] = PitCounter[port];
        PitLatchHold[port] = 0;
        PitAccess[port] = PairLow;
        break;
    default: break;
    }
}

std::uint8_t T8253::Read(std::uint8_t port) {
    if (port > 2) return 0xFF;
    const std::uint16_t value = PitLatchHold[port] ? PitLatch[port] : PitCounter[port];
    switch (PitAccess[port]) {
    case LowOnly: PitLatchHold[port] = 0; return std::uint8_t(value);
    case HighOnly: PitLatchHold[port] = 0; return std::uint8_t(value >> 8);
    case PairLow: PitAccess[port] = PairHigh; return std::uint8_t(value);
    case PairHigh:
        PitLatchHold[port] = 0;
        PitAccess[port] = PairLow;
        return std::uint8_t(value >> 8);
    default: return 0xFF;
    }
}

void T8253::Clock() {
    // A counter that reaches 1 reloads and clocks the next one.
    for (int c = 0; c < 3; ++c) {
        if (--PitCounter[c] != 1) break;
        PitCounter[c] = PitReload[c];
    }
    for (int c = 0; c < 3; ++c)
        if (!PitLatchHold[c]) PitLatch[c] = PitCounter[c];
}
