#include "ui/keyboard/key_matrix.h"

#include "ui/keyboard/virtual_keys.h"

#include <QKeyEvent>

namespace keyboard {

namespace {

constexpr std::uint8_t ModifierBits = CtrlBit | ShiftBit | AltBit;

// Row 11's bit of a Shift, Ctrl or Alt key; 0 for any other key.
std::uint8_t PairBit(int virtualKey) {
    switch (virtualKey) {
    case VK_SHIFT: return ShiftBit;
    case VK_CONTROL: return CtrlBit;
    case VK_MENU: return AltBit;
    default: return 0;
    }
}

std::uint8_t StateBits(Qt::KeyboardModifiers state) {
    std::uint8_t bits = 0;
    if (state.testFlag(Qt::ControlModifier)) bits |= CtrlBit;
    if (state.testFlag(Qt::ShiftModifier)) bits |= ShiftBit;
    if (state.testFlag(Qt::AltModifier)) bits |= AltBit;
    return bits;
}

} // namespace

void TKeyHandler::KeyHandle(const QKeyEvent& event) {
    // A held key's repeats would flip its bit and leave it stuck.
    if (event.isAutoRepeat()) return;
    const bool press = event.type() == QEvent::KeyPress;
    const int vk = VirtualKeyOf(event);
    // The event of a modifier key carries the state before or after it
    // depending on the platform, and the state of neither key of its pair:
    // the keys held decide.
    const std::uint8_t pair = PairBit(vk);
    if (pair) {
        std::uint8_t& side = IsRightKey(event) ? RightHeld : LeftHeld;
        side = static_cast<std::uint8_t>(press ? side | pair : side & ~pair);
    }
    // The modifiers first: a key typed with Shift must not reach the machine
    // before its Shift does.
    ShowModifiers(event.modifiers(), pair);
    if (const auto key = FindKey(vk)) Queue.Set(*key, press);
}

void TKeyHandler::ReleaseAllKeys() {
    Queue.ReleaseAll();
    LeftHeld = RightHeld = 0;
}

void TKeyHandler::FollowModifiers(Qt::KeyboardModifiers state) { ShowModifiers(state, 0); }

void TKeyHandler::ShowModifiers(Qt::KeyboardModifiers state, std::uint8_t ownPair) {
    const std::uint8_t reported = StateBits(state) & ~ownPair;
    // A modifier key the state does not report was released out of our sight.
    LeftHeld &= reported | ownPair;
    RightHeld &= reported | ownPair;
    const std::uint8_t bits = reported | ((LeftHeld | RightHeld) & ownPair);
    for (int bit = 0; bit < 8; ++bit)
        if (ModifierBits >> bit & 1) Queue.Set({ModifierRow, bit}, bits >> bit & 1);
}

} // namespace keyboard
