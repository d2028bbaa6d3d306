// The gauge bar: its bounds kept apart, its handle's size and place (in 64
// bits), the handle drawn where it belongs, dragging (and a track with no room
// to drag on), the steps of tracks and the wheel.
#include "bars_test_support.h"

using namespace gfx;
using namespace controls_test;
using namespace bars_test;

namespace {

// Min and Max, in the order that lets both take their values.
void SetBounds(TGaugeBar& Bar, int Min, int Max) {
    Bar.SetMin(Min);
    Bar.SetMax(Max);
    Bar.SetMin(Min);
}

TEST(GaugeBar, BoundsStayApartAndThePositionWithinThem) {
    TGaugeBar A;
    A.SetMax(0);
    EXPECT_EQ(A.Max(), 1);
    TGaugeBar B;
    B.SetMin(100);
    EXPECT_EQ(B.Min(), 99);

    TGaugeBar Bar;
    int Changes = 0;
    Bar.OnChange = [&](TObject*) { ++Changes; };
    Bar.SetPosition(150);
    EXPECT_EQ(Bar.Position(), 100);
    Bar.SetMax(20); // the position follows, with OnChange
    EXPECT_EQ(Bar.Position(), 20);
    EXPECT_EQ(Changes, 2);
    Bar.SetMin(30);
    EXPECT_EQ(Bar.Min(), 19);
    Bar.SetHandleSize(-3);
    EXPECT_EQ(Bar.HandleSize(), 0);
    Bar.SetLargeChange(0);
    Bar.SetSmallChange(-2);
    EXPECT_EQ(Bar.LargeChange(), 1);
    EXPECT_EQ(Bar.SmallChange(), 1);
}

TEST(GaugeBar, TheHandleHasAFixedLengthAndMovesOverTheRestOfTheTrack) {
    struct Case {
        const char* Name;
        int Min, Max, Position, HandleSize;
        TRect Handle;
    };
    // 100 x 16 with a border: client height 14, track 14 .. 84 (70 pixels).
    const Case Cases[] = {
        {"at the start", 0, 100, 0, 0, {14, 0, 28, 14}},
        {"a quarter", 0, 100, 25, 0, {28, 0, 42, 14}}, // Round(56 * 25 / 100) = 14
        {"at the end", 0, 100, 100, 0, {70, 0, 84, 14}},
        {"a handle of 30", 0, 100, 50, 30, {34, 0, 64, 14}},
        {"a handle longer than the track", 0, 100, 50, 200, {14, 0, 83, 14}},
        {"a range beyond 32 bits", -2000000000, 2000000000, 1000000000, 0, {56, 0, 70, 14}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        TestGaugeBar Bar;
        SetBounds(Bar, C.Min, C.Max);
        Bar.SetPosition(C.Position);
        Bar.SetHandleSize(C.HandleSize);
        EXPECT_EQ(Bar.GetHandleRect(), C.Handle);
    }
}

TEST(GaugeBar, TheFlatHandleIsDrawnAtItsPlace) {
    TestGaugeBar Bar;
    Bar.SetStyle(rbsMac);
    Bar.SetShowHandleGrip(false);
    Bar.SetHandleColor(0xFF0000); // blue
    Bar.SetPosition(50);
    const TRect H = Bar.GetHandleRect();
    ASSERT_EQ(H, (TRect{42, 0, 56, 14})); // track 13 .. 85, Round(58 * 50 / 100) = 29
    const QImage P = Painted(Bar);
    for (int X = 0; X < 98; ++X) {
        const bool Blue = (P.pixel(X + 1, 8) & 0xFFFFFF) == 0x0000FF;
        // Frame and bevel take two pixels on each side.
        EXPECT_EQ(Blue, X >= H.Left + 2 && X < H.Right - 2) << X;
    }
}

TEST(GaugeBar, DraggingTheHandleSpreadsTheRangeOverTheFreeTrack) {
    struct Case {
        const char* Name;
        int Min, Max, Start, Drag, Position;
    };
    // The free track is 70 - 14 = 56 pixels.
    const Case Cases[] = {
        {"half the free track", 0, 100, 0, 28, 50},
        {"backwards past the start", 0, 100, 50, -40, 0},
        {"a range beyond 32 bits", -2000000000, 2000000000, 0, 14, 1000000000},
        {"to the end of it", -2000000000, 2000000000, 0, 30, 2000000000},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        TestGaugeBar Bar;
        SetBounds(Bar, C.Min, C.Max);
        Bar.SetPosition(C.Start);
        ASSERT_TRUE(ShowAndWait(Bar));
        const QPoint Grip = Middle(Bar.GetHandleRect());
        Press(Bar, Grip.x(), Grip.y());
        ASSERT_EQ(Bar.PressedZone, zHandle);
        Drag(Bar, Grip.x() + C.Drag, Grip.y());
        EXPECT_EQ(Bar.Position(), C.Position);
        Release(Bar, Grip.x() + C.Drag, Grip.y());
    }
}

TEST(GaugeBar, ATrackWithNoRoomLeftTakesNoDrag) {
    TestGaugeBar Bar;
    Bar.SetPosition(50);
    ASSERT_TRUE(ShowAndWait(Bar));
    const QPoint Grip = Middle(Bar.GetHandleRect());
    Press(Bar, Grip.x(), Grip.y());
    ASSERT_EQ(Bar.PressedZone, zHandle);
    Bar.SetBounds(0, 0, 30, 16); // the buttons take the whole bar: no track
    EXPECT_EQ(Bar.GetHandleSize(), 0);
    Drag(Bar, Grip.x() + 10, Grip.y());
    EXPECT_EQ(Bar.Position(), 50);
    Release(Bar, Grip.x() + 10, Grip.y());
}

TEST(GaugeBar, TracksStepByLargeChangeButtonsAndTheWheelBySmallChange) {
    TestGaugeBar Bar;
    Bar.SetLargeChange(10);
    Bar.SetSmallChange(5);
    ASSERT_TRUE(ShowAndWait(Bar));
    Press(Bar, 80, 7); // the next track
    EXPECT_EQ(Bar.Position(), 10);
    Bar.TimerHandler();
    EXPECT_EQ(Bar.Position(), 20);
    Release(Bar, 80, 7);
    Press(Bar, 5, 7); // the previous button
    EXPECT_EQ(Bar.Position(), 15);
    Release(Bar, 5, 7);
    Wheel(Bar, 120);
    EXPECT_EQ(Bar.Position(), 20);
    Wheel(Bar, -240);
    EXPECT_EQ(Bar.Position(), 10);
    Bar.SetSmallChange(1);
    Wheel(Bar, 60); // (1 x 60) div 120
    EXPECT_EQ(Bar.Position(), 10);
}

} // namespace
