// The main window's key handler: PC key events pressing and releasing the keys
// of the machine's key matrix (KeyMatrix), by key position.
//
//   press (not auto-repeat)    the key's bit set
//   release (not auto-repeat)  the key's bit cleared
//   auto-repeat                nothing
//   every other event          row 11's Ctrl, Shift and Alt bits follow the modifier state
//   window loses focus         every key released, Ctrl, Shift and Alt too: their
//                              releases go to the window that has the focus now
//   window gains focus         Ctrl, Shift and Alt follow the state of the keyboard
#pragma once

#include "ui/keyboard/key_table.h"

#include <Qt>

class QKeyEvent;

namespace keyboard {

// A key press or release of the main window; the caller swallows the event.
void KeyHandle(TKeyMatrix& matrix, const QKeyEvent& event);
// The window lost the keyboard focus, so the releases of the keys held now
// go elsewhere: every bit cleared.
void ReleaseAllKeys(TKeyMatrix& matrix);
// Row 11's Ctrl, Shift and Alt bits = the state; its other bits stay. When the
// window gains the focus: pass QGuiApplication::queryKeyboardModifiers().
void FollowModifiers(TKeyMatrix& matrix, Qt::KeyboardModifiers state);

} // namespace keyboard
