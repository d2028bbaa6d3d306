// TCustomImage32: construction, properties, updates, placement and the mouse.
#include "gfx/controls/image32.h"

#include "gfx/float_math.h"
#include "platform/exceptions.h"

namespace gfx {

TCustomImage32::TCustomImage32(QWidget* Parent)
    : TCustomPaintBox32(Parent), Bitmap_(std::make_unique<TBitmap32>()),
      Layers_(std::make_unique<TLayerCollection>(this)), StageList_(std::make_unique<TPaintStages>()) {
    Bitmap_->OnChange = [this](TObject* Sender) { ChangedHandler(Sender); };
    Bitmap_->OnResize = [this](TObject* Sender) { ResizedHandler(Sender); };
    Layers_->OwnerTransform = &BitmapTransform_;
    Layers_->OnLayersChanged = [this](TObject* Sender) { ChangedHandler(Sender); };
    Layers_->OnLayersGDIUpdate = [this](TObject* Sender) { GDIUpdateHandler(Sender); };
    InitDefaultStages();
}

TCustomImage32::~TCustomImage32() {
    BeginUpdate();
    // Freeing the bitmap reports its resize to 0 x 0; the control is half gone
    // by then, so nothing may reach it any more.
    Bitmap_->OnChange = nullptr;
    Bitmap_->OnResize = nullptr;
    Layers_->OnLayersChanged = nullptr;
    Layers_->OnLayersGDIUpdate = nullptr;
    StageList_.reset();
    Layers_.reset();
    Bitmap_.reset();
}

void TCustomImage32::SetBitmap(TBitmap32* Value) {
    InvalidateCache();
    Bitmap_->Assign(Value);
}

void TCustomImage32::SetBitmapAlign(TBitmapAlign Value) {
    InvalidateCache();
    BitmapAlign_ = Value;
    Changed();
}

template <typename T> void TCustomImage32::ChangePlacement(T& Field, T Value) {
    if (Value == Field) return;
    InvalidateCache();
    Field = Value;
    Changed();
}

void TCustomImage32::SetOffsetHorz(float Value) { ChangePlacement(OffsetHorz_, Value); }
void TCustomImage32::SetOffsetVert(float Value) { ChangePlacement(OffsetVert_, Value); }
void TCustomImage32::SetScaleMode(TScaleMode Value) { ChangePlacement(ScaleMode_, Value); }

void TCustomImage32::SetScale(float Value) {
    if (!(Value >= 0.001f)) Value = 0.001f; // zero, negative and not-a-number alike
    if (Value == Scale_) return;
    InvalidateCache();
    Scale_ = Value;
    DoScaleChange();
    Changed();
}

void TCustomImage32::SetOnPixelCombine(const TPixelCombineEvent& Value) {
    Bitmap_->OnPixelCombine = Value;
    Changed();
}

void TCustomImage32::EndUpdate() {
    if (--UpdateDepth_ < 0) throw platform::EAssertionFailed("Unpaired EndUpdate call");
}

void TCustomImage32::Changed() {
    if (UpdateDepth_ != 0) return;
    Invalidate();
    if (OnChange) OnChange(this);
}

void TCustomImage32::Invalidate() {
    BufferUpToDate = false;
    InvalidateCache();
    TCustomPaintBox32::Invalidate();
}

void TCustomImage32::Loaded() {
    TCustomPaintBox32::Loaded();
    DoInitStages();
}

void TCustomImage32::DoInitStages() {
    if (OnInitStages) OnInitStages(this);
}

void TCustomImage32::Resize() {
    InvalidateCache();
    TCustomPaintBox32::Resize();
}

TSize TCustomImage32::AutoSizeOfBitmap() const {
    const int32_t W = Bitmap_->Width(), H = Bitmap_->Height();
    if (ScaleMode_ != smScale) return {W, H};
    return {RoundToInt(static_cast<long double>(W) * Scale_),
            RoundToInt(static_cast<long double>(H) * Scale_)};
}

bool TCustomImage32::CanAutoSize(int32_t& NewWidth, int32_t& NewHeight) {
    InvalidateCache();
    const TSize S = AutoSizeOfBitmap();
    if (Designing() && (S.cx <= 0 || S.cy <= 0)) return true;
    if (Align() == alNone || Align() == alLeft || Align() == alRight) NewWidth = S.cx;
    if (Align() == alNone || Align() == alTop || Align() == alBottom) NewHeight = S.cy;
    return true;
}

void TCustomImage32::BitmapResized() {
    if (AutoSize()) {
        const TSize S = AutoSizeOfBitmap();
        if (S.cx > 0 && S.cy > 0) SetBounds(Left(), Top(), S.cx, S.cy);
    }
    if (UpdateDepth_ == 0 && OnBitmapResize) OnBitmapResize(this);
    InvalidateCache();
    Invalidate();
}

TSize TCustomImage32::GetBitmapSize() {
    const int32_t BW = Bitmap_->Width(), BH = Bitmap_->Height();
    if (Bitmap_->Empty() || Width() == 0 || Height() == 0) return {0, 0};
    TSize S;
    switch (ScaleMode_) {
    case smNormal: S = {BW, BH}; break;
    case smStretch: S = {Width(), Height()}; break;
    case smResize: {
        // Fit with the aspect ratio kept; the factors are single precision.
        const float SX = float(static_cast<long double>(Width()) / BW);
        const float SY = float(static_cast<long double>(Height()) / BH);
        if (SX >= SY)
            S = {RoundToInt(static_cast<long double>(BW) * SY), Height()};
        else
            S = {Width(), RoundToInt(static_cast<long double>(BH) * SX)};
        break;
    }
    default:
        S = {RoundToInt(static_cast<long double>(BW) * Scale_),
             RoundToInt(static_cast<long double>(BH) * Scale_)};
        break;
    }
    return {S.cx > 0 ? S.cx : 0, S.cy > 0 ? S.cy : 0};
}

TRect TCustomImage32::GetBitmapRect() {
    if (Bitmap_->Empty()) return {0, 0, 0, 0};
    const TSize S = GetBitmapSize();
    TRect R{0, 0, S.cx, S.cy};
    if (BitmapAlign_ == baCenter)
        OffsetRect(R, (Width() - S.cx) / 2, (Height() - S.cy) / 2);
    else if (BitmapAlign_ == baCustom)
        OffsetRect(R, RoundToInt(OffsetHorz_), RoundToInt(OffsetVert_));
    return R;
}

void TCustomImage32::UpdateCache() {
    FollowSize(); // a size Qt has not reported yet (hidden control) counts already
    if (CacheUpToDate_) return;
    BitmapRectCache_ = GetBitmapRect();
    // A bitmap shown with no area (a control of size 0, a tiny scale) keeps the
    // unit mapping and is not drawn.
    BitmapTransform_ = CoordTransformFor(BitmapRectCache_, Bitmap_->Width(), Bitmap_->Height());
    CacheUpToDate_ = true;
}

TPoint TCustomImage32::BitmapToControl(const TPoint& P) {
    UpdateCache();
    return gfx::BitmapToControl(BitmapTransform_, P);
}

TPoint TCustomImage32::ControlToBitmap(const TPoint& P) {
    UpdateCache();
    return gfx::ControlToBitmap(BitmapTransform_, P);
}

void TCustomImage32::SetupBitmap(bool DoClear, TColor32 ClearColor) {
    {
        Bitmap_->BeginUpdate();
        struct Closing {
            TBitmap32& B;
            ~Closing() { B.EndUpdate(); }
        } Close{*Bitmap_};
        const TRect R = GetViewportRect();
        Bitmap_->SetSize(R.Right - R.Left, R.Bottom - R.Top);
        if (DoClear) Bitmap_->Clear(ClearColor);
    }
    InvalidateCache();
    Changed();
}

void TCustomImage32::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    TCustomPaintBox32::MouseDown(Button, Shift, X, Y);
    if (TabStop() && CanFocus()) SetFocus();
    TCustomLayer* Layer = Layers_->MouseEvents() ? Layers_->MouseDown(Button, Shift, X, Y) : nullptr;
    if (Button == mbLeft || Layers_->MouseListener()) SetMouseCapture(true);
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y, Layer);
}

void TCustomImage32::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
    TCustomPaintBox32::MouseMove(Shift, X, Y);
    TCustomLayer* Layer = Layers_->MouseEvents() ? Layers_->MouseMove(Shift, X, Y) : nullptr;
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y, Layer);
}

void TCustomImage32::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    TCustomLayer* Layer = Layers_->MouseEvents() ? Layers_->MouseUp(Button, Shift, X, Y) : nullptr;
    if (Button == mbLeft && !Layers_->MouseListener()) SetMouseCapture(false);
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y, Layer);
}

void TCustomImage32::MouseEnter() {
    if (OnMouseEnter) OnMouseEnter(this);
}

void TCustomImage32::MouseLeave() {
    if (Layers_->MouseEvents() && !Layers_->MouseListener()) ShowCursor(crDefault);
    if (OnMouseLeave) OnMouseLeave(this);
}

} // namespace gfx
