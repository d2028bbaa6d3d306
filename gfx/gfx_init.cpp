#include "gfx/gfx_init.h"

#include "gfx/bitmap32.h"
#include "gfx/blend.h"
#include "gfx/gamma.h"
#include "gfx/system.h"
#include "gfx/thread_persistent.h"

namespace gfx {

TFontHandle StockFont = 0;
TBitmap32* StockBitmap = nullptr;

namespace {
bool Started = false;

// The unit of the bitmap.
void BitmapUnitInitialize() {
    (void)LockCountGuard(); // the process-wide lock guard
    SetGamma(0.7f);
    StockFont = kSystemFontHandle;
    StockBitmap = new TBitmap32;
    StockBitmap->SetSize(8, 8);
}

void BitmapUnitFinalize() {
    delete StockBitmap;
    StockBitmap = nullptr;
    StockFont = 0;
}
} // namespace

void GfxInitialize() {
    if (Started) return;
    SystemInitialize();
    // (range bars)
    BlendInitialize();
    // (drawing extensions, byte maps, filters)
    BitmapUnitInitialize();
    // (low-level routines, transforms, layers, image controls)
    Started = true;
}

void GfxFinalize() {
    if (!Started) return;
    BitmapUnitFinalize();
    BlendFinalize();
    SystemFinalize();
    Started = false;
}

bool GfxInitialized() { return Started; }

} // namespace gfx
