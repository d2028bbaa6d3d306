// The rubber band layer: what a press would drag, moves and resizes within
// their limits, the mouse moving and sizing its child on the image control,
// opaque handles in their colours, and a child (or the band) freed first.
#include "controls_test_support.h"

#include "gfx/controls/rubberband_layer.h"

using namespace gfx;
using namespace controls_test;

namespace {

// A band at (10, 10, 110, 60), handle size 3, in a collection of its own.
class Band : public ::testing::Test {
  protected:
    void SetUp() override {
        B = Layers.Add<TRubberbandLayer>();
        B->SetLocation({10, 10, 110, 60});
        B->OnUserDrag = [this](TObject*) { ++UserDrags; };
    }
    // A press at (PX, PY), a move to (MX, MY) and the release.
    TFloatRect DragFrom(int PX, int PY, int MX, int MY) {
        Layers.MouseDown(mbLeft, ssLeft, PX, PY);
        Layers.MouseMove(ssLeft, MX, MY);
        Layers.MouseUp(mbLeft, 0, MX, MY);
        return B->Location();
    }
    TLayerCollection Layers{nullptr};
    TRubberbandLayer* B = nullptr;
    int UserDrags = 0;
};

TEST_F(Band, TheDragStateFollowsTheHandlesUnderThePoint) {
    const std::pair<TPoint, TG32DragState> States[] = {
        {{109, 59}, dsSizeBR}, {{10, 59}, dsSizeBL}, {{113, 6}, dsSizeTR}, {{6, 14}, dsSizeTL},
        {{60, 10}, dsSizeT},   {{60, 62}, dsSizeB},  {{7, 35}, dsSizeL},   {{112, 33}, dsSizeR},
        {{60, 35}, dsMove},    {{200, 200}, dsNone}, {{114, 35}, dsNone},  {{60, 5}, dsNone},
    };
    for (const auto& [P, State] : States) {
        EXPECT_EQ(B->GetDragState(P.X, P.Y), State) << P.X << "," << P.Y;
        EXPECT_EQ(B->HitTest(P.X, P.Y), State != dsNone) << P.X << "," << P.Y;
    }
    B->SetHandles(rhCenter); // the inside only, half-open on the shortened rectangle
    EXPECT_EQ(B->GetDragState(108, 58), dsMove);
    EXPECT_EQ(B->GetDragState(109, 59), dsNone);
}

TEST_F(Band, ResizesKeepWithinTheLimitsAndMovesKeepTheSize) {
    EXPECT_EQ(DragFrom(109, 35, 15, 35), (TFloatRect{10, 10, 20, 60})) << "the minimum width 10";
    B->SetLocation({10, 10, 110, 60});
    B->MaxDragWidth = 50;
    EXPECT_EQ(DragFrom(10, 35, -100, 35), (TFloatRect{60, 10, 110, 60})) << "the maximum width 50";
    B->SetLocation({10, 10, 110, 60});
    EXPECT_EQ(DragFrom(109, 59, 300, 20), (TFloatRect{10, 10, 60, 20}))
        << "the width held at 50, the height at 10";
    B->SetLocation({10, 10, 110, 60});
    EXPECT_EQ(DragFrom(30, 20, 50, 50), (TFloatRect{30, 40, 130, 90}));
    EXPECT_EQ(UserDrags, 4);

    // A handler that puts the old location back stops the step.
    B->OnDragResizing = [](TObject*, const TFloatRect& Old, TFloatRect& New, TG32DragState State,
                           TShiftState) {
        if (State == dsMove) New = Old;
    };
    EXPECT_EQ(DragFrom(60, 60, 90, 90), (TFloatRect{30, 40, 130, 90}));
    EXPECT_EQ(UserDrags, 4);
}

TEST_F(Band, ASecondPressDuringADragIsIgnored) {
    int Downs = 0;
    B->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int32_t, int32_t) { ++Downs; };
    Layers.MouseDown(mbLeft, ssLeft, 60, 35);
    Layers.MouseDown(mbRight, ssLeft | ssRight, 109, 59); // the band is the listener: it hears this
    EXPECT_EQ(Downs, 1);
    Layers.MouseMove(ssLeft | ssRight, 70, 45);
    EXPECT_EQ(B->Location(), (TFloatRect{20, 20, 120, 70})) << "still the move";
    Layers.MouseUp(mbRight, ssLeft, 70, 45);
    Layers.MouseUp(mbLeft, 0, 70, 45);
}

TEST_F(Band, HandlesAreOpaqueInTheirFrameworkColours) {
    TBitmap32 Buffer;
    Buffer.SetSize(130, 80);
    Buffer.Clear(0);
    B->Paint(&Buffer);
    EXPECT_EQ(Buffer.Pixel(7, 7), 0xFF000000u) << "black frame";
    EXPECT_EQ(Buffer.Pixel(9, 9), 0xFFFFFFFFu) << "white fill";
    EXPECT_EQ(Buffer.Pixel(60, 60), 0xFFFFFFFFu) << "the bottom side's handle (60, 60)";
    // The frame between the handles: two white, two black from its corner on.
    EXPECT_EQ(Buffer.Pixel(20, 10) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(Buffer.Pixel(22, 10) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(Buffer.Pixel(23, 10) & 0xFFFFFF, 0xFFFFFFu);

    int Refreshes = 0;
    Layers.OnLayersGDIUpdate = [&](TObject*) { ++Refreshes; };
    B->SetHandleFill(0x0000FF); // the framework's red
    B->SetHandleFrame(clBtnShadow);
    B->SetHandleFill(0x0000FF);
    EXPECT_EQ(Refreshes, 2) << "only changes refresh the screen";
    B->Paint(&Buffer);
    EXPECT_EQ(Buffer.Pixel(9, 9), 0xFFFF0000u);
    EXPECT_EQ(Buffer.Pixel(7, 7), 0xFFA0A0A0u) << "a system colour resolved";
    B->SetHandleSize(0);
    EXPECT_EQ(B->HandleSize(), 1);
}

TEST_F(Band, AChildFreedFirstIsForgotten) {
    auto* Child = Layers.Insert<TPositionedLayer>(0); // under the band
    Child->SetLocation({0, 0, 30, 30});
    B->SetChildLayer(Child);
    EXPECT_EQ(B->Location(), (TFloatRect{0, 0, 30, 30})) << "the band takes the child's place";
    EXPECT_TRUE(B->LayerOptions() & LayerOptNoUpdate);
    DragFrom(15, 15, 25, 35);
    EXPECT_EQ(Child->Location(), (TFloatRect{10, 20, 40, 50}));

    delete Child;
    EXPECT_EQ(B->ChildLayer(), nullptr);
    EXPECT_FALSE(B->LayerOptions() & LayerOptNoUpdate);
    int Changes = 0;
    Layers.OnLayersChanged = [&](TObject*) { ++Changes; };
    DragFrom(25, 35, 35, 45);
    EXPECT_EQ(B->Location(), (TFloatRect{20, 30, 50, 60}));
    EXPECT_EQ(Changes, 1) << "the band's own change repaints now";
}

TEST_F(Band, ABandFreedFirstLeavesItsChildAlone) {
    auto* Old = Layers.Add<TPositionedLayer>();
    auto* Child = Layers.Add<TPositionedLayer>();
    B->SetChildLayer(Old);
    B->SetChildLayer(Child); // withdrawn from the old child
    delete Old;
    EXPECT_EQ(B->ChildLayer(), Child);
    delete B;
    Child->SetLocation({1, 2, 3, 4});
    auto* Self = Layers.Add<TRubberbandLayer>();
    Self->SetChildLayer(Self); // not a child of its own
    EXPECT_EQ(Self->ChildLayer(), nullptr);
    delete Self;
    delete Child; // nothing of the band is reached
    EXPECT_EQ(Layers.Count(), 0);
}

TEST_F(Band, NoBandFollowsItselfThroughOtherBands) {
    // B follows the fixture's band, C follows B: a band following C, or B,
    // would follow itself round the ring, and is given no child.
    auto* B2 = Layers.Add<TRubberbandLayer>();
    auto* B3 = Layers.Add<TRubberbandLayer>();
    B->SetChildLayer(B2);
    B2->SetChildLayer(B3);
    B2->SetChildLayer(B); // the ring of two
    EXPECT_EQ(B2->ChildLayer(), nullptr);
    B2->SetChildLayer(B3);
    B3->SetChildLayer(B); // the ring of three
    EXPECT_EQ(B3->ChildLayer(), nullptr);
    B->SetLocation({1, 2, 30, 40});
    EXPECT_EQ(B3->Location(), (TFloatRect{1, 2, 30, 40})) << "the chain still follows";
}

// The band on the image control, over a green bitmap layer that it carries.
TEST(BandOnImage, TheMouseMovesAndSizesTheChild) {
    TImage32 Image;
    Image.SetBounds(0, 0, 200, 150);
    Image.Bitmap()->SetSize(200, 150);
    Image.Bitmap()->Clear(0xFF808080);
    auto* Child = Image.Layers()->Add<TBitmapLayer>();
    Child->Bitmap()->SetSize(8, 6);
    Child->Bitmap()->Clear(0xFF00C000);
    auto* Band = Image.Layers()->Add<TRubberbandLayer>();
    Band->SetChildLayer(Child);
    Band->SetLocation({40, 30, 120, 90});
    ASSERT_TRUE(ShowAndWait(Image));
    auto Green = [&](int X, int Y) { return (OnScreen(Image).pixel(X, Y) & 0xFFFFFF) == 0x00C000; };
    EXPECT_TRUE(Green(80, 60));

    QTest::mouseMove(&Image, {80, 60});
    EXPECT_EQ(Image.cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(&Image, {119, 60});
    EXPECT_EQ(Image.cursor().shape(), Qt::SizeHorCursor) << "over the right side's handle";

    QTest::mousePress(&Image, Qt::LeftButton, {}, {80, 60});
    EXPECT_EQ(Image.Layers()->MouseListener(), Band);
    QTest::mouseMove(&Image, {100, 80});
    QTest::mouseRelease(&Image, Qt::LeftButton, {}, {100, 80});
    EXPECT_EQ(Child->Location(), (TFloatRect{60, 50, 140, 110}));
    RunPaints();
    EXPECT_TRUE(Green(130, 100));
    EXPECT_FALSE(Green(45, 35));

    QTest::mousePress(&Image, Qt::LeftButton, {}, {139, 109}); // the bottom-right corner
    QTest::mouseMove(&Image, {170, 130});
    QTest::mouseRelease(&Image, Qt::LeftButton, {}, {170, 130});
    EXPECT_EQ(Child->Location(), (TFloatRect{60, 50, 170, 130}));
    EXPECT_EQ(Band->Location(), Child->Location());
    EXPECT_EQ(Image.Layers()->MouseListener(), nullptr);
    RunPaints();
    EXPECT_TRUE(Green(165, 125));

    delete Child; // the band goes on without it
    QTest::mousePress(&Image, Qt::LeftButton, {}, {100, 100});
    QTest::mouseMove(&Image, {90, 90});
    QTest::mouseRelease(&Image, Qt::LeftButton, {}, {90, 90});
    EXPECT_EQ(Band->Location(), (TFloatRect{50, 40, 160, 120}));
    RunPaints();
    EXPECT_FALSE(Green(100, 100));
}

} // namespace
