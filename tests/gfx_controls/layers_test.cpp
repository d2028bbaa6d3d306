// Layers and their collection: order and notifications, a copy that fails
// leaving the collection as it was, mouse routing with a listener, hit tests
// through overlapping layers, layers drawn in order over the image control
// (hiding one repaints), scaled and cropped layers, and destroy notifications
// that remove entries while they run.
#include "controls_test_support.h"

#include <memory>

using namespace gfx;
using namespace controls_test;

namespace {

// Records the collection's notifications.
struct CollectionLog {
    explicit CollectionLog(TLayerCollection& C) {
        C.OnLayersChanging = [this](TObject*) { Events.push_back("changing"); };
        C.OnLayersChanged = [this](TObject*) { Events.push_back("changed"); };
        C.OnLayersGDIUpdate = [this](TObject*) { Events.push_back("gdi"); };
    }
    std::vector<std::string> Take() { return std::exchange(Events, {}); }
    std::vector<std::string> Events;
};
using Log = std::vector<std::string>;

TEST(LayerCollection, KeepsItsLayersInOrderWithOneNotificationPerChange) {
    TLayerCollection Layers(nullptr);
    auto* A = Layers.Add<TPositionedLayer>();
    auto* B = Layers.Add<TPositionedLayer>();
    auto* C = Layers.Add<TBitmapLayer>();
    CollectionLog Events(Layers);

    auto* Bottom = Layers.Insert<TCustomLayer>(0);
    EXPECT_EQ(Events.Take(), (Log{"changing", "changed"}));
    EXPECT_EQ(Bottom->Index(), 0);
    EXPECT_EQ(Layers.Count(), 4);
    EXPECT_EQ(Layers.Items(3), C);
    try {
        Layers.Items(4);
        ADD_FAILURE() << "no error";
    } catch (const platform::EListError& E) {
        EXPECT_STREQ(E.what(), "List index out of bounds (4)");
    }
    EXPECT_THROW(Layers.Delete(-1), platform::EListError);

    A->BringToFront(); // 1 -> 3
    EXPECT_EQ(A->Index(), 3);
    EXPECT_EQ(Events.Take(), (Log{"changing", "changed"}));
    B->SetVisible(false);
    Events.Take();
    B->SetIndex(0); // nothing shows the move of a hidden layer
    EXPECT_EQ(B->Index(), 0);
    EXPECT_EQ(Events.Take(), Log{});

    Layers.Delete(0);
    EXPECT_EQ(Layers.Count(), 3);
    EXPECT_EQ(Events.Take(), (Log{"changing", "changed"}));
    delete Bottom; // a layer freed by its owner leaves the collection
    EXPECT_EQ(Layers.Count(), 2);
    Events.Take();
    Layers.Clear();
    EXPECT_EQ(Layers.Count(), 0);
    EXPECT_EQ(Events.Take(), (Log{"changing", "changed"}));

    try {
        Layers.EndUpdate();
        ADD_FAILURE() << "no assertion";
    } catch (const platform::EAssertionFailed& E) {
        EXPECT_STREQ(E.what(), "Unpaired EndUpdate");
    }
    EXPECT_EQ(Events.Take(), Log{});
}

TEST(LayerCollection, ACopyThatFailsLeavesTheCollectionAsItWas) {
    TLayerCollection Target(nullptr), Source(nullptr), Empty(nullptr);
    auto* Kept1 = Target.Add<TPositionedLayer>();
    auto* Kept2 = Target.Add<TBitmapLayer>();
    Source.Add<TPositionedLayer>();
    CollectionLog Events(Target);
    try {
        Target.Assign(&Source);
        ADD_FAILURE() << "layers do not copy themselves";
    } catch (const EConvertError& E) {
        EXPECT_STREQ(E.what(), "Cannot assign a TPositionedLayer to a TPositionedLayer");
    }
    ASSERT_EQ(Target.Count(), 2);
    EXPECT_EQ(Target.Items(0), Kept1);
    EXPECT_EQ(Target.Items(1), Kept2);
    EXPECT_EQ(Events.Take(), Log{});
    EXPECT_THROW(Target.SetItem(0, Source.Items(0)), EConvertError);

    Target.Assign(&Empty); // nothing to copy: the layers go, with one notification
    EXPECT_EQ(Target.Count(), 0);
    EXPECT_EQ(Events.Take(), (Log{"changing", "changed"}));
    TBitmap32 NotLayers;
    EXPECT_THROW(Target.Assign(&NotLayers), EConvertError);
}

// Layer A (0, 0, 64, 64) under layer B (32, 32, 96, 96), both taking mouse input.
class Routing : public ::testing::Test {
  protected:
    void SetUp() override {
        A = Layers.Add<TPositionedLayer>();
        B = Layers.Add<TPositionedLayer>();
        B->SetLocation({32, 32, 96, 96});
        for (auto [Layer, Name] : {std::pair{A, "A"}, std::pair{B, "B"}}) {
            Layer->OnMouseDown = [this, N = std::string(Name)](TObject*, TMouseButton Button, TShiftState,
                                                               int32_t, int32_t) {
                Events.push_back(N + " down " + std::to_string(Button));
            };
            Layer->OnMouseMove = [this, N = std::string(Name)](TObject*, TShiftState, int32_t X, int32_t Y) {
                Events.push_back(N + " move " + std::to_string(X) + "," + std::to_string(Y));
            };
            Layer->OnMouseUp = [this, N = std::string(Name)](TObject*, TMouseButton Button, TShiftState,
                                                             int32_t, int32_t) {
                Events.push_back(N + " up " + std::to_string(Button));
            };
        }
    }
    Log Take() { return std::exchange(Events, {}); }
    TLayerCollection Layers{nullptr};
    TPositionedLayer* A = nullptr;
    TPositionedLayer* B = nullptr;
    Log Events;
};

TEST_F(Routing, APressGoesToTheTopLayerWhichKeepsTheMouseUntilItsButtonsAreUp) {
    EXPECT_EQ(Layers.MouseDown(mbLeft, 0, 40, 40), B);
    EXPECT_EQ(Layers.MouseListener(), B);
    EXPECT_EQ(B->LayerStates, lsMouseLeft);
    EXPECT_EQ(Layers.MouseMove(0, 10, 10), B) << "off the layer, still the listener";
    EXPECT_EQ(Layers.MouseDown(mbRight, 0, 10, 10), B);
    EXPECT_EQ(Layers.MouseUp(mbLeft, 0, 10, 10), B);
    EXPECT_EQ(Layers.MouseListener(), B) << "the right button is still held";
    EXPECT_EQ(Layers.MouseUp(mbRight, 0, 10, 10), B);
    EXPECT_EQ(Layers.MouseListener(), nullptr);
    EXPECT_EQ(Take(), (Log{"B down 0", "B move 10,10", "B down 1", "B up 0", "B up 1"}));

    // Without a listener a move goes to the layer under the pointer.
    EXPECT_EQ(Layers.MouseMove(0, 10, 10), A);
    EXPECT_EQ(Layers.MouseMove(0, 200, 10), nullptr);
    EXPECT_EQ(Take(), (Log{"A move 10,10"}));
}

TEST_F(Routing, OnlyALeftPressMakesAListenerAndOnlyAListenerHearsPresses) {
    EXPECT_EQ(Layers.MouseDown(mbRight, 0, 10, 10), A);
    EXPECT_EQ(Layers.MouseListener(), nullptr);
    A->SetLayerOptions(A->LayerOptions() | LayerOptNoCapture);
    EXPECT_EQ(Layers.MouseDown(mbLeft, 0, 10, 10), A);
    EXPECT_EQ(Layers.MouseListener(), nullptr);
    EXPECT_EQ(Take(), Log{}) << "no layer heard a press";

    B->SetMouseEvents(false); // out of the hit search: the press reaches A below
    A->SetLayerOptions(LayerOptVisible | LayerOptMouseEvents);
    EXPECT_EQ(Layers.MouseDown(mbLeft, 0, 40, 40), A);
    EXPECT_EQ(A->LayerStates, lsMouseLeft);
    Layers.SetMouseEvents(true); // any assignment drops the listener
    EXPECT_EQ(Layers.MouseListener(), nullptr);
    EXPECT_EQ(A->LayerStates, 0);

    // A listener that leaves the collection is dropped with it.
    EXPECT_EQ(Layers.MouseDown(mbLeft, 0, 10, 10), A);
    A->SetLayerCollection(nullptr);
    EXPECT_EQ(Layers.MouseListener(), nullptr);
    delete A;
}

TEST_F(Routing, HitTestsLookThroughTransparentPixelsToTheLayersBelow) {
    auto* Top = Layers.Add<TBitmapLayer>(); // over both, at (0, 0, 80, 80)
    Top->SetLocation({0, 0, 80, 80});
    Top->Bitmap()->SetSize(8, 8);
    Top->Bitmap()->Clear(0xFF204060);
    Top->Bitmap()->FillRectS(0, 0, 4, 8, 0x00204060); // the left half has alpha 0
    EXPECT_EQ(Layers.FindLayerAtPos(10, 10, LayerOptMouseEvents), Top) << "alpha not tested yet";
    Top->HitTestAlpha = true;
    EXPECT_EQ(Layers.FindLayerAtPos(10, 10, LayerOptMouseEvents), A);
    EXPECT_EQ(Layers.FindLayerAtPos(34, 50, LayerOptMouseEvents), B); // bitmap column Round(3.4) = 3
    EXPECT_EQ(Layers.FindLayerAtPos(36, 50, LayerOptMouseEvents), Top);
    EXPECT_EQ(Layers.FindLayerAtPos(50, 10, LayerOptMouseEvents), Top);
    EXPECT_EQ(Layers.FindLayerAtPos(70, 70, LayerOptMouseEvents), Top);
    // The last columns round to a pixel past the bitmap, whose outer colour has alpha 0.
    EXPECT_EQ(Layers.FindLayerAtPos(79, 70, LayerOptMouseEvents), B);
    EXPECT_EQ(Layers.FindLayerAtPos(50, 10, LayerOptVisible | LayerOptGdiOverlay), Top);
    // OnHitTest has the last word.
    Top->OnHitTest = [](TObject*, int32_t X, int32_t, bool& Passed) { Passed = X > 70; };
    EXPECT_EQ(Layers.FindLayerAtPos(50, 10, LayerOptMouseEvents), A);
    EXPECT_EQ(Layers.FindLayerAtPos(72, 10, LayerOptMouseEvents), Top);
}

// The image control with a 100 x 80 grey bitmap and three opaque layers.
class LayeredImage : public ::testing::Test {
  protected:
    static constexpr TColor32 kGrey = 0xFF808080, kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;
    void SetUp() override {
        Image.SetBounds(0, 0, 100, 80);
        Image.Bitmap()->SetSize(100, 80);
        Image.Bitmap()->Clear(kGrey);
        Red = Square({10, 10, 50, 50}, kRed);
        Green = Square({30, 30, 70, 70}, kGreen);
        Blue = Square({60, 20, 90, 60}, kBlue);
    }
    TBitmapLayer* Square(const TFloatRect& Where, TColor32 Colour) {
        auto* L = Image.Layers()->Add<TBitmapLayer>();
        L->SetLocation(Where);
        L->Bitmap()->SetSize(int(Where.Right - Where.Left), int(Where.Bottom - Where.Top));
        L->Bitmap()->Clear(Colour);
        return L;
    }
    // The colour of the topmost visible layer at (X, Y), else the bitmap's.
    TColor32 Model(int X, int Y) const {
        TColor32 C = kGrey;
        for (int32_t I = 0; I < Image.Layers()->Count(); ++I) {
            auto* L = static_cast<TBitmapLayer*>(Image.Layers()->Items(I));
            const TRect R = MakeRect(L->Location());
            if (L->Visible() && PtInRect(R, {X, Y})) C = L->Bitmap()->Pixel(0, 0);
        }
        return C;
    }
    ::testing::AssertionResult ShowsTheModel() {
        RunPaints();
        return PictureIs(OnScreen(Image), 100, 80, [this](int X, int Y) { return Model(X, Y); });
    }
    TImage32 Image;
    TBitmapLayer *Red = nullptr, *Green = nullptr, *Blue = nullptr;
};

TEST_F(LayeredImage, LayersAreDrawnBottomFirstAndEveryChangeRepaints) {
    ASSERT_TRUE(ShowAndWait(Image));
    EXPECT_TRUE(ShowsTheModel());
    EXPECT_EQ(OnScreen(Image).pixel(40, 40) & 0xFFFFFF, 0x00FF00u) << "green over red";

    Green->SetVisible(false); // hiding a layer takes it off the picture
    EXPECT_TRUE(ShowsTheModel());
    EXPECT_EQ(OnScreen(Image).pixel(40, 40) & 0xFFFFFF, 0xFF0000u);
    Green->SetVisible(true);
    EXPECT_TRUE(ShowsTheModel());

    Red->BringToFront();
    EXPECT_TRUE(ShowsTheModel());
    EXPECT_EQ(OnScreen(Image).pixel(40, 40) & 0xFFFFFF, 0xFF0000u);
    Blue->SetLocation({0, 0, 30, 40});
    EXPECT_TRUE(ShowsTheModel());
    Blue->Bitmap()->Clear(0xFF102030); // the layer's own bitmap repaints too
    EXPECT_TRUE(ShowsTheModel());
    delete Red;
    Red = nullptr;
    EXPECT_TRUE(ShowsTheModel());
}

TEST_F(LayeredImage, HidingALayerNotifiesAsAChangeAndShowingItToo) {
    CollectionLog Events(*Image.Layers());
    Image.Layers()->OnLayersChanged = [&](TObject*) { Events.Events.push_back("changed"); };
    Green->SetVisible(false);
    EXPECT_EQ(Events.Take(), (Log{"changing", "changed"}));
    Green->SetVisible(true);
    EXPECT_EQ(Events.Take(), (Log{"changed"}));
    // An invisible layer that draws over the window only asks for a screen refresh.
    Green->SetLayerOptions(LayerOptGdiOverlay);
    Events.Take();
    Green->SetCropped(true);
    EXPECT_EQ(Events.Take(), (Log{"gdi"}));
}

TEST_F(LayeredImage, AScaledLayerFollowsTheBitmapAndACroppedOneStaysOnIt) {
    Image.SetBounds(0, 0, 300, 300);
    Image.SetScaleMode(smScale);
    Image.SetScale(2);
    Image.SetBitmapAlign(baCustom);
    Image.SetOffsetHorz(10);
    Image.SetOffsetVert(20);
    Image.UpdateCache();
    Red->SetLocation({5, 5, 15, 15});
    Red->SetScaled(true);
    EXPECT_EQ(Red->GetAdjustedLocation(), (TFloatRect{20, 30, 40, 50}));

    // The bitmap shown at (0, 0, 50, 40); a layer reaching past it is cut there.
    TImage32 Small;
    Small.SetColor(0x000000);
    Small.SetBounds(0, 0, 100, 80);
    Small.Bitmap()->SetSize(50, 40);
    Small.Bitmap()->Clear(kGrey);
    auto* L = Small.Layers()->Add<TBitmapLayer>();
    L->SetLocation({30, 20, 70, 60});
    L->Bitmap()->SetSize(40, 40);
    L->Bitmap()->Clear(kBlue);
    EXPECT_EQ(Painted(Small).pixel(60, 50) & 0xFFFFFF, 0x0000FFu);
    L->SetCropped(true);
    QImage P = Painted(Small);
    EXPECT_EQ(P.pixel(40, 30) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(P.pixel(60, 50) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(P.pixel(45, 45) & 0xFFFFFF, 0x000000u);
    // Painting into another bitmap crops nothing.
    TBitmap32 Dest;
    Dest.SetSize(100, 80);
    Dest.Clear(0);
    Small.PaintTo(&Dest, {0, 0, 50, 40});
    EXPECT_EQ(Dest.Pixel(60, 50), kBlue);
}

// A layer that records what it hears and, on hearing of a destruction, can
// take another layer off the dying layer's list.
struct Listener : TCustomLayer {
    using TCustomLayer::TCustomLayer;
    ~Listener() override { BeforeDestruction(); }
    void Notification(TCustomLayer* Layer) override {
        Heard.push_back(Layer);
        if (AlsoRemove) Layer->RemoveNotification(AlsoRemove);
        if (AlsoDelete) delete std::exchange(AlsoDelete, nullptr);
    }
    std::vector<TCustomLayer*> Heard;
    TCustomLayer* AlsoRemove = nullptr;
    TCustomLayer* AlsoDelete = nullptr;
};

TEST(Layers, DestroyNotificationsMayChangeTheListWhileTheyRun) {
    TLayerCollection Layers(nullptr);
    auto* Dying = Layers.Add<TBitmapLayer>();
    auto* L1 = Layers.Add<Listener>();
    auto* L2 = Layers.Add<Listener>();
    auto* L3 = Layers.Add<Listener>();
    auto* Spare = Layers.Add<Listener>();
    for (TCustomLayer* L :
         {static_cast<TCustomLayer*>(L1), static_cast<TCustomLayer*>(L2), static_cast<TCustomLayer*>(L3)})
        Dying->AddNotification(L);
    Dying->AddNotification(L1); // listed once only
    L3->AlsoRemove = L2;        // the last one heard takes the middle one off
    L3->AlsoDelete = Spare;     // and frees an unrelated layer
    bool WholeAtDestroy = false;
    Dying->OnDestroy = [&](TObject* Sender) {
        auto* B = dynamic_cast<TBitmapLayer*>(Sender);
        WholeAtDestroy = B && B->Bitmap() != nullptr;
    };
    delete Dying;
    EXPECT_TRUE(WholeAtDestroy) << "OnDestroy sees the layer whole";
    EXPECT_EQ(L3->Heard, std::vector<TCustomLayer*>{Dying});
    EXPECT_TRUE(L2->Heard.empty());
    EXPECT_EQ(L1->Heard, std::vector<TCustomLayer*>{Dying});
    EXPECT_EQ(Layers.Count(), 3);
}

TEST(Layers, OverlayLayersPaintOnTheWindowAfterEachCopy) {
    struct Overlay : TPositionedLayer {
        using TPositionedLayer::TPositionedLayer;
        ~Overlay() override { BeforeDestruction(); }
        void PaintGDI(TCanvas* Canvas) override { Painted += Canvas && Canvas->Handle(); }
        int Painted = 0;
    };
    TImage32 Image;
    Image.SetBounds(0, 0, 40, 30);
    auto* O = Image.Layers()->Add<Overlay>();
    Image.grab();
    EXPECT_EQ(O->Painted, 0);
    O->SetLayerOptions(LayerOptVisible | LayerOptGdiOverlay);
    Image.grab();
    EXPECT_EQ(O->Painted, 1);
}

} // namespace
