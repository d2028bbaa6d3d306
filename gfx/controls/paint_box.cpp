#include "gfx/controls/paint_box.h"

#include <algorithm>
#include <limits>

#include "gfx/controls/lock_scope.h"

namespace gfx {

namespace {
// One dimension of the buffer: grow to Needed + Oversize when Needed is larger,
// shrink to Needed when the buffer is larger by more than Oversize; at least 1.
int32_t NextBufferSize(int32_t Current, int32_t Needed, int32_t Oversize) {
    int64_t Size = Current;
    if (Needed > Current)
        Size = int64_t(Needed) + Oversize;
    else if (int64_t(Current) - Oversize > Needed)
        Size = Needed;
    return int32_t(std::clamp<int64_t>(Size, 1, std::numeric_limits<int32_t>::max()));
}
} // namespace

TCustomPaintBox32::TCustomPaintBox32(QWidget* Parent)
    : TCustomControl(Parent), Buffer_(std::make_unique<TBitmap32>()) {
    Buffer_->BeginUpdate(); // never closed: drawing into the buffer raises no change events
    // The control paints every pixel of itself: no background is erased under it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    resize(192, 192);
}

TCustomPaintBox32::~TCustomPaintBox32() = default;

TRect TCustomPaintBox32::GetViewportRect() { return {0, 0, Width(), Height()}; }

void TCustomPaintBox32::Invalidate() {
    BufferUpToDate = false;
    TCustomControl::Invalidate();
}

void TCustomPaintBox32::Loaded() {
    BufferUpToDate = false;
    TCustomControl::Loaded();
}

void TCustomPaintBox32::SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) {
    BufferUpToDate = false;
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TCustomPaintBox32::Resize() {
    ResizeBuffer();
    BufferUpToDate = false;
    TCustomControl::Resize();
}

void TCustomPaintBox32::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    if ((Options_ & pboAutoFocus) && CanFocus()) SetFocus();
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomPaintBox32::ResizeBuffer() {
    const TRect R = GetViewportRect();
    const int32_t W = std::max(R.Right - R.Left, 0), H = std::max(R.Bottom - R.Top, 0);
    const int32_t NewWidth = NextBufferSize(Buffer_->Width(), W, BufferOversize_);
    const int32_t NewHeight = NextBufferSize(Buffer_->Height(), H, BufferOversize_);
    if (NewWidth == Buffer_->Width() && NewHeight == Buffer_->Height()) return;
    {
        TLockScope Locked(*Buffer_);
        Buffer_->SetSize(NewWidth, NewHeight);
    }
    BufferUpToDate = false;
}

void TCustomPaintBox32::DoPaintGDIOverlay() {
    if (OnGDIOverlay) OnGDIOverlay(this);
}

void TCustomPaintBox32::CopyBuffer(const TRect& SrcRect) {
    TLockScope Locked(*Buffer_);
    const TRect R = GetViewportRect();
    TRect DstRect = SrcRect;
    OffsetRect(DstRect, R.Left, R.Top);
    Buffer_->DrawTo(Canvas()->Handle(), DstRect, SrcRect);
}

void TCustomPaintBox32::Paint() {
    if (FlushSource_) {
        TRect Dst = *FlushSource_;
        const TRect R = GetViewportRect();
        OffsetRect(Dst, R.Left, R.Top);
        const QRect FlushArea(Dst.Left, Dst.Top, Dst.Right - Dst.Left, Dst.Bottom - Dst.Top);
        // Qt may fold other pending requests into Flush's paint; unless they
        // lie wholly within the flushed area, the paint is a full one.
        // (QRegion::contains(QRect) would only ask whether they overlap.)
        if (FlushArea.contains(PaintRegion().boundingRect())) {
            CopyBuffer(*FlushSource_);
            return;
        }
    }
    ResizeBuffer();
    if (!BufferUpToDate) DoPaintBuffer();
    const TRect R = GetViewportRect();
    CopyBuffer({0, 0, R.Right - R.Left, R.Bottom - R.Top});
    DoPaintGDIOverlay();
}

void TCustomPaintBox32::Flush() {
    const TRect R = GetViewportRect();
    Flush({0, 0, R.Right - R.Left, R.Bottom - R.Top});
}

void TCustomPaintBox32::Flush(const TRect& SrcRect) {
    // A window that cannot be painted now, or a buffer without pixels: nothing to copy.
    if (!isVisible() || Buffer_->Empty()) return;
    TRect Src;
    IntersectRect(Src, SrcRect, Buffer_->BoundsRect());
    if (IsRectEmpty(Src)) return;
    const TRect R = GetViewportRect();
    struct Pending {
        std::optional<TRect>& Source;
        ~Pending() { Source.reset(); }
    } Running{FlushSource_};
    FlushSource_ = Src;
    repaint(Src.Left + R.Left, Src.Top + R.Top, Src.Right - Src.Left, Src.Bottom - Src.Top);
    // A repaint request that Qt answered with Flush's paint is asked for again.
    if (!BufferUpToDate) update();
}

} // namespace gfx
