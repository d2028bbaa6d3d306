// The lockable base with its update nesting and change event, and the base of
// map-like objects with a width, a height and the resize protocol.
#pragma once

#include <cstdint>
#include <mutex>

#include "gfx/persistent.h"

namespace gfx {

class TThreadPersistent : public TPersistent {
  public:
    TThreadPersistent() = default;
    ~TThreadPersistent() override = default;
    TThreadPersistent(const TThreadPersistent&) = delete;
    TThreadPersistent& operator=(const TThreadPersistent&) = delete;
    std::string ClassName() const override { return "TThreadPersistent"; }

    void BeginUpdate() { ++UpdateCount_; }
    // Raises EAssertionFailed "Unpaired TThreadPersistent.EndUpdate" when no
    // update is open. Does not call Changed.
    void EndUpdate();
    // Raises OnChange outside an update only.
    virtual void Changed();
    void Lock();
    void Unlock();

    int32_t UpdateCount() const { return UpdateCount_; }
    int32_t LockCount() const { return LockCount_; }
    std::recursive_mutex& LockSection() { return LockSection_; }

    TNotifyEvent OnChange;

  private:
    std::recursive_mutex LockSection_;
    int32_t LockCount_ = 0;
    int32_t UpdateCount_ = 0;
};

class TCustomMap : public TThreadPersistent {
  public:
    std::string ClassName() const override { return "TCustomMap"; }
    int32_t Width() const { return Width_; }
    int32_t Height() const { return Height_; }

    // True when the size changed; then Changed and Resized were called.
    virtual bool SetSize(int32_t NewWidth, int32_t NewHeight);
    bool SetWidth(int32_t NewWidth) { return SetSize(NewWidth, Height_); }
    bool SetHeight(int32_t NewHeight) { return SetSize(Width_, NewHeight); }
    // Takes the size of a map, a graphic or a control; null gives 0 x 0.
    bool SetSizeFrom(TPersistent* Source);
    virtual void Delete() { SetSize(0, 0); }
    virtual bool Empty() const { return Width_ == 0 || Height_ == 0; }
    virtual void Resized() {
        if (OnResize) OnResize(this);
    }

    TNotifyEvent OnResize;

  protected:
    virtual void ChangeSize(int32_t& Width, int32_t& Height, int32_t NewWidth, int32_t NewHeight) {
        Width = NewWidth;
        Height = NewHeight;
    }

  private:
    int32_t Height_ = 0;
    int32_t Width_ = 0;
};

// Whether two maps have the same size. Code that resized one to the other's
// size asks again before it copies: a resize handler may have resized again.
inline bool SameSize(const TCustomMap& A, const TCustomMap& B) {
    return A.Width() == B.Width() && A.Height() == B.Height();
}

// Runs Body inside an update of Object, then EndUpdate and one Changed, on
// every path (also when Body raises, which then goes on).
template <typename BodyFn> void ChangeInUpdate(TThreadPersistent& Object, BodyFn Body) {
    Object.BeginUpdate();
    try {
        Body();
    } catch (...) {
        Object.EndUpdate();
        Object.Changed();
        throw;
    }
    Object.EndUpdate();
    Object.Changed();
}

// The process-wide guard held while a LockCount changes.
std::mutex& LockCountGuard();

} // namespace gfx
