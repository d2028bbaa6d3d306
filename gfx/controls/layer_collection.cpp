#include "gfx/controls/layer_collection.h"

#include "platform/exceptions.h"

namespace gfx {

namespace {
constexpr uint32_t kMouseEventsOption = 0x20000000; // layers that take mouse input
} // namespace

void TLayerCollection::BeginUpdate() {
    if (UpdateDepth_ == 0) Changing();
    ++UpdateDepth_;
}

void TLayerCollection::EndUpdate() {
    --UpdateDepth_;
    if (UpdateDepth_ == 0) Changed();
    if (UpdateDepth_ < 0) throw platform::EAssertionFailed("Unpaired EndUpdate");
}

TCustomLayer* TLayerCollection::FindLayerAtPos(int32_t, int32_t, uint32_t) const {
    return nullptr; // the collection holds no layers
}

TCustomLayer* TLayerCollection::TargetLayer(int32_t X, int32_t Y) const {
    return MouseListener_ ? MouseListener_ : FindLayerAtPos(X, Y, kMouseEventsOption);
}

// With no layer, no listener exists and none is hit: the input passes through.
TCustomLayer* TLayerCollection::MouseDown(TMouseButton, TShiftState, int32_t X, int32_t Y) {
    return TargetLayer(X, Y);
}

TCustomLayer* TLayerCollection::MouseMove(TShiftState, int32_t X, int32_t Y) { return TargetLayer(X, Y); }

TCustomLayer* TLayerCollection::MouseUp(TMouseButton, TShiftState, int32_t X, int32_t Y) {
    return TargetLayer(X, Y);
}

} // namespace gfx
