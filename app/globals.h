// globals.h -- the program's global engine and intro image.
#pragma once

#include "engine/engine.h"
#include "graphics/bitmap.h"

extern Engine g_engine;
extern Bitmap g_introBitmap;
