#include "gfx/controls/layers.h"

#include <algorithm>

#include "gfx/controls/image32.h"
#include "gfx/float_math.h"
#include "gfx/transforms.h"

namespace gfx {

// --- TCustomLayer -------------------------------------------------------------

TCustomLayer::TCustomLayer(TLayerCollection* Collection) {
    SetLayerCollection(Collection);
    LayerOptions_ = LayerOptVisible;
}

TCustomLayer::~TCustomLayer() {
    BeforeDestruction();
    // Each listed layer is taken off the list before it hears of the end, so
    // a notification may remove entries (its own or others') as it likes.
    while (NotifyList_ && !NotifyList_->empty()) {
        TCustomLayer* Layer = NotifyList_->back();
        NotifyList_->pop_back();
        Layer->Notification(this);
    }
    NotifyList_.reset();
    SetLayerCollection(nullptr);
}

void TCustomLayer::BeforeDestruction() {
    if (Destroying_) return;
    Destroying_ = true;
    if (OnDestroy) OnDestroy(this);
}

void TCustomLayer::AddNotification(TCustomLayer* Layer) {
    if (!NotifyList_) NotifyList_ = std::make_unique<std::vector<TCustomLayer*>>();
    if (std::find(NotifyList_->begin(), NotifyList_->end(), Layer) == NotifyList_->end())
        NotifyList_->push_back(Layer);
}

void TCustomLayer::RemoveNotification(TCustomLayer* Layer) {
    if (!NotifyList_) return;
    NotifyList_->erase(std::remove(NotifyList_->begin(), NotifyList_->end(), Layer), NotifyList_->end());
    if (NotifyList_->empty()) NotifyList_.reset();
}

void TCustomLayer::Changing() {
    if (Visible() && LayerCollection_ && !(LayerOptions_ & LayerOptNoUpdate)) LayerCollection_->Changing();
}

void TCustomLayer::Changed() {
    if (!LayerCollection_ || (LayerOptions_ & LayerOptNoUpdate)) return;
    if (Visible())
        LayerCollection_->Changed();
    else if (LayerOptions_ & LayerOptGdiOverlay)
        LayerCollection_->GDIUpdate();
}

void TCustomLayer::SetLayerOptions(uint32_t Value) {
    const bool WasVisible = Visible();
    Changing();
    LayerOptions_ = Value;
    // A layer that has just been hidden must leave the picture too.
    if (WasVisible && !Visible() && LayerCollection_ && !(LayerOptions_ & LayerOptNoUpdate))
        LayerCollection_->Changed();
    else
        Changed();
}

void TCustomLayer::ShowScreenCursor(TCursor Value) const {
    if (LayerCollection_) LayerCollection_->SetScreenCursor(Value);
}

void TCustomLayer::SetCursor(TCursor Value) {
    if (Value == Cursor_) return;
    Cursor_ = Value;
    if (LayerCollection_ && LayerCollection_->MouseListener() == this) ShowScreenCursor(Value);
}

int32_t TCustomLayer::Index() const {
    if (!LayerCollection_) return -1;
    const auto& List = LayerCollection_->LayerList_;
    return int32_t(std::find(List.begin(), List.end(), this) - List.begin());
}

void TCustomLayer::SetIndex(int32_t Value) {
    const int32_t Current = Index();
    if (!LayerCollection_ || Value == Current) return;
    Value = std::clamp(Value, 0, LayerCollection_->Count() - 1);
    if (Value == Current) return;
    if (!Visible()) {
        LayerCollection_->MoveItem(Current, Value); // nothing shows the change
        return;
    }
    LayerCollection_->BeginUpdate();
    LayerCollection_->MoveItem(Current, Value);
    LayerCollection_->EndUpdate();
}

void TCustomLayer::BringToFront() {
    if (LayerCollection_) SetIndex(LayerCollection_->Count());
}

void TCustomLayer::SendToBack() { SetIndex(0); }

void TCustomLayer::SetLayerCollection(TLayerCollection* Value) {
    if (Value == LayerCollection_) return;
    if (LayerCollection_) {
        if (LayerCollection_->MouseListener() == this) LayerCollection_->SetMouseListener(nullptr);
        LayerCollection_->RemoveItem(this);
    }
    if (Value) Value->InsertItem(this);
}

bool TCustomLayer::HitTest(int32_t X, int32_t Y) {
    bool Passed = DoHitTest(X, Y);
    if (OnHitTest) OnHitTest(this, X, Y, Passed);
    return Passed;
}

void TCustomLayer::DoPaint(TBitmap32* Buffer) {
    Paint(Buffer);
    if (OnPaint) OnPaint(this, Buffer);
}

void TCustomLayer::SetAsMouseListener() {
    if (!LayerCollection_) return;
    LayerCollection_->SetMouseListener(this);
    ShowScreenCursor(Cursor_);
}

void TCustomLayer::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TCustomLayer::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
    ShowScreenCursor(Cursor_);
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TCustomLayer::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    ShowScreenCursor(crDefault);
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

// --- TPositionedLayer ---------------------------------------------------------

TPositionedLayer::TPositionedLayer(TLayerCollection* Collection) : TCustomLayer(Collection) {
    SetOptionsQuietly(LayerOptVisible | LayerOptMouseEvents);
}

TFloatRect TPositionedLayer::GetAdjustedLocation() const {
    const TLayerCollection* C = LayerCollection();
    if (!Scaled_ || !C || !C->OwnerTransform) return Location_;
    const TCoordTransform& T = *C->OwnerTransform;
    auto MapX = [&](float X) { return float(static_cast<long double>(X) * T.MulX / 65536 + T.OffsetX); };
    auto MapY = [&](float Y) { return float(static_cast<long double>(Y) * T.MulY / 65536 + T.OffsetY); };
    return {MapX(Location_.Left), MapY(Location_.Top), MapX(Location_.Right), MapY(Location_.Bottom)};
}

void TPositionedLayer::SetLocation(const TFloatRect& Value) {
    Changing();
    DoSetLocation(Value);
    Changed();
}

void TPositionedLayer::SetScaled(bool Value) {
    if (Value == Scaled_) return;
    Changing();
    Scaled_ = Value;
    Changed();
}

bool TPositionedLayer::DoHitTest(int32_t X, int32_t Y) {
    const TFloatRect R = GetAdjustedLocation();
    return R.Left <= X && X < R.Right && R.Top <= Y && Y < R.Bottom;
}

// --- TBitmapLayer -------------------------------------------------------------

TBitmapLayer::TBitmapLayer(TLayerCollection* Collection)
    : TPositionedLayer(Collection), Bitmap_(std::make_unique<TBitmap32>()) {
    Bitmap_->OnChange = [this](TObject* Sender) { BitmapChanged(Sender); };
}

TBitmapLayer::~TBitmapLayer() {
    BeforeDestruction();
    Bitmap_->OnChange = nullptr;
    Bitmap_.reset();
}

void TBitmapLayer::SetCropped(bool Value) {
    if (Value == Cropped_) return;
    Cropped_ = Value;
    Changed();
}

bool TBitmapLayer::DoHitTest(int32_t X, int32_t Y) {
    if (!TPositionedLayer::DoHitTest(X, Y)) return false;
    if (!HitTestAlpha) return true;
    const TFloatRect R = GetAdjustedLocation();
    const int32_t W = RoundToInt(static_cast<long double>(R.Right) - R.Left);
    const int32_t H = RoundToInt(static_cast<long double>(R.Bottom) - R.Top);
    if (W <= 0 || H <= 0) return false;
    const int32_t BX = RoundToInt((X - static_cast<long double>(R.Left)) * Bitmap_->Width() / W);
    const int32_t BY = RoundToInt((Y - static_cast<long double>(R.Top)) * Bitmap_->Height() / H);
    return (Bitmap_->GetPixelS(BX, BY) >> 24) != 0;
}

void TBitmapLayer::Paint(TBitmap32* Buffer) {
    if (Bitmap_->Empty()) return;
    const TRect DstRect = MakeRect(GetAdjustedLocation(), rrClosest);
    const TRect SrcRect = Bitmap_->BoundsRect();
    TRect ClipRect = Buffer->BoundsRect();
    auto* Image = LayerCollection() ? dynamic_cast<TCustomImage32*>(LayerCollection()->GetOwner()) : nullptr;
    if (Cropped_ && Image && !Image->PaintingTo()) {
        if (DstRect.Right - DstRect.Left <= 0 || DstRect.Bottom - DstRect.Top <= 0) return;
        IntersectRect(ClipRect, ClipRect, Image->GetBitmapRect());
    }
    StretchTransfer(Buffer, DstRect, ClipRect, Bitmap_.get(), SrcRect, Bitmap_->StretchFilter(),
                    Bitmap_->DrawMode(), Bitmap_->OnPixelCombine);
}

} // namespace gfx
