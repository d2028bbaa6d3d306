#include "gfx/controls/rubberband_layer.h"

#include <cstdlib>

namespace gfx {

namespace {
// The screen cursor per drag state (dsMove shows the layer's own).
constexpr TCursor kDragCursors[] = {
    crDefault,  // dsNone
    crDefault,  // dsMove
    crSizeWE,   // dsSizeL
    crSizeNS,   // dsSizeT
    crSizeWE,   // dsSizeR
    crSizeNS,   // dsSizeB
    crSizeNWSE, // dsSizeTL
    crSizeNESW, // dsSizeTR
    crSizeNESW, // dsSizeBL
    crSizeNWSE, // dsSizeBR
};

// The edges each resize state moves.
struct Edges {
    bool Left, Right, Top, Bottom;
};
constexpr Edges kMovedEdges[] = {
    {false, false, false, false}, // dsNone
    {false, false, false, false}, // dsMove
    {true, false, false, false},  // dsSizeL
    {false, false, true, false},  // dsSizeT
    {false, true, false, false},  // dsSizeR
    {false, false, false, true},  // dsSizeB
    {true, false, true, false},   // dsSizeTL
    {false, true, true, false},   // dsSizeTR
    {true, false, false, true},   // dsSizeBL
    {false, true, false, true},   // dsSizeBR
};

// The low edge (left or top) moved to M, the span then held within Min .. Max.
float MoveLowEdge(long double M, float High, float Min, float Max) {
    long double Edge = M;
    if (High - Edge < Min) Edge = High - static_cast<long double>(Min);
    if (Max >= Min && High - Edge > Max) Edge = High - static_cast<long double>(Max);
    return float(Edge);
}

float MoveHighEdge(long double M, float Low, float Min, float Max) {
    long double Edge = M;
    if (Edge - Low < Min) Edge = Low + static_cast<long double>(Min);
    if (Max >= Min && Edge - Low > Max) Edge = Low + static_cast<long double>(Max);
    return float(Edge);
}
} // namespace

TRubberbandLayer::TRubberbandLayer(TLayerCollection* Collection) : TPositionedLayer(Collection) {
    SetOptionsQuietly(LayerOptVisible | LayerOptMouseEvents);
}

TRubberbandLayer::~TRubberbandLayer() {
    BeforeDestruction();
    // The child may outlive this layer: it must not call back into it.
    if (ChildLayer_) ChildLayer_->RemoveNotification(this);
    ChildLayer_ = nullptr;
}

bool TRubberbandLayer::WouldFollowItself(const TPositionedLayer* Value) const {
    // The chain from Value has no ring (none is ever made), so it ends.
    for (const TPositionedLayer* Layer = Value; Layer;) {
        if (Layer == this) return true;
        const auto* Band = dynamic_cast<const TRubberbandLayer*>(Layer);
        Layer = Band ? Band->ChildLayer_ : nullptr;
    }
    return false;
}

void TRubberbandLayer::SetChildLayer(TPositionedLayer* Value) {
    // A band that followed itself, directly or through bands that follow
    // bands, would pass its location round for ever.
    if (WouldFollowItself(Value)) Value = nullptr;
    if (ChildLayer_) ChildLayer_->RemoveNotification(this);
    ChildLayer_ = Value;
    if (Value) {
        SetLocation(Value->Location());
        SetScaled(Value->Scaled());
        Value->AddNotification(this);
    }
    FollowChild();
}

void TRubberbandLayer::Notification(TCustomLayer* Layer) {
    if (Layer == ChildLayer_) {
        Layer->RemoveNotification(this);
        ChildLayer_ = nullptr;
    }
    FollowChild();
}

void TRubberbandLayer::DoSetLocation(const TFloatRect& Value) {
    TPositionedLayer::DoSetLocation(Value);
    UpdateChildLayer();
}

void TRubberbandLayer::UpdateChildLayer() {
    if (ChildLayer_) ChildLayer_->SetLocation(Location());
}

template <typename T> void TRubberbandLayer::ChangeLook(T& Field, T Value) {
    if (Value == Field) return;
    Field = Value;
    if (LayerCollection()) LayerCollection()->GDIUpdate();
}

void TRubberbandLayer::SetHandleFill(TWinColor Value) { ChangeLook(HandleFill_, Value); }
void TRubberbandLayer::SetHandleFrame(TWinColor Value) { ChangeLook(HandleFrame_, Value); }
void TRubberbandLayer::SetHandles(TRBHandles Value) { ChangeLook(Handles_, Value); }
void TRubberbandLayer::SetHandleSize(int32_t Value) { ChangeLook(HandleSize_, std::max(Value, 1)); }

TG32DragState TRubberbandLayer::GetDragState(int32_t X, int32_t Y) {
    TRect R = MakeRect(GetAdjustedLocation(), rrClosest);
    --R.Right;
    --R.Bottom;
    const int64_t T = int64_t(HandleSize_) + 1;
    auto Near = [T](int64_t A, int64_t B) { return std::llabs(A - B) <= T; };
    const bool L = Near(R.Left, X), Rt = Near(R.Right, X), CX = Near((int64_t(R.Left) + R.Right) / 2, X);
    const bool Tp = Near(R.Top, Y), B = Near(R.Bottom, Y), CY = Near((int64_t(R.Top) + R.Bottom) / 2, Y);
    if (Handles_ & rhCorners) {
        if (Rt && B) return dsSizeBR;
        if (L && B) return dsSizeBL;
        if (Rt && Tp) return dsSizeTR;
        if (L && Tp) return dsSizeTL;
    }
    if (Handles_ & rhSides) {
        if (Rt && CY) return dsSizeR;
        if (B && CX) return dsSizeB;
        if (L && CY) return dsSizeL;
        if (Tp && CX) return dsSizeT;
    }
    if ((Handles_ & rhCenter) && PtInRect(R, {X, Y})) return dsMove;
    return dsNone;
}

void TRubberbandLayer::DoResizing(const TFloatRect& Old, TFloatRect& New, TG32DragState State,
                                  TShiftState Shift) {
    if (OnDragResizing) OnDragResizing(this, Old, New, State, Shift);
}

void TRubberbandLayer::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    if (Dragging) return; // one drag at a time
    DragState = GetDragState(X, Y);
    Dragging = DragState != dsNone;
    if (Dragging) {
        OldLocation = Location();
        const TFloatRect A = GetAdjustedLocation();
        GrabOffset = DragState == dsMove ? TFloatPoint{X - A.Left, Y - A.Top} : TFloatPoint{0, 0};
    }
    TCustomLayer::MouseDown(Button, Shift, X, Y);
}

void TRubberbandLayer::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
    if (!Dragging) {
        DragState = GetDragState(X, Y);
        ShowScreenCursor(DragState == dsMove ? Cursor() : kDragCursors[DragState]);
        return;
    }
    long double MX = X - static_cast<long double>(GrabOffset.X),
                MY = Y - static_cast<long double>(GrabOffset.Y);
    if (Scaled()) {
        // The pointer back in the units of Location.
        const TFloatRect L = Location(), A = GetAdjustedLocation();
        if (IsRectEmptyF(A)) return;
        MX = (MX - A.Left) / (static_cast<long double>(A.Right) - A.Left) * (L.Right - L.Left) + L.Left;
        MY = (MY - A.Top) / (static_cast<long double>(A.Bottom) - A.Top) * (L.Bottom - L.Top) + L.Top;
    }
    // Every step starts from where the drag began.
    TFloatRect R = OldLocation;
    if (DragState == dsMove) {
        R = {float(MX), float(MY), float(MX + (static_cast<long double>(R.Right) - R.Left)),
             float(MY + (static_cast<long double>(R.Bottom) - R.Top))};
    } else {
        const Edges& E = kMovedEdges[DragState];
        if (E.Left) R.Left = MoveLowEdge(MX, R.Right, MinDragWidth, MaxDragWidth);
        if (E.Right) R.Right = MoveHighEdge(MX, R.Left, MinDragWidth, MaxDragWidth);
        if (E.Top) R.Top = MoveLowEdge(MY, R.Bottom, MinDragHeight, MaxDragHeight);
        if (E.Bottom) R.Bottom = MoveHighEdge(MY, R.Top, MinDragHeight, MaxDragHeight);
    }
    TFloatRect NewLocation = R;
    DoResizing(OldLocation, NewLocation, DragState, Shift);
    if (NewLocation == Location()) return;
    SetLocation(NewLocation);
    if (OnUserDrag) OnUserDrag(this);
}

void TRubberbandLayer::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    Dragging = false;
    TCustomLayer::MouseUp(Button, Shift, X, Y);
}

void TRubberbandLayer::Paint(TBitmap32* Buffer) {
    const TRect R = MakeRect(GetAdjustedLocation(), rrClosest);
    if (Handles_ & rhFrame) {
        Buffer->SetStipple({0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000, 0xFF000000});
        Buffer->StippleCounter = 0;
        Buffer->StippleStep = 1;
        Buffer->FrameRectTSP(R.Left, R.Top, R.Right, R.Bottom);
    }
    // The handle colours are framework colours: system colours resolve, and
    // every handle is opaque.
    const TColor32 Fill = Color32(HandleFill_), Frame = Color32(HandleFrame_);
    auto Handle = [&](int32_t X, int32_t Y) {
        const TRect H{X - HandleSize_, Y - HandleSize_, X + HandleSize_, Y + HandleSize_};
        Buffer->FillRectS(H, Fill);
        Buffer->FrameRectS(H, Frame);
    };
    if (Handles_ & rhCorners) {
        Handle(R.Left, R.Top);
        Handle(R.Right, R.Top);
        Handle(R.Left, R.Bottom);
        Handle(R.Right, R.Bottom);
    }
    if (Handles_ & rhSides) {
        const auto CX = int32_t((int64_t(R.Left) + R.Right) / 2),
                   CY = int32_t((int64_t(R.Top) + R.Bottom) / 2);
        Handle(CX, R.Top);
        Handle(R.Left, CY);
        Handle(R.Right, CY);
        Handle(CX, R.Bottom);
    }
}

} // namespace gfx
