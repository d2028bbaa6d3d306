// 8253 interval timer: three 16-bit down-counters in a cascade (counter 1
// counts counter 0's reloads, counter 2 counter 1's). Mode and BCD bits are not
// used; every counter counts as a plain 16-bit number. Keeps its state across
// machine resets.
#pragma once

#include <cstdint>

class T8253 {
  public:
    void Reset() {}
    // port 0-2: counter load; 3: control word.
    void Write(std::uint8_t port, std::uint8_t value);
    // port 0-2: counter read; 3 (and unprogrammed counters): 0xFF.
    std::uint8_t Read(std::uint8_t port);
    // One input clock of counter 0.
    void Clock();

    // The control word: bits 7-6 name the counter (3 = none), bits 5-4 the
    // access; access 0 latches the count.
    static constexpr std::uint8_t CounterSelect = 0xC0, Access = 0x30;

    // Access states.
    static constexpr std::uint8_t NotProgrammed = 0, LowOnly = 1, HighOnly = 2, PairLow = 3, PairHigh = 4;

    std::uint16_t PitCounter[3] = {};
    std::uint8_t PitAccess[3] = {};
    std::uint8_t PitLatchHold[3] = {};
    std::uint16_t PitLatch[3] = {};
    std::uint16_t PitReload[3] = {};
};
