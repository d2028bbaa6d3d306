// What the machine calls in the emulator's windows. The machine holds a pointer
// to one implementation (the windows', or a recording one in tests) and calls
// nothing else of the user interface. Every call happens on the window thread;
// none reports an error to the machine. Each call does nothing by default, so a
// machine without windows runs on the base class itself.
#pragma once

#include <cstdint>
#include <string>

namespace gfx {
class TBitmap32;
}
using gfx::TBitmap32;

class TMachineServices {
  public:
    virtual ~TMachineServices() = default;

    // One line at the end of the I/O monitor's diagnostic log.
    virtual void AppendLog(const std::string& /*line*/) {}

    // I/O monitor lamps: the 8255's three ports, the PIO's two ports (direction
    // byte with bit 1 = input line, data byte), and the disc controller's six
    // registers (command/status, track, sector, data, drive latch, side).
    virtual void ShowPPIPortA(std::uint8_t /*value*/) {}
    virtual void ShowPPIPortB(std::uint8_t /*value*/) {}
    virtual void ShowPPIPortC(std::uint8_t /*value*/) {}
    virtual void ShowPIOPortA(std::uint8_t /*direction*/, std::uint8_t /*data*/) {}
    virtual void ShowPIOPortB(std::uint8_t /*direction*/, std::uint8_t /*data*/) {}
    virtual void ShowFDCStatus(const std::uint8_t /*registers*/[6]) {}

    // Whether the I/O monitor window exists; its labels are written only then.
    virtual bool HasIOMonitor() const { return false; }
    // Text of the I/O monitor's Label8, Label9 or Label10 (index 8-10).
    virtual void SetIOLabel(int /*index*/, const std::string& /*text*/) {}

    // Repaints the main window's status bar now (mode and drive lamps).
    virtual void RefreshStatusBar() {}
    // The main window's screen bitmap; exists before the machine is built.
    virtual TBitmap32* ScreenBitmap() { return nullptr; }
    // The main window's native handle for the sound output (may be null).
    virtual void* WindowHandle() { return nullptr; }
    // Clicks the debugger's Run button: toggles the emulation.
    virtual void ClickRun() {}
    // A drive's image could not be written back by itself (the message names the
    // file and the reason); its writes stay in the machine. Once per run of failures.
    virtual void DiscWriteBackFailed(int /*drive*/, const std::string& /*message*/) {}
    // The writes of such a drive are no longer unsaved: saved, discarded, or the
    // image unmounted or replaced.
    virtual void DiscWriteBackCleared(int /*drive*/) {}

    // The debugger's two counters, read and written by the machine's tick after
    // every instruction (plain fields: no call per instruction).
    // StepOverAddress: the run ends when PC reaches it; 0x10000 = no address.
    std::int32_t StepOverAddress = 0x10000;
    // T-states executed since the last automatic speed adjustment. Nothing
    // resets it while the speed is set by hand, so it is wide enough for years.
    std::int64_t ExecutedTStates = 0;
};

// printf-style line into the log; nothing when services is null.
void LogLine(TMachineServices* services, const char* format, ...) __attribute__((format(printf, 2, 3)));
