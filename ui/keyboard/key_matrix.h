// The main window's key handler: PC key events pressing and releasing the keys
// of the machine's key matrix (KeyMatrix), by key position.
//
//   press (not auto-repeat)    the key's bit set
//   release (not auto-repeat)  the key's bit cleared
//   auto-repeat                nothing
//   every other event          row 11's Ctrl, Shift and Alt bits follow the modifier state
//   window loses focus         every key released; Ctrl, Shift and Alt follow the
//                              state of the keyboard at that moment
#pragma once

#include "ui/keyboard/key_table.h"

#include <Qt>

class QKeyEvent;

namespace keyboard {

// A key press or release of the main window; the caller swallows the event.
void KeyHandle(TKeyMatrix& matrix, const QKeyEvent& event);
// The window lost the keyboard focus, so the releases of the keys held now
// go elsewhere: pass QGuiApplication::queryKeyboardModifiers().
void ReleaseAllKeys(TKeyMatrix& matrix, Qt::KeyboardModifiers current);
// Row 11's Ctrl, Shift and Alt bits = the state; its other bits stay.
void FollowModifiers(TKeyMatrix& matrix, Qt::KeyboardModifiers state);

} // namespace keyboard
