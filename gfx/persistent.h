// The framework's base classes as far as the library needs them: objects with
// a class name, and persistent objects that copy themselves into one another.
#pragma once

#include <functional>
#include <string>

#include "platform/exceptions.h"

namespace gfx {

class TObject {
  public:
    virtual ~TObject() = default;
    virtual std::string ClassName() const { return "TObject"; }
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TFiler;

// "Cannot assign a X to a Y": the framework's conversion error.
class EConvertError : public platform::Exception {
  public:
    using Exception::Exception;
};

class TPersistent : public TObject {
  public:
    std::string ClassName() const override { return "TPersistent"; }
    // Copies Source into this object; the default asks Source to do it.
    virtual void Assign(TPersistent* Source) {
        if (Source)
            Source->AssignTo(this);
        else
            AssignError(nullptr);
    }
    // Declares the properties the object streams beyond its published ones.
    virtual void DefineProperties(TFiler*) {}

  protected:
    virtual void AssignTo(TPersistent* Dest) { Dest->AssignError(this); }
    void AssignError(const TPersistent* Source) const {
        throw EConvertError("Cannot assign a " + (Source ? Source->ClassName() : std::string("nil")) +
                            " to a " + ClassName());
    }
    friend class TBitmap32;
};

} // namespace gfx
