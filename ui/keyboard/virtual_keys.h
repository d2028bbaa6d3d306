// The Windows virtual-key code of a PC key on a US layout, found by the key's
// position: from the native scan code of an X11 or Wayland key event (the XKB
// key code, evdev code + 8), or from the Qt key where the event has no native
// code (offscreen platform, synthetic events).
#pragma once

#include <Qt>
#include <cstdint>

class QKeyEvent;

namespace keyboard {

inline constexpr int VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18;

// 0 when the code is not a key of the PC keyboard we know.
int VirtualKeyFromScanCode(std::uint32_t nativeScanCode);
// 0 when the key has no virtual-key code. Keys of the keypad carry
// Qt::KeypadModifier; symbols give the key they are typed with (! is 1).
int VirtualKeyFromQtKey(int key, Qt::KeyboardModifiers modifiers);
// By the native scan code where it names a known key, else by the Qt key.
int VirtualKeyOf(const QKeyEvent& event);
// Whether a Shift, Ctrl or Alt key is the right one of its pair: by the native
// scan code, else AltGr by its Qt key. Without a scan code the two Shift and
// the two Ctrl keys cannot be told apart, and count as the left.
bool IsRightKey(const QKeyEvent& event);

} // namespace keyboard
