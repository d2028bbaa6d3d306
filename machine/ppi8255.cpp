#include "machine/ppi8255.h"

namespace {
// Pins: the latch where a bit is an output, 1 where it is an input.
std::uint8_t Pins(std::uint8_t inputMask, std::uint8_t latch) {
    return std::uint8_t((~inputMask & latch) | inputMask);
}
} // namespace

PPI8255::PPI8255() { Reset(); }

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
    case 0: return PortAInput ? 0 : LatchA;
    case 1: return PortBInput ? ExternalB : LatchB;
    case 2: return std::uint8_t(LatchC & ~PortCInputMask);
    default: return 0xFF;
    }
}

void PPI8255::Write(std::uint8_t port, std::uint8_t v) {
    switch (port) {
    case 0:
        LatchA = v;
        UpdatePortA();
        break;
    case 1:
        LatchB = v;
        UpdatePortB();
        break;
    case 2:
        LatchC = v;
        UpdatePortC();
        break;
    case 3:
        if (v & Control::ModeSet) {
            PpiModeA = (v & Control::GroupAMode) >> 5;
            PpiModeB = (v & Control::GroupBMode) ? 1 : 0;
            if (PpiModeA == 0 && PpiModeB == 0) {
                PortAInput = (v & Control::PortAIn) ? 0xFF : 0;
                PortBInput = (v & Control::PortBIn) ? 0xFF : 0;
                PortCInputMask = std::uint8_t(((v & Control::PortCHighIn) ? 0xF0 : 0) |
                                              ((v & Control::PortCLowIn) ? 0x0F : 0));
                LatchA = LatchB = LatchC = 0;
                UpdatePortA();
                UpdatePortB();
                UpdatePortC();
            } else {
                LogTo(OnLog, "PPI Group A %d", PpiModeA);
                LogTo(OnLog, "PPI Group B %d", PpiModeB);
            }
        } else {
            const std::uint8_t bit = std::uint8_t(1u << ((v & Control::BitNumber) >> 1));
            if (v & Control::BitSet)
                LatchC |= bit;
            else
                LatchC &= std::uint8_t(~bit);
            UpdatePortC();
        }
        break;
    default: return;
    }
    if (OnWritten) OnWritten();
}
