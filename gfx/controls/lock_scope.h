// Scope guards: a lockable object's lock held, or a flag set, for a scope,
// released or cleared also when the scope raises.
#pragma once

#include "gfx/thread_persistent.h"

namespace gfx {

class TLockScope {
  public:
    explicit TLockScope(TThreadPersistent& Object) : Object_(Object) { Object_.Lock(); }
    ~TLockScope() { Object_.Unlock(); }
    TLockScope(const TLockScope&) = delete;
    TLockScope& operator=(const TLockScope&) = delete;

  private:
    TThreadPersistent& Object_;
};

class TFlagScope {
  public:
    explicit TFlagScope(bool& Flag) : Flag_(Flag) { Flag_ = true; }
    ~TFlagScope() { Flag_ = false; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

  private:
    bool& Flag_;
};

} // namespace gfx
