// Tells the keyboard's own repeat of a held key from a key typed again at once.
//
// X11 repeats a held key as a release and a press with one timestamp. Qt marks
// the two as a repeat when the press already waits behind the release, so a
// doubled letter typed with no delay (xdotool, an on-screen keyboard, a macro)
// comes marked the same way; and when the press is read only after the release
// has been handled, a repeat comes unmarked, as a release and a press with one
// timestamp. The keyboard's own repeat starts only after its repeat delay,
// hundreds of ms after the key went down: a repeat, marked or such a pair,
// that comes less than RepeatFloorMs after the key's last press is the key
// typed again. Both clocks must say so: the events' timestamps (the window
// system's time, which a busy program does not shift) and the time the events
// reached the program (where the window system makes the repeats itself, as on
// Wayland, they may carry the press's own timestamp, but come only once the
// repeat delay has passed). An event without a timestamp (0: made by a
// program) cannot show it: its repeat is the keyboard's.
#pragma once

#include <array>
#include <cstdint>

class QKeyEvent;

namespace keyboard {

// Well below the repeat delay any keyboard is set to, well above the spread
// of the events a program sends at one instant.
inline constexpr std::int64_t RepeatFloorMs = 100;

enum class TStroke {
    Typed,      // the key pressed or released
    HeldRepeat, // the keyboard's repeat of the key held: nothing
    // A release of a key held past the floor, not marked: the release of an
    // unmarked repeat looks the same, and only the event after it tells.
    ReleaseAfterHold,
    // The press of an unmarked repeat, right after its release.
    PressOfUnmarkedRepeat,
};

class TRepeatFilter {
  public:
    // What the event of the key `virtualKey` is; `arrivedMs` is when it
    // reached the program, by a steady clock.
    TStroke Classify(const QKeyEvent& event, int virtualKey, std::int64_t arrivedMs);

  private:
    struct TKey {
        std::uint64_t PressedAt = 0;   // timestamp of the key's last press typed, 0: none known
        std::int64_t PressArrived = 0; // when it reached the program
        std::uint64_t ReleasedAt = 0;  // timestamp of its release when that was its last event, else 0
    };
    // By native scan code (X11 and Wayland), else by virtual-key code from 256 on.
    std::array<TKey, 512> Keys{};
};

} // namespace keyboard
