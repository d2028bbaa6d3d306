// Bitmap resources of a module. Linux programs carry no resource section: a
// module registers the bitmap files it holds under its instance handle, by
// number or by name (names are compared without regard to case), and
// TBitmap32::LoadFromResourceID and LoadFromResourceName find them here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/exceptions.h"

namespace gfx {

// "Resource %s not found".
class EResNotFound : public platform::Exception {
  public:
    using Exception::Exception;
};

void RegisterBitmapResource(uintptr_t Instance, int32_t ResID, std::vector<uint8_t> BitmapFile);
void RegisterBitmapResource(uintptr_t Instance, const std::string& ResName, std::vector<uint8_t> BitmapFile);
void UnregisterBitmapResources(uintptr_t Instance);

// A copy of the registered bitmap file; EResNotFound when there is none.
std::vector<uint8_t> FindBitmapResource(uintptr_t Instance, int32_t ResID);
std::vector<uint8_t> FindBitmapResource(uintptr_t Instance, const std::string& ResName);

} // namespace gfx
