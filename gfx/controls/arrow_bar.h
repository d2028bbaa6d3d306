// TArrowBar: the base of the library's scroll-bar-like controls, drawn by the
// library itself. An arrow button at each end and a track between them on
// which a descendant places a handle; it finds the zone under the mouse, draws
// each zone in the classic look or the library's flat look (rbsMac), repeats
// presses on buttons and tracks with a timer, highlights the zone under the
// mouse and draws an optional one-pixel sunken border around the client area.
// TArrowBarAccess hands the look properties on to one or two bars.
#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>

#include "gfx/bitmap32.h"
#include "gfx/controls/custom_control.h"
#include "gfx/controls/gdi_canvas.h"
#include "gfx/controls/lock_scope.h"

namespace gfx {

enum TRBDirection : uint8_t { drLeft, drUp, drRight, drDown };
// A set of directions, used for the sides of a rectangle (left, top, right, bottom).
using TRBDirections = uint8_t;
constexpr TRBDirections DirectionBit(TRBDirection D) { return TRBDirections(1u << D); }
constexpr TRBDirections AllDirections = 0x0F;

enum TRBZone : uint8_t { zNone, zBtnPrev, zTrackPrev, zHandle, zTrackNext, zBtnNext };
enum TRBStyle : uint8_t { rbsDefault, rbsMac };
enum TRBBackgnd : uint8_t { bgPattern, bgSolid };
using TRBIncrement = uint16_t; // 1 .. 32768
enum TBorderStyle : uint8_t { bsNone, bsSingle };
enum TScrollBarKind : uint8_t { sbHorizontal, sbVertical };

class TArrowBar : public TCustomControl {
  public:
    explicit TArrowBar(QWidget* Parent = nullptr);
    ~TArrowBar() override;
    std::string ClassName() const override { return "TArrowBar"; }

    // --- Look ----------------------------------------------------------------
    TRBBackgnd Backgnd() const { return Backgnd_; }
    void SetBackgnd(TRBBackgnd Value);
    TBorderStyle BorderStyle() const { return BorderStyle_; }
    void SetBorderStyle(TBorderStyle Value);
    // Arrow button length in pixels; 0 chooses it from the bar's thickness.
    int32_t ButtonSize() const { return ButtonSize_; }
    void SetButtonSize(int32_t Value);
    TWinColor HandleColor() const { return HandleColor_; }
    void SetHandleColor(TWinColor Value);
    TScrollBarKind Kind() const { return Kind_; }
    // At run time the bar keeps its size; only a designer swaps width and height.
    void SetKind(TScrollBarKind Value);
    bool ShowArrows() const { return ShowArrows_; }
    void SetShowArrows(bool Value);
    bool ShowHandleGrip() const { return ShowHandleGrip_; }
    void SetShowHandleGrip(bool Value);
    TRBStyle Style() const { return Style_; }
    void SetStyle(TRBStyle Value);

    // --- Geometry (client coordinates) -------------------------------------
    TRBZone GetZone(int32_t X, int32_t Y);
    TRect GetZoneRect(TRBZone Zone);
    // 0 without arrows; else ButtonSize or the thickness (at most 32), at
    // most half the length, one less in rbsMac, and 0 below 2.
    int32_t GetButtonSize();
    // The client area less the two buttons, and its length along the bar.
    TRect GetTrackBoundary();
    int32_t TrackLength();
    // 1 with a single border, else 0.
    int32_t GetBorderSize() const { return BorderStyle_ == bsSingle ? 1 : 0; }

    // Every change of the value; then OnUserChange for changes the user made.
    TNotifyEvent OnChange;
    TNotifyEvent OnUserChange;

  protected:
    // Timer states.
    static constexpr int32_t kFirstDelay = 1, kRepeating = 2, kHoverTracking = 3;

    virtual void DoChange();
    virtual void DoDrawButton(TRect R, TRBDirection Direction, bool Pushed, bool Enabled, bool Hot);
    virtual void DoDrawHandle(TRect R, bool Horz, bool Pushed, bool Hot);
    virtual void DoDrawTrack(TRect R, TRBDirection Direction, bool Pushed, bool Enabled, bool Hot);
    // Whether the bar draws and acts as enabled; descendants narrow it.
    virtual bool DrawEnabled() const { return Enabled(); }
    // Empty here; descendants place their handle on the track.
    virtual TRect GetHandleRect() { return {0, 0, 0, 0}; }
    // The pointer left the bar: hover tracking stops.
    virtual void MouseLeft();
    // Every tick of the repeat timer, and once at a press: the first delay
    // gives way to repeating; hover tracking ends when the pointer is outside.
    virtual void TimerHandler();
    // The sunken border around the client area, onto the whole control.
    virtual void DrawNCArea(TGdiCanvas& Window);

    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseLeave() override { MouseLeft(); }
    void EnabledChanged() override { Invalidate(); }
    int32_t NonClientSize() const override { return GetBorderSize(); }

    // Press: 600 ms to the first repeat, one step at once. Release (or the
    // end of the range): hover tracking every 150 ms.
    void StartDragTracking();
    void StopDragTracking() { StartHoverTracking(); }
    void StartHoverTracking();
    void StopHoverTracking();
    // The part of the track boundary Size long that starts Offset pixels
    // after the track's start.
    TRect HandleOnTrack(int32_t Offset, int32_t Size);
    // After a press: on the handle, a drag from Position starts (it does not repeat).
    void BeginHandleDrag(float Position);
    // How far (X, Y) lies from the press along the bar.
    int64_t DragDistance(int32_t X, int32_t Y) const;
    // The pointer in client coordinates, clamped into the client area.
    TPoint ClampedCursorPos() const;
    // One step of the press in progress, as the user's change: a button
    // steps ButtonStep(-1 or +1) and ends the repeat when that changed
    // nothing (the end of the range); a track steps TrackStep(-1 or +1) while
    // the pointer is on that side of the handle.
    void StepPressedZone(const std::function<bool(int Sign)>& ButtonStep,
                         const std::function<void(int Sign)>& TrackStep);
    // Another border or look: Qt has no window to make again, only a repaint.
    void RecreateWnd() { Invalidate(); }
    // The canvas of the paint in progress, onto the client area.
    TGdiCanvas& DrawCanvas() { return *DrawCanvas_; }

    bool UserChanging = false;
    TRBZone PressedZone = zNone;
    TRBZone HoverZone = zNone;
    QTimer* RepeatTimer;
    int32_t RepeatTimerState = 0;
    TPoint PressPoint;
    float PressPosition = 0;

  private:
    TRBBackgnd Backgnd_ = bgPattern;
    TBorderStyle BorderStyle_ = bsSingle;
    int32_t ButtonSize_ = 0;
    TWinColor HandleColor_ = clBtnShadow;
    TScrollBarKind Kind_ = sbHorizontal;
    bool ShowArrows_ = true;
    bool ShowHandleGrip_ = true;
    TRBStyle Style_ = rbsDefault;
    TBitmap32 PaintBitmap_; // the picture of the whole control, copied to the window
    TGdiCanvas* DrawCanvas_ = nullptr;
};

// Sets look properties on Primary and, when given, on Secondary; reads them
// from Primary.
class TArrowBarAccess : public TPersistent {
  public:
    std::string ClassName() const override { return "TArrowBarAccess"; }

    TWinColor Color() const { return Primary->Color(); }
    void SetColor(TWinColor Value) { Both(&TArrowBar::SetColor, Value); }
    TRBBackgnd Backgnd() const { return Primary->Backgnd(); }
    void SetBackgnd(TRBBackgnd Value) { Both(&TArrowBar::SetBackgnd, Value); }
    int32_t ButtonSize() const { return Primary->ButtonSize(); }
    void SetButtonSize(int32_t Value) { Both(&TArrowBar::SetButtonSize, Value); }
    TWinColor HandleColor() const { return Primary->HandleColor(); }
    void SetHandleColor(TWinColor Value) { Both(&TArrowBar::SetHandleColor, Value); }
    bool ShowArrows() const { return Primary->ShowArrows(); }
    void SetShowArrows(bool Value) { Both(&TArrowBar::SetShowArrows, Value); }
    bool ShowHandleGrip() const { return Primary->ShowHandleGrip(); }
    void SetShowHandleGrip(bool Value) { Both(&TArrowBar::SetShowHandleGrip, Value); }
    TRBStyle Style() const { return Primary->Style(); }
    void SetStyle(TRBStyle Value) { Both(&TArrowBar::SetStyle, Value); }

    TArrowBar* Primary = nullptr;
    TArrowBar* Secondary = nullptr;

  protected:
    template <typename Bar, typename V> void Both(void (Bar::*Setter)(V), V Value) {
        (static_cast<Bar*>(Primary)->*Setter)(Value);
        if (Secondary) (static_cast<Bar*>(Secondary)->*Setter)(Value);
    }
};

// --- The unit's drawing routines ---------------------------------------------

// A colour (system colours resolved) with Amount added to each channel, clamped.
TWinColor ShadeColor(TWinColor Color, int32_t Amount);
// (C1 * W + C2 * (255 - W)) shr 8 per channel; EAssertionFailed for W >= 256.
TWinColor MixColors(TWinColor C1, TWinColor C2, int32_t W);
// R in the dither of C1 and C2, or solid when they are equal; nothing when empty.
void FillTrackRect(TGdiCanvas& Canvas, const TRect& R, TWinColor C1, TWinColor C2);
// One-pixel lines along the given sides, each taken off R.
void DrawRectSides(TGdiCanvas& Canvas, TRect& R, TRBDirections Sides, TWinColor Color);
// A one-pixel bevel; R becomes its inside when Shrink is set.
void DrawBevel(TGdiCanvas& Canvas, TRect& R, TWinColor TopLeft, TWinColor BottomRight, bool Shrink);
// A filled triangle pointing in Direction, centred in R.
void DrawArrow(TGdiCanvas& Canvas, const TRect& R, TRBDirection Direction, TWinColor Color);
// The flat look's handle: framed, bevelled, filled, with grip bars.
void DrawMacHandle(TGdiCanvas& Canvas, TRect R, TWinColor Color, bool Horz, bool ShowGrip, bool Pushed);

} // namespace gfx
