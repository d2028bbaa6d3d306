// Sub-pixel (X, F), stippled (P) and anti-aliased (A) lines and their clipping.
#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <random>

#include "gfx_test_support.h"

using namespace gfx;
using gfx_test::EventLog;

namespace {
constexpr TColor32 kBack = 0xFF000000, kInk = 0xFF40C0FF;
constexpr TFixed kOne = 65536;

struct AALines : ::testing::Test {
    EventLog Log;
    TBitmap32 B, Want;
    void SetUp() override { Size(16, 8); }
    void Size(int W, int H) {
        for (TBitmap32* M : {&B, &Want}) {
            M->SetSize(W, H);
            M->Clear(kBack);
        }
        Log.Attach(B);
        Log.Events.clear();
    }
    // The expected picture: plots at 24.8 positions.
    void Plot(int X, int Y, TColor32 C) { Want.SET_T256(X, Y, C); }
    bool Same() { return B.Equal(&Want); }
    int Touched() const {
        int N = 0;
        for (int I = 0; I < B.Width() * B.Height(); ++I)
            N += B.Bits()[I] != kBack;
        return N;
    }
};

TColor32 Alpha0(TColor32 C) { return C & 0x00FFFFFF; }
} // namespace

TEST_F(AALines, LineXPlotsOnePixelApartAndAPartialLastPlot) {
    B.LineX(0, 0, 10 * kOne, 0, kInk, false);
    for (int I = 0; I < 10; ++I)
        Plot(I * 256, 0, kInk);
    Plot(2432, 0, Alpha0(kInk)); // the last plot has alpha 0: it changes nothing
    EXPECT_TRUE(Same());
    EXPECT_EQ(Log.Count("change"), 1);
    // Pixels 0 to 9 of row 0 exactly, each at the full plot weight 253.
    TColor32 Full = kBack;
    CombineMem(kInk, Full, 253);
    for (int X = 0; X < 10; ++X)
        EXPECT_EQ(B.Pixel(X, 0), Full) << X;
    EXPECT_EQ(B.Pixel(10, 0), kBack);
    EXPECT_EQ(B.Pixel(3, 1), kBack);

    // With L: eleven plots 59578/65536 pixel apart.
    Size(16, 8);
    B.LineX(0, 0, 10 * kOne, 0, kInk, true);
    for (int I = 0; I < 11; ++I)
        Plot((127 + I * 59578) >> 8, 0, kInk);
    EXPECT_TRUE(Same());

    // Float end points between pixel centres: each plot spreads over 2 x 2 pixels.
    Size(16, 8);
    B.LineF(0.5f, 0.5f, 3.5f, 0.5f, kInk, false);
    for (int X : {128, 384, 640})
        Plot(X, 128, kInk);
    EXPECT_TRUE(Same());
    EXPECT_NE(B.Pixel(3, 1), kBack);
    EXPECT_EQ(B.Pixel(4, 0), kBack);
}

TEST_F(AALines, LineXOfNoLength) {
    B.LineX(3 * kOne, 2 * kOne, 3 * kOne + 255, 2 * kOne, kInk, false); // under 1/256 pixel
    EXPECT_EQ(Touched(), 0);
    EXPECT_EQ(Log.Count("change"), 1);
    B.LineX(3 * kOne, 2 * kOne, 3 * kOne, 2 * kOne, kInk, true); // one plot at the start
    Plot(3 * 256, 2 * 256, kInk);
    EXPECT_TRUE(Same());
    EXPECT_EQ(Touched(), 1);
}

TEST_F(AALines, ClippedXLines) {
    // Wholly more than one pixel outside on one side: nothing, not even Changed.
    B.LineXS(-5 * kOne, -3 * kOne, 20 * kOne, -2 * kOne, kInk, true);
    B.LineFS(17.5f, 0, 30, 7, kInk, false);
    EXPECT_EQ(Touched(), 0);
    EXPECT_EQ(Log.Count("change"), 0);

    // Two or more pixels inside the right and lower borders: exactly LineX, L ignored.
    B.LineXS(kOne + 5, kOne, 12 * kOne, 5 * kOne + 77, kInk, true);
    Want.LineX(kOne + 5, kOne, 12 * kOne, 5 * kOne + 77, kInk, false);
    EXPECT_TRUE(Same());

    // Across the whole bitmap: plots that are half outside draw their inside half.
    Size(16, 8);
    B.LineXS(-10 * kOne, 3 * kOne + kOne / 2, 40 * kOne, 3 * kOne + kOne / 2, kInk, false);
    for (int X = 0; X < 16; ++X) {
        EXPECT_NE(B.Pixel(X, 3), kBack) << X;
        EXPECT_NE(B.Pixel(X, 4), kBack) << X;
        EXPECT_EQ(B.Pixel(X, 5), kBack) << X;
    }
    EXPECT_EQ(Log.Count("change"), 1);

    // Extreme coordinates clip in 64 bits; a bitmap wider than 32768 pixels
    // (whose edge lies beyond the 16.16 range) is drawn up to that range.
    for (auto [X1, X2] : {std::pair{INT32_MIN, INT32_MAX}, std::pair{INT32_MAX, INT32_MIN}}) {
        Size(16, 8);
        B.LineXS(X1, X1, X2, X2, kInk, true);
        EXPECT_NE(B.Pixel(0, 0), kBack);
        EXPECT_NE(B.Pixel(7, 7), kBack);
        EXPECT_EQ(B.Pixel(9, 7), kBack);
    }
    Size(40000, 3);
    B.LineXS(INT32_MIN, kOne, INT32_MAX, kOne, kInk, false);
    EXPECT_NE(B.Pixel(0, 1), kBack);
    EXPECT_NE(B.Pixel(32766, 1), kBack);
    EXPECT_EQ(B.Pixel(32769, 1), kBack);
}

TEST_F(AALines, StippledLinesTakeOneColourPerPlot) {
    std::vector<TColor32> Pattern(100);
    for (int I = 0; I < 100; ++I)
        Pattern[I] = 0xFF000000u | TColor32(I * 0x020101);
    B.SetStipple(TArrayOfColor32(Pattern));
    Want.SetStipple(TArrayOfColor32(Pattern));
    B.LineXP(0, kOne, 10 * kOne, kOne, false);
    EXPECT_FLOAT_EQ(B.StippleCounter, 11); // ten plots and the last one
    for (int I = 0; I < 10; ++I)
        Plot(I * 256, 256, Pattern[I]);
    EXPECT_TRUE(Same());
    EXPECT_EQ(Log.Count("change"), 1);

    // Rejected by the clipping: the pattern advances by the length, less one with L.
    B.StippleCounter = 0;
    B.LineXSP(-10 * kOne, -10 * kOne, -5 * kOne, -10 * kOne, true);
    EXPECT_FLOAT_EQ(B.StippleCounter, 4);
    B.StippleCounter = 0;
    B.LineFSP(-10, -10, -5, -10, false);
    EXPECT_FLOAT_EQ(B.StippleCounter, 5);

    // Clipped at both ends: the pattern ends where the whole line would leave it.
    Size(10, 10);
    B.SetStipple(TArrayOfColor32(Pattern));
    B.LineXSP(-20 * kOne, 5 * kOne, 30 * kOne, 5 * kOne, false);
    EXPECT_FLOAT_EQ(B.StippleCounter, 51);
    B.StippleCounter = 0;
    Want.StippleCounter = 0;
    B.LineXSP(2 * kOne, 2 * kOne, 7 * kOne, 7 * kOne, true); // well inside: LineXP without L
    Want.LineXP(2 * kOne, 2 * kOne, 7 * kOne, 7 * kOne, false);
    EXPECT_EQ(B.StippleCounter, Want.StippleCounter);
}

TEST_F(AALines, LineAWeightsPairsByTheAccumulator) {
    Size(5, 5);
    B.LineA(0, 0, 3, 3, kInk, false);
    BlendMem(kInk, *Want.PixelPtr(0, 0));
    BlendMemEx(kInk, *Want.PixelPtr(1, 1), GAMMA_TABLE[255]);
    BlendMemEx(kInk, *Want.PixelPtr(2, 2), GAMMA_TABLE[255]);
    EXPECT_TRUE(Same()); // the neighbours (1, 2) and (2, 3) got weight 0
    EXPECT_EQ(Touched(), 3);
    EXPECT_EQ(Log.Count("change"), 1);
    B.Clear(kBack);
    B.LineA(0, 0, 3, 3, kInk, true);
    BlendMemEx(kInk, *Want.PixelPtr(3, 3), GAMMA_TABLE[255]);
    EXPECT_TRUE(Same());

    // A shallow line: E grows by (1 << 16) / 4 per step.
    Size(8, 4);
    B.LineA(0, 0, 4, 1, kInk, true);
    BlendMem(kInk, *Want.PixelPtr(0, 0));
    const int Weights[] = {64, 128, 192, 0};
    const int Rows[] = {0, 0, 0, 1};
    for (int I = 0; I < 4; ++I) {
        BlendMemEx(kInk, *Want.PixelPtr(I + 1, Rows[I]), GAMMA_TABLE[255 - Weights[I]]);
        BlendMemEx(kInk, *Want.PixelPtr(I + 1, Rows[I] + 1), GAMMA_TABLE[Weights[I]]);
    }
    EXPECT_TRUE(Same());

    // Straight lines are LineT's.
    for (auto [X1, Y1, X2, Y2] : {std::tuple{1, 1, 6, 1}, std::tuple{2, 3, 2, 0}}) {
        Size(8, 4);
        B.LineA(X1, Y1, X2, Y2, 0x80FF0000, true);
        Want.LineT(X1, Y1, X2, Y2, 0x80FF0000, true);
        EXPECT_TRUE(Same());
    }
}

TEST_F(AALines, LineANeverWritesOutsideTheBitmap) {
    // Steeper than 65536:1 the 16-bit step rounds to 0: the line stays on its
    // column instead of stepping sideways on every row.
    Size(3, 70001);
    B.LineA(0, 0, 1, 70000, kInk, true);
    for (int Y = 0; Y < 70001; ++Y) {
        ASSERT_NE(B.Pixel(0, Y), kBack) << Y;
        ASSERT_EQ(B.Pixel(2, Y), kBack) << Y;
    }
    Size(70001, 2);
    B.LineAS(-5, 0, 70010, 1, kInk, true);
    EXPECT_NE(B.Pixel(69999, 0), kBack);

    // A clipped line ends on the border, where the neighbour of its last pair
    // lies outside: along the right border it would be the next row's first
    // pixel, along the bottom border past the pixel memory. Its weight is 0
    // unless the gamma table says otherwise (gamma 0 makes every weight 255).
    struct GammaScope {
        GammaScope() { SetGamma(0); }
        ~GammaScope() { SetGamma(0.7f); }
    } const Gamma0;
    Size(10, 10);
    B.LineAS(8, 0, 10, 8, kInk, true); // clipped to (8, 0)-(9, 4); the last pair's neighbour is (10, 4)
    for (int Y = 0; Y < 10; ++Y)
        EXPECT_EQ(B.Pixel(0, Y), kBack) << Y;
    EXPECT_NE(B.Pixel(9, 4), kBack);
    B.LineAS(0, 8, 16, 10, kInk, true); // clipped to (0, 8)-(8, 9)
    EXPECT_NE(B.Pixel(8, 9), kBack);
    B.MoveTo(9, 5);
    B.LineToAS(40, -20);
    EXPECT_EQ(B.PenPos, (TPoint{40, -20}));
}

namespace {
// Whether the point (X, Y) lies within Reach of the segment from (X1, Y1) to (X2, Y2).
bool NearSegment(long double X, long double Y, long double X1, long double Y1, long double X2, long double Y2,
                 long double Reach) {
    const long double Dx = X2 - X1, Dy = Y2 - Y1, Length2 = Dx * Dx + Dy * Dy;
    const long double T =
        Length2 == 0 ? 0 : std::clamp(((X - X1) * Dx + (Y - Y1) * Dy) / Length2, 0.0L, 1.0L);
    const long double Ex = X1 + T * Dx - X, Ey = Y1 + T * Dy - Y;
    return Ex * Ex + Ey * Ey <= Reach * Reach;
}
} // namespace

TEST_F(AALines, AnyCoordinatesChangeOnlyPixelsWithinTheLinesReach) {
    // The clipped forms accept any coordinates. A plot changes the 2 x 2
    // pixels around its position, so pixels less than 1.5 from the line; a
    // pair of LineA lies within 2 pixels of its line, whose clipped ends are
    // rounded to whole pixels, so within 3. Every other pixel of the bitmap is
    // a guard that keeps its colour: a pixel written past the end of a row
    // would land at the other end of the next row (where the sanitizers do
    // not look), far from the line.
    Size(40, 12);
    std::mt19937 Gen(3);
    const int32_t Extremes[] = {INT32_MIN, INT32_MIN + 1, -65537,        -1,           0,
                                1,         65535,         65536,         7 * kOne + 3, 39 * kOne + 40000,
                                11 * kOne, 40 * kOne,     41 * kOne - 1, INT32_MAX};
    auto Any = [&]() -> int32_t {
        return Gen() % 2 ? Extremes[Gen() % std::size(Extremes)] : int32_t(Gen() % (50 * kOne)) - 5 * kOne;
    };
    B.SetStipple({0xFF0000FF, 0x8000FF00});
    auto InPixels = [](const int32_t(&P)[4], long double Unit) {
        return std::array<long double, 4>{P[0] / Unit, P[1] / Unit, P[2] / Unit, P[3] / Unit};
    };
    struct TLine {
        const char* Name;
        std::function<void()> Draw;
        std::array<long double, 4> Ends; // in pixels
        long double Reach;
    };
    for (int I = 0; I < 3000; ++I) {
        const int32_t F[4] = {Any(), Any(), Any(), Any()}; // 16.16
        int32_t A[4];
        for (int K = 0; K < 4; ++K)
            A[K] = F[K] >> (Gen() % 17);
        const bool L = Gen() % 2;
        const TLine Lines[] = {
            {"LineXS", [&] { B.LineXS(F[0], F[1], F[2], F[3], kInk, L); }, InPixels(F, kOne), 1.5L},
            {"LineXSP", [&] { B.LineXSP(F[0], F[1], F[2], F[3], L); }, InPixels(F, kOne), 1.5L},
            {"LineAS", [&] { B.LineAS(A[0], A[1], A[2], A[3], kInk, L); }, InPixels(A, 1), 3},
        };
        for (const TLine& Line : Lines) {
            const auto& [X1, Y1, X2, Y2] = Line.Ends;
            B.Clear(kBack);
            Line.Draw();
            for (int Y = 0; Y < 12; ++Y)
                for (int X = 0; X < 40; ++X)
                    ASSERT_TRUE(B.Pixel(X, Y) == kBack || NearSegment(X, Y, X1, Y1, X2, Y2, Line.Reach))
                        << Line.Name << " (" << X1 << ", " << Y1 << ")-(" << X2 << ", " << Y2 << ") L " << L
                        << " changed " << X << "," << Y;
        }
    }
    TBitmap32 Empty;
    Empty.LineXS(0, 0, kOne, kOne, kInk, true);
    Empty.LineAS(0, 0, 1, 1, kInk, true);
    EXPECT_TRUE(Empty.Empty());
}

TEST_F(AALines, PenOperations) {
    B.PenColor = kInk;
    B.MoveToF(1.5f, 2.5f);
    EXPECT_EQ(B.FixedPenPos, (TFixedPoint{3 * kOne / 2, 5 * kOne / 2}));
    B.LineToFS(6.5f, 2.5f);
    Want.LineXS(3 * kOne / 2, 5 * kOne / 2, 13 * kOne / 2, 5 * kOne / 2, kInk, false);
    EXPECT_TRUE(Same());
    EXPECT_EQ(B.FixedPenPos, (TFixedPoint{13 * kOne / 2, 5 * kOne / 2}));
    B.MoveToX(-100 * kOne, 0);
    B.LineToXS(-50 * kOne, 0); // nothing drawn, the pen moves
    EXPECT_EQ(B.FixedPenPos, (TFixedPoint{-50 * kOne, 0}));
    B.SetStipple({kInk});
    B.LineToXSP(kOne, kOne);
    EXPECT_EQ(B.FixedPenPos, (TFixedPoint{kOne, kOne}));
    B.MoveTo(1, 1);
    B.LineToAS(5, 3);
    EXPECT_EQ(B.PenPos, (TPoint{5, 3}));
}
