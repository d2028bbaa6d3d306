#include "machine/ppi8255.h"

#include "machine/machine_services.h"

namespace {
// Pins: the latch where a bit is an output, 1 where it is an input.
std::uint8_t Pins(std::uint8_t inputMask, std::uint8_t latch) {
    return std::uint8_t((~inputMask & latch) | inputMask);
}
} // namespace

PPI8255::PPI8255(TMachineServices* services) : Services(services) { Reset(); }

void PPI8255::Reset() {
    PpiModeA = PpiModeB = 0;
    PortAInput = 0;
    PortBInput = 0xFF;
    PortCInputMask = 0;
    LatchA = LatchB = LatchC = 0;
    PinsA = PinsB = PinsC = 0;
}

void PPI8255::UpdatePortA() { PinsA = Pins(PortAInput, LatchA); }
void PPI8255::UpdatePortB() { PinsB = Pins(PortBInput, LatchB); }
void PPI8255::UpdatePortC() { PinsC = Pins(PortCInputMask, LatchC); }

std::uint8_t PPI8255::Read(std::uint8_t port) const {
    switch (port) {
    case 0: return PortAInput ? ExternalA : LatchA;
    case 1: return PortBInput ? ExternalB : LatchB;
    case 2: return std::uint8_t((ExternalC & PortCInputMask) | (LatchC & ~PortCInputMask));
    default: return 0xFF;
    }
}

void PPI8255::Write(std::uint8_t port, std::uint8_t v) {
    switch (port) {
    case 0:
        LatchA = v;
        UpdatePortA();
        return;
    case 1:
        LatchB = v;
        UpdatePortB();
        return;
    case 2:
        LatchC = v;
        UpdatePortC();
        return;
    case 3: break;
    default: return;
    }
    if (v & 0x80) { // mode word
        PpiModeA = (v >> 5) & 3;
        PpiModeB = (v >> 2) & 1;
        if (PpiModeA == 0 && PpiModeB == 0) {
            PortAInput = (v & 0x10) ? 0xFF : 0;
            PortBInput = (v & 0x02) ? 0xFF : 0;
            PortCInputMask = std::uint8_t(((v & 0x08) ? 0xF0 : 0) | ((v & 0x01) ? 0x0F : 0));
            LatchA = LatchB = LatchC = 0;
            UpdatePortA();
            UpdatePortB();
            UpdatePortC();
        } else {
            LogLine(Services, "PPI Group A %d", PpiModeA);
            LogLine(Services, "PPI Group B %d", PpiModeB);
        }
        return;
    }
    // Port C bit set/reset.
    const std::uint8_t bit = std::uint8_t(1u << ((v >> 1) & 7));
    if (v & 1)
        LatchC |= bit;
    else
        LatchC &= std::uint8_t(~bit);
    UpdatePortC();
}
