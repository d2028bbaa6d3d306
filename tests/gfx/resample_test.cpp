// Stretching at unequal sizes: the nearest, bilinear and kernel resamplers,
// their weight tables and kernels, clipping and draw modes.
#include <cmath>

#include "gfx_test_support.h"

using namespace gfx;
using gfx_test::Marker;

namespace {
const TStretchFilter kFilters[] = {sfNearest, sfLinear, sfSpline, sfLanczos, sfMitchell};

// Sets FullEdge for one test and restores the default after it.
class FullEdgeScope {
  public:
    explicit FullEdgeScope(bool Value) { FullEdge = Value; }
    ~FullEdgeScope() { FullEdge = true; }
};

// Makes B an opaque W x H bitmap of the given blue values, row by row.
void SetBlue(TBitmap32& B, int W, int H, std::initializer_list<int> Blue) {
    B.SetSize(W, H);
    int I = 0;
    for (int V : Blue)
        B.Bits()[I++] = 0xFF000000u | TColor32(V);
}

std::vector<int> BlueOf(const TBitmap32& B) {
    std::vector<int> Out;
    for (int I = 0; I < B.Width() * B.Height(); ++I)
        Out.push_back(int(B.Bits()[I] & 0xFF));
    return Out;
}

void SetCanvas(TBitmap32& B, int W, int H, TColor32 Fill = 0x11223344) {
    B.SetSize(W, H);
    B.Clear(Fill);
}

// Stretches all of Src onto all of Dst, made W x H.
void StretchInto(TBitmap32& Dst, TBitmap32& Src, int W, int H, TStretchFilter Filter) {
    SetCanvas(Dst, W, H);
    StretchTransfer(&Dst, Dst.BoundsRect(), Dst.BoundsRect(), &Src, Src.BoundsRect(), Filter, dmOpaque);
}

// The kernel resampler's pixel as one direct two-dimensional sum over the
// clusters, in 32-bit wrapping arithmetic, clamped or cut to bits 16..23.
TColor32 KernelReference(const TBitmap32& Src, const TCluster& H, const TCluster& V, bool Clamp) {
    uint32_t Sum[4] = {};
    for (const TClusterEntry& Ev : V)
        for (const TClusterEntry& Eh : H)
            for (int C = 0; C < 4; ++C)
                Sum[C] += ((Src.Pixel(Eh.SrcIndex, Ev.SrcIndex) >> (8 * C)) & 0xFF) * uint32_t(Ev.Weight) *
                          uint32_t(Eh.Weight);
    TColor32 Out = 0;
    for (int C = 0; C < 4; ++C) {
        const int32_t S = int32_t(Sum[C]);
        const uint32_t V8 = !Clamp         ? (Sum[C] >> 16) & 0xFF
                            : S > 0xFF0000 ? 255
                            : S < 0        ? 0
                                           : (Sum[C] >> 16) & 0xFF;
        Out |= V8 << (8 * C);
    }
    return Out;
}
} // namespace

// --- Kernels and weight tables ------------------------------------------

TEST(Kernels, ValuesAtKnownPoints) {
    EXPECT_EQ(NearestKernel(0.5f), 1.0f);
    EXPECT_EQ(NearestKernel(-0.5f), 0.0f);
    EXPECT_EQ(LinearKernel(0.25f), 0.75f);
    EXPECT_EQ(LinearKernel(-1.0f), 0.0f);
    EXPECT_FLOAT_EQ(SplineKernel(0), 2.0f / 3);
    EXPECT_FLOAT_EQ(SplineKernel(-1), 1.0f / 6);
    EXPECT_EQ(SplineKernel(2), 0.0f);
    EXPECT_EQ(NormalizedSinc(0), 1.0f);
    EXPECT_FLOAT_EQ(NormalizedSinc(0.5f), float(2 / M_PI));
    EXPECT_FLOAT_EQ(LanczosKernel(0.5f), float((2 / M_PI) * (std::sin(M_PI / 6) / (M_PI / 6))));
    EXPECT_EQ(LanczosKernel(3), 0.0f);
    EXPECT_FLOAT_EQ(MitchellKernel(0), 16.0f / 18);
    EXPECT_FLOAT_EQ(MitchellKernel(1), 1.0f / 18);
    EXPECT_EQ(MitchellKernel(-2), 0.0f);
    EXPECT_LT(LanczosKernel(1.5f), 0.0f); // the negative lobes
    EXPECT_LT(MitchellKernel(1.5f), 0.0f);
    EXPECT_THROW(NormalizedSinc(3e38f), platform::EOverflow);
}

TEST(Kernels, ShiftedCopiesSumToOne) {
    // At any offset, the kernel's values at whole-pixel distances add up to
    // one (Lanczos nearly so), so a flat picture stays flat.
    for (int F = 0; F < 5; ++F)
        for (float X = 0; X < 1; X += 0.0625f) {
            double Sum = 0;
            for (int J = -4; J <= 4; ++J)
                Sum += FilterKernels[F](X - float(J));
            EXPECT_NEAR(Sum, 1.0, F == sfLanczos ? 0.02 : 1e-6) << "filter " << F << " at " << X;
        }
    EXPECT_EQ(FilterRadii[sfLanczos], 3.0f);
    EXPECT_EQ(FilterRadii[sfMitchell], 2.0f);
}

TEST(ClusterTable, HandCheckedReductionAndEnlargement) {
    TMappingTable T;
    // 3 to 2, LinearKernel scaled by 2/3: weights 28, 142, 85 and 85, 142, 28,
    // the middle one raised by 1 to reach 256; the first entry repeats the edge.
    BuildClusterTable(0, 2, 0, 2, 0, 3, sfLinear, T);
    EXPECT_EQ(T, (TMappingTable{{{0, 28}, {0, 143}, {1, 85}}, {{1, 85}, {2, 143}, {2, 28}}}));
    // 2 to 4: centres -0.25, 0.25, 0.75, 1.25.
    BuildClusterTable(0, 4, 0, 4, 0, 2, sfLinear, T);
    EXPECT_EQ(T, (TMappingTable{
                     {{0, 64}, {0, 192}}, {{0, 192}, {1, 64}}, {{0, 64}, {1, 192}}, {{1, 192}, {1, 64}}}));
    // Clipped: only the clusters of destination pixels 1 and 2.
    BuildClusterTable(0, 4, 1, 3, 0, 2, sfLinear, T);
    EXPECT_EQ(T, (TMappingTable{{{0, 192}, {1, 64}}, {{0, 64}, {1, 192}}}));
}

TEST(ClusterTable, DegenerateSpans) {
    TMappingTable T;
    // A one-column source at any place: every cluster refers to that column.
    BuildClusterTable(0, 5, 1, 4, 7, 8, sfLanczos, T);
    EXPECT_EQ(T, (TMappingTable(3, TCluster{{7, 256}})));
    BuildClusterTable(0, 5, 0, 5, 4, 4, sfLinear, T); // no source
    EXPECT_TRUE(T.empty());
    BuildClusterTable(0, 5, 2, 2, 0, 4, sfLinear, T); // no clipped pixel
    EXPECT_TRUE(T.empty());
    {
        // One destination pixel without FullEdge: the span's centre.
        FullEdgeScope Scope(false);
        BuildClusterTable(3, 4, 3, 4, 2, 9, sfSpline, T);
        EXPECT_EQ(T, (TMappingTable{{{5, 256}}}));
        EXPECT_THROW(BuildClusterTable(3, 4, 3, 5, 2, 9, sfSpline, T), platform::EAssertionFailed);
    }
    // A reduction so strong that every weight rounds to 0: one entry at the centre's pixel.
    BuildClusterTable(0, 2, 0, 2, 0, 2000, sfLinear, T);
    EXPECT_EQ(T, (TMappingTable{{{499, 256}}, {{1499, 256}}}));
}

TEST(ClusterTable, EveryClusterSumsTo256WithinTheSource) {
    const std::pair<int, int> Sizes[] = {{1, 7},   {2, 3},    {3, 2},   {5, 17},   {17, 5},
                                         {10, 10}, {7, 40},   {40, 7},  {100, 3},  {3, 100},
                                         {640, 1}, {1000, 9}, {513, 1}, {1023, 2}, {2, 1535}};
    for (bool Full : {true, false}) {
        FullEdgeScope Scope(Full);
        for (TStretchFilter F : kFilters)
            for (auto [SrcW, DstW] : Sizes) {
                if (!Full && DstW == 1) continue; // one pixel: its own rule, above
                TMappingTable T;
                BuildClusterTable(-3, DstW - 3, -3, DstW - 3, 5, 5 + SrcW, F, T);
                ASSERT_EQ(T.size(), size_t(DstW));
                for (const TCluster& C : T) {
                    int Sum = 0, Prev = 5;
                    for (const TClusterEntry& E : C) {
                        Sum += E.Weight;
                        EXPECT_GE(E.SrcIndex, Prev);
                        EXPECT_LT(E.SrcIndex, 5 + SrcW);
                        Prev = E.SrcIndex;
                    }
                    EXPECT_EQ(Sum, 256) << "filter " << int(F) << " " << SrcW << " to " << DstW;
                }
            }
    }
}

// --- Nearest ----------------------------------------------------------------

TEST(Nearest, ColumnAndRowMapsInBothEdgeModes) {
    TBitmap32 Src;
    Src.SetSize(14, 14);
    gfx_test::FillMarkers(Src);
    struct Case {
        bool Full;
        int SrcSize, DstSize;
        std::vector<int> Map;
    };
    const Case Cases[] = {
        {true, 2, 4, {0, 0, 1, 1}},
        {false, 2, 4, {0, 0, 1, 1}}, // Round of 0, 1/3, 2/3, 1
        {true, 3, 2, {0, 1}},
        {false, 3, 2, {0, 2}},
        {true, 2, 5, {0, 0, 0, 1, 1}},
        {false, 3, 5, {0, 0, 1, 2, 2}}, // Round of 0, 0.5, 1, 1.5, 2
        // The position is stored as a 32-bit float before it is rounded: 3 *
        // (1/6 as a float) is 0.5000000149, which as a float is 0.5 and rounds to 0.
        {false, 2, 7, {0, 0, 0, 0, 1, 1, 1}},
        // 10 * (0.7 as a float) is 6.99999988, which as a float is 7.
        {true, 14, 20, {0, 0, 1, 2, 2, 3, 4, 4, 5, 6, 7, 7, 8, 9, 9, 10, 11, 11, 12, 13}},
    };
    for (const Case& C : Cases) {
        FullEdgeScope Scope(C.Full);
        TBitmap32 Dst;
        SetCanvas(Dst, C.DstSize, C.DstSize);
        StretchTransfer(&Dst, Dst.BoundsRect(), Dst.BoundsRect(), &Src, {0, 0, C.SrcSize, C.SrcSize},
                        sfNearest, dmOpaque);
        for (int Y = 0; Y < C.DstSize; ++Y)
            for (int X = 0; X < C.DstSize; ++X)
                ASSERT_EQ(Dst.Pixel(X, Y), Marker(C.Map[size_t(X)], C.Map[size_t(Y)]))
                    << C.SrcSize << " to " << C.DstSize << " full " << C.Full << " at " << X << "," << Y;
    }
}

TEST(Nearest, OnePixelDestinationTakesTheCentre) {
    TBitmap32 Src;
    Src.SetSize(6, 4);
    gfx_test::FillMarkers(Src);
    for (bool Full : {true, false}) {
        FullEdgeScope Scope(Full);
        TBitmap32 Dst;
        SetCanvas(Dst, 3, 3);
        StretchTransfer(&Dst, {1, 1, 2, 2}, Dst.BoundsRect(), &Src, {1, 0, 5, 3}, sfNearest, dmOpaque);
        EXPECT_EQ(Dst.Pixel(1, 1), Marker(2, 1)); // (1 + 5 - 1) div 2, (0 + 3 - 1) div 2
        EXPECT_EQ(Dst.Pixel(0, 0), 0x11223344u);
        // A one-column, three-row destination: the centre column, rows by the map.
        StretchTransfer(&Dst, {0, 0, 1, 3}, Dst.BoundsRect(), &Src, {1, 0, 5, 3}, sfNearest, dmOpaque);
        EXPECT_EQ(Dst.Pixel(0, 2), Marker(2, 2));
    }
    // A one-pixel source fills the whole destination.
    TBitmap32 Dst;
    SetCanvas(Dst, 4, 3);
    StretchTransfer(&Dst, Dst.BoundsRect(), Dst.BoundsRect(), &Src, {5, 3, 6, 4}, sfNearest, dmOpaque);
    for (int I = 0; I < 12; ++I)
        EXPECT_EQ(Dst.Bits()[I], Marker(5, 3));
}

TEST(Nearest, EveryDrawModePicksTheSameRows) {
    TBitmap32 Src;
    Src.SetSize(3, 3);
    gfx_test::FillMarkers(Src); // opaque, so blending copies
    TBitmap32 Want;
    StretchInto(Want, Src, 5, 7, sfNearest);
    for (TDrawMode Mode : {dmBlend, dmCustom}) {
        std::vector<TColor32> Masters;
        Src.SetDrawMode(Mode);
        Src.SetMasterAlpha(255);
        Src.OnPixelCombine = [&](TColor32 F, TColor32& B, TColor32 M) {
            B = F;
            Masters.push_back(M);
        };
        TBitmap32 Dst;
        SetCanvas(Dst, 5, 7);
        Src.DrawTo(&Dst, Dst.BoundsRect());
        for (int I = 0; I < 35; ++I)
            ASSERT_EQ(Dst.Bits()[I], Want.Bits()[I]) << "mode " << int(Mode) << " pixel " << I;
        EXPECT_EQ(Masters.size(), Mode == dmCustom ? 35u : 0u);
    }
}

TEST(Nearest, BlendUsesTheRowRoutinesWithMasterAlpha) {
    TBitmap32 Src;
    SetBlue(Src, 2, 1, {0x40, 0x80});
    Src.SetDrawMode(dmBlend);
    for (uint32_t M : {0u, 100u, 255u}) {
        Src.SetMasterAlpha(M);
        TBitmap32 Dst;
        SetCanvas(Dst, 4, 2, 0xFF000010);
        Src.DrawTo(&Dst, Dst.BoundsRect());
        TColor32 Want = 0xFF000010;
        if (M >= 255)
            BlendLine(&Src.Bits()[1], &Want, 1);
        else
            BlendLineEx(&Src.Bits()[1], &Want, 1, M);
        EXPECT_EQ(Dst.Pixel(3, 1), Want) << M;
    }
}

TEST(Nearest, RejectsASourceRectangleOutsideTheSource) {
    TBitmap32 Src, Dst;
    SetCanvas(Src, 4, 4);
    SetCanvas(Dst, 8, 8);
    try {
        ResampleNearest(&Dst, {0, 0, 8, 8}, {0, 0, 8, 8}, &Src, {0, 0, 5, 4}, dmOpaque, {});
        FAIL();
    } catch (const platform::Exception& E) {
        EXPECT_STREQ(E.what(), "Invalid SrcRect");
    }
    // An empty clip returns before the check.
    ResampleNearest(&Dst, {0, 0, 8, 8}, {20, 0, 30, 8}, &Src, {0, 0, 5, 4}, dmOpaque, {});
}

// --- Bilinear -----------------------------------------------------------------

TEST(Bilinear, TwoByTwoToFourByFour) {
    // Column and row weights of the first pixel 256, 192, 64, 0; the vertical
    // mix is truncated before the horizontal one. At (1, 1): left column
    // (0 * 192 + 200 * 64) >> 8 = 50, right (100 * 192 + 40 * 64) >> 8 = 85,
    // then (50 * 192 + 85 * 64) >> 8 = 58. The kernel resampler with
    // LinearKernel has the same weights at this scale and truncates once; here
    // it comes to the same values.
    const std::vector<int> Want = {0,   25,  75, 100, //
                                   50,  58,  76, 85,  //
                                   150, 126, 78, 55,  //
                                   200, 160, 80, 40};
    TBitmap32 Src;
    SetBlue(Src, 2, 2, {0, 100, 200, 40});
    TBitmap32 Dst;
    StretchInto(Dst, Src, 4, 4, sfLinear);
    EXPECT_EQ(BlueOf(Dst), Want);
    EXPECT_EQ(Dst.Pixel(1, 1), 0xFF00003Au); // alpha interpolated too
    Dst.Clear(0);
    ResampleKernel(&Dst, Dst.BoundsRect(), Dst.BoundsRect(), &Src, Src.BoundsRect(), sfLinear, dmOpaque, {});
    EXPECT_EQ(BlueOf(Dst), Want);
}

TEST(Bilinear, StaysInsideTheSourceRectangle) {
    // Columns and rows next to the source rectangle must not bleed in.
    TBitmap32 Inner;
    SetBlue(Inner, 2, 2, {0, 100, 200, 40});
    TBitmap32 Framed;
    SetCanvas(Framed, 4, 4, 0xFFFFFFFF);
    Inner.DrawTo(&Framed, 1, 1);
    for (bool Full : {true, false}) {
        FullEdgeScope Scope(Full);
        TBitmap32 Want;
        StretchInto(Want, Inner, 8, 8, sfLinear);
        TBitmap32 Dst;
        SetCanvas(Dst, 8, 8);
        StretchTransfer(&Dst, Dst.BoundsRect(), Dst.BoundsRect(), &Framed, {1, 1, 3, 3}, sfLinear, dmOpaque);
        for (int I = 0; I < 64; ++I)
            ASSERT_EQ(Dst.Bits()[I], Want.Bits()[I]) << "full " << Full << " pixel " << I;
        // A four-fold enlargement ends on the edge pixel itself.
        EXPECT_EQ(Dst.Pixel(7, 7), Inner.Pixel(1, 1));
    }
}

TEST(Bilinear, OneColumnSourceAtTheLeftEdge) {
    // Every column is the single source column, mixed vertically; nothing left
    // of the bitmap is read.
    TBitmap32 Src;
    SetBlue(Src, 1, 2, {0, 200});
    TBitmap32 Dst;
    StretchInto(Dst, Src, 3, 4, sfLinear);
    EXPECT_EQ(BlueOf(Dst), (std::vector<int>{0, 0, 0, 50, 50, 50, 150, 150, 150, 200, 200, 200}));
    TBitmap32 Row;
    SetBlue(Row, 2, 1, {0, 200});
    TBitmap32 RowDst;
    StretchInto(RowDst, Row, 4, 3, sfLinear);
    EXPECT_EQ(BlueOf(RowDst), (std::vector<int>{0, 50, 150, 200, 0, 50, 150, 200, 0, 50, 150, 200}));
}

TEST(Bilinear, DrawModesPerPixel) {
    TBitmap32 Src;
    SetBlue(Src, 2, 2, {0, 100, 200, 40});
    Src.SetStretchFilter(sfLinear);
    Src.SetDrawMode(dmBlend);
    Src.SetMasterAlpha(255);
    TBitmap32 Dst;
    SetCanvas(Dst, 4, 4, 0xFF0000FF);
    Src.DrawTo(&Dst, Dst.BoundsRect());
    TColor32 Want = 0xFF0000FF;
    BlendMemEx(0xFF00003A, Want, 255); // the master alpha is applied even at 255
    EXPECT_EQ(Dst.Pixel(1, 1), Want);

    Src.SetDrawMode(dmCustom);
    Src.SetMasterAlpha(77);
    int Calls = 0;
    Src.OnPixelCombine = [&](TColor32 F, TColor32& B, TColor32 M) {
        ++Calls;
        EXPECT_EQ(M, 77u);
        B = F ^ 0xFF;
    };
    Src.DrawTo(&Dst, Dst.BoundsRect());
    EXPECT_EQ(Calls, 16);
    EXPECT_EQ(Dst.Pixel(1, 1), 0xFF00003Au ^ 0xFF);
}

// --- Kernel -------------------------------------------------------------------

TEST(Kernel, ThreeByThreeToTwoByTwo) {
    // Per axis the first pixel weighs source pixels 0 and 1 with 171 and 85,
    // the second pixels 1 and 2 with 85 and 171; at (0, 0)
    // (171 * 85 * 100 + 85 * 171 * 50 + 85 * 85 * 150) >> 16 = 49.
    TBitmap32 Src;
    SetBlue(Src, 3, 3, {0, 100, 200, 50, 150, 250, 25, 75, 125});
    TBitmap32 Dst;
    StretchInto(Dst, Src, 2, 2, sfLinear);
    EXPECT_EQ(BlueOf(Dst), (std::vector<int>{49, 183, 55, 144}));
    EXPECT_EQ(Dst.Pixel(0, 0) >> 24, 0xFFu);
}

TEST(Kernel, MatchesTheDirectSumForEveryFilter) {
    // Including a destination that starts where the first cluster holds only
    // its centre column while the next reaches two columns further left.
    TBitmap32 Src;
    Src.SetSize(8, 6);
    for (int I = 0; I < 48; ++I)
        Src.Bits()[I] = TColor32(I * 0x3B5D17F1u) | (I % 3 == 0 ? 0xFF000000u : 0);
    struct Case {
        TRect DstRect, SrcRect;
    };
    const Case Cases[] = {{{-10, 0, 14, 9}, {0, 0, 8, 6}},
                          {{0, 0, 5, 3}, {0, 0, 8, 6}},
                          {{-3, -2, 30, 31}, {2, 1, 7, 6}},
                          {{0, 0, 1, 2}, {1, 1, 8, 5}}};
    for (TStretchFilter F : {sfLinear, sfSpline, sfLanczos, sfMitchell})
        for (const Case& C : Cases) {
            TBitmap32 Dst;
            SetCanvas(Dst, 12, 10);
            TMappingTable H, V;
            const TRect Clip = {std::max(C.DstRect.Left, 0), std::max(C.DstRect.Top, 0),
                                std::min(C.DstRect.Right, 12), std::min(C.DstRect.Bottom, 10)};
            BuildClusterTable(C.DstRect.Left, C.DstRect.Right, Clip.Left, Clip.Right, C.SrcRect.Left,
                              C.SrcRect.Right, F, H);
            BuildClusterTable(C.DstRect.Top, C.DstRect.Bottom, Clip.Top, Clip.Bottom, C.SrcRect.Top,
                              C.SrcRect.Bottom, F, V);
            ResampleKernel(&Dst, C.DstRect, Dst.BoundsRect(), &Src, C.SrcRect, F, dmOpaque, {});
            const bool Clamp = F == sfLanczos || F == sfMitchell;
            for (int Y = 0; Y < 10; ++Y)
                for (int X = 0; X < 12; ++X) {
                    const bool In = PtInRect(Clip, {X, Y});
                    const TColor32 Want =
                        In ? KernelReference(Src, H[size_t(X - Clip.Left)], V[size_t(Y - Clip.Top)], Clamp)
                           : 0x11223344u;
                    ASSERT_EQ(Dst.Pixel(X, Y), Want) << "filter " << int(F) << " at " << X << "," << Y;
                }
        }
    TMappingTable H;
    BuildClusterTable(-10, 14, 0, 12, 0, 8, sfLanczos, H);
    EXPECT_EQ(H[0], (TCluster{{3, 256}}));
    EXPECT_EQ(H[1].front().SrcIndex, 1);
}

TEST(Kernel, NegativeLobesClampInsteadOfWrapping) {
    // A hard step overshoots on both sides with Lanczos and Mitchell: sums
    // below 0 give 0 and sums above 255 give 255, where bits 16..23 would wrap.
    TBitmap32 Src;
    Src.SetSize(6, 1);
    for (int X = 0; X < 6; ++X)
        Src.SetPixel(X, 0, X < 3 ? 0xFF000000u : 0xFFFFFFFFu);
    for (TStretchFilter F : {sfLanczos, sfMitchell}) {
        TBitmap32 Dst;
        StretchInto(Dst, Src, 30, 1, F);
        TMappingTable H;
        BuildClusterTable(0, 30, 0, 30, 0, 6, F, H);
        int Under = 0, Over = 0;
        for (int X = 0; X < 30; ++X) {
            int64_t Sum = 0;
            for (const TClusterEntry& E : H[size_t(X)])
                Sum += int64_t(Src.Pixel(E.SrcIndex, 0) & 0xFF) * 256 * E.Weight;
            if (Sum < 0) {
                ++Under;
                EXPECT_EQ(Dst.Pixel(X, 0), 0xFF000000u) << int(F) << " at " << X;
            }
            if (Sum > 0xFF0000) {
                ++Over;
                EXPECT_EQ(Dst.Pixel(X, 0), 0xFFFFFFFFu) << int(F) << " at " << X;
            }
        }
        EXPECT_GT(Under, 0);
        EXPECT_GT(Over, 0);
    }
}

TEST(Kernel, BlendAndCustomModes) {
    TBitmap32 Src;
    SetBlue(Src, 3, 3, {0, 100, 200, 50, 150, 250, 25, 75, 125});
    TBitmap32 Opaque;
    StretchInto(Opaque, Src, 2, 2, sfSpline);
    TBitmap32 Dst;
    SetCanvas(Dst, 2, 2, 0xFF000010);
    auto Draw = [&](TDrawMode Mode, const TPixelCombineEvent& CallBack) {
        ResampleKernel(&Dst, Dst.BoundsRect(), Dst.BoundsRect(), &Src, Src.BoundsRect(), sfSpline, Mode,
                       CallBack);
    };
    // Master alpha 0 draws nothing.
    Src.SetMasterAlpha(0);
    Draw(dmBlend, {});
    EXPECT_EQ(Dst.Pixel(1, 0), 0xFF000010u);
    // The callback sees the resampled colour and the master alpha.
    Src.SetMasterAlpha(99);
    std::vector<TColor32> Seen;
    Draw(dmCustom, [&](TColor32 F, TColor32&, TColor32 M) {
        Seen.push_back(F);
        EXPECT_EQ(M, 99u);
    });
    EXPECT_EQ(Seen, (std::vector<TColor32>(Opaque.Bits(), Opaque.Bits() + 4)));
    EXPECT_EQ(Dst.Pixel(1, 0), 0xFF000010u);
    // Blending applies the master alpha to every pixel.
    Src.SetMasterAlpha(255);
    Draw(dmBlend, {});
    TColor32 Want = 0xFF000010;
    BlendMemEx(Opaque.Pixel(1, 0), Want, 255);
    EXPECT_EQ(Dst.Pixel(1, 0), Want);
    // Custom without a callback copies.
    Draw(dmCustom, {});
    EXPECT_EQ(Dst.Pixel(0, 1), Opaque.Pixel(0, 1));
}

// --- Through StretchTransfer ----------------------------------------------

TEST(Stretch, ClippedDrawingMatchesTheWholePicture) {
    // DstRect beyond every edge of the destination, and a clip inside it: the
    // drawn pixels are those of the unclipped picture, nothing else changes.
    TBitmap32 Src;
    Src.SetSize(7, 5);
    gfx_test::FillMarkers(Src);
    const TRect DstRect = {-6, -4, 19, 15}; // 25 x 19
    for (TStretchFilter F : kFilters) {
        TBitmap32 Whole;
        SetCanvas(Whole, 25, 19);
        StretchTransfer(&Whole, Whole.BoundsRect(), Whole.BoundsRect(), &Src, Src.BoundsRect(), F, dmOpaque);
        for (TRect Clip : {TRect{0, 0, 13, 11}, TRect{2, 3, 5, 9}, TRect{12, 10, 40, 40}}) {
            TBitmap32 Dst;
            SetCanvas(Dst, 13, 11);
            StretchTransfer(&Dst, DstRect, Clip, &Src, Src.BoundsRect(), F, dmOpaque);
            TRect Drawn;
            IntersectRect(Drawn, Clip, Dst.BoundsRect());
            for (int Y = 0; Y < 11; ++Y)
                for (int X = 0; X < 13; ++X)
                    ASSERT_EQ(Dst.Pixel(X, Y),
                              PtInRect(Drawn, {X, Y}) ? Whole.Pixel(X + 6, Y + 4) : 0x11223344u)
                        << "filter " << int(F) << " at " << X << "," << Y;
        }
    }
}

TEST(Stretch, UnequalSizesDrawWithEveryFilter) {
    TBitmap32 Src;
    Src.SetSize(4, 4);
    Src.Clear(0xFF336699);
    for (TStretchFilter F : kFilters) {
        Src.SetStretchFilter(F);
        for (TRect R : {TRect{0, 0, 9, 9}, TRect{0, 0, 2, 3}, TRect{0, 0, 9, 1}, TRect{0, 0, 1, 9}}) {
            TBitmap32 Dst;
            SetCanvas(Dst, 9, 9);
            Src.DrawTo(&Dst, R);
            // A flat picture stays flat, whatever the filter.
            EXPECT_EQ(Dst.Pixel(R.Right - 1, R.Bottom - 1), 0xFF336699u) << int(F);
            EXPECT_EQ(Dst.Pixel(0, 0), 0xFF336699u) << int(F);
        }
    }
}
