// Integer routines the rest of the library stands on.
#pragma once

#include <cstdint>
#include <cstring>
#include <utility>

#include "gfx/color.h"

namespace gfx {

constexpr int32_t Clamp(int32_t Value) { return Value < 0 ? 0 : Value > 255 ? 255 : Value; }

// Stores Value into Count consecutive words; Count <= 0 stores nothing.
inline void FillLongword(void* X, int32_t Count, uint32_t Value) {
    uint32_t* P = static_cast<uint32_t*>(X);
    for (int32_t I = 0; I < Count; ++I)
        P[I] = Value;
}

// Copies Count words; overlapping areas are copied as if through a buffer.
inline void MoveLongword(const void* Source, void* Dest, int32_t Count) {
    if (Count <= 0 || Source == Dest) return;
    std::memmove(Dest, Source, size_t(Count) * 4);
}

inline void Swap(int32_t& A, int32_t& B) { std::swap(A, B); }
inline void TestSwap(int32_t& A, int32_t& B) {
    if (A > B) std::swap(A, B);
}
// Orders A..B and clips it to 0..Size - 1; True when something remains.
inline bool TestClip(int32_t& A, int32_t& B, int32_t Size) {
    TestSwap(A, B);
    if (A < 0) A = 0;
    if (B >= Size) B = Size - 1;
    return B >= A;
}
constexpr int32_t Constrain(int32_t Value, int32_t Lo, int32_t Hi) {
    return Value < Lo ? Lo : Value > Hi ? Hi : Value;
}

constexpr int32_t SAR_4(int32_t V) { return V >> 4; }
constexpr int32_t SAR_8(int32_t V) { return V >> 8; }
constexpr int32_t SAR_9(int32_t V) { return V >> 9; }
constexpr int32_t SAR_12(int32_t V) { return V >> 12; }
constexpr int32_t SAR_13(int32_t V) { return V >> 13; }
constexpr int32_t SAR_14(int32_t V) { return V >> 14; }
constexpr int32_t SAR_16(int32_t V) { return V >> 16; }

// The framework colour as an opaque TColor32, without the system-colour lookup.
constexpr TColor32 ColorSwap(TWinColor C) {
    const uint32_t U = uint32_t(C);
    return 0xFF000000u | ((U & 0xFF) << 16) | (U & 0xFF00) | ((U >> 16) & 0xFF);
}

// A * B / N rounded half away from zero; -1 when N is 0 or the quotient does
// not fit in 32 bits.
int32_t MulDiv(int32_t Multiplicand, int32_t Multiplier, int32_t Divisor);

} // namespace gfx
