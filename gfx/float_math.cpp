#include "gfx/float_math.h"

#include <cmath>

#include "platform/exceptions.h"

namespace gfx {

namespace {
int32_t ToInt32(long double R) {
    if (!std::isfinite(R) || R < -2147483648.0L || R > 2147483647.0L) throw platform::EInvalidOp();
    return int32_t(R);
}
} // namespace

int32_t RoundToInt(long double X) {
    if (!std::isfinite(X)) throw platform::EInvalidOp();
    return ToInt32(std::nearbyintl(X)); // default rounding mode: halves to even
}

int32_t FloorToInt(long double X) { return ToInt32(std::floor(X)); }
int32_t CeilToInt(long double X) { return ToInt32(std::ceil(X)); }

long double CheckedDiv(long double X, long double Y) {
    if (Y == 0) {
        if (X == 0 || std::isnan(X)) throw platform::EInvalidOp();
        throw platform::EZeroDivide();
    }
    return CheckFinite(X / Y);
}

long double CheckFinite(long double X) {
    if (std::isnan(X)) throw platform::EInvalidOp();
    if (std::isinf(X)) throw platform::EOverflow();
    return X;
}

float ToSingle(long double X) {
    // From here on the rounding goes to infinity.
    static const long double kFloatLimit = std::ldexp(2.0L - std::ldexp(1.0L, -24), 127);
    if (std::fabs(CheckFinite(X)) >= kFloatLimit) throw platform::EOverflow();
    return float(X);
}

} // namespace gfx
