#include "gfx/drawing_ex.h"

#include <algorithm>
#include <limits>

namespace gfx {

namespace {
// A * B / N rounded half away from zero; the operands are differences of
// 32-bit values, so the product needs more than 64 bits.
int64_t MulDivExact(int64_t A, int64_t B, int64_t N) {
    __int128 P = static_cast<__int128>(A) * B;
    const bool Negative = (P < 0) != (N < 0);
    if (P < 0) P = -P;
    const __int128 D = N < 0 ? -static_cast<__int128>(N) : N;
    __int128 Q = P / D;
    if (2 * (P % D) >= D) ++Q;
    return int64_t(Negative ? -Q : Q); // |Q| <= |B| + 1: E lies between the ends
}

int32_t Saturate(int64_t V) {
    return int32_t(
        std::clamp<int64_t>(V, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}
} // namespace

bool ClipLine(int32_t& X1, int32_t& Y1, int32_t& X2, int32_t& Y2, int32_t MinX, int32_t MinY, int32_t MaxX,
              int32_t MaxY) {
    if (MinX > MaxX || MinY > MaxY) return false;
    int64_t x1 = X1, y1 = Y1, x2 = X2, y2 = Y2;
    auto Code = [&](int64_t X, int64_t Y) {
        return (X < MinX ? 1 : 0) | (X > MaxX ? 2 : 0) | (Y < MinY ? 4 : 0) | (Y > MaxY ? 8 : 0);
    };
    auto Finish = [&](bool Result) {
        X1 = Saturate(x1), Y1 = Saturate(y1), X2 = Saturate(x2), Y2 = Saturate(y2);
        return Result;
    };
    int C1 = Code(x1, y1), C2 = Code(x2, y2);
    if ((C1 & C2) != 0 || (C1 | C2) == 0) return Finish((C1 | C2) == 0);

    // Top and bottom edges.
    if (C1 & 12) {
        if (y2 == y1) return Finish(false);
        const int64_t E = C1 < 8 ? MinY : MaxY;
        x1 += MulDivExact(E - y1, x2 - x1, y2 - y1);
        y1 = E;
        C1 = Code(x1, y1) & 3;
    }
    if (C2 & 12) {
        if (y2 == y1) return Finish(false);
        const int64_t E = C2 < 8 ? MinY : MaxY;
        x2 += MulDivExact(E - y2, x2 - x1, y2 - y1);
        y2 = E;
        C2 = Code(x2, y2) & 3;
    }
    if ((C1 & C2) != 0 || (C1 | C2) == 0)
        return Finish((C1 | C2) == 0 && Code(x1, y1) == 0 && Code(x2, y2) == 0);

    // Left and right edges.
    if (C1 != 0) {
        if (x2 == x1) return Finish(false);
        const int64_t E = C1 == 1 ? MinX : MaxX;
        y1 += MulDivExact(E - x1, y2 - y1, x2 - x1);
        x1 = E;
        C1 = 0;
    }
    if (C2 != 0) {
        if (x2 == x1) return Finish(false);
        const int64_t E = C2 == 1 ? MinX : MaxX;
        y2 += MulDivExact(E - x2, y2 - y1, x2 - x1);
        x2 = E;
        C2 = 0;
    }
    // Rounded intersections never leave the rectangle for a proper segment;
    // the test guards the drawing code that trusts the result.
    return Finish(Code(x1, y1) == 0 && Code(x2, y2) == 0);
}

} // namespace gfx
