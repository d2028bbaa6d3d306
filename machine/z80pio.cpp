#include "machine/z80pio.h"

Z80PIO::Z80PIO() { Reset(); }

void Z80PIO::Reset() {
    for (int p = 0; p < 2; ++p) {
        PioMask[p] = 0xFF;
        PioIntControl[p] = 0;
        PioMode[p] = ModeInput;
        PioIoSelect[p] = 1;
        SetReady(p, 0);
        PioOutput[p] = 0;
        PioInput[p] = 0;
        PioState[p] = 0;
    }
    UpdateIntLine(); // the vectors survive
}

void Z80PIO::SetReady(int port, std::uint32_t ready) {
    PioReady[port] = ready;
    if (OnReady) OnReady(port, ready);
}

void Z80PIO::WriteControl(int port, std::uint8_t v) {
    WriteControlWord(port, v);
    if (OnWritten) OnWritten();
}

void Z80PIO::WriteControlWord(int port, std::uint8_t v) {
    if (PioMode[port] == ModeControlPending) {
        PioIoSelect[port] = v;
        PioMode[port] = ModeControl;
        return;
    }
    if (PioIntControl[port] & IntMaskFollows) {
        PioMask[port] = v;
        PioIntControl[port] &= ~IntMaskFollows;
        return;
    }
    switch (v & WordKind) {
    case EnableWord: PioIntControl[port] = (PioIntControl[port] & ~IntEnable) | (v & IntEnable); break;
    case IntControlWord:
        PioIntControl[port] = v & 0xF0u;
        PioMask[port] = 0;
        break;
    case ModeWord:
        PioMode[port] = (v >> 6) == ModeControl ? ModeControlPending : std::uint32_t(v >> 6);
        break;
    default:
        if ((v & NotVector) == 0) PioVector[port] = v;
        break;
    }
    EvaluateInterrupt(port);
}

void Z80PIO::WriteData(int port, std::uint8_t v) {
    PioOutput[port] = v;
    if (PioMode[port] == ModeOutput || PioMode[port] == ModeBidirectional) {
        SetReady(port, 1);
        EvaluateInterrupt(port);
    }
    if (OnWritten) OnWritten();
}

std::uint8_t Z80PIO::ReadData(int port) {
    switch (PioMode[port]) {
    case ModeOutput: return std::uint8_t(PioOutput[port]);
    case ModeInput:
        SetReady(port, 1);
        EvaluateInterrupt(port);
        return std::uint8_t(PioInput[port]);
    case ModeBidirectional:
        SetReady(1, 1); // the input handshake uses port B's lines
        EvaluateInterrupt(port);
        return std::uint8_t(PioInput[port]);
    case ModeControl:
        return std::uint8_t((PioInput[port] & PioIoSelect[port]) | (PioOutput[port] & ~PioIoSelect[port]));
    default: return 0;
    }
}

std::uint8_t Z80PIO::ReadControl(int) const { return 0; }

void Z80PIO::EvaluateInterrupt(int port) {
    std::uint32_t request = 0;
    const std::uint32_t control = PioIntControl[port];
    if (control & IntEnable) {
        if (PioMode[port] == ModeControl) {
            std::uint32_t x = PioInput[port] & PioIoSelect[port] & ~PioMask[port] & 0xFF;
            if (!(control & IntActiveHigh)) x ^= PioMask[port];
            request = (control & IntAnd) ? x == PioMask[port] : x == 0;
            if (port == 1 && PioMode[0] == ModeBidirectional && PioReady[1] == 0) request = 1;
        } else {
            request = PioReady[port] == 0;
        }
    }
    const std::uint32_t before = PioState[port];
    PioState[port] = (PioState[port] & ~StateRequested) | request;
    if (PioState[port] != before) UpdateIntLine();
}

void Z80PIO::UpdateIntLine() {
    std::uint32_t line;
    if (PioState[0] & StateInService)
        line = 2;
    else
        line = ((PioState[1] & StateInService) ? 2 : PioState[1]) | PioState[0];
    if (OnIntLine) OnIntLine(line);
}

std::uint8_t Z80PIO::AcknowledgeInterrupt() {
    // Port A wins unless it is idle and port B has a fresh request. Nothing but
    // Reset clears an in-service bit.
    int chosen = 0;
    if (PioState[0] == StateRequested) PioState[0] |= StateInService;
    if (PioState[0] == 0 && PioState[1] == StateRequested) {
        PioState[1] |= StateInService;
        chosen = 1;
    }
    EvaluateInterrupt(0);
    EvaluateInterrupt(1);
    UpdateIntLine();
    return std::uint8_t(PioVector[chosen]);
}
