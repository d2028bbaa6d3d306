// TCustomRangeBar: a scroll bar for a document. Position runs from 0 to Range
// less the visible Window; the handle's length shows the window's share of the
// range; with Centered the middle of the window stays in place when the range,
// the window or the bar's size changes. TRangeBar is its published form.
#pragma once

#include "gfx/controls/arrow_bar.h"

namespace gfx {

class TCustomRangeBar : public TArrowBar {
  public:
    explicit TCustomRangeBar(QWidget* Parent = nullptr) : TArrowBar(Parent) {}
    std::string ClassName() const override { return "TCustomRangeBar"; }

    // Window when above 0, else the bar's own length (border included).
    int32_t EffectiveWindow() const { return EffectiveWindow_; }
    // Step of the buttons and of one wheel notch, 1 .. 32768.
    TRBIncrement Increment() const { return Increment_; }
    void SetIncrement(TRBIncrement Value) { Increment_ = std::clamp<TRBIncrement>(Value, 1, 32768); }
    // The first visible unit, 0 .. Range - EffectiveWindow.
    float Position() const { return Position_; }
    void SetPosition(float Value);
    int32_t Range() const { return Range_; }
    void SetRange(int32_t Value) { SetParams(Value, Window_); }
    int32_t Window() const { return Window_; }
    void SetWindow(int32_t Value) { SetParams(Range_, Value); }
    // Sets both; moves the position (centred when Centered) without OnChange.
    void SetParams(int32_t NewRange, int32_t NewWindow);
    bool IsPositionStored() const { return Position_ != 0; }

    // Keep the middle of the window in place (set by the bar's owner).
    bool Centered = false;

  protected:
    // Enabled, and something to scroll.
    bool DrawEnabled() const override { return Enabled() && Range_ > EffectiveWindow_; }
    TRect GetHandleRect() override;
    // Buttons step by Increment, tracks by a window while the pointer stays
    // on their side of the handle.
    void TimerHandler() override;
    bool DoMouseWheel(TShiftState Shift, int32_t WheelDelta, TPoint MousePos) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
    void Resize() override;

  private:
    void AdjustPosition();
    void UpdateEffectiveWindow();
    // The position that keeps fraction F of the range in the window's middle.
    void CentreOn(long double Fraction);

    int32_t EffectiveWindow_ = 0;
    TRBIncrement Increment_ = 8;
    float Position_ = 0;
    int32_t Range_ = 0;
    int32_t Window_ = 0;
};

class TRangeBar : public TCustomRangeBar {
  public:
    using TCustomRangeBar::TCustomRangeBar;
    std::string ClassName() const override { return "TRangeBar"; }
};

} // namespace gfx
