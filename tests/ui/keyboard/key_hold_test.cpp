// The key handler's changes over the machine's time: key events that arrive
// together (before the machine runs) reach the key matrix one after the other,
// each staying there for KeyHoldTStates T-states of the machine, in the order
// they were typed, the releases of a focus loss too; the T-states count, not
// the calls.
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

// One key event as a platform delivers it: its type, key and the modifier
// state with it; or the window's loss of the focus; or the machine running
// for a hold between two events.
struct Stroke {
    QEvent::Type Type;
    Qt::Key Key = Qt::Key_unknown;
    Qt::KeyboardModifiers State = {};
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

// The strokes at once, then the machine runs in small slices for five holds.
Timeline Play(const std::vector<Stroke>& strokes) {
    TKeyMatrix matrix{};
    TKeyHandler keys(matrix);
    for (const Stroke& stroke : strokes) {
        if (stroke.Type == FocusLost.Type)
            keys.ReleaseAllKeys();
        else if (stroke.Type == MachineRuns.Type)
            keys.MachineRan(Hold);
        else
            keys.KeyHandle(QKeyEvent(stroke.Type, stroke.Key, stroke.State));
    }
    Timeline shown{{0, Down(matrix)}};
    constexpr std::int64_t slice = Hold / 64;
    for (std::int64_t time = slice; time <= 5 * Hold; time += slice) {
        keys.MachineRan(slice);
        if (Down(matrix) != shown.back().second) shown.emplace_back(time, Down(matrix));
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
