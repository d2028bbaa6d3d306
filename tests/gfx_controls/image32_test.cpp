// The image control's model: default stages, displayed size and placement,
// the cached mapping, property setters, update blocks, automatic sizing,
// painting into another bitmap, the frame stages and destruction.
#include "controls_test_support.h"

#include "gfx/controls/focus_rect.h"
#include "platform/exceptions.h"

using namespace gfx;
using namespace controls_test;

namespace {

TEST(Image32, StartsWithTheFiveDefaultStages) {
    TImage32 Image;
    const TPaintStage Want[] = {
        {true, true, skClearBackground, 0},      {true, false, skControlFrame, 0},
        {true, true, skDrawBitmap, 0},           {true, false, skBitmapFrame, 0},
        {true, true, skDrawLayers, 0x80000000u},
    };
    ASSERT_EQ(Image.PaintStages()->Count(), 5);
    for (int I = 0; I < 5; ++I)
        EXPECT_EQ(*Image.PaintStages()->Items(I), Want[I]) << I;
    EXPECT_EQ(Image.Scale(), 1.0f);
    EXPECT_EQ(Image.ScaleMode(), smNormal);
    EXPECT_EQ(Image.BitmapAlign(), baTopLeft);
    EXPECT_EQ(Image.Layers()->Count(), 0);
    EXPECT_EQ(Image.Layers()->OwnerTransform, &Image.BitmapTransform());
}

TEST(Image32, DisplayedSizeAndPlacementFollowModeAlignmentAndControlSize) {
    struct Case {
        const char* Name;
        int ControlW, ControlH;
        TScaleMode Mode;
        TBitmapAlign Align;
        float Scale;
        TRect Want;
    };
    const Case Cases[] = {
        {"exact fit", 640, 400, smNormal, baTopLeft, 1, {0, 0, 640, 400}},
        {"larger control", 700, 450, smNormal, baTopLeft, 1, {0, 0, 640, 400}},
        {"centred", 700, 450, smNormal, baCenter, 1, {30, 25, 670, 425}},
        {"centred, smaller control", 600, 380, smNormal, baCenter, 1, {-20, -10, 620, 390}},
        {"centred, odd difference", 641, 399, smNormal, baCenter, 1, {0, 0, 640, 400}}, // 1/2 and -1/2
                                                                                        // truncate
        {"stretched", 123, 45, smStretch, baTopLeft, 1, {0, 0, 123, 45}},
        {"scaled by half", 700, 450, smScale, baTopLeft, 0.5f, {0, 0, 320, 200}},
        {"scaled, halves to even", 700, 450, smScale, baTopLeft, 5.0f / 32, {0, 0, 100, 62}}, // 62.5 high
        {"fitted into a wide control", 800, 400, smResize, baTopLeft, 1, {0, 0, 640, 400}},
        {"fitted into a tall control", 640, 800, smResize, baTopLeft, 1, {0, 0, 640, 400}},
        {"fitted, height follows", 320, 800, smResize, baCenter, 1, {0, 300, 320, 500}},
        {"control without width", 0, 400, smNormal, baTopLeft, 1, {0, 0, 0, 0}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        TImage32 Image;
        Image.Bitmap()->SetSize(640, 400);
        Image.SetBounds(0, 0, C.ControlW, C.ControlH);
        Image.SetScaleMode(C.Mode);
        Image.SetBitmapAlign(C.Align);
        Image.SetScale(C.Scale);
        EXPECT_EQ(Image.GetBitmapRect(), C.Want);
    }
    TImage32 Empty;
    EXPECT_EQ(Empty.GetBitmapRect(), (TRect{0, 0, 0, 0}));
    EXPECT_EQ(Empty.GetBitmapSize(), (TSize{0, 0}));
}

TEST(Image32, TheCacheHoldsTheRectangleAndMappingUntilSomethingMovesTheBitmap) {
    TImage32 Image;
    Image.Bitmap()->SetSize(640, 400);
    Image.SetBounds(0, 0, 640, 400);
    Image.UpdateCache();
    EXPECT_TRUE(Image.CacheUpToDate());
    EXPECT_EQ(Image.BitmapRectCache(), (TRect{0, 0, 640, 400}));
    EXPECT_EQ(Image.BitmapTransform(), UnitTransform);

    Image.SetScaleMode(smScale);
    EXPECT_FALSE(Image.CacheUpToDate());
    Image.SetScale(0.5f);
    Image.UpdateCache();
    EXPECT_EQ(Image.BitmapTransform(), (TCoordTransform{32768, 32768, 0, 0, 131072, 131072}));

    // Each of these marks the cache out of date.
    const std::pair<const char*, std::function<void()>> Movers[] = {
        {"resize", [&] { Image.SetBounds(0, 0, 700, 450); }},
        {"bitmap resize", [&] { Image.Bitmap()->SetSize(100, 100); }},
        {"bitmap change", [&] { Image.Bitmap()->Clear(0); }},
        {"alignment", [&] { Image.SetBitmapAlign(baCenter); }},
        {"offset", [&] { Image.SetOffsetHorz(3); }},
        {"scale", [&] { Image.SetScale(2); }},
        {"invalidate", [&] { Image.Invalidate(); }},
        {"setup", [&] { Image.SetupBitmap(); }},
    };
    for (const auto& [Name, Move] : Movers) {
        Image.UpdateCache();
        Move();
        EXPECT_FALSE(Image.CacheUpToDate()) << Name;
    }
    Image.UpdateCache();
    Image.SetScale(2); // the same value
    EXPECT_TRUE(Image.CacheUpToDate());

    // A plain Qt resize of the hidden control, whose event Qt holds back until
    // it is shown, counts at the next conversion.
    Image.SetScaleMode(smNormal);
    Image.SetBitmapAlign(baCenter);
    Image.Bitmap()->SetSize(100, 100);
    EXPECT_EQ(Image.BitmapToControl({0, 0}), (TPoint{300, 175})); // 100 x 100 in 700 x 450
    Image.resize(500, 450);
    EXPECT_EQ(Image.BitmapToControl({0, 0}), (TPoint{200, 175}));
}

struct CountingImage : TImage32 {
    int ScaleChanges = 0;
    void DoScaleChange() override { ++ScaleChanges; }
};

TEST(Image32, SettersChangeOnlyOnNewValuesExceptTheAlignment) {
    CountingImage Image;
    int Changes = 0;
    Image.OnChange = [&](TObject* Sender) { Changes += Sender == &Image; };
    Image.SetScale(2);
    Image.SetScale(2);
    EXPECT_EQ(Changes, 1);
    for (const float Low : {0.0f, -5.0f, 0.0009f, std::numeric_limits<float>::quiet_NaN()}) {
        Image.SetScale(Low);
        EXPECT_EQ(Image.Scale(), 0.001f) << Low;
    }
    EXPECT_EQ(Changes, 2); // only the first of them changed the value
    EXPECT_EQ(Image.ScaleChanges, 2);
    Image.SetScaleMode(smScale);
    Image.SetScaleMode(smScale);
    Image.SetOffsetVert(4);
    Image.SetOffsetVert(4);
    EXPECT_EQ(Changes, 4);
    Image.SetBitmapAlign(baTopLeft); // the current value still changes
    Image.SetBitmapAlign(baTopLeft);
    EXPECT_EQ(Changes, 6);
    Image.SetOnPixelCombine([](TColor32, TColor32&, TColor32) {});
    EXPECT_EQ(Changes, 7);
    EXPECT_TRUE(bool(Image.Bitmap()->OnPixelCombine));

    TBitmap32 Source;
    FillBlocks(Source, 3, 2, 1);
    Image.SetBitmap(&Source); // copied, and the copy's notifications repaint
    EXPECT_EQ(Image.Bitmap()->Pixel(2, 1), Source.Pixel(2, 1));
    EXPECT_GE(Changes, 8);
}

TEST(Image32, UpdateBlocksSilenceTheEventsButStillMarkTheControlOutOfDate) {
    TImage32 Image;
    std::vector<std::string> Events;
    Image.OnChange = [&](TObject*) { Events.push_back("change"); };
    Image.OnBitmapResize = [&](TObject*) { Events.push_back("resize"); };
    Image.grab();
    Image.BeginUpdate();
    Image.BeginUpdate();
    Image.Bitmap()->SetSize(10, 10);
    EXPECT_FALSE(Image.BufferUpToDate);
    EXPECT_FALSE(Image.CacheUpToDate());
    Image.EndUpdate();
    Image.EndUpdate();
    EXPECT_TRUE(Events.empty());
    Image.Bitmap()->SetSize(20, 10);
    EXPECT_EQ(Events, (std::vector<std::string>{"change", "resize"}));

    // An unpaired EndUpdate fails and leaves the control silent until paired.
    try {
        Image.EndUpdate();
        ADD_FAILURE() << "unpaired EndUpdate accepted";
    } catch (const platform::EAssertionFailed& E) {
        EXPECT_STREQ(E.what(), "Unpaired EndUpdate call");
    }
    EXPECT_EQ(Image.UpdateDepth(), -1);
    Image.Changed();
    EXPECT_EQ(Events.size(), 2u);
    Image.BeginUpdate();
    Image.Changed();
    EXPECT_EQ(Events.size(), 3u);
}

TEST(Image32, AutomaticSizingTakesTheBitmapsSizeWhereTheAlignmentLeavesIt) {
    struct Case {
        TAlign Align;
        TScaleMode Mode;
        int W, H;
    };
    const Case Cases[] = {
        {alNone, smNormal, 50, 30}, {alLeft, smNormal, 50, 200},   {alRight, smNormal, 50, 200},
        {alTop, smNormal, 100, 30}, {alBottom, smNormal, 100, 30}, {alClient, smNormal, 100, 200},
        {alNone, smScale, 125, 75}, // 50 x 2.5 and 30 x 2.5
    };
    for (const Case& C : Cases) {
        TImage32 Image;
        Image.Bitmap()->SetSize(50, 30);
        Image.SetAlign(C.Align);
        Image.SetScaleMode(C.Mode);
        Image.SetScale(2.5f);
        Image.UpdateCache();
        int32_t W = 100, H = 200;
        EXPECT_TRUE(Image.CanAutoSize(W, H));
        EXPECT_EQ(W, C.W) << int(C.Align);
        EXPECT_EQ(H, C.H) << int(C.Align);
        EXPECT_FALSE(Image.CacheUpToDate());
    }
    // With AutoSize on, the control takes the bitmap's size as it changes; a
    // bitmap without area leaves the control as it is.
    TImage32 Image;
    Image.Bitmap()->SetSize(40, 20);
    Image.SetAutoSize(true);
    EXPECT_EQ(Image.Width(), 40);
    EXPECT_EQ(Image.Height(), 20);
    Image.Bitmap()->SetSize(64, 48);
    EXPECT_EQ(Image.Width(), 64);
    EXPECT_EQ(Image.Height(), 48);
    Image.Bitmap()->SetSize(0, 40);
    EXPECT_EQ(Image.Width(), 64);
    Image.SetAutoSize(false);
    Image.Bitmap()->SetSize(10, 10);
    EXPECT_EQ(Image.Width(), 64);
}

TEST(Image32, PaintToComposesIntoAnotherBitmapAndLeavesTheControlsPlacementAlone) {
    TImage32 Image;
    Image.SetColor(0x0000FF); // red
    Image.SetBounds(0, 0, 8, 6);
    FillBlocks(*Image.Bitmap(), 4, 3, 1);
    Image.UpdateCache();
    std::vector<bool> Painting;
    *Image.PaintStages()->Add() = {false, true, skCustom, 0};
    Image.OnPaintStage = [&](TObject*, TBitmap32* Buffer, uint32_t StageNum) {
        Painting.push_back(Image.PaintingTo() && StageNum == 5 && Buffer->Width() == 10);
    };
    TBitmap32 Dest;
    Dest.SetSize(10, 10);
    Dest.Clear(0xFF00FF00);
    Image.PaintTo(&Dest, {2, 2, 6, 5});
    EXPECT_EQ(Painting, std::vector<bool>{true});
    EXPECT_FALSE(Image.PaintingTo());
    EXPECT_FALSE(Image.CacheUpToDate());
    for (int Y = 0; Y < 10; ++Y)
        for (int X = 0; X < 10; ++X) {
            // The background strips are measured against the control's 8 x 6.
            const bool InBitmap = X >= 2 && X < 6 && Y >= 2 && Y < 5;
            const bool InControl = X < 8 && Y < 6;
            const TColor32 Want = InBitmap    ? Image.Bitmap()->Pixel(X - 2, Y - 2)
                                  : InControl ? 0xFFFF0000u
                                              : 0xFF00FF00u;
            EXPECT_EQ(Dest.Pixel(X, Y), Want) << X << "," << Y;
        }
    Image.UpdateCache();
    EXPECT_EQ(Image.BitmapRectCache(), (TRect{0, 0, 4, 3}));
}

TEST(Image32, FrameStagesInvertADottedFrameThatASecondPassRemoves) {
    TImage32 Image;
    Image.SetBounds(0, 0, 6, 5);
    Image.Bitmap()->SetSize(4, 3);
    Image.Bitmap()->Clear(0xFF000000);
    TPaintStages& Stages = *Image.PaintStages();
    Stages.Clear();
    *Stages.Add() = {false, true, skClearBuffer, 0};
    *Stages.Add() = {false, true, skDrawBitmap, 0};
    *Stages.Add() = {false, true, skBitmapFrame, 0};
    Image.SetColor(0xFFFFFF);
    TBitmap32 Dest;
    Dest.SetSize(6, 5);
    Image.PaintTo(&Dest, {1, 1, 5, 4});
    const char* Want[] = {
        "......",
        ".#.#..", // top edge of (1, 1, 5, 4): inverted where X + Y is even
        "....#.", ".#.#..", "......",
    };
    for (int Y = 0; Y < 5; ++Y)
        for (int X = 0; X < 6; ++X) {
            const bool Inside = X >= 1 && X < 5 && Y >= 1 && Y < 4;
            const TColor32 Plain = Inside ? 0xFF000000u : 0xFFFFFFFFu;
            EXPECT_EQ(Dest.Pixel(X, Y), Want[Y][X] == '#' ? Plain ^ 0x00FFFFFFu : Plain) << X << "," << Y;
        }
    TBitmap32 Copy;
    Copy.Assign(&Dest);
    DrawFocusRect(*Copy.Handle(), {1, 1, 5, 4});
    DrawFocusRect(*Copy.Handle(), {-3, -3, 100, 100}); // clipped, twice: no change
    DrawFocusRect(*Copy.Handle(), {-3, -3, 100, 100});
    for (int Y = 0; Y < 5; ++Y)
        for (int X = 0; X < 6; ++X)
            EXPECT_EQ(Copy.Pixel(X, Y) & 0xFFFFFF, (X >= 1 && X < 5 && Y >= 1 && Y < 4) ? 0u : 0xFFFFFFu);

    // The control frame goes around the control's own size.
    Stages.Items(2)->StageKind = skControlFrame;
    Image.PaintTo(&Dest, {1, 1, 5, 4});
    EXPECT_EQ(Dest.Pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(Dest.Pixel(5, 3), 0xFF000000u);
    EXPECT_EQ(Dest.Pixel(1, 0), 0xFFFFFFFFu);
}

TEST(Image32, SetupBitmapSizesTheBitmapToTheControlAndLoadedRaisesOnInitStages) {
    TImage32 Image;
    Image.SetBounds(0, 0, 33, 22);
    int Changes = 0, Inits = 0;
    Image.OnChange = [&](TObject*) { ++Changes; };
    Image.OnInitStages = [&](TObject* Sender) {
        ++Inits;
        static_cast<TImage32*>(Sender)->PaintStages()->Delete(1);
    };
    Image.SetupBitmap(true, 0x00123456);
    EXPECT_EQ(Image.Bitmap()->Width(), 33);
    EXPECT_EQ(Image.Bitmap()->Height(), 22);
    EXPECT_EQ(Image.Bitmap()->Pixel(32, 21), 0x00123456u);
    EXPECT_EQ(Changes, 1);
    Image.Loaded();
    EXPECT_EQ(Inits, 1);
    EXPECT_EQ(Image.PaintStages()->Count(), 4);
    EXPECT_FALSE(Image.BufferUpToDate);
}

TEST(Image32, AStageThatEmptiesTheListEndsTheComposition) {
    TImage32 Image;
    Image.Bitmap()->SetSize(10, 10);
    *Image.PaintStages()->Insert(0) = {false, true, skCustom, 0};
    int Runs = 0;
    Image.OnPaintStage = [&](TObject*, TBitmap32*, uint32_t) {
        ++Runs;
        Image.PaintStages()->Clear();
    };
    Image.grab();
    EXPECT_EQ(Runs, 1);
}

TEST(Image32, DestructionReachesNoHandlerOfTheHalfDestroyedControl) {
    int Calls = 0;
    {
        auto Image = std::make_unique<TImage32>();
        Image->SetAutoSize(true);
        Image->Bitmap()->SetSize(64, 48);
        Image->OnChange = [&](TObject*) { ++Calls; };
        Image->OnBitmapResize = [&](TObject*) { ++Calls; };
        Image->OnResize = [&](TObject*) { ++Calls; };
        Calls = 0;
    } // the bitmap's last resize to 0 x 0 happens in here
    EXPECT_EQ(Calls, 0);
}

} // namespace
