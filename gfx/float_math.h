// Floating-point helpers that behave like the processor's default mode with
// its exceptions unmasked: round to nearest with halves to even, and raise
// EZeroDivide, EOverflow or EInvalidOp instead of producing inf or NaN.
#pragma once

#include <cstdint>

namespace gfx {

// Nearest integer, halves to even; EInvalidOp for NaN, inf or a value that
// does not fit in 32 bits.
int32_t RoundToInt(long double X);
// Floor and ceiling into 32 bits, with the same checks.
int32_t FloorToInt(long double X);
int32_t CeilToInt(long double X);
// X / Y; EZeroDivide for a zero divisor (EInvalidOp for 0 / 0).
long double CheckedDiv(long double X, long double Y);
// Raises EOverflow for an infinite and EInvalidOp for a NaN result.
long double CheckFinite(long double X);
// X rounded to a 32-bit float as a store into a float field does; EOverflow
// when it exceeds the float range, EInvalidOp for a NaN.
float ToSingle(long double X);

} // namespace gfx
