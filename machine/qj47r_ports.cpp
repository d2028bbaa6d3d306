// The port map and what the board wires to the chips' pins. Only bits 2-7 of
// the port's low byte select the device; the high byte is what the processor
// put there (B or A) and shows only in the log lines of unanswered ports.
#include "machine/qj47r.h"

#include "machine/machine_services.h"

namespace {

// Where each device answers: four ports from its base.
constexpr std::uint8_t DeviceMask = 0xFC;
constexpr std::uint8_t FdcBase = 0xD8;      // status/command, track, sector, data
constexpr std::uint8_t FdcLatchBase = 0xDC; // drive latch, side
constexpr std::uint8_t PpiBase = 0xE0;
constexpr std::uint8_t PitBase = 0xE4;
constexpr std::uint8_t PioBase = 0xE8; // bit 0: control, bit 1: port B
constexpr std::uint8_t GraphicsBase = 0xF4;
constexpr std::uint8_t FdcAliasBase = 0xF8; // the controller again

// The 8255's wired pins.
constexpr std::uint8_t PaRvsLamp = 0x80, PaGrphLamp = 0x40, PaSftlkLamp = 0x20, PaNormalVideo = 0x10;
constexpr std::uint8_t PcLeaveIpl = 0x02, PcResetLine = 0x08;
// Port B inputs: bits 0-3 low, 4-5 the cassette status, 6 the tape data (PbTapeData), 7 the key.
constexpr std::uint8_t PbKept = 0x4F, PbKey = 0x80;

// The PIO's port A outputs.
constexpr std::uint8_t PioWindowMapped = 0x80, PioWindowLow = 0x40, PioColumns80 = 0x20,
                       PioRowSelected = 0x10, PioRow = 0x0F;
constexpr std::uint8_t NoKeyRow = 15;

// The graphics control port: written, and the status read back.
constexpr std::uint8_t GfxSelectPlane2 = 0x01, GfxShowPlane1 = 0x02, GfxShowPlane2 = 0x0C;
constexpr std::uint8_t GfxPlane1NotSelected = 0x01;

// Direction byte of a PIO port for the I/O monitor: its I/O select word in
// control mode, else all inputs for an odd mode and all outputs for an even one.
std::uint8_t PioDirection(const Z80PIO& pio, int port) {
    if (pio.PioMode[port] == Z80PIO::ModeControl) return static_cast<std::uint8_t>(pio.PioIoSelect[port]);
    return (pio.PioMode[port] & 1) ? 0xFF : 0x00;
}

} // namespace

struct TQJ47R::TPortEntry {
    std::uint8_t Mask, Match;
    int (TQJ47R::*Read)(int port);
    void (TQJ47R::*Write)(int port, std::uint8_t value);
    const char* Name;
};

const TQJ47R::TPortEntry TQJ47R::PortMap[] = {
    {DeviceMask, FdcBase, &TQJ47R::ReadFdc, &TQJ47R::WriteFdc, "disc controller"},
    {DeviceMask, FdcLatchBase, &TQJ47R::ReadFdc, &TQJ47R::WriteFdc, "disc drive latch"},
    {DeviceMask, PpiBase, &TQJ47R::ReadPpi, &TQJ47R::WritePpi, "8255"},
    {DeviceMask, PitBase, &TQJ47R::ReadPit, &TQJ47R::WritePit, "8253"},
    {DeviceMask, PioBase, &TQJ47R::ReadPio, &TQJ47R::WritePio, "Z80 PIO"},
    {DeviceMask, GraphicsBase, &TQJ47R::ReadGraphicsControl, &TQJ47R::WriteGraphicsControl,
     "graphics control"},
    {DeviceMask, FdcAliasBase, &TQJ47R::ReadFdc, &TQJ47R::WriteFdc, "disc controller"},
};

const TQJ47R::TPortEntry* TQJ47R::FindPort(int port) {
    for (const TPortEntry& e : PortMap)
        if ((port & e.Mask) == e.Match) return &e;
    return nullptr;
}

int TQJ47R::ReadPort(int port) {
    if (const TPortEntry* e = FindPort(port)) return (this->*e->Read)(port);
    LogLine(Services, "Read from Port %02x", port);
    return 0;
}

void TQJ47R::WritePort(int port, int value) {
    const auto v = static_cast<std::uint8_t>(value);
    if (const TPortEntry* e = FindPort(port))
        (this->*e->Write)(port, v);
    else
        LogLine(Services, "Wrote %02x to Port %02x", v, port);
}

// ---- the devices' registers ----

int TQJ47R::ReadFdc(int port) { return Fdc.ReadRegister(static_cast<std::uint8_t>(port & 7)); }
void TQJ47R::WriteFdc(int port, std::uint8_t v) { Fdc.WriteRegister(static_cast<std::uint8_t>(port & 7), v); }

int TQJ47R::ReadPpi(int port) {
    Ppi.ExternalB = PortBInputs(SelectedKeyBits(KeyRow));
    Services->ShowPPIPortB(Ppi.ExternalB);
    return Ppi.Read(static_cast<std::uint8_t>(port & 3));
}
void TQJ47R::WritePpi(int port, std::uint8_t v) { Ppi.Write(static_cast<std::uint8_t>(port & 3), v); }

int TQJ47R::ReadPit(int port) { return Pit.Read(static_cast<std::uint8_t>(port & 3)); }
void TQJ47R::WritePit(int port, std::uint8_t v) { Pit.Write(static_cast<std::uint8_t>(port & 3), v); }

int TQJ47R::ReadPio(int port) {
    Pio.PioInput[1] = KeyRow < KeyRows ? static_cast<std::uint8_t>(~KeyMatrix[KeyRow]) : 0;
    const int p = (port >> 1) & 1;
    return (port & 1) ? Pio.ReadControl(p) : Pio.ReadData(p);
}
void TQJ47R::WritePio(int port, std::uint8_t v) {
    const int p = (port >> 1) & 1;
    if (port & 1)
        Pio.WriteControl(p, v);
    else
        Pio.WriteData(p, v);
}

int TQJ47R::ReadGraphicsControl(int) {
    return (Plane1Selected ? 0 : GfxPlane1NotSelected) | (Plane1Shown ? GfxShowPlane1 : 0) |
           (Plane2Shown ? GfxShowPlane2 : 0);
}
void TQJ47R::WriteGraphicsControl(int, std::uint8_t v) {
    Plane2Selected = (v & GfxSelectPlane2) ? 1 : 0;
    Plane1Selected = Plane2Selected ^ 1;
    Plane1Shown = (v & GfxShowPlane1) ? 1 : 0;
    Plane2Shown = (v & GfxShowPlane2) ? 1 : 0;
    RedrawText();
}

// ---- the wiring ----

// The key bits of a row; the matrix has 12 rows, rows 12-15 have no keys.
std::uint8_t TQJ47R::SelectedKeyBits(int row) const { return row < KeyRows ? KeyMatrix[row] : 0; }

// The 8255 port B inputs; bit 7 is low while the key is down.
std::uint8_t TQJ47R::PortBInputs(std::uint8_t keyBits) const {
    return static_cast<std::uint8_t>((Ppi.ExternalB & PbKept) | Cassette.GetPort(1) | (~keyBits & PbKey));
}

// A video mode flag: a change redraws the whole text screen.
void TQJ47R::SetVideoMode(std::uint8_t& flag, std::uint8_t value) {
    if (value == flag) return;
    flag = value;
    RedrawText();
}

// After every 8255 write, in this order. A reset on the way resets the 8255,
// so every step reads the pins as they are by then.
void TQJ47R::PpiWritten() {
    const auto bit = [](std::uint8_t pins, std::uint8_t mask) { return std::uint8_t((pins & mask) ? 1 : 0); };
    SetLamps(ModeLamp, {bit(Ppi.PinsA, PaRvsLamp), bit(Ppi.PinsA, PaGrphLamp), bit(Ppi.PinsA, PaSftlkLamp)});

    SetVideoMode(NormalVideo, bit(Ppi.PinsA, PaNormalVideo));

    // PC1 leaves IPL mode: the run stops, the processor restarts at 0x0000 in RAM.
    if ((Ppi.PinsC & PcLeaveIpl) && Mapping.IplMode) {
        Services->ClickRun();
        SetMapping({0, Mapping.RamExpansion, Mapping.WindowMapped, Mapping.WindowLow});
        z80cpu::Reset();
        Services->ClickRun();
    }

    // The reset line: the machine resets on the falling edge of PC3.
    if (Ppi.PinsC & PcResetLine)
        ResetLatch = 1;
    else if (ResetLatch)
        Reset();

    // PA0-PA3 and PC4-PC7 are the cassette deck's control lines; PC2 is the
    // speaker, which the tick samples.
    Cassette.PortChange(Ppi.PinsA, Ppi.PinsC);
    // On writes bit 7 follows the key at row 3 bit 7, whatever row is selected.
    Ppi.ExternalB = PortBInputs(KeyMatrix[3]);
    Services->ShowPPIPortA(Ppi.PinsA);
    Services->ShowPPIPortB(Ppi.ExternalB);
    Services->ShowPPIPortC(Ppi.PinsC);
}

// After every PIO write: port A's outputs select the key row, the video window
// and the text width.
void TQJ47R::PioWritten() {
    const auto a = static_cast<std::uint8_t>(Pio.PioOutput[0]);
    KeyRow = (a & PioRowSelected) ? (a & PioRow) : NoKeyRow;
    SetMapping({Mapping.IplMode, Mapping.RamExpansion, std::uint8_t((a & PioWindowMapped) ? 1 : 0),
                std::uint8_t((a & PioWindowLow) ? 1 : 0)});
    SetVideoMode(Columns80, (a & PioColumns80) ? 1 : 0);
    Services->ShowPIOPortA(PioDirection(Pio, 0), a);
    Services->ShowPIOPortB(PioDirection(Pio, 1), static_cast<std::uint8_t>(Pio.PioInput[1]));
}
