// Filled, outlined, stippled and bevelled rectangles.
#include <map>

#include "gfx_test_support.h"

using namespace gfx;

namespace {
constexpr TColor32 kBack = 0xFF404040;
struct Rects : ::testing::Test {
    gfx_test::EventLog Log;
    TBitmap32 B;
    void SetUp() override {
        B.SetSize(10, 10);
        B.Clear(kBack);
        Log.Attach(B);
        Log.Events.clear();
    }
    std::map<std::pair<int, int>, TColor32> Changed() const {
        std::map<std::pair<int, int>, TColor32> M;
        for (int Y = 0; Y < 10; ++Y)
            for (int X = 0; X < 10; ++X)
                if (B.Pixel(X, Y) != kBack) M[{X, Y}] = B.Pixel(X, Y);
        return M;
    }
};
} // namespace

TEST_F(Rects, FillsClipAndNotify) {
    B.FillRect(2, 3, 2, 5, 1);
    EXPECT_TRUE(Changed().empty());
    EXPECT_EQ(Log.Count("change"), 1);
    B.FillRectS(-5, -5, 3, 2, 0xFF00FF00);
    auto M = Changed();
    EXPECT_EQ(M.size(), 6u);
    EXPECT_TRUE(M.count({2, 1}) && M.count({0, 0}));
    EXPECT_EQ(Log.Count("change"), 2);
    for (TRect R :
         {TRect{3, 3, 3, 8}, TRect{10, 0, 20, 5}, TRect{0, 10, 5, 20}, TRect{-5, 0, 0, 5}, TRect{5, 5, 4, 9}})
        B.FillRectS(R, 1);
    EXPECT_EQ(Log.Count("change"), 2);
    B.FillRectS(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 7);
    EXPECT_EQ(B.Pixel(9, 9), 7u);
    EXPECT_EQ(B.Pixel(0, 0), 7u);
}

TEST_F(Rects, TransparentFills) {
    for (bool Mmx : {false, true}) {
        gfx_test::BlendSetScope Set(Mmx);
        SetUp();
        B.FillRectT(1, 1, 3, 3, 0xFF123456);
        EXPECT_EQ(B.Pixel(2, 2), 0xFF123456u);
        TColor32 Want = kBack;
        CombineMem(0x80FFFFFF, Want, 128);
        B.FillRectTS(-3, 5, 4, 20, 0x80FFFFFF);
        EXPECT_EQ(B.Pixel(0, 9), Want);
        EXPECT_EQ(B.Pixel(3, 5), Want);
        EXPECT_EQ(B.Pixel(4, 5), kBack);
        EXPECT_EQ(Changed().size(), 4u + 4u * 5u);
        B.FillRectT(5, 0, 8, 2, 0x00FFFFFF); // weight 0: unchanged, still notified
        EXPECT_EQ(Changed().size(), 24u);
        EXPECT_EQ(Log.Count("change"), 3);
    }
}

TEST_F(Rects, FramesDrawEachPixelOnce) {
    B.FrameRectS(0, 0, 1, 1, 0xFF000001);
    EXPECT_EQ(Changed().size(), 1u);
    SetUp();
    B.FrameRectS(0, 0, 4, 1, 0xFF000001);
    EXPECT_EQ(Changed().size(), 4u);
    SetUp();
    B.FrameRectTS(0, 0, 3, 3, 0x80FFFFFF);
    TColor32 Once = kBack;
    BlendMem(0x80FFFFFF, Once);
    auto M = Changed();
    EXPECT_EQ(M.size(), 8u);
    for (auto& [P, C] : M)
        EXPECT_EQ(C, Once) << P.first << "," << P.second;
    EXPECT_EQ(B.Pixel(1, 1), kBack);
    SetUp();
    B.FrameRectS(-2, -2, 12, 12, 0xFF000001); // wholly outside but for nothing
    EXPECT_TRUE(Changed().empty());
    EXPECT_EQ(Log.Count("change"), 1);
    B.FrameRectS(8, 8, 20, 20, 0xFF000001);
    EXPECT_EQ(Changed().size(), 3u); // (8,8), (9,8), (8,9)
    Log.Events.clear();
    B.FrameRectTS(20, 20, 30, 30, 0xFF000001);
    EXPECT_EQ(Log.Count("change"), 0);
}

TEST_F(Rects, StippledFrameRunsClockwise) {
    const TColor32 A = 0xFFAA0000, Bc = 0xFF0000BB;
    B.SetStipple({A, Bc});
    B.FrameRectTSP(0, 0, 3, 3);
    const std::pair<int, int> Order[] = {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}};
    for (size_t I = 0; I < 8; ++I)
        EXPECT_EQ(B.Pixel(Order[I].first, Order[I].second), I % 2 ? Bc : A) << I;
    EXPECT_EQ(B.Pixel(1, 1), kBack);
    EXPECT_EQ(Log.Count("change"), 1);
    // Degenerate frames: one pixel, one column, one row.
    SetUp();
    B.SetStipple({A, Bc});
    B.FrameRectTSP(5, 5, 6, 6);
    B.FrameRectTSP(7, 0, 8, 3);
    B.FrameRectTSP(0, 9, 3, 10);
    EXPECT_EQ(B.Pixel(5, 5), A);
    EXPECT_EQ(B.Pixel(7, 0), Bc);
    EXPECT_EQ(B.Pixel(7, 2), Bc);
    EXPECT_EQ(B.Pixel(0, 9), A);
    EXPECT_EQ(Changed().size(), 7u);
    // Partly outside: the phase is kept where the frame re-enters.
    SetUp();
    B.SetStipple({A, Bc});
    B.FrameRectTSP(-1, 0, 3, 3); // top row starts one pixel outside
    EXPECT_EQ(B.Pixel(0, 0), Bc);
}

TEST_F(Rects, BevelColoursAndSmallRectangles) {
    B.RaiseRectTS(0, 0, 4, 4, 100);
    EXPECT_EQ(B.Pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(B.Pixel(0, 2), 0xFFFFFFFFu);
    EXPECT_EQ(B.Pixel(3, 3), 0xFF000000u);
    EXPECT_EQ(B.Pixel(3, 1), 0xFF000000u);
    EXPECT_EQ(B.Pixel(1, 1), kBack);
    SetUp();
    B.RaiseRectTS(TRect{0, 0, 4, 4}, -100);
    EXPECT_EQ(B.Pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(B.Pixel(3, 3), 0xFFFFFFFFu);
    SetUp();
    B.RaiseRectTS(0, 0, 4, 4, 10);
    TColor32 Light = kBack, Dark = kBack;
    BlendMem(SetAlpha(0xFFFFFFFF, 51), Light);
    BlendMem(SetAlpha(0xFF000000, 25), Dark);
    EXPECT_EQ(B.Pixel(1, 0), Light);
    EXPECT_EQ(B.Pixel(1, 3), Dark);
    SetUp();
    B.RaiseRectTS(0, 0, 4, 4, 0);
    EXPECT_TRUE(Changed().empty());
    EXPECT_EQ(Log.Count("change"), 1);
    B.RaiseRectTS(0, 0, 4, 4, INT32_MIN); // extreme contrast saturates
    EXPECT_EQ(B.Pixel(0, 0), 0xFF000000u);

    // One and two rows high: only pixels of the rectangle's own rows change.
    for (int H : {1, 2}) {
        SetUp();
        B.RaiseRectTS(2, 4, 6, 4 + H, 100);
        for (auto& [P, C] : Changed())
            EXPECT_TRUE(P.second >= 4 && P.second < 4 + H) << H << ": " << P.second;
        EXPECT_EQ(B.Pixel(2, 3), kBack);
        EXPECT_EQ(B.Pixel(2, 4 + H), kBack);
    }
    SetUp();
    B.RaiseRectTS(0, 9, 3, 10, 100); // bottom row of the bitmap
    B.RaiseRectTS(0, 0, 3, 1, 100);  // top row
    for (auto& [P, C] : Changed())
        EXPECT_TRUE(P.second == 0 || P.second == 9);
}
