// 8255 programmable peripheral interface, register level: ports A, B, C and the
// control register; mode 0 with port C bit set/reset. Mode words for modes 1 and
// 2 are only logged. Port B's input pins are driven from outside through
// ExternalB; nothing drives the input pins of ports A and C, which read 0.
#pragma once

#include "machine/chip_hooks.h"

#include <cstdint>
#include <functional>

class PPI8255 {
  public:
    // The control word (port 3).
    struct Control {
        static constexpr std::uint8_t ModeSet = 0x80;     // else a port C bit set/reset
        static constexpr std::uint8_t GroupAMode = 0x60;  // bits 6-5
        static constexpr std::uint8_t PortAIn = 0x10;     //
        static constexpr std::uint8_t PortCHighIn = 0x08; // PC4-PC7
        static constexpr std::uint8_t GroupBMode = 0x04;  //
        static constexpr std::uint8_t PortBIn = 0x02;     //
        static constexpr std::uint8_t PortCLowIn = 0x01;  // PC0-PC3
        static constexpr std::uint8_t BitNumber = 0x0E;   // set/reset: bits 3-1 name the bit
        static constexpr std::uint8_t BitSet = 0x01;      // set/reset: 1 sets, 0 clears
    };

    PPI8255();

    void Reset();
    // port 0-3: A, B, C, control; other ports read 0xFF.
    std::uint8_t Read(std::uint8_t port) const;
    // Writes to ports above 3 are ignored; every other write ends in OnWritten.
    void Write(std::uint8_t port, std::uint8_t value);

    void UpdatePortA();
    void UpdatePortB();
    void UpdatePortC();

    // Hooks: after every write of ports 0-3, whether a pin changed or not (the
    // board reads PinsA and PinsC); the mode lines of modes 1 and 2.
    std::function<void()> OnWritten;
    TLogHook OnLog;

    std::uint8_t PpiModeA = 0;
    std::uint8_t PpiModeB = 0;
    std::uint8_t PortAInput = 0;
    std::uint8_t PortBInput = 0;
    std::uint8_t PortCInputMask = 0;
    std::uint8_t LatchA = 0, LatchB = 0, LatchC = 0;
    std::uint8_t PinsA = 0, PinsB = 0, PinsC = 0;
    // Levels driven into port B's pins from outside; the board sets it.
    std::uint8_t ExternalB = 0;
};
