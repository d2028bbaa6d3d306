// The kernels work in extended precision; the intermediate values noted below
// are rounded to 32-bit floats where they are stored, as are the results.
#include "gfx/resample_kernels.h"

#include <cmath>
#include <limits>

#include "platform/exceptions.h"

namespace gfx {

namespace {
constexpr long double kPi = 3.141592653589793238462643383279502884L;
} // namespace

float NearestKernel(float X) { return X > -0.5f && X <= 0.5f ? 1.0f : 0.0f; }

float LinearKernel(float X) {
    const long double T = X;
    if (T < -1) return 0;
    if (T < 0) return float(1 + T);
    if (T < 1) return float(1 - T);
    return 0;
}

float SplineKernel(float X) {
    const long double T = std::fabs(X);
    if (T < 1) {
        const long double T2 = float(T * T);
        return float(0.5L * T2 * T - T2 + 2.0L / 3);
    }
    if (T < 2) {
        const long double U = float(2 - T);
        return float(U * U * (1.0L / 6) * U);
    }
    return 0;
}

float NormalizedSinc(float X) {
    if (X == 0) return 1;
    const long double PiX = kPi * X;
    if (std::fabs(PiX) > std::numeric_limits<float>::max()) throw platform::EOverflow();
    const long double Y = float(PiX);
    return float(std::sin(Y) / Y);
}

float LanczosKernel(float X) {
    const long double T = std::fabs(X);
    if (T < 3)
        return float(static_cast<long double>(NormalizedSinc(float(T))) * NormalizedSinc(float(T / 3)));
    return 0;
}

float MitchellKernel(float X) {
    const long double T = std::fabs(X);
    if (!(T < 2)) return 0;
    const long double T2 = float(T * T);
    const long double T3 = float(T2 * T);
    if (T < 1) return float((7 * T3 - 12 * T2 + 16.0L / 3) / 6);
    return float((-7.0L / 3 * T3 + 12 * T2 - 20 * T + 32.0L / 3) / 6);
}

const TFilterKernel FilterKernels[5] = {NearestKernel, LinearKernel, SplineKernel, LanczosKernel,
                                        MitchellKernel};
const float FilterRadii[5] = {1.0f, 1.0f, 2.0f, 3.0f, 2.0f};

} // namespace gfx
