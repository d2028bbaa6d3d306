// The class library's mouse button and shift state, as the controls' events
// pass them, made from Qt's mouse and wheel events.
#pragma once

#include <QMouseEvent>
#include <cstdint>
#include <optional>

namespace gfx {

enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

// Keys and buttons held during an event (a set of these bits).
enum TShiftStateBit : uint8_t {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};
using TShiftState = uint8_t;

// The button of a press or release; none for buttons the class library has no name for.
std::optional<TMouseButton> MouseButtonOf(const QMouseEvent& Event);
TShiftState ShiftStateOf(const QSinglePointEvent& Event);

} // namespace gfx
