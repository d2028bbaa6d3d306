// The framework's filer as an object's DefineProperties sees it while a form
// description is read or written: the ancestor the object is compared with,
// and the declaration of raw-data properties.
#pragma once

#include <functional>
#include <string>

#include "gfx/persistent.h"
#include "platform/streams.h"

namespace gfx {

class TFiler {
  public:
    using TStreamProc = std::function<void(platform::TStream& Stream)>;
    virtual ~TFiler() = default;
    // A property stored as a block of bytes: ReadData receives them when a
    // description is read, WriteData produces them when one is written and
    // HasData is True.
    virtual void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                                      bool HasData) = 0;
    // The object of the inherited description being written against (null: none).
    TPersistent* Ancestor = nullptr;
};

} // namespace gfx
