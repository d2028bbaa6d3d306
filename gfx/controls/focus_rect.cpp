#include "gfx/controls/focus_rect.h"

#include <algorithm>

namespace gfx {

namespace {
void InvertDots(TDeviceContext& DC, int64_t X1, int64_t Y1, int64_t X2, int64_t Y2) {
    TColor32* Bits = DC.PixelMemory();
    X1 = std::max<int64_t>(X1, 0), Y1 = std::max<int64_t>(Y1, 0);
    X2 = std::min<int64_t>(X2, DC.Width()), Y2 = std::min<int64_t>(Y2, DC.Height());
    for (int64_t Y = Y1; Y < Y2; ++Y)
        for (int64_t X = X1 + ((X1 + Y) & 1); X < X2; X += 2)
            Bits[Y * DC.Width() + X] ^= 0x00FFFFFFu;
}
} // namespace

void DrawFocusRect(TDeviceContext& DC, const TRect& Rect) {
    if (!DC.PixelMemory() || IsRectEmpty(Rect)) return;
    const int64_t L = Rect.Left, T = Rect.Top, R = Rect.Right, B = Rect.Bottom;
    InvertDots(DC, L, T, R, T + 1);                        // top
    if (B - 1 > T) InvertDots(DC, L, B - 1, R, B);         // bottom
    InvertDots(DC, L, T + 1, L + 1, B - 1);                // left
    if (R - 1 > L) InvertDots(DC, R - 1, T + 1, R, B - 1); // right
}

} // namespace gfx
