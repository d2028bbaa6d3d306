// The key handler: every key of the machine's key table, by native scan code
// and by Qt key, through press, auto-repeat, release and focus loss into the
// key matrix; the modifier row with one or both keys of a pair held; the key
// table entry by entry.
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
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>

namespace keyboard {
// Readable positions in failure messages.
inline void PrintTo(const TKeyPosition& p, std::ostream* os) { *os << "row " << p.Row << " bit " << p.Bit; }
} // namespace keyboard

namespace {

using keyboard::TKeyHandler;
using keyboard::TKeyMatrix;
using keyboard::TKeyPosition;

::testing::Environment* const Environment =
    ::testing::AddGlobalTestEnvironment(new testing_qt::AppEnvironment<QGuiApplication>);

// The machine's key table: the virtual-key code of each (row, bit), 0 = none.
// Row 11's Ctrl, Shift and Alt follow the modifier state and have no code.
constexpr int MachineKeys[keyboard::KeyRows][8] = {
    {112, 113, 114, 115, 116, 117, 118, 119}, // F1 F2 F3 F4 F5 F6 F7 F8
    {120, 121, 104, 105, 0, 110, 107, 109},   // F9 F10 kp8 kp9 - kp. kp+ kp-
    {96, 97, 98, 99, 100, 101, 102, 103},     // kp0 kp1 kp2 kp3 kp4 kp5 kp6 kp7
    {9, 32, 13, 38, 40, 37, 39, 27},          // Tab Space Return Up Down Left Right Escape
    {191, 65, 66, 67, 68, 69, 70, 71},        // slash A B C D E F G
    {72, 73, 74, 75, 76, 77, 78, 79},         // H I J K L M N O
    {80, 81, 82, 83, 84, 85, 86, 87},         // P Q R S T U V W
    {88, 89, 90, 222, 220, 106, 190, 188},    // X Y Z apostrophe backslash kp* full-stop comma
    {48, 49, 50, 51, 52, 53, 54, 55},         // 0 1 2 3 4 5 6 7
    {56, 57, 186, 192, 187, 111, 219, 0},     // 8 9 semicolon backquote equals kp/ left-bracket -
    {221, 0, 36, 8, 0, 0, 0, 0},              // right-bracket - Home Backspace - - - -
    {0, 20, 0, 0, 0, 0, 0, 0},                // (Ctrl) CapsLock (Shift) (Alt) - - - -
};

std::optional<TKeyPosition> MachineKeyOf(int virtualKey) {
    for (int row = 0; row < keyboard::KeyRows; ++row)
        for (int bit = 0; bit < 8; ++bit)
            if (virtualKey != 0 && MachineKeys[row][bit] == virtualKey) return TKeyPosition{row, bit};
    return std::nullopt;
}

TEST(KeyTable, EveryCodeFindsTheKeyOfTheTable) {
    for (int vk = -1; vk <= 300; ++vk)
        EXPECT_EQ(keyboard::FindKey(vk), MachineKeyOf(vk)) << vk;
}

struct KeyCase {
    const char* Name;
    int Evdev;                         // evdev code of the key's position
    int QtKey;                         // Qt key of a US layout
    Qt::KeyboardModifiers QtModifiers; // what Qt reports with it (the keypad flag)
    int Vk;                            // the key's virtual-key code on a US layout
};

constexpr Qt::KeyboardModifiers Keypad = Qt::KeypadModifier;

// Every key of the machine's table, and some more PC keys.
const KeyCase Keys[] = {
    {"F1", 59, Qt::Key_F1, {}, 112},
    {"F2", 60, Qt::Key_F2, {}, 113},
    {"F3", 61, Qt::Key_F3, {}, 114},
    {"F4", 62, Qt::Key_F4, {}, 115},
    {"F5", 63, Qt::Key_F5, {}, 116},
    {"F6", 64, Qt::Key_F6, {}, 117},
    {"F7", 65, Qt::Key_F7, {}, 118},
    {"F8", 66, Qt::Key_F8, {}, 119},
    {"F9", 67, Qt::Key_F9, {}, 120},
    {"F10", 68, Qt::Key_F10, {}, 121},
    {"keypad 0", 82, Qt::Key_0, Keypad, 96},
    {"keypad 1", 79, Qt::Key_1, Keypad, 97},
    {"keypad 2", 80, Qt::Key_2, Keypad, 98},
    {"keypad 3", 81, Qt::Key_3, Keypad, 99},
    {"keypad 4", 75, Qt::Key_4, Keypad, 100},
    {"keypad 5", 76, Qt::Key_5, Keypad, 101},
    {"keypad 6", 77, Qt::Key_6, Keypad, 102},
    {"keypad 7", 71, Qt::Key_7, Keypad, 103},
    {"keypad 8", 72, Qt::Key_8, Keypad, 104},
    {"keypad 9", 73, Qt::Key_9, Keypad, 105},
    {"keypad .", 83, Qt::Key_Period, Keypad, 110},
    {"keypad +", 78, Qt::Key_Plus, Keypad, 107},
    {"keypad -", 74, Qt::Key_Minus, Keypad, 109},
    {"keypad *", 55, Qt::Key_Asterisk, Keypad, 106},
    {"keypad /", 98, Qt::Key_Slash, Keypad, 111},
    {"Tab", 15, Qt::Key_Tab, {}, 9},
    {"Space", 57, Qt::Key_Space, {}, 32},
    {"Return", 28, Qt::Key_Return, {}, 13},
    {"Up", 103, Qt::Key_Up, {}, 38},
    {"Down", 108, Qt::Key_Down, {}, 40},
    {"Left", 105, Qt::Key_Left, {}, 37},
    {"Right", 106, Qt::Key_Right, {}, 39},
    {"Escape", 1, Qt::Key_Escape, {}, 27},
    {"slash", 53, Qt::Key_Slash, {}, 191},
    {"A", 30, Qt::Key_A, {}, 'A'},
    {"B", 48, Qt::Key_B, {}, 'B'},
    {"C", 46, Qt::Key_C, {}, 'C'},
    {"D", 32, Qt::Key_D, {}, 'D'},
    {"E", 18, Qt::Key_E, {}, 'E'},
    {"F", 33, Qt::Key_F, {}, 'F'},
    {"G", 34, Qt::Key_G, {}, 'G'},
    {"H", 35, Qt::Key_H, {}, 'H'},
    {"I", 23, Qt::Key_I, {}, 'I'},
    {"J", 36, Qt::Key_J, {}, 'J'},
    {"K", 37, Qt::Key_K, {}, 'K'},
    {"L", 38, Qt::Key_L, {}, 'L'},
    {"M", 50, Qt::Key_M, {}, 'M'},
    {"N", 49, Qt::Key_N, {}, 'N'},
    {"O", 24, Qt::Key_O, {}, 'O'},
    {"P", 25, Qt::Key_P, {}, 'P'},
    {"Q", 16, Qt::Key_Q, {}, 'Q'},
    {"R", 19, Qt::Key_R, {}, 'R'},
    {"S", 31, Qt::Key_S, {}, 'S'},
    {"T", 20, Qt::Key_T, {}, 'T'},
    {"U", 22, Qt::Key_U, {}, 'U'},
    {"V", 47, Qt::Key_V, {}, 'V'},
    {"W", 17, Qt::Key_W, {}, 'W'},
    {"X", 45, Qt::Key_X, {}, 'X'},
    {"Y", 21, Qt::Key_Y, {}, 'Y'},
    {"Z", 44, Qt::Key_Z, {}, 'Z'},
    {"apostrophe", 40, Qt::Key_Apostrophe, {}, 222},
    {"backslash", 43, Qt::Key_Backslash, {}, 220},
    {"full stop", 52, Qt::Key_Period, {}, 190},
    {"comma", 51, Qt::Key_Comma, {}, 188},
    {"0", 11, Qt::Key_0, {}, '0'},
    {"1", 2, Qt::Key_1, {}, '1'},
    {"2", 3, Qt::Key_2, {}, '2'},
    {"3", 4, Qt::Key_3, {}, '3'},
    {"4", 5, Qt::Key_4, {}, '4'},
    {"5", 6, Qt::Key_5, {}, '5'},
    {"6", 7, Qt::Key_6, {}, '6'},
    {"7", 8, Qt::Key_7, {}, '7'},
    {"8", 9, Qt::Key_8, {}, '8'},
    {"9", 10, Qt::Key_9, {}, '9'},
    {"semicolon", 39, Qt::Key_Semicolon, {}, 186},
    {"backquote", 41, Qt::Key_QuoteLeft, {}, 192},
    {"equals", 13, Qt::Key_Equal, {}, 187},
    {"left bracket", 26, Qt::Key_BracketLeft, {}, 219},
    {"right bracket", 27, Qt::Key_BracketRight, {}, 221},
    {"Home", 102, Qt::Key_Home, {}, 36},
    {"Backspace", 14, Qt::Key_Backspace, {}, 8},
    {"Caps Lock", 58, Qt::Key_CapsLock, {}, 20},
    // the machine's keys on more PC keys
    {"keypad Enter", 96, Qt::Key_Enter, Keypad, 13},
    {"keypad 1, Num Lock off", 79, Qt::Key_End, Keypad, 97},
    // keys the machine does not have
    {"minus", 12, Qt::Key_Minus, {}, 189},
    {"Insert", 110, Qt::Key_Insert, {}, 45},
    {"Delete", 111, Qt::Key_Delete, {}, 46},
    {"Page Up", 104, Qt::Key_PageUp, {}, 33},
    {"Page Down", 109, Qt::Key_PageDown, {}, 34},
    {"End", 107, Qt::Key_End, {}, 35},
    {"F11", 87, Qt::Key_F11, {}, 122},
    {"F12", 88, Qt::Key_F12, {}, 123},
    {"Num Lock", 69, Qt::Key_NumLock, {}, 144},
    {"Meta", 125, Qt::Key_Meta, {}, 91},
    {"keypad separator", 121, Qt::Key_Comma, Keypad, 108},
};

const KeyCase& Key(const std::string& name) {
    for (const KeyCase& key : Keys) {
        if (name == key.Name) return key;
    }
    throw std::invalid_argument(name);
}

TEST(KeyTable, EveryKeyOfTheTableIsAmongTheKeysPressed) {
    for (int row = 0; row < keyboard::KeyRows; ++row) {
        for (int bit = 0; bit < 8; ++bit) {
            const int vk = MachineKeys[row][bit];
            if (vk == 0) continue;
            bool found = false;
            for (const KeyCase& key : Keys)
                found = found || key.Vk == vk;
            EXPECT_TRUE(found) << "row " << row << " bit " << bit;
        }
    }
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
    if (const auto position = MachineKeyOf(key.Vk))
        rows[position->Row] = static_cast<std::uint8_t>(1u << position->Bit);
    return rows;
}

// The event, then the machine runs for as long as a change stays in the
// matrix: keys typed at a person's pace, each change in the matrix at once.
void Type(TKeyHandler& keys, const QKeyEvent& event) {
    keys.KeyHandle(event);
    keys.MachineRan(keyboard::KeyHoldTStates);
}

TEST(KeyMatrix, KeysPressReleaseRepeatAndFocusLoss) {
    const std::array<std::uint8_t, 12> released{};
    for (const Source source : {Source::ScanCode, Source::QtKey}) {
        for (const KeyCase& key : Keys) {
            SCOPED_TRACE(std::string(key.Name) +
                         (source == Source::ScanCode ? " by scan code" : " by Qt key"));
            TKeyMatrix matrix{};
            TKeyHandler keys(matrix);
            Type(keys, *Event(key, source, QEvent::KeyPress));
            EXPECT_EQ(Rows(matrix), Pressed(key)) << "press";

            // Held: X11 repeats as release and press pairs, both marked as repeats.
            for (int i = 0; i < 3; ++i) {
                Type(keys, *Event(key, source, QEvent::KeyRelease, true));
                Type(keys, *Event(key, source, QEvent::KeyPress, true));
            }
            EXPECT_EQ(Rows(matrix), Pressed(key)) << "auto-repeat";

            Type(keys, *Event(key, source, QEvent::KeyRelease));
            EXPECT_EQ(Rows(matrix), released) << "release";
            Type(keys, *Event(key, source, QEvent::KeyRelease));
            EXPECT_EQ(Rows(matrix), released) << "a second release";

            // Pressed, then the window loses the focus and the release goes elsewhere.
            Type(keys, *Event(key, source, QEvent::KeyPress));
            keys.ReleaseAllKeys();
            EXPECT_EQ(Rows(matrix), released) << "focus loss";
        }
    }
}

TEST(KeyMatrix, KeysGoByPositionNotByTheLayoutsSymbol) {
    // On a German layout the key right of T types Z: it is still the machine's Y.
    TKeyMatrix matrix{};
    TKeyHandler(matrix).KeyHandle(QKeyEvent(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, 21 + 8, 0, 0));
    EXPECT_EQ(matrix[7], 0x02);
    EXPECT_EQ(matrix[7] & 0x04, 0) << "not Z";
    // Without a scan code, symbols typed with Shift give their key: ! is 1, ? is /.
    EXPECT_EQ(keyboard::VirtualKeyFromQtKey(Qt::Key_Exclam, Qt::ShiftModifier), '1');
    EXPECT_EQ(keyboard::VirtualKeyFromQtKey(Qt::Key_Question, Qt::ShiftModifier), 191);
    EXPECT_EQ(keyboard::VirtualKeyFromQtKey(Qt::Key_Underscore, Qt::ShiftModifier), 189);
    // An unknown scan code falls back to the Qt key.
    EXPECT_EQ(keyboard::VirtualKeyOf(QKeyEvent(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, 300, 0, 0)), 'B');
}

// One key of a modifier pair, by scan code or, where there is none, by Qt key.
struct ModifierKey {
    int Evdev; // 0: no scan code
    int QtKey;
};

// A pair's key event with the state a platform reports with it: the state
// after the event or the state before it.
QKeyEvent ModifierEvent(const ModifierKey& key, QEvent::Type type, Qt::KeyboardModifiers state) {
    const quint32 scan = key.Evdev ? static_cast<quint32>(key.Evdev + 8) : 0;
    return QKeyEvent(type, key.Evdev ? int(Qt::Key_unknown) : key.QtKey, state, scan, 0, 0);
}

struct ModifierPair {
    const char* Name;
    ModifierKey Left, Right;
    Qt::KeyboardModifier Modifier;
    std::uint8_t Bit;
};

const ModifierPair ModifierPairs[] = {
    {"Shift", {42, Qt::Key_Shift}, {54, Qt::Key_Shift}, Qt::ShiftModifier, keyboard::ShiftBit},
    {"Ctrl", {29, Qt::Key_Control}, {97, Qt::Key_Control}, Qt::ControlModifier, keyboard::CtrlBit},
    {"Alt and AltGr", {56, Qt::Key_Alt}, {100, Qt::Key_Alt}, Qt::AltModifier, keyboard::AltBit},
    {"Alt and AltGr without scan codes",
     {0, Qt::Key_Alt},
     {0, Qt::Key_AltGr},
     Qt::AltModifier,
     keyboard::AltBit},
};

// Ctrl, Shift and Alt reach row 11 only through the modifier state. A platform
// reports the state before or after the modifier key's own event; both work.
TEST(KeyMatrix, ModifierRowFollowsTheState) {
    for (const ModifierPair& pair : ModifierPairs) {
        for (const bool right : {false, true}) {
            const ModifierKey& key = right ? pair.Right : pair.Left;
            for (const bool stateAfter : {true, false}) {
                SCOPED_TRACE(std::string(pair.Name) + (right ? ", right" : ", left") +
                             (stateAfter ? ", state after the event" : ", state before the event"));
                TKeyMatrix matrix{};
                TKeyHandler keys(matrix);
                matrix[keyboard::ModifierRow] = keyboard::CapsLockBit; // kept
                Type(keys, ModifierEvent(key, QEvent::KeyPress, stateAfter ? pair.Modifier : Qt::NoModifier));
                EXPECT_EQ(matrix[keyboard::ModifierRow], keyboard::CapsLockBit | pair.Bit) << "press";
                Type(keys,
                     ModifierEvent(key, QEvent::KeyRelease, stateAfter ? Qt::NoModifier : pair.Modifier));
                EXPECT_EQ(matrix[keyboard::ModifierRow], keyboard::CapsLockBit) << "release";
                for (int r = 0; r < keyboard::ModifierRow; ++r)
                    EXPECT_EQ(matrix[r], 0) << "row " << r;
            }
        }
    }
}

// Both keys of a pair down, then released one after the other: the machine's
// modifier stays held until the second is released.
TEST(KeyMatrix, ModifierHeldWhileEitherKeyOfThePairIsDown) {
    for (const ModifierPair& pair : ModifierPairs) {
        for (const bool stateAfter : {true, false}) {
            SCOPED_TRACE(std::string(pair.Name) +
                         (stateAfter ? ", state after the event" : ", state before the event"));
            const Qt::KeyboardModifiers held = pair.Modifier, none = Qt::NoModifier;
            TKeyMatrix matrix{};
            TKeyHandler keys(matrix);
            Type(keys, ModifierEvent(pair.Left, QEvent::KeyPress, stateAfter ? held : none));
            Type(keys, ModifierEvent(pair.Right, QEvent::KeyPress, held));
            Type(keys, ModifierEvent(pair.Left, QEvent::KeyRelease, held));
            EXPECT_EQ(matrix[keyboard::ModifierRow], pair.Bit) << "the right key is still down";
            Type(keys, ModifierEvent(pair.Right, QEvent::KeyRelease, stateAfter ? none : held));
            EXPECT_EQ(matrix[keyboard::ModifierRow], 0);
        }
    }
}

TEST(KeyMatrix, ShiftWithAKeyAndFocusLossWithAModifierHeld) {
    const KeyCase& a = Key("A");
    const ModifierKey leftShift{42, Qt::Key_Shift}, rightShift{54, Qt::Key_Shift};
    TKeyMatrix matrix{};
    TKeyHandler keys(matrix);
    Type(keys, ModifierEvent(leftShift, QEvent::KeyPress, Qt::ShiftModifier));
    Type(keys, *Event(a, Source::ScanCode, QEvent::KeyPress, false, Qt::ShiftModifier));
    EXPECT_EQ(matrix[4], 0x02);
    EXPECT_EQ(matrix[11], keyboard::ShiftBit);
    Type(keys, ModifierEvent(leftShift, QEvent::KeyRelease, Qt::ShiftModifier));
    EXPECT_EQ(matrix[4], 0x02) << "A still held";
    EXPECT_EQ(matrix[11], 0);
    Type(keys, *Event(a, Source::ScanCode, QEvent::KeyRelease));
    EXPECT_EQ(matrix[4], 0);

    // A Shift whose release this window missed: the next key's state says it
    // is up, so releasing the other Shift later releases the machine's.
    Type(keys, ModifierEvent(leftShift, QEvent::KeyPress, Qt::ShiftModifier));
    Type(keys, *Event(a, Source::ScanCode, QEvent::KeyPress));
    EXPECT_EQ(matrix[11], 0);
    Type(keys, ModifierEvent(rightShift, QEvent::KeyPress, Qt::ShiftModifier));
    Type(keys, ModifierEvent(rightShift, QEvent::KeyRelease, Qt::NoModifier));
    EXPECT_EQ(matrix[11], 0);
    Type(keys, *Event(a, Source::ScanCode, QEvent::KeyRelease));

    // Focus lost with A, Caps Lock and Ctrl down: every key is released, Ctrl
    // too, since its release goes to the window that took the focus; Ctrl
    // still held when the focus comes back counts again.
    Type(keys, *Event(a, Source::ScanCode, QEvent::KeyPress, false, Qt::ControlModifier));
    Type(keys, *Event(Key("Caps Lock"), Source::ScanCode, QEvent::KeyPress, false, Qt::ControlModifier));
    EXPECT_EQ(matrix[11], keyboard::CtrlBit | keyboard::CapsLockBit);
    keys.ReleaseAllKeys();
    EXPECT_EQ(Rows(matrix), (std::array<std::uint8_t, 12>{}));
    keys.MachineRan(keyboard::KeyHoldTStates);
    keys.FollowModifiers(Qt::ControlModifier);
    const std::array<std::uint8_t, 12> ctrlOnly{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, keyboard::CtrlBit};
    EXPECT_EQ(Rows(matrix), ctrlOnly);
}

// The QTest path: synthetic events carry no scan code.
class KeyWindow : public QWindow {
  public:
    TKeyMatrix Matrix{};
    TKeyHandler Keys{Matrix};

  protected:
    void keyPressEvent(QKeyEvent* event) override { Type(Keys, *event); }
    void keyReleaseEvent(QKeyEvent* event) override { Type(Keys, *event); }
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

} // namespace
