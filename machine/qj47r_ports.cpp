// The port map and what the board wires to the chips' pins. Only bits 2-7 of
// the port's low byte select the device; the high byte is what the processor
// put there (B or A) and shows only in the log lines of unanswered ports.
#include "machine/qj47r.h"

#include "machine/machine_services.h"

namespace {

// Direction byte of a PIO port for the I/O monitor: its I/O select word in
// control mode, else all inputs for an odd mode and all outputs for an even one.
std::uint8_t PioDirection(const Z80PIO& pio, int port) {
    if (pio.PioMode[port] == Z80PIO::ModeControl) return static_cast<std::uint8_t>(pio.PioIoSelect[port]);
    return (pio.PioMode[port] & 1) ? 0xFF : 0x00;
}

} // namespace

// The key bits of a row; the matrix has 12 rows, rows 12-15 have no keys.
std::uint8_t TQJ47R::SelectedKeyBits(int row) const { return row < KeyRows ? KeyMatrix[row] : 0; }

// The 8255 port B inputs: bits 0-3 low, bits 4-5 the cassette status, bit 6
// the tape data bit the tick keeps, bit 7 low while the key is down.
std::uint8_t TQJ47R::PortBInputs(std::uint8_t keyBits) const {
    return static_cast<std::uint8_t>((Ppi.ExternalB & 0x4F) | Cassette.GetPort(1) | (~keyBits & 0x80));
}

int TQJ47R::ReadPort(int port) {
    const int reg = port & 7;
    switch (port & 0xFC) {
    case 0xD8:
    case 0xDC:
    case 0xF8: return Fdc.ReadRegister(static_cast<std::uint8_t>(reg));
    case 0xE0:
        Ppi.ExternalB = PortBInputs(SelectedKeyBits(KeyRow));
        Services->ShowPPIPortB(Ppi.ExternalB);
        return Ppi.Read(static_cast<std::uint8_t>(port & 3));
    case 0xE4: return Pit.Read(static_cast<std::uint8_t>(port & 3));
    case 0xE8: {
        Pio.PioInput[1] = KeyRow < KeyRows ? static_cast<std::uint8_t>(~KeyMatrix[KeyRow]) : 0;
        const int p = (port >> 1) & 1;
        return (port & 1) ? Pio.ReadControl(p) : Pio.ReadData(p);
    }
    case 0xF4: return (Plane1Selected ? 0 : 0x01) | (Plane1Shown ? 0x02 : 0) | (Plane2Shown ? 0x0C : 0);
    default: LogLine(Services, "Read from Port %02x", port); return 0;
    }
}

void TQJ47R::WritePort(int port, int value) {
    const auto v = static_cast<std::uint8_t>(value);
    switch (port & 0xFC) {
    case 0xD8:
    case 0xDC:
    case 0xF8: Fdc.WriteRegister(static_cast<std::uint8_t>(port & 7), v); break;
    case 0xE0: WritePpi(port & 3, v); break;
    case 0xE4: Pit.Write(static_cast<std::uint8_t>(port & 3), v); break;
    case 0xE8: WritePio(port, v); break;
    case 0xF4: WriteGraphicsControl(v); break;
    default: LogLine(Services, "Wrote %02x to Port %02x", v, port); break;
    }
}

void TQJ47R::WritePpi(int reg, std::uint8_t value) {
    Ppi.Write(static_cast<std::uint8_t>(reg), value);

    const std::uint8_t lamps[3] = {std::uint8_t((Ppi.PinsA >> 7) & 1), std::uint8_t((Ppi.PinsA >> 6) & 1),
                                   std::uint8_t((Ppi.PinsA >> 5) & 1)};
    bool lampsChanged = false;
    for (int i = 0; i < 3; ++i) {
        lampsChanged |= ModeLamps[i] != lamps[i];
        ModeLamps[i] = lamps[i];
    }
    if (lampsChanged) Services->RefreshStatusBar();

    const std::uint8_t normal = (Ppi.PinsA & 0x10) ? 1 : 0;
    if (normal != NormalVideo) {
        NormalVideo = normal;
        RedrawText();
    }

    // PC1 leaves IPL mode: the run stops, the processor restarts at 0x0000 in RAM.
    if ((Ppi.PinsC & 0x02) && IplMode) {
        Services->ClickRun();
        IplMode = 0;
        z80cpu::Reset();
        Services->ClickRun();
    }

    // The reset line: the machine resets on the falling edge of PC3.
    if (Ppi.PinsC & 0x08)
        ResetLatch = 1;
    else if (ResetLatch)
        Reset();

    Cassette.PortChange(Ppi.PinsA, Ppi.PinsC);
    // On writes bit 7 follows the key at row 3 bit 7, whatever row is selected.
    Ppi.ExternalB = PortBInputs(KeyMatrix[3]);
    Services->ShowPPIPortA(Ppi.PinsA);
    Services->ShowPPIPortB(Ppi.ExternalB);
    Services->ShowPPIPortC(Ppi.PinsC);
}

void TQJ47R::WritePio(int port, std::uint8_t value) {
    const int p = (port >> 1) & 1;
    if (port & 1)
        Pio.WriteControl(p, value);
    else
        Pio.WriteData(p, value);

    const auto a = static_cast<std::uint8_t>(Pio.PioOutput[0]);
    KeyRow = (a & 0x10) ? (a & 0x0F) : 15;
    VramWindowMapped = (a >> 7) & 1;
    VramWindowLow = (a >> 6) & 1;
    const std::uint8_t columns80 = (a >> 5) & 1;
    if (columns80 != Columns80) {
        Columns80 = columns80;
        RedrawText();
    }
    Services->ShowPIOPortA(PioDirection(Pio, 0), a);
    Services->ShowPIOPortB(PioDirection(Pio, 1), static_cast<std::uint8_t>(Pio.PioInput[1]));
}

void TQJ47R::WriteGraphicsControl(std::uint8_t value) {
    Plane2Selected = value & 1;
    Plane1Selected = Plane2Selected ^ 1;
    Plane1Shown = (value >> 1) & 1;
    Plane2Shown = (value & 0x0C) ? 1 : 0;
    RedrawText();
}
