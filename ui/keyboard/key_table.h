// The QJ-47R key matrix as the PC keyboard feeds it: which key of the matrix
// each Windows virtual-key code (US layout) presses.
#pragma once

#include <cstdint>
#include <optional>

namespace keyboard {

inline constexpr int KeyRows = 12;
// One byte per key row, bit n = key n of the row, 1 = pressed.
using TKeyMatrix = std::uint8_t[KeyRows];

// Row 11 holds the modifiers: Ctrl, Shift and Alt follow the keyboard's state
// (the keys themselves have no entry); Caps Lock is a key like the others.
inline constexpr int ModifierRow = 11;
inline constexpr std::uint8_t CtrlBit = 0x01, CapsLockBit = 0x02, ShiftBit = 0x04, AltBit = 0x08;

struct TKeyPosition {
    int Row;
    int Bit;
    bool operator==(const TKeyPosition&) const = default;
};

// The matrix key of a virtual-key code from 8 to 222; none for other codes
// and for keys the machine does not have.
std::optional<TKeyPosition> FindKey(int virtualKey);

} // namespace keyboard
