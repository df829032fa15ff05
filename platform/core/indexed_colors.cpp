// indexed_colors.cpp -- pixman's colour tables for 8-bit canvases, shared by palette; nearest colours built on need.
#include "indexed_colors.h"

#include <cstring>
#include <vector>

namespace plat {
namespace {

// Palettes kept besides the default one: a picture reloaded at every return of focus finds its table here.
constexpr std::size_t kKeptPalettes = 8;

int Expand5(std::uint32_t v) {
    return static_cast<int>((v << 3) | (v >> 2));
}

std::shared_ptr<IndexedColors> NewIndexedColors(const Palette& palette) {
    auto colors = std::make_shared<IndexedColors>();
    colors->palette = palette;
    colors->table.color = TRUE;
    for (int i = 0; i < 256; ++i) {
        colors->table.rgba[i] = 0xFF000000u | (palette.rgb[i] & 0xFFFFFF);
    }
    return colors;
}

bool SamePalette(const Palette& a, const Palette& b) {
    return std::memcmp(&a, &b, sizeof(Palette)) == 0;
}

}  // namespace

std::shared_ptr<IndexedColors> SharedIndexedColors(const Palette& palette) {
    static const std::shared_ptr<IndexedColors> defaultColors = NewIndexedColors(DefaultPalette());
    static std::vector<std::shared_ptr<IndexedColors>> kept;  // the most recently asked for first
    if (SamePalette(palette, DefaultPalette())) {
        return defaultColors;
    }
    for (auto it = kept.begin(); it != kept.end(); ++it) {
        if (SamePalette((*it)->palette, palette)) {
            std::shared_ptr<IndexedColors> found = *it;
            kept.erase(it);
            kept.insert(kept.begin(), found);
            return found;
        }
    }
    if (kept.size() == kKeptPalettes) {
        kept.pop_back();
    }
    kept.insert(kept.begin(), NewIndexedColors(palette));
    return kept.front();
}

void BuildNearestColors(IndexedColors& colors) {
    if (colors.nearestBuilt) {
        return;
    }
    for (std::uint32_t color = 0; color < 32768; ++color) {
        const COLORREF rgb = RGB(Expand5(color >> 10), Expand5((color >> 5) & 31), Expand5(color & 31));
        colors.table.ent[color] = static_cast<pixman_index_type>(NearestIndex(colors.palette, rgb));
    }
    colors.nearestBuilt = true;
}

}  // namespace plat
