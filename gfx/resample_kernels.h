// The filter kernels of the stretch resampler: weight of a source pixel at
// distance X (in source pixels at scale 1) from the sample position.
#pragma once

#include "gfx/bitmap32.h"

namespace gfx {

using TFilterKernel = float (*)(float X);

// 1 when -0.5 < X <= 0.5, else 0.
float NearestKernel(float X);
// The triangle 1 - |X| within one pixel.
float LinearKernel(float X);
// The cubic B-spline.
float SplineKernel(float X);
// sin(pi X) / (pi X), 1 at 0.
float NormalizedSinc(float X);
// Sinc windowed by a sinc three times as wide.
float LanczosKernel(float X);
// The Mitchell-Netravali cubic with both parameters 1/3.
float MitchellKernel(float X);

// Indexed by TStretchFilter.
extern const TFilterKernel FilterKernels[5];
extern const float FilterRadii[5];

} // namespace gfx
