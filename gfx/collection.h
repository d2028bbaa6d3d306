// The framework's collections as far as the library needs them: an owned,
// indexed list of items of one item class, each item knowing its collection.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/persistent.h"

namespace gfx {

class TCollection;

// Raises the framework's list error "List index out of bounds (Index)".
[[noreturn]] void ListIndexError(int32_t Index);

// An item joins its collection when it is made and leaves it when it is freed.
class TCollectionItem : public TPersistent {
  public:
    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;
    std::string ClassName() const override { return "TCollectionItem"; }
    TCollection* Collection() const { return Collection_; }
    int32_t Index() const;

  private:
    TCollection* Collection_;
};

// An item class: makes an item of that class in a collection.
using TCollectionItemClass = TCollectionItem* (*)(TCollection* Collection);
template <class Item> TCollectionItem* NewItem(TCollection* Collection) { return new Item(Collection); }

class TCollection : public TPersistent {
  public:
    explicit TCollection(TCollectionItemClass ItemClass) : ItemClass_(ItemClass) {}
    // Frees every item.
    ~TCollection() override;
    std::string ClassName() const override { return "TCollection"; }

    // A new item of the item class at the end.
    TCollectionItem* Add() { return ItemClass_(this); }
    int32_t Count() const { return int32_t(Items_.size()); }
    // EListError outside 0 .. Count - 1.
    TCollectionItem* GetItem(int32_t Index) const;
    // Copies Value into the item at Index through the item's generic copy.
    void SetItem(int32_t Index, TPersistent* Value) { GetItem(Index)->Assign(Value); }
    void Delete(int32_t Index) { delete GetItem(Index); }
    void Clear();
    // The object that owns the collection (none here).
    virtual TPersistent* GetOwner() const { return nullptr; }

  private:
    friend class TCollectionItem;
    TCollectionItemClass ItemClass_;
    std::vector<TCollectionItem*> Items_;
};

} // namespace gfx
