// Start-up and shut-down of the graphics library, called explicitly by the
// program (first thing in main, and after its event loop) in place of the
// units' initialisation and finalisation.
#pragma once

#include "gfx/device_context.h"

namespace gfx {

class TBitmap32;

// The stock system font every context falls back to, and the 8 x 8 bitmap
// that measures text for bitmaps without a context.
extern TFontHandle StockFont;
extern TBitmap32* StockBitmap;
constexpr TFontHandle kSystemFontHandle = 13; // the window system's stock object 13

// Start order: system (theme binding), blend routines (by HasMMX), the unit of
// the bitmap (lock guard, SetGamma(0.7), stock font, stock bitmap). Shut-down
// runs the reverse order. Calling GfxInitialize twice does nothing more.
void GfxInitialize();
void GfxFinalize();
bool GfxInitialized();

} // namespace gfx
