// The arrow bar common to the range and gauge bars: button sizes, zones, the
// classic and flat looks and the border as painted, the repeat of a held
// button (at once, after 600 ms, then every 100 ms) and hover tracking.
#include "bars_test_support.h"

#include <QElapsedTimer>

using namespace gfx;
using namespace controls_test;
using namespace bars_test;

namespace {

TEST(ArrowBar, ButtonsTakeTheThicknessWithinHalfTheLength) {
    struct Case {
        const char* Name;
        int W, H;
        TBorderStyle Border;
        TRBStyle Style;
        int ButtonSize;
        bool Arrows;
        int Expected;
    };
    const Case Cases[] = {
        {"new bar: 100 x 16, client 98 x 14", 100, 16, bsSingle, rbsDefault, 0, true, 14},
        {"no border", 100, 16, bsNone, rbsDefault, 0, true, 16},
        {"flat look: one less", 100, 16, bsSingle, rbsMac, 0, true, 13},
        {"thick bar: at most 32", 200, 50, bsNone, rbsDefault, 0, true, 32},
        {"client length 3: 1, below 2", 5, 16, bsSingle, rbsDefault, 0, true, 0},
        {"ButtonSize 40 on 60 pixels", 60, 16, bsNone, rbsDefault, 40, true, 30},
        {"ButtonSize 10", 60, 16, bsNone, rbsDefault, 10, true, 10},
        {"no arrows", 100, 16, bsSingle, rbsDefault, 0, false, 0},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        TGaugeBar Bar;
        Bar.SetBounds(0, 0, C.W, C.H);
        Bar.SetBorderStyle(C.Border);
        Bar.SetStyle(C.Style);
        Bar.SetButtonSize(C.ButtonSize);
        Bar.SetShowArrows(C.Arrows);
        EXPECT_EQ(Bar.GetButtonSize(), C.Expected);
    }
    TGaugeBar Vertical;
    Vertical.SetKind(sbVertical);
    EXPECT_EQ(Vertical.Width(), 100) << "at run time the kind does not swap the size";
    Vertical.SetBounds(0, 0, 16, 100);
    EXPECT_EQ(Vertical.GetButtonSize(), 14);
    EXPECT_EQ(Vertical.GetTrackBoundary(), (TRect{0, 14, 14, 84}));
}

TEST(ArrowBar, ZonesFollowTheButtonsAndTheHandle) {
    TestGaugeBar Bar; // 100 x 16: client 98 x 14, buttons 14, track 14 .. 84
    Bar.SetPosition(50);
    ASSERT_EQ(Bar.GetHandleRect(), (TRect{42, 0, 56, 14})); // 14 long at Round(56 * 50 / 100)
    const std::pair<QPoint, TRBZone> Zones[] = {
        {{0, 7}, zBtnPrev},  {{13, 0}, zBtnPrev},  {{14, 7}, zTrackPrev}, {{41, 13}, zTrackPrev},
        {{42, 7}, zHandle},  {{55, 7}, zHandle},   {{56, 7}, zTrackNext}, {{83, 7}, zTrackNext},
        {{84, 7}, zBtnNext}, {{97, 13}, zBtnNext}, {{98, 7}, zNone},      {{-1, 7}, zNone},
        {{50, 14}, zNone},
    };
    for (const auto& [P, Zone] : Zones)
        EXPECT_EQ(Bar.GetZone(P.x(), P.y()), Zone) << P.x() << "," << P.y();
    EXPECT_EQ(Bar.GetZoneRect(zTrackPrev), (TRect{14, 0, 42, 14}));
    EXPECT_EQ(Bar.GetZoneRect(zTrackNext), (TRect{56, 0, 84, 14}));

    // Without buttons the first and the last column belong to no zone.
    Bar.SetShowArrows(false); // the handle now 42 .. 56 of a track 0 .. 98
    EXPECT_EQ(Bar.GetZone(0, 7), zNone);
    EXPECT_EQ(Bar.GetZone(96, 7), zTrackNext);
    EXPECT_EQ(Bar.GetZone(97, 7), zNone);

    // A bar that does not draw enabled splits its track in the middle.
    Bar.SetShowArrows(true);
    Bar.SetEnabled(false);
    EXPECT_EQ(Bar.GetZoneRect(zHandle), (TRect{49, 7, 49, 7}));
    EXPECT_EQ(Bar.GetZoneRect(zTrackNext), (TRect{49, 0, 84, 14}));
}

TEST(ArrowBar, ColoursAreShadedAndMixedPerChannel) {
    EXPECT_EQ(ShadeColor(0x102030, 24), 0x283848);
    EXPECT_EQ(ShadeColor(0xF00508, -24), 0xD80000);
    EXPECT_EQ(ShadeColor(clBtnShadow, 24), 0xB8B8B8) << "a system colour is resolved first";
    EXPECT_EQ(MixColors(0xFFFFFF, 0x000000, 127), 0x7E7E7E);
    EXPECT_EQ(MixColors(0x0000FF, 0xFF0000, 255), 0x0000FE);
    EXPECT_EQ(MixColors(0x804020, 0x204080, 0), 0x1F3F7F);
    EXPECT_THROW(MixColors(0, 0, 256), platform::EAssertionFailed);
}

// The classic look of a new gauge bar: a sunken border, raised buttons, a
// dithered track and a raised handle at the start.
TEST(ArrowBar, TheClassicLookIsPaintedWithTheBorderAroundIt) {
    TGaugeBar Bar;
    const QImage P = Painted(Bar);
    ASSERT_EQ(P.size(), QSize(100, 16));
    auto Is = [&](int X, int Y, TWinColor C) {
        return (P.pixel(X, Y) & 0xFFFFFF) == Color32(C) - 0xFF000000u;
    };
    EXPECT_TRUE(Is(0, 0, clBtnShadow) && Is(99, 0, clBtnHighlight) && Is(0, 14, clBtnShadow) &&
                Is(0, 15, clBtnHighlight) && Is(99, 15, clBtnHighlight))
        << "the sunken border, its far corners light";
    EXPECT_TRUE(Is(1, 1, cl3DLight) && Is(14, 14, cl3DDkShadow) && Is(7, 4, clBtnFace)) << "a raised button";
    EXPECT_TRUE(Is(7, 8, clBtnText)) << "with its arrow";
    // The handle 14 .. 28 of the client, the track's dither beyond it.
    EXPECT_TRUE(Is(15, 1, cl3DLight) && Is(22, 8, clBtnFace));
    for (int X = 40; X < 44; ++X)
        EXPECT_TRUE(Is(X, 8, (X + 8) % 2 == 0 ? clBtnHighlight : clScrollBar)) << X;
    // Without a border the client area fills the control.
    Bar.SetBorderStyle(bsNone);
    const QImage Q = Painted(Bar);
    EXPECT_EQ(Q.pixel(0, 0) & 0xFFFFFF, Color32(cl3DLight) & 0xFFFFFF);
}

TEST(ArrowBar, ADisabledFlatBarShowsEmbossedArrowsFaceTracksAndNoHandle) {
    TGaugeBar Bar;
    Bar.SetStyle(rbsMac);
    Bar.SetHandleColor(0x0000FF); // a red handle, to look for
    Bar.SetPosition(50);
    auto Count = [](const QImage& P, QRect Area, TWinColor C) {
        int N = 0;
        for (int Y = Area.top(); Y <= Area.bottom(); ++Y)
            for (int X = Area.left(); X <= Area.right(); ++X)
                N += (P.pixel(X, Y) & 0xFFFFFF) == (Color32(C) & 0xFFFFFF);
        return N;
    };
    const QImage On = Painted(Bar);
    EXPECT_GT(Count(On, QRect(15, 1, 70, 14), 0x0000FF), 50) << "the handle shows while enabled";
    EXPECT_GT(Count(On, QRect(1, 1, 13, 14), clBtnText), 2) << "a black arrow";

    Bar.SetEnabled(false);
    const QImage Off = Painted(Bar);
    EXPECT_EQ(Count(Off, QRect(1, 1, 98, 14), 0x0000FF), 0) << "no handle";
    EXPECT_EQ(Count(Off, QRect(1, 1, 13, 14), clBtnText), 0);
    EXPECT_GT(Count(Off, QRect(3, 3, 9, 9), clBtnHighlight), 2) << "the arrow's light copy";
    EXPECT_GT(Count(Off, QRect(3, 3, 9, 9), clBtnShadow), 2) << "the arrow's shadow copy";
    EXPECT_EQ(Count(Off, QRect(16, 2, 60, 11), clBtnFace), 60 * 11) << "the tracks in button face";
}

TEST(ArrowBar, APressedButtonStepsAtOnceAfter600MsAndThenEvery100Ms) {
    TestGaugeBar Bar;
    ASSERT_TRUE(ShowAndWait(Bar));
    QElapsedTimer Clock;
    Clock.start();
    Press(Bar, 90, 7);
    EXPECT_EQ(Bar.Position(), 1) << "the first step comes with the press";
    EXPECT_EQ(Bar.PressedZone, zBtnNext);
    EXPECT_EQ(Bar.RepeatTimer->interval(), 600);
    EXPECT_TRUE(Bar.RepeatTimer->isActive());

    ASSERT_TRUE(QTest::qWaitFor([&] { return Bar.Position() >= 2; }, 5000));
    EXPECT_GE(Clock.elapsed(), 590);
    EXPECT_EQ(Bar.RepeatTimer->interval(), 100);
    const qint64 Second = Clock.elapsed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Bar.Position() >= 4; }, 5000));
    EXPECT_LT(Clock.elapsed() - Second, 1200) << "two steps faster than the first delay";

    Release(Bar, 90, 7);
    const int32_t Held = Bar.Position();
    EXPECT_EQ(Bar.PressedZone, zNone);
    EXPECT_EQ(Bar.RepeatTimerState, 3) << "back to hover tracking";
    EXPECT_EQ(Bar.RepeatTimer->interval(), 150);
    QTest::qWait(250);
    EXPECT_EQ(Bar.Position(), Held);
}

TEST(ArrowBar, TheTimerStatesOfAPressAndOfHovering) {
    TestGaugeBar Bar;
    ASSERT_TRUE(ShowAndWait(Bar));
    Press(Bar, 90, 7);
    EXPECT_EQ(Bar.RepeatTimerState, 1);
    Bar.TimerHandler(); // the first delay has passed
    EXPECT_EQ(Bar.RepeatTimerState, 2);
    EXPECT_EQ(Bar.RepeatTimer->interval(), 100);
    EXPECT_EQ(Bar.Position(), 2);
    Release(Bar, 90, 7);

    // At the end of the range the repeat gives way to hover tracking.
    Bar.SetPosition(99);
    Press(Bar, 90, 7);
    EXPECT_EQ(Bar.Position(), 100);
    Bar.TimerHandler();
    EXPECT_EQ(Bar.Position(), 100);
    EXPECT_EQ(Bar.RepeatTimerState, 3);
    EXPECT_EQ(Bar.RepeatTimer->interval(), 150);
    Release(Bar, 90, 7);
    Bar.SetPosition(0);

    // Hovering highlights the zone under the pointer until it leaves.
    QTest::mouseMove(&Bar, At(Bar, 60, 7));
    EXPECT_EQ(Bar.HoverZone, zTrackNext);
    EXPECT_EQ(Bar.RepeatTimerState, 3);
    EXPECT_TRUE(Bar.RepeatTimer->isActive());
    Bar.TimerHandler(); // the pointer is still inside: nothing changes
    EXPECT_EQ(Bar.HoverZone, zTrackNext);
    QTest::mouseMove(&Bar, QPoint(300, 300));
    RunPaints();
    EXPECT_EQ(Bar.HoverZone, zNone);
    EXPECT_FALSE(Bar.RepeatTimer->isActive());
}

TEST(ArrowBar, ChangesRaiseOnChangeAndTheUsersAlsoOnUserChange) {
    TestGaugeBar Bar;
    ASSERT_TRUE(ShowAndWait(Bar));
    std::vector<std::string> Log;
    Bar.OnChange = [&](TObject* S) { Log.push_back(S == &Bar ? "change" : "?"); };
    Bar.OnUserChange = [&](TObject* S) { Log.push_back(S == &Bar ? "user" : "?"); };
    Bar.SetPosition(10);
    EXPECT_EQ(Log, (std::vector<std::string>{"change"}));
    Press(Bar, 90, 7);
    Release(Bar, 90, 7);
    EXPECT_EQ(Log, (std::vector<std::string>{"change", "change", "user"}));
    Wheel(Bar, 120); // the wheel is not the user's change
    EXPECT_EQ(Bar.Position(), 12);
    EXPECT_EQ(Log.back(), "change");
}

} // namespace
