#include "gfx/controls/img_view32.h"

#include <QStyle>
#include <QWindow>

#include "gfx/controls/gdi_canvas.h"
#include "gfx/controls/lock_scope.h"
#include "gfx/float_math.h"

namespace gfx {

// --- TIVScrollProperties --------------------------------------------------------

TRBIncrement TIVScrollProperties::Increment() const {
    return static_cast<TCustomRangeBar*>(Primary)->Increment();
}

int32_t TIVScrollProperties::Size() const { return ScrolledView->BarSize_; }

void TIVScrollProperties::SetSize(int32_t Value) {
    ScrolledView->BarSize_ = Value;
    ScrolledView->AlignAll();
}

// --- TCustomImgView32 -----------------------------------------------------------

TCustomImgView32::TCustomImgView32(QWidget* Parent) : TCustomImage32(Parent) {
    for (TCustomRangeBar** Bar : {&HorzBar_, &VertBar_}) {
        *Bar = new TCustomRangeBar(this);
        (*Bar)->SetBorderStyle(bsNone);
        (*Bar)->Centered = true;
        (*Bar)->OnUserChange = [this](TObject* Sender) { ScrollHandler(Sender); };
    }
    HorzBar_->setObjectName("HorzBar");
    VertBar_->setObjectName("VertBar");
    VertBar_->SetKind(sbVertical);
    SetScaleMode(smScale);
    SetBitmapAlign(baCustom);
    ScrollBars_ = std::make_unique<TIVScrollProperties>();
    ScrollBars_->Primary = HorzBar_;
    ScrollBars_->Secondary = VertBar_;
    ScrollBars_->ScrolledView = this;
    AlignAll();
}

TCustomImgView32::~TCustomImgView32() {
    // The bars go with the widget; they must not call back into a view half gone.
    HorzBar_->OnUserChange = nullptr;
    VertBar_->OnUserChange = nullptr;
    ScrollBars_.reset();
}

int32_t TCustomImgView32::GetScrollBarSize() {
    return BarSize_ != 0 ? BarSize_ : style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

TRect TCustomImgView32::GetViewportRect() {
    const int32_t S = GetScrollBarSize();
    return {0, 0, Width() - S, Height() - S};
}

TRect TCustomImgView32::GetSizeGripRect() {
    const int32_t S = GetScrollBarSize();
    return {ClientWidth() - S, ClientHeight() - S, ClientWidth(), ClientHeight()};
}

void TCustomImgView32::AlignAll() {
    if (!HorzBar_ || !VertBar_) return;
    const TRect V = GetViewportRect();
    HorzBar_->SetBounds(V.Left, V.Bottom, V.Right - V.Left, Height() - V.Bottom);
    VertBar_->SetBounds(V.Right, V.Top, Width() - V.Right, V.Bottom - V.Top);
    HorzBar_->Invalidate();
    VertBar_->Invalidate();
}

void TCustomImgView32::UpdateScrollBars() {
    const TSize S = GetBitmapSize();
    HorzBar_->SetRange(S.cx);
    VertBar_->SetRange(S.cy);
}

void TCustomImgView32::UpdateImage() {
    const TRect V = GetViewportRect();
    const int32_t W = V.Right - V.Left, H = V.Bottom - V.Top;
    const TSize S = GetBitmapSize();
    BeginUpdate();
    {
        struct Closing {
            TCustomImgView32& View;
            ~Closing() { View.EndUpdate(); }
        } Close{*this};
        // A dimension that fits is centred, a half pixel kept; one that does
        // not follows its bar.
        const bool FitsX = Centered_ && W > S.cx, FitsY = Centered_ && H > S.cy;
        SetOffsetHorz(FitsX ? float(W - S.cx) / 2 : -HorzBar_->Position());
        SetOffsetVert(FitsY ? float(H - S.cy) / 2 : -VertBar_->Position());
        InvalidateCache();
    }
    Changed();
}

void TCustomImgView32::Scroll(int32_t Dx, int32_t Dy) {
    {
        TFlagScope Moving(InternalScroll); // the bars move, not the user
        HorzBar_->SetPosition(ToSingle(static_cast<long double>(HorzBar_->Position()) + Dx));
        VertBar_->SetPosition(ToSingle(static_cast<long double>(VertBar_->Position()) + Dy));
    }
    UpdateImage();
}

void TCustomImgView32::ScrollToCenter(int32_t X, int32_t Y) {
    {
        TFlagScope Moving(InternalScroll); // the bars move, not the user
        AlignAll();
        const TRect V = GetViewportRect();
        HorzBar_->SetPosition(ToSingle(static_cast<long double>(X) * Scale() - (V.Right - V.Left) / 2.0L));
        VertBar_->SetPosition(ToSingle(static_cast<long double>(Y) * Scale() - (V.Bottom - V.Top) / 2.0L));
    }
    UpdateImage();
}

void TCustomImgView32::CentreOnBitmap() { ScrollToCenter(Bitmap()->Width() / 2, Bitmap()->Height() / 2); }

void TCustomImgView32::SetCentered(bool Value) {
    InvalidateCache();
    Centered_ = Value;
    HorzBar_->Centered = Value;
    VertBar_->Centered = Value;
    UpdateScrollBars();
    UpdateImage();
    if (Value)
        CentreOnBitmap();
    else
        ScrollToCenter(0, 0);
}

void TCustomImgView32::SetSizeGrip(TSizeGripStyle Value) {
    if (Value == SizeGrip_) return;
    SizeGrip_ = Value;
    Invalidate();
}

void TCustomImgView32::ScrollHandler(TObject* Sender) {
    if (InternalScroll) return;
    if (auto* Bar = dynamic_cast<TCustomRangeBar*>(Sender)) Bar->Invalidate();
    UpdateImage();
    DoScroll();
    Invalidate();
}

void TCustomImgView32::DoScroll() {
    if (OnScroll) OnScroll(this);
}

void TCustomImgView32::BitmapResized() {
    TCustomImage32::BitmapResized();
    UpdateScrollBars();
    if (Centered_) {
        CentreOnBitmap();
    } else {
        HorzBar_->SetPosition(0);
        VertBar_->SetPosition(0);
        UpdateImage();
    }
}

void TCustomImgView32::DoScaleChange() {
    InvalidateCache();
    UpdateScrollBars();
    UpdateImage();
    Invalidate();
}

void TCustomImgView32::Loaded() {
    AlignAll();
    Invalidate();
    UpdateScrollBars();
    if (Centered_) CentreOnBitmap();
    TCustomImage32::Loaded();
}

void TCustomImgView32::Resize() {
    AlignAll();
    const TRect G = GetSizeGripRect();
    update(G.Left, G.Top, G.Right - G.Left, G.Bottom - G.Top);
    InvalidateCache();
    UpdateScrollBars();
    UpdateImage();
    Invalidate();
    TCustomImage32::Resize();
}

bool TCustomImgView32::IsSizeGripVisible() {
    switch (SizeGrip_) {
    case sgAlways: return true;
    case sgNone: return false;
    default: break;
    }
    // Automatic: only a view that fills a window, through parents that fill theirs.
    if (Align() != alClient) return false;
    for (QWidget* P = parentWidget(); P; P = P->parentWidget()) {
        if (P->isWindow()) return true;
        auto* Control = dynamic_cast<TCustomControl*>(P);
        if (!Control || Control->Align() != alClient) return false;
    }
    return false;
}

void TCustomImgView32::DoDrawSizeGrip(const TRect& R) {
    TBitmap32 Grip;
    Grip.SetSize(R.Right - R.Left, R.Bottom - R.Top);
    TGdiCanvas(Grip).DrawFrameControl(Grip.BoundsRect(), DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    Grip.DrawTo(Canvas()->Handle(), R.Left, R.Top);
}

void TCustomImgView32::PaintSizeGrip() {
    const TRect G = GetSizeGripRect();
    if (IsRectEmpty(G)) return;
    if (IsSizeGripVisible()) {
        DoDrawSizeGrip(G);
        return;
    }
    TBitmap32 Face;
    Face.SetSize(G.Right - G.Left, G.Bottom - G.Top);
    Face.Clear(Color32(clBtnFace));
    Face.DrawTo(Canvas()->Handle(), G.Left, G.Top);
}

void TCustomImgView32::Paint() {
    PaintSizeGrip();
    TCustomImage32::Paint();
}

void TCustomImgView32::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    QWidget* Form = window();
    if (IsSizeGripVisible() && Form != this && PtInRect(GetSizeGripRect(), {X, Y})) {
        // The window system sizes the form from its bottom-right corner.
        SetMouseCapture(false);
        if (QWindow* Handle = Form->windowHandle()) Handle->startSystemResize(Qt::BottomEdge | Qt::RightEdge);
        return;
    }
    TCustomImage32::MouseDown(Button, Shift, X, Y);
}

void TCustomImgView32::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
    TCustomImage32::MouseMove(Shift, X, Y);
    if (IsSizeGripVisible() && PtInRect(GetSizeGripRect(), {X, Y})) ShowCursor(crSizeNWSE);
}

} // namespace gfx
