#include "gfx/gamma.h"

#include <algorithm>
#include <cmath>

#include "gfx/float_math.h"
#include "platform/exceptions.h"

namespace gfx {

uint8_t GAMMA_TABLE[256];

void SetGamma(float Gamma) {
    uint8_t Table[256];
    for (int I = 0; I < 256; ++I) {
        const long double Base = I / 255.0L;
        if (Base == 0 && Gamma < 0) throw platform::EZeroDivide();
        const long double V = CheckFinite(255 * std::pow(Base, static_cast<long double>(Gamma)));
        Table[I] = uint8_t(std::clamp(RoundToInt(V), 0, 255));
    }
    std::copy(std::begin(Table), std::end(Table), GAMMA_TABLE);
}

} // namespace gfx
