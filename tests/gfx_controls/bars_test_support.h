// Shared helpers of the bar tests: bars with their press and timer state in
// reach, and mouse input in client coordinates.
#pragma once

#include "controls_test_support.h"

#include "gfx/controls/gauge_bar.h"
#include "gfx/controls/range_bar.h"

namespace bars_test {

// A bar whose press, hover and timer state the test reads, and whose timer
// ticks the test can give by hand.
template <class Bar> struct Exposed : Bar {
    using Bar::Bar;
    using Bar::DrawEnabled;
    using Bar::GetHandleRect;
    using Bar::HoverZone;
    using Bar::PressedZone;
    using Bar::RepeatTimer;
    using Bar::RepeatTimerState;
    using Bar::TimerHandler;
};
using TestRangeBar = Exposed<gfx::TRangeBar>;
using TestGaugeBar = Exposed<gfx::TGaugeBar>;

// Mouse input at client point (X, Y) of a bar (its border lies outside).
inline QPoint At(const gfx::TArrowBar& Bar, int X, int Y) {
    return {X + Bar.GetBorderSize(), Y + Bar.GetBorderSize()};
}
inline void Press(gfx::TArrowBar& Bar, int X, int Y) {
    QTest::mousePress(&Bar, Qt::LeftButton, {}, At(Bar, X, Y));
}
inline void Release(gfx::TArrowBar& Bar, int X, int Y) {
    QTest::mouseRelease(&Bar, Qt::LeftButton, {}, At(Bar, X, Y));
}
// A move with the left button held.
inline void Drag(gfx::TArrowBar& Bar, int X, int Y) {
    QMouseEvent Move(QEvent::MouseMove, At(Bar, X, Y), Bar.mapToGlobal(At(Bar, X, Y)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&Bar, &Move);
}
inline void Wheel(QWidget& W, int Delta) {
    QWheelEvent E(QPointF(5, 5), W.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, Delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&W, &E);
}

// The centre of a client rectangle.
inline QPoint Middle(const gfx::TRect& R) { return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2}; }

} // namespace bars_test
