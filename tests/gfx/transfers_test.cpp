// Drawing between bitmaps: block and stretch transfers, clipping, draw modes.
#include "gfx_test_support.h"

using namespace gfx;
using gfx_test::EventLog;
using gfx_test::Marker;

namespace {
struct Transfer : ::testing::Test {
    EventLog Log;
    TBitmap32 Src, Dst;
    void SetUp() override {
        Src.SetSize(16, 16);
        gfx_test::FillMarkers(Src);
        Dst.SetSize(40, 30);
        Dst.Clear(0x11223344);
        Log.Attach(Dst);
    }
    // Every destination pixel is either the expected source pixel or untouched.
    void ExpectCopied(const TRect& DstArea, int SrcX, int SrcY) {
        for (int Y = 0; Y < Dst.Height(); ++Y)
            for (int X = 0; X < Dst.Width(); ++X) {
                const bool In = PtInRect(DstArea, {X, Y});
                const TColor32 Want =
                    In ? Src.Pixel(X - DstArea.Left + SrcX, Y - DstArea.Top + SrcY) : 0x11223344u;
                ASSERT_EQ(Dst.Pixel(X, Y), Want) << X << "," << Y;
            }
    }
};
} // namespace

TEST_F(Transfer, OpaqueCellCopiesAllChannelsAndNotifiesOnce) {
    Src.SetPixel(3, 4, 0x00ABCDEF); // alpha 0 is copied too
    Src.DrawTo(&Dst, TRect{8, 5, 24, 21}, TRect{0, 0, 16, 16});
    ExpectCopied({8, 5, 24, 21}, 0, 0);
    EXPECT_EQ(Dst.Pixel(11, 9), 0x00ABCDEFu);
    EXPECT_EQ(Log.Count("change"), 1);
}

TEST_F(Transfer, ClippedDestinationTakesMatchingSourcePart) {
    Src.DrawTo(&Dst, TRect{-4, 0, 12, 16}, TRect{0, 0, 16, 16});
    ExpectCopied({0, 0, 12, 16}, 4, 0);
    Dst.Clear(0x11223344);
    Src.DrawTo(&Dst, TRect{30, 20, 46, 36}, TRect{0, 0, 16, 16}); // right and bottom
    ExpectCopied({30, 20, 40, 30}, 0, 0);
}

TEST_F(Transfer, BlockTransferCutsSourceAndHonoursClip) {
    // Source rectangle beyond the source: cut, not rejected.
    BlockTransfer(&Dst, 2, 3, Dst.BoundsRect(), &Src, {0, 0, 17, 16}, dmOpaque);
    ExpectCopied({2, 3, 18, 19}, 0, 0);
    Dst.Clear(0x11223344);
    // A source rectangle starting left of the source keeps its placement.
    BlockTransfer(&Dst, 10, 10, {0, 0, 40, 30}, &Src, {-2, -3, 4, 4}, dmOpaque);
    ExpectCopied({12, 13, 16, 17}, 0, 0);
    Dst.Clear(0x11223344);
    BlockTransfer(&Dst, 0, 0, {5, 6, 9, 8}, &Src, Src.BoundsRect(), dmOpaque);
    ExpectCopied({5, 6, 9, 8}, 5, 6);
}

TEST_F(Transfer, ExtremeOffsetsDrawNothing) {
    for (int32_t D : {INT32_MIN, INT32_MIN + 1, INT32_MAX - 3, INT32_MAX}) {
        BlockTransfer(&Dst, D, D, Dst.BoundsRect(), &Src, Src.BoundsRect(), dmOpaque);
        BlockTransfer(&Dst, 0, D, Dst.BoundsRect(), &Src, Src.BoundsRect(), dmOpaque);
        StretchTransfer(&Dst, {D, 0, D, 16}, Dst.BoundsRect(), &Src, Src.BoundsRect(), sfNearest, dmOpaque);
    }
    ExpectCopied({0, 0, 0, 0}, 0, 0);
}

TEST_F(Transfer, BlendWithMasterAlphaUsesRowBlends) {
    for (bool Mmx : {false, true}) {
        gfx_test::BlendSetScope Set(Mmx);
        Src.Clear(0xFF808080);
        Src.SetDrawMode(dmBlend);
        const TColor32 Under = 0xFF204060;
        for (uint32_t M : {127u, 255u, 300u, 0u}) {
            Dst.Clear(Under);
            Log.Events.clear();
            Src.SetMasterAlpha(M);
            Src.DrawTo(&Dst, TRect{0, 0, 16, 16}, TRect{0, 0, 16, 16});
            TColor32 Want = Under;
            if (M == 0)
                Want = Under;
            else if (M < 255)
                BlendLineEx(&Src.Bits()[0], &Want, 1, M);
            else
                BlendLine(&Src.Bits()[0], &Want, 1);
            EXPECT_EQ(Dst.Pixel(7, 7), Want) << "M=" << M << " mmx=" << Mmx;
            EXPECT_EQ(Dst.Pixel(16, 16), Under);
            EXPECT_EQ(Log.Count("change"), 1) << "M=" << M; // also when nothing was drawn
        }
    }
}

TEST_F(Transfer, MasterAlpha127OverOpaqueMatchesEachSet) {
    Src.Clear(0xFF00FF00);
    Src.SetDrawMode(dmBlend);
    Src.SetMasterAlpha(127);
    {
        gfx_test::BlendSetScope Set(false);
        Dst.Clear(0xFF000000);
        Src.DrawTo(&Dst, 0, 0);
        // W = 128 * 255 div 256 = 127; the integer set leaves alpha 0.
        EXPECT_EQ(Dst.Pixel(0, 0), TColor32((gfx_test::Part(255, 127)) << 8));
    }
    {
        gfx_test::BlendSetScope Set(true);
        Dst.Clear(0xFF000000);
        Src.DrawTo(&Dst, 0, 0);
        EXPECT_EQ(Dst.Pixel(0, 0), 0xFF000000u | TColor32(gfx_test::Mix(255, 0, 127)) << 8);
    }
}

TEST_F(Transfer, CustomCombineCalledRowByRowWithMasterAlpha) {
    std::vector<std::pair<TColor32, uint32_t>> Calls;
    Src.SetDrawMode(dmCustom);
    Src.SetMasterAlpha(200);
    Src.OnPixelCombine = [&](TColor32 F, TColor32& B, TColor32 M) {
        Calls.push_back({F, M});
        B = ColorMax(F, B);
    };
    Src.DrawTo(&Dst, TRect{1, 1, 4, 3}, TRect{5, 6, 8, 8});
    ASSERT_EQ(Calls.size(), 6u);
    const TColor32 Order[] = {Marker(5, 6), Marker(6, 6), Marker(7, 6),
                              Marker(5, 7), Marker(6, 7), Marker(7, 7)};
    for (size_t I = 0; I < 6; ++I) {
        EXPECT_EQ(Calls[I].first, Order[I]);
        EXPECT_EQ(Calls[I].second, 200u);
    }
    EXPECT_EQ(Dst.Pixel(1, 1), ColorMax(Marker(5, 6), 0x11223344));
    EXPECT_EQ(Dst.Pixel(0, 0), 0x11223344u);

    // Without a callback the custom mode copies.
    Src.OnPixelCombine = nullptr;
    Dst.Clear(0x11223344);
    Src.DrawTo(&Dst, 20, 10);
    ExpectCopied({20, 10, 36, 26}, 0, 0);
}

TEST_F(Transfer, ExceptionInCombineSkipsChanged) {
    int Calls = 0;
    Src.SetDrawMode(dmCustom);
    Src.OnPixelCombine = [&](TColor32 F, TColor32& B, TColor32) {
        if (++Calls == 20) throw std::runtime_error("stop");
        B = F;
    };
    EXPECT_THROW(Src.DrawTo(&Dst, 0, 0), std::runtime_error);
    EXPECT_EQ(Dst.Pixel(15, 0), Src.Pixel(15, 0)); // the first row was combined
    EXPECT_EQ(Dst.Pixel(4, 1), 0x11223344u);
    EXPECT_EQ(Log.Count("change"), 0);
}

TEST_F(Transfer, StretchChecksSourceRectangle) {
    try {
        StretchTransfer(&Dst, {0, 0, 17, 16}, Dst.BoundsRect(), &Src, {0, 0, 17, 16}, sfNearest, dmOpaque);
        FAIL();
    } catch (const ETransformError& E) {
        EXPECT_STREQ(E.what(), "Source rectangle is invalid");
    }
    // Empty source rectangle, destination outside: nothing, no error.
    StretchTransfer(&Dst, {0, 0, 16, 16}, Dst.BoundsRect(), &Src, {4, 4, 4, 9}, sfNearest, dmOpaque);
    StretchTransfer(&Dst, {100, 0, 116, 16}, Dst.BoundsRect(), &Src, Src.BoundsRect(), sfNearest, dmOpaque);
    ExpectCopied({0, 0, 0, 0}, 0, 0);
}

TEST_F(Transfer, NilAndEmptyBitmaps) {
    TBitmap32 Empty;
    auto Message = [](auto Fn) {
        try {
            Fn();
        } catch (const ETransformError& E) {
            return std::string(E.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(Message([&] { BlockTransfer(&Empty, 0, 0, {}, &Src, Src.BoundsRect(), dmOpaque); }),
              "Destination bitmap is nil or empty");
    EXPECT_EQ(Message([&] { BlockTransfer(nullptr, 0, 0, {}, &Src, Src.BoundsRect(), dmOpaque); }),
              "Destination bitmap is nil or empty");
    EXPECT_EQ(Message([&] { StretchTransfer(nullptr, {}, {}, &Src, Src.BoundsRect(), sfNearest, dmOpaque); }),
              "Destination bitmap is nil or empty");
    EXPECT_EQ(Message([&] {
                  BlockTransfer(&Dst, 0, 0, {}, nullptr, {0, 0, 1, 1}, dmOpaque);
              }),
              "Source bitmap is nil or empty");
    EXPECT_EQ(Message([&] {
                  StretchTransfer(&Dst, {}, {}, nullptr, {0, 0, 1, 1}, sfNearest, dmOpaque);
              }),
              "Source bitmap is nil or empty");
    // An empty source returns before any check.
    EXPECT_EQ(Message([&] { BlockTransfer(nullptr, 0, 0, {}, &Empty, {}, dmOpaque); }), "no error");
    // The front ends skip nil and empty bitmaps without a word.
    Src.DrawTo(static_cast<TBitmap32*>(nullptr));
    Src.DrawTo(&Empty, 0, 0);
    Empty.DrawTo(&Dst);
    Dst.Draw(0, 0, nullptr);
    EXPECT_EQ(Log.Count("change"), 0);
}

TEST_F(Transfer, UnequalSizesGoToTheResamplers) {
    static std::vector<std::string> Calls;
    Calls.clear();
    ResampleNearest = [](TBitmap32*, const TRect&, const TRect&, TBitmap32*, const TRect&, TDrawMode,
                         const TPixelCombineEvent&) { Calls.push_back("nearest"); };
    ResampleBilinear = [](TBitmap32*, const TRect&, const TRect&, TBitmap32*, const TRect&, TDrawMode,
                          const TPixelCombineEvent&) { Calls.push_back("bilinear"); };
    ResampleKernel = [](TBitmap32*, const TRect&, const TRect&, TBitmap32*, const TRect&, TStretchFilter F,
                        TDrawMode,
                        const TPixelCombineEvent&) { Calls.push_back("kernel" + std::to_string(int(F))); };
    TBitmap32 Small;
    Small.SetSize(2, 2);
    StretchTransfer(&Dst, {0, 0, 4, 4}, Dst.BoundsRect(), &Small, Small.BoundsRect(), sfNearest, dmOpaque);
    StretchTransfer(&Dst, {0, 0, 4, 4}, Dst.BoundsRect(), &Small, Small.BoundsRect(), sfLinear, dmOpaque);
    StretchTransfer(&Dst, {0, 0, 4, 2}, Dst.BoundsRect(), &Small, Small.BoundsRect(), sfLinear, dmOpaque);
    StretchTransfer(&Dst, {0, 0, 4, 4}, Dst.BoundsRect(), &Small, Small.BoundsRect(), sfLanczos, dmOpaque);
    EXPECT_EQ(Calls, (std::vector<std::string>{"nearest", "bilinear", "kernel1", "kernel3"}));
    ResampleNearest = nullptr;
    EXPECT_THROW(StretchTransfer(&Dst, {0, 0, 4, 4}, Dst.BoundsRect(), &Small, Small.BoundsRect(), sfNearest,
                                 dmOpaque),
                 ETransformError);
    ResampleNearest = NearestResampler;
    ResampleBilinear = BilinearResampler;
    ResampleKernel = KernelResampler;
}

TEST_F(Transfer, DrawOntoAndFromDeviceContexts) {
    // Onto a context: the pixels unchanged, no change notification.
    TBitmap32 Target;
    Target.SetSize(20, 20);
    Target.Clear(0);
    Src.DrawTo(Target.Handle(), 2, 3);
    EXPECT_EQ(Target.Pixel(2, 3), Src.Pixel(0, 0));
    EXPECT_EQ(Target.Pixel(17, 18), Src.Pixel(15, 15));
    EXPECT_EQ(Target.Pixel(18, 18), 0u);
    Src.DrawTo(Target.Handle(), TRect{0, 0, 2, 2}, TRect{4, 5, 6, 7});
    EXPECT_EQ(Target.Pixel(1, 1), Src.Pixel(5, 6));
    EXPECT_EQ(Log.Count("change"), 0);
    // From a context into the bitmap: copied, one change.
    Dst.Draw(TRect{0, 0, 3, 3}, TRect{2, 3, 5, 6}, Target.Handle());
    EXPECT_EQ(Dst.Pixel(0, 0), Src.Pixel(0, 0));
    EXPECT_EQ(Dst.Pixel(2, 2), Src.Pixel(2, 2));
    EXPECT_EQ(Log.Count("change"), 1);
}

namespace {
// Records each block a context receives.
class RecordingDC : public TMemoryDC {
  public:
    RecordingDC() : TMemoryDC(nullptr, 0, 0) {}
    void StretchDIBits(int32_t DstX, int32_t DstY, int32_t DstW, int32_t DstH, int32_t, int32_t, int32_t,
                       int32_t, const TColor32* Bits, int32_t BitsWidth, int32_t BitsHeight) override {
        Blocks.push_back({DstX, DstY, DstW, DstH});
        FirstPixel.push_back(Bits[0]);
        Sizes.push_back({BitsWidth, BitsHeight});
    }
    std::vector<TRect> Blocks;
    std::vector<TColor32> FirstPixel;
    std::vector<TPoint> Sizes;
};
} // namespace

TEST_F(Transfer, TileToDrawsTilesOfAtMost1024FromACleanBuffer) {
    // Equal size in tiles of 1024: only the top-left tile holds the source,
    // the others must come out of a cleared buffer (blended over nothing).
    TBitmap32 Big;
    Big.SetSize(2000, 1100);
    Big.Clear(0xFF0000FF);
    Big.SetPixel(1999, 1099, 0xFFFF0000);
    Big.SetDrawMode(dmBlend);
    Big.SetMasterAlpha(127);
    RecordingDC DC;
    Big.TileTo(&DC, {10, 20, 2010, 1120}, Big.BoundsRect());
    EXPECT_EQ(DC.Blocks,
              (std::vector<TRect>{
                  {10, 20, 1024, 1024}, {1034, 20, 976, 1024}, {10, 1044, 1024, 76}, {1034, 1044, 976, 76}}));
    const TColor32 Blended = BlendRegEx(0xFF0000FF, 0, 127);
    for (size_t I = 0; I < 4; ++I)
        EXPECT_EQ(DC.FirstPixel[I], Blended) << I;
}
