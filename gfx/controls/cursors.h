// The class library's cursor numbers, as controls and layers name the cursor
// to show, and the Qt cursor each stands for.
#pragma once

#include <QCursor>
#include <cstdint>

namespace gfx {

using TCursor = int16_t;

constexpr TCursor crDefault = 0; // the control's own cursor
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crSizeNESW = -6; // diagonal sizing, north-east to south-west
constexpr TCursor crSizeNS = -7;   // vertical sizing
constexpr TCursor crSizeNWSE = -8; // diagonal sizing, north-west to south-east
constexpr TCursor crSizeWE = -9;   // horizontal sizing
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// The Qt shape of a cursor number; numbers without one show the arrow.
Qt::CursorShape CursorShapeOf(TCursor Cursor);

} // namespace gfx
