// TCustomImage32: the control that shows a TBitmap32. It places the bitmap by
// an alignment and a scale mode, composes its back buffer through an editable
// list of paint stages, keeps layers over the bitmap, caches the bitmap's
// rectangle and the mapping between bitmap and control coordinates, and
// repaints whenever the bitmap reports a change: any number of changes between
// two paint requests cost one composition. TImage32 is its published form.
#pragma once

#include <functional>
#include <memory>

#include "gfx/bitmap32.h"
#include "gfx/controls/layers.h"
#include "gfx/controls/paint_box.h"
#include "gfx/coord_transform.h"
#include "gfx/paint_stages.h"

namespace gfx {

enum TBitmapAlign : uint8_t { baTopLeft, baCenter, baTile, baCustom };
enum TScaleMode : uint8_t { smNormal, smStretch, smScale, smResize };

using TPaintStageEvent = std::function<void(TObject* Sender, TBitmap32* Buffer, uint32_t StageNum)>;
using TImgMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int32_t X,
                                          int32_t Y, TCustomLayer* Layer)>;
using TImgMouseMoveEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int32_t X, int32_t Y, TCustomLayer* Layer)>;

class TCustomImage32 : public TCustomPaintBox32 {
  public:
    explicit TCustomImage32(QWidget* Parent = nullptr);
    ~TCustomImage32() override;
    std::string ClassName() const override { return "TCustomImage32"; }

    // --- Properties --------------------------------------------------------
    TBitmap32* Bitmap() const { return Bitmap_.get(); }
    // Copies Value into the owned bitmap.
    void SetBitmap(TBitmap32* Value);
    TBitmapAlign BitmapAlign() const { return BitmapAlign_; }
    void SetBitmapAlign(TBitmapAlign Value);
    TLayerCollection* Layers() const { return Layers_.get(); }
    // Copies Value's layers into the owned collection.
    void SetLayers(TLayerCollection* Value) { Layers_->Assign(Value); }
    // The bitmap's top-left corner in the control for baCustom.
    float OffsetHorz() const { return OffsetHorz_; }
    void SetOffsetHorz(float Value);
    float OffsetVert() const { return OffsetVert_; }
    void SetOffsetVert(float Value);
    TPaintStages* PaintStages() const { return StageList_.get(); }
    // Zoom for smScale, never below 0.001.
    float Scale() const { return Scale_; }
    void SetScale(float Value);
    TScaleMode ScaleMode() const { return ScaleMode_; }
    void SetScaleMode(TScaleMode Value);
    const TPixelCombineEvent& GetOnPixelCombine() const { return Bitmap_->OnPixelCombine; }
    void SetOnPixelCombine(const TPixelCombineEvent& Value);

    // --- Updates -----------------------------------------------------------
    // While an update is open, Changed and OnBitmapResize are silent.
    virtual void BeginUpdate() { ++UpdateDepth_; }
    // EAssertionFailed "Unpaired EndUpdate call" below 0. Does not call Changed.
    virtual void EndUpdate();
    // Outside updates: Invalidate, then OnChange.
    virtual void Changed();
    int32_t UpdateDepth() const { return UpdateDepth_; }
    void Invalidate() override;
    void InvalidateCache() { CacheUpToDate_ = false; }
    void Loaded() override;

    // --- Placement ---------------------------------------------------------
    // The displayed size of the bitmap and its rectangle in the control.
    virtual TSize GetBitmapSize();
    virtual TRect GetBitmapRect();
    // Recomputes BitmapRectCache and BitmapTransform when they are out of date.
    void UpdateCache();
    const TRect& BitmapRectCache() const { return BitmapRectCache_; }
    const TCoordTransform& BitmapTransform() const { return BitmapTransform_; }
    bool CacheUpToDate() const { return CacheUpToDate_; }
    bool PaintingTo() const { return PaintingTo_; }
    TPoint BitmapToControl(const TPoint& P);
    TPoint ControlToBitmap(const TPoint& P);
    bool CanAutoSize(int32_t& NewWidth, int32_t& NewHeight) override;

    // Composes the picture into Dest, with the bitmap placed at DestRect.
    void PaintTo(TBitmap32* Dest, const TRect& DestRect);
    // Sizes the bitmap to the viewport, cleared to ClearColor when DoClear.
    void SetupBitmap(bool DoClear = false, TColor32 ClearColor = 0xFF000000u);

    TNotifyEvent OnBitmapResize;
    TNotifyEvent OnChange;
    TNotifyEvent OnInitStages;
    TImgMouseEvent OnMouseDown;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TImgMouseMoveEvent OnMouseMove;
    TImgMouseEvent OnMouseUp;
    TPaintStageEvent OnPaintStage;

  protected:
    virtual void BitmapResized();
    virtual void DoInitStages();
    virtual void DoScaleChange() {}
    // Appends the five default stages: background, control frame (designer),
    // bitmap, bitmap frame (designer), visible layers.
    virtual void InitDefaultStages();
    // The stage operations, each onto Dest for the stage at StageNum.
    virtual void ExecBitmapFrame(TBitmap32* Dest, int32_t StageNum);
    virtual void ExecClearBuffer(TBitmap32* Dest, int32_t StageNum);
    virtual void ExecClearBackgnd(TBitmap32* Dest, int32_t StageNum);
    virtual void ExecControlFrame(TBitmap32* Dest, int32_t StageNum);
    virtual void ExecCustom(TBitmap32* Dest, int32_t StageNum);
    virtual void ExecDrawBitmap(TBitmap32* Dest, int32_t StageNum);
    virtual void ExecDrawLayers(TBitmap32* Dest, int32_t StageNum);

    void DoPaintBuffer() override;
    void DoPaintGDIOverlay() override;
    void Resize() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseEnter() override;
    void MouseLeave() override;

  private:
    void ChangedHandler(TObject*) { Changed(); }
    void ResizedHandler(TObject*) { BitmapResized(); }
    // Copies the buffer to the window again, now.
    void GDIUpdateHandler(TObject*) { repaint(); }
    // Stores a new value of a placement property, then repaints.
    template <typename T> void ChangePlacement(T& Field, T Value);
    // Runs, in list order, the stages that are enabled at run time (or in the designer).
    void RunStages(TBitmap32* Dest, bool Design);
    void RunStage(uint32_t StageKind, TBitmap32* Dest, int32_t StageNum);
    // The size automatic sizing asks for: the bitmap's, scaled for smScale.
    TSize AutoSizeOfBitmap() const;

    std::unique_ptr<TBitmap32> Bitmap_;
    std::unique_ptr<TLayerCollection> Layers_;
    std::unique_ptr<TPaintStages> StageList_;
    TBitmapAlign BitmapAlign_ = baTopLeft;
    float OffsetHorz_ = 0, OffsetVert_ = 0;
    float Scale_ = 1.0f;
    TScaleMode ScaleMode_ = smNormal;
    int32_t UpdateDepth_ = 0;
    TRect BitmapRectCache_;
    TCoordTransform BitmapTransform_;
    bool CacheUpToDate_ = false;
    bool PaintingTo_ = false;
};

class TImage32 : public TCustomImage32 {
  public:
    using TCustomImage32::TCustomImage32;
    std::string ClassName() const override { return "TImage32"; }
};

} // namespace gfx
