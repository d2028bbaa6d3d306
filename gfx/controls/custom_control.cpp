#include "gfx/controls/custom_control.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
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
    if (const auto Button = MouseButtonOf(*Event)) {
        const QPoint P = Event->position().toPoint();
        MouseDown(*Button, ShiftStateOf(*Event), P.x(), P.y());
    }
}

void TCustomControl::mouseMoveEvent(QMouseEvent* Event) {
    const QPoint P = Event->position().toPoint();
    MouseMove(ShiftStateOf(*Event), P.x(), P.y());
}

void TCustomControl::mouseReleaseEvent(QMouseEvent* Event) {
    if (const auto Button = MouseButtonOf(*Event)) {
        const QPoint P = Event->position().toPoint();
        MouseUp(*Button, ShiftStateOf(*Event), P.x(), P.y());
    }
}

void TCustomControl::enterEvent(QEnterEvent*) { MouseEnter(); }
void TCustomControl::leaveEvent(QEvent*) { MouseLeave(); }

} // namespace gfx
