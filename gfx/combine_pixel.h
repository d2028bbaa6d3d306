// Writes one colour onto one destination pixel by draw mode, for the routines
// that produce their colours pixel by pixel.
#pragma once

#include "gfx/bitmap32.h"

namespace gfx {

// dmOpaque stores Color; dmBlend blends it with the master alpha M; dmCustom
// hands it to the callback, which must be assigned.
inline void CombinePixel(TColor32 Color, TColor32& Dst, TDrawMode Mode, TColor32 M,
                         const TPixelCombineEvent& CombineCallBack) {
    switch (Mode) {
    case dmOpaque: Dst = Color; break;
    case dmBlend: BlendMemEx(Color, Dst, M); break;
    case dmCustom: CombineCallBack(Color, Dst, M); break;
    }
}

} // namespace gfx
