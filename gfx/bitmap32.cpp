// TBitmap32: construction, sizing, the device context, properties, Assign.
#include "gfx/bitmap32.h"

#include <algorithm>
#include <cstring>

#include "gfx/gfx_init.h"
#include "gfx/graphic.h"
#include "gfx/low_level.h"
#include "gfx/pixel_memory.h"

namespace gfx {

TBitmap32::TBitmap32() : Font_(std::make_unique<TFont>()) {
    Font_->OnChange = [this](TObject* Sender) { FontChanged(Sender); };
    Font_->OwnerLock = &LockSection();
}

TBitmap32::~TBitmap32() {
    BeginUpdate();
    Lock();
    try {
        DeleteCanvas();
        SetSize(0, 0); // OnResize still fires; OnChange stays silent inside the update
    } catch (...) {
        // A handler that raises while the bitmap goes away cannot stop it.
    }
    Font_.reset();
    Unlock();
}

void TBitmap32::ReleaseMemory() {
    Handle_.reset();
    Memory_.reset();
    Bits_ = nullptr;
}

void TBitmap32::ChangeSize(int32_t& Width, int32_t& Height, int32_t NewWidth, int32_t NewHeight) {
    struct HandleGuard {
        TBitmap32* B;
        ~HandleGuard() { B->HandleChanged(); }
    } Guard{this};

    FontChanged(this);
    std::unique_ptr<TColor32[]> Pixels = std::move(Prepared_);
    // The old pixels go before new ones are had, so a resize needs no more
    // than the new size; a failure leaves the bitmap empty.
    ReleaseMemory();
    Width = 0;
    Height = 0;
    if (NewWidth >= 1 && NewHeight >= 1) {
        BitmapInfo_.bmiHeader.biWidth = NewWidth;
        BitmapInfo_.bmiHeader.biHeight = -NewHeight;
        if (!Pixels) Pixels = NewPixelMemory<TColor32>(uint64_t(NewWidth) * uint64_t(NewHeight), true);
        Memory_ = std::move(Pixels);
        Bits_ = Memory_.get();
        Handle_ = std::make_unique<TMemoryDC>(Bits_, NewWidth, NewHeight);
    }
    Width = NewWidth;
    Height = NewHeight;
}

void TBitmap32::ReplacePixels(int32_t NewWidth, int32_t NewHeight, std::unique_ptr<TColor32[]> Pixels) {
    if (NewWidth == Width() && NewHeight == Height()) {
        if (!Empty()) std::copy_n(Pixels.get(), size_t(Width()) * size_t(Height()), Bits_);
        return;
    }
    struct Unused {
        std::unique_ptr<TColor32[]>& Memory;
        ~Unused() { Memory.reset(); } // when SetSize raised before ChangeSize took it
    } Guard{Prepared_};
    Prepared_ = std::move(Pixels);
    SetSize(NewWidth, NewHeight);
}

void TBitmap32::AssignPixels(int32_t NewWidth, int32_t NewHeight, std::unique_ptr<TColor32[]> Pixels) {
    ChangeInUpdate(*this, [&] { ReplacePixels(NewWidth, NewHeight, std::move(Pixels)); });
}

void TBitmap32::HandleChanged() {
    if (Canvas_) Canvas_->SetHandle(Handle_.get());
    if (OnHandleChanged) OnHandleChanged(this);
}

void TBitmap32::Clear(TColor32 FillColor) {
    if (Empty()) return;
    FillLongword(Bits_, Width() * Height(), FillColor);
    Changed();
}

void TBitmap32::ResetAlpha() {
    const int64_t N = int64_t(Width()) * Height();
    for (int64_t I = 0; Bits_ && I < N; ++I)
        Bits_[I] |= 0xFF000000u;
    Changed();
}

void TBitmap32::SetDrawMode(TDrawMode Value) {
    if (DrawMode_ == Value) return;
    DrawMode_ = Value;
    Changed();
}

void TBitmap32::SetMasterAlpha(uint32_t Value) {
    if (MasterAlpha_ == Value) return;
    MasterAlpha_ = Value;
    Changed();
}

void TBitmap32::SetStretchFilter(TStretchFilter Value) {
    if (StretchFilter_ == Value) return;
    StretchFilter_ = Value;
    Changed();
}

TCanvas* TBitmap32::GetCanvas() {
    if (!Canvas_) {
        Canvas_.reset(NewCanvas());
        Canvas_->SetHandle(Handle_.get());
        Canvas_->OnChange = [this](TObject* Sender) { CanvasChanged(Sender); };
    }
    return Canvas_.get();
}

void TBitmap32::DeleteCanvas() {
    if (!Canvas_) return;
    Canvas_->SetHandle(nullptr);
    Canvas_.reset();
}

void TBitmap32::FontChanged(TObject*) {
    if (FontHandle_ == 0) return;
    if (Handle_) Handle_->SelectFont(StockFont);
    FontHandle_ = 0;
}

void TBitmap32::UpdateFont() {
    FontHandle_ = reinterpret_cast<TFontHandle>(Font_.get());
    if (Handle_) Handle_->SelectFont(FontHandle_);
}

void TBitmap32::AssignFromBitmap(TBitmap& Source) {
    SetSize(Source.GetWidth(), Source.GetHeight());
    if (Empty()) return;
    Handle_->BitBlt(0, 0, Width(), Height(), Source.CanvasHandle(), 0, 0);
    if (!Source.PixelFormat32()) ResetAlpha();
}

void TBitmap32::AssignFromGraphic(const TGraphic& Source, int32_t W, int32_t H) {
    SetSize(W, H);
    if (Empty()) return;
    Source.Draw(*Handle_, BoundsRect());
    ResetAlpha();
}

void TBitmap32::Assign(TPersistent* Source) {
    BeginUpdate();
    try {
        if (!Source) {
            SetSize(0, 0);
        } else if (auto* Src = dynamic_cast<TBitmap32*>(Source)) {
            SetSize(Src->Width(), Src->Height());
            if (!Empty()) {
                MoveLongword(Src->Bits_, Bits_, Width() * Height());
                DrawMode_ = Src->DrawMode_;
                MasterAlpha_ = Src->MasterAlpha_;
                OuterColor = Src->OuterColor;
                StretchFilter_ = Src->StretchFilter_;
            }
        } else if (auto* Bmp = dynamic_cast<TBitmap*>(Source)) {
            AssignFromBitmap(*Bmp);
        } else if (auto* Graphic = dynamic_cast<TGraphic*>(Source)) {
            AssignFromGraphic(*Graphic, Graphic->GetWidth(), Graphic->GetHeight());
        } else if (auto* Picture = dynamic_cast<TPicture*>(Source)) {
            if (TBitmap* PictureBitmap = Picture->Bitmap())
                AssignFromBitmap(*PictureBitmap);
            else if (const TGraphic* PictureGraphic = Picture->Graphic())
                AssignFromGraphic(*PictureGraphic, Picture->GetWidth(), Picture->GetHeight());
            else
                SetSize(0, 0); // a picture without a graphic is an empty image
        } else if (auto* Clipboard = dynamic_cast<TClipboard*>(Source)) {
            const std::unique_ptr<TPicture> Picture = Clipboard->GetPicture();
            SetSize(Picture ? Picture->GetWidth() : 0, Picture ? Picture->GetHeight() : 0);
            if (!Empty() && Picture->Graphic()) {
                Picture->Graphic()->Draw(*Handle_, BoundsRect());
                ResetAlpha();
            }
        } else {
            TPersistent::Assign(Source);
        }
    } catch (...) {
        EndUpdate();
        Changed();
        throw;
    }
    EndUpdate();
    Changed();
}

void TBitmap32::AssignToBitmap(TBitmap& Dest) {
    Dest.SetDIB32(Width(), Height());
    DrawTo(&Dest.CanvasHandle(), 0, 0);
}

void TBitmap32::AssignTo(TPersistent* Dest) {
    if (auto* Picture = dynamic_cast<TPicture*>(Dest)) {
        AssignToBitmap(Picture->RequireBitmap());
    } else if (auto* Bmp = dynamic_cast<TBitmap*>(Dest)) {
        AssignToBitmap(*Bmp);
    } else if (auto* Clipboard = dynamic_cast<TClipboard*>(Dest)) {
        const std::unique_ptr<TBitmap> Temp = Clipboard->NewBitmap();
        AssignToBitmap(*Temp);
        Clipboard->SetBitmap(*Temp);
    } else {
        TPersistent::AssignTo(Dest);
    }
}

} // namespace gfx
