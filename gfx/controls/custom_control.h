// The class library's windowed control with a canvas, over a QWidget: bounds
// set at once, a resize notification, a paint entry point with a canvas on the
// widget's painter, invalidation, focus, mouse capture, automatic sizing, a
// frame around the client area, cursors and the control-level mouse and wheel
// events. The graphics library's controls derive from it.
#pragma once

#include <QWidget>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>

#include "gfx/canvas.h"
#include "gfx/color.h"
#include "gfx/controls/cursors.h"
#include "gfx/controls/mouse_input.h"
#include "gfx/geometry.h"
#include "gfx/graphic.h"

namespace gfx {

// Where a parent places the control; automatic sizing leaves a dimension that
// the alignment fixes alone.
enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };

// The dialog code bit of a control that takes the arrow keys itself.
constexpr uint32_t DLGC_WANTARROWS = 1;

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int32_t X, int32_t Y)>;
// MousePos is in screen coordinates; a handler sets Handled to keep the
// control's own wheel handling from running.
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, int32_t WheelDelta,
                                            TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent =
    std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;

class TCustomControl : public QWidget, public TControl {
  public:
    explicit TCustomControl(QWidget* Parent = nullptr);
    ~TCustomControl() override;
    std::string ClassName() const override { return "TCustomControl"; }

    // --- Bounds ------------------------------------------------------------
    int32_t Left() const { return x(); }
    int32_t Top() const { return y(); }
    int32_t Width() const { return width(); }
    int32_t Height() const { return height(); }
    int32_t GetWidth() const override { return width(); }
    int32_t GetHeight() const override { return height(); }
    // Moves and sizes the control; a size change is reported through Resize
    // before this returns, also while the control is hidden.
    virtual void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight);
    void SetWidth(int32_t Value) { SetBounds(Left(), Top(), Value, Height()); }
    void SetHeight(int32_t Value) { SetBounds(Left(), Top(), Width(), Value); }
    TAlign Align() const { return Align_; }
    void SetAlign(TAlign Value) { Align_ = Value; }
    bool AutoSize() const { return AutoSize_; }
    // Switching automatic sizing on sizes the control at once.
    void SetAutoSize(bool Value);
    // Asked for the size the control wants while AutoSize is on; true takes it.
    virtual bool CanAutoSize(int32_t& NewWidth, int32_t& NewHeight);

    // The client area: the control less the frame the window system draws
    // around it (NonClientSize pixels on each side). Mouse positions are
    // client coordinates.
    int32_t ClientWidth() const { return std::max(Width() - 2 * NonClientSize(), 0); }
    int32_t ClientHeight() const { return std::max(Height() - 2 * NonClientSize(), 0); }
    TRect ClientRect() const { return {0, 0, ClientWidth(), ClientHeight()}; }

    // --- State and look ----------------------------------------------------
    // Asks the window system to repaint the whole control.
    virtual void Invalidate() { update(); }
    // The end of setting the control up from a form description.
    virtual void Loaded() {}
    // There is no form designer here: controls are always at run time.
    bool Designing() const { return false; }
    // The control's colour (its palette's background colour, the parent's unless set).
    TWinColor Color() const;
    void SetColor(TWinColor Value);
    // The canvas of the paint in progress; its context is null outside Paint.
    TCanvas* Canvas() const { return Canvas_.get(); }
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool Value) { setEnabled(Value); }
    // The control's own cursor, shown while the pointer is over it.
    TCursor Cursor() const { return Cursor_; }
    void SetCursor(TCursor Value);
    // The class library's screen cursor while the pointer is over this
    // control: crDefault shows the control's own cursor again.
    void ShowCursor(TCursor Value);
    // The pointer in client coordinates: where the latest mouse event found
    // it while the pointer is over the control or a button is held on it (Qt
    // sends those events here), else where the window system has it.
    TPoint CursorPos() const;

    // --- Focus, keys and mouse capture -------------------------------------
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void SetTabStop(bool Value) { setFocusPolicy(Value ? Qt::TabFocus : Qt::NoFocus); }
    bool CanFocus() const { return isVisible() && isEnabled(); }
    void SetFocus() { setFocus(Qt::OtherFocusReason); }
    // The answer to the dialog manager's question which keys the control takes.
    virtual uint32_t GetDlgCode() const { return 0; }
    // Whether the control asked for all mouse input. Qt sends every move and
    // the release to the pressed widget until its buttons are up, which is the
    // capture asked for; an explicit grab would also keep the pointer from a
    // dialog that a mouse handler opens, so none is taken.
    bool MouseCapture() const { return MouseCapture_; }
    void SetMouseCapture(bool Value) { MouseCapture_ = Value; }

    TNotifyEvent OnResize;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;

  protected:
    // Paints the control; Canvas() draws on the widget.
    virtual void Paint() {}
    // The size changed: raises OnResize.
    virtual void Resize();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
    virtual void MouseMove(TShiftState Shift, int32_t X, int32_t Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    // The wheel turned by WheelDelta (120 a notch, positive away from the
    // user): OnMouseWheel, then, unless handled, OnMouseWheelDown or
    // OnMouseWheelUp. True when a handler took it.
    virtual bool DoMouseWheel(TShiftState Shift, int32_t WheelDelta, TPoint MousePos);
    // The control was enabled or disabled.
    virtual void EnabledChanged() {}
    // Pixels of frame on each side of the client area (0: none).
    virtual int32_t NonClientSize() const { return 0; }
    // Qt sends the resize event of a hidden widget only when it is shown; the
    // class library reports a new size at once. Calls Resize when the size
    // differs from the one last reported.
    void FollowSize();
    // The area the window system asked to paint (valid inside Paint).
    const QRegion& PaintRegion() const { return PaintRegion_; }

    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;

  private:
    // The client position of a mouse event, remembered as the pointer's.
    TPoint ClientPos(const QSinglePointEvent& Event);

    std::unique_ptr<TCanvas> Canvas_;
    QSize KnownSize_{-1, -1};
    QRegion PaintRegion_;
    TAlign Align_ = alNone;
    bool AutoSize_ = false;
    bool MouseCapture_ = false;
    TCursor Cursor_ = crDefault;
    TPoint LastMousePos_;
    bool MouseSeen_ = false; // LastMousePos_ is where the pointer is
};

} // namespace gfx
