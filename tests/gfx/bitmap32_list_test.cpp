// The bitmap list: items that own their bitmaps, copies in and out, indexes
// outside the list, and a new collection copied in whole or not at all.
#include "gfx_test_support.h"

using namespace gfx;

namespace {

TEST(Bitmap32List, ItemsOwnCopiesOfTheirBitmaps) {
    TBitmap32List List;
    EXPECT_EQ(List.Bitmaps()->Count(), 0);
    EXPECT_EQ(List.Bitmaps()->GetOwner(), &List);
    TBitmap32Item* Item = List.Bitmaps()->Add();
    EXPECT_TRUE(Item->Bitmap()->Empty());
    EXPECT_EQ(Item->Index(), 0);

    TBitmap32 B;
    B.SetSize(3, 2);
    B.Clear(0xFF112233);
    List.SetBitmap(0, &B);
    B.Clear(0xFF000000); // the list holds a copy
    TBitmap32* Held = List.GetBitmap(0);
    EXPECT_EQ(Held, Item->Bitmap()) << "the item keeps its own bitmap object";
    EXPECT_EQ(Held->Width(), 3);
    EXPECT_EQ(Held->Pixel(2, 1), 0xFF112233u);

    try {
        List.GetBitmap(1);
        ADD_FAILURE() << "no error";
    } catch (const platform::EListError& E) {
        EXPECT_STREQ(E.what(), "List index out of bounds (1)");
    }
    EXPECT_THROW(List.SetBitmap(-1, &B), platform::EListError);
    // Items do not copy themselves: the item is unchanged.
    TBitmap32Item* Other = List.Bitmaps()->Add();
    EXPECT_THROW(List.Bitmaps()->SetItem(0, Other), EConvertError);
    EXPECT_EQ(List.GetBitmap(0)->Pixel(0, 0), 0xFF112233u);
    List.Bitmaps()->Delete(0);
    EXPECT_EQ(List.Bitmaps()->Count(), 1);
    EXPECT_EQ(Other->Index(), 0);
}

TEST(Bitmap32List, AGivenCollectionIsCopiedAndStaysTheCallers) {
    TBitmap32List List, Source;
    List.Bitmaps()->Add();
    for (TColor32 C : {0xFF010203u, 0xFF040506u}) {
        TBitmap32* B = Source.Bitmaps()->Add()->Bitmap();
        B->SetSize(2, 2);
        B->Clear(C);
    }
    List.SetBitmap32Collection(Source.Bitmaps());
    ASSERT_EQ(List.Bitmaps()->Count(), 2);
    EXPECT_NE(List.Bitmaps(), Source.Bitmaps());
    EXPECT_EQ(List.Bitmaps()->GetOwner(), &List);
    EXPECT_EQ(List.GetBitmap(1)->Pixel(1, 1), 0xFF040506u);
    EXPECT_NE(List.GetBitmap(1), Source.GetBitmap(1));
    List.SetBitmap32Collection(List.Bitmaps()); // itself: nothing changes
    EXPECT_EQ(List.Bitmaps()->Count(), 2);
}

} // namespace
