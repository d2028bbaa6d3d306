// Drawing one bitmap into another through a transformation.
#pragma once

#include "gfx/bitmap32.h"
#include "gfx/transformation.h"

namespace gfx {

// Fills every destination pixel whose position maps back into the
// transformation's SrcRect with Src's pixel there (sfNearest) or a bilinear
// sample (any other StretchFilter, blending a one-pixel band around the
// source rectangle with its surroundings or OuterColor), written by Src's
// DrawMode, MasterAlpha and OnPixelCombine; then Dst.Changed. Prepares the
// transformation when needed. Nothing is drawn, and Changed is not called,
// when the source rectangle misses Src or the transformed area misses Dst.
void Transform(TBitmap32* Dst, TBitmap32* Src, TTransformation* Transformation);

// Clears the alpha of the frame of R (bounds inclusive, each pair ordered and
// cut to the bitmap); then Changed, unless nothing of the frame lies inside.
void SetBorderTransparent(TBitmap32* Bitmap, const TRect& R);

} // namespace gfx
