#include "gfx/bitmap32_list.h"

namespace gfx {

void TBitmap32List::SetBitmap32Collection(TBitmap32Collection* Value) {
    if (Value == Bitmaps_.get()) return;
    auto Copy = std::make_unique<TBitmap32Collection>(this, &NewItem<TBitmap32Item>);
    for (int32_t I = 0; Value && I < Value->Count(); ++I)
        Copy->Add()->SetBitmap(Value->GetItem(I)->Bitmap());
    Bitmaps_ = std::move(Copy);
}

} // namespace gfx
