// Starts the graphics library for a benchmark program and stops it at the end.
#pragma once

#include "gfx/gfx.h"

namespace gfx_bench {
inline const struct Library {
    Library() { gfx::GfxInitialize(); }
    ~Library() { gfx::GfxFinalize(); }
} kLibrary;
} // namespace gfx_bench
