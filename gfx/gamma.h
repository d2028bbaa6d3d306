// The gamma table of the anti-aliased plots.
#pragma once

#include <cstdint>

namespace gfx {

extern uint8_t GAMMA_TABLE[256];

// GAMMA_TABLE[i] := 255 * (i / 255) ^ Gamma, rounded halves to even.
void SetGamma(float Gamma);

} // namespace gfx
