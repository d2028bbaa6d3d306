// Layers drawn over an image control's bitmap and hit by its mouse input,
// each in a TLayerCollection that keeps their order. TCustomLayer: option
// bits, visibility, index, cursor, hit test, mouse events, painting hooks and
// destroy notifications between layers. TPositionedLayer: a floating-point
// rectangle, optionally in bitmap coordinates mapped through the control's
// transform. TBitmapLayer: a TBitmap32 stretched into that rectangle.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "gfx/bitmap32.h"
#include "gfx/controls/layer_collection.h"
#include "gfx/geometry.h"

namespace gfx {

// Option bits of LayerOptions.
constexpr uint32_t LayerOptVisible = 0x80000000u;     // drawn by the default layer stage
constexpr uint32_t LayerOptGdiOverlay = 0x40000000u;  // PaintGDI after each copy to the screen
constexpr uint32_t LayerOptMouseEvents = 0x20000000u; // takes part in the hit search
constexpr uint32_t LayerOptNoUpdate = 0x10000000u;    // changes do not reach the collection
constexpr uint32_t LayerOptNoCapture = 0x08000000u;   // a left press does not make it the listener

// Mouse buttons held on a layer (a set of these bits).
enum TLayerState : uint8_t { lsMouseLeft = 1, lsMouseRight = 2, lsMouseMiddle = 4 };
using TLayerStates = uint8_t;

using THitTestEvent = std::function<void(TObject* Sender, int32_t X, int32_t Y, bool& Passed)>;
using TPaintLayerEvent = std::function<void(TObject* Sender, TBitmap32* Buffer)>;
using TLayerMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)>;
using TLayerMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int32_t X, int32_t Y)>;

class TCanvas;

// A layer joins its collection when it is made and leaves it when it is
// freed. A layer class's destructor starts with BeforeDestruction(), so that
// OnDestroy sees the whole layer.
class TCustomLayer : public TPersistent {
  public:
    explicit TCustomLayer(TLayerCollection* Collection);
    ~TCustomLayer() override;
    std::string ClassName() const override { return "TCustomLayer"; }
    // The class that makes layers like this one (for copies).
    virtual TLayerClass LayerClass() const { return &NewLayer<TCustomLayer>; }

    // Raises OnDestroy, once; destruction calls it first.
    void BeforeDestruction();
    // Layer's Notification hears of this layer's destruction.
    void AddNotification(TCustomLayer* Layer);
    void RemoveNotification(TCustomLayer* Layer);

    // Reach the collection when the layer is in one and not LayerOptNoUpdate:
    // Changing only for a visible layer; Changed as a change for a visible
    // layer, as a screen refresh for an invisible one with LayerOptGdiOverlay.
    void Changing();
    void Changed();

    TCursor Cursor() const { return Cursor_; }
    void SetCursor(TCursor Value);
    // The position in the collection, -1 outside one.
    int32_t Index() const;
    // Clamped to the collection; one change notification for a visible layer.
    virtual void SetIndex(int32_t Value);
    void BringToFront();
    void SendToBack();
    TLayerCollection* LayerCollection() const { return LayerCollection_; }
    // Leaves the old collection (as its listener too), joins Value at the top.
    void SetLayerCollection(TLayerCollection* Value);
    uint32_t LayerOptions() const { return LayerOptions_; }
    // Always notifies; a change of visibility reaches the collection as a change.
    void SetLayerOptions(uint32_t Value);
    bool Visible() const { return LayerOptions_ & LayerOptVisible; }
    void SetVisible(bool Value) { SetOption(LayerOptVisible, Value); }
    bool MouseEvents() const { return LayerOptions_ & LayerOptMouseEvents; }
    void SetMouseEvents(bool Value) { SetOption(LayerOptMouseEvents, Value); }

    // DoHitTest, which OnHitTest may overrule.
    bool HitTest(int32_t X, int32_t Y);
    // Paint, then OnPaint.
    void DoPaint(TBitmap32* Buffer);
    // Takes all mouse input of the collection from now on.
    void SetAsMouseListener();

    // What the collection calls (control coordinates).
    virtual bool DoHitTest(int32_t, int32_t) { return true; }
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
    virtual void MouseMove(TShiftState Shift, int32_t X, int32_t Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
    // Layer, on whose list this layer is, is being destroyed.
    virtual void Notification(TCustomLayer*) {}
    virtual void Paint(TBitmap32*) {}
    virtual void PaintGDI(TCanvas*) {}

    // Buttons held on the layer, kept by the collection.
    TLayerStates LayerStates = 0;

    THitTestEvent OnHitTest;
    TLayerMouseEvent OnMouseDown;
    TLayerMouseMoveEvent OnMouseMove;
    TLayerMouseEvent OnMouseUp;
    TPaintLayerEvent OnPaint;
    TNotifyEvent OnDestroy;

  protected:
    TObject* GetOwner() const { return LayerCollection_; }
    // Changes LayerOptions without notifications.
    void SetOptionsQuietly(uint32_t Value) { LayerOptions_ = Value; }
    // The screen cursor of the collection's owner control.
    void ShowScreenCursor(TCursor Value) const;

  private:
    friend class TLayerCollection;
    void SetOption(uint32_t Bit, bool Value) {
        SetLayerOptions(Value ? LayerOptions_ | Bit : LayerOptions_ & ~Bit);
    }

    TCursor Cursor_ = crDefault;
    std::unique_ptr<std::vector<TCustomLayer*>> NotifyList_; // made by the first AddNotification
    TLayerCollection* LayerCollection_ = nullptr;
    uint32_t LayerOptions_ = LayerOptVisible;
    bool Destroying_ = false;
};

class TPositionedLayer : public TCustomLayer {
  public:
    explicit TPositionedLayer(TLayerCollection* Collection);
    ~TPositionedLayer() override { BeforeDestruction(); }
    std::string ClassName() const override { return "TPositionedLayer"; }
    TLayerClass LayerClass() const override { return &NewLayer<TPositionedLayer>; }

    // Location, mapped through the owner control's transform when Scaled.
    TFloatRect GetAdjustedLocation() const;
    const TFloatRect& Location() const { return Location_; }
    // Always notifies, also when the value is the same.
    void SetLocation(const TFloatRect& Value);
    bool Scaled() const { return Scaled_; }
    void SetScaled(bool Value);
    // Inside the adjusted location (half-open).
    bool DoHitTest(int32_t X, int32_t Y) override;

  protected:
    // Stores the location; descendants do more.
    virtual void DoSetLocation(const TFloatRect& Value) { Location_ = Value; }

  private:
    TFloatRect Location_{0, 0, 64, 64};
    bool Scaled_ = false;
};

class TBitmapLayer : public TPositionedLayer {
  public:
    explicit TBitmapLayer(TLayerCollection* Collection);
    ~TBitmapLayer() override;
    std::string ClassName() const override { return "TBitmapLayer"; }
    TLayerClass LayerClass() const override { return &NewLayer<TBitmapLayer>; }

    TBitmap32* Bitmap() const { return Bitmap_.get(); }
    // Copies Value into the owned bitmap.
    void SetBitmap(TBitmap32* Value) { Bitmap_->Assign(Value); }
    bool Cropped() const { return Cropped_; }
    // Drawn only inside the control's bitmap rectangle (not in PaintTo).
    void SetCropped(bool Value);
    // With HitTestAlpha, pixels of alpha 0 are not hit.
    bool DoHitTest(int32_t X, int32_t Y) override;
    // The bitmap stretched into the location.
    void Paint(TBitmap32* Buffer) override;

    bool HitTestAlpha = false;

  private:
    void BitmapChanged(TObject*) { Changed(); }

    std::unique_ptr<TBitmap32> Bitmap_;
    bool Cropped_ = false;
};

} // namespace gfx
