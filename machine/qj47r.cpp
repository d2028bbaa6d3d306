// The board as a whole: construction, destruction, the settings and the reset.
#include "machine/qj47r.h"

#include "gfx/gfx.h"
#include "platform/streams.h"
#include "machine/machine_services.h"
#include "platform/settings_store.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>

std::uint8_t MainRam[65536];
std::uint8_t IplRom[2048];
std::uint8_t FontRom[2048];
std::uint8_t TextVram[2048];
std::uint8_t GraphicsRam1[8192];
std::uint8_t GraphicsRam2[8192];
std::uint8_t KeyMatrix[12];
std::uint8_t ResetLatch;
TQJ47R* Machine = nullptr;

namespace {

constexpr const char* FontFileName = "qjfont.bin";
constexpr const char* IplFileName = "ipl.BIN";

std::unique_ptr<gfx::TBitmap32> NewBitmap(int width, int height) {
    auto b = std::make_unique<gfx::TBitmap32>();
    b->SetSize(width, height);
    b->Clear(TQJ47R::Black);
    return b;
}

// Reads up to `size` bytes from the start of the file; the rest of `dest` stays
// as it is and bytes past `size` are not read, so a file of any size will do.
// Only a regular file opens (a FIFO or a device gives the open error at once),
// and a read error raises EFileReadError: neither passes for a short image.
std::size_t ReadRomImage(const std::string& fileName, std::uint8_t* dest, std::size_t size) {
    platform::TFileStream stream(fileName, platform::TFileMode::fmOpenRead);
    return stream.ReadUpTo(dest, size);
}

void Report(TMachineServices* services, const std::string& text) {
    LogLine(services, "%s", text.c_str());
    std::fprintf(stderr, "%s\n", text.c_str());
}

} // namespace

std::string TQJ47R::DefaultRomFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return "roms";
    return (exe.parent_path() / "roms").string();
}

TQJ47R::TQJ47R(const TQJ47RSetup& setup)
    : Services(setup.Services), OwnServices(Services ? nullptr : std::make_unique<TMachineServices>()),
      RomFolder(setup.RomFolder.empty() ? DefaultRomFolder() : setup.RomFolder), SoundOutput(setup.Sound) {
    if (!Services) Services = OwnServices.get();
    UseHostLoop<TQJ47R>();
    WireChips();
    Remap();
    std::memset(TextVram, 0, sizeof TextVram);
    std::memset(GraphicsRam1, 0, sizeof GraphicsRam1);
    std::memset(GraphicsRam2, 0, sizeof GraphicsRam2);

    Font40Bitmap = NewBitmap(257, 257);
    Font80Bitmap = NewBitmap(129, 257);
    Plane1Image = NewBitmap(640, 400);
    Plane2Image = NewBitmap(640, 400);

    LoadSettings();
    LoadFont((std::filesystem::path(RomFolder) / FontFileName).string());

    ScreenBitmap = Services->ScreenBitmap();
    if (!ScreenBitmap) {
        OwnScreen = std::make_unique<gfx::TBitmap32>();
        ScreenBitmap = OwnScreen.get();
    }
    ScreenBitmap->SetSize(640, 400);
    ScreenBitmap->Clear(Black);

    LoadIpl((std::filesystem::path(RomFolder) / IplFileName).string());

    ColdBoot = 1;
    Reset();

    SpeakerRing = std::make_unique<std::uint8_t[]>(RingSize); // zero-filled
    RingReadIndex = 0;
    RingWriteIndex = RingStartLag;
    InitSound();
}

// The chips reach the board and the services only through these hooks.
void TQJ47R::WireChips() {
    const TLogHook log = [this](const std::string& line) { Services->AppendLog(line); };
    Ppi.OnLog = log;
    Ppi.OnWritten = [this] { PpiWritten(); };
    Pio.OnWritten = [this] { PioWritten(); };
    Fdc.OnLog = log;
    Fdc.OnWriteBackFailed = [this](int d, const std::string& message) {
        Services->DiscWriteBackFailed(d, message);
    };
    Fdc.WriteBack.OnCleared = [this](int d) { Services->DiscWriteBackCleared(d); };
    Cassette.OnLog = log;
}

TQJ47R::~TQJ47R() {
    // The disc images hold the user's data: they go first, each on its own.
    Fdc.UnmountAll();
    try {
        if (!SettingsWritten)
            if (const std::string failure = SaveSettings(); !failure.empty()) Report(Services, failure);
    } catch (const std::exception& e) {
        Report(Services, e.what());
    }
    Fdc.OnLog = nullptr; // the services may go before the controller
    Fdc.OnWriteBackFailed = nullptr;
    Fdc.WriteBack.OnCleared = nullptr;
}

void TQJ47R::LoadFont(const std::string& fileName) {
    // Only the first 2048 bytes are the character generator; the rest of a
    // longer file is not read.
    const std::size_t n = ReadRomImage(fileName, FontRom, sizeof FontRom);
    for (std::size_t k = 0; k < n; ++k)
        DrawFontByte(int(k), FontRom[k]);
}

void TQJ47R::LoadIpl(const std::string& fileName) { ReadRomImage(fileName, IplRom, sizeof IplRom); }

namespace {
constexpr const char* SettingNames[] = {"RamExpansion", "Graphics1", "Graphics2", "ScanDouble"};
constexpr const char* DefaultSettingText = "TRUE";
// Only the exact text counts as on.
std::uint8_t SettingOn(const std::string& text) { return text == "TRUE" ? 1 : 0; }

// The fields in the order of SettingNames.
std::array<std::uint8_t, 4> Fields(const TQJ47RSettings& s) {
    return {s.RamExpansion, s.Graphics1, s.Graphics2, s.ScanDouble};
}

// "A", "A and B", "A, B and C".
std::string Listed(const std::vector<std::string>& names) {
    std::string s;
    for (std::size_t i = 0; i < names.size(); ++i)
        s += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return s;
}

// " from FILE" (or " to FILE"); nothing when no home, and so no file, is known.
std::string FileOf(const TSettingsStore& store, const char* preposition) {
    return store.FilePath().empty() ? std::string() : std::string(preposition) + store.FilePath();
}
} // namespace

void TQJ47R::LoadSettings() {
    TSettingsStore store = SettingsStore();
    TSettingValues defaults;
    for (const char* name : SettingNames)
        defaults.emplace_back(name, DefaultSettingText);
    // A file that cannot take every missing default is left whole; the save at
    // the end then tries once more.
    const std::vector<std::string> texts = store.ReadStrings(defaults);
    TQJ47RSettings s;
    std::uint8_t* fields[] = {&s.RamExpansion, &s.Graphics1, &s.Graphics2, &s.ScanDouble};
    for (int i = 0; i < 4; ++i)
        *fields[i] = SettingOn(texts[i]);
    SettingsUnreadable.clear();
    // What an unreadable file holds is unknown: the machine runs on the
    // defaults (which the texts then are) and leaves the file alone.
    if (!store.ReadProblem.empty())
        SettingsUnreadable = "The settings could not be read" + FileOf(store, " from ") + ": " +
                             store.ReadProblem + ".\nThe emulator runs on its default settings and " +
                             (store.FilePath().empty() ? "keeps none." : "leaves the file as it is.");
    SettingsAdded = store.Added;
    SettingsFile = store.FilePath();
    SettingsHeld = s;
    SetSettings(s);
}

std::string TQJ47R::SaveSettings() {
    if (!SettingsUnreadable.empty()) return {};
    TSettingsStore store = SettingsStore();
    const auto fields = Fields(Setting);
    TSettingValues values;
    for (int i = 0; i < 4; ++i)
        values.emplace_back(SettingNames[i], fields[i] ? "TRUE" : "FALSE");
    if (store.WriteStrings(values)) {
        SettingsHeld = Setting;
        return {};
    }
    const std::string failure =
        "The settings could not be saved" + FileOf(store, " to ") + ": " + store.LastError;
    if (SettingsAdded.empty() || store.FilePath() != SettingsFile)
        return store.Refused ? failure + ", so it is left as it is" : failure;
    // The file is not as this run found it: what the load added is told, and
    // which of the settings now differ from what it holds.
    std::vector<std::string> lost;
    const auto held = Fields(SettingsHeld);
    for (int i = 0; i < 4; ++i)
        if (!fields[i] != !held[i]) lost.emplace_back(SettingNames[i]);
    std::string message = failure + ".\nWhen the emulator started, it added " + Listed(SettingsAdded) +
                          " to the file as " + DefaultSettingText;
    if (lost.empty()) return message + ".";
    return message + "; your " + (lost.size() == 1 ? "setting of " : "settings of ") + Listed(lost) +
           (lost.size() == 1 ? " is" : " are") + " not kept.";
}

std::string TQJ47R::WriteSettings() {
    SettingsWritten = true;
    return SaveSettings();
}

void TQJ47R::SetSettings(const TQJ47RSettings& settings) {
    Setting = settings;
    TMapping m = Mapping;
    m.RamExpansion = settings.RamExpansion ? 1 : 0;
    SetMapping(m);
}

template <std::size_t N>
void TQJ47R::SetLamps(std::array<std::uint8_t, N>& lamps, const std::array<std::uint8_t, N>& now) {
    if (lamps == now) return;
    lamps = now;
    Services->RefreshStatusBar();
}
template void TQJ47R::SetLamps(std::array<std::uint8_t, 3>&, const std::array<std::uint8_t, 3>&);
template void TQJ47R::SetLamps(std::array<std::uint8_t, 4>&, const std::array<std::uint8_t, 4>&);

void TQJ47R::Reset() {
    Pio.Reset();
    Ppi.Reset();
    Pit.Reset();
    z80cpu::Reset();
    ResetLatch = 0;
    Plane2Shown = Plane1Shown = Plane2Selected = Plane1Selected = 0;
    ModeLamp = {};
    DriveLamp = {};
    NormalVideo = 0;
    Columns80 = 0;
    SetMapping({ColdBoot, Mapping.RamExpansion, 0, 0});
    Services->RefreshStatusBar();
    NmiRequest = 0;
}
