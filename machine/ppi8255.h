// 8255 programmable peripheral interface, register level: ports A, B, C and the
// control register; mode 0 with port C bit set/reset. Mode words for modes 1 and
// 2 are only logged.
#pragma once

#include <cstdint>

class TMachineServices;

class PPI8255 {
  public:
    explicit PPI8255(TMachineServices* services = nullptr);

    void Reset();
    // port 0-3: A, B, C, control; other ports read 0xFF.
    std::uint8_t Read(std::uint8_t port) const;
    // Writes to ports above 3 are ignored.
    void Write(std::uint8_t port, std::uint8_t value);

    void UpdatePortA();
    void UpdatePortB();
    void UpdatePortC();

    TMachineServices* Services;

    std::uint8_t PpiModeA = 0;
    std::uint8_t PpiModeB = 0;
    std::uint8_t PortAInput = 0;
    std::uint8_t PortBInput = 0;
    std::uint8_t PortCInputMask = 0;
    std::uint8_t LatchA = 0, LatchB = 0, LatchC = 0;
    std::uint8_t PinsA = 0, PinsB = 0, PinsC = 0;
    // Levels driven into the pins from outside; the board sets ExternalB.
    std::uint8_t ExternalA = 0, ExternalB = 0, ExternalC = 0;
};
