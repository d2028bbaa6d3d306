// Pixel access in every form, at the borders, with sentinels around the memory.
#include <cmath>

#include "gfx_test_support.h"

using namespace gfx;

namespace {
// A bitmap whose every pixel is a marker, plus a check that nothing outside a
// given set of pixels changed. ASan guards the memory beyond the bitmap.
struct Pixels : ::testing::Test {
    TBitmap32 B;
    std::vector<TColor32> Before;
    void SetUp() override {
        B.SetSize(10, 10);
        gfx_test::FillMarkers(B);
        Before.assign(B.Bits(), B.Bits() + 100);
    }
    int ChangedCount() const {
        int N = 0;
        for (int I = 0; I < 100; ++I)
            N += B.Bits()[I] != Before[size_t(I)];
        return N;
    }
};
} // namespace

TEST_F(Pixels, SafeFormsIgnoreEverythingOutside) {
    B.OuterColor = 0xDEADBEEF;
    const TPoint Outside[] = {{-1, 0}, {10, 0}, {0, -1}, {0, 10}, {INT32_MIN, 5}, {5, INT32_MAX}, {-1, -1}};
    for (TPoint P : Outside) {
        EXPECT_EQ(B.GetPixelS(P.X, P.Y), 0xDEADBEEFu);
        B.SetPixelS(P.X, P.Y, 1);
        B.SetPixelTS(P.X, P.Y, 0xFFFFFFFF);
    }
    EXPECT_EQ(ChangedCount(), 0);
    EXPECT_EQ(B.GetPixelS(9, 9), gfx_test::Marker(9, 9));
    B.SetPixelS(9, 0, 5);
    EXPECT_EQ(B.Pixel(9, 0), 5u);
    EXPECT_EQ(B.PixelS(0, 9), gfx_test::Marker(0, 9));
}

TEST_F(Pixels, BoundedReadClamps) {
    EXPECT_EQ(B.GetPixelB(-5, 1000), gfx_test::Marker(0, 9));
    EXPECT_EQ(B.PixelB(1000, -5), gfx_test::Marker(9, 0));
    EXPECT_EQ(B.GetPixelB(INT32_MIN, INT32_MAX), gfx_test::Marker(0, 9));
    EXPECT_EQ(B.GetPixelB(4, 6), gfx_test::Marker(4, 6));
}

TEST_F(Pixels, PointersAndScanLines) {
    EXPECT_EQ(B.GetScanLine(3), B.Bits() + 30);
    EXPECT_EQ(B.ScanLine(9) + 9, B.PixelPtr(9, 9));
    EXPECT_EQ(*B.GetPixelPtr(7, 2), gfx_test::Marker(7, 2));
}

TEST_F(Pixels, TransparentFormsBlend) {
    B.SetPixelTS(2, 2, 0x00FFFFFF);
    EXPECT_EQ(ChangedCount(), 0);
    B.SetPixelTS(2, 2, 0xFF123456);
    EXPECT_EQ(B.Pixel(2, 2), 0xFF123456u);
    TColor32 Want = B.Pixel(3, 3);
    BlendMem(0x80FFFFFF, Want);
    B.SetPixelT(3, 3, 0x80FFFFFF);
    EXPECT_EQ(B.Pixel(3, 3), Want);
    TColor32* P = B.PixelPtr(0, 5);
    B.SetPixelT(P, 0xFF000001);
    B.SetPixelT(P, 0xFF000002);
    EXPECT_EQ(P, B.PixelPtr(2, 5));
    EXPECT_EQ(B.Pixel(1, 5), 0xFF000002u);
}

TEST_F(Pixels, AntiAliasedPointWeights) {
    for (bool Mmx : {false, true}) {
        gfx_test::BlendSetScope Set(Mmx);
        SetUp();
        const TColor32 C = 0xFFFFFFFF;
        TColor32 Want = B.Pixel(5, 7);
        CombineMem(C, Want, 253);
        B.SET_T256(5 * 256, 7 * 256, C);
        EXPECT_EQ(B.Pixel(5, 7), Want);
        EXPECT_EQ(ChangedCount(), 1);

        // Half a pixel right: left and right weights from the gamma table.
        SetUp();
        B.SET_T256(2 * 256 + 128, 3 * 256, C);
        const uint32_t Wl = GAMMA_TABLE[127] * 255u, Wr = GAMMA_TABLE[128] * 255u, Wt = GAMMA_TABLE[255];
        TColor32 L = Before[32], R = Before[33];
        CombineMem(C, L, (Wl * Wt) >> 16);
        CombineMem(C, R, (Wr * Wt) >> 16);
        EXPECT_EQ(B.Pixel(2, 3), L);
        EXPECT_EQ(B.Pixel(3, 3), R);
        EXPECT_EQ(ChangedCount(), 2);

        SetUp();
        B.SET_T256(4 * 256 + 77, 4 * 256 + 99, 0x00FFFFFF);
        EXPECT_EQ(ChangedCount(), 0);
    }
}

TEST_F(Pixels, SafeAntiAliasedPointDrawsOnlyItsInsideHalf) {
    const TColor32 C = 0xFFFFFFFF;
    B.SET_TS256(-128, 0, C);
    const uint32_t Wr = GAMMA_TABLE[128] * 255u, Wt = GAMMA_TABLE[255], Wb = GAMMA_TABLE[0];
    TColor32 Top = Before[0];
    CombineMem(C, Top, (Wr * Wt) >> 16);
    EXPECT_EQ(B.Pixel(0, 0), Top);
    (void)Wb; // the bottom weight is 0 at fraction 0
    EXPECT_EQ(ChangedCount(), 1);

    SetUp();
    B.SET_TS256(-128, 128, C); // (0, 0) and (0, 1)
    EXPECT_NE(B.Pixel(0, 0), Before[0]);
    EXPECT_NE(B.Pixel(0, 1), Before[10]);
    EXPECT_EQ(ChangedCount(), 2);

    SetUp();
    for (auto [X, Y] :
         {std::pair{-300, 0}, {0, -300}, {10 * 256, 0}, {0, 10 * 256}, {INT32_MIN, 0}, {0, INT32_MAX}})
        B.SET_TS256(X, Y, C);
    EXPECT_EQ(ChangedCount(), 0);
    B.SET_TS256(9 * 256 + 128, 9 * 256 + 128, C); // the last pixel only
    EXPECT_EQ(ChangedCount(), 1);
    EXPECT_NE(B.Pixel(9, 9), Before[99]);
}

TEST_F(Pixels, FixedAndFloatCoordinatesRoundAsDocumented) {
    TBitmap32 Ref;
    auto Same = [&](auto Plot, int X256, int Y256) {
        SetUp();
        Ref.Assign(&B);
        Plot();
        Ref.SET_T256(X256, Y256, 0xFFFFFFFF);
        for (int I = 0; I < 100; ++I)
            ASSERT_EQ(B.Bits()[I], Ref.Bits()[I]) << I;
    };
    // 16.16 remainder 128 (exactly half of 1/256) rounds down, 129 rounds up.
    Same([&] { B.SetPixelX(5 * 65536 + 128, 2 * 65536, 0xFFFFFFFF); }, 5 * 256, 2 * 256);
    Same([&] { B.SetPixelX(5 * 65536 + 129, 2 * 65536, 0xFFFFFFFF); }, 5 * 256 + 1, 2 * 256);
    // Floats: halves to even in 24.8 units.
    Same([&] { B.SetPixelF(2.5f / 256, 1, 0xFFFFFFFF); }, 2, 256);
    Same([&] { B.SetPixelF(3.5f / 256, 1, 0xFFFFFFFF); }, 4, 256);
    Same([&] { B.SetPixelFS(3.25f, 4.75f, 0xFFFFFFFF); }, 832, 1216);
    Same([&] { B.SetPixelXS(3 * 65536, 4 * 65536 + 32768, 0xFFFFFFFF); }, 768, 1152);
    SetUp();
    B.SetPixelXS(INT32_MAX, INT32_MIN, 0xFFFFFFFF);
    B.SetPixelFS(-1e6f, 1e6f, 0xFFFFFFFF);
    EXPECT_EQ(ChangedCount(), 0);
    EXPECT_THROW(B.SetPixelFS(NAN, 0, 0xFFFFFFFF), platform::EInvalidOp);
}
