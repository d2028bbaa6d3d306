// The sub-pixel and anti-aliased lines and plots blend with the library's own
// routines without calling through the routine variables. They must draw
// exactly what the formulas give when called through the variables for every
// pixel, in both sets; a routine put in a variable must still see every pixel.
#include <optional>
#include <random>

#include "blend_reference.h"

using namespace gfx;
using namespace gfx_test;

namespace {
constexpr TFixed kOne = 65536;

// One drawing operation with its arguments, chosen at random for a bitmap.
struct Figure {
    int Kind;
    int32_t X1, Y1, X2, Y2;
    TColor32 Colour;
    bool L;
};
enum Kinds {
    kLineX,
    kLineF,
    kLineXS,
    kLineFS,
    kLineXP,
    kLineXSP,
    kLineA,
    kLineAS,
    kT256,
    kTS256,
    kPixelXS,
    kCount
};

std::vector<Figure> RandomFigures(std::mt19937& Gen, int W, int H, int N) {
    auto In = [&](int Size) {
        return int32_t(Gen() % uint32_t(int64_t(Size - 2) * kOne));
    }; // plots stay inside
    auto Near = [&](int Size) { return int32_t(Gen() % uint32_t((Size + 6) * kOne)) - 3 * kOne; };
    auto Colour = [&]() -> TColor32 {
        const TColor32 C = Gen();
        return Gen() % 5 == 0 ? C | 0xFF000000 : Gen() % 5 == 0 ? C & 0x00FFFFFF : C;
    };
    std::vector<Figure> Figures;
    for (int I = 0; I < N; ++I) {
        Figure F{int(Gen() % kCount), 0, 0, 0, 0, Colour(), Gen() % 2 == 0};
        if (W < 3 || H < 3) { // no room for the unclipped forms
            if (F.Kind == kLineA) F.Kind = kLineAS;
            if (F.Kind == kLineX || F.Kind == kLineF || F.Kind == kLineXP || F.Kind == kT256)
                F.Kind = kLineXS;
        }
        switch (F.Kind) {
        case kLineX:
        case kLineF:
        case kLineXP:
        case kT256:
            F.X1 = In(W), F.Y1 = In(H), F.X2 = In(W), F.Y2 = In(H);
            if (F.Kind == kLineX || F.Kind == kLineXP) F.L = false; // the end plot may leave the room
            break;
        case kLineA:
            F.X1 = 1 + int32_t(Gen() % uint32_t(W - 2)), F.Y1 = 1 + int32_t(Gen() % uint32_t(H - 2));
            F.X2 = 1 + int32_t(Gen() % uint32_t(W - 2)), F.Y2 = 1 + int32_t(Gen() % uint32_t(H - 2));
            break;
        case kLineAS:
            F.X1 = Near(W) >> 16, F.Y1 = Near(H) >> 16, F.X2 = Near(W) >> 16, F.Y2 = Near(H) >> 16;
            break;
        default: F.X1 = Near(W), F.Y1 = Near(H), F.X2 = Near(W), F.Y2 = Near(H);
        }
        Figures.push_back(F);
    }
    return Figures;
}

void Draw(TBitmap32& B, const Figure& F) {
    const float S = 1.0f / kOne;
    switch (F.Kind) {
    case kLineX: B.LineX(F.X1, F.Y1, F.X2, F.Y2, F.Colour, F.L); break;
    case kLineF: B.LineF(F.X1 * S, F.Y1 * S, F.X2 * S, F.Y2 * S, F.Colour, false); break;
    case kLineXS: B.LineXS(F.X1, F.Y1, F.X2, F.Y2, F.Colour, F.L); break;
    case kLineFS: B.LineFS(F.X1 * S, F.Y1 * S, F.X2 * S, F.Y2 * S, F.Colour, F.L); break;
    case kLineXP: B.LineXP(F.X1, F.Y1, F.X2, F.Y2, F.L); break;
    case kLineXSP: B.LineXSP(F.X1, F.Y1, F.X2, F.Y2, F.L); break;
    case kLineA: B.LineA(F.X1, F.Y1, F.X2, F.Y2, F.Colour, F.L); break;
    case kLineAS: B.LineAS(F.X1, F.Y1, F.X2, F.Y2, F.Colour, F.L); break;
    case kT256: B.SET_T256(F.X1 >> 8, F.Y1 >> 8, F.Colour); break;
    case kTS256: B.SET_TS256(F.X1 >> 8, F.Y1 >> 8, F.Colour); break;
    case kPixelXS: B.SetPixelXS(F.X1, F.Y1, F.Colour); break;
    }
}

// Draws the figures on a fresh bitmap of random pixels, with the library's
// own set (Reference False) or with the reference routines in the variables.
void DrawOn(TBitmap32& B, bool Mmx, bool Reference, int W, int H, const std::vector<Figure>& Figures) {
    B.SetSize(W, H);
    std::mt19937 Gen(W * 1000 + H);
    for (int I = 0; I < W * H; ++I)
        B.Bits()[I] = Gen();
    B.SetStipple({0xFF2040C0, 0x80FFEE10, 0x00000000, 0xC0123456});
    B.StippleStep = 0.75f;
    BlendSetScope Library(Mmx);
    std::optional<ReferenceBlendScope> Ref;
    if (Reference) Ref.emplace(Mmx);
    for (const Figure& F : Figures)
        Draw(B, F);
}

class InlinedLines : public ::testing::TestWithParam<bool> {
  protected:
    void ExpectSameAsReference(int W, int H, int Seed, int N) {
        std::mt19937 Gen(Seed);
        const std::vector<Figure> Figures = RandomFigures(Gen, W, H, N);
        TBitmap32 Fast, Ref;
        DrawOn(Fast, GetParam(), false, W, H, Figures);
        DrawOn(Ref, GetParam(), true, W, H, Figures);
        for (int I = 0; I < W * H; ++I)
            ASSERT_EQ(Fast.Bits()[I], Ref.Bits()[I]) << W << "x" << H << " pixel " << I;
        EXPECT_EQ(Fast.StippleCounter, Ref.StippleCounter);
    }
};
} // namespace

TEST_P(InlinedLines, DrawWhatTheRoutinesDrawThroughTheVariables) {
    const std::pair<int, int> Sizes[] = {{1, 1}, {2, 2},  {2, 9},   {3, 3},
                                         {7, 2}, {17, 9}, {64, 48}, {300, 200}};
    int Seed = 1;
    for (auto [W, H] : Sizes)
        ExpectSameAsReference(W, H, Seed++, W * H > 1000 ? 1500 : 600);
}

TEST_P(InlinedLines, FollowTheGammaTableAsItChanges) {
    // The lines keep the gamma weights in a form of their own; any change of
    // the table, through SetGamma or by writing it, takes effect at once.
    struct GammaScope {
        ~GammaScope() { SetGamma(0.7f); }
    } const Restore;
    for (float Gamma : {1.0f, 0.3f, 2.2f}) {
        SetGamma(Gamma);
        ExpectSameAsReference(64, 48, 11, 400);
    }
    GAMMA_TABLE[128] ^= 0x55;
    GAMMA_TABLE[3] = 255;
    ExpectSameAsReference(64, 48, 12, 400);
}

TEST_P(InlinedLines, ARoutinePutInAVariableSeesEveryPixel) {
    static int Calls;
    static TCombineMem Library;
    static TBlendMemEx LibraryEx;
    BlendSetScope Set(GetParam());
    Library = CombineMem;
    LibraryEx = BlendMemEx;
    CombineMem = [](TColor32 F, TColor32& B, TColor32 W) {
        ++Calls;
        Library(F, B, W);
    };
    BlendMemEx = [](TColor32 F, TColor32& B, TColor32 M) {
        ++Calls;
        LibraryEx(F, B, M);
    };
    TBitmap32 B;
    B.SetSize(16, 16);
    Calls = 0;
    B.SET_T256(3 * 256 + 17, 4 * 256 + 200, 0x80FFFFFF);
    EXPECT_EQ(Calls, 4);
    Calls = 0;
    B.LineX(kOne, kOne, 11 * kOne, kOne, 0x80FFFFFF, false); // ten plots and the partial one
    EXPECT_EQ(Calls, 4 * 11);
    Calls = 0;
    B.LineA(1, 1, 9, 4, 0x80FFFFFF, false); // the start, then seven pairs
    EXPECT_EQ(Calls, 2 * 7);
}

INSTANTIATE_TEST_SUITE_P(Sets, InlinedLines, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& I) { return I.param ? "Mmx" : "Plain"; });
