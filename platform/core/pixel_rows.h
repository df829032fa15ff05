// pixel_rows.h -- rows of pixels copied, scaled and converted with the widest vector instructions the processor has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat {

// The source index under the centre of destination index `i` when `from` pixels are scaled to `to`
// (nearest-neighbour).
int NearestSource(int i, int from, int to);

// Which source pixel each pixel of a scaled row shows, with the columns grouped for the vector routines.
class ColumnMap {
public:
    // Eight destination pixels whose sources lie within eight pixels from `base`: `lanes` says which of those
    // each one shows. `base` is -1 where they spread wider (a shrinking scale).
    struct Block {
        std::int32_t base;
        std::uint8_t lanes[8];
    };

    ColumnMap() = default;
    // Destination pixel i shows source pixel columns[i]; the columns never decrease and lie in [0, sourceWidth).
    ColumnMap(std::vector<std::int32_t> columns, int sourceWidth);
    // Each of `width` pixels shows the source pixel under its centre (NearestSource).
    static ColumnMap Nearest(int sourceWidth, int width);

    int SourceWidth() const { return sourceWidth_; }
    int Width() const { return static_cast<int>(columns_.size()); }
    const std::int32_t* Columns() const { return columns_.data(); }
    const Block* Blocks() const { return blocks_.data(); }  // one for every whole eight of Width()
    // True if every block reads within its eight source pixels (never where the row shrinks or is under eight).
    bool Windowed() const { return windowed_; }

private:
    int sourceWidth_ = 0;
    std::vector<std::int32_t> columns_;
    std::vector<Block> blocks_;
    bool windowed_ = false;
};

enum class InstructionSet { Portable, Sse2, Avx2 };

struct RowRoutines {
    // Copies `bytes` bytes between buffers that do not overlap, at a speed that does not depend on how the two are
    // aligned.
    void (*copy)(void* out, const void* in, std::size_t bytes);
    // out[i] = in[column i] | orBits for each pixel of the map's row.
    void (*scale32)(std::uint32_t* out, const std::uint32_t* in, const ColumnMap& map, std::uint32_t orBits);
    // The same from 5-6-5 pixels, widened to x8r8g8b8 by repeating each channel's top bits (as pixman widens).
    void (*scale565)(std::uint32_t* out, const std::uint16_t* in, const ColumnMap& map, std::uint32_t orBits);
};

// The routines of `set`, or null where this processor or this build cannot run them.
const RowRoutines* RowRoutinesFor(InstructionSet set);
// The routines of the widest set this processor runs, chosen once.
const RowRoutines& FastestRowRoutines();

}  // namespace plat
