// TArrowBar: properties, geometry, mouse and timer.
#include "gfx/controls/arrow_bar.h"

#include <algorithm>

#include "platform_qt/guarded.h"

namespace gfx {

TArrowBar::TArrowBar(QWidget* Parent) : TCustomControl(Parent), RepeatTimer(new QTimer(this)) {
    // The bar paints every pixel of itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    SetBounds(0, 0, 100, 16);
    SetColor(clScrollBar);
    // A coarse timer may fire up to 5 % early; the first repeat must not come before 600 ms.
    RepeatTimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(RepeatTimer, &QTimer::timeout, this,
                     [this] { platform_qt::RunGuarded(this, [this] { TimerHandler(); }); });
}

TArrowBar::~TArrowBar() = default;

namespace {
template <typename T> bool Store(T& Field, T Value) {
    if (Field == Value) return false;
    Field = Value;
    return true;
}
} // namespace

void TArrowBar::SetBackgnd(TRBBackgnd Value) {
    if (Store(Backgnd_, Value)) Invalidate();
}

void TArrowBar::SetButtonSize(int32_t Value) {
    if (Store(ButtonSize_, Value)) Invalidate();
}

void TArrowBar::SetHandleColor(TWinColor Value) {
    if (Store(HandleColor_, Value)) Invalidate();
}

void TArrowBar::SetShowArrows(bool Value) {
    if (Store(ShowArrows_, Value)) Invalidate();
}

void TArrowBar::SetShowHandleGrip(bool Value) {
    if (Store(ShowHandleGrip_, Value)) Invalidate();
}

void TArrowBar::SetBorderStyle(TBorderStyle Value) {
    if (Store(BorderStyle_, Value)) RecreateWnd();
}

void TArrowBar::SetStyle(TRBStyle Value) {
    Style_ = Value;
    RecreateWnd();
}

void TArrowBar::SetKind(TScrollBarKind Value) {
    if (!Store(Kind_, Value)) return;
    if (Designing()) SetBounds(Left(), Top(), Height(), Width());
    Invalidate();
}

void TArrowBar::DoChange() {
    if (OnChange) OnChange(this);
    if (UserChanging && OnUserChange) OnUserChange(this);
}

int32_t TArrowBar::GetButtonSize() {
    if (!ShowArrows_) return 0;
    const bool Horz = Kind_ == sbHorizontal;
    const int32_t L = Horz ? ClientWidth() : ClientHeight();
    const int32_t T = Horz ? ClientHeight() : ClientWidth();
    int32_t B = ButtonSize_;
    if (B == 0) B = std::min(T, 32);
    if (2 * int64_t(B) >= L) B = L / 2;
    if (Style_ == rbsMac) --B;
    return B < 2 ? 0 : B;
}

TRect TArrowBar::GetTrackBoundary() {
    TRect R = ClientRect();
    const int32_t B = GetButtonSize();
    if (Kind_ == sbHorizontal)
        R.Left += B, R.Right -= B;
    else
        R.Top += B, R.Bottom -= B;
    return R;
}

int32_t TArrowBar::TrackLength() {
    const TRect T = GetTrackBoundary();
    return Kind_ == sbHorizontal ? T.Right - T.Left : T.Bottom - T.Top;
}

TRect TArrowBar::HandleOnTrack(int32_t Offset, int32_t Size) {
    TRect R = GetTrackBoundary();
    if (Kind_ == sbHorizontal) {
        R.Left += Offset;
        R.Right = R.Left + Size;
    } else {
        R.Top += Offset;
        R.Bottom = R.Top + Size;
    }
    return R;
}

void TArrowBar::BeginHandleDrag(float Position) {
    if (PressedZone != zHandle) return;
    StopDragTracking();
    PressPosition = Position;
}

int64_t TArrowBar::DragDistance(int32_t X, int32_t Y) const {
    return Kind_ == sbHorizontal ? int64_t(X) - PressPoint.X : int64_t(Y) - PressPoint.Y;
}

TRBZone TArrowBar::GetZone(int32_t X, int32_t Y) {
    const TRect K = ClientRect();
    if (!PtInRect(K, {X, Y})) return zNone;
    const int32_t B = GetButtonSize();
    const bool Horz = Kind_ == sbHorizontal;
    TRect Prev = K, Next = K;
    if (Horz)
        Prev.Right = Prev.Left + B, Next.Left = Next.Right - B;
    else
        Prev.Bottom = Prev.Top + B, Next.Top = Next.Bottom - B;
    if (PtInRect(Prev, {X, Y})) return zBtnPrev;
    if (PtInRect(Next, {X, Y})) return zBtnNext;
    const TRect H = GetHandleRect();
    if (PtInRect(H, {X, Y})) return zHandle;
    // The first and the last column (or row) belong to no track zone.
    const int32_t A = Horz ? X : Y;
    const int32_t Start = Horz ? H.Left : H.Top, End = Horz ? H.Right : H.Bottom;
    const int32_t Length = Horz ? ClientWidth() : ClientHeight();
    if (A > 0 && A < Start) return zTrackPrev;
    if (A >= End && A < Length - 1) return zTrackNext;
    return zNone;
}

TRect TArrowBar::GetZoneRect(TRBZone Zone) {
    const bool Horz = Kind_ == sbHorizontal;
    const int32_t B = GetButtonSize();
    TRect K = ClientRect();
    switch (Zone) {
    case zBtnPrev:
        if (Horz)
            K.Right = K.Left + B;
        else
            K.Bottom = K.Top + B;
        return K;
    case zBtnNext:
        if (Horz)
            K.Left = K.Right - B;
        else
            K.Top = K.Bottom - B;
        return K;
    case zTrackPrev:
    case zHandle:
    case zTrackNext: {
        TRect R = GetTrackBoundary();
        TRect H = GetHandleRect();
        if (!DrawEnabled() || IsRectEmpty(H)) {
            const int32_t CX = (R.Left + R.Right) / 2, CY = (R.Top + R.Bottom) / 2;
            H = {CX, CY, CX, CY};
        }
        if (Zone == zHandle) return H;
        if (Zone == zTrackPrev) {
            if (Horz)
                R.Right = H.Left;
            else
                R.Bottom = H.Top;
        } else if (Horz) {
            R.Left = H.Right;
        } else {
            R.Top = H.Bottom;
        }
        return R;
    }
    default: return {0, 0, 0, 0};
    }
}

void TArrowBar::Paint() {
    PaintBitmap_.SetSize(std::max(Width(), 1), std::max(Height(), 1));
    PaintBitmap_.Clear(Color32(Color()));
    const int32_t Border = GetBorderSize();
    TGdiCanvas Client(PaintBitmap_, {Border, Border},
                      {Border, Border, Border + ClientWidth(), Border + ClientHeight()});
    DrawCanvas_ = &Client;
    struct Unbind {
        TGdiCanvas*& C;
        ~Unbind() { C = nullptr; }
    } Bound{DrawCanvas_};

    const bool Horz = Kind_ == sbHorizontal;
    const bool Enabled = DrawEnabled();
    if (ShowArrows_) {
        DoDrawButton(GetZoneRect(zBtnPrev), Horz ? drLeft : drUp, PressedZone == zBtnPrev, Enabled,
                     HoverZone == zBtnPrev);
        DoDrawButton(GetZoneRect(zBtnNext), Horz ? drRight : drDown, PressedZone == zBtnNext, Enabled,
                     HoverZone == zBtnNext);
    }
    const TRect H = Enabled ? GetHandleRect() : TRect{0, 0, 0, 0};
    DoDrawTrack(GetZoneRect(zTrackPrev), Horz ? drLeft : drUp, PressedZone == zTrackPrev, Enabled,
                HoverZone == zTrackPrev);
    DoDrawTrack(GetZoneRect(zTrackNext), Horz ? drRight : drDown, PressedZone == zTrackNext, Enabled,
                HoverZone == zTrackNext);
    if (!IsRectEmpty(H)) DoDrawHandle(H, Horz, PressedZone == zHandle, HoverZone == zHandle);

    TGdiCanvas Window(PaintBitmap_);
    DrawNCArea(Window);
    PaintBitmap_.DrawTo(Canvas()->Handle(), 0, 0);
}

void TArrowBar::DrawNCArea(TGdiCanvas& Window) {
    if (BorderStyle_ == bsNone) return;
    Window.DrawEdge({0, 0, Width(), Height()}, BDR_SUNKENOUTER, BF_RECT);
}

void TArrowBar::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    PressedZone = GetZone(X, Y);
    Invalidate();
    PressPoint = {X, Y};
    StartDragTracking();
}

void TArrowBar::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (PressedZone != zNone || !DrawEnabled()) return;
    const TRBZone Zone = GetZone(X, Y);
    if (Zone == HoverZone) return;
    HoverZone = Zone;
    if (Zone != zNone) StartHoverTracking();
    Invalidate();
}

void TArrowBar::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    PressedZone = zNone;
    Invalidate();
    StopDragTracking();
}

void TArrowBar::MouseLeft() { StopHoverTracking(); }

void TArrowBar::StartDragTracking() {
    RepeatTimer->setInterval(600);
    RepeatTimerState = kRepeating;
    TimerHandler(); // the first step comes with the press
    RepeatTimerState = kFirstDelay;
    RepeatTimer->start();
}

void TArrowBar::StartHoverTracking() {
    RepeatTimer->setInterval(150);
    RepeatTimerState = kHoverTracking;
    RepeatTimer->start();
}

void TArrowBar::StopHoverTracking() {
    RepeatTimer->stop();
    HoverZone = zNone;
    Invalidate();
}

TPoint TArrowBar::ClampedCursorPos() const {
    const TPoint P = CursorPos();
    return {std::clamp(P.X, 0, std::max(ClientWidth() - 1, 0)),
            std::clamp(P.Y, 0, std::max(ClientHeight() - 1, 0))};
}

void TArrowBar::StepPressedZone(const std::function<bool(int Sign)>& ButtonStep,
                                const std::function<void(int Sign)>& TrackStep) {
    TFlagScope Changing(UserChanging); // the user's change
    switch (PressedZone) {
    case zBtnPrev:
    case zBtnNext:
        if (!ButtonStep(PressedZone == zBtnPrev ? -1 : 1)) StopDragTracking();
        break;
    case zTrackPrev:
    case zTrackNext: {
        const TPoint P = ClampedCursorPos();
        const TRBZone Under = GetZone(P.X, P.Y);
        if (PressedZone == zTrackPrev && (Under == zBtnPrev || Under == zTrackPrev)) TrackStep(-1);
        if (PressedZone == zTrackNext && (Under == zTrackNext || Under == zBtnNext)) TrackStep(1);
        break;
    }
    default: break;
    }
}

void TArrowBar::TimerHandler() {
    switch (RepeatTimerState) {
    case kFirstDelay:
        RepeatTimer->setInterval(100);
        RepeatTimerState = kRepeating;
        break;
    case kHoverTracking:
        if (!PtInRect(ClientRect(), CursorPos())) StopHoverTracking();
        break;
    default: break;
    }
}

} // namespace gfx
