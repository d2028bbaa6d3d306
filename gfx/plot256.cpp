#include "gfx/plot256.h"

#include <algorithm>

namespace gfx {

#if defined(__SSE2__)
const TGammaWords& CurrentGammaWords() {
    thread_local TGammaWords Words{}; // all zero: the words of a table of zeros
    if (!std::equal(std::begin(Words.Gamma), std::end(Words.Gamma), GAMMA_TABLE)) {
        std::copy(GAMMA_TABLE, GAMMA_TABLE + 256, Words.Gamma);
        for (int F = 0; F < 256; ++F) {
            Words.Pair[F] = _mm_unpacklo_epi64(_mm_set1_epi16(short(GAMMA_TABLE[255 - F])),
                                               _mm_set1_epi16(short(GAMMA_TABLE[F])));
            Words.Each[F] = _mm_set1_epi16(short(GAMMA_TABLE[F]));
            Words.Reverse[F] = _mm_set1_epi16(short(GAMMA_TABLE[255 - F]));
        }
    }
    return Words;
}
#endif

} // namespace gfx
