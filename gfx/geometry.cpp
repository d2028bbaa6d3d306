#include "gfx/geometry.h"

#include <algorithm>

#include "gfx/float_math.h"
#include "gfx/low_level.h"

namespace gfx {

namespace {
constexpr long double kFixedToFloat = 1.0L / 65536;
// 32-bit addition that wraps like the processor's instead of overflowing.
int32_t AddWrap(int32_t A, int32_t B) { return int32_t(uint32_t(A) + uint32_t(B)); }
} // namespace

TFixed Fixed(float S) { return RoundToInt(static_cast<long double>(S) * 65536); }
TFixed FixedMul(TFixed A, TFixed B) { return MulDiv(A, B, 65536); }
TFixed FixedDiv(TFixed A, TFixed B) { return MulDiv(A, 65536, B); }

TPoint Point(const TFloatPoint& FP) { return {RoundToInt(FP.X), RoundToInt(FP.Y)}; }
TFloatPoint FloatPoint(const TFixedPoint& FXP) {
    return {float(FXP.X * kFixedToFloat), float(FXP.Y * kFixedToFloat)};
}
TFixedPoint FixedPoint(float X, float Y) { return {Fixed(X), Fixed(Y)}; }
TFixedPoint FixedPoint(const TFloatPoint& FP) { return FixedPoint(FP.X, FP.Y); }

TRect MakeRect(const TFloatRect& FR, TRectRounding Rounding) {
    TRect R;
    switch (Rounding) {
    case rrClosest:
        R = {RoundToInt(FR.Left), RoundToInt(FR.Top), RoundToInt(FR.Right), RoundToInt(FR.Bottom)};
        break;
    case rrOutside:
        R = {FloorToInt(FR.Left), FloorToInt(FR.Top), CeilToInt(FR.Right), CeilToInt(FR.Bottom)};
        break;
    case rrInside:
        R = {CeilToInt(FR.Left), CeilToInt(FR.Top), FloorToInt(FR.Right), FloorToInt(FR.Bottom)};
        R.Right = std::max(R.Right, R.Left);
        R.Bottom = std::max(R.Bottom, R.Top);
        break;
    }
    return R;
}

TRect MakeRect(const TFixedRect& FXR, TRectRounding Rounding) {
    TRect R;
    switch (Rounding) {
    case rrClosest:
        R = {FixedRound(FXR.Left), FixedRound(FXR.Top), FixedRound(FXR.Right), FixedRound(FXR.Bottom)};
        break;
    case rrOutside:
        R = {FixedFloor(FXR.Left), FixedFloor(FXR.Top), FixedCeil(FXR.Right), FixedCeil(FXR.Bottom)};
        break;
    case rrInside:
        R = {FixedCeil(FXR.Left), FixedCeil(FXR.Top), FixedFloor(FXR.Right), FixedFloor(FXR.Bottom)};
        R.Right = std::max(R.Right, R.Left);
        R.Bottom = std::max(R.Bottom, R.Top);
        break;
    }
    return R;
}

bool IntersectRect(TRect& Dst, const TRect& R1, const TRect& R2) {
    const TRect R = {std::max(R1.Left, R2.Left), std::max(R1.Top, R2.Top), std::min(R1.Right, R2.Right),
                     std::min(R1.Bottom, R2.Bottom)};
    const bool Result = R.Right >= R.Left && R.Bottom >= R.Top;
    Dst = Result ? R : TRect{};
    return Result;
}

bool IntersectRectF(TFloatRect& Dst, const TFloatRect& R1, const TFloatRect& R2) {
    const TFloatRect R = {std::max(R1.Left, R2.Left), std::max(R1.Top, R2.Top), std::min(R1.Right, R2.Right),
                          std::min(R1.Bottom, R2.Bottom)};
    const bool Result = R.Right >= R.Left && R.Bottom >= R.Top;
    Dst = Result ? R : TFloatRect{};
    return Result;
}

void InflateRect(TRect& R, int32_t Dx, int32_t Dy) {
    R = {int32_t(uint32_t(R.Left) - uint32_t(Dx)), int32_t(uint32_t(R.Top) - uint32_t(Dy)),
         AddWrap(R.Right, Dx), AddWrap(R.Bottom, Dy)};
}
void InflateRectF(TFloatRect& R, float Dx, float Dy) {
    R = {R.Left - Dx, R.Top - Dy, R.Right + Dx, R.Bottom + Dy};
}
void OffsetRect(TRect& R, int32_t Dx, int32_t Dy) {
    R = {AddWrap(R.Left, Dx), AddWrap(R.Top, Dy), AddWrap(R.Right, Dx), AddWrap(R.Bottom, Dy)};
}
void OffsetRectF(TFloatRect& R, float Dx, float Dy) {
    R = {R.Left + Dx, R.Top + Dy, R.Right + Dx, R.Bottom + Dy};
}

} // namespace gfx
