#include "gfx/low_level.h"

namespace gfx {

int32_t MulDiv(int32_t A, int32_t B, int32_t N) {
    const bool Negative = (A ^ B ^ N) < 0;
    const uint64_t AbsA = A < 0 ? 0 - uint64_t(int64_t(A)) : uint64_t(A);
    const uint64_t AbsB = B < 0 ? 0 - uint64_t(int64_t(B)) : uint64_t(B);
    const uint64_t AbsN = N < 0 ? 0 - uint64_t(int64_t(N)) : uint64_t(N);
    if (AbsN == 0) return -1;
    const uint64_t P = AbsA * AbsB; // at most 2^62
    uint64_t Q = P / AbsN;
    const uint64_t R = P % AbsN;
    if (AbsN - R <= R) ++Q;
    if (Negative) {
        if (Q > uint64_t(1) << 31) return -1;
        return int32_t(-int64_t(Q));
    }
    if (Q > 0x7FFFFFFF) return -1;
    return int32_t(Q);
}

} // namespace gfx
