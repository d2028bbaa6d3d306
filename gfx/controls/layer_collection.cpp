#include "gfx/controls/layer_collection.h"

#include <algorithm>
#include <exception>

#include "gfx/controls/custom_control.h"
#include "gfx/collection.h"
#include "gfx/controls/layers.h"
#include "platform/exceptions.h"

namespace gfx {

namespace {
// Closes an update when the scope ends, also when it raises; an unpaired end
// is reported unless another failure is already on its way out.
struct UpdateScope {
    explicit UpdateScope(TLayerCollection& C) : Collection(C) { Collection.BeginUpdate(); }
    ~UpdateScope() noexcept(false) {
        if (std::uncaught_exceptions() > Failing) {
            try {
                Collection.EndUpdate();
            } catch (const platform::EAssertionFailed&) {
            }
        } else {
            Collection.EndUpdate();
        }
    }
    UpdateScope(const UpdateScope&) = delete;
    UpdateScope& operator=(const UpdateScope&) = delete;
    TLayerCollection& Collection;
    const int Failing = std::uncaught_exceptions();
};

TLayerState StateOf(TMouseButton Button) {
    switch (Button) {
    case mbRight: return lsMouseRight;
    case mbMiddle: return lsMouseMiddle;
    default: return lsMouseLeft;
    }
}

constexpr TLayerStates kButtonStates = lsMouseLeft | lsMouseRight | lsMouseMiddle;
} // namespace

TLayerCollection::~TLayerCollection() {
    UpdateDepth_ = 1; // no notification from here on
    Clear();
}

TCustomLayer* TLayerCollection::Items(int32_t Index) const {
    if (Index < 0 || Index >= Count()) ListIndexError(Index);
    return LayerList_[size_t(Index)];
}

void TLayerCollection::SetItem(int32_t Index, TCustomLayer* Value) { Items(Index)->Assign(Value); }

TCustomLayer* TLayerCollection::Add(TLayerClass LayerClass) { return LayerClass(this); }

TCustomLayer* TLayerCollection::Insert(int32_t Index, TLayerClass LayerClass) {
    UpdateScope Update(*this);
    TCustomLayer* Layer = Add(LayerClass);
    Layer->SetIndex(Index);
    return Layer;
}

void TLayerCollection::Delete(int32_t Index) { delete Items(Index); }

void TLayerCollection::Clear() {
    UpdateScope Update(*this);
    while (!LayerList_.empty())
        delete LayerList_.back();
}

void TLayerCollection::Assign(TPersistent* Source) {
    auto* From = dynamic_cast<TLayerCollection*>(Source);
    if (!From) {
        TPersistent::Assign(Source);
        return;
    }
    // The copies are made in a collection of their own first; only when every
    // one succeeded do they replace this collection's layers.
    TLayerCollection Copies(nullptr);
    Copies.OwnerTransform = OwnerTransform;
    for (int32_t I = 0; I < From->Count(); ++I) {
        TCustomLayer* Layer = From->Items(I);
        Copies.Add(Layer->LayerClass())->Assign(Layer);
    }
    UpdateScope Update(*this);
    Clear();
    while (!Copies.LayerList_.empty())
        Copies.LayerList_.front()->SetLayerCollection(this);
}

void TLayerCollection::InsertItem(TCustomLayer* Layer) {
    UpdateScope Update(*this);
    LayerList_.push_back(Layer);
    Layer->LayerCollection_ = this;
}

void TLayerCollection::RemoveItem(TCustomLayer* Layer) {
    UpdateScope Update(*this);
    LayerList_.erase(std::find(LayerList_.begin(), LayerList_.end(), Layer));
    Layer->LayerCollection_ = nullptr;
}

void TLayerCollection::MoveItem(int32_t From, int32_t To) {
    TCustomLayer* Layer = LayerList_[size_t(From)];
    LayerList_.erase(LayerList_.begin() + From);
    LayerList_.insert(LayerList_.begin() + To, Layer);
}

void TLayerCollection::BeginUpdate() {
    if (UpdateDepth_ == 0) Changing();
    ++UpdateDepth_;
}

void TLayerCollection::EndUpdate() {
    --UpdateDepth_;
    if (UpdateDepth_ == 0) Changed();
    if (UpdateDepth_ < 0) throw platform::EAssertionFailed("Unpaired EndUpdate");
}

void TLayerCollection::SetMouseEvents(bool Value) {
    MouseEvents_ = Value;
    SetMouseListener(nullptr);
}

void TLayerCollection::SetMouseListener(TCustomLayer* Layer) {
    if (Layer == MouseListener_) return;
    if (MouseListener_) MouseListener_->LayerStates &= TLayerStates(~kButtonStates);
    MouseListener_ = Layer;
}

void TLayerCollection::SetScreenCursor(TCursor Cursor) const {
    if (auto* Control = dynamic_cast<TCustomControl*>(OwnerControl_)) Control->ShowCursor(Cursor);
}

TCustomLayer* TLayerCollection::FindLayerAtPos(int32_t X, int32_t Y, uint32_t OptionMask) const {
    for (auto Layer = LayerList_.rbegin(); Layer != LayerList_.rend(); ++Layer)
        if (((*Layer)->LayerOptions() & OptionMask) && (*Layer)->HitTest(X, Y)) return *Layer;
    return nullptr;
}

TCustomLayer* TLayerCollection::TargetLayer(int32_t X, int32_t Y) const {
    return MouseListener_ ? MouseListener_ : FindLayerAtPos(X, Y, LayerOptMouseEvents);
}

// A press reaches a layer only as the listener: a left press makes the layer
// under the pointer the listener unless it asks not to capture.
TCustomLayer* TLayerCollection::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    const bool HadListener = MouseListener_ != nullptr;
    TCustomLayer* Layer = TargetLayer(X, Y);
    if (Button == mbLeft && !HadListener && Layer && !(Layer->LayerOptions() & LayerOptNoCapture))
        SetMouseListener(Layer);
    if (MouseListener_) {
        MouseListener_->LayerStates |= StateOf(Button);
        MouseListener_->MouseDown(Button, Shift, X, Y);
    }
    return Layer;
}

TCustomLayer* TLayerCollection::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
    TCustomLayer* Layer = TargetLayer(X, Y);
    if (Layer)
        Layer->MouseMove(Shift, X, Y);
    else
        SetScreenCursor(crDefault); // the control's own cursor
    return Layer;
}

TCustomLayer* TLayerCollection::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    TCustomLayer* Layer = TargetLayer(X, Y);
    if (Layer) {
        Layer->LayerStates &= TLayerStates(~StateOf(Button));
        Layer->MouseUp(Button, Shift, X, Y);
    }
    if (MouseListener_ && !(MouseListener_->LayerStates & kButtonStates)) SetMouseListener(nullptr);
    return Layer;
}

} // namespace gfx
