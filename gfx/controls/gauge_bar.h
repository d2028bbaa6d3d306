// TCustomGaugeBar: an integer slider. Position lies between Min and Max; the
// handle has a fixed length; buttons and the wheel step by SmallChange, the
// tracks by LargeChange. TGaugeBar is its published form.
#pragma once

#include "gfx/controls/arrow_bar.h"

namespace gfx {

class TCustomGaugeBar : public TArrowBar {
  public:
    explicit TCustomGaugeBar(QWidget* Parent = nullptr) : TArrowBar(Parent) {}
    std::string ClassName() const override { return "TCustomGaugeBar"; }

    // Handle length; 0 takes the bar's thickness. Negative values store 0.
    int32_t HandleSize() const { return HandleSize_; }
    void SetHandleSize(int32_t Value);
    // Track step and button step, at least 1; neither repaints.
    int32_t LargeChange() const { return LargeChange_; }
    void SetLargeChange(int32_t Value) { LargeChange_ = std::max(Value, 1); }
    int32_t SmallChange() const { return SmallChange_; }
    void SetSmallChange(int32_t Value) { SmallChange_ = std::max(Value, 1); }
    // Max stays above Min: a bound that would reach the other is moved one past it.
    int32_t Max() const { return Max_; }
    void SetMax(int32_t Value);
    int32_t Min() const { return Min_; }
    void SetMin(int32_t Value);
    int32_t Position() const { return Position_; }
    // Clamped to Min .. Max.
    void SetPosition(int32_t Value);
    // The handle's length in pixels: less than the track, never negative.
    int32_t GetHandleSize();

  protected:
    TRect GetHandleRect() override;
    void TimerHandler() override;
    bool DoMouseWheel(TShiftState Shift, int32_t WheelDelta, TPoint MousePos) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;

  private:
    void AdjustPosition();
    // Position moved by Step, clamped (computed in 64 bits).
    void StepPosition(int64_t Step);

    int32_t HandleSize_ = 0;
    int32_t LargeChange_ = 1;
    int32_t Max_ = 100;
    int32_t Min_ = 0;
    int32_t Position_ = 0;
    int32_t SmallChange_ = 1;
};

class TGaugeBar : public TCustomGaugeBar {
  public:
    using TCustomGaugeBar::TCustomGaugeBar;
    std::string ClassName() const override { return "TGaugeBar"; }
};

} // namespace gfx
