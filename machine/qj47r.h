// The QJ-47R board: the processor's memory map and ports, the wiring of the
// chips' outputs, the per-instruction device tick, the video rendered into the
// main window's screen bitmap and the speaker. One machine exists at a time
// (the globals below are its memories). The board is the one place that wires
// the chips to each other and to the services.
#pragma once

#include "cpu/z80cpu.h"
#include "machine/dsk_handler.h"
#include "machine/memory_map.h"
#include "machine/ppi8255.h"
#include "machine/t8253.h"
#include "machine/varnel_cmt.h"
#include "machine/z80pio.h"

#include "machine/machine_services.h"

#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gfx {
class TBitmap32;
}
namespace platform {
class SoundDevice;
class LoopingSoundBuffer;
} // namespace platform

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
    // The windows' services; null = a machine of its own on the do-nothing base.
    // Their screen bitmap is sized to 640x400; when they have none the
    // machine draws into a bitmap of its own.
    TMachineServices* Services = nullptr;
    // Folder of "ipl.BIN" and "qjfont.bin"; empty = "roms" beside the executable.
    std::string RomFolder;
    // The sound output; null = no sound. Must outlive the machine.
    platform::SoundDevice* Sound = nullptr;
};

// The four settings, stored as "TRUE"/"FALSE" under their own names.
struct TQJ47RSettings {
    std::uint8_t RamExpansion = 0; // the upper 32 KB of MainRam are fitted
    std::uint8_t Graphics1 = 0;    // graphics plane I is fitted
    std::uint8_t Graphics2 = 0;    // graphics plane II is fitted
    std::uint8_t ScanDouble = 0;   // each emulated scan line is drawn on two screen rows
};

class TQJ47R final : public z80cpu {
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

    // ---- The board as a whole (qj47r.cpp) ----

    // Reads both ROM images; a missing file raises platform::EFOpenError
    // ("Cannot open file %s").
    explicit TQJ47R(const TQJ47RSetup& setup);
    // Saves the modified disc images, then the settings unless WriteSettings
    // did; reports failures on stderr and in the log, never raises.
    ~TQJ47R() override;
    TQJ47R(const TQJ47R&) = delete;
    TQJ47R& operator=(const TQJ47R&) = delete;

    static std::string DefaultRomFolder();

    void Reset();
    // The four settings from the store; missing values are added with their
    // defaults, all of them or (when the file cannot take them all) none.
    // When the file exists but cannot be read, the defaults, and nothing is
    // written to it until the next load.
    void LoadSettings();
    // Writes the four settings; "" when written (or not to be written, see
    // LoadSettings), else the message for the user naming the file and why,
    // and, when the load added values to it, which of the settings it holds
    // are this run's and which are not kept.
    std::string SaveSettings();
    // SaveSettings for the program's exit: the destructor then writes no more.
    std::string WriteSettings();
    // The message for the user when the settings file could not be read at
    // the last load; "" when it was read or did not exist.
    std::string SettingsProblem() const { return SettingsUnreadable; }
    const TQJ47RSettings& Settings() const { return Setting; }
    // Takes effect from the next access on; the font keeps its scan-line form.
    void SetSettings(const TQJ47RSettings& settings);

    // IPL ROM at 0x0000 and the RAM halves swapped (the debugger shows IplRom then).
    std::uint8_t IplMode() const { return Mapping.IplMode; }
    // Lamps of the status bar: RVS, GRPH, SFTLK (8255 PA7, PA6, PA5); drives A-D busy.
    const std::array<std::uint8_t, 3>& ModeLamps() const { return ModeLamp; }
    const std::array<std::uint8_t, 4>& DriveLamps() const { return DriveLamp; }
    gfx::TBitmap32* Screen() const { return ScreenBitmap; }

    // Set by the windows: the next Reset enters IPL mode; an NMI is wanted.
    std::uint8_t ColdBoot = 0;
    std::uint8_t NmiRequest = 0;

    // The services the machine was built with; the debugger's two counters live there.
    TMachineServices& Host() const { return *Services; }

    // The emulation driver's calls to the speaker (qj47r_sound.cpp). While the
    // emulation is stopped the sound output is paused, since the looping buffer
    // would replay what it holds; Run resumes it.
    void PauseSound();
    void ResumeSound();
    // Passes the last refill's counters to the I/O monitor: once per slice,
    // rather than at every refill.
    void ShowSoundCounters();

    // ---- The processor's operations ----
    // The processor runs the loop compiled for this class (qj47r_loop.cpp),
    // which inlines the operations defined at the end of this header.
    // Memory (below and qj47r_memory.cpp); the debugger reads through FetchMem.
    int ReadMem(int address) override;
    void WriteMem(int address, int value) override;
    int FetchMem(int address) override;
    void PushMem(int address, int value) override;
    // Ports (qj47r_ports.cpp).
    int ReadPort(int port) override;
    void WritePort(int port, int value) override;
    // Device tick (below and qj47r_tick.cpp).
    bool CheckInterrupt(int tstates) override;
    int GetInterruptVector() override;
    void HostTrap(z80regs*) override {}
    void OnReti() override {}
    void OnRetn() override {}

  private:
    friend struct TQJ47RProbe; // the tests' view of the timing and rendering state

    // ---- The board as a whole (qj47r.cpp) ----
    void LoadFont(const std::string& fileName);
    void LoadIpl(const std::string& fileName);
    void WireChips();
    // Sets lamps and repaints the status bar when any of them changed.
    template <std::size_t N>
    void SetLamps(std::array<std::uint8_t, N>& lamps, const std::array<std::uint8_t, N>& now);

    TMachineServices* Services;
    std::unique_ptr<TMachineServices> OwnServices; // when the setup gave none
    std::string RomFolder;
    TQJ47RSettings Setting;
    std::string SettingsUnreadable;
    // The values LoadSettings added to its file with their defaults, that
    // file, and the settings it holds as far as this run knows (after the
    // load with those added, after a save what it wrote).
    std::vector<std::string> SettingsAdded;
    std::string SettingsFile;
    TQJ47RSettings SettingsHeld;
    bool SettingsWritten = false; // by WriteSettings
    std::array<std::uint8_t, 3> ModeLamp{};
    std::array<std::uint8_t, 4> DriveLamp{};

    // ---- Memory (qj47r_memory.cpp) ----
    // What the page tables are built from; Remap after every change.
    struct TMapping {
        std::uint8_t IplMode = 0;
        std::uint8_t RamExpansion = 0;
        std::uint8_t WindowMapped = 0; // the video window answers data accesses
        std::uint8_t WindowLow = 0;    // at 0x5000 instead of 0xD000
        bool operator==(const TMapping&) const = default;
    };
    void SetMapping(const TMapping& mapping);
    void Remap();
    int ReadWindow(int address) const;
    void WriteWindow(int address, std::uint8_t value);
    std::uint8_t ReadText(int offset) const;
    std::uint8_t ReadGraphics(int offset) const;

    TMapping Mapping;
    TMemoryMap Map;

    // ---- Ports and wiring (qj47r_ports.cpp) ----
    struct TPortEntry;
    static const TPortEntry PortMap[];
    static const TPortEntry* FindPort(int port);
    int ReadFdc(int port);
    void WriteFdc(int port, std::uint8_t value);
    int ReadPpi(int port);
    void WritePpi(int port, std::uint8_t value);
    int ReadPit(int port);
    void WritePit(int port, std::uint8_t value);
    int ReadPio(int port);
    void WritePio(int port, std::uint8_t value);
    int ReadGraphicsControl(int port);
    void WriteGraphicsControl(int port, std::uint8_t value);
    // The wiring of the 8255 and PIO outputs, after every write of the chip.
    void PpiWritten();
    void PioWritten();
    void SetVideoMode(std::uint8_t& flag, std::uint8_t value);
    std::uint8_t SelectedKeyBits(int row) const;
    std::uint8_t PortBInputs(std::uint8_t keyBits) const;

    PPI8255 Ppi;
    Z80PIO Pio;
    T8253 Pit;
    VarnelCMT Cassette;
    std::uint8_t KeyRow = 0;
    std::uint8_t Plane1Selected = 0, Plane2Selected = 0;
    std::uint8_t Plane1Shown = 0, Plane2Shown = 0;
    std::uint8_t NormalVideo = 0;
    std::uint8_t Columns80 = 0;

    // ---- Device tick (qj47r_tick.cpp) ----
    // The 8255 pins the tick samples and drives: PC2 the speaker, PB6 the tape data.
    static constexpr std::uint8_t PcSpeaker = 0x04, PbTapeData = 0x40;
    void RunDevices();
    void TickDiscController();
    // Brings the accumulators up to date; the next tick then runs every device.
    void SettleDevices();

    std::int32_t PitTicks = 0, FdcTicks = 0, TapeTicks = 0, SoundTicks = 0, SampleTicks = 0;
    std::int32_t DeviceTStates = 0; // gathered since the devices last ran
    std::int32_t DeviceDue = 0;     // when DeviceTStates reaches this, a device fires

    // ---- Video (qj47r_video.cpp) ----
    static constexpr int TextColumns40 = 40, TextColumns80 = 80, TextRows = 25;
    static constexpr std::uint32_t Plane2Weight = 127; // plane II's master alpha over the text
    void DrawFontByte(int k, std::uint8_t v);
    void WriteText(int position, std::uint8_t value);
    template <int Columns> void DrawCell(int position, std::uint8_t glyph);
    void WriteGraphics(int offset, std::uint8_t value);
    void RedrawText();
    // The pixel combines of the cells: a shown plane I, and the reverse-video mask.
    static void MaxCombine(std::uint32_t F, std::uint32_t& B, std::uint32_t M);
    static void XorCombine(std::uint32_t F, std::uint32_t& B, std::uint32_t M);
    // What a cell shows: its glyph and the modes it was drawn in.
    std::uint16_t CellKey(std::uint8_t glyph) const;

    std::unique_ptr<gfx::TBitmap32> Font40Bitmap, Font80Bitmap, Plane1Image, Plane2Image;
    gfx::TBitmap32* ScreenBitmap = nullptr;
    std::unique_ptr<gfx::TBitmap32> OwnScreen;
    // The key of what each cell of either width shows on the screen; 0 when
    // something else was drawn there since (the other width, a plane dot).
    static constexpr std::uint16_t CellDrawn = 0x800;
    std::array<std::uint16_t, TextColumns40 * TextRows> Drawn40{};
    std::array<std::uint16_t, TextColumns80 * TextRows> Drawn80{};

    // ---- Speaker (qj47r_sound.cpp) ----
    void InitSound();
    void UpdateSound();
    void FillSamples(std::uint8_t* destination, int count);
    // Recorded speaker entries the player has not taken yet.
    int RingLag() const {
        const int lag = RingWriteIndex - RingReadIndex;
        return lag < 0 ? lag + RingSize : lag;
    }
    void SkipSpeakerBacklog();

    platform::SoundDevice* SoundOutput;
    std::shared_ptr<platform::LoopingSoundBuffer> SecondaryBuffer;
    std::unique_ptr<std::uint8_t[]> SpeakerRing;
    std::int32_t RingReadIndex = 0;
    std::int32_t RingWriteIndex = RingStartLag;
    std::uint32_t SoundWritePos = 0;
    std::uint32_t LastCursor = 0;              // the play cursor at the last refill
    std::uint32_t Unplayed = SoundBufferBytes; // written ahead of it then
    bool SoundPaused = false;
    // The I/O monitor's counters as the last refill left them: its sample count
    // and the ring indices before it; Fresh until they are shown.
    struct TSoundCounters {
        int Count = 0, Read = 0, Write = 0;
        bool Fresh = false;
    } SoundCounters;

  public:
    // The floppy window mounts and unmounts its drives. Last: its four drives
    // are large and the fields above are touched after every instruction.
    TDskHandler Fdc;
};

// ---- The operations of every instruction, inline ----

// The memory map: a data access off the page tables reaches the video window.
inline int TQJ47R::ReadMem(int address) {
    const int a = address & 0xFFFF;
    if (const std::uint8_t* page = Map.Data.Read[a >> TMemoryMap::PageBits])
        return page[a & TMemoryMap::PageMask];
    return ReadWindow(a);
}

inline void TQJ47R::WriteMem(int address, int value) {
    const int a = address & 0xFFFF;
    if (std::uint8_t* page = Map.Data.Write[a >> TMemoryMap::PageBits])
        page[a & TMemoryMap::PageMask] = static_cast<std::uint8_t>(value);
    else
        WriteWindow(a, static_cast<std::uint8_t>(value));
}

inline int TQJ47R::FetchMem(int address) {
    const int a = address & 0xFFFF;
    return Map.Code.Read[a >> TMemoryMap::PageBits][a & TMemoryMap::PageMask];
}

inline void TQJ47R::PushMem(int address, int value) {
    const int a = address & 0xFFFF;
    Map.Code.Write[a >> TMemoryMap::PageBits][a & TMemoryMap::PageMask] = static_cast<std::uint8_t>(value);
}

// The device tick after every instruction: the debugger's counters, the timed
// devices when the first of them is due, and whether an interrupt is wanted.
inline bool TQJ47R::CheckInterrupt(int tstates) {
    // A processor reset inside an instruction (IPL exit, reset line) reloads the
    // T-state counter, so that instruction's cost can come out negative.
    const int t = tstates > 0 ? tstates : 0;

    // 64 bits wide: nothing resets it while automatic speed control is off.
    Services->ExecutedTStates += t;
    if ((Regs.PC & 0xFFFF) == Services->StepOverAddress) [[unlikely]] {
        TStates = -10;
        RunFlag = 0;
    }

    // The timed devices: nothing of theirs happens before the first of them is
    // due, so the T-states gather here until then.
    DeviceTStates += t;
    if (DeviceTStates >= DeviceDue) RunDevices();

    // While the PIO is quiet an acknowledge changes nothing and yields port A's
    // vector: skip the call.
    const std::uint8_t vector =
        Pio.Quiet() ? static_cast<std::uint8_t>(Pio.PioVector[0]) : Pio.AcknowledgeInterrupt();
    return vector != 0 || NmiRequest == 1;
}
