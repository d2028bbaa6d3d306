// TBitmap32List: a non-visual list of TBitmap32 pictures that a form keeps for
// its code to draw from. It owns a TBitmap32Collection whose TBitmap32Items
// each own one bitmap.
#pragma once

#include <memory>

#include "gfx/bitmap32.h"
#include "gfx/collection.h"

namespace gfx {

class TBitmap32Item : public TCollectionItem {
  public:
    explicit TBitmap32Item(TCollection* Collection)
        : TCollectionItem(Collection), Bitmap_(std::make_unique<TBitmap32>()) {}
    std::string ClassName() const override { return "TBitmap32Item"; }
    TBitmap32* Bitmap() const { return Bitmap_.get(); }
    // Copies Value's pixels into the item's own bitmap.
    void SetBitmap(TBitmap32* Value) { Bitmap_->Assign(Value); }

  private:
    std::unique_ptr<TBitmap32> Bitmap_;
};

class TBitmap32Collection : public TCollection {
  public:
    TBitmap32Collection(TPersistent* Owner, TCollectionItemClass ItemClass)
        : TCollection(ItemClass), Owner_(Owner) {}
    std::string ClassName() const override { return "TBitmap32Collection"; }
    TPersistent* GetOwner() const override { return Owner_; }
    TBitmap32Item* Add() { return static_cast<TBitmap32Item*>(TCollection::Add()); }
    TBitmap32Item* GetItem(int32_t Index) const {
        return static_cast<TBitmap32Item*>(TCollection::GetItem(Index));
    }

  private:
    TPersistent* Owner_;
};

class TBitmap32List : public TPersistent {
  public:
    TBitmap32List() : Bitmaps_(std::make_unique<TBitmap32Collection>(this, &NewItem<TBitmap32Item>)) {}
    std::string ClassName() const override { return "TBitmap32List"; }

    TBitmap32Collection* Bitmaps() const { return Bitmaps_.get(); }
    // The list keeps its own collection: the items' bitmaps of Value are
    // copied into new items, which replace the old ones once all are made.
    void SetBitmap32Collection(TBitmap32Collection* Value);
    // The bitmap of item Index, still owned by the item; EListError outside the list.
    TBitmap32* GetBitmap(int32_t Index) const { return Bitmaps_->GetItem(Index)->Bitmap(); }
    // Copies Value into the bitmap of item Index.
    void SetBitmap(int32_t Index, TBitmap32* Value) { Bitmaps_->GetItem(Index)->SetBitmap(Value); }

  private:
    std::unique_ptr<TBitmap32Collection> Bitmaps_;
};

} // namespace gfx
