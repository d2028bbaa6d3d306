// Segment clipping.
#pragma once

#include <cstdint>

namespace gfx {

// Clips the segment (X1, Y1)-(X2, Y2) in place to the inclusive rectangle
// MinX..MaxX by MinY..MaxY; True when something remains, and then both points
// lie inside the rectangle. The intersections are computed exactly (rounded
// half away from zero) whatever the coordinates. An empty rectangle gives False.
bool ClipLine(int32_t& X1, int32_t& Y1, int32_t& X2, int32_t& Y2, int32_t MinX, int32_t MinY, int32_t MaxX,
              int32_t MaxY);

} // namespace gfx
