// Both blend sets swept over weights and channel values against their formulas.
#include "blend_reference.h"

using namespace gfx;
using gfx_test::Mix;
using gfx_test::Mmx4;
using gfx_test::Part;
using gfx_test::Plain3;
using gfx_test::Plain4;

namespace {
// Colours whose channels walk through the whole 0..255 range.
std::vector<TColor32> SampleColors() {
    std::vector<TColor32> C;
    for (int I = 0; I < 256; I += 15)
        C.push_back(TColor32(I) << 24 | TColor32(255 - I) << 16 | TColor32((I * 7) & 255) << 8 |
                    TColor32(I ^ 0x5A));
    C.push_back(0xFFFFFFFF);
    C.push_back(0);
    return C;
}
const std::vector<TColor32> kColors = SampleColors();
const int kWeights[] = {0, 1, 2, 64, 127, 128, 129, 200, 253, 254, 255};

} // namespace

TEST(BlendPlain, CombineAndBlendFollowTheirFormulas) {
    for (TColor32 F : kColors)
        for (TColor32 B : kColors) {
            for (int W : kWeights) {
                const TColor32 Reg = W == 0 ? B : W == 255 ? F : Plain4(F, B, W);
                ASSERT_EQ(CombineRegPlain(F, B, W), Reg) << F << " " << B << " " << W;
                TColor32 Mem = B;
                CombineMemPlain(F, Mem, W);
                ASSERT_EQ(Mem, W == 0 ? B : W == 255 ? F : Plain3(F, B, W)); // alpha 0 in mixes
            }
            const int A = int(F >> 24);
            const TColor32 Blended = A == 255 ? F : A == 0 ? B : Plain4(F, B, A);
            ASSERT_EQ(BlendRegPlain(F, B), Blended);
            TColor32 Mem = B;
            BlendMemPlain(F, Mem);
            ASSERT_EQ(Mem, Blended);
            for (int M : {0, 1, 127, 128, 254, 255}) {
                const int W = ((M + 1) * A) >> 8;
                const TColor32 Ex = W == 0 ? B : Plain3(F, B, W);
                ASSERT_EQ(BlendRegExPlain(F, B, M), Ex) << F << " " << B << " " << M;
                Mem = B;
                BlendMemExPlain(F, Mem, M);
                ASSERT_EQ(Mem, Ex);
            }
        }
}

TEST(BlendMmx, CombineAndBlendFollowTheirFormulas) {
    for (TColor32 F : kColors)
        for (TColor32 B : kColors) {
            for (int W : kWeights) {
                ASSERT_EQ(CombineRegMmx(F, B, W), Mmx4(F, B, W)) << F << " " << B << " " << W;
                TColor32 Mem = B;
                CombineMemMmx(F, Mem, W);
                ASSERT_EQ(Mem, W == 0 ? B : W == 255 ? F : Mmx4(F, B, W));
            }
            const int A = int(F >> 24);
            ASSERT_EQ(BlendRegMmx(F, B), Mmx4(F, B, A));
            TColor32 Mem = B;
            BlendMemMmx(F, Mem);
            ASSERT_EQ(Mem, A == 0 ? B : A == 255 ? F : Mmx4(F, B, A));
            for (int M : {0, 1, 127, 128, 254, 255}) {
                const int W = ((M + 1) * A) >> 8;
                ASSERT_EQ(BlendRegExMmx(F, B, M), W == 0 ? B : Mmx4(F, B, W));
                Mem = B;
                BlendMemExMmx(F, Mem, M);
                ASSERT_EQ(Mem, W == 0 ? B : Mmx4(F, B, W));
                // The row form weighs by (alpha + 1) * M.
                const int RowW = ((A + 1) * M) >> 8;
                Mem = B;
                BlendLineExMmx(&F, &Mem, 1, M);
                ASSERT_EQ(Mem, RowW == 0 ? B : Mmx4(F, B, RowW));
            }
        }
}

TEST(Blend, DocumentedDifferencesBetweenSets) {
    // Shortcut versus computed result at W = 255.
    EXPECT_EQ(CombineRegPlain(0x00000000, 0x000000FF, 255), 0u);
    EXPECT_EQ(CombineRegMmx(0x00000000, 0x000000FF, 255), 1u);
    // Half-transparent red over opaque blue.
    EXPECT_EQ(BlendRegPlain(0x80FF0000, 0xFF0000FF), 0xBF80007Fu);
    EXPECT_EQ(BlendRegMmx(0x80FF0000, 0xFF0000FF), 0xC0800080u);
    // Opaque over opaque at M = 127: alpha 0 versus alpha 255.
    TColor32 B = 0xFF000000;
    BlendMemExPlain(0xFFFFFFFF, B, 127);
    EXPECT_EQ(B >> 24, 0u);
    B = 0xFF000000;
    BlendMemExMmx(0xFFFFFFFF, B, 127);
    EXPECT_EQ(B >> 24, 255u);
    // Row weights agree at M = 127, a = 255 and differ elsewhere.
    EXPECT_EQ(((127 + 1) * 255) >> 8, ((255 + 1) * 127) >> 8);
    TColor32 P = 0xFF000000, Q = 0xFF000000;
    const TColor32 F = 0x80FFFFFF;
    BlendLineExPlain(&F, &P, 1, 200); // (201 * 128) >> 8 = 100
    BlendLineExMmx(&F, &Q, 1, 200);   // (129 * 200) >> 8 = 100
    EXPECT_EQ(P & 0xFF, TColor32(Part(255, 100) + Part(0, 155)));
    EXPECT_EQ(Q & 0xFF, TColor32(Mix(255, 0, 100)));
}

TEST(Blend, AlphaZeroAndOpaqueSourcesInBothSets) {
    for (bool Mmx : {false, true}) {
        gfx_test::BlendSetScope Set(Mmx);
        TColor32 B = 0x12345678;
        BlendMem(0x00FFFFFF, B);
        EXPECT_EQ(B, 0x12345678u);
        BlendMem(0xFFABCDEF, B);
        EXPECT_EQ(B, 0xFFABCDEFu);
        EXPECT_EQ(BlendRegEx(0xFFFFFFFF, 0x12345678, 0), 0x12345678u);
    }
}

TEST(Blend, RowsHonourCountAndMatchSinglePixels) {
    for (bool Mmx : {false, true}) {
        gfx_test::BlendSetScope Set(Mmx);
        std::vector<TColor32> Src(kColors), Dst(kColors.rbegin(), kColors.rend()), Keep = Dst;
        BlendLine(Src.data(), Dst.data(), 0);
        BlendLineEx(Src.data(), Dst.data(), -1, 100);
        EXPECT_EQ(Dst, Keep);
        BlendLine(Src.data(), Dst.data(), int32_t(Src.size()));
        for (size_t I = 0; I < Src.size(); ++I) {
            TColor32 One = Keep[I];
            BlendMem(Src[I], One);
            ASSERT_EQ(Dst[I], One);
        }
        Dst = Keep;
        BlendLineEx(Src.data(), Dst.data(), int32_t(Src.size()), 127);
        if (!Mmx)
            for (size_t I = 0; I < Src.size(); ++I) {
                TColor32 One = Keep[I];
                BlendMemEx(Src[I], One, 127);
                ASSERT_EQ(Dst[I], One);
            }
    }
}

TEST(Blend, MasterAlphaAndWeightsAbove255Clamp) {
    for (bool Mmx : {false, true}) {
        gfx_test::BlendSetScope Set(Mmx);
        for (TColor32 M : {256u, 300u, 0xFFFFFFFFu}) {
            EXPECT_EQ(BlendRegEx(0x80FF0000, 0xFF0000FF, M), BlendRegEx(0x80FF0000, 0xFF0000FF, 255));
            TColor32 A = 0xFF0000FF, B = 0xFF0000FF;
            const TColor32 F = 0x80FF0000;
            BlendLineEx(&F, &A, 1, M);
            BlendLineEx(&F, &B, 1, 255);
            EXPECT_EQ(A, B);
            EXPECT_EQ(CombineReg(0x11223344, 0x55667788, M), CombineReg(0x11223344, 0x55667788, 255));
        }
    }
}

TEST(Blend, StartUpChoosesBySelection) {
    gfx_test::BlendSetScope Set(false);
    EXPECT_FALSE(MMX_ACTIVE);
    EXPECT_EQ(CombineReg, &CombineRegPlain);
    EXPECT_EQ(AlphaTable, nullptr);
    SelectBlendRoutines(true);
    EXPECT_TRUE(MMX_ACTIVE);
    EXPECT_EQ(BlendLineEx, &BlendLineExMmx);
    ASSERT_NE(AlphaTable, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(AlphaTable) % 8, 0u);
    EXPECT_EQ(AlphaTable[4 * 200 + 3], 200);
    EXPECT_EQ(AlphaBias, AlphaTable + 4 * 128);
}

TEST(ColorOps, PerChannel) {
    auto C = [](int A, int R, int G, int B) {
        return Color32(uint8_t(R), uint8_t(G), uint8_t(B), uint8_t(A));
    };
    EXPECT_EQ(ColorAdd(C(128, 192, 16, 32), C(144, 80, 16, 16)), C(255, 255, 32, 48));
    EXPECT_EQ(ColorSub(C(16, 32, 48, 64), C(32, 16, 32, 48)), C(0, 16, 16, 16));
    EXPECT_EQ(Lighten(C(127, 16, 240, 128), 20), C(127, 36, 255, 148));
    EXPECT_EQ(Lighten(C(127, 16, 240, 128), -20), C(127, 0, 220, 108));
    EXPECT_EQ(Lighten(C(1, 2, 3, 4), INT32_MIN), C(1, 0, 0, 0));
    EXPECT_EQ(ColorModulate(0xFFFFFFFF, 0xFFFFFFFF), C(254, 254, 254, 254));
    EXPECT_EQ(ColorMax(C(1, 200, 3, 90), C(5, 100, 7, 80)), C(5, 200, 7, 90));
    EXPECT_EQ(ColorMin(C(1, 200, 3, 90), C(5, 100, 7, 80)), C(1, 100, 3, 80));
}
