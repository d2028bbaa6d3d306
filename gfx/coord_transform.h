// The image control's cached mapping between bitmap and control coordinates:
// 16.16 factors each way and the control position of bitmap point (0, 0).
#pragma once

#include <cstdint>

#include "gfx/geometry.h"

namespace gfx {

struct TCoordTransform {
    TFixed MulX = 0, MulY = 0;        // bitmap to control
    int32_t OffsetX = 0, OffsetY = 0; // control coordinates of bitmap (0, 0)
    TFixed InvMulX = 0, InvMulY = 0;  // control to bitmap
    friend bool operator==(const TCoordTransform&, const TCoordTransform&) = default;
};

constexpr TCoordTransform UnitTransform{65536, 65536, 0, 0, 65536, 65536};

// The mapping of a BitmapWidth x BitmapHeight bitmap shown in Rect; the unit
// mapping when the bitmap or the rectangle has no area.
TCoordTransform CoordTransformFor(const TRect& Rect, int32_t BitmapWidth, int32_t BitmapHeight);

// Point conversions. The products are taken in 64 bits, so large scales and
// coordinates do not wrap; results beyond 32 bits saturate.
TPoint BitmapToControl(const TCoordTransform& T, const TPoint& P);
TPoint ControlToBitmap(const TCoordTransform& T, const TPoint& P);

} // namespace gfx
