// The graphics library: include this one header.
#pragma once

#include "gfx/bitmap32.h"
#include "gfx/blend.h"
#include "gfx/canvas.h"
#include "gfx/color.h"
#include "gfx/device_context.h"
#include "gfx/drawing_ex.h"
#include "gfx/float_math.h"
#include "gfx/gamma.h"
#include "gfx/geometry.h"
#include "gfx/gfx_init.h"
#include "gfx/graphic.h"
#include "gfx/low_level.h"
#include "gfx/persistent.h"
#include "gfx/system.h"
#include "gfx/thread_persistent.h"
#include "gfx/transforms.h"
