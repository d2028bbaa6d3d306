// The way from the key events to the key matrix, timed by the machine.
//
// The machine reads the matrix only while it runs its slices, so a press and
// its release that both arrive between two slices would leave the matrix as
// it was, and the program would never see the key. Here every change of a
// key's bit stays in the matrix until the machine has run KeyHoldTStates
// T-states; a later change of the same key waits until then, and every change
// queued after a waiting one waits behind it, so that the program sees the
// keys in the order they were typed. A press, release and press of one key
// in one batch thus give the machine two presses with a release between.
//
// Time is the machine's own: the T-states it executed, as the emulation
// driver reports them after each slice and step. While the emulation is
// stopped no time passes, so a key pressed then stays down for the machine
// until it has run long enough.
#pragma once

#include "ui/keyboard/key_table.h"

#include <array>
#include <cstdint>
#include <deque>

namespace keyboard {

// 40 ms of the machine at 8 MHz (80000 T-states are a 10 ms slice): two
// frames of a video scanned 50 times a second, so that a program scanning the
// keyboard once a frame sees a change at least once, however the change falls
// between its scans, with a frame to spare for a scan late or slow.
inline constexpr std::int64_t KeyHoldTStates = 320000;

class TKeyQueue {
  public:
    explicit TKeyQueue(TKeyMatrix& matrix);

    // Sets (down) or clears a key's bit: now when nothing waits and the key's
    // last change has had its time, else in turn. Nothing when the key is
    // already as asked, or will be once the queue has drained.
    void Set(TKeyPosition key, bool down);
    // The machine ran `tstates` T-states: the changes whose time has come
    // reach the matrix.
    void MachineRan(std::int64_t tstates);
    // Every key up, each as a release of its own (after what waits): the
    // releases of the keys held now go to another window.
    void ReleaseAll();

  private:
    struct TChange {
        TKeyPosition Key;
        bool Down;
    };
    bool WillBeDown(TKeyPosition key) const;
    bool IsDown(TKeyPosition key) const;
    void Deliver();
    static int Index(TKeyPosition key) { return key.Row * 8 + key.Bit; }

    TKeyMatrix& Matrix;
    std::deque<TChange> Waiting;
    std::int64_t Clock = 0; // T-states the machine ran since the queue began
    // When each key's bit last changed; a key never changed may change at once.
    std::array<std::int64_t, KeyRows * 8> ChangedAt;
};

} // namespace keyboard
