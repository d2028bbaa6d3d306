#include "gfx/thread_persistent.h"

#include "gfx/graphic.h"

namespace gfx {

std::mutex& LockCountGuard() {
    static std::mutex Guard; // constant-initialised: usable before and after start-up
    return Guard;
}

void TThreadPersistent::EndUpdate() {
    if (UpdateCount_ <= 0) throw platform::EAssertionFailed("Unpaired TThreadPersistent.EndUpdate");
    --UpdateCount_;
}

void TThreadPersistent::Changed() {
    if (UpdateCount_ == 0 && OnChange) OnChange(this);
}

void TThreadPersistent::Lock() {
    {
        std::lock_guard<std::mutex> G(LockCountGuard());
        ++LockCount_;
    }
    LockSection_.lock();
}

void TThreadPersistent::Unlock() {
    LockSection_.unlock();
    std::lock_guard<std::mutex> G(LockCountGuard());
    --LockCount_;
}

bool TCustomMap::SetSize(int32_t NewWidth, int32_t NewHeight) {
    if (NewWidth < 0) NewWidth = 0;
    if (NewHeight < 0) NewHeight = 0;
    if (NewWidth == Width_ && NewHeight == Height_) return false;
    ChangeSize(Width_, Height_, NewWidth, NewHeight);
    Changed();
    Resized();
    return true;
}

bool TCustomMap::SetSizeFrom(TPersistent* Source) {
    if (!Source) return SetSize(0, 0);
    if (auto* M = dynamic_cast<TCustomMap*>(Source)) return SetSize(M->Width(), M->Height());
    if (auto* G = dynamic_cast<TGraphic*>(Source)) return SetSize(G->GetWidth(), G->GetHeight());
    if (auto* C = dynamic_cast<TControl*>(Source)) return SetSize(C->GetWidth(), C->GetHeight());
    throw platform::Exception("Can't set size from '" + Source->ClassName() + "'");
}

} // namespace gfx
