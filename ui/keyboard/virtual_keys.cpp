#include "ui/keyboard/virtual_keys.h"

#include <QKeyEvent>

namespace keyboard {

namespace {

// evdev codes of the right Shift, Ctrl and Alt (AltGr) keys.
constexpr int RightShiftKey = 54, RightCtrlKey = 97, RightAltKey = 100;

struct CodePair {
    int From;
    int Vk;
};

// evdev key code -> virtual-key code. Keypad keys give their digit codes
// whatever the Num Lock state; both Shift, Ctrl and Alt keys give the
// generic codes, as key events do.
constexpr CodePair EvdevKeys[] = {
    {1, 27},    {2, '1'},  {3, '2'},  {4, '3'},
    {5, '4'},   {6, '5'},  {7, '6'}, // Esc 1-6
    {8, '7'},   {9, '8'},  {10, '9'}, {11, '0'},
    {12, 189},  {13, 187}, {14, 8}, // 7-0 - = BkSp
    {15, 9},    {16, 'Q'}, {17, 'W'}, {18, 'E'},
    {19, 'R'},  {20, 'T'}, {21, 'Y'}, // Tab Q-Y
    {22, 'U'},  {23, 'I'}, {24, 'O'}, {25, 'P'},
    {26, 219},  {27, 221}, {28, 13}, // U-P [ ] Enter
    {29, 17},   {30, 'A'}, {31, 'S'}, {32, 'D'},
    {33, 'F'},  {34, 'G'}, {35, 'H'}, // LCtrl A-H
    {36, 'J'},  {37, 'K'}, {38, 'L'}, {39, 186},
    {40, 222},  {41, 192}, {42, 16}, // J-L ; ' ` LShift
    {43, 220},  {44, 'Z'}, {45, 'X'}, {46, 'C'},
    {47, 'V'},  {48, 'B'}, {49, 'N'}, // \ Z-N
    {50, 'M'},  {51, 188}, {52, 190}, {53, 191},
    {54, 16},   {55, 106}, {56, 18}, // M , . / RShift kp* LAlt
    {57, 32},   {58, 20},  {59, 112}, {60, 113},
    {61, 114},  {62, 115}, {63, 116}, // Space Caps F1-F5
    {64, 117},  {65, 118}, {66, 119}, {67, 120},
    {68, 121},  {69, 144}, {70, 145}, // F6-F10 NumLk ScrLk
    {71, 103},  {72, 104}, {73, 105}, {74, 109},
    {75, 100},  {76, 101}, {77, 102}, // kp7 kp8 kp9 kp- kp4-6
    {78, 107},  {79, 97},  {80, 98},  {81, 99},
    {82, 96},   {83, 110}, {86, 226}, // kp+ kp1-3 kp0 kp. 102nd
    {87, 122},  {88, 123}, {96, 13},  {97, 17},
    {98, 111},  {99, 44},  {100, 18}, // F11 F12 kpEnter RCtrl kp/ PrtSc RAlt
    {102, 36},  {103, 38}, {104, 33}, {105, 37},
    {106, 39},  {107, 35}, {108, 40}, // Home Up PgUp Left Right End Down
    {109, 34},  {110, 45}, {111, 46}, {119, 19},
    {121, 108}, {125, 91}, {126, 92}, // PgDn Ins Del Pause kp, LWin RWin
    {127, 93},                        // Menu
};

// Qt key -> virtual-key code, for keys other than letters and digits.
constexpr CodePair QtKeys[] = {
    {Qt::Key_Escape, 27},       {Qt::Key_Tab, 9},          {Qt::Key_Backtab, 9},
    {Qt::Key_Backspace, 8},     {Qt::Key_Return, 13},      {Qt::Key_Enter, 13},
    {Qt::Key_Insert, 45},       {Qt::Key_Delete, 46},      {Qt::Key_Pause, 19},
    {Qt::Key_Print, 44},        {Qt::Key_Home, 36},        {Qt::Key_End, 35},
    {Qt::Key_Left, 37},         {Qt::Key_Up, 38},          {Qt::Key_Right, 39},
    {Qt::Key_Down, 40},         {Qt::Key_PageUp, 33},      {Qt::Key_PageDown, 34},
    {Qt::Key_Shift, 16},        {Qt::Key_Control, 17},     {Qt::Key_Alt, 18},
    {Qt::Key_AltGr, 18},        {Qt::Key_Meta, 91},        {Qt::Key_Menu, 93},
    {Qt::Key_CapsLock, 20},     {Qt::Key_NumLock, 144},    {Qt::Key_ScrollLock, 145},
    {Qt::Key_Space, 32},        {Qt::Key_Exclam, '1'},     {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},  {Qt::Key_Dollar, '4'},     {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'},  {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},   {Qt::Key_ParenRight, '0'}, {Qt::Key_Minus, 189},
    {Qt::Key_Underscore, 189},  {Qt::Key_Equal, 187},      {Qt::Key_Plus, 187},
    {Qt::Key_BracketLeft, 219}, {Qt::Key_BraceLeft, 219},  {Qt::Key_BracketRight, 221},
    {Qt::Key_BraceRight, 221},  {Qt::Key_Backslash, 220},  {Qt::Key_Bar, 220},
    {Qt::Key_Semicolon, 186},   {Qt::Key_Colon, 186},      {Qt::Key_Apostrophe, 222},
    {Qt::Key_QuoteDbl, 222},    {Qt::Key_QuoteLeft, 192},  {Qt::Key_AsciiTilde, 192},
    {Qt::Key_Comma, 188},       {Qt::Key_Less, 188},       {Qt::Key_Period, 190},
    {Qt::Key_Greater, 190},     {Qt::Key_Slash, 191},      {Qt::Key_Question, 191},
};

// Qt keys of the keypad (with Qt::KeypadModifier), Num Lock on or off.
constexpr CodePair QtKeypadKeys[] = {
    {Qt::Key_Asterisk, 106}, {Qt::Key_Plus, 107},   {Qt::Key_Comma, 108},   {Qt::Key_Minus, 109},
    {Qt::Key_Period, 110},   {Qt::Key_Slash, 111},  {Qt::Key_Enter, 13},    {Qt::Key_Insert, 96},
    {Qt::Key_End, 97},       {Qt::Key_Down, 98},    {Qt::Key_PageDown, 99}, {Qt::Key_Left, 100},
    {Qt::Key_Clear, 101},    {Qt::Key_Right, 102},  {Qt::Key_Home, 103},    {Qt::Key_Up, 104},
    {Qt::Key_PageUp, 105},   {Qt::Key_Delete, 110},
};

template <std::size_t N> int Lookup(const CodePair (&table)[N], int from) {
    for (const CodePair& pair : table) {
        if (pair.From == from) return pair.Vk;
    }
    return 0;
}

} // namespace

int VirtualKeyFromScanCode(std::uint32_t nativeScanCode) {
    if (nativeScanCode < 8 || nativeScanCode > 255 + 8) return 0;
    return Lookup(EvdevKeys, static_cast<int>(nativeScanCode) - 8);
}

int VirtualKeyFromQtKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers.testFlag(Qt::KeypadModifier)) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) return 96 + (key - Qt::Key_0);
        if (const int vk = Lookup(QtKeypadKeys, key)) return vk;
    }
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
    return Lookup(QtKeys, key);
}

int VirtualKeyOf(const QKeyEvent& event) {
    if (const int vk = VirtualKeyFromScanCode(event.nativeScanCode())) return vk;
    return VirtualKeyFromQtKey(event.key(), event.modifiers());
}

bool IsRightKey(const QKeyEvent& event) {
    if (VirtualKeyFromScanCode(event.nativeScanCode())) {
        const int evdev = static_cast<int>(event.nativeScanCode()) - 8;
        return evdev == RightShiftKey || evdev == RightCtrlKey || evdev == RightAltKey;
    }
    return event.key() == Qt::Key_AltGr;
}

} // namespace keyboard
