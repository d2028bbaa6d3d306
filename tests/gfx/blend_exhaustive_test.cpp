// The routines of both blend sets against their formulas written channel by
// channel, over every combination of a channel value laid on top, a channel
// value underneath and a weight, and over random colours; the colour
// operations over every pair of channel values.
#include <algorithm>
#include <random>

#include "blend_reference.h"

using namespace gfx;
using namespace gfx_test;

namespace {

// Calls Check(F, B, W) so that every triple (f, b, w) of a value on top, a
// value underneath and a weight 0..255 appears once: F is Top(f, w), and the
// four channels of B take the backgrounds b0 + 64 * k for the four k in turn,
// so that each channel meets every background over the run.
template <typename TopFn, typename CheckFn> void EveryTriple(TopFn Top, CheckFn Check) {
    for (int W = 0; W < 256; ++W)
        for (int F = 0; F < 256; ++F) {
            const TColor32 FC = Top(TColor32(F), TColor32(W));
            for (int B0 = 0; B0 < 64; ++B0) {
                TColor32 BC = 0;
                for (int K = 0; K < 4; ++K)
                    BC |= TColor32(B0 + 64 * ((K + F) & 3)) << (8 * K);
                Check(FC, BC, TColor32(W));
            }
        }
}
// The value f in all four channels, or in the colour channels under an alpha.
TColor32 AllFour(TColor32 F, TColor32) { return F * 0x01010101u; }
TColor32 AlphaIsWeight(TColor32 F, TColor32 W) { return W << 24 | F * 0x010101u; }
TColor32 Opaque(TColor32 F, TColor32) { return 0xFF000000u | F * 0x010101u; }

struct Set {
    TCombineReg CombineReg, RefCombineReg;
    TCombineMem CombineMem, RefCombineMem;
    TBlendReg BlendReg, RefBlendReg;
    TBlendMem BlendMem, RefBlendMem;
    TBlendRegEx BlendRegEx, RefBlendRegEx;
    TBlendMemEx BlendMemEx, RefBlendMemEx;
    TBlendLine BlendLine, RefBlendLine;
    TBlendLineEx BlendLineEx, RefBlendLineEx;
};
template <bool Mmx, typename Lib> Set Pair(Lib L) {
    using R = Ref<Mmx>;
    return {L.CombineReg, R::CombineReg, L.CombineMem,  R::CombineMem, L.BlendReg,   R::BlendReg,
            L.BlendMem,   R::BlendMem,   L.BlendRegEx,  R::BlendRegEx, L.BlendMemEx, R::BlendMemEx,
            L.BlendLine,  R::BlendLine,  L.BlendLineEx, R::BlendLineEx};
}
struct Routines {
    TCombineReg CombineReg;
    TCombineMem CombineMem;
    TBlendReg BlendReg;
    TBlendMem BlendMem;
    TBlendRegEx BlendRegEx;
    TBlendMemEx BlendMemEx;
    TBlendLine BlendLine;
    TBlendLineEx BlendLineEx;
};
const Set kPlain = Pair<false>(Routines{CombineRegPlain, CombineMemPlain, BlendRegPlain, BlendMemPlain,
                                        BlendRegExPlain, BlendMemExPlain, BlendLinePlain, BlendLineExPlain});
const Set kMmx = Pair<true>(Routines{CombineRegMmx, CombineMemMmx, BlendRegMmx, BlendMemMmx, BlendRegExMmx,
                                     BlendMemExMmx, BlendLineMmx, BlendLineExMmx});

class BlendExhaustive : public ::testing::TestWithParam<bool> {
  protected:
    const Set& S() const { return GetParam() ? kMmx : kPlain; }
};

// A memory form gives what its register form's reference gives.
template <typename MemFn, typename... Args> TColor32 Stored(MemFn Mem, TColor32 F, TColor32 B, Args... A) {
    Mem(F, B, A...);
    return B;
}
} // namespace

// The register and memory forms of a weighted routine (CombineReg, BlendRegEx)
// against their references over every triple.
template <typename TopFn, typename RegFn, typename MemFn>
void EveryTripleWeighted(TopFn Top, RegFn Reg, RegFn RefReg, MemFn Mem, MemFn RefMem) {
    EveryTriple(Top, [&](TColor32 F, TColor32 B, TColor32 W) {
        ASSERT_EQ(Reg(F, B, W), RefReg(F, B, W)) << F << " " << B << " " << W;
        ASSERT_EQ(Stored(Mem, F, B, W), Stored(RefMem, F, B, W)) << F << " " << B << " " << W;
    });
}

TEST_P(BlendExhaustive, CombineEveryTriple) {
    const Set& K = S();
    EveryTripleWeighted(AllFour, K.CombineReg, K.RefCombineReg, K.CombineMem, K.RefCombineMem);
}

TEST_P(BlendExhaustive, BlendEveryTriple) {
    const Set& K = S();
    EveryTriple(AlphaIsWeight, [&](TColor32 F, TColor32 B, TColor32) {
        ASSERT_EQ(K.BlendReg(F, B), K.RefBlendReg(F, B)) << F << " " << B;
        ASSERT_EQ(Stored(K.BlendMem, F, B), Stored(K.RefBlendMem, F, B)) << F << " " << B;
    });
}

TEST_P(BlendExhaustive, BlendExEveryTriple) {
    // An opaque colour under master alpha M is weighted by M itself.
    const Set& K = S();
    EveryTripleWeighted(Opaque, K.BlendRegEx, K.RefBlendRegEx, K.BlendMemEx, K.RefBlendMemEx);
}

TEST_P(BlendExhaustive, MasterAlphaTimesEveryAlpha) {
    const Set& K = S();
    const TColor32 Colours[] = {0x00FF8000, 0x0012EDCB, 0x00FFFFFF};
    const TColor32 Under[] = {0xFF000000, 0x807F3AC5, 0x00FFFFFF};
    for (TColor32 M = 0; M < 256; ++M)
        for (TColor32 A = 0; A < 256; ++A)
            for (TColor32 C : Colours)
                for (TColor32 B : Under) {
                    const TColor32 F = A << 24 | C;
                    ASSERT_EQ(K.BlendRegEx(F, B, M), K.RefBlendRegEx(F, B, M)) << F << " " << B << " " << M;
                    ASSERT_EQ(Stored(K.BlendMemEx, F, B, M), Stored(K.RefBlendMemEx, F, B, M));
                    TColor32 Row = B, RefRow = B;
                    K.BlendLineEx(&F, &Row, 1, M);
                    K.RefBlendLineEx(&F, &RefRow, 1, M);
                    ASSERT_EQ(Row, RefRow) << F << " " << B << " " << M;
                }
}

TEST_P(BlendExhaustive, RandomColoursAndRows) {
    // Weights above 255 count as 255; rows of any length, none for a count of
    // 0 or less.
    const Set& K = S();
    std::mt19937 Gen(GetParam() ? 7 : 8);
    auto Weight = [&]() -> TColor32 { return Gen() % 16 ? Gen() & 255 : Gen(); };
    for (int I = 0; I < 200000; ++I) {
        const TColor32 F = Gen(), B = Gen(), W = Weight();
        ASSERT_EQ(K.CombineReg(F, B, W), K.RefCombineReg(F, B, W)) << F << " " << B << " " << W;
        ASSERT_EQ(Stored(K.CombineMem, F, B, W), Stored(K.RefCombineMem, F, B, W));
        ASSERT_EQ(K.BlendReg(F, B), K.RefBlendReg(F, B));
        ASSERT_EQ(Stored(K.BlendMem, F, B), Stored(K.RefBlendMem, F, B));
        ASSERT_EQ(K.BlendRegEx(F, B, W), K.RefBlendRegEx(F, B, W));
        ASSERT_EQ(Stored(K.BlendMemEx, F, B, W), Stored(K.RefBlendMemEx, F, B, W));
    }
    std::vector<TColor32> Src(300), Dst(300), Want(300);
    for (int I = 0; I < 300; ++I) {
        for (TColor32& C : Src)
            C = Gen() % 4 ? Gen() : Gen() % 2 ? Gen() | 0xFF000000 : Gen() & 0x00FFFFFF;
        for (TColor32& C : Dst)
            C = Gen();
        Want = Dst;
        const int32_t Count = int32_t(Gen() % 302) - 2;
        const TColor32 M = Weight();
        if (I % 2) {
            K.BlendLine(Src.data(), Dst.data(), Count);
            K.RefBlendLine(Src.data(), Want.data(), Count);
        } else {
            K.BlendLineEx(Src.data(), Dst.data(), Count, M);
            K.RefBlendLineEx(Src.data(), Want.data(), Count, M);
        }
        ASSERT_EQ(Dst, Want) << Count << " " << M;
    }
}

TEST(ColourOperations, EveryPairOfChannelValues) {
    for (int A = 0; A < 256; ++A)
        for (int B = 0; B < 256; ++B) {
            // (A, B) in one channel, (B, A), (255 - A, B) and (A, 255 - B) in the others.
            const TColor32 C1 = TColor32(A) << 24 | TColor32(B) << 16 | TColor32(255 - A) << 8 | TColor32(A);
            const TColor32 C2 = TColor32(B) << 24 | TColor32(A) << 16 | TColor32(B) << 8 | TColor32(255 - B);
            auto Each = [&](auto Fn) {
                return PerChannel([&](int S) { return Fn(Chan(C1, S), Chan(C2, S)); });
            };
            ASSERT_EQ(ColorAdd(C1, C2), Each([](int X, int Y) { return std::min(X + Y, 255); }))
                << A << " " << B;
            ASSERT_EQ(ColorSub(C1, C2), Each([](int X, int Y) { return std::max(X - Y, 0); }))
                << A << " " << B;
            ASSERT_EQ(ColorMax(C1, C2), Each([](int X, int Y) { return std::max(X, Y); })) << A << " " << B;
            ASSERT_EQ(ColorMin(C1, C2), Each([](int X, int Y) { return std::min(X, Y); })) << A << " " << B;
            ASSERT_EQ(ColorModulate(C1, C2), Each([](int X, int Y) { return X * Y / 256; })) << A << " " << B;
        }
}

INSTANTIATE_TEST_SUITE_P(Sets, BlendExhaustive, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& I) { return I.param ? "Mmx" : "Plain"; });
