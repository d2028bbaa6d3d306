#include "gfx/controls/range_bar.h"

#include <cmath>

#include "gfx/float_math.h"
#include "platform/exceptions.h"

namespace gfx {

void TCustomRangeBar::SetPosition(float Value) {
    if (std::isnan(Value)) throw platform::EInvalidOp();
    if (Value == Position_) return;
    const float Old = Position_;
    Position_ = Value;
    AdjustPosition();
    if (Position_ == Old) return;
    Invalidate();
    DoChange();
}

void TCustomRangeBar::AdjustPosition() {
    const int32_t Last = Range_ - EffectiveWindow_;
    if (Position_ > Last) Position_ = float(Last);
    if (Position_ < 0) Position_ = 0;
}

void TCustomRangeBar::UpdateEffectiveWindow() {
    EffectiveWindow_ = Window_ > 0 ? Window_ : Kind() == sbVertical ? Height() : Width();
}

void TCustomRangeBar::CentreOn(long double Fraction) {
    Position_ = ToSingle(Range_ * Fraction - EffectiveWindow_ * 0.5L);
}

void TCustomRangeBar::SetParams(int32_t NewRange, int32_t NewWindow) {
    NewRange = std::max(NewRange, 0);
    NewWindow = std::max(NewWindow, 0);
    if (NewRange == Range_ && NewWindow == EffectiveWindow_) return;
    const int32_t OldRange = Range_, OldWindow = EffectiveWindow_;
    Range_ = NewRange;
    Window_ = NewWindow;
    UpdateEffectiveWindow();
    if (Centered && Range_ > EffectiveWindow_)
        CentreOn(OldRange > OldWindow && OldRange != 0 ? (OldWindow * 0.5L + Position_) / OldRange : 0.5L);
    AdjustPosition();
    Invalidate();
}

void TCustomRangeBar::Resize() {
    if (Centered) {
        const int32_t OldWindow = EffectiveWindow_;
        UpdateEffectiveWindow();
        if (Range_ > EffectiveWindow_)
            CentreOn(Range_ > OldWindow ? (OldWindow * 0.5L + Position_) / Range_ : 0.5L);
    }
    AdjustPosition();
    TArrowBar::Resize();
}

TRect TCustomRangeBar::GetHandleRect() {
    const int32_t N = TrackLength();
    if (N < 18) return {0, 0, 0, 0};
    if (Range_ <= EffectiveWindow_) return GetTrackBoundary();
    // The products are taken in 64 bits: a long track over a large range
    // does not wrap.
    int32_t Size = RoundToInt(static_cast<long double>(int64_t(N) * EffectiveWindow_) / Range_);
    int32_t Offset;
    if (Size < 17) {
        Size = 17;
        Offset = RoundToInt(static_cast<long double>(N - 17) * Position_ / (Range_ - EffectiveWindow_));
    } else {
        Offset = RoundToInt(static_cast<long double>(N) * Position_ / Range_);
    }
    return HandleOnTrack(Offset, Size);
}

void TCustomRangeBar::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    if (Range_ <= EffectiveWindow_) {
        PressedZone = zNone; // nothing to scroll: the press is ignored
        return;
    }
    TArrowBar::MouseDown(Button, Shift, X, Y);
    BeginHandleDrag(Position_);
}

void TCustomRangeBar::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
    TArrowBar::MouseMove(Shift, X, Y);
    if (PressedZone != zHandle || Range_ <= EffectiveWindow_) return;
    const int64_t D = DragDistance(X, Y);
    // The handle's own track: a short handle (17 pixels) moves over the
    // track less its length. A track too short for that takes no drag.
    const int32_t N = TrackLength();
    const int32_t Size =
        N > 0 ? RoundToInt(static_cast<long double>(int64_t(N) * EffectiveWindow_) / Range_) : 0;
    long double Change;
    if (Size < 17) {
        if (N - 17 <= 0) return;
        Change = RoundToInt(static_cast<long double>(int64_t(Range_ - EffectiveWindow_) * D) / (N - 17));
    } else {
        Change = static_cast<long double>(Range_) * D / N;
    }
    TFlagScope Changing(UserChanging); // the user's change
    SetPosition(ToSingle(PressPosition + Change));
}

bool TCustomRangeBar::DoMouseWheel(TShiftState Shift, int32_t WheelDelta, TPoint MousePos) {
    if (!TArrowBar::DoMouseWheel(Shift, WheelDelta, MousePos))
        SetPosition(ToSingle(Position_ + static_cast<long double>(Increment_) * WheelDelta / 120));
    return true;
}

void TCustomRangeBar::TimerHandler() {
    TArrowBar::TimerHandler();
    StepPressedZone(
        [this](int Sign) {
            const float Old = Position_;
            SetPosition(ToSingle(Position_ + static_cast<long double>(Sign) * Increment_));
            return Position_ != Old;
        },
        [this](int Sign) {
            SetPosition(ToSingle(Position_ + static_cast<long double>(Sign) * EffectiveWindow_));
        });
}

} // namespace gfx
