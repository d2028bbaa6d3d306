// TRubberbandLayer: a positioned layer the user drags to move or resize a
// rectangle. It draws a stippled frame with square handles on the corners and
// side midpoints, finds the handle or region under the mouse, and while a
// button is held turns mouse moves into a new location within minimum and
// maximum sizes. An attached ChildLayer follows its location.
#pragma once

#include <functional>

#include "gfx/controls/layers.h"

namespace gfx {

// What is drawn and what can be dragged (a set of these bits).
enum TRBHandle : uint8_t { rhCenter = 1, rhSides = 2, rhCorners = 4, rhFrame = 8 };
using TRBHandles = uint8_t;

enum TG32DragState : uint8_t {
    dsNone,
    dsMove,
    dsSizeL,
    dsSizeT,
    dsSizeR,
    dsSizeB,
    dsSizeTL,
    dsSizeTR,
    dsSizeBL,
    dsSizeBR,
};

// Raised before a drag step is applied; the handler may change NewLocation.
using TRBResizingEvent =
    std::function<void(TObject* Sender, const TFloatRect& OldLocation, TFloatRect& NewLocation,
                       TG32DragState DragState, TShiftState Shift)>;

class TRubberbandLayer : public TPositionedLayer {
  public:
    explicit TRubberbandLayer(TLayerCollection* Collection);
    // Withdraws from the child's destroy notifications.
    ~TRubberbandLayer() override;
    std::string ClassName() const override { return "TRubberbandLayer"; }
    TLayerClass LayerClass() const override { return &NewLayer<TRubberbandLayer>; }

    TPositionedLayer* ChildLayer() const { return ChildLayer_; }
    // The child takes this layer's location from now on; this layer takes
    // the child's location and scaling at once, and its own changes go quiet
    // (the child's repaint the control). A child that would lead back to
    // this layer (itself, or a band whose chain of children reaches this
    // one) is taken as none.
    void SetChildLayer(TPositionedLayer* Value);
    // Handle colours (framework colours).
    TWinColor HandleFill() const { return HandleFill_; }
    void SetHandleFill(TWinColor Value);
    TWinColor HandleFrame() const { return HandleFrame_; }
    void SetHandleFrame(TWinColor Value);
    TRBHandles Handles() const { return Handles_; }
    void SetHandles(TRBHandles Value);
    // Half a handle's side; plus 1, the grab tolerance. At least 1.
    int32_t HandleSize() const { return HandleSize_; }
    void SetHandleSize(int32_t Value);

    // What a press at (X, Y) (control coordinates) would drag.
    virtual TG32DragState GetDragState(int32_t X, int32_t Y);
    bool DoHitTest(int32_t X, int32_t Y) override { return GetDragState(X, Y) != dsNone; }
    void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void Notification(TCustomLayer* Layer) override;
    void Paint(TBitmap32* Buffer) override;

    // Size limits of a resize; a maximum below its minimum is not applied.
    float MinDragWidth = 10, MaxDragHeight = 0, MinDragHeight = 10, MaxDragWidth = 0;
    TNotifyEvent OnUserDrag;
    TRBResizingEvent OnDragResizing;

  protected:
    virtual void DoResizing(const TFloatRect& OldLocation, TFloatRect& NewLocation, TG32DragState DragState,
                            TShiftState Shift);
    void DoSetLocation(const TFloatRect& Value) override;

    bool Dragging = false;
    TG32DragState DragState = dsNone;
    TFloatRect OldLocation;
    TFloatPoint GrabOffset;

  private:
    // Whether Value is this layer or leads to it through bands' children.
    bool WouldFollowItself(const TPositionedLayer* Value) const;
    void UpdateChildLayer();
    // Quiet while a child repaints for this layer.
    void FollowChild() {
        SetOptionsQuietly(ChildLayer_ ? LayerOptions() | LayerOptNoUpdate
                                      : LayerOptions() & ~LayerOptNoUpdate);
    }
    // Stores a new look and asks for the screen to be copied again.
    template <typename T> void ChangeLook(T& Field, T Value);

    TPositionedLayer* ChildLayer_ = nullptr;
    TWinColor HandleFrame_ = clBlack;
    TWinColor HandleFill_ = clWhite;
    TRBHandles Handles_ = rhCenter | rhSides | rhCorners | rhFrame;
    int32_t HandleSize_ = 3;
};

} // namespace gfx
