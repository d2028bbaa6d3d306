// Processor features and the binding of the visual-style library.
#pragma once

#include <cstdint>

#include "gfx/geometry.h"

namespace gfx {

class TDeviceContext;

// Whether the processor has MMX: identification instruction present, family
// 5 or later, feature bit 23 set.
bool HasMMX();

// Theme binding. Linux has no visual-style library: the loader finds none and
// USE_THEMES stays False. A port (or a test) may install ThemeLibraryLoader.
using HWND = uintptr_t;
using HTHEME = uintptr_t;
using HRESULT = int32_t;

struct TThemeEntryPoints {
    HTHEME (*OpenThemeData)(HWND Wnd, const char16_t* ClassList) = nullptr;
    HRESULT (*CloseThemeData)(HTHEME Theme) = nullptr;
    HRESULT(*DrawThemeBackground)
    (HTHEME Theme, TDeviceContext* DC, int32_t PartId, int32_t StateId, const TRect* Rect,
     const TRect* ClipRect) = nullptr;
    HRESULT(*DrawThemeEdge)
    (HTHEME Theme, TDeviceContext* DC, int32_t PartId, int32_t StateId, const TRect* DestRect, uint32_t Edge,
     uint32_t Flags, TRect* ContentRect) = nullptr;
    HRESULT(*GetThemeColor)
    (HTHEME Theme, int32_t PartId, int32_t StateId, int32_t PropId, uint32_t* Color) = nullptr;
    HRESULT(*GetThemeMetric)
    (HTHEME Theme, TDeviceContext* DC, int32_t PartId, int32_t StateId, int32_t PropId,
     int32_t* Value) = nullptr;
    HRESULT(*GetThemeMargins)
    (HTHEME Theme, TDeviceContext* DC, int32_t PartId, int32_t StateId, int32_t PropId, const TRect* Rect,
     int32_t Margins[4]) = nullptr;
    HRESULT (*SetWindowTheme)(HWND Wnd, const char16_t* SubAppName, const char16_t* SubIdList) = nullptr;
    int32_t (*IsThemeActive)() = nullptr;
    int32_t (*IsAppThemed)() = nullptr;
    HRESULT (*EnableTheming)(int32_t Enable) = nullptr;
};

// A loaded theme library: its module handle (0: not found) and its entry
// points looked up by name (null where missing).
struct TThemeLibraryImage {
    uintptr_t Module = 0;
    TThemeEntryPoints EntryPoints;
};
extern TThemeLibraryImage (*ThemeLibraryLoader)(const char* Name);
extern void (*ThemeLibraryRelease)(uintptr_t Module);

extern bool USE_THEMES;
extern HTHEME SCROLLBAR_THEME;
extern HTHEME GLOBALS_THEME;
extern uintptr_t ThemeLibrary;
extern TThemeEntryPoints ThemeEntryPoints;

bool LoadThemeLibrary();
void FreeThemeLibrary();
bool UseThemes();

constexpr uint32_t WM_THEMECHANGED = 0x031A;

class TThemeNexus {
  public:
    TThemeNexus();
    ~TThemeNexus();
    TThemeNexus(const TThemeNexus&) = delete;
    TThemeNexus& operator=(const TThemeNexus&) = delete;

    void OpenVisualStyles();
    void CloseVisualStyles();
    // Every message of the hidden window; the result is the default handling's (0).
    intptr_t WndProc(uint32_t Msg, uintptr_t WParam, intptr_t LParam);

    HWND WindowHandle = 0; // no hidden window is needed where themes do not exist
};

extern TThemeNexus* ThemeNexus;

// Start and stop of this unit (GfxInitialize/GfxFinalize call them).
void SystemInitialize();
void SystemFinalize();

} // namespace gfx
