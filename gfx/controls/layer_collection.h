// TLayerCollection: the ordered set of layers an image control draws over its
// bitmap (index 0 at the bottom). It owns its layers, tells the control when
// they changed or need only a screen refresh, and routes the control's mouse
// input to the topmost layer under the pointer, with a mouse listener that
// takes all input while it holds a button.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/controls/cursors.h"
#include "gfx/controls/mouse_input.h"
#include "gfx/coord_transform.h"
#include "gfx/persistent.h"

namespace gfx {

class TCustomLayer;
class TLayerCollection;

// A layer class: makes a layer of that class in a collection.
using TLayerClass = TCustomLayer* (*)(TLayerCollection* Collection);
template <class Layer> TCustomLayer* NewLayer(TLayerCollection* Collection) { return new Layer(Collection); }

class TLayerCollection : public TPersistent {
  public:
    explicit TLayerCollection(TObject* Owner) : OwnerControl_(Owner) {}
    // Silent from the start: frees every layer without notifications.
    ~TLayerCollection() override;
    std::string ClassName() const override { return "TLayerCollection"; }

    int32_t Count() const { return int32_t(LayerList_.size()); }
    // EListError "List index out of bounds (%d)" outside 0 .. Count - 1.
    TCustomLayer* Items(int32_t Index) const;
    // Copies Value into the layer at Index (which layers do not implement).
    void SetItem(int32_t Index, TCustomLayer* Value);
    TObject* GetOwner() const { return OwnerControl_; }

    // A new layer of LayerClass on top; Insert then moves it to Index
    // (clamped), with one change notification.
    TCustomLayer* Add(TLayerClass LayerClass);
    TCustomLayer* Insert(int32_t Index, TLayerClass LayerClass);
    template <class Layer> Layer* Add() { return static_cast<Layer*>(Add(&NewLayer<Layer>)); }
    template <class Layer> Layer* Insert(int32_t Index) {
        return static_cast<Layer*>(Insert(Index, &NewLayer<Layer>));
    }
    // Frees the layer at Index; EListError outside the list.
    void Delete(int32_t Index);
    // Frees every layer, the top first.
    void Clear();
    // From another collection: copies of its layers, made in full before this
    // collection's own layers are replaced, so a copy that fails leaves this
    // collection as it was.
    void Assign(TPersistent* Source) override;

    // The owner's bitmap-to-control mapping, for layers placed in bitmap coordinates.
    TCoordTransform* OwnerTransform = nullptr;

    bool MouseEvents() const { return MouseEvents_; }
    // Also drops the mouse listener.
    void SetMouseEvents(bool Value);
    // The layer that receives all mouse input while it holds a button.
    TCustomLayer* MouseListener() const { return MouseListener_; }
    // The old listener forgets the buttons it held.
    void SetMouseListener(TCustomLayer* Layer);

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

    // The topmost layer with a bit of OptionMask in its options that is hit at (X, Y).
    TCustomLayer* FindLayerAtPos(int32_t X, int32_t Y, uint32_t OptionMask) const;
    // Mouse input in control coordinates; each returns the layer that dealt
    // with it: the listener, else the topmost layer under the pointer.
    TCustomLayer* MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
    TCustomLayer* MouseMove(TShiftState Shift, int32_t X, int32_t Y);
    TCustomLayer* MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);

    // The screen cursor while the pointer is over the owner control
    // (crDefault: the control's own).
    void SetScreenCursor(TCursor Cursor) const;

    TNotifyEvent OnLayersChanging;
    TNotifyEvent OnLayersChanged;
    TNotifyEvent OnLayersGDIUpdate;

  private:
    friend class TCustomLayer;
    // The layer's LayerCollection setter moves layers in and out through
    // these, each inside an update.
    void InsertItem(TCustomLayer* Layer);
    void RemoveItem(TCustomLayer* Layer);
    void MoveItem(int32_t From, int32_t To);
    // The listener, else the topmost layer under (X, Y) that takes mouse input.
    TCustomLayer* TargetLayer(int32_t X, int32_t Y) const;

    TObject* OwnerControl_;
    std::vector<TCustomLayer*> LayerList_;
    TCustomLayer* MouseListener_ = nullptr;
    int32_t UpdateDepth_ = 0;
    bool MouseEvents_ = true;
};

} // namespace gfx
