// Roll, flips and quarter turns, in place and into another bitmap.
#include <random>

#include "gfx_test_support.h"

using namespace gfx;
using gfx_test::EventLog;

namespace {
using Rows = std::vector<std::vector<TColor32>>;
// Six distinct pixels standing for a..f, and the fill colour K.
constexpr TColor32 a = 0xFF0000A0, b = 0xFF0000B0, c = 0xFF0000C0, d = 0x800000D0, e = 0x000000E0,
                   f = 0xFF0000F0, K = 0x12345678;

void Load(TBitmap32& B, const Rows& R) {
    B.SetSize(int32_t(R.empty() ? 0 : R[0].size()), int32_t(R.size()));
    for (int Y = 0; Y < B.Height(); ++Y)
        for (int X = 0; X < B.Width(); ++X)
            B.SetPixel(X, Y, R[Y][X]);
}
Rows Read(const TBitmap32& B) {
    Rows R(size_t(B.Empty() ? 0 : B.Height()), std::vector<TColor32>(size_t(B.Width())));
    for (int Y = 0; Y < int(R.size()); ++Y)
        for (int X = 0; X < B.Width(); ++X)
            R[Y][X] = B.Pixel(X, Y);
    return R;
}
const Rows kAbc = {{a, b, c}, {d, e, f}};

void Random(TBitmap32& B, int W, int H, unsigned Seed) {
    std::mt19937 Gen(Seed);
    B.SetSize(W, H);
    for (int I = 0; I < W * H; ++I)
        B.Bits()[I] = Gen();
}
} // namespace

TEST(Roll, ScrollsTheArrayAndFillsWhatItUncovers) {
    struct Case {
        int Dx, Dy;
        bool FillBack;
        Rows Want;
        int Changes;
    };
    const Case Cases[] = {
        {1, 0, false, {{a, a, b}, {c, d, e}}, 1}, // pixels carried across the row end
        {1, 0, true, {{K, a, b}, {K, d, e}}, 1 + 2},
        {0, -1, true, {{d, e, f}, {K, K, K}}, 1 + 2},
        {-1, 0, true, {{b, c, K}, {e, f, K}}, 1 + 2},
        {0, 1, false, {{a, b, c}, {a, b, c}}, 1},
        {-1, -1, true, {{e, f, K}, {K, K, K}}, 1 + 2},
        {2, 1, true, {{K, K, K}, {K, K, a}}, 1 + 2},
        {3, 0, true, {{K, K, K}, {K, K, K}}, 1}, // everything scrolled out: cleared
        {0, -2, true, {{K, K, K}, {K, K, K}}, 1},
        {3, 0, false, kAbc, 0},
        {0, 0, true, kAbc, 0},
        {INT32_MIN, INT32_MIN, false, kAbc, 0},
    };
    for (const Case& C : Cases) {
        EventLog Log; // outlives the bitmap, whose destructor still reports
        TBitmap32 B;
        Load(B, kAbc);
        Log.Attach(B);
        B.Roll(C.Dx, C.Dy, C.FillBack, K);
        EXPECT_EQ(Read(B), C.Want) << C.Dx << "," << C.Dy << " fill=" << C.FillBack;
        EXPECT_EQ(Log.Count("change"), C.Changes) << C.Dx << "," << C.Dy;
    }
    TBitmap32 Empty;
    Empty.Roll(1, 1, true, K);
    EXPECT_TRUE(Empty.Empty());
}

TEST(Roll, WithFillIsAnExactScroll) {
    TBitmap32 B, Before;
    Random(Before, 17, 11, 1);
    for (auto [Dx, Dy] : {std::pair{3, 2}, std::pair{-5, 4}, std::pair{16, -10}, std::pair{-1, -1}}) {
        B.Assign(&Before);
        B.Roll(Dx, Dy, true, K);
        for (int Y = 0; Y < 11; ++Y)
            for (int X = 0; X < 17; ++X)
                ASSERT_EQ(B.Pixel(X, Y), Before.Inside(X - Dx, Y - Dy) ? Before.Pixel(X - Dx, Y - Dy) : K)
                    << Dx << "," << Dy << " at " << X << "," << Y;
    }
}

TEST(FlipsAndTurns, HandCheckedResultsInPlace) {
    struct Case {
        const char* Name;
        void (TBitmap32::*Op)(TBitmap32*);
        Rows Want;
    };
    const Case Cases[] = {
        {"FlipHorz", &TBitmap32::FlipHorz, {{c, b, a}, {f, e, d}}},
        {"FlipVert", &TBitmap32::FlipVert, {{d, e, f}, {a, b, c}}},
        {"Rotate90", &TBitmap32::Rotate90, {{d, a}, {e, b}, {f, c}}},
        {"Rotate180", &TBitmap32::Rotate180, {{f, e, d}, {c, b, a}}},
        {"Rotate270", &TBitmap32::Rotate270, {{c, f}, {b, e}, {a, d}}},
    };
    for (const Case& C : Cases) {
        for (bool SelfAsDst : {false, true}) {
            EventLog Log;
            TBitmap32 B;
            Load(B, kAbc);
            B.SetDrawMode(dmBlend);
            B.SetMasterAlpha(77);
            B.OuterColor = 0xABCDEF01;
            B.SetStretchFilter(sfLinear);
            Log.Attach(B);
            (B.*C.Op)(SelfAsDst ? &B : nullptr);
            EXPECT_EQ(Read(B), C.Want) << C.Name << " self=" << SelfAsDst;
            EXPECT_EQ(Log.Count("change"), 1) << C.Name;
            EXPECT_EQ(B.DrawMode(), dmBlend);
            EXPECT_EQ(B.MasterAlpha(), 77u);
            EXPECT_EQ(B.OuterColor, 0xABCDEF01u);
            EXPECT_EQ(B.StretchFilter(), sfLinear);
        }
    }
}

TEST(FlipsAndTurns, IntoAnotherBitmapLeaveTheSourceAlone) {
    struct Case {
        const char* Name;
        void (TBitmap32::*Op)(TBitmap32*);
        Rows Want;
        bool InUpdate; // the destination resized inside an update: one change at the end
    };
    const Case Cases[] = {
        {"FlipHorz", &TBitmap32::FlipHorz, {{c, b, a}, {f, e, d}}, true},
        {"FlipVert", &TBitmap32::FlipVert, {{d, e, f}, {a, b, c}}, false},
        {"Rotate90", &TBitmap32::Rotate90, {{d, a}, {e, b}, {f, c}}, true},
        {"Rotate180", &TBitmap32::Rotate180, {{f, e, d}, {c, b, a}}, false},
        {"Rotate270", &TBitmap32::Rotate270, {{c, f}, {b, e}, {a, d}}, true},
    };
    for (const Case& C : Cases) {
        EventLog Log;
        TBitmap32 B, D;
        Load(B, kAbc);
        D.SetSize(7, 7);
        Log.Attach(D);
        (B.*C.Op)(&D);
        EXPECT_EQ(Read(B), kAbc) << C.Name;
        EXPECT_EQ(Read(D), C.Want) << C.Name;
        EXPECT_EQ(Log.Count("resize"), 1) << C.Name;
        EXPECT_EQ(Log.Count("change"), C.InUpdate ? 1 : 2) << C.Name;
        EXPECT_EQ(Log.Events.back(), "change") << C.Name;

        // An empty source empties the destination.
        TBitmap32 Empty;
        (Empty.*C.Op)(&D);
        EXPECT_TRUE(D.Empty()) << C.Name;
        Log.Events.clear();
        (Empty.*C.Op)(nullptr);
        EXPECT_TRUE(Empty.Empty());
    }
}

TEST(FlipsAndTurns, IdentitiesOnOddAndEvenShapes) {
    for (auto [W, H] : {std::pair{1, 1}, std::pair{1, 7}, std::pair{8, 1}, std::pair{33, 65},
                        std::pair{64, 64}, std::pair{70, 37}}) {
        TBitmap32 Original, B, T;
        Random(Original, W, H, unsigned(W * 1000 + H));
        B.Assign(&Original);
        for (int I = 0; I < 4; ++I)
            B.Rotate90();
        EXPECT_TRUE(B.Equal(&Original)) << "four quarter turns " << W << "x" << H;
        B.Rotate90();
        B.Rotate270();
        EXPECT_TRUE(B.Equal(&Original)) << "90 then 270 " << W << "x" << H;
        B.Rotate180();
        B.Rotate180();
        EXPECT_TRUE(B.Equal(&Original)) << "180 twice";
        B.FlipHorz();
        B.FlipHorz();
        B.FlipVert();
        B.FlipVert();
        EXPECT_TRUE(B.Equal(&Original)) << "flips twice";
        // Two flips are a half turn; a quarter turn into another bitmap
        // equals one in place.
        B.FlipHorz();
        B.FlipVert();
        Original.Rotate180(&T);
        EXPECT_TRUE(B.Equal(&T)) << W << "x" << H;
        Original.Rotate90(&T);
        B.Assign(&Original);
        B.Rotate90();
        EXPECT_TRUE(B.Equal(&T)) << W << "x" << H;
        Original.Rotate270(&T);
        B.Assign(&Original);
        B.Rotate270();
        EXPECT_TRUE(B.Equal(&T)) << W << "x" << H;
    }
}

TEST(FlipsAndTurns, FailedResizeOfTheDestinationEndsItsUpdate) {
    // A destination whose OnResize raises stands for any failure while it is resized.
    TBitmap32 B, D;
    Load(B, kAbc);
    for (auto Op : {&TBitmap32::FlipHorz, &TBitmap32::Rotate90, &TBitmap32::Rotate270}) {
        D.OnResize = nullptr;
        D.SetSize(1, 1);
        D.OnResize = [](TObject*) { throw platform::Exception("resize refused"); };
        EXPECT_THROW((B.*Op)(&D), platform::Exception);
        EXPECT_EQ(D.UpdateCount(), 0);
    }
}

TEST(FlipsAndTurns, AResizeHandlerThatResizesAgainCannotMisdirectThePixels) {
    TBitmap32 B, D;
    Load(B, kAbc);
    auto Shrink = [](TBitmap32& M) {
        M.OnResize = [&M](TObject*) {
            if (M.Width() != 1) M.SetSize(1, 1);
        };
    };
    Shrink(D);
    for (auto Op : {&TBitmap32::FlipHorz, &TBitmap32::FlipVert, &TBitmap32::Rotate90, &TBitmap32::Rotate180,
                    &TBitmap32::Rotate270}) {
        (B.*Op)(&D);
        EXPECT_EQ(D.Width(), 1);
        EXPECT_EQ(Read(B), kAbc);
    }
    Shrink(B);
    B.Rotate90();
    EXPECT_EQ(B.Width(), 1);
    EXPECT_EQ(B.UpdateCount(), 0);
}
