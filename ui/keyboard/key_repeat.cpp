#include "ui/keyboard/key_repeat.h"

#include <QKeyEvent>

namespace keyboard {

namespace {

bool WithinFloor(std::int64_t since) { return since >= 0 && since < RepeatFloorMs; }

} // namespace

TStroke TRepeatFilter::Classify(const QKeyEvent& event, int virtualKey, std::int64_t arrivedMs) {
    const quint32 scanCode = event.nativeScanCode();
    const int slot = scanCode > 0 && scanCode < 256       ? int(scanCode)
                     : virtualKey > 0 && virtualKey < 256 ? 256 + virtualKey
                                                          : 0;
    if (slot == 0) return event.isAutoRepeat() ? TStroke::HeldRepeat : TStroke::Typed;
    TKey& key = Keys[std::size_t(slot)];
    const bool press = event.type() == QEvent::KeyPress;
    const std::uint64_t timestamp = event.timestamp();
    // Without timestamps a repeat cannot show that it is the key typed again.
    const bool soonAfterPress = timestamp != 0 && key.PressedAt != 0 &&
                                WithinFloor(static_cast<std::int64_t>(timestamp - key.PressedAt)) &&
                                WithinFloor(arrivedMs - key.PressArrived);
    const bool heldLong = timestamp != 0 && key.PressedAt != 0 && !soonAfterPress;
    if (event.isAutoRepeat()) {
        if (!soonAfterPress) return TStroke::HeldRepeat;
    } else if (press && heldLong && key.ReleasedAt == timestamp) {
        key.ReleasedAt = 0;
        return TStroke::PressOfUnmarkedRepeat;
    }
    if (press) {
        key.PressedAt = timestamp;
        key.PressArrived = arrivedMs;
    }
    key.ReleasedAt = press ? 0 : timestamp;
    return !press && !event.isAutoRepeat() && heldLong ? TStroke::ReleaseAfterHold : TStroke::Typed;
}

} // namespace keyboard
