// Fixed-point numbers, points and half-open rectangles.
#pragma once

#include <cstdint>
#include <vector>

namespace gfx {

// Signed 16.16 fixed point.
using TFixed = int32_t;
using PFixed = TFixed*;

// A width and height (cx, cy).
struct TSize {
    int32_t cx = 0, cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

struct TPoint {
    int32_t X = 0, Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};
struct TFloatPoint {
    float X = 0, Y = 0;
    friend bool operator==(const TFloatPoint&, const TFloatPoint&) = default;
};
struct TFixedPoint {
    TFixed X = 0, Y = 0;
    friend bool operator==(const TFixedPoint&, const TFixedPoint&) = default;
};
using PPoint = TPoint*;
using PFloatPoint = TFloatPoint*;
using PFixedPoint = TFixedPoint*;

// Half-open: Left <= X < Right, Top <= Y < Bottom.
struct TRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
};
struct TFloatRect {
    float Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const TFloatRect&, const TFloatRect&) = default;
};
struct TFixedRect {
    TFixed Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const TFixedRect&, const TFixedRect&) = default;
};

enum TRectRounding : uint8_t { rrClosest, rrOutside, rrInside };

using TArrayOfPoint = std::vector<TPoint>;
using TArrayOfArrayOfPoint = std::vector<TArrayOfPoint>;
using TArrayOfFloatPoint = std::vector<TFloatPoint>;
using TArrayOfArrayOfFloatPoint = std::vector<TArrayOfFloatPoint>;
using TArrayOfFixedPoint = std::vector<TFixedPoint>;
using TArrayOfArrayOfFixedPoint = std::vector<TArrayOfFixedPoint>;

// Fixed point.
TFixed Fixed(float S);
constexpr TFixed Fixed(int32_t I) { return TFixed(uint32_t(I) << 16); }
constexpr int32_t FixedFloor(TFixed A) { return A >> 16; }
constexpr int32_t FixedCeil(TFixed A) { return int32_t((int64_t(A) + 0xFFFF) >> 16); }
// Adds 0x7FFF, so an exact half goes down: 1.5 gives 1, -1.5 gives -2.
constexpr int32_t FixedRound(TFixed A) { return int32_t((int64_t(A) + 0x7FFF) >> 16); }
TFixed FixedMul(TFixed A, TFixed B);
TFixed FixedDiv(TFixed A, TFixed B);

// Points.
constexpr TPoint Point(int32_t X, int32_t Y) { return {X, Y}; }
TPoint Point(const TFloatPoint& FP);
constexpr TPoint Point(const TFixedPoint& FP) { return {FixedRound(FP.X), FixedRound(FP.Y)}; }
constexpr TFloatPoint FloatPoint(float X, float Y) { return {X, Y}; }
constexpr TFloatPoint FloatPoint(const TPoint& P) { return {float(P.X), float(P.Y)}; }
TFloatPoint FloatPoint(const TFixedPoint& FXP);
constexpr TFixedPoint FixedPoint(int32_t X, int32_t Y) { return {Fixed(X), Fixed(Y)}; }
TFixedPoint FixedPoint(float X, float Y);
constexpr TFixedPoint FixedPoint(const TPoint& P) { return {Fixed(P.X), Fixed(P.Y)}; }
TFixedPoint FixedPoint(const TFloatPoint& FP);

// Rectangles.
constexpr TRect MakeRect(int32_t L, int32_t T, int32_t R, int32_t B) { return {L, T, R, B}; }
TRect MakeRect(const TFloatRect& FR, TRectRounding Rounding = rrClosest);
TRect MakeRect(const TFixedRect& FXR, TRectRounding Rounding = rrClosest);
constexpr TFloatRect FloatRect(float L, float T, float R, float B) { return {L, T, R, B}; }
constexpr TFloatRect FloatRect(const TRect& R) {
    return {float(R.Left), float(R.Top), float(R.Right), float(R.Bottom)};
}

// Dst may be R1 or R2. A zero-width or zero-height overlap counts as True;
// otherwise Dst becomes (0, 0, 0, 0).
bool IntersectRect(TRect& Dst, const TRect& R1, const TRect& R2);
bool IntersectRectF(TFloatRect& Dst, const TFloatRect& R1, const TFloatRect& R2);
constexpr bool EqualRect(const TRect& R1, const TRect& R2) { return R1 == R2; }
void InflateRect(TRect& R, int32_t Dx, int32_t Dy);
void InflateRectF(TFloatRect& R, float Dx, float Dy);
void OffsetRect(TRect& R, int32_t Dx, int32_t Dy);
void OffsetRectF(TFloatRect& R, float Dx, float Dy);
constexpr bool IsRectEmpty(const TRect& R) { return R.Right <= R.Left || R.Bottom <= R.Top; }
constexpr bool IsRectEmptyF(const TFloatRect& R) { return R.Right <= R.Left || R.Bottom <= R.Top; }
constexpr bool PtInRect(const TRect& R, const TPoint& P) {
    return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}

} // namespace gfx
