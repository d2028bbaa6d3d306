// TBitmap32: the anti-aliased point plots at 1/256-pixel precision.
#include "gfx/bitmap32.h"
#include "gfx/blend_kernels.h"
#include "gfx/plot256.h"

namespace gfx {

namespace {
// 16.16 to 24.8 with 127 added, so that exact halves go down.
int32_t FixedTo256(TFixed V) { return int32_t((int64_t(V) + 127) >> 8); }
} // namespace

void TBitmap32::SET_T256(int32_t X, int32_t Y, TColor32 Color) {
    const TPlotTarget T{Bits(), Width(), Height()};
    blend_kernels::WithBlendKernels([&](const auto& K) { PlotT256(T, X, Y, Color, K); });
}

void TBitmap32::SET_TS256(int32_t X, int32_t Y, TColor32 Color) {
    const TPlotTarget T{Bits(), Width(), Height()};
    blend_kernels::WithBlendKernels([&](const auto& K) {
        PlotTS256(T, X, Y, Color, K,
                  [&](int32_t Xi, int32_t Yi, TColor32 Ci) { PlotT256(T, Xi, Yi, Ci, K); });
    });
}

void TBitmap32::SetPixelF(float X, float Y, TColor32 Value) {
    SET_T256(RoundToInt(static_cast<long double>(X) * 256), RoundToInt(static_cast<long double>(Y) * 256),
             Value);
    EMMS();
}

void TBitmap32::SetPixelX(TFixed X, TFixed Y, TColor32 Value) {
    SET_T256(FixedTo256(X), FixedTo256(Y), Value);
    EMMS();
}

void TBitmap32::SetPixelFS(float X, float Y, TColor32 Value) {
    SET_TS256(RoundToInt(static_cast<long double>(X) * 256), RoundToInt(static_cast<long double>(Y) * 256),
              Value);
    EMMS();
}

void TBitmap32::SetPixelXS(TFixed X, TFixed Y, TColor32 Value) {
    SET_TS256(FixedTo256(X), FixedTo256(Y), Value);
    EMMS();
}

} // namespace gfx
