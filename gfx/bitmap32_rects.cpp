// TBitmap32: filled, outlined, stippled and bevelled rectangles (half-open).
#include <algorithm>

#include "gfx/bitmap32.h"
#include "gfx/low_level.h"

namespace gfx {

void TBitmap32::FillRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value) {
    const int64_t Count = int64_t(X2) - X1;
    if (Count > 0)
        for (int64_t Y = Y1; Y < Y2; ++Y)
            FillLongword(GetPixelPtr(X1, int32_t(Y)), int32_t(Count), Value);
    Changed();
}

void TBitmap32::FillRectS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value) {
    if (RejectRect(X1, Y1, X2, Y2)) return;
    FillRect(std::max(X1, 0), std::max(Y1, 0), std::min(X2, Width()), std::min(Y2, Height()), Value);
}

void TBitmap32::FillRectT(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value) {
    const TColor32 A = Value >> 24;
    if (A == 255) {
        FillRect(X1, Y1, X2, Y2, Value);
        return;
    }
    for (int64_t Y = Y1; Y < Y2; ++Y) {
        TColor32* P = GetPixelPtr(X1, int32_t(Y));
        for (int64_t X = X1; X < X2; ++X, ++P)
            CombineMem(Value, *P, A);
    }
    EMMS();
    Changed();
}

void TBitmap32::FillRectTS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value) {
    if (RejectRect(X1, Y1, X2, Y2)) return;
    FillRectT(std::max(X1, 0), std::max(Y1, 0), std::min(X2, Width()), std::min(Y2, Height()), Value);
}

// Every outline pixel once: the corners belong to the rows, the sides stop one
// pixel short of them; a rectangle one pixel wide or high has one row or column.
#define QJ_FRAME_RECT(HORZ, VERT)                                                                            \
    if (RejectRect(X1, Y1, X2, Y2)) return;                                                                  \
    --X2;                                                                                                    \
    --Y2;                                                                                                    \
    HORZ(X1, Y1, X2, Value);                                                                                 \
    if (Y2 > Y1) HORZ(X1, Y2, X2, Value);                                                                    \
    if (Y1 + 1 < Y2) {                                                                                       \
        VERT(X1, Y1 + 1, Y2 - 1, Value);                                                                     \
        if (X2 > X1) VERT(X2, Y1 + 1, Y2 - 1, Value);                                                        \
    }                                                                                                        \
    Changed();

void TBitmap32::FrameRectS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value) {
    QJ_FRAME_RECT(HorzLineS, VertLineS)
}

void TBitmap32::FrameRectTS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value) {
    QJ_FRAME_RECT(HorzLineTS, VertLineTS)
}
#undef QJ_FRAME_RECT

void TBitmap32::FrameRectTSP(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
    if (RejectRect(X1, Y1, X2, Y2)) return;
    --X2;
    --Y2;
    if (X1 == X2 && Y1 == Y2) {
        SetPixelTS(X1, Y1, GetStippleColor());
    } else if (X1 == X2) {
        VertLineTSP(X1, Y1, Y2);
    } else if (Y1 == Y2) {
        HorzLineTSP(X1, Y1, X2);
    } else {
        // Clockwise, each side stopping before the next corner.
        HorzLineTSP(X1, Y1, X2 - 1);
        VertLineTSP(X2, Y1, Y2 - 1);
        HorzLineTSP(X2, Y2, X1 + 1);
        VertLineTSP(X1, Y2, Y1 + 1);
    }
    Changed();
}

void TBitmap32::RaiseRectTS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t Contrast) {
    if (RejectRect(X1, Y1, X2, Y2)) return;
    if (Contrast != 0) {
        const int64_t K = Contrast > 0 ? int64_t(Contrast) : -int64_t(Contrast);
        const auto Level = [](int64_t V) { return int32_t(std::clamp<int64_t>(V, 0, 255)); };
        const TColor32 White = SetAlpha(0xFFFFFFFFu, Level(K * 512 / 100));
        const TColor32 Black = SetAlpha(0xFF000000u, Level(K * 255 / 100));
        const TColor32 Light = Contrast > 0 ? White : Black;
        const TColor32 Dark = Contrast > 0 ? Black : White;
        const int32_t Top = Y1, Bottom = Y2 - 1;
        --X2;
        --Y2;
        HorzLineTS(X1, Y1, X2, Light);
        HorzLineTS(X1, Y2, X2, Dark);
        // The sides run between the rows; under three rows high they keep to
        // the rectangle's own rows instead of reaching above and below it.
        int32_t S1 = Y1 + 1, S2 = Y2 - 1;
        TestSwap(S1, S2);
        S1 = std::max(S1, Top);
        S2 = std::min(S2, Bottom);
        if (S1 <= S2) {
            VertLineTS(X1, S1, S2, Light);
            VertLineTS(X2, S1, S2, Dark);
        }
    }
    Changed();
}

} // namespace gfx
