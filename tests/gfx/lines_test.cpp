// Stipple, row and column runs, integer lines, the pen and ClipLine.
#include <array>
#include <cmath>
#include <limits>
#include <set>

#include "gfx_test_support.h"

using namespace gfx;

namespace {
constexpr TColor32 kBack = 0xFF000000, kInk = 0xFF00FF00;
using PointSet = std::set<std::pair<int, int>>;

struct Lines : ::testing::Test {
    gfx_test::EventLog Log;
    TBitmap32 B;
    void SetUp() override { Size(10, 10); }
    void Size(int W, int H) {
        B.SetSize(W, H);
        B.Clear(kBack);
        Log.Attach(B);
        Log.Events.clear();
    }
    PointSet Inked() const {
        PointSet S;
        for (int Y = 0; Y < B.Height(); ++Y)
            for (int X = 0; X < B.Width(); ++X)
                if (B.Pixel(X, Y) != kBack) S.insert({X, Y});
        return S;
    }
};
} // namespace

TEST_F(Lines, IntegerLinesInEveryDirection) {
    struct Case {
        int X1, Y1, X2, Y2;
        bool L;
        PointSet Want;
    };
    const Case Cases[] = {
        {5, 5, 5, 5, false, {}},
        {5, 5, 5, 5, true, {{5, 5}}},
        {0, 0, 3, 0, false, {{0, 0}, {1, 0}, {2, 0}}},
        {3, 0, 0, 0, false, {{1, 0}, {2, 0}, {3, 0}}},
        {3, 0, 0, 0, true, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
        {2, 1, 2, 4, false, {{2, 1}, {2, 2}, {2, 3}}},
        {2, 4, 2, 1, false, {{2, 2}, {2, 3}, {2, 4}}},
        {0, 0, 4, 1, false, {{0, 0}, {1, 0}, {2, 0}, {3, 1}}},
        {4, 1, 0, 0, false, {{4, 1}, {3, 1}, {2, 1}, {1, 0}}},
        {0, 0, 1, 4, false, {{0, 0}, {0, 1}, {0, 2}, {1, 3}}},
        {0, 0, 3, 3, true, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {3, 3, 0, 0, false, {{3, 3}, {2, 2}, {1, 1}}},
        {0, 3, 3, 0, true, {{0, 3}, {1, 2}, {2, 1}, {3, 0}}},
        // A single diagonal step reaches its end point exactly.
        {0, 0, 1, 1, true, {{0, 0}, {1, 1}}},
        {1, 0, 0, 1, true, {{1, 0}, {0, 1}}},
        {1, 1, 0, 0, true, {{1, 1}, {0, 0}}},
        {0, 1, 1, 0, false, {{0, 1}}},
        {9, 9, 0, 0, true, {{9, 9}, {8, 8}, {7, 7}, {6, 6}, {5, 5}, {4, 4}, {3, 3}, {2, 2}, {1, 1}, {0, 0}}},
    };
    for (const Case& C : Cases) {
        for (bool Blend : {false, true}) {
            SetUp();
            if (Blend)
                B.LineT(C.X1, C.Y1, C.X2, C.Y2, kInk, C.L);
            else
                B.Line(C.X1, C.Y1, C.X2, C.Y2, kInk, C.L);
            EXPECT_EQ(Inked(), C.Want) << C.X1 << "," << C.Y1 << "-" << C.X2 << "," << C.Y2 << " L=" << C.L;
            EXPECT_EQ(Log.Count("change"), 1);
        }
    }
}

TEST_F(Lines, EveryLineFromTheCentreEndsAtItsEndPoint) {
    Size(21, 21);
    for (int X = 0; X < 21; ++X)
        for (int Y = 0; Y < 21; ++Y) {
            B.Clear(kBack);
            B.Line(10, 10, X, Y, kInk, true);
            ASSERT_EQ(B.Pixel(X, Y), kInk) << X << "," << Y;
            ASSERT_EQ(B.Pixel(10, 10), kInk);
            // Every pixel is one step from the previous: the count is the major delta + 1.
            const size_t Want = size_t(std::max(std::abs(X - 10), std::abs(Y - 10))) + 1;
            ASSERT_EQ(Inked().size(), Want) << X << "," << Y;
        }
}

TEST_F(Lines, ClippedLinesAndPen) {
    Size(640, 400);
    B.PenColor = kInk;
    B.MoveTo(10, 10);
    B.LineToS(12, 10);
    EXPECT_EQ(Inked(), (PointSet{{10, 10}, {11, 10}}));
    EXPECT_EQ(B.PenPos, (TPoint{12, 10}));
    B.Clear(kBack);
    B.MoveTo(638, 10);
    B.LineToS(640, 10);
    EXPECT_EQ(Inked(), (PointSet{{638, 10}}));
    EXPECT_EQ(B.PenPos, (TPoint{640, 10}));
    B.Clear(kBack);
    Log.Events.clear();
    B.MoveTo(639, 10);
    B.LineToS(700, 10);
    EXPECT_TRUE(Inked().empty());
    EXPECT_EQ(Log.Count("change"), 1);
    Log.Events.clear();
    B.MoveTo(-5, -5);
    B.LineToS(-1, 500); // wholly outside
    EXPECT_EQ(Log.Count("change"), 0);
    EXPECT_EQ(B.PenPos, (TPoint{-1, 500}));

    Size(10, 10);
    B.LineS(-10, 5, 20, 5, kInk, false);
    PointSet Row;
    for (int X = 0; X <= 8; ++X)
        Row.insert({X, 5});
    EXPECT_EQ(Inked(), Row);
    B.Clear(kBack);
    B.LineTS(-10, 5, 20, 5, kInk, false); // clipped end point drawn
    Row.insert({9, 5});
    EXPECT_EQ(Inked(), Row);
    B.Clear(kBack);
    B.PenColor = kInk;
    B.MoveTo(3, 3);
    B.LineToTS(5, 3);
    EXPECT_EQ(Inked(), (PointSet{{3, 3}, {4, 3}}));

    TBitmap32 Empty;
    Empty.LineS(0, 0, 5, 5, kInk);
    Empty.LineTS(0, 0, 5, 5, kInk);
    Empty.HorzLineS(0, 0, 5, kInk);
    Empty.VertLineTS(0, 0, 5, kInk);
    Empty.SetSize(0, 5);
    Empty.HorzLineS(0, 0, 5, kInk);
}

TEST_F(Lines, HugeCoordinatesStayInside) {
    const int32_t Big = std::numeric_limits<int32_t>::max(), Small = std::numeric_limits<int32_t>::min();
    const int32_t Values[] = {Small, Small + 1, -1000000000, -70000,     -1,      0,  5,
                              9,     10,        70000,       1000000000, Big - 1, Big};
    for (int32_t X1 : Values)
        for (int32_t Y1 : Values)
            for (int32_t X2 : {Small, 3, Big})
                for (int32_t Y2 : {Big, 7, Small}) {
                    B.LineS(X1, Y1, X2, Y2, kInk, true);
                    B.LineTS(X1, Y1, X2, Y2, kInk, true);
                    int32_t A = X1, Bv = Y1, C = X2, D = Y2;
                    if (ClipLine(A, Bv, C, D, 0, 0, 9, 9)) {
                        ASSERT_TRUE(A >= 0 && A <= 9 && Bv >= 0 && Bv <= 9 && C >= 0 && C <= 9 && D >= 0 &&
                                    D <= 9)
                            << X1 << "," << Y1 << "-" << X2 << "," << Y2;
                    }
                }
    // A long line through the middle still lands on its true pixels.
    SetUp();
    B.LineS(-1000000000, 5, 1000000000, 5, kInk, true);
    EXPECT_EQ(Inked().size(), 10u);
    SetUp();
    B.LineS(-2000000000, -2000000000, 2000000000, 2000000000, kInk, true);
    PointSet Diagonal;
    for (int I = 0; I < 10; ++I)
        Diagonal.insert({I, I});
    EXPECT_EQ(Inked(), Diagonal);
}

TEST(ClipLine, Cases) {
    struct Case {
        int32_t X1, Y1, X2, Y2;
        bool Result;
        int32_t CX1, CY1, CX2, CY2;
    };
    const Case Cases[] = {
        {-10, 5, 20, 5, true, 0, 5, 9, 5},   {-5, -5, -1, 20, false, 0, 0, 0, 0}, // only the result counts
        {2, 3, 7, 8, true, 2, 3, 7, 8},      {5, -5, 5, 15, true, 5, 0, 5, 9},
        {-1, -1, 10, 10, true, 0, 0, 9, 9},  {-3, 4, 4, -3, true, 0, 1, 1, 0},
        {-20, 0, 0, -20, false, 0, 0, 0, 0}, // passes the corner region only
        {0, 20, 20, 0, false, 0, 0, 0, 0},   {4, 4, 4, 4, true, 4, 4, 4, 4},
        {-2, 0, 11, 1, true, 0, 0, 9, 1},
    };
    for (const Case& C : Cases) {
        int32_t A = C.X1, B = C.Y1, X = C.X2, Y = C.Y2;
        EXPECT_EQ(ClipLine(A, B, X, Y, 0, 0, 9, 9), C.Result)
            << C.X1 << "," << C.Y1 << "-" << C.X2 << "," << C.Y2;
        if (C.Result) {
            EXPECT_EQ((std::array<int32_t, 4>{A, B, X, Y}),
                      (std::array<int32_t, 4>{C.CX1, C.CY1, C.CX2, C.CY2}));
        }
    }
    int32_t A = 0, B = 0, X = 5, Y = 5;
    EXPECT_FALSE(ClipLine(A, B, X, Y, 5, 5, 4, 4)); // empty rectangle
}

TEST_F(Lines, RunsClipAndOrder) {
    B.HorzLineS(5, 2, -3, kInk);
    PointSet Want;
    for (int X = 0; X <= 5; ++X)
        Want.insert({X, 2});
    EXPECT_EQ(Inked(), Want);
    B.HorzLineS(0, 10, 9, kInk);
    B.HorzLineS(0, -1, 9, kInk);
    B.VertLineS(10, 0, 9, kInk);
    B.HorzLineTS(INT32_MIN, 2, INT32_MAX, 0x00FFFFFF); // transparent: no change
    EXPECT_EQ(Inked(), Want);
    B.VertLineS(7, INT32_MAX, INT32_MIN, kInk);
    for (int Y = 0; Y < 10; ++Y)
        Want.insert({7, Y});
    EXPECT_EQ(Inked(), Want);
    B.HorzLine(3, 9, 1, kInk); // reversed unchecked run: nothing
    B.VertLine(1, 5, 4, kInk);
    EXPECT_EQ(Inked(), Want);
    EXPECT_EQ(Log.Count("change"), 0); // runs never notify
    B.VertLineT(0, 0, 1, 0xFFFFFFFF);
    EXPECT_EQ(B.Pixel(0, 1), 0xFFFFFFFFu);
}

TEST_F(Lines, StippleSequences) {
    const TColor32 A = 0xFFFF0000, Bc = 0xFF0000FF;
    EXPECT_EQ(B.GetStippleColor(), 0xFF000000u);
    B.AdvanceStippleCounter(3);
    EXPECT_EQ(B.StippleCounter, 0);
    B.SetStipple({A, Bc});
    for (int I = 0; I < 6; ++I)
        EXPECT_EQ(B.GetStippleColor(), I % 2 ? Bc : A) << I;
    B.AdvanceStippleCounter(0);
    B.SetStipple({A, Bc});
    B.StippleStep = 0.5f;
    const TColor32 Want[] = {A, CombineReg(A, Bc, 127), Bc, CombineReg(Bc, A, 127), A};
    for (TColor32 W : Want)
        EXPECT_EQ(B.GetStippleColor(), W);
    B.StippleStep = 1;
    // Negative and huge advances wrap into the pattern.
    B.SetStipple({A, Bc, 0xFF00FF00});
    B.AdvanceStippleCounter(-1);
    EXPECT_EQ(B.StippleCounter, 2);
    B.AdvanceStippleCounter(3e9f);
    EXPECT_GE(B.StippleCounter, 0);
    EXPECT_LT(B.StippleCounter, 3);
    for (float Bad : {INFINITY, -INFINITY, NAN, 1e30f, -1e30f}) {
        B.StippleCounter = Bad;
        const TColor32 C = B.GetStippleColor(); // must return, from the pattern
        EXPECT_TRUE(C == A || C == Bc || C == 0xFF00FF00);
        EXPECT_TRUE(std::isfinite(B.StippleCounter));
        B.StippleCounter = 0;
        B.StippleStep = Bad;
        B.AdvanceStippleCounter(1);
        EXPECT_GE(B.StippleCounter, 0);
        EXPECT_LT(B.StippleCounter, 3);
        B.StippleStep = 1;
    }
    // The caller's array is copied.
    TArrayOfColor32 P{A};
    B.SetStipple(P);
    P[0] = Bc;
    EXPECT_EQ(B.StipplePattern()[0], A);
}

TEST_F(Lines, StippledRunsKeepPatternInStep) {
    Size(10, 3);
    std::vector<TColor32> Pattern;
    for (TColor32 I = 0; I < 7; ++I)
        Pattern.push_back(0xFF000010 + I);
    B.SetStipple(Pattern);
    B.HorzLineTSP(-5, 0, -1);
    EXPECT_TRUE(Inked().empty());
    EXPECT_EQ(B.StippleCounter, 5);
    B.SetStipple(Pattern);
    B.HorzLineTSP(-2, 0, 1);
    EXPECT_EQ(B.Pixel(0, 0), Pattern[2]);
    EXPECT_EQ(B.Pixel(1, 0), Pattern[3]);
    B.SetStipple(Pattern);
    B.HorzLineTSP(4, 1, 1);
    for (int X = 4, I = 0; X >= 1; --X, ++I)
        EXPECT_EQ(B.Pixel(X, 1), Pattern[size_t(I)]);
    B.SetStipple(Pattern);
    B.HorzLineTSP(12, 2, 7); // starts beyond the right edge
    EXPECT_EQ(B.Pixel(9, 2), Pattern[3]);
    EXPECT_EQ(B.Pixel(7, 2), Pattern[5]);
    B.SetStipple(Pattern);
    B.VertLineTSP(0, -1, 5); // one above, three drawn, three below
    EXPECT_EQ(B.Pixel(0, 0), Pattern[1]);
    EXPECT_EQ(B.Pixel(0, 2), Pattern[3]);
    EXPECT_EQ(B.StippleCounter, 0); // 7 positions consumed
    B.SetStipple(Pattern);
    B.HorzLineTSP(0, 3, 5); // row outside: nothing, counter unmoved
    B.VertLineTSP(INT32_MIN, 0, 2);
    EXPECT_EQ(B.StippleCounter, 0);
    B.HorzLineTSP(INT32_MIN, 0, INT32_MAX); // huge runs finish
    B.VertLineTSP(3, INT32_MAX, INT32_MIN);
}
