// TCustomImage32: the paint stages and the composition of the picture.
#include "gfx/controls/focus_rect.h"
#include "gfx/controls/image32.h"
#include "gfx/controls/lock_scope.h"

namespace gfx {

void TCustomImage32::InitDefaultStages() {
    struct Default {
        bool Design, Run;
        uint32_t Kind, Param;
    };
    constexpr Default kStages[] = {
        {true, true, skClearBackground, 0},          //
        {true, false, skControlFrame, 0},            //
        {true, true, skDrawBitmap, 0},               //
        {true, false, skBitmapFrame, 0},             //
        {true, true, skDrawLayers, LayerOptVisible}, //
    };
    for (const Default& D : kStages)
        *StageList_->Add() = {D.Design, D.Run, D.Kind, D.Param};
}

void TCustomImage32::RunStage(uint32_t StageKind, TBitmap32* Dest, int32_t StageNum) {
    switch (StageKind) {
    case skCustom: ExecCustom(Dest, StageNum); break;
    case skClearBuffer: ExecClearBuffer(Dest, StageNum); break;
    case skClearBackground: ExecClearBackgnd(Dest, StageNum); break;
    case skDrawBitmap: ExecDrawBitmap(Dest, StageNum); break;
    case skDrawLayers: ExecDrawLayers(Dest, StageNum); break;
    case skControlFrame: ExecControlFrame(Dest, StageNum); break;
    case skBitmapFrame: ExecBitmapFrame(Dest, StageNum); break;
    default: break;
    }
}

void TCustomImage32::RunStages(TBitmap32* Dest, bool Design) {
    // The count and each record are read afresh, so a stage that edits the
    // list cannot make the loop read past it.
    for (int32_t I = 0; I < StageList_->Count(); ++I) {
        const TPaintStage Stage = *StageList_->Items(I);
        if (Design ? Stage.DesignEnabled : Stage.RunEnabled) RunStage(Stage.StageKind, Dest, I);
    }
}

void TCustomImage32::DoPaintBuffer() {
    UpdateCache();
    RunStages(Buffer(), Designing());
    TCustomPaintBox32::DoPaintBuffer();
}

void TCustomImage32::PaintTo(TBitmap32* Dest, const TRect& DestRect) {
    if (!Dest) return;
    BitmapRectCache_ = DestRect;
    BitmapTransform_ = CoordTransformFor(DestRect, Bitmap_->Width(), Bitmap_->Height());
    CacheUpToDate_ = true;
    PaintingTo_ = true;
    struct Done {
        TCustomImage32& C;
        ~Done() {
            C.PaintingTo_ = false;
            C.CacheUpToDate_ = false; // the next screen paint places the bitmap in the control again
        }
    } Finish{*this};
    RunStages(Dest, false);
}

void TCustomImage32::ExecCustom(TBitmap32* Dest, int32_t StageNum) {
    if (OnPaintStage) OnPaintStage(this, Dest, uint32_t(StageNum));
}

void TCustomImage32::ExecClearBuffer(TBitmap32* Dest, int32_t) { Dest->Clear(Color32(Color())); }

void TCustomImage32::ExecClearBackgnd(TBitmap32* Dest, int32_t) {
    const TColor32 Fill = Color32(Color());
    if (Bitmap_->Empty() || Bitmap_->DrawMode() != dmOpaque) {
        Dest->Clear(Fill);
        return;
    }
    const TRect R = BitmapRectCache_;
    const int32_t W = Width(), H = Height();
    if (R.Left <= 0 && R.Right >= W && R.Top <= 0 && (R.Bottom >= H || BitmapAlign_ == baTile)) return;
    Dest->FillRectS(0, 0, W, R.Top, Fill);              // above
    Dest->FillRectS(0, R.Bottom, W, H, Fill);           // below
    Dest->FillRectS(0, R.Top, R.Left, R.Bottom, Fill);  // left
    Dest->FillRectS(R.Right, R.Top, W, R.Bottom, Fill); // right
}

void TCustomImage32::ExecDrawBitmap(TBitmap32* Dest, int32_t) {
    const TRect R = BitmapRectCache_;
    if (Bitmap_->Empty() || IsRectEmpty(R)) return;
    TLockScope Locked(*Bitmap_);
    if (BitmapAlign_ != baTile) {
        Bitmap_->DrawTo(Dest, R);
        return;
    }
    // A tile's rectangle starts at (0, 0): its right and bottom are its size.
    const int32_t NX = Dest->Width() / R.Right, NY = Dest->Height() / R.Bottom;
    for (int32_t J = 0; J <= NY; ++J)
        for (int32_t I = 0; I <= NX; ++I) {
            TRect Tile = R;
            OffsetRect(Tile, R.Right * I, R.Bottom * J);
            Bitmap_->DrawTo(Dest, Tile);
        }
}

// The layers whose options share a bit with the stage's parameter, bottom first.
void TCustomImage32::ExecDrawLayers(TBitmap32* Dest, int32_t StageNum) {
    const uint32_t Mask = StageList_->Items(StageNum)->StageParam;
    for (int32_t I = 0; I < Layers_->Count(); ++I) {
        TCustomLayer* Layer = Layers_->Items(I);
        if (Layer->LayerOptions() & Mask) Layer->DoPaint(Dest);
    }
}

void TCustomImage32::ExecControlFrame(TBitmap32* Dest, int32_t) {
    if (Dest->Handle()) DrawFocusRect(*Dest->Handle(), {0, 0, Width(), Height()});
}

void TCustomImage32::ExecBitmapFrame(TBitmap32* Dest, int32_t) {
    if (Dest->Handle()) DrawFocusRect(*Dest->Handle(), BitmapRectCache_);
}

// Layers that draw over the window, bottom first; then OnGDIOverlay.
void TCustomImage32::DoPaintGDIOverlay() {
    for (int32_t I = 0; I < Layers_->Count(); ++I) {
        TCustomLayer* Layer = Layers_->Items(I);
        if (Layer->LayerOptions() & LayerOptGdiOverlay) Layer->PaintGDI(Canvas());
    }
    TCustomPaintBox32::DoPaintGDIOverlay();
}

} // namespace gfx
