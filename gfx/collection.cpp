#include "gfx/collection.h"

#include <algorithm>
#include <string>

#include "platform/exceptions.h"

namespace gfx {

void ListIndexError(int32_t Index) {
    throw platform::EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

TCollectionItem::TCollectionItem(TCollection* Collection) : Collection_(Collection) {
    if (Collection_) Collection_->Items_.push_back(this);
}

TCollectionItem::~TCollectionItem() {
    if (!Collection_) return;
    auto& Items = Collection_->Items_;
    Items.erase(std::find(Items.begin(), Items.end(), this));
}

int32_t TCollectionItem::Index() const {
    if (!Collection_) return -1;
    const auto& Items = Collection_->Items_;
    return int32_t(std::find(Items.begin(), Items.end(), this) - Items.begin());
}

TCollection::~TCollection() { Clear(); }

TCollectionItem* TCollection::GetItem(int32_t Index) const {
    if (Index < 0 || Index >= Count()) ListIndexError(Index);
    return Items_[size_t(Index)];
}

void TCollection::Clear() {
    while (!Items_.empty())
        delete Items_.back();
}

} // namespace gfx
