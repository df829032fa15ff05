// indexed_colors.h -- pixman's colour tables for 8-bit canvases: one for each palette, shared by the canvases that
// use it, its nearest-colour part built only when colours are first converted into such a canvas.
#pragma once

#include "canvas.h"

#include <pixman.h>

#include <memory>

namespace plat {

struct IndexedColors {
    Palette palette;
    // The colours, filled at once; `ent`, the nearest index for each 15-bit colour, only once nearestBuilt.
    pixman_indexed_t table;
    bool nearestBuilt = false;
};

// The table of `palette`: the one kept for it (the default palette's and the last few others'), else a new one.
std::shared_ptr<IndexedColors> SharedIndexedColors(const Palette& palette);

// Fills the nearest-colour part, once per table: a search of the palette for each of 32768 colours (about 10 ms).
void BuildNearestColors(IndexedColors& colors);

}  // namespace plat
