// The six whole-bitmap filters, in place and into another bitmap.
#include <random>

#include "gfx_test_support.h"

using namespace gfx;
using gfx_test::EventLog;

namespace {
using FilterFn = void (*)(TBitmap32*, TBitmap32*);
TLUT8 Identity, Inverse;
void IdentityLUT(TBitmap32* D, TBitmap32* S) { ApplyLUT(D, S, Identity); }
void InverseLUT(TBitmap32* D, TBitmap32* S) { ApplyLUT(D, S, Inverse); }

struct Filters : ::testing::Test {
    void SetUp() override {
        for (int I = 0; I < 256; ++I) {
            Identity[I] = uint8_t(I);
            Inverse[I] = uint8_t(255 - I);
        }
    }
};

TColor32 FilterOne(FilterFn F, TColor32 Src, TColor32 Dst = 0) {
    TBitmap32 S, D;
    S.SetSize(1, 1);
    S.SetPixel(0, 0, Src);
    D.SetSize(1, 1);
    D.SetPixel(0, 0, Dst);
    F(&D, &S);
    return D.Pixel(0, 0);
}
} // namespace

TEST_F(Filters, HandCheckedPixels) {
    struct Case {
        const char* Name;
        FilterFn F;
        TColor32 Src, Dst, Want;
    };
    const Case Cases[] = {
        {"Invert", Invert, 0x00000000, 0, 0xFFFFFFFF},
        {"Invert", Invert, 0x80102030, 0, 0x7FEFDFCF},
        {"InvertRGB", InvertRGB, 0x80102030, 0, 0x80EFDFCF},
        {"AlphaToGrayscale", AlphaToGrayscale, 0x40FFFFFF, 0, 0xFF404040},
        {"ColorToGrayscale", ColorToGrayscale, 0xFFFFFFFF, 0, 0xFFFFFFFF},
        {"ColorToGrayscale", ColorToGrayscale, 0xFF000000, 0, 0xFF000000},
        // (61 * 0x30 + 174 * 0x60 + 21 * 0x90) >> 8 = 88
        {"ColorToGrayscale", ColorToGrayscale, 0x40306090, 0, 0xFF585858},
        {"IntensityToAlpha", IntensityToAlpha, 0x40306090, 0x11223344, 0x58223344},
        {"ApplyLUT identity", IdentityLUT, 0x40306090, 0, 0xFF306090},
        {"ApplyLUT inverse", InverseLUT, 0x40306090, 0, 0xFFCF9F6F},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(FilterOne(C.F, C.Src, C.Dst), C.Want) << C.Name << " of " << std::hex << C.Src;
}

TEST_F(Filters, InPlaceEqualsIntoAnotherBitmapAndNotifiesOnce) {
    std::mt19937 Gen(7);
    TBitmap32 Src;
    Src.SetSize(13, 9);
    for (int I = 0; I < 13 * 9; ++I)
        Src.Bits()[I] = Gen();
    for (FilterFn F :
         {AlphaToGrayscale, IntensityToAlpha, Invert, InvertRGB, ColorToGrayscale, IdentityLUT, InverseLUT}) {
        EventLog Log;
        TBitmap32 Into, InPlace;
        Into.Assign(&Src); // IntensityToAlpha keeps the destination's colour: the same in both
        InPlace.Assign(&Src);
        F(&Into, &Src);
        Log.Attach(InPlace);
        F(&InPlace, &InPlace);
        EXPECT_TRUE(InPlace.Equal(&Into));
        EXPECT_EQ(Log.Count("change"), 1);
        EXPECT_EQ(Log.Count("resize"), 0);
    }
    // Inverting twice and the inverse table equal InvertRGB but for the alpha.
    TBitmap32 A, B;
    Invert(&A, &Src);
    Invert(&A, &A);
    EXPECT_TRUE(A.Equal(&Src));
    InvertRGB(&A, &Src);
    A.ResetAlpha();
    InverseLUT(&B, &Src);
    EXPECT_TRUE(A.Equal(&B));
}

TEST_F(Filters, UniformBitmapsStayUniform) {
    for (FilterFn F : {AlphaToGrayscale, IntensityToAlpha, Invert, InvertRGB, ColorToGrayscale, InverseLUT}) {
        TBitmap32 Src, Dst;
        Src.SetSize(64, 48);
        Src.Clear(0x80C08040);
        Dst.SetSize(64, 48);
        Dst.Clear(0x01020304);
        F(&Dst, &Src);
        const TColor32 First = Dst.Pixel(0, 0);
        EXPECT_EQ(First, FilterOne(F, 0x80C08040, 0x01020304));
        for (int I = 0; I < 64 * 48; ++I)
            ASSERT_EQ(Dst.Bits()[I], First);
    }
}

TEST_F(Filters, DestinationTakesTheSourceSize) {
    // IntensityToAlpha into another size: the colour kept is that of the
    // resized destination (new pixel memory is cleared).
    EventLog Log;
    TBitmap32 Src, Dst;
    Src.SetSize(3, 2);
    Src.Clear(0xFFFFFFFF);
    Dst.SetSize(5, 5);
    Dst.Clear(0xFF123456);
    Log.Attach(Dst);
    IntensityToAlpha(&Dst, &Src);
    EXPECT_EQ(Dst.Width(), 3);
    EXPECT_EQ(Dst.Height(), 2);
    EXPECT_EQ(Dst.Pixel(2, 1), 0xFF000000u);
    EXPECT_EQ(Log.Count("resize"), 1);
    // An empty source empties the destination and still reports a change.
    TBitmap32 Empty;
    Log.Events.clear();
    Invert(&Dst, &Empty);
    EXPECT_TRUE(Dst.Empty());
    EXPECT_EQ(Log.Count("change"), 2); // the resize and the filter's own
}

TEST_F(Filters, MissingBitmapsRaiseBeforeAnythingChanges) {
    TBitmap32 B;
    B.SetSize(2, 2);
    auto Message = [](auto Call) -> std::string {
        try {
            Call();
        } catch (const platform::Exception& E) {
            return E.what();
        }
        return "no exception";
    };
    EXPECT_EQ(Message([] { Invert(nullptr, nullptr); }), "The source is nil");
    EXPECT_EQ(Message([&] { ColorToGrayscale(&B, nullptr); }), "The source is nil");
    EXPECT_EQ(Message([&] { ApplyLUT(nullptr, &B, Identity); }), "Destination is nil");
    EXPECT_EQ(B.Width(), 2);
}

TEST_F(Filters, AResizeHandlerThatResizesAgainCannotMisdirectThePixels) {
    TBitmap32 Src, Dst;
    Src.SetSize(8, 8);
    Dst.OnResize = [&Dst](TObject*) {
        if (Dst.Width() != 1) Dst.SetSize(1, 1);
    };
    Invert(&Dst, &Src);
    EXPECT_EQ(Dst.Width(), 1);
    TByteMap Map;
    Map.SetSize(8, 8);
    Map.WriteTo(Dst, ctRed);
    EXPECT_EQ(Dst.Width(), 1);
}
