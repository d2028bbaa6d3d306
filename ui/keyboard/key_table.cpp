#include "ui/keyboard/key_table.h"

namespace keyboard {

namespace {

// The virtual-key code of every matrix key, row by row from bit 0; 0 = no key.
// Codes of the US layout: 186 ; 187 = 188 , 190 . 191 / 192 ` 219 [ 220 \ 221 ] 222 '.
constexpr std::uint8_t KeyTable[KeyRows][8] = {
    {112, 113, 114, 115, 116, 117, 118, 119}, // F1 F2 F3 F4 F5 F6 F7 F8
    {120, 121, 104, 105, 0, 110, 107, 109},   // F9 F10 kp8 kp9 - kp. kp+ kp-
    {96, 97, 98, 99, 100, 101, 102, 103},     // kp0 kp1 kp2 kp3 kp4 kp5 kp6 kp7
    {9, 32, 13, 38, 40, 37, 39, 27},          // Tab Space Return Up Down Left Right Esc
    {191, 'A', 'B', 'C', 'D', 'E', 'F', 'G'}, // / A B C D E F G
    {'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O'}, // H I J K L M N O
    {'P', 'Q', 'R', 'S', 'T', 'U', 'V', 'W'}, // P Q R S T U V W
    {'X', 'Y', 'Z', 222, 220, 106, 190, 188}, // X Y Z ' \ kp* . ,
    {'0', '1', '2', '3', '4', '5', '6', '7'}, // 0 1 2 3 4 5 6 7
    {'8', '9', 186, 192, 187, 111, 219, 0},   // 8 9 ; ` = kp/ [ -
    {221, 0, 36, 8, 0, 0, 0, 0},              // ] - Home Backspace - - - -
    {0, 20, 0, 0, 0, 0, 0, 0},                // (Ctrl) CapsLock (Shift) (Alt) - - - -
};

} // namespace

std::optional<TKeyPosition> FindKey(int virtualKey) {
    if (virtualKey < 8 || virtualKey > 222) return std::nullopt;
    for (int row = 0; row < KeyRows; ++row) {
        for (int bit = 0; bit < 8; ++bit) {
            if (KeyTable[row][bit] == virtualKey) return TKeyPosition{row, bit};
        }
    }
    return std::nullopt;
}

} // namespace keyboard
