// The QJ-47R board: the processor's memory map and ports, the wiring of the
// 8255 and PIO outputs, the per-instruction device tick, the video rendered
// into the main window's screen bitmap and the speaker. One machine exists at
// a time (the globals below are its memories).
#pragma once

#include "cpu/z80cpu.h"
#include "machine/dsk_handler.h"
#include "machine/ppi8255.h"
#include "machine/t8253.h"
#include "machine/varnel_cmt.h"
#include "machine/z80pio.h"

#include <cstdint>
#include <memory>
#include <string>

namespace gfx {
class TBitmap32;
}
namespace platform {
class SoundDevice;
class LoopingSoundBuffer;
} // namespace platform
class TMachineServices;

// The board's memories and inputs, shared with the debugger, the loader and the
// key handler. They keep their contents from one machine to the next.
extern std::uint8_t MainRam[65536];
extern std::uint8_t IplRom[2048];
extern std::uint8_t FontRom[2048];
extern std::uint8_t TextVram[2048];
extern std::uint8_t GraphicsRam1[8192];
extern std::uint8_t GraphicsRam2[8192];
extern std::uint8_t KeyMatrix[12]; // one byte per key row, bit set = key down
extern std::uint8_t ResetLatch;    // 8255 PC3 was seen high

class TQJ47R;
extern TQJ47R* Machine; // the emulator's one machine; set and cleared by the main window

// What a machine is built from.
struct TQJ47RSetup {
    // The windows' services; null = a machine of its own that only records.
    // Their screen bitmap is sized to 640x400; when they have none the
    // machine draws into a bitmap of its own.
    TMachineServices* Services = nullptr;
    // Folder of "ipl.BIN" and "qjfont.bin"; empty = "roms" beside the executable.
    std::string RomFolder;
    // The sound output; null = no sound. Must outlive the machine.
    platform::SoundDevice* Sound = nullptr;
};

class TQJ47R : public z80cpu {
  public:
    static constexpr int KeyRows = 12;
    static constexpr std::uint32_t Green = 0xFF00FF00u, Black = 0xFF000000u;

    // Speaker: one level per SamplePeriod T-states into a ring of RingSize
    // entries, turned into 16-bit samples at SampleRate every RefillPeriod
    // T-states. 80000 T-states are 10 ms, so 125 T-states are one sample.
    static constexpr int RingSize = 10000;
    static constexpr int RingStartLag = 2000; // recorded entries ahead of the player at start
    static constexpr int RingLagLimit = 8000; // beyond this the player skips ahead to RingStartLag
    static constexpr int SamplePeriod = 125;
    static constexpr int RefillPeriod = 1600;
    static constexpr int SampleRate = 64000;
    static constexpr std::uint32_t SoundBufferBytes = 10000;
    static constexpr std::uint32_t SilenceMargin = 2560; // 20 ms kept written ahead of the play cursor
    static constexpr std::int16_t HighSample = -24576;   // 0xA000

    // Reads both ROM images; a missing file raises platform::EFOpenError
    // ("Cannot open file %s").
    explicit TQJ47R(const TQJ47RSetup& setup);
    // Saves the modified disc images, then the settings; reports failures, never raises.
    ~TQJ47R() override;
    TQJ47R(const TQJ47R&) = delete;
    TQJ47R& operator=(const TQJ47R&) = delete;

    static std::string DefaultRomFolder();

    void Reset();
    void LoadSettings();
    void SaveSettings();

    // The processor's operations.
    int ReadPort(int port) override;
    void WritePort(int port, int value) override;
    int ReadMem(int address) override;
    void WriteMem(int address, int value) override;
    int FetchMem(int address) override;
    void PushMem(int address, int value) override;
    void HostTrap(z80regs*) override {}
    void OnReti() override {}
    void OnRetn() override {}
    bool CheckInterrupt(int tstates) override;
    int GetInterruptVector() override;

    // Video memory through the window.
    std::uint8_t ReadText(int offset) const;
    std::uint8_t ReadGraphics(int offset) const;
    void WriteText(int position, std::uint8_t value);
    void WriteGraphics(int offset, std::uint8_t value);
    void RedrawText();
    void MaxCombine(std::uint32_t F, std::uint32_t& B, std::uint32_t M);
    void XorCombine(std::uint32_t F, std::uint32_t& B, std::uint32_t M);

    // Speaker.
    void InitSound();
    void UpdateSound();
    void FillSamples(std::uint8_t* destination, int count);
    // Recorded speaker entries the player has not taken yet.
    int RingLag() const;
    void SkipSpeakerBacklog();

    gfx::TBitmap32* Screen() const { return ScreenBitmap; }

  private:
    std::unique_ptr<TMachineServices> OwnServices; // when the setup gave none

  public:
    TMachineServices* Services;
    std::string RomFolder;
    platform::SoundDevice* SoundOutput;
    std::shared_ptr<platform::LoopingSoundBuffer> SecondaryBuffer;

    std::unique_ptr<gfx::TBitmap32> Font40Bitmap, Font80Bitmap, Plane1Image, Plane2Image, CellBitmap;
    std::unique_ptr<std::uint8_t[]> SpeakerRing;
    std::int32_t RingReadIndex = 0;
    std::int32_t RingWriteIndex = RingStartLag;

    PPI8255 Ppi;
    TQJPIO Pio;
    T8253 Pit;
    std::int32_t PitTicks = 0, FdcTicks = 0, TapeTicks = 0, SoundTicks = 0, SampleTicks = 0;
    std::uint32_t SoundWritePos = 0;
    std::uint8_t NmiRequest = 0;
    TDskHandler Fdc;
    VarnelCMT Cassette;

    std::uint8_t ScanDouble = 0;
    std::uint8_t ModeLamps[3] = {};  // RVS, GRPH, SFTLK = PA7, PA6, PA5
    std::uint8_t DriveLamps[4] = {}; // busy lamps of drives A-D
    std::uint8_t IplMode = 0;
    std::uint8_t VramWindowLow = 0;
    std::uint8_t Plane1Selected = 0, Plane2Selected = 0;
    std::uint8_t NormalVideo = 0;
    std::uint8_t Plane1Shown = 0, Plane2Shown = 0;
    std::uint8_t VramWindowMapped = 0;
    std::uint8_t Columns80 = 0;
    std::uint8_t Graphics1 = 0, Graphics2 = 0, RamExpansion = 0;
    std::uint8_t KeyRow = 0;
    std::uint8_t ColdBoot = 0;

  private:
    void LoadFont(const std::string& fileName);
    void LoadIpl(const std::string& fileName);
    void DrawFontByte(int k, std::uint8_t v);
    std::uint8_t SelectedKeyBits(int row) const;
    std::uint8_t PortBInputs(std::uint8_t keyBits) const;
    void WritePpi(int reg, std::uint8_t value);
    void WritePio(int port, std::uint8_t value);
    void WriteGraphicsControl(std::uint8_t value);
    void TickDiscController();
    int VramWindowOffset(int address) const;

    gfx::TBitmap32* ScreenBitmap = nullptr;
    std::unique_ptr<gfx::TBitmap32> OwnScreen;
};
