// The class library's windowed control with a canvas, over a QWidget: bounds
// set at once, a resize notification, a paint entry point with a canvas on the
// widget's painter, invalidation, focus, mouse capture, automatic sizing and
// the control-level mouse events. The graphics library's controls derive from it.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "gfx/canvas.h"
#include "gfx/color.h"
#include "gfx/controls/mouse_input.h"
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

  private:
    std::unique_ptr<TCanvas> Canvas_;
    QSize KnownSize_{-1, -1};
    QRegion PaintRegion_;
    TAlign Align_ = alNone;
    bool AutoSize_ = false;
    bool MouseCapture_ = false;
};

} // namespace gfx
