// The paint stage list: default records, clamped insertion, checked access.
#include <gtest/gtest.h>

#include "gfx/paint_stages.h"
#include "platform/exceptions.h"

using namespace gfx;

namespace {
TPaintStages Numbered(int N) {
    TPaintStages L;
    for (int I = 0; I < N; ++I)
        L.Add()->StageParam = uint32_t(I);
    return L;
}
std::vector<uint32_t> Params(TPaintStages& L) {
    std::vector<uint32_t> P;
    for (int I = 0; I < L.Count(); ++I)
        P.push_back(L.Items(I)->StageParam);
    return P;
}
} // namespace

TEST(PaintStages, AddAndInsertStoreDefaultRecordsAtClampedPositions) {
    TPaintStages L = Numbered(3);
    EXPECT_EQ(*L.Items(0), (TPaintStage{false, true, 0, 0}));
    L.Insert(-3)->StageParam = 10;            // below 0: at the front
    L.Insert(L.Count() + 5)->StageParam = 11; // past the end: appended
    L.Insert(2)->StageParam = 12;
    EXPECT_EQ(Params(L), (std::vector<uint32_t>{10, 0, 12, 1, 2, 11}));
    EXPECT_EQ(*L.Insert(1), (TPaintStage{false, true, 0, 0}));
}

TEST(PaintStages, IndicesOutsideTheListAreRejectedAndLeaveItUnchanged) {
    TPaintStages L = Numbered(3);
    for (int Bad : {-1, 3, 1000}) {
        try {
            L.Delete(Bad);
            ADD_FAILURE() << "Delete(" << Bad << ") accepted";
        } catch (const platform::EListError& E) {
            EXPECT_STREQ(E.what(), "Invalid stage index");
        }
        EXPECT_THROW(L.Items(Bad), platform::EListError) << Bad;
    }
    EXPECT_EQ(Params(L), (std::vector<uint32_t>{0, 1, 2}));
    L.Delete(1);
    EXPECT_EQ(Params(L), (std::vector<uint32_t>{0, 2}));
    L.Clear();
    EXPECT_EQ(L.Count(), 0);
    EXPECT_THROW(L.Items(0), platform::EListError);
}
