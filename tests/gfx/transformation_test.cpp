// Matrices, affine and projective transformations, and drawing one bitmap
// into another through them.
#include <climits>
#include <optional>

#include "gfx_test_support.h"

using namespace gfx;
using gfx_test::EventLog;
using gfx_test::Marker;

namespace {
TFloatPoint Apply(const TFloatMatrix& M, float X, float Y) {
    return {M[0][0] * X + M[1][0] * Y + M[2][0], M[0][1] * X + M[1][1] * Y + M[2][1]};
}

void ExpectNear(TFloatPoint P, float X, float Y, float Tolerance = 1e-5f) {
    EXPECT_NEAR(P.X, X, Tolerance);
    EXPECT_NEAR(P.Y, Y, Tolerance);
}

TPoint Back(const TTransformation& T, int32_t X, int32_t Y) {
    TPoint P{-1, -1};
    T.Transform(X, Y, P.X, P.Y);
    return P;
}
TPoint Back256(const TTransformation& T, int32_t X, int32_t Y) {
    TPoint P{-1, -1};
    T.Transform256(X, Y, P.X, P.Y);
    return P;
}

void SetCorners(TProjectiveTransformation& T, TFloatPoint P0, TFloatPoint P1, TFloatPoint P2,
                TFloatPoint P3) {
    T.SetX0(P0.X), T.SetY0(P0.Y), T.SetX1(P1.X), T.SetY1(P1.Y);
    T.SetX2(P2.X), T.SetY2(P2.Y), T.SetX3(P3.X), T.SetY3(P3.Y);
}

// A source of markers and a destination cleared to a colour no marker has.
struct Drawing : ::testing::Test {
    static constexpr TColor32 kBack = 0x11223344;
    EventLog Log;
    TBitmap32 Src, Dst;
    void SetUp() override {
        Src.SetSize(5, 3);
        gfx_test::FillMarkers(Src);
        Dst.SetSize(8, 8);
        Dst.Clear(kBack);
        Log.Attach(Dst);
    }
    // Dst holds Want(X, Y) where it gives a colour and kBack elsewhere.
    template <typename Fn> void ExpectPixels(Fn Want) {
        for (int Y = 0; Y < Dst.Height(); ++Y)
            for (int X = 0; X < Dst.Width(); ++X) {
                const std::optional<TColor32> W = Want(X, Y);
                ASSERT_EQ(Dst.Pixel(X, Y), W ? *W : kBack) << X << "," << Y;
            }
    }
    std::optional<TColor32> SourceAt(int X, int Y) const {
        if (X < 0 || Y < 0 || X >= Src.Width() || Y >= Src.Height()) return std::nullopt;
        return Src.Pixel(X, Y);
    }
};
} // namespace

// --- Matrices -----------------------------------------------------------------

TEST(Matrix, DeterminantAdjointAndInverse) {
    // Column-major: M[column][row].
    TFloatMatrix M = {{{2, 0, 1}, {1, 3, 0}, {0, 1, 4}}};
    EXPECT_EQ(Determinant(M), 25.0f); // 2 * 12 - 0 * (4 - 0) + 1 * (1 - 0)
    TFloatMatrix A = M;
    Adjoint(A);
    EXPECT_EQ(A, (TFloatMatrix{{{12, 1, -3}, {-4, 8, 1}, {1, -2, 6}}}));
    TFloatMatrix Inv = M;
    Invert(Inv);
    const TFloatMatrix P = Mult(Inv, M);
    for (int I = 0; I < 3; ++I)
        for (int J = 0; J < 3; ++J)
            EXPECT_NEAR(P[I][J], IdentityMatrix[I][J], 1e-6f);
    Scale(A, 0.5f);
    EXPECT_EQ(A[0][0], 6.0f);
    EXPECT_EQ(A[2][1], -1.0f);
}

TEST(Matrix, NearlySingularInvertsToIdentity) {
    TFloatMatrix M = {{{0.01f, 0, 0}, {0, 0.01f, 0}, {0, 0, 0.01f}}}; // determinant 1e-6
    Invert(M);
    EXPECT_EQ(M, IdentityMatrix);
    TFloatMatrix Zero = {};
    Invert(Zero);
    EXPECT_EQ(Zero, IdentityMatrix);
}

TEST(Matrix, ProductsAndStoresThatLeaveTheFloatRangeRaise) {
    TFloatMatrix M = IdentityMatrix;
    Scale(M, 3e38f);
    EXPECT_THROW(Mult(M, M), platform::EOverflow);
}

// --- Affine -------------------------------------------------------------------

TEST(Affine, OperationsApplyInOrder) {
    TAffineTransformation T;
    T.Scale(2, 2);
    T.Translate(10, 0);
    ExpectNear(Apply(T.Matrix, 1, 1), 12, 2);
    T.Clear();
    T.Translate(10, 0);
    T.Scale(2, 2);
    ExpectNear(Apply(T.Matrix, 1, 1), 22, 2);
    T.Clear();
    T.Rotate(0, 0, 90);
    ExpectNear(Apply(T.Matrix, 1, 0), 0, -1);
    ExpectNear(Apply(T.Matrix, 0, 1), 1, 0);
    T.Clear();
    T.Rotate(5, 5, 180); // about a centre
    ExpectNear(Apply(T.Matrix, 6, 5), 4, 5);
    T.Clear();
    T.Skew(0.5f, 0);
    ExpectNear(Apply(T.Matrix, 0, 2), 1, 2);
}

TEST(Affine, FixedPointInverse) {
    TAffineTransformation T;
    T.Scale(2, 2);
    EXPECT_FALSE(T.Prepared());
    T.PrepareTransform();
    EXPECT_TRUE(T.Prepared());
    EXPECT_EQ(std::vector<int32_t>(T.FixedInverse, T.FixedInverse + 6),
              (std::vector<int32_t>{2048, 0, 0, 0, 2048, 0}));
    EXPECT_EQ(Back(T, 5, 5), (TPoint{2, 2}));        // 2.5 goes down
    EXPECT_EQ(Back256(T, 5, 5), (TPoint{640, 640})); // 2.5 in 24.8
    EXPECT_EQ(Back(T, -5, -1), (TPoint{-3, -1}));    // arithmetic shift: -2.5 gives -3
    T.SetSrcRect({0, 0, 4, 4});
    EXPECT_FALSE(T.Prepared());
    T.PrepareTransform();
    T.Rotate(0, 0, 1);
    EXPECT_FALSE(T.Prepared());
}

TEST(Affine, LargeCoordinatesDoNotWrap) {
    // 100000 * 409600 needs more than 32 bits.
    TAffineTransformation T;
    T.Scale(0.01f, 0.01f);
    T.PrepareTransform();
    EXPECT_EQ(T.FixedInverse[0], 409600);
    EXPECT_EQ(Back(T, 100000, -100000), (TPoint{10000000, -10000000}));
    // Beyond the 32-bit range the result saturates instead of wrapping.
    EXPECT_EQ(Back256(T, 100000, -100000), (TPoint{INT32_MAX, INT32_MIN}));
    EXPECT_EQ(Back(T, INT32_MAX, 0).X, INT32_MAX);
}

TEST(Affine, TransformedBounds) {
    TAffineTransformation T;
    T.SetSrcRect({0, 0, 10, 10});
    EXPECT_EQ(T.GetTransformedBounds(), (TRect{0, 0, 10, 10})); // -0.5 and 10.5 round to even
    T.Scale(2, 3);
    T.Translate(1, 1);
    EXPECT_EQ(T.GetTransformedBounds(), (TRect{0, 0, 22, 32})); // Round(0.5), Round(21.5), Round(31.5)
    T.Clear();
    T.SetSrcRect({0.25f, 0, 3, 1});
    T.Translate(1, 1);
    EXPECT_EQ(T.GetTransformedBounds(),
              (TRect{1, 0, 4, 2})); // Round(0.75), Round(0.5), Round(4.5), Round(2.5)
}

TEST(Affine, SingularMatrixMapsLikeTheIdentity) {
    TAffineTransformation T;
    T.Scale(0, 5);
    T.PrepareTransform();
    EXPECT_EQ(Back(T, 7, 3), (TPoint{7, 3}));
}

// --- Projective ---------------------------------------------------------------

TEST(Projective, StartsEmpty) {
    TProjectiveTransformation T;
    EXPECT_EQ(T.X2(), 0.0f);
    EXPECT_EQ(T.SrcRect(), TFloatRect{});
    EXPECT_FALSE(T.Prepared());
    EXPECT_EQ(T.Matrix, TFloatMatrix{});
}

TEST(Projective, CornersOnTheSourceRectangleMapEveryPixelToItself) {
    TProjectiveTransformation T;
    T.SetSrcRect({2, 3, 12, 9});
    SetCorners(T, {2, 3}, {12, 3}, {12, 9}, {2, 9});
    T.PrepareTransform();
    for (int Y = -2; Y < 12; ++Y)
        for (int X = -2; X < 15; ++X) {
            ASSERT_EQ(Back(T, X, Y), (TPoint{X, Y}));
            ASSERT_EQ(Back256(T, X, Y), (TPoint{X * 256, Y * 256}));
        }
    EXPECT_EQ(T.GetTransformedBounds(),
              (TRect{2, 2, 12, 10})); // Round(1.5), Round(2.5), Round(12.5), Round(9.5)
}

TEST(Projective, UnitSquareToAQuadrilateralAndBack) {
    TProjectiveTransformation T;
    T.SetSrcRect({0, 0, 1, 1});
    const TFloatPoint Quad[4] = {{10, 10}, {50, 20}, {60, 70}, {5, 40}};
    SetCorners(T, Quad[0], Quad[1], Quad[2], Quad[3]);
    T.PrepareTransform();
    EXPECT_TRUE(T.Prepared());
    // Destination to source: the corners go to the square's corners (24.8).
    const TPoint Unit[4] = {{0, 0}, {256, 0}, {256, 256}, {0, 256}};
    for (int I = 0; I < 4; ++I) {
        const TPoint P = Back256(T, int32_t(Quad[I].X), int32_t(Quad[I].Y));
        EXPECT_NEAR(P.X, Unit[I].X, 1) << I;
        EXPECT_NEAR(P.Y, Unit[I].Y, 1) << I;
    }
    // The diagonals' crossing, (26.9, 30.3) here, goes to the square's centre.
    const TPoint Centre = Back256(T, 27, 30);
    EXPECT_NEAR(Centre.X, 128, 4);
    EXPECT_NEAR(Centre.Y, 128, 4);
    // And back: the inverse of the prepared matrix maps the square onto the corners.
    TFloatMatrix Forward = T.Matrix;
    Invert(Forward);
    const float Sq[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int I = 0; I < 4; ++I) {
        const float W = Forward[0][2] * Sq[I][0] + Forward[1][2] * Sq[I][1] + Forward[2][2];
        const TFloatPoint P = Apply(Forward, Sq[I][0], Sq[I][1]);
        ExpectNear({P.X / W, P.Y / W}, Quad[I].X, Quad[I].Y, 1e-2f);
    }
    EXPECT_EQ(T.GetTransformedBounds(),
              (TRect{4, 10, 60, 70})); // Round(4.5), Round(9.5), Round(60.5), Round(70.5)
}

TEST(Projective, DegenerateCases) {
    TProjectiveTransformation T;
    // A source rectangle without width cannot be normalised.
    T.SetSrcRect({4, 0, 4, 10});
    SetCorners(T, {0, 0}, {10, 0}, {10, 10}, {0, 10});
    EXPECT_THROW(T.PrepareTransform(), platform::EZeroDivide);
    EXPECT_FALSE(T.Prepared());
    // All corners equal, or three on one line: the identity mapping.
    T.SetSrcRect({0, 0, 10, 10});
    SetCorners(T, {5, 5}, {5, 5}, {5, 5}, {5, 5});
    T.PrepareTransform();
    EXPECT_EQ(Back(T, 3, 8), (TPoint{3, 8}));
    SetCorners(T, {0, 0}, {10, 0}, {20, 0}, {3, 7});
    T.PrepareTransform();
    EXPECT_EQ(T.Matrix, IdentityMatrix);
    SetCorners(T, {0, 0}, {10, 0}, {5, 0}, {0, 0}); // the corner differences parallel
    T.PrepareTransform();
    EXPECT_EQ(T.Matrix, IdentityMatrix);
    // A destination pixel on the vanishing line (w = 0) has no source position.
    T.Matrix = {{{1, 0, 1}, {0, 1, 0}, {0, 0, -4}}};
    EXPECT_EQ(Back(T, 4, 9), (TPoint{-1, -1}));
    EXPECT_EQ(Back(T, 2, 9), (TPoint{-1, -4})); // w = -2: (2, 9) / -2, halves to even
}

// --- Drawing through a transformation ------------------------------------------

TEST_F(Drawing, IdentityReproducesTheSourceWithEitherSampler) {
    // The bilinear sampler weighs the pixel at the position with 255: the
    // integer blend set then returns it whole (the MMX set mixes in 1/256 of
    // its neighbour).
    gfx_test::BlendSetScope Set(false);
    for (TStretchFilter F : {sfNearest, sfLinear}) {
        Dst.Clear(kBack);
        Log.Events.clear();
        Src.SetStretchFilter(F);
        TAffineTransformation T;
        T.SetSrcRect(FloatRect(Src.BoundsRect()));
        Transform(&Dst, &Src, &T);
        ExpectPixels([&](int X, int Y) { return SourceAt(X, Y); });
        EXPECT_EQ(Log.Count("change"), 1);
    }
    // The same through a projective transformation onto the source rectangle.
    TProjectiveTransformation P;
    P.SetSrcRect(FloatRect(Src.BoundsRect()));
    SetCorners(P, {0, 0}, {5, 0}, {5, 3}, {0, 3});
    Dst.Clear(kBack);
    Transform(&Dst, &Src, &P);
    ExpectPixels([&](int X, int Y) { return SourceAt(X, Y); });
}

TEST_F(Drawing, QuarterAndHalfTurnsMatchTheBitmapsOwnTurns) {
    // Rotating a W x H source by -90 degrees maps (x, y) to (-y, x); moved
    // right by H - 1 each pixel lands where Rotate90 puts it. +90 moved down
    // by W - 1 is Rotate270, 180 moved by (W - 1, H - 1) is Rotate180. The
    // source is large enough for the turns' 4 x 4 blocks.
    gfx_test::BlendSetScope Set(false);
    TBitmap32 Big;
    Big.SetSize(9, 6);
    gfx_test::FillMarkers(Big);
    struct Turn {
        float Degrees, Dx, Dy;
        void (TBitmap32::*Own)(TBitmap32*);
    };
    const Turn Turns[] = {{-90, 5, 0, &TBitmap32::Rotate90},
                          {90, 0, 8, &TBitmap32::Rotate270},
                          {180, 8, 5, &TBitmap32::Rotate180}};
    for (TStretchFilter F : {sfNearest, sfLinear})
        for (const Turn& R : Turns) {
            Big.SetStretchFilter(F);
            TBitmap32 Want, Turned;
            (Big.*R.Own)(&Want);
            Turned.SetSize(Want.Width(), Want.Height());
            Turned.Clear(kBack);
            TAffineTransformation T;
            T.SetSrcRect(FloatRect(Big.BoundsRect()));
            T.Rotate(0, 0, R.Degrees);
            T.Translate(R.Dx, R.Dy);
            Transform(&Turned, &Big, &T);
            EXPECT_TRUE(Turned.Equal(&Want)) << int(F) << " " << R.Degrees;
        }
}

TEST_F(Drawing, NearestLeavesPixelsOutsideTheSourceAlone) {
    // Moved right and down by 2: nearest sampling fills only the source's image.
    TAffineTransformation T;
    T.SetSrcRect(FloatRect(Src.BoundsRect()));
    T.Translate(2, 2);
    Transform(&Dst, &Src, &T);
    ExpectPixels([&](int X, int Y) { return SourceAt(X - 2, Y - 2); });
    // A source rectangle of part of the bitmap, rounded to whole pixels.
    Dst.Clear(kBack);
    T.SetSrcRect({1.4f, 0.6f, 3.5f, 2});
    Transform(&Dst, &Src, &T);
    // (1, 1, 4, 2) inclusive: columns 1..4 of rows 1 and 2.
    ExpectPixels([&](int X, int Y) -> std::optional<TColor32> {
        if (X < 3 || X > 6 || Y < 3 || Y > 4) return std::nullopt;
        return Src.Pixel(X - 2, Y - 2);
    });
}

TEST_F(Drawing, BilinearBlendsABandAroundTheSource) {
    Src.SetStretchFilter(sfLinear);
    Src.OuterColor = 0xFF0000FF;
    TAffineTransformation T;
    T.SetSrcRect(FloatRect(Src.BoundsRect()));
    T.Translate(2.5f, 2);
    Transform(&Dst, &Src, &T);
    // Column 2 samples x = -0.5: half OuterColor, half the first column;
    // column 7 samples x = 4.5, half the last column, half OuterColor.
    EXPECT_EQ(Dst.Pixel(2, 3), CombineReg(0xFF0000FF, Src.Pixel(0, 1), 127));
    EXPECT_EQ(Dst.Pixel(4, 3), CombineReg(Src.Pixel(1, 1), Src.Pixel(2, 1), 127));
    EXPECT_EQ(Dst.Pixel(7, 4), CombineReg(Src.Pixel(4, 2), 0xFF0000FF, 127));
    // Farther out nothing is written.
    EXPECT_EQ(Dst.Pixel(1, 3), kBack);
    EXPECT_EQ(Dst.Pixel(4, 5), kBack);
    // Inside the bitmap but outside the source rectangle, the band reads the real neighbours.
    Dst.Clear(kBack);
    T.SetSrcRect({1, 0, 4, 3});
    Transform(&Dst, &Src, &T);
    EXPECT_EQ(Dst.Pixel(3, 3), CombineReg(Src.Pixel(0, 1), Src.Pixel(1, 1), 127));
    EXPECT_EQ(Dst.Pixel(6, 3), CombineReg(Src.Pixel(3, 1), Src.Pixel(4, 1), 127));
    EXPECT_EQ(Dst.Pixel(2, 3), kBack);
}

TEST_F(Drawing, DrawModes) {
    TAffineTransformation T;
    T.SetSrcRect(FloatRect(Src.BoundsRect()));
    Src.SetDrawMode(dmBlend);
    Src.SetMasterAlpha(100);
    Transform(&Dst, &Src, &T);
    TColor32 Want = kBack;
    BlendMemEx(Src.Pixel(4, 2), Want, 100);
    EXPECT_EQ(Dst.Pixel(4, 2), Want);

    Src.SetDrawMode(dmCustom);
    int Calls = 0;
    Src.OnPixelCombine = [&](TColor32 F, TColor32& B, TColor32 M) {
        ++Calls;
        B = F ^ M;
    };
    Transform(&Dst, &Src, &T);
    EXPECT_EQ(Calls, 15);
    EXPECT_EQ(Dst.Pixel(1, 1), Src.Pixel(1, 1) ^ 100);
    // Without a handler the custom mode copies.
    Src.OnPixelCombine = nullptr;
    Transform(&Dst, &Src, &T);
    EXPECT_EQ(Dst.Pixel(1, 1), Src.Pixel(1, 1));
}

TEST_F(Drawing, ExceptionFromTheHandlerSkipsChanged) {
    TAffineTransformation T;
    T.SetSrcRect(FloatRect(Src.BoundsRect()));
    Src.SetDrawMode(dmCustom);
    Src.OnPixelCombine = [](TColor32, TColor32&, TColor32) { throw std::runtime_error("stop"); };
    EXPECT_THROW(Transform(&Dst, &Src, &T), std::runtime_error);
    EXPECT_EQ(Log.Count("change"), 0);
}

TEST_F(Drawing, NothingToDrawLeavesTheDestinationUntouched) {
    TAffineTransformation T;
    // An empty source bitmap.
    TBitmap32 Empty;
    T.SetSrcRect({0, 0, 5, 3});
    Transform(&Dst, &Empty, &T);
    // A source rectangle beside the source bitmap.
    T.SetSrcRect({6, 0, 9, 3});
    Transform(&Dst, &Src, &T);
    // A transformed area beside the destination.
    T.SetSrcRect(FloatRect(Src.BoundsRect()));
    T.Translate(-20, 0);
    Transform(&Dst, &Src, &T);
    ExpectPixels([](int, int) { return std::optional<TColor32>(); });
    EXPECT_EQ(Log.Count("change"), 0);
}

TEST_F(Drawing, OneColumnOrRowOfDestinationIsDrawn) {
    // The destination clip's bounds are inclusive: a single column or row is not empty.
    for (std::pair<int, int> Size : {std::pair{1, 8}, std::pair{8, 1}}) {
        Dst.SetSize(Size.first, Size.second);
        Dst.Clear(kBack);
        TAffineTransformation T;
        T.SetSrcRect(FloatRect(Src.BoundsRect()));
        Transform(&Dst, &Src, &T);
        ExpectPixels([&](int X, int Y) { return SourceAt(X, Y); });
    }
    // An image whose bounds reach only the last column of a wide destination.
    Dst.SetSize(8, 8);
    Dst.Clear(kBack);
    TAffineTransformation T;
    T.SetSrcRect(FloatRect(Src.BoundsRect()));
    T.Translate(7.25f, 0);
    Transform(&Dst, &Src, &T);
    ExpectPixels([&](int X, int Y) { return SourceAt(X - 7, Y); });
}

TEST(BorderTransparent, ClearsTheFrameAlpha) {
    EventLog Log;
    TBitmap32 B;
    B.SetSize(6, 5);
    B.Clear(0xFF808080);
    Log.Attach(B);
    SetBorderTransparent(&B, {4, 1, 1, 3}); // Left > Right: swapped
    for (int Y = 0; Y < 5; ++Y)
        for (int X = 0; X < 6; ++X) {
            const bool Frame = X >= 1 && X <= 4 && Y >= 1 && Y <= 3 && (X == 1 || X == 4 || Y == 1 || Y == 3);
            EXPECT_EQ(B.Pixel(X, Y), Frame ? 0x00808080u : 0xFF808080u) << X << "," << Y;
        }
    EXPECT_EQ(Log.Count("change"), 1);
    SetBorderTransparent(&B, {-9, 0, -2, 4}); // left of the bitmap
    EXPECT_EQ(Log.Count("change"), 1);
    SetBorderTransparent(&B, {-9, 2, 20, 2}); // cut to the bitmap: one row
    EXPECT_EQ(B.Pixel(0, 2), 0x00808080u);
    EXPECT_EQ(B.Pixel(5, 2), 0x00808080u);
}
