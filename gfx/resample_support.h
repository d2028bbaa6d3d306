// Steps shared by the resamplers: the coordinate maps, the checks on entry and
// the assertion they raise when a map leaves the source.
#pragma once

#include "gfx/bitmap32.h"

namespace gfx {

// Source step per destination pixel as a 32-bit float: From / To with
// FullEdge, else (From - 1) / (To - 1).
float MappingScale(int64_t From, int64_t To);
// I * Scale + Lo, formed in extended precision and stored as a 32-bit float:
// the nearest resampler's source position of destination pixel I.
float ScaledPosition(int64_t I, long double Scale, int32_t Lo);
// Source position of destination pixel I (counted from the destination
// span's start) for the step Scale and the source start Lo, by FullEdge;
// formed in extended precision and stored as a 32-bit float.
float SamplePosition(int64_t I, long double Scale, int32_t Lo);

// Cuts DstClip to Dst and DstRect into Clip; raises "Invalid SrcRect" when
// SrcRect leaves Src. False when nothing is to be drawn.
bool ResampleArea(const TBitmap32* Dst, const TRect& DstRect, const TRect& DstClip, const TBitmap32* Src,
                  const TRect& SrcRect, TRect& Clip);

[[noreturn]] void ResampleAssertionFailed();

} // namespace gfx
