// Whole-bitmap filters: each reads every pixel of Src and writes the filtered
// pixel at the same place of Dst, which first takes Src's size. Dst may be Src.
#pragma once

#include <cstdint>

#include "gfx/bitmap32.h"

namespace gfx {

using TLUT8 = uint8_t[256];

// Raises platform::Exception "The source is nil" or "Destination is nil"
// (the source is tested first), then sizes Dst like Src.
void CheckParams(TBitmap32* Dst, TBitmap32* Src);

// Opaque grey of the source's alpha.
void AlphaToGrayscale(TBitmap32* Dst, TBitmap32* Src);
// Dst keeps its colour and takes the source's intensity as alpha.
void IntensityToAlpha(TBitmap32* Dst, TBitmap32* Src);
// All four channels complemented.
void Invert(TBitmap32* Dst, TBitmap32* Src);
// Red, green and blue complemented, alpha kept.
void InvertRGB(TBitmap32* Dst, TBitmap32* Src);
// Opaque grey of the source's intensity.
void ColorToGrayscale(TBitmap32* Dst, TBitmap32* Src);
// Red, green and blue through the table, alpha 255.
void ApplyLUT(TBitmap32* Dst, TBitmap32* Src, const TLUT8& LUT);

} // namespace gfx
