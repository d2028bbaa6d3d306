#include "gfx/controls/gauge_bar.h"

#include "gfx/float_math.h"

namespace gfx {

void TCustomGaugeBar::SetPosition(int32_t Value) {
    Value = std::clamp(Value, Min_, Max_);
    if (Value == Position_) return;
    Position_ = Value;
    Invalidate();
    DoChange();
}

void TCustomGaugeBar::StepPosition(int64_t Step) {
    SetPosition(int32_t(std::clamp<int64_t>(int64_t(Position_) + Step, Min_, Max_)));
}

void TCustomGaugeBar::AdjustPosition() {
    if (Position_ < Min_)
        SetPosition(Min_);
    else if (Position_ > Max_)
        SetPosition(Max_);
}

void TCustomGaugeBar::SetMax(int32_t Value) {
    if (Value <= Min_) Value = Min_ + 1; // Min_ < Max_, so Min_ + 1 fits
    if (Value == Max_) return;
    Max_ = Value;
    AdjustPosition();
    Invalidate();
}

void TCustomGaugeBar::SetMin(int32_t Value) {
    if (Value >= Max_) Value = Max_ - 1;
    if (Value == Min_) return;
    Min_ = Value;
    AdjustPosition();
    Invalidate();
}

void TCustomGaugeBar::SetHandleSize(int32_t Value) {
    Value = std::max(Value, 0);
    if (Value == HandleSize_) return;
    HandleSize_ = Value;
    Invalidate();
}

int32_t TCustomGaugeBar::GetHandleSize() {
    int32_t H = HandleSize_;
    if (H == 0) H = Kind() == sbHorizontal ? ClientHeight() : ClientWidth();
    const int32_t N = TrackLength();
    if (int64_t(N) - H < 1) H = N - 1;
    return std::max(H, 0);
}

TRect TCustomGaugeBar::GetHandleRect() {
    const int32_t H = GetHandleSize();
    const int64_t Free = int64_t(TrackLength()) - H;
    // In 64 bits: a wide range times a long track does not wrap.
    const int32_t Offset =
        RoundToInt(static_cast<long double>(Free * (int64_t(Position_) - Min_)) / (int64_t(Max_) - Min_));
    return HandleOnTrack(Offset, H);
}

void TCustomGaugeBar::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    TArrowBar::MouseDown(Button, Shift, X, Y);
    BeginHandleDrag(float(Position_));
}

void TCustomGaugeBar::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
    TArrowBar::MouseMove(Shift, X, Y);
    if (PressedZone != zHandle) return;
    const int64_t D = DragDistance(X, Y);
    // The handle moves over the track less its own length; with none left
    // there is nothing to drag.
    const int64_t Free = int64_t(TrackLength()) - GetHandleSize();
    if (Free <= 0) return;
    const long double Wanted =
        PressPosition + static_cast<long double>(int64_t(Max_) - Min_) * static_cast<long double>(D) / Free;
    TFlagScope Changing(UserChanging); // the user's change
    SetPosition(RoundToInt(std::clamp<long double>(Wanted, Min_, Max_)));
}

bool TCustomGaugeBar::DoMouseWheel(TShiftState Shift, int32_t WheelDelta, TPoint MousePos) {
    if (!TArrowBar::DoMouseWheel(Shift, WheelDelta, MousePos))
        StepPosition(int64_t(SmallChange_) * WheelDelta / 120);
    return true;
}

void TCustomGaugeBar::TimerHandler() {
    TArrowBar::TimerHandler();
    StepPressedZone(
        [this](int Sign) {
            const int32_t Old = Position_;
            StepPosition(int64_t(Sign) * SmallChange_);
            return Position_ != Old;
        },
        [this](int Sign) { StepPosition(int64_t(Sign) * LargeChange_); });
}

} // namespace gfx
