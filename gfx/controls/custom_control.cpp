#include "gfx/controls/custom_control.h"

#include <QCursor>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "platform_qt/device_context.h"

namespace gfx {

TCustomControl::TCustomControl(QWidget* Parent) : QWidget(Parent), Canvas_(NewCanvas()) {
    setMouseTracking(true); // moves arrive without a button held, as the class library delivers them
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) {
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (AutoSize_) {
        int32_t W = AWidth, H = AHeight;
        if (CanAutoSize(W, H)) AWidth = std::max(W, 0), AHeight = std::max(H, 0);
    }
    setGeometry(ALeft, ATop, AWidth, AHeight);
    FollowSize();
}

void TCustomControl::SetAutoSize(bool Value) {
    if (AutoSize_ == Value) return;
    AutoSize_ = Value;
    if (Value) SetBounds(Left(), Top(), Width(), Height());
}

bool TCustomControl::CanAutoSize(int32_t&, int32_t&) { return true; }

TWinColor TCustomControl::Color() const { return WinColor(palette().color(backgroundRole()).rgb()); }

void TCustomControl::SetColor(TWinColor Value) {
    QPalette P = palette();
    P.setColor(backgroundRole(), QColor::fromRgb(Color32(Value)));
    setPalette(P);
}

void TCustomControl::SetCursor(TCursor Value) {
    Cursor_ = Value;
    ShowCursor(crDefault);
}

void TCustomControl::ShowCursor(TCursor Value) {
    const TCursor Shown = Value == crDefault ? Cursor_ : Value;
    if (Shown == crDefault)
        unsetCursor();
    else
        setCursor(CursorShapeOf(Shown));
}

TPoint TCustomControl::CursorPos() const {
    if (MouseSeen_) return LastMousePos_;
    const QPoint P = mapFromGlobal(QCursor::pos());
    return {P.x() - NonClientSize(), P.y() - NonClientSize()};
}

TPoint TCustomControl::ClientPos(const QSinglePointEvent& Event) {
    const QPoint P = Event.position().toPoint();
    LastMousePos_ = {P.x() - NonClientSize(), P.y() - NonClientSize()};
    MouseSeen_ = true;
    return LastMousePos_;
}

bool TCustomControl::DoMouseWheel(TShiftState Shift, int32_t WheelDelta, TPoint MousePos) {
    bool Handled = false;
    if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, Handled);
    if (Handled) return true;
    const TMouseWheelUpDownEvent& UpDown = WheelDelta < 0 ? OnMouseWheelDown : OnMouseWheelUp;
    if (UpDown) UpDown(this, Shift, MousePos, Handled);
    return Handled;
}

void TCustomControl::Resize() {
    if (OnResize) OnResize(this);
}

void TCustomControl::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TCustomControl::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TCustomControl::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TCustomControl::FollowSize() {
    if (size() == KnownSize_) return;
    KnownSize_ = size();
    Resize();
}

bool TCustomControl::event(QEvent* Event) {
    // A new colour, the control's own or its parent's, repaints the control.
    if (Event->type() == QEvent::PaletteChange) Invalidate();
    if (Event->type() == QEvent::EnabledChange) EnabledChanged();
    // A window's shortcuts see keys before the focused control; a control that
    // wants the arrow keys claims them first, as it would from a dialog.
    if (Event->type() == QEvent::ShortcutOverride && (GetDlgCode() & DLGC_WANTARROWS)) {
        switch (static_cast<QKeyEvent*>(Event)->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down: Event->accept(); return true;
        default: break;
        }
    }
    return QWidget::event(Event);
}

void TCustomControl::paintEvent(QPaintEvent* Event) {
    FollowSize();
    QPainter Painter(this);
    platform_qt::TPainterDC DC(&Painter);
    struct Binding {
        TCustomControl* C;
        ~Binding() {
            C->Canvas_->SetHandle(nullptr);
            C->PaintRegion_ = QRegion();
        }
    } Bound{this};
    Canvas_->SetHandle(&DC);
    PaintRegion_ = Event->region();
    Paint();
}

void TCustomControl::resizeEvent(QResizeEvent*) { FollowSize(); }

void TCustomControl::mousePressEvent(QMouseEvent* Event) {
    // A double click arrives here too (Qt's default), marked ssDouble.
    const TPoint P = ClientPos(*Event);
    if (const auto Button = MouseButtonOf(*Event)) MouseDown(*Button, ShiftStateOf(*Event), P.X, P.Y);
}

void TCustomControl::mouseMoveEvent(QMouseEvent* Event) {
    const TPoint P = ClientPos(*Event);
    MouseMove(ShiftStateOf(*Event), P.X, P.Y);
}

void TCustomControl::mouseReleaseEvent(QMouseEvent* Event) {
    const TPoint P = ClientPos(*Event);
    if (const auto Button = MouseButtonOf(*Event)) MouseUp(*Button, ShiftStateOf(*Event), P.X, P.Y);
}

void TCustomControl::enterEvent(QEnterEvent*) { MouseEnter(); }

void TCustomControl::leaveEvent(QEvent*) {
    MouseSeen_ = false;
    MouseLeave();
}

void TCustomControl::wheelEvent(QWheelEvent* Event) {
    // The vertical wheel only: a tilt sideways is another message.
    const QPoint Global = Event->globalPosition().toPoint();
    const int32_t Delta = Event->angleDelta().y();
    if (Delta != 0 && DoMouseWheel(ShiftStateOf(*Event), Delta, {Global.x(), Global.y()}))
        Event->accept();
    else
        Event->ignore();
}

} // namespace gfx
