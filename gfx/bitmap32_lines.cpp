// TBitmap32: the stipple pattern, row and column runs, integer lines and the pen.
#include <cmath>
#include <cstdlib>

#include "gfx/bitmap32.h"
#include "gfx/drawing_ex.h"
#include "gfx/low_level.h"

namespace gfx {

namespace {
// The counter brought into [0, N); a non-finite counter restarts at 0.
float WrapCounter(float Counter, size_t N) {
    const long double C = Counter;
    if (!std::isfinite(C)) return 0;
    const long double Wrapped = C - std::floor(C / N) * N;
    const float Result = float(Wrapped);
    return Result >= 0 && Result < float(N) ? Result : 0;
}
} // namespace

void TBitmap32::SetStipple(const TArrayOfColor32& NewStipple) {
    StippleCounter = 0;
    StipplePattern_ = NewStipple;
}

void TBitmap32::AdvanceStippleCounter(float LengthPixels) {
    const size_t N = StipplePattern_.size();
    const float Delta = LengthPixels * StippleStep;
    if (N == 0 || Delta == 0) return;
    StippleCounter = WrapCounter(StippleCounter + Delta, N);
}

TColor32 TBitmap32::GetStippleColor() {
    const size_t N = StipplePattern_.size();
    if (N == 0) return 0xFF000000u;
    StippleCounter = WrapCounter(StippleCounter, N);
    const long double C = StippleCounter;
    const int64_t I = std::clamp<int64_t>(RoundToInt(C - 0.5L), 0, int64_t(N) - 1);
    const int32_t W = std::clamp(255 - RoundToInt((C - I) * 255), 0, 255);
    const size_t J = size_t(I) + 1 == N ? 0 : size_t(I) + 1;
    TColor32 Result = StipplePattern_[size_t(I)];
    if (W != 255) {
        Result = CombineReg(Result, StipplePattern_[J], TColor32(W));
        EMMS();
    }
    StippleCounter = StippleCounter + StippleStep;
    return Result;
}

// --- Row and column runs (inclusive ends) ---------------------------------

void TBitmap32::HorzLine(int32_t X1, int32_t Y, int32_t X2, TColor32 Value) {
    const int64_t Count = int64_t(X2) - X1 + 1;
    if (Count > 0) FillLongword(GetPixelPtr(X1, Y), int32_t(Count), Value);
}

void TBitmap32::HorzLineS(int32_t X1, int32_t Y, int32_t X2, TColor32 Value) {
    if (Y >= 0 && Y < Height() && TestClip(X1, X2, Width())) HorzLine(X1, Y, X2, Value);
}

void TBitmap32::HorzLineT(int32_t X1, int32_t Y, int32_t X2, TColor32 Value) {
    if (X2 < X1) return;
    TColor32* P = GetPixelPtr(X1, Y);
    for (int64_t X = X1; X <= X2; ++X, ++P)
        BlendMem(Value, *P);
    EMMS();
}

void TBitmap32::HorzLineTS(int32_t X1, int32_t Y, int32_t X2, TColor32 Value) {
    if (Y >= 0 && Y < Height() && TestClip(X1, X2, Width())) HorzLineT(X1, Y, X2, Value);
}

void TBitmap32::VertLine(int32_t X, int32_t Y1, int32_t Y2, TColor32 Value) {
    if (Y2 < Y1) return;
    TColor32* P = GetPixelPtr(X, Y1);
    for (int64_t Y = Y1; Y <= Y2; ++Y, P += Width())
        *P = Value;
}

void TBitmap32::VertLineS(int32_t X, int32_t Y1, int32_t Y2, TColor32 Value) {
    if (X >= 0 && X < Width() && TestClip(Y1, Y2, Height())) VertLine(X, Y1, Y2, Value);
}

void TBitmap32::VertLineT(int32_t X, int32_t Y1, int32_t Y2, TColor32 Value) {
    if (Y2 < Y1) return;
    TColor32* P = GetPixelPtr(X, Y1);
    for (int64_t Y = Y1; Y <= Y2; ++Y, P += Width())
        BlendMem(Value, *P);
    EMMS();
}

void TBitmap32::VertLineTS(int32_t X, int32_t Y1, int32_t Y2, TColor32 Value) {
    if (X >= 0 && X < Width() && TestClip(Y1, Y2, Height())) VertLineT(X, Y1, Y2, Value);
}

// The stippled runs advance the pattern over the clipped-away pixels too, so
// the pattern stays in step with the whole run. Along is the run's axis
// (Size pixels), Plot(I) draws pixel I of it.
namespace {
template <typename PlotFn> void StippledRun(TBitmap32& B, int64_t A1, int64_t A2, int64_t Size, PlotFn Plot) {
    if ((A1 < 0 && A2 < 0) || (A1 >= Size && A2 >= Size)) {
        B.AdvanceStippleCounter(float(std::llabs(A2 - A1) + 1));
        return;
    }
    if (A1 < 0) {
        B.AdvanceStippleCounter(float(-A1));
        A1 = 0;
    } else if (A1 >= Size) {
        B.AdvanceStippleCounter(float(A1 - (Size - 1)));
        A1 = Size - 1;
    }
    int64_t Rest = 0;
    if (A2 < 0) {
        Rest = -A2;
        A2 = 0;
    } else if (A2 >= Size) {
        Rest = A2 - (Size - 1);
        A2 = Size - 1;
    }
    const int64_t Step = A2 >= A1 ? 1 : -1;
    for (int64_t I = A1;; I += Step) {
        Plot(int32_t(I), B.GetStippleColor());
        if (I == A2) break;
    }
    if (Rest > 0) B.AdvanceStippleCounter(float(Rest));
}
} // namespace

void TBitmap32::HorzLineTSP(int32_t X1, int32_t Y, int32_t X2) {
    if (Empty() || Y < 0 || Y >= Height()) return;
    StippledRun(*this, X1, X2, Width(), [this, Y](int32_t X, TColor32 C) { SetPixelT(X, Y, C); });
}

void TBitmap32::VertLineTSP(int32_t X, int32_t Y1, int32_t Y2) {
    if (Empty() || X < 0 || X >= Width()) return;
    StippledRun(*this, Y1, Y2, Height(), [this, X](int32_t Y, TColor32 C) { SetPixelT(X, Y, C); });
}

// --- Integer lines --------------------------------------------------------

namespace {
// Bresenham from (X1, Y1) towards (X2, Y2), all inside the bitmap; a
// 45-degree line runs Y-major. Put(P) writes one pixel; horizontal and
// vertical lines go to the runs.
template <bool Blend>
void DrawLine(TBitmap32& B, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 V, bool L) {
    auto Put = [V](TColor32* P) {
        if constexpr (Blend)
            BlendMem(V, *P);
        else
            *P = V;
    };
    int64_t Dx = int64_t(X2) - X1, Dy = int64_t(Y2) - Y1;
    if (Dx == 0) {
        if (Dy > 0) Blend ? B.VertLineT(X1, Y1, Y2 - 1, V) : B.VertLine(X1, Y1, Y2 - 1, V);
        if (Dy < 0) Blend ? B.VertLineT(X1, Y2 + 1, Y1, V) : B.VertLine(X1, Y2 + 1, Y1, V);
        if (L) Put(B.GetPixelPtr(X2, Y2));
        return;
    }
    const int64_t Sx = Dx > 0 ? 1 : -1;
    Dx = std::llabs(Dx);
    if (Dy == 0) {
        if (X2 > X1)
            Blend ? B.HorzLineT(X1, Y1, X2 - 1, V) : B.HorzLine(X1, Y1, X2 - 1, V);
        else
            Blend ? B.HorzLineT(X2 + 1, Y1, X1, V) : B.HorzLine(X2 + 1, Y1, X1, V);
        if (L) Put(B.GetPixelPtr(X2, Y2));
        return;
    }
    const int64_t RowStep = (Dy > 0 ? 1 : -1) * int64_t(B.Width());
    Dy = std::llabs(Dy);
    TColor32* P = B.GetPixelPtr(X1, Y1);
    if (Dx > Dy) {
        int64_t Delta = Dx >> 1;
        for (int64_t I = 0; I < Dx; ++I) {
            Put(P);
            P += Sx;
            Delta += Dy;
            if (Delta > Dx) {
                P += RowStep;
                Delta -= Dx;
            }
        }
    } else {
        int64_t Delta = Dy >> 1;
        for (int64_t I = 0; I < Dy; ++I) {
            Put(P);
            P += RowStep;
            Delta += Dx;
            if (Delta > Dy) {
                P += Sx;
                Delta -= Dy;
            }
        }
    }
    // The end point is addressed directly: for |Dx| = |Dy| = 1 the walk above
    // stops one column short of it.
    if (L) Put(B.GetPixelPtr(X2, Y2));
    if constexpr (Blend) EMMS();
}
} // namespace

void TBitmap32::Line(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L) {
    DrawLine<false>(*this, X1, Y1, X2, Y2, Value, L);
    Changed();
}

void TBitmap32::LineT(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L) {
    DrawLine<true>(*this, X1, Y1, X2, Y2, Value, L);
    Changed();
}

void TBitmap32::LineS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L) {
    if (Empty()) return;
    if (ClipLine(X1, Y1, X2, Y2, 0, 0, Width() - 1, Height() - 1)) Line(X1, Y1, X2, Y2, Value, L);
}

void TBitmap32::LineTS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L) {
    if (Empty()) return;
    const int32_t OldX2 = X2, OldY2 = Y2;
    if (!ClipLine(X1, Y1, X2, Y2, 0, 0, Width() - 1, Height() - 1)) return;
    if (X2 != OldX2 || Y2 != OldY2) L = true; // the line went on beyond the border
    LineT(X1, Y1, X2, Y2, Value, L);
}

void TBitmap32::LineToS(int32_t X, int32_t Y) {
    LineS(PenPos.X, PenPos.Y, X, Y, PenColor, false);
    PenPos = {X, Y};
}

void TBitmap32::LineToTS(int32_t X, int32_t Y) {
    LineTS(PenPos.X, PenPos.Y, X, Y, PenColor, false);
    PenPos = {X, Y};
}

} // namespace gfx
