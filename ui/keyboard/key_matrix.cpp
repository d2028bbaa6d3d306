#include "ui/keyboard/key_matrix.h"

#include "ui/keyboard/virtual_keys.h"

#include <QKeyEvent>
#include <chrono>

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
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    KeyHandle(event, std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void TKeyHandler::KeyHandle(const QKeyEvent& event, std::int64_t arrivedMs) {
    const int vk = VirtualKeyOf(event);
    const TStroke stroke = Repeats.Classify(event, vk, arrivedMs);
    const TKeyChange change{event.type() == QEvent::KeyPress, vk, IsRightKey(event), event.modifiers()};
    if (stroke == TStroke::PressOfUnmarkedRepeat && HeldRelease && HeldRelease->Change.VirtualKey == vk) {
        HeldRelease.reset(); // the key stays down without a break
        return;
    }
    ApplyHeldRelease();
    switch (stroke) {
    case TStroke::HeldRepeat: return;
    case TStroke::ReleaseAfterHold: HeldRelease = THeldRelease{change, 0}; return;
    // The press of an unmarked repeat whose release went on: the key down again.
    case TStroke::PressOfUnmarkedRepeat:
    case TStroke::Typed: Apply(change); return;
    }
}

void TKeyHandler::Apply(const TKeyChange& change) {
    // The event of a modifier key carries the state before or after it
    // depending on the platform, and the state of neither key of its pair:
    // the keys held decide.
    const std::uint8_t pair = PairBit(change.VirtualKey);
    if (pair) {
        std::uint8_t& side = change.RightKey ? RightHeld : LeftHeld;
        side = static_cast<std::uint8_t>(change.Press ? side | pair : side & ~pair);
    }
    // The modifiers first: a key typed with Shift must not reach the machine
    // before its Shift does.
    ShowModifiers(change.State, pair);
    if (const auto key = FindKey(change.VirtualKey)) Queue.Set(*key, change.Press);
}

void TKeyHandler::ApplyHeldRelease() {
    if (!HeldRelease) return;
    const TKeyChange change = HeldRelease->Change;
    HeldRelease.reset();
    Apply(change);
}

void TKeyHandler::MachineRan(std::int64_t tstates) {
    Queue.MachineRan(tstates);
    if (HeldRelease && ++HeldRelease->Slices >= HeldReleaseSlices) ApplyHeldRelease();
}

void TKeyHandler::ReleaseAllKeys() {
    HeldRelease.reset(); // among all the keys
    Queue.ReleaseAll();
    LeftHeld = RightHeld = 0;
}

void TKeyHandler::FollowModifiers(Qt::KeyboardModifiers state) {
    ApplyHeldRelease();
    ShowModifiers(state, 0);
}

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
