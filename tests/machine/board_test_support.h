// Shared rig of the board tests: a machine built from the fixture ROM images,
// with recording services, its own screen bitmap, a virtual sound device and
// settings in a temporary folder.
#pragma once

#include "fixtures/temp_dir.h"
#include "gfx/gfx.h"
#include "gfx/gfx_test_support.h" // starts the graphics library for the test program
#include "fixtures/board_probe.h"
#include "machine/qj47r.h"
#include "platform/sound_buffer.h"
#include "fixtures/recording_services.h"
#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace board_test {

// The board's memories are globals that outlive a machine.
inline void ClearBoardGlobals() {
    std::memset(MainRam, 0, sizeof MainRam);
    std::memset(IplRom, 0, sizeof IplRom);
    std::memset(FontRom, 0, sizeof FontRom);
    std::memset(TextVram, 0, sizeof TextVram);
    std::memset(GraphicsRam1, 0, sizeof GraphicsRam1);
    std::memset(GraphicsRam2, 0, sizeof GraphicsRam2);
    std::memset(KeyMatrix, 0, sizeof KeyMatrix);
    ResetLatch = 0;
}

// IPL or normal mode through a reset (which also unmaps the video window and
// selects no plane), and the settings.
inline void Configure(TQJ47R& m, bool ipl, const TQJ47RSettings& settings) {
    m.ColdBoot = ipl ? 1 : 0;
    m.Reset();
    m.SetSettings(settings);
}

// Changes one setting, as the options window does.
inline void Set(TQJ47R& m, std::uint8_t TQJ47RSettings::*field, std::uint8_t value) {
    TQJ47RSettings s = m.Settings();
    s.*field = value;
    m.SetSettings(s);
}

// Only RGB counts: the reverse-video mask leaves alpha 0.
inline std::uint32_t Rgb(std::uint32_t c) { return c & 0x00FFFFFFu; }

struct Rig {
    using SettingList = std::vector<std::pair<std::string, std::string>>;
    explicit Rig(const std::string& romFolder = QJ_FIXTURE_ROMS, bool withSound = true,
                 const SettingList& settings = {}) {
        ClearBoardGlobals();
        SetSettingsFolder(Settings.Path.string());
        for (const auto& [name, text] : settings)
            WriteRegistryString(name, text);
        Services.Screen = &Screen;
        TQJ47RSetup setup;
        setup.Services = &Services;
        setup.RomFolder = romFolder;
        setup.Sound = withSound ? &Sound : nullptr;
        Board = std::make_unique<TQJ47R>(setup);
    }
    ~Rig() {
        Board.reset();
        SetSettingsFolder("");
    }

    TQJ47R& M() { return *Board; }
    TQJ47RProbe P() { return {*Board}; }

    // Leaves IPL mode with the program at `origin` in RAM and PC there.
    void LoadProgram(const std::vector<std::uint8_t>& code, int origin = 0) {
        int a = origin;
        for (std::uint8_t b : code)
            MainRam[a++ & 0xFFFF] = b;
        M().ColdBoot = 0;
        M().Reset();
        SetPC(origin);
    }
    void SetPC(int pc) {
        z80regs r;
        M().GetRegisters(&r);
        r.PC = pc;
        M().SetRegisters(&r);
    }
    // Runs whole slices of `slice` T-states, as the emulation driver does.
    void RunSlices(int count, int slice = 80000) {
        M().SliceTStates = slice;
        M().TStates = slice;
        for (int i = 0; i < count; ++i)
            M().Execute();
    }
    int PC() {
        z80regs r;
        M().GetRegisters(&r);
        return r.PC;
    }

    fixtures::TempDir Settings;
    RecordingServices Services;
    gfx::TBitmap32 Screen;
    platform::VirtualSoundDevice Sound;
    std::unique_ptr<TQJ47R> Board;
};

} // namespace board_test
