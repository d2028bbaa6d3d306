#include "gfx/coord_transform.h"

#include <algorithm>
#include <limits>

#include "gfx/low_level.h"

namespace gfx {

namespace {
int32_t Saturate(int64_t V) {
    return int32_t(
        std::clamp<int64_t>(V, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}
// (V * Factor) div 65536 + Offset, truncating toward zero as the 32-bit form does.
int32_t Map(int64_t V, TFixed Factor, int32_t Offset) { return Saturate(V * Factor / 65536 + Offset); }
} // namespace

TCoordTransform CoordTransformFor(const TRect& Rect, int32_t BitmapWidth, int32_t BitmapHeight) {
    const int32_t W = Rect.Right - Rect.Left, H = Rect.Bottom - Rect.Top;
    if (BitmapWidth <= 0 || BitmapHeight <= 0 || W <= 0 || H <= 0) return UnitTransform;
    TCoordTransform T;
    T.OffsetX = Rect.Left;
    T.OffsetY = Rect.Top;
    T.MulX = MulDiv(W, 65536, BitmapWidth);
    T.MulY = MulDiv(H, 65536, BitmapHeight);
    T.InvMulX = MulDiv(BitmapWidth, 65536, W);
    T.InvMulY = MulDiv(BitmapHeight, 65536, H);
    return T;
}

TPoint BitmapToControl(const TCoordTransform& T, const TPoint& P) {
    return {Map(P.X, T.MulX, T.OffsetX), Map(P.Y, T.MulY, T.OffsetY)};
}

TPoint ControlToBitmap(const TCoordTransform& T, const TPoint& P) {
    return {Map(int64_t(P.X) - T.OffsetX, T.InvMulX, 0), Map(int64_t(P.Y) - T.OffsetY, T.InvMulY, 0)};
}

} // namespace gfx
