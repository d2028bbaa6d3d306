// The main window's key handler: PC key events pressing and releasing the keys
// of the machine's key matrix (KeyMatrix), by key position.
//
//   press                      the key's bit set
//   release                    the key's bit cleared; of a key held past the
//                              repeat floor, once the next event has shown it
//                              is no repeat's (at the latest two slices later)
//   repeat of a held key       nothing; a release and press marked as repeats
//                              right after the key's press are the key typed
//                              again (TRepeatFilter)
//   Shift, Ctrl or Alt key     its bit of row 11 set while either key of its
//                              pair (left or right; AltGr is the right Alt) is down
//   every other event          row 11's Ctrl, Shift and Alt bits follow the modifier state
//   window loses focus         every key released, Ctrl, Shift and Alt too: their
//                              releases go to the window that has the focus now
//   window gains focus         Ctrl, Shift and Alt follow the state of the keyboard
//
// Every change, the releases at a focus loss too, reaches the matrix through a
// TKeyQueue: each stays there until the machine has run long enough to see it
// (MachineRan tells how far it ran).
#pragma once

#include "ui/keyboard/key_queue.h"
#include "ui/keyboard/key_repeat.h"
#include "ui/keyboard/key_table.h"

#include <Qt>
#include <cstdint>
#include <optional>

class QKeyEvent;

namespace keyboard {

// Slices (or steps) a release of a key held past the repeat floor waits for
// the press of a repeat: the two come together, and only a slice run between
// their events parts them.
inline constexpr int HeldReleaseSlices = 2;

class TKeyHandler {
  public:
    explicit TKeyHandler(TKeyMatrix& matrix) : Queue(matrix) {}

    // A key press or release of the main window; the caller swallows the event.
    void KeyHandle(const QKeyEvent& event);
    // The same for an event that reached the program at `arrivedMs`, by a
    // steady clock in ms.
    void KeyHandle(const QKeyEvent& event, std::int64_t arrivedMs);
    // The window lost the keyboard focus, so the releases of the keys held now
    // go elsewhere: every bit cleared.
    void ReleaseAllKeys();
    // Row 11's Ctrl, Shift and Alt bits = the state; its other bits stay. When the
    // window gains the focus: pass QGuiApplication::queryKeyboardModifiers().
    void FollowModifiers(Qt::KeyboardModifiers state);
    // The machine ran `tstates` T-states since the last call (a slice or a
    // step): the key changes that waited for it to see the ones before reach
    // the matrix.
    void MachineRan(std::int64_t tstates);

  private:
    struct TKeyChange {
        bool Press;
        int VirtualKey;
        bool RightKey;
        Qt::KeyboardModifiers State;
    };
    // A release that waits to see whether the press of a repeat follows it.
    struct THeldRelease {
        TKeyChange Change;
        int Slices; // run since
    };

    void Apply(const TKeyChange& change);
    void ApplyHeldRelease();
    // Row 11's modifier bits: those of `ownPair` (the pair of the modifier key
    // of the event, 0 for any other key) from the keys of the pair held, the
    // others from the state, which also tells of releases this window missed.
    void ShowModifiers(Qt::KeyboardModifiers state, std::uint8_t ownPair);

    TKeyQueue Queue;
    TRepeatFilter Repeats;
    std::optional<THeldRelease> HeldRelease;
    // Row 11's bits of the modifier keys held, the left keys' and the right keys'.
    std::uint8_t LeftHeld = 0, RightHeld = 0;
};

} // namespace keyboard
