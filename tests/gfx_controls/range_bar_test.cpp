// The range bar: its position clamped to the range less the window, centring,
// the handle's size and place (in 64 bits), dragging the handle at the edge
// sizes of the track, repeated pages that stop at the pointer, and the wheel.
#include "bars_test_support.h"

using namespace gfx;
using namespace controls_test;
using namespace bars_test;

namespace {

// A bar whose track is its whole client area: no arrows.
void TrackOnly(TArrowBar& Bar, int Width, TBorderStyle Border) {
    Bar.SetShowArrows(false);
    Bar.SetBorderStyle(Border);
    Bar.SetBounds(0, 0, Width, 16 + 2 * Bar.GetBorderSize());
}

TEST(RangeBar, ThePositionStaysWithinTheRangeLessTheWindow) {
    TestRangeBar Bar;
    int Changes = 0;
    Bar.OnChange = [&](TObject*) { ++Changes; };
    Bar.SetParams(100, 20);
    Bar.SetPosition(90);
    EXPECT_EQ(Bar.Position(), 80);
    Bar.SetPosition(-5);
    EXPECT_EQ(Bar.Position(), 0);
    EXPECT_FALSE(Bar.IsPositionStored());
    EXPECT_EQ(Changes, 2);
    Bar.SetPosition(80);
    Bar.SetRange(50); // moves the position without OnChange
    EXPECT_EQ(Bar.Position(), 30);
    EXPECT_EQ(Changes, 3);
    Bar.SetParams(-4, -9);
    EXPECT_EQ(Bar.Range(), 0);
    EXPECT_EQ(Bar.Window(), 0);
    EXPECT_EQ(Bar.EffectiveWindow(), 100) << "the bar's own width";
    EXPECT_THROW(Bar.SetPosition(std::nanf("")), platform::EInvalidOp);
}

TEST(RangeBar, ABarWithNothingToScrollIgnoresPresses) {
    TestRangeBar Bar;
    Bar.SetParams(10, 20);
    ASSERT_TRUE(ShowAndWait(Bar));
    int Downs = 0;
    Bar.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int32_t, int32_t) { ++Downs; };
    EXPECT_FALSE(Bar.DrawEnabled());
    Press(Bar, 90, 7);
    EXPECT_EQ(Bar.PressedZone, zNone);
    EXPECT_EQ(Downs, 0);
    EXPECT_EQ(Bar.Position(), 0);
    Release(Bar, 90, 7);
}

TEST(RangeBar, TheHandleShowsTheWindowsShareAndIsAtLeast17PixelsLong) {
    struct Case {
        const char* Name;
        int Track, Range, Window;
        float Position;
        TRect Handle;
    };
    const Case Cases[] = {
        {"short handle", 100, 1000, 10, 491.5f, {41, 0, 58, 16}}, // Round(83 * 491.5 / 990) = 41
        {"long handle", 100, 1000, 500, 250, {25, 0, 75, 16}},
        {"the whole track when all is visible", 100, 50, 80, 0, {0, 0, 100, 16}},
        {"no handle on a track shorter than 18", 17, 1000, 10, 0, {0, 0, 0, 0}},
        {"products beyond 32 bits", 3000, 2000000000, 1500000000, 4e8f, {600, 0, 2850, 16}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        TestRangeBar Bar;
        TrackOnly(Bar, C.Track, bsNone);
        Bar.SetParams(C.Range, C.Window);
        Bar.SetPosition(C.Position);
        EXPECT_EQ(Bar.GetHandleRect(), C.Handle);
    }
}

TEST(RangeBar, CentringKeepsTheMiddleOfTheWindowInPlace) {
    TRangeBar Bar;
    Bar.Centered = true;
    Bar.SetParams(1000, 100);
    Bar.SetPosition(450); // centre 500
    Bar.SetRange(2000);
    EXPECT_EQ(Bar.Position(), 950);

    // The automatic window follows the bar's size, keeping the centre.
    TRangeBar Auto;
    Auto.Centered = true;
    Auto.SetBounds(0, 0, 200, 16);
    Auto.SetRange(1000);
    EXPECT_EQ(Auto.EffectiveWindow(), 200);
    Auto.SetPosition(400);
    Auto.SetBounds(0, 0, 300, 16);
    EXPECT_EQ(Auto.EffectiveWindow(), 300);
    EXPECT_EQ(Auto.Position(), 350);
    // Setting the window the bar already has changes nothing, not even Window.
    Auto.SetWindow(300);
    EXPECT_EQ(Auto.Window(), 0);
}

// Dragging the handle by D pixels moves it by D pixels, whatever the track,
// the border and the handle's length: the drag measures the handle's own
// track. On a 19-pixel track with a border the short handle has two pixels
// to move over.
TEST(RangeBar, DraggingTheHandleMovesItWithThePointer) {
    struct Case {
        const char* Name;
        int Width;
        TBorderStyle Border;
        bool Arrows;
        int Range, Window, Drag;
        float Position;
    };
    const Case Cases[] = {
        {"19-pixel track, single border, one pixel", 21, bsSingle, false, 1000, 100, 1, 450},
        {"19-pixel track, single border, to the end", 21, bsSingle, false, 1000, 100, 2, 900},
        {"19-pixel track, no border", 19, bsNone, false, 1000, 100, 1, 450},
        {"short handle on 100 pixels", 102, bsSingle, false, 1000, 10, 20, 239},
        {"long handle between arrows", 202, bsSingle, true, 400, 200, 42, 100}, // track 168
        {"backwards past the start", 202, bsSingle, true, 400, 200, -43, 0},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        TestRangeBar Bar;
        Bar.SetShowArrows(C.Arrows);
        Bar.SetBorderStyle(C.Border);
        Bar.SetBounds(0, 0, C.Width, 16 + 2 * Bar.GetBorderSize());
        Bar.SetParams(C.Range, C.Window);
        ASSERT_TRUE(ShowAndWait(Bar));
        int UserChanges = 0;
        Bar.OnUserChange = [&](TObject*) { ++UserChanges; };
        const TRect Before = Bar.GetHandleRect();
        const QPoint Grip = Middle(Before);
        Press(Bar, Grip.x(), Grip.y());
        ASSERT_EQ(Bar.PressedZone, zHandle);
        EXPECT_EQ(Bar.RepeatTimerState, 3) << "a drag does not repeat";
        Drag(Bar, Grip.x() + C.Drag, Grip.y());
        EXPECT_EQ(Bar.Position(), C.Position);
        if (C.Position > 0) {
            EXPECT_EQ(Bar.GetHandleRect().Left - Before.Left, C.Drag);
            EXPECT_EQ(UserChanges, 1);
        }
        Release(Bar, Grip.x() + C.Drag, Grip.y());
    }
}

TEST(RangeBar, ADragOnATrackThatBecameTooShortChangesNothing) {
    TestRangeBar Bar;
    TrackOnly(Bar, 21, bsSingle);
    Bar.SetParams(1000, 100);
    ASSERT_TRUE(ShowAndWait(Bar));
    Press(Bar, 8, 7);
    ASSERT_EQ(Bar.PressedZone, zHandle);
    Bar.SetBounds(0, 0, 19, 18); // a 17-pixel track: no room for the handle to move
    Drag(Bar, 12, 7);
    EXPECT_EQ(Bar.Position(), 0);
    Bar.SetBounds(0, 0, 0, 18);
    Drag(Bar, 14, 7);
    EXPECT_EQ(Bar.Position(), 0);
    Release(Bar, 14, 7);
}

TEST(RangeBar, APressedTrackPagesUntilTheHandleReachesThePointer) {
    TestRangeBar Bar; // 100 x 16: track 14 .. 84 of the client
    Bar.SetParams(1000, 100);
    ASSERT_TRUE(ShowAndWait(Bar));
    Press(Bar, 50, 7);
    EXPECT_EQ(Bar.Position(), 100) << "one page at once";
    for (int Tick = 0; Tick < 8; ++Tick)
        Bar.TimerHandler();
    EXPECT_EQ(Bar.Position(), 400) << "the handle now lies under the pointer";
    EXPECT_EQ(Bar.GetZone(50, 7), zHandle);
    Release(Bar, 50, 7);

    Press(Bar, 20, 7);
    for (int Tick = 0; Tick < 8; ++Tick)
        Bar.TimerHandler();
    EXPECT_EQ(Bar.Position(), 100);
    Release(Bar, 20, 7);

    // The buttons step by Increment and stop at the end.
    Bar.SetIncrement(300);
    Press(Bar, 90, 7);
    Bar.TimerHandler();
    Bar.TimerHandler();
    EXPECT_EQ(Bar.Position(), 900);
    EXPECT_EQ(Bar.RepeatTimerState, 2);
    Bar.TimerHandler(); // nothing more to step: the repeat ends
    EXPECT_EQ(Bar.RepeatTimerState, 3);
    Release(Bar, 90, 7);
}

TEST(RangeBar, OneWheelNotchMovesByTheIncrement) {
    TRangeBar Bar;
    Bar.SetParams(1000, 100);
    Wheel(Bar, 120);
    EXPECT_EQ(Bar.Position(), 8);
    Wheel(Bar, 60);
    EXPECT_EQ(Bar.Position(), 12);
    Wheel(Bar, -240);
    EXPECT_EQ(Bar.Position(), 0);
    // A wheel handler that takes the notch leaves the position alone.
    int Ups = 0;
    Bar.OnMouseWheelUp = [&](TObject*, TShiftState, TPoint, bool& Handled) { Handled = ++Ups > 0; };
    Wheel(Bar, 120);
    EXPECT_EQ(Ups, 1);
    EXPECT_EQ(Bar.Position(), 0);
    Wheel(Bar, -120); // the down event is not assigned: the bar scrolls (and clamps)
    EXPECT_EQ(Bar.Position(), 0);
}

} // namespace
