// The window system's focus rectangle: a one-pixel dotted frame drawn by
// inverting every other pixel, so that drawing it twice restores the picture.
#pragma once

#include "gfx/device_context.h"
#include "gfx/geometry.h"

namespace gfx {

// Inverts the colour (not the alpha) of the frame pixels of Rect whose X + Y
// is even, clipped to the context; a context without pixel memory is left alone.
void DrawFocusRect(TDeviceContext& DC, const TRect& Rect);

} // namespace gfx
