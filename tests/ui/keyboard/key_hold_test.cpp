// The key handler's changes over the machine's time: key events that arrive
// together (before the machine runs) reach the key matrix one after the other,
// each staying there for KeyHoldTStates T-states of the machine, in the order
// they were typed, the releases of a focus loss too; the T-states count, not
// the calls. A letter typed again at once, whose events come marked as
// repeats, is pressed twice; the repeats of a held key, marked or not, are
// not presses.
#include "ui/keyboard/key_matrix.h"

#include "fixtures/qt_app_environment.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

using keyboard::KeyHoldTStates;
using keyboard::TKeyHandler;
using keyboard::TKeyMatrix;

::testing::Environment* const Environment =
    ::testing::AddGlobalTestEnvironment(new testing_qt::AppEnvironment<QGuiApplication>);

constexpr std::int64_t Hold = KeyHoldTStates;
constexpr int SlicesPerHold = 64;
constexpr std::int64_t Slice = Hold / SlicesPerHold;

// One key event as a platform delivers it: its type, key and the modifier
// state with it, whether it is marked as a repeat, its timestamp and when it
// reached the program; or the window's loss of the focus; or the machine
// running for a hold between two events.
struct Stroke {
    QEvent::Type Type;
    Qt::Key Key = Qt::Key_unknown;
    Qt::KeyboardModifiers State = {};
    bool Repeat = false;
    std::uint64_t Time = 0;   // ms of the window system's clock, 0: none
    std::int64_t Arrived = 0; // ms of the program's steady clock
};
constexpr QEvent::Type Press = QEvent::KeyPress, Release = QEvent::KeyRelease;
const Stroke FocusLost{QEvent::WindowDeactivate}, MachineRuns{QEvent::None};

// The keys down in the matrix by name, "-" for none; "?" for any other bit.
std::string Down(const TKeyMatrix& matrix) {
    TKeyMatrix rest;
    std::copy(std::begin(matrix), std::end(matrix), std::begin(rest));
    std::string names;
    const auto take = [&](int row, std::uint8_t bit, const char* name) {
        if (!(rest[row] & bit)) return;
        rest[row] = static_cast<std::uint8_t>(rest[row] & ~bit);
        names += (names.empty() ? "" : " ") + std::string(name);
    };
    take(4, 0x02, "A");
    take(4, 0x04, "B");
    take(keyboard::ModifierRow, keyboard::ShiftBit, "Shift");
    for (const std::uint8_t row : rest)
        if (row) return names + " ?";
    return names.empty() ? "-" : names;
}

// What the matrix shows from the moment the last stroke arrived (time 0):
// each change with the machine's time it came at.
using Timeline = std::vector<std::pair<std::int64_t, std::string>>;

// The strokes at once, then the machine runs in small slices for six holds.
Timeline Play(const std::vector<Stroke>& strokes) {
    TKeyMatrix matrix{};
    TKeyHandler keys(matrix);
    for (const Stroke& stroke : strokes) {
        if (stroke.Type == FocusLost.Type) {
            keys.ReleaseAllKeys();
        } else if (stroke.Type == MachineRuns.Type) {
            keys.MachineRan(Hold);
        } else {
            QKeyEvent event(stroke.Type, stroke.Key, stroke.State, QString(), stroke.Repeat);
            event.setTimestamp(stroke.Time);
            keys.KeyHandle(event, stroke.Arrived);
        }
    }
    Timeline shown{{0, Down(matrix)}};
    for (int i = 1; i <= 6 * SlicesPerHold; ++i) {
        keys.MachineRan(Slice);
        if (Down(matrix) != shown.back().second) shown.emplace_back(i * Slice, Down(matrix));
    }
    return shown;
}

struct BatchCase {
    const char* Name;
    std::vector<Stroke> Strokes;
    Timeline Expected;
};

TEST(KeyHold, StrokesThatArriveTogetherReachTheMatrixOneAfterTheOther) {
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const BatchCase cases[] = {
        {"press and release", {{Press, Qt::Key_A}, {Release, Qt::Key_A}}, {{0, "A"}, {Hold, "-"}}},
        {"a second release changes nothing",
         {{Press, Qt::Key_A}, {Release, Qt::Key_A}, {Release, Qt::Key_A}},
         {{0, "A"}, {Hold, "-"}}},
        {"press, release and press: the release shows between the two presses",
         {{Press, Qt::Key_A}, {Release, Qt::Key_A}, {Press, Qt::Key_A}},
         {{0, "A"}, {Hold, "-"}, {2 * Hold, "A"}}},
        {"two strokes of one key",
         {{Press, Qt::Key_A}, {Release, Qt::Key_A}, {Press, Qt::Key_A}, {Release, Qt::Key_A}},
         {{0, "A"}, {Hold, "-"}, {2 * Hold, "A"}, {3 * Hold, "-"}}},
        {"two keys, in the order typed",
         {{Press, Qt::Key_A}, {Release, Qt::Key_A}, {Press, Qt::Key_B}, {Release, Qt::Key_B}},
         {{0, "A"}, {Hold, "B"}, {2 * Hold, "-"}}},
        {"two keys rolled over",
         {{Press, Qt::Key_A}, {Press, Qt::Key_B}, {Release, Qt::Key_A}, {Release, Qt::Key_B}},
         {{0, "A B"}, {Hold, "-"}}},
        // As X11 reports it: a modifier key's event carries the state before it.
        {"Shift with a key: Shift stays down as long as the key",
         {{Press, Qt::Key_Shift},
          {Press, Qt::Key_A, shift},
          {Release, Qt::Key_A, shift},
          {Release, Qt::Key_Shift, shift}},
         {{0, "A Shift"}, {Hold, "-"}}},
        {"a key with a Shift this window did not see pressed: the key waits for its Shift",
         {{Press, Qt::Key_Shift}, MachineRuns, FocusLost, {Press, Qt::Key_A, shift}},
         {{0, "-"}, {Hold, "A Shift"}}},
        // The releases go to another window: every key comes up, each in its turn.
        {"focus lost with a key down", {{Press, Qt::Key_A}, FocusLost}, {{0, "A"}, {Hold, "-"}}},
        {"focus lost while changes wait: the press waiting is seen, then released",
         {{Press, Qt::Key_A}, {Release, Qt::Key_A}, {Press, Qt::Key_B}, FocusLost},
         {{0, "A"}, {Hold, "B"}, {2 * Hold, "-"}}},
        {"focus lost with Shift and a key down, and a key pressed when it is back",
         {{Press, Qt::Key_Shift}, {Press, Qt::Key_A, shift}, FocusLost, {Press, Qt::Key_A}},
         {{0, "A Shift"}, {Hold, "-"}, {2 * Hold, "A"}}},
    };
    for (const BatchCase& c : cases)
        EXPECT_EQ(Play(c.Strokes), c.Expected) << c.Name;
}

// A key's event at `time` of the window system's clock (ms), reaching the
// program at `arrived` of its own (at the same time when not given).
constexpr bool AsRepeat = true, Plain = false;
Stroke At(Qt::Key key, QEvent::Type type, bool repeat, std::uint64_t time, std::int64_t arrived = -1) {
    return {type, key, {}, repeat, time, arrived < 0 ? static_cast<std::int64_t>(time) : arrived};
}
Stroke A(QEvent::Type type, bool repeat, std::uint64_t time, std::int64_t arrived = -1) {
    return At(Qt::Key_A, type, repeat, time, arrived);
}

// A pressed once and twice.
const Timeline Once{{0, "A"}, {Hold, "-"}}, Twice{{0, "A"}, {Hold, "-"}, {2 * Hold, "A"}, {3 * Hold, "-"}};

// X11 marks a release as a repeat when a press of the same key with the same
// timestamp waits behind it, and marks that press too: a held key's repeat,
// and a letter typed twice with no delay alike. Only the keyboard's own
// repeats, which start after its repeat delay, are dropped.
TEST(KeyHold, ALetterTypedAgainAtOnceIsPressedAgainAndAHeldKeyOnce) {
    constexpr std::uint64_t t = 5'000'000;
    const std::uint64_t floor = keyboard::RepeatFloorMs;
    const BatchCase cases[] = {
        {"a doubled letter at one instant",
         {A(Press, Plain, t), A(Release, AsRepeat, t), A(Press, AsRepeat, t), A(Release, Plain, t)},
         Twice},
        {"a doubled letter whose second press came just under the floor after the first",
         {A(Press, Plain, t), A(Release, AsRepeat, t + floor - 1), A(Press, AsRepeat, t + floor - 1),
          A(Release, Plain, t + floor - 1)},
         Twice},
        {"a letter typed three times at once, the last more than the floor after the first",
         {A(Press, Plain, t), A(Release, AsRepeat, t + 60), A(Press, AsRepeat, t + 60),
          A(Release, AsRepeat, t + 120), A(Press, AsRepeat, t + 120), A(Release, Plain, t + 120)},
         {{0, "A"}, {Hold, "-"}, {2 * Hold, "A"}, {3 * Hold, "-"}, {4 * Hold, "A"}, {5 * Hold, "-"}}},
        {"held: the first repeat at the floor",
         {A(Press, Plain, t), A(Release, AsRepeat, t + floor), A(Press, AsRepeat, t + floor),
          A(Release, Plain, t + floor + 20)},
         Once},
        {"held past the repeat delay, repeating as release and press pairs",
         {A(Press, Plain, t), A(Release, AsRepeat, t + 660), A(Press, AsRepeat, t + 660),
          A(Release, AsRepeat, t + 700), A(Press, AsRepeat, t + 700), A(Release, Plain, t + 720)},
         Once},
        {"held while the program was busy: the repeats reach it together with the press",
         {A(Press, Plain, t, 0), A(Release, AsRepeat, t + 660, 0), A(Press, AsRepeat, t + 660, 0),
          A(Release, Plain, t + 680, 0)},
         Once},
        {"held, repeating as presses alone",
         {A(Press, Plain, t), A(Press, AsRepeat, t + 500), A(Press, AsRepeat, t + 530),
          A(Release, Plain, t + 550)},
         Once},
        {"held, repeated by the window system itself with the press's own timestamp",
         {A(Press, Plain, t, 0), A(Release, AsRepeat, t, 600), A(Press, AsRepeat, t, 600),
          A(Release, AsRepeat, t, 640), A(Press, AsRepeat, t, 640), A(Release, Plain, t + 700, 700)},
         Once},
        {"repeats without a timestamp, as a program makes them",
         {A(Press, Plain, 0), A(Release, AsRepeat, 0), A(Press, AsRepeat, 0), A(Release, Plain, 0)},
         Once},
        {"a repeat stamped before the key's press",
         {A(Press, Plain, t), A(Release, AsRepeat, t - 1, t), A(Press, AsRepeat, t - 1, t),
          A(Release, Plain, t)},
         Once},
        {"held while another key is typed: that key's press is not the held key's",
         {A(Press, Plain, t), At(Qt::Key_B, Press, Plain, t + 600), At(Qt::Key_B, Release, Plain, t + 610),
          A(Release, AsRepeat, t + 660), A(Press, AsRepeat, t + 660), A(Release, Plain, t + 680)},
         {{0, "A B"}, {Hold, "-"}}},
    };
    for (const BatchCase& c : cases)
        EXPECT_EQ(Play(c.Strokes), c.Expected) << c.Name;
}

// X11 marks a repeat only when its press already waits behind its release;
// else the two come unmarked, with one timestamp. So a release of a key held
// past the floor waits for the next event, or two slices, to tell.
TEST(KeyHold, AnUnmarkedRepeatKeepsTheKeyDown) {
    constexpr std::uint64_t t = 5'000'000;
    constexpr std::int64_t waits = keyboard::HeldReleaseSlices * Slice;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const BatchCase cases[] = {
        {"a doubled letter at one instant, unmarked",
         {A(Press, Plain, t), A(Release, Plain, t), A(Press, Plain, t), A(Release, Plain, t)},
         Twice},
        {"a letter typed twice at a person's pace",
         {A(Press, Plain, t), A(Release, Plain, t + 150), A(Press, Plain, t + 250),
          A(Release, Plain, t + 300)},
         Twice},
        {"held, a repeat unmarked among marked ones",
         {A(Press, Plain, t), A(Release, AsRepeat, t + 660), A(Press, AsRepeat, t + 660),
          A(Release, Plain, t + 700), A(Press, Plain, t + 700), A(Release, AsRepeat, t + 740),
          A(Press, AsRepeat, t + 740), A(Release, Plain, t + 760)},
         {{0, "A"}, {Hold, "-"}}},
        {"held while the machine runs, a repeat unmarked: the machine never sees its release",
         {A(Press, Plain, t), MachineRuns, A(Release, Plain, t + 700), A(Press, Plain, t + 700),
          A(Release, Plain, t + 760)},
         {{0, "A"}, {waits, "-"}}},
        {"Shift held while the machine runs, a repeat unmarked",
         {At(Qt::Key_Shift, Press, Plain, t), MachineRuns, At(Qt::Key_Shift, Release, Plain, t + 700),
          At(Qt::Key_Shift, Press, Plain, t + 700), At(Qt::Key_Shift, Release, Plain, t + 760)},
         {{0, "Shift"}, {waits, "-"}}},
        {"held, the press of an unmarked repeat two slices after its release: up, and down again",
         {A(Press, Plain, t), MachineRuns, A(Release, Plain, t + 700), MachineRuns, MachineRuns,
          A(Press, Plain, t + 700), A(Release, Plain, t + 760)},
         {{0, "-"}, {Hold, "A"}, {2 * Hold, "-"}}},
        {"a release after a hold comes before the next key's press",
         {A(Press, Plain, t), MachineRuns, A(Release, Plain, t + 300), At(Qt::Key_B, Press, Plain, t + 350)},
         {{0, "B"}}},
        {"focus lost while a release after a hold waits: it goes with the others, and its Shift",
         {At(Qt::Key_Shift, Press, Plain, t),
          {Press, Qt::Key_A, shift, Plain, t, t},
          MachineRuns,
          {Release, Qt::Key_A, shift, Plain, t + 300, t + 300},
          FocusLost,
          At(Qt::Key_B, Press, Plain, t + 400)},
         {{0, "B"}}},
    };
    for (const BatchCase& c : cases)
        EXPECT_EQ(Play(c.Strokes), c.Expected) << c.Name;
}

TEST(KeyHold, TheMachinesTStatesCountNotTheCalls) {
    // A program that scans the keyboard once a 50 Hz frame sees a change that
    // stays 20 ms: 160000 T-states at 8 MHz.
    EXPECT_GE(Hold, 160000);
    TKeyMatrix matrix{};
    TKeyHandler keys(matrix);
    keys.KeyHandle(QKeyEvent(Press, Qt::Key_A, {}));
    keys.KeyHandle(QKeyEvent(Release, Qt::Key_A, {}));
    // The emulation stopped: no time passes, however often the driver reports.
    for (int i = 0; i < 100; ++i)
        keys.MachineRan(0);
    keys.MachineRan(-4);
    EXPECT_EQ(Down(matrix), "A") << "no time has passed";
    keys.MachineRan(Hold - 1);
    EXPECT_EQ(Down(matrix), "A") << "one T-state short";
    keys.MachineRan(1);
    EXPECT_EQ(Down(matrix), "-");

    // A press right after: the release is seen for a whole hold first.
    keys.KeyHandle(QKeyEvent(Press, Qt::Key_A, {}));
    EXPECT_EQ(Down(matrix), "-");
    keys.MachineRan(Hold);
    EXPECT_EQ(Down(matrix), "A");
    // Released once the press has had its time: at once, as from a person.
    keys.MachineRan(2 * Hold);
    keys.KeyHandle(QKeyEvent(Release, Qt::Key_A, {}));
    EXPECT_EQ(Down(matrix), "-");
}

} // namespace
