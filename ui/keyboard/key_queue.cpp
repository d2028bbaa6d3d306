#include "ui/keyboard/key_queue.h"

#include <algorithm>

namespace keyboard {

TKeyQueue::TKeyQueue(TKeyMatrix& matrix) : Matrix(matrix) { ChangedAt.fill(-KeyHoldTStates); }

void TKeyQueue::Set(TKeyPosition key, bool down) {
    if (WillBeDown(key) == down) return;
    Waiting.push_back({key, down});
    Deliver();
}

void TKeyQueue::MachineRan(std::int64_t tstates) {
    if (tstates <= 0) return;
    Clock += tstates;
    Deliver();
}

void TKeyQueue::ReleaseAll() {
    for (int row = 0; row < KeyRows; ++row)
        for (int bit = 0; bit < 8; ++bit)
            Set({row, bit}, false);
}

bool TKeyQueue::WillBeDown(TKeyPosition key) const {
    const auto last = std::find_if(Waiting.rbegin(), Waiting.rend(),
                                   [key](const TChange& change) { return change.Key == key; });
    return last != Waiting.rend() ? last->Down : IsDown(key);
}

bool TKeyQueue::IsDown(TKeyPosition key) const { return (Matrix[key.Row] >> key.Bit) & 1; }

void TKeyQueue::Deliver() {
    while (!Waiting.empty()) {
        const TChange change = Waiting.front();
        std::int64_t& changedAt = ChangedAt[Index(change.Key)];
        if (Clock - changedAt < KeyHoldTStates) return;
        const auto bit = static_cast<std::uint8_t>(1u << change.Key.Bit);
        std::uint8_t& row = Matrix[change.Key.Row];
        row = static_cast<std::uint8_t>(change.Down ? row | bit : row & ~bit);
        changedAt = Clock;
        Waiting.pop_front();
    }
}

} // namespace keyboard
