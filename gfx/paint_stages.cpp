#include "gfx/paint_stages.h"

#include <algorithm>

#include "platform/exceptions.h"

namespace gfx {

namespace {
void CheckIndex(int32_t Index, int32_t Count) {
    if (Index < 0 || Index >= Count) throw platform::EListError("Invalid stage index");
}
} // namespace

PPaintStage TPaintStages::Add() { return &Stages_.emplace_back(); }

PPaintStage TPaintStages::Insert(int32_t Index) {
    Index = std::clamp(Index, 0, Count());
    return &*Stages_.emplace(Stages_.begin() + Index);
}

void TPaintStages::Delete(int32_t Index) {
    CheckIndex(Index, Count());
    Stages_.erase(Stages_.begin() + Index);
}

PPaintStage TPaintStages::Items(int32_t Index) {
    CheckIndex(Index, Count());
    return &Stages_[size_t(Index)];
}

} // namespace gfx
