// The ordered set of layers an image control draws over its bitmap and routes
// its mouse input to. This is the part the image control uses: the collection's
// notifications, its update nesting and its mouse routing, which with no layer
// in the collection finds none.
#pragma once

#include <cstdint>

#include "gfx/coord_transform.h"
#include "gfx/controls/mouse_input.h"
#include "gfx/persistent.h"

namespace gfx {

class TCustomLayer;

class TLayerCollection : public TPersistent {
  public:
    explicit TLayerCollection(TObject* Owner) : OwnerControl_(Owner) {}
    ~TLayerCollection() override { UpdateDepth_ = 1; } // silent from here on
    std::string ClassName() const override { return "TLayerCollection"; }

    int32_t Count() const { return 0; }
    TObject* GetOwner() const { return OwnerControl_; }

    // The owner's bitmap-to-control mapping, for layers placed in bitmap coordinates.
    TCoordTransform* OwnerTransform = nullptr;

    bool MouseEvents() const { return MouseEvents_; }
    // Also drops the mouse listener.
    void SetMouseEvents(bool Value) {
        MouseEvents_ = Value;
        MouseListener_ = nullptr;
    }
    // The layer that receives all mouse input while it holds a button.
    TCustomLayer* MouseListener() const { return MouseListener_; }

    // The outermost BeginUpdate raises OnLayersChanging, the matching EndUpdate
    // OnLayersChanged. EAssertionFailed "Unpaired EndUpdate" without a BeginUpdate.
    void BeginUpdate();
    void EndUpdate();
    void Changing() {
        if (OnLayersChanging) OnLayersChanging(this);
    }
    void Changed() {
        if (OnLayersChanged) OnLayersChanged(this);
    }
    // Asks the owner to copy its picture to the screen again (outside updates).
    void GDIUpdate() {
        if (OnLayersGDIUpdate && UpdateDepth_ == 0) OnLayersGDIUpdate(this);
    }

    // Mouse input in control coordinates; each returns the layer that dealt
    // with it: the listener, else the topmost layer under the pointer.
    TCustomLayer* MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
    TCustomLayer* MouseMove(TShiftState Shift, int32_t X, int32_t Y);
    TCustomLayer* MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);

    TNotifyEvent OnLayersChanging;
    TNotifyEvent OnLayersChanged;
    TNotifyEvent OnLayersGDIUpdate;

  private:
    // The topmost layer with a bit of OptionMask that is hit at (X, Y).
    TCustomLayer* FindLayerAtPos(int32_t X, int32_t Y, uint32_t OptionMask) const;
    // The listener, else the topmost layer under (X, Y) that takes mouse input.
    TCustomLayer* TargetLayer(int32_t X, int32_t Y) const;

    TObject* OwnerControl_;
    TCustomLayer* MouseListener_ = nullptr;
    int32_t UpdateDepth_ = 0;
    bool MouseEvents_ = true;
};

} // namespace gfx
