#include "gfx/controls/mouse_input.h"

namespace gfx {

std::optional<TMouseButton> MouseButtonOf(const QMouseEvent& Event) {
    switch (Event.button()) {
    case Qt::LeftButton: return mbLeft;
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: return std::nullopt;
    }
}

TShiftState ShiftStateOf(const QSinglePointEvent& Event) {
    const Qt::KeyboardModifiers Keys = Event.modifiers();
    const Qt::MouseButtons Buttons = Event.buttons();
    TShiftState S = 0;
    if (Keys & Qt::ShiftModifier) S |= ssShift;
    if (Keys & Qt::AltModifier) S |= ssAlt;
    if (Keys & Qt::ControlModifier) S |= ssCtrl;
    if (Buttons & Qt::LeftButton) S |= ssLeft;
    if (Buttons & Qt::RightButton) S |= ssRight;
    if (Buttons & Qt::MiddleButton) S |= ssMiddle;
    if (Event.type() == QEvent::MouseButtonDblClick) S |= ssDouble;
    return S;
}

} // namespace gfx
