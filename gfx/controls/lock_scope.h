// Holds a lockable object's lock for a scope, released also when it raises.
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

} // namespace gfx
