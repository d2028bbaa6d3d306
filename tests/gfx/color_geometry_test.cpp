// Colours, fixed point, points, rectangles, rounding and gamma.
#include <cmath>
#include <limits>

#include "gfx_test_support.h"

using namespace gfx;

TEST(Color, ConstructorsAndComponents) {
    EXPECT_EQ(Color32(TWinColor(0x563412)), 0xFF123456u);
    EXPECT_EQ(WinColor(0x80123456u), 0x00563412);
    EXPECT_EQ(Color32(0x12, 0x34, 0x56, 0x78), 0x78123456u);
    EXPECT_EQ(Gray32(0x40, 0x80), 0x80404040u);
    TPalette32 Pal{};
    Pal[7] = 0xDEADBEEF;
    EXPECT_EQ(Color32(uint8_t(7), Pal), 0xDEADBEEFu);
    EXPECT_EQ(SetAlpha(0x11223344, -5), 0x00223344u);
    EXPECT_EQ(SetAlpha(0x11223344, 300), 0xFF223344u);
    EXPECT_EQ(Intensity(0xFFFFFFFF), 255);
    EXPECT_EQ(Intensity(0xFF00FF00), 173);
    EXPECT_EQ(Intensity(0x00FFFFFF), 255); // alpha ignored
    EXPECT_EQ(ArrayOfColor32({1, 2, 3}), (TArrayOfColor32{1, 2, 3}));
    EXPECT_EQ(AlphaComponent(0x80123456), 0x80);
    EXPECT_EQ(RedComponent(0x80123456), 0x12);
}

TEST(Color, SystemColourTakesTheCurrentValue) {
    EXPECT_EQ(Color32(TWinColor(0x80000005)), Color32(GetSysColor(5)));
    gfx::SysColorSource = [](int Index) { return TWinColor(Index == 5 ? 0x00563412 : 0); };
    EXPECT_EQ(Color32(TWinColor(0x80000005)), 0xFF123456u);
    gfx::SysColorSource = nullptr;
}

TEST(Color, HslRoundTripsAndClamps) {
    EXPECT_EQ(HSLtoRGB(0, 1, 0.5f), 0xFFFF0000u);
    EXPECT_EQ(HSLtoRGB(1.0f / 3, 1, 0.5f), 0xFF00FF00u);
    EXPECT_EQ(HSLtoRGB(0.5f, 0, 0.5f), 0xFF808080u);             // 127.5 rounds to even: 128
    EXPECT_EQ(HSLtoRGB(1.5f, 1, 0.5f), HSLtoRGB(0.5f, 1, 0.5f)); // hue wraps
    float H, S, L;
    RGBtoHSL(0xFF0000FF, H, S, L);
    EXPECT_FLOAT_EQ(H, 2.0f / 3);
    EXPECT_FLOAT_EQ(S, 1);
    EXPECT_FLOAT_EQ(L, 0.5f);
    RGBtoHSL(0xFF808080, H, S, L);
    EXPECT_EQ(H, 0);
    EXPECT_EQ(S, 0);
    // Out of range inputs stay within their channel.
    EXPECT_EQ(HSLtoRGB(0, 0, 2.0f), 0xFFFFFFFFu);
    EXPECT_EQ(HSLtoRGB(0, 0, -1.0f), 0xFF000000u);
    EXPECT_EQ(HSLtoRGB(0, 5.0f, 0.5f), 0xFFFF0000u);
    EXPECT_EQ(HSLtoRGB(0, 1, 7.0f), 0xFFFFFFFFu);
    EXPECT_THROW(HSLtoRGB(NAN, 1, 0.5f), platform::EInvalidOp);
    // Every colour survives a round trip within one step.
    for (TColor32 C : {0xFF123456u, 0xFFFEDCBAu, 0xFF00FF80u, 0xFF7F7F00u}) {
        RGBtoHSL(C, H, S, L);
        const TColor32 Back = HSLtoRGB(H, S, L);
        for (int Sh = 0; Sh < 24; Sh += 8)
            EXPECT_NEAR(gfx_test::Chan(Back, Sh), gfx_test::Chan(C, Sh), 1) << C;
    }
}

TEST(Fixed, RoundingRules) {
    EXPECT_EQ(FixedRound(0x18000), 1);
    EXPECT_EQ(FixedRound(0x18001), 2);
    EXPECT_EQ(FixedRound(-0x18000), -2);
    EXPECT_EQ(FixedCeil(0x10001), 2);
    EXPECT_EQ(FixedFloor(-1), -1);
    EXPECT_EQ(FixedRound(0x7FFFFFFF), 32768); // no overflow in the addition
    EXPECT_EQ(Fixed(1.5f), 0x18000);
    EXPECT_EQ(Fixed(int32_t(-2)), -0x20000);
    // Halves of 1/65536 go to even.
    EXPECT_EQ(Fixed(float(0.5 / 65536)), 0);
    EXPECT_EQ(Fixed(float(1.5 / 65536)), 2);
    EXPECT_EQ(Fixed(float(2.5 / 65536)), 2);
    EXPECT_THROW(Fixed(40000.0f), platform::EInvalidOp);
    EXPECT_EQ(FixedMul(0x18000, 0x20000), 0x30000);
    EXPECT_EQ(FixedDiv(0x30000, 0x20000), 0x18000);
    EXPECT_EQ(FixedDiv(1, 0), -1);
}

TEST(Points, Conversions) {
    EXPECT_EQ(Point(FloatPoint(2.5f, 3.5f)), (TPoint{2, 4}));
    EXPECT_EQ(Point(FloatPoint(-2.5f, -0.5f)), (TPoint{-2, 0}));
    EXPECT_EQ(Point(TFixedPoint{0x18000, -0x18000}), (TPoint{1, -2}));
    EXPECT_EQ(FloatPoint(TFixedPoint{0x18000, 0x4000}), FloatPoint(1.5f, 0.25f));
    EXPECT_EQ(FixedPoint(3, -1), (TFixedPoint{0x30000, -0x10000}));
    EXPECT_EQ(FixedPoint(0.25f, -1.5f), (TFixedPoint{0x4000, -0x18000}));
    EXPECT_EQ(FixedPoint(Point(4, 5)), (TFixedPoint{0x40000, 0x50000}));
    EXPECT_EQ(FloatPoint(Point(4, 5)), FloatPoint(4, 5));
    EXPECT_THROW(Point(FloatPoint(std::numeric_limits<float>::infinity(), 0)), platform::EInvalidOp);
    EXPECT_THROW(Point(FloatPoint(3e9f, 0)), platform::EInvalidOp);
}

TEST(Rects, MakeRectRoundings) {
    const TFloatRect F{0.4f, 0.6f, 2.5f, 3.5f};
    EXPECT_EQ(MakeRect(F, rrClosest), (TRect{0, 1, 2, 4}));
    EXPECT_EQ(MakeRect(F, rrOutside), (TRect{0, 0, 3, 4}));
    EXPECT_EQ(MakeRect(F, rrInside), (TRect{1, 1, 2, 3}));
    EXPECT_EQ(MakeRect(TFloatRect{0.2f, 0.2f, 0.8f, 0.8f}, rrInside), (TRect{1, 1, 1, 1}));
    const TFixedRect X{0x6000, 0x9999, 0x28000, 0x38000};
    EXPECT_EQ(MakeRect(X, rrClosest), (TRect{0, 1, 2, 3}));
    EXPECT_EQ(MakeRect(X, rrOutside), (TRect{0, 0, 3, 4}));
    EXPECT_EQ(MakeRect(X, rrInside), (TRect{1, 1, 2, 3}));
    EXPECT_EQ(MakeRect(TFixedRect{0x3000, 0x3000, 0xC000, 0xC000}, rrInside), (TRect{1, 1, 1, 1}));
}

TEST(Rects, IntersectAndFriends) {
    TRect D;
    EXPECT_TRUE(IntersectRect(D, {0, 0, 10, 10}, {10, 0, 20, 10}));
    EXPECT_EQ(D, (TRect{10, 0, 10, 10}));
    EXPECT_FALSE(IntersectRect(D, {0, 0, 10, 10}, {11, 0, 20, 10}));
    EXPECT_EQ(D, (TRect{}));
    TRect R1{0, 0, 10, 10};
    EXPECT_TRUE(IntersectRect(R1, R1, {5, -5, 15, 5})); // Dst may be an operand
    EXPECT_EQ(R1, (TRect{5, 0, 10, 5}));
    TFloatRect FD{1, 1, 1, 1};
    EXPECT_FALSE(IntersectRectF(FD, {0, 0, 1, 1}, {2, 2, 3, 3}));
    EXPECT_EQ(FD, (TFloatRect{}));
    EXPECT_TRUE(PtInRect({0, 0, 10, 10}, {9, 9}));
    EXPECT_FALSE(PtInRect({0, 0, 10, 10}, {10, 5}));
    EXPECT_FALSE(PtInRect({0, 0, 10, 10}, {5, 10}));
    EXPECT_TRUE(IsRectEmpty({5, 0, 5, 10}));
    EXPECT_FALSE(IsRectEmpty({0, 0, 1, 1}));
    TRect R{1, 2, 3, 4};
    InflateRect(R, 1, 2);
    EXPECT_EQ(R, (TRect{0, 0, 4, 6}));
    OffsetRect(R, -1, 3);
    EXPECT_EQ(R, (TRect{-1, 3, 3, 9}));
    EXPECT_TRUE(EqualRect(R, {-1, 3, 3, 9}));
}

TEST(Gamma, TableAfterStartUp) {
    const std::pair<int, int> Entries[] = {{0, 0},     {1, 5},     {2, 9},     {64, 97},
                                           {128, 157}, {192, 209}, {254, 254}, {255, 255}};
    for (auto [I, V] : Entries)
        EXPECT_EQ(GAMMA_TABLE[I], V) << I;
    for (int I = 0; I < 256; ++I)
        EXPECT_GE(GAMMA_TABLE[I], I);
    SetGamma(1.0f);
    for (int I = 0; I < 256; ++I)
        ASSERT_EQ(GAMMA_TABLE[I], I);
    EXPECT_THROW(SetGamma(-1.0f), platform::EZeroDivide);
    EXPECT_EQ(GAMMA_TABLE[100], 100); // a failed call leaves the table alone
    SetGamma(0.7f);
    EXPECT_EQ(GAMMA_TABLE[64], 97);
}

TEST(FloatMath, CheckedHelpers) {
    EXPECT_EQ(RoundToInt(0.5L), 0);
    EXPECT_EQ(RoundToInt(1.5L), 2);
    EXPECT_EQ(RoundToInt(-2.5L), -2);
    EXPECT_EQ(RoundToInt(2147483647.4L), 2147483647);
    EXPECT_THROW(RoundToInt(2147483647.6L), platform::EInvalidOp);
    EXPECT_THROW(RoundToInt(NAN), platform::EInvalidOp);
    EXPECT_THROW(CheckedDiv(1, 0), platform::EZeroDivide);
    EXPECT_THROW(CheckedDiv(0, 0), platform::EInvalidOp);
    EXPECT_THROW(CheckFinite(INFINITY), platform::EOverflow);
    EXPECT_EQ(CheckedDiv(3, 2), 1.5L);
}
