#include "gfx/system.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace gfx {

bool HasMMX() {
#if defined(__x86_64__) || defined(__i386__)
    if (__get_cpuid_max(0, nullptr) < 1) return false; // no identification instruction
    unsigned Eax = 0, Ebx = 0, Ecx = 0, Edx = 0;
    if (!__get_cpuid(1, &Eax, &Ebx, &Ecx, &Edx)) return false;
    if (((Eax >> 8) & 0xF) < 5) return false;
    return (Edx >> 23) & 1;
#else
    return false;
#endif
}

namespace {
TThemeLibraryImage NoThemeLibrary(const char*) { return {}; }
void NoRelease(uintptr_t) {}
} // namespace

TThemeLibraryImage (*ThemeLibraryLoader)(const char* Name) = NoThemeLibrary;
void (*ThemeLibraryRelease)(uintptr_t Module) = NoRelease;

bool USE_THEMES = false;
HTHEME SCROLLBAR_THEME = 0;
HTHEME GLOBALS_THEME = 0;
uintptr_t ThemeLibrary = 0;
TThemeEntryPoints ThemeEntryPoints;
TThemeNexus* ThemeNexus = nullptr;

bool LoadThemeLibrary() {
    if (ThemeLibrary == 0) {
        const TThemeLibraryImage Image = ThemeLibraryLoader("uxtheme.dll");
        if (Image.Module != 0) {
            ThemeLibrary = Image.Module;
            ThemeEntryPoints = Image.EntryPoints;
            const TThemeEntryPoints& E = ThemeEntryPoints;
            if (!E.OpenThemeData || !E.CloseThemeData || !E.IsThemeActive || !E.IsAppThemed ||
                !E.EnableTheming)
                FreeThemeLibrary();
        }
    }
    return ThemeLibrary != 0;
}

void FreeThemeLibrary() {
    if (ThemeLibrary != 0) {
        ThemeLibraryRelease(ThemeLibrary);
        ThemeLibrary = 0;
        ThemeEntryPoints = {};
    }
}

bool UseThemes() {
    return ThemeLibrary != 0 && ThemeEntryPoints.IsAppThemed() != 0 && ThemeEntryPoints.IsThemeActive() != 0;
}

TThemeNexus::TThemeNexus() { OpenVisualStyles(); }

TThemeNexus::~TThemeNexus() { CloseVisualStyles(); }

void TThemeNexus::OpenVisualStyles() {
    USE_THEMES = false;
    if (LoadThemeLibrary()) {
        USE_THEMES = UseThemes();
        if (USE_THEMES) {
            SCROLLBAR_THEME = ThemeEntryPoints.OpenThemeData(WindowHandle, u"SCROLLBAR");
            GLOBALS_THEME = ThemeEntryPoints.OpenThemeData(WindowHandle, u"GLOBALS");
        }
    }
}

void TThemeNexus::CloseVisualStyles() {
    if (UseThemes()) {
        if (SCROLLBAR_THEME != 0) {
            ThemeEntryPoints.CloseThemeData(SCROLLBAR_THEME);
            SCROLLBAR_THEME = 0;
        }
        if (GLOBALS_THEME != 0) {
            ThemeEntryPoints.CloseThemeData(GLOBALS_THEME);
            GLOBALS_THEME = 0;
        }
    }
    FreeThemeLibrary();
}

intptr_t TThemeNexus::WndProc(uint32_t Msg, uintptr_t, intptr_t) {
    if (Msg == WM_THEMECHANGED) {
        CloseVisualStyles();
        OpenVisualStyles();
    }
    return 0;
}

void SystemInitialize() {
    if (!ThemeNexus) ThemeNexus = new TThemeNexus;
}

void SystemFinalize() {
    delete ThemeNexus;
    ThemeNexus = nullptr;
}

} // namespace gfx
