#include "ui/keyboard/key_matrix.h"

#include "ui/keyboard/virtual_keys.h"

#include <QKeyEvent>
#include <algorithm>

namespace keyboard {

void KeyHandle(TKeyMatrix& matrix, const QKeyEvent& event) {
    // A held key's repeats would flip its bit and leave it stuck.
    if (event.isAutoRepeat()) return;
    const bool press = event.type() == QEvent::KeyPress;
    const int vk = VirtualKeyOf(event);
    if (const auto key = FindKey(vk)) {
        const auto bit = static_cast<std::uint8_t>(1u << key->Bit);
        matrix[key->Row] =
            static_cast<std::uint8_t>(press ? matrix[key->Row] | bit : matrix[key->Row] & ~bit);
    }
    // The event of a modifier key carries the state before or after it
    // depending on the platform: the key itself decides.
    Qt::KeyboardModifiers state = event.modifiers();
    if (vk == VK_SHIFT) state.setFlag(Qt::ShiftModifier, press);
    if (vk == VK_CONTROL) state.setFlag(Qt::ControlModifier, press);
    if (vk == VK_MENU) state.setFlag(Qt::AltModifier, press);
    FollowModifiers(matrix, state);
}

void ReleaseAllKeys(TKeyMatrix& matrix) { std::fill(std::begin(matrix), std::end(matrix), std::uint8_t{0}); }

void FollowModifiers(TKeyMatrix& matrix, Qt::KeyboardModifiers state) {
    std::uint8_t row = matrix[ModifierRow] & ~(CtrlBit | ShiftBit | AltBit);
    if (state.testFlag(Qt::ControlModifier)) row |= CtrlBit;
    if (state.testFlag(Qt::ShiftModifier)) row |= ShiftBit;
    if (state.testFlag(Qt::AltModifier)) row |= AltBit;
    matrix[ModifierRow] = row;
}

} // namespace keyboard
