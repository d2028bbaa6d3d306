// TBitmap32: the anti-aliased point plots at 1/256-pixel precision.
#include "gfx/bitmap32.h"

namespace gfx {

namespace {
struct TPlotWeights {
    int32_t X, Y;            // the top-left pixel
    uint32_t TL, TR, BR, BL; // weights of the four pixels
};

TPlotWeights Weights(int32_t X, int32_t Y, TColor32 Color) {
    const uint32_t A = Color >> 24;
    const uint32_t Fx = uint32_t(X) & 255, Fy = uint32_t(Y) & 255;
    const uint32_t Wl = GAMMA_TABLE[255 - Fx] * A, Wr = GAMMA_TABLE[Fx] * A;
    const uint32_t Wt = GAMMA_TABLE[255 - Fy], Wb = GAMMA_TABLE[Fy];
    return {X >> 8, Y >> 8, (Wl * Wt) >> 16, (Wr * Wt) >> 16, (Wr * Wb) >> 16, (Wl * Wb) >> 16};
}

// 16.16 to 24.8 with 127 added, so that exact halves go down.
int32_t FixedTo256(TFixed V) { return int32_t((int64_t(V) + 127) >> 8); }
} // namespace

void TBitmap32::SET_T256(int32_t X, int32_t Y, TColor32 Color) {
    const TPlotWeights P = Weights(X, Y, Color);
    TColor32* Row = GetPixelPtr(P.X, P.Y);
    CombineMem(Color, Row[0], P.TL);
    CombineMem(Color, Row[1], P.TR);
    CombineMem(Color, Row[Width() + 1], P.BR);
    CombineMem(Color, Row[Width()], P.BL);
}

void TBitmap32::SET_TS256(int32_t X, int32_t Y, TColor32 Color) {
    if (X < -256 || Y < -256) return;
    const TPlotWeights P = Weights(X, Y, Color);
    if (P.X >= Width() || P.Y >= Height()) return;
    const bool Left = P.X >= 0, Right = P.X < Width() - 1;
    const bool Top = P.Y >= 0, Bottom = P.Y < Height() - 1;
    if (Left && Top) CombineMem(Color, *GetPixelPtr(P.X, P.Y), P.TL);
    if (Right && Top) CombineMem(Color, *GetPixelPtr(P.X + 1, P.Y), P.TR);
    if (Right && Bottom) CombineMem(Color, *GetPixelPtr(P.X + 1, P.Y + 1), P.BR);
    if (Left && Bottom) CombineMem(Color, *GetPixelPtr(P.X, P.Y + 1), P.BL);
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
