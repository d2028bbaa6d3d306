// The key handler: a table of PC keys, by native scan code and by Qt key,
// through press, auto-repeat, release and focus loss into the key matrix; the
// modifier row; the key table's own shape.
#include "ui/keyboard/key_matrix.h"

#include "fixtures/qt_app_environment.h"
#include "ui/keyboard/virtual_keys.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>

namespace {

using keyboard::TKeyMatrix;

::testing::Environment* const Environment =
    ::testing::AddGlobalTestEnvironment(new testing_qt::AppEnvironment<QGuiApplication>);

constexpr int None = -1;

struct KeyCase {
    const char* Name;
    int Evdev;                         // evdev code of the key's position
    int QtKey;                         // Qt key of a US layout
    Qt::KeyboardModifiers QtModifiers; // what Qt reports with it (the keypad flag)
    int Row;                           // None: not a key of the machine
    int Bit;
};

const KeyCase Keys[] = {
    // letters and digits
    {"A", 30, Qt::Key_A, {}, 4, 1},
    {"M", 50, Qt::Key_M, {}, 5, 5},
    {"W", 17, Qt::Key_W, {}, 6, 7},
    {"Z", 44, Qt::Key_Z, {}, 7, 2},
    {"0", 11, Qt::Key_0, {}, 8, 0},
    {"7", 8, Qt::Key_7, {}, 8, 7},
    {"9", 10, Qt::Key_9, {}, 9, 1},
    // punctuation by position
    {"slash", 53, Qt::Key_Slash, {}, 4, 0},
    {"apostrophe", 40, Qt::Key_Apostrophe, {}, 7, 3},
    {"backslash", 43, Qt::Key_Backslash, {}, 7, 4},
    {"full stop", 52, Qt::Key_Period, {}, 7, 6},
    {"comma", 51, Qt::Key_Comma, {}, 7, 7},
    {"semicolon", 39, Qt::Key_Semicolon, {}, 9, 2},
    {"backquote", 41, Qt::Key_QuoteLeft, {}, 9, 3},
    {"equals", 13, Qt::Key_Equal, {}, 9, 4},
    {"left bracket", 26, Qt::Key_BracketLeft, {}, 9, 6},
    {"right bracket", 27, Qt::Key_BracketRight, {}, 10, 0},
    // function, editing and cursor keys
    {"F1", 59, Qt::Key_F1, {}, 0, 0},
    {"F8", 66, Qt::Key_F8, {}, 0, 7},
    {"F10", 68, Qt::Key_F10, {}, 1, 1},
    {"Tab", 15, Qt::Key_Tab, {}, 3, 0},
    {"Space", 57, Qt::Key_Space, {}, 3, 1},
    {"Return", 28, Qt::Key_Return, {}, 3, 2},
    {"Up", 103, Qt::Key_Up, {}, 3, 3},
    {"Down", 108, Qt::Key_Down, {}, 3, 4},
    {"Left", 105, Qt::Key_Left, {}, 3, 5},
    {"Right", 106, Qt::Key_Right, {}, 3, 6},
    {"Escape", 1, Qt::Key_Escape, {}, 3, 7},
    {"Home", 102, Qt::Key_Home, {}, 10, 2},
    {"Backspace", 14, Qt::Key_Backspace, {}, 10, 3},
    {"Caps Lock", 58, Qt::Key_CapsLock, {}, 11, 1},
    // keypad
    {"keypad 0", 82, Qt::Key_0, Qt::KeypadModifier, 2, 0},
    {"keypad 5", 76, Qt::Key_5, Qt::KeypadModifier, 2, 5},
    {"keypad 7", 71, Qt::Key_7, Qt::KeypadModifier, 2, 7},
    {"keypad 8", 72, Qt::Key_8, Qt::KeypadModifier, 1, 2},
    {"keypad 9", 73, Qt::Key_9, Qt::KeypadModifier, 1, 3},
    {"keypad .", 83, Qt::Key_Period, Qt::KeypadModifier, 1, 5},
    {"keypad +", 78, Qt::Key_Plus, Qt::KeypadModifier, 1, 6},
    {"keypad -", 74, Qt::Key_Minus, Qt::KeypadModifier, 1, 7},
    {"keypad *", 55, Qt::Key_Asterisk, Qt::KeypadModifier, 7, 5},
    {"keypad /", 98, Qt::Key_Slash, Qt::KeypadModifier, 9, 5},
    {"keypad Enter", 96, Qt::Key_Enter, Qt::KeypadModifier, 3, 2},
    {"keypad 1, Num Lock off", 79, Qt::Key_End, Qt::KeypadModifier, 2, 1},
    // keys the machine does not have
    {"minus", 12, Qt::Key_Minus, {}, None, 0},
    {"Insert", 110, Qt::Key_Insert, {}, None, 0},
    {"Delete", 111, Qt::Key_Delete, {}, None, 0},
    {"Page Up", 104, Qt::Key_PageUp, {}, None, 0},
    {"End", 107, Qt::Key_End, {}, None, 0},
    {"F11", 87, Qt::Key_F11, {}, None, 0},
    {"F12", 88, Qt::Key_F12, {}, None, 0},
    {"Num Lock", 69, Qt::Key_NumLock, {}, None, 0},
    {"Meta", 125, Qt::Key_Meta, {}, None, 0},
    {"keypad separator", 121, Qt::Key_Comma, Qt::KeypadModifier, None, 0},
};

const KeyCase& Key(const std::string& name) {
    for (const KeyCase& key : Keys) {
        if (name == key.Name) return key;
    }
    throw std::invalid_argument(name);
}

enum class Source { ScanCode, QtKey };

// A key event as the platform delivers it: from X11 or Wayland with the native
// scan code, or without one (offscreen, synthetic) with only the Qt key.
std::unique_ptr<QKeyEvent> Event(const KeyCase& key, Source source, QEvent::Type type,
                                 bool autoRepeat = false, Qt::KeyboardModifiers extra = {}) {
    if (source == Source::ScanCode) {
        // The native event's Qt key is the layout's; the position alone must decide.
        return std::make_unique<QKeyEvent>(type, Qt::Key_unknown, key.QtModifiers | extra,
                                           static_cast<quint32>(key.Evdev + 8), 0, 0, QString(), autoRepeat);
    }
    return std::make_unique<QKeyEvent>(type, key.QtKey, key.QtModifiers | extra, 0, 0, 0, QString(),
                                       autoRepeat);
}

std::array<std::uint8_t, 12> Rows(const TKeyMatrix& matrix) {
    std::array<std::uint8_t, 12> rows{};
    std::memcpy(rows.data(), matrix, rows.size());
    return rows;
}

std::array<std::uint8_t, 12> Pressed(const KeyCase& key) {
    std::array<std::uint8_t, 12> rows{};
    if (key.Row != None) rows[key.Row] = static_cast<std::uint8_t>(1u << key.Bit);
    return rows;
}

TEST(KeyMatrix, KeysPressReleaseRepeatAndFocusLoss) {
    const std::array<std::uint8_t, 12> released{};
    for (const Source source : {Source::ScanCode, Source::QtKey}) {
        for (const KeyCase& key : Keys) {
            SCOPED_TRACE(std::string(key.Name) +
                         (source == Source::ScanCode ? " by scan code" : " by Qt key"));
            TKeyMatrix matrix{};
            keyboard::KeyHandle(matrix, *Event(key, source, QEvent::KeyPress));
            EXPECT_EQ(Rows(matrix), Pressed(key)) << "press";

            // Held: X11 repeats as release and press pairs, both marked as repeats.
            for (int i = 0; i < 3; ++i) {
                keyboard::KeyHandle(matrix, *Event(key, source, QEvent::KeyRelease, true));
                keyboard::KeyHandle(matrix, *Event(key, source, QEvent::KeyPress, true));
            }
            EXPECT_EQ(Rows(matrix), Pressed(key)) << "auto-repeat";

            keyboard::KeyHandle(matrix, *Event(key, source, QEvent::KeyRelease));
            EXPECT_EQ(Rows(matrix), released) << "release";
            keyboard::KeyHandle(matrix, *Event(key, source, QEvent::KeyRelease));
            EXPECT_EQ(Rows(matrix), released) << "a second release";

            // Pressed, then the window loses the focus and the release goes elsewhere.
            keyboard::KeyHandle(matrix, *Event(key, source, QEvent::KeyPress));
            keyboard::ReleaseAllKeys(matrix);
            EXPECT_EQ(Rows(matrix), released) << "focus loss";
        }
    }
}

TEST(KeyMatrix, KeysGoByPositionNotByTheLayoutsSymbol) {
    // On a German layout the key right of T types Z: it is still the machine's Y.
    TKeyMatrix matrix{};
    keyboard::KeyHandle(matrix, QKeyEvent(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, 21 + 8, 0, 0));
    EXPECT_EQ(matrix[7], 0x02);
    EXPECT_EQ(matrix[7] & 0x04, 0) << "not Z";
    // Without a scan code, symbols typed with Shift give their key: ! is 1, ? is /.
    EXPECT_EQ(keyboard::VirtualKeyFromQtKey(Qt::Key_Exclam, Qt::ShiftModifier), '1');
    EXPECT_EQ(keyboard::VirtualKeyFromQtKey(Qt::Key_Question, Qt::ShiftModifier), 191);
    EXPECT_EQ(keyboard::VirtualKeyFromQtKey(Qt::Key_Underscore, Qt::ShiftModifier), 189);
    // An unknown scan code falls back to the Qt key.
    EXPECT_EQ(keyboard::VirtualKeyOf(QKeyEvent(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, 300, 0, 0)), 'B');
}

// Ctrl, Shift and Alt reach row 11 only through the modifier state. A platform
// reports the state before or after the modifier key's own event; both work.
TEST(KeyMatrix, ModifierRowFollowsTheState) {
    struct ModifierCase {
        const char* Name;
        int Evdev;
        int QtKey;
        Qt::KeyboardModifier Modifier;
        std::uint8_t Bit;
    };
    const ModifierCase modifiers[] = {
        {"left Shift", 42, Qt::Key_Shift, Qt::ShiftModifier, keyboard::ShiftBit},
        {"right Shift", 54, Qt::Key_Shift, Qt::ShiftModifier, keyboard::ShiftBit},
        {"left Ctrl", 29, Qt::Key_Control, Qt::ControlModifier, keyboard::CtrlBit},
        {"right Ctrl", 97, Qt::Key_Control, Qt::ControlModifier, keyboard::CtrlBit},
        {"left Alt", 56, Qt::Key_Alt, Qt::AltModifier, keyboard::AltBit},
        {"right Alt", 100, Qt::Key_Alt, Qt::AltModifier, keyboard::AltBit},
    };
    for (const auto& m : modifiers) {
        for (const bool byScanCode : {true, false}) {
            for (const bool stateAfter : {true, false}) {
                SCOPED_TRACE(std::string(m.Name) + (byScanCode ? " by scan code" : " by Qt key") +
                             (stateAfter ? ", state after the event" : ", state before the event"));
                const quint32 scan = byScanCode ? static_cast<quint32>(m.Evdev + 8) : 0;
                const int qtKey = byScanCode ? int(Qt::Key_unknown) : m.QtKey;
                TKeyMatrix matrix{};
                matrix[keyboard::ModifierRow] = keyboard::CapsLockBit; // kept
                keyboard::KeyHandle(matrix, QKeyEvent(QEvent::KeyPress, qtKey,
                                                      stateAfter ? m.Modifier : Qt::NoModifier, scan, 0, 0));
                EXPECT_EQ(matrix[keyboard::ModifierRow], keyboard::CapsLockBit | m.Bit) << "press";
                keyboard::KeyHandle(matrix, QKeyEvent(QEvent::KeyRelease, qtKey,
                                                      stateAfter ? Qt::NoModifier : m.Modifier, scan, 0, 0));
                EXPECT_EQ(matrix[keyboard::ModifierRow], keyboard::CapsLockBit) << "release";
                for (int r = 0; r < keyboard::ModifierRow; ++r)
                    EXPECT_EQ(matrix[r], 0) << "row " << r;
            }
        }
    }
}

TEST(KeyMatrix, ShiftWithAKeyAndFocusLossWithAModifierHeld) {
    const KeyCase& a = Key("A");
    TKeyMatrix matrix{};
    keyboard::KeyHandle(matrix, QKeyEvent(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, 42 + 8, 0, 0));
    keyboard::KeyHandle(matrix, *Event(a, Source::ScanCode, QEvent::KeyPress, false, Qt::ShiftModifier));
    EXPECT_EQ(matrix[4], 0x02);
    EXPECT_EQ(matrix[11], keyboard::ShiftBit);
    keyboard::KeyHandle(matrix,
                        QKeyEvent(QEvent::KeyRelease, Qt::Key_Shift, Qt::ShiftModifier, 42 + 8, 0, 0));
    EXPECT_EQ(matrix[4], 0x02) << "A still held";
    EXPECT_EQ(matrix[11], 0);
    keyboard::KeyHandle(matrix, *Event(a, Source::ScanCode, QEvent::KeyRelease));
    EXPECT_EQ(matrix[4], 0);

    // Focus lost with A, Caps Lock and Ctrl down: every key is released, Ctrl
    // too, since its release goes to the window that took the focus; Ctrl
    // still held when the focus comes back counts again.
    keyboard::KeyHandle(matrix, *Event(a, Source::ScanCode, QEvent::KeyPress, false, Qt::ControlModifier));
    keyboard::KeyHandle(
        matrix, *Event(Key("Caps Lock"), Source::ScanCode, QEvent::KeyPress, false, Qt::ControlModifier));
    EXPECT_EQ(matrix[11], keyboard::CtrlBit | keyboard::CapsLockBit);
    keyboard::ReleaseAllKeys(matrix);
    EXPECT_EQ(Rows(matrix), (std::array<std::uint8_t, 12>{}));
    keyboard::FollowModifiers(matrix, Qt::ControlModifier);
    const std::array<std::uint8_t, 12> ctrlOnly{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, keyboard::CtrlBit};
    EXPECT_EQ(Rows(matrix), ctrlOnly);
}

// The QTest path: synthetic events carry no scan code.
class KeyWindow : public QWindow {
  public:
    TKeyMatrix Matrix{};

  protected:
    void keyPressEvent(QKeyEvent* event) override { keyboard::KeyHandle(Matrix, *event); }
    void keyReleaseEvent(QKeyEvent* event) override { keyboard::KeyHandle(Matrix, *event); }
};

TEST(KeyMatrix, TestEventsWithoutScanCodes) {
    KeyWindow window;
    QTest::keyPress(&window, Qt::Key_H);
    QTest::keyPress(&window, Qt::Key_2, Qt::KeypadModifier);
    EXPECT_EQ(window.Matrix[5], 0x01);
    EXPECT_EQ(window.Matrix[2], 0x04);
    QTest::keyRelease(&window, Qt::Key_H);
    QTest::keyRelease(&window, Qt::Key_2, Qt::KeypadModifier);
    QTest::keyClick(&window, Qt::Key_Delete);
    EXPECT_EQ(Rows(window.Matrix), (std::array<std::uint8_t, 12>{}));
}

TEST(KeyTable, EightyTwoCodesEachOnItsOwnKey) {
    std::set<std::pair<int, int>> positions;
    int mapped = 0;
    for (int vk = 0; vk < 256; ++vk) {
        const auto key = keyboard::FindKey(vk);
        if (!key) continue;
        EXPECT_TRUE(vk >= 8 && vk <= 222) << vk;
        EXPECT_TRUE(key->Row >= 0 && key->Row < keyboard::KeyRows && key->Bit >= 0 && key->Bit < 8) << vk;
        EXPECT_TRUE(positions.insert({key->Row, key->Bit}).second) << "two codes on row " << key->Row;
        ++mapped;
    }
    EXPECT_EQ(mapped, 82);
    for (const int vk : {16, 17, 18, 189, 45, 46, 33, 34, 35, 122, 123, 108, 0, -1, 7, 223, 300})
        EXPECT_FALSE(keyboard::FindKey(vk).has_value()) << vk;
    EXPECT_EQ(keyboard::FindKey(20), (keyboard::TKeyPosition{11, 1}));
}

} // namespace
