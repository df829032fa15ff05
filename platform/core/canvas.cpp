// canvas.cpp -- pixel blocks over pixman: layouts, colour mapping, fills and nearest-neighbour copies.
#include "canvas.h"

#include "indexed_colors.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace plat {
namespace {

constexpr int kMaxSide = 16384;
constexpr std::int64_t kMaxPixelBytes = std::int64_t{256} << 20;
// Copy rectangles longer than this on a side are refused; it keeps the mapping arithmetic inside 64 bits.
constexpr std::int64_t kMaxRectSide = std::int64_t{1} << 30;
// The largest scale step handed to pixman (8192 source pixels a destination pixel): transformed extents of a
// canvas-sized composite then stay inside pixman's 16.16 range. Runs verify every sample, so a capped step
// only makes them shorter.
constexpr std::int64_t kMaxFixedStep = std::int64_t{1} << 29;

pixman_format_code_t PixmanFormat(PixelLayout layout) {
    switch (layout) {
        case PixelLayout::Indexed8:
            return PIXMAN_c8;
        case PixelLayout::Rgb555:
            return PIXMAN_x1r5g5b5;
        case PixelLayout::Rgb565:
            return PIXMAN_r5g6b5;
        case PixelLayout::Rgb888:
            return PIXMAN_r8g8b8;
        case PixelLayout::Xrgb8888:
            break;
    }
    return PIXMAN_x8r8g8b8;
}

int Expand5(std::uint32_t v) {
    return static_cast<int>((v << 3) | (v >> 2));
}
int Expand6(std::uint32_t v) {
    return static_cast<int>((v << 2) | (v >> 4));
}

struct Rgb {
    int r;
    int g;
    int b;
};

Rgb FromColorRef(COLORREF color) {
    return {static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
            static_cast<int>((color >> 16) & 0xFF)};
}

Rgb FromPaletteEntry(std::uint32_t rgb) {
    return {static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>(rgb & 0xFF)};
}

int Distance(Rgb a, Rgb b) {
    const int dr = a.r - b.r;
    const int dg = a.g - b.g;
    const int db = a.b - b.b;
    return dr * dr + dg * dg + db * db;
}

std::uint32_t LoadPixel(const std::uint8_t* at, int bitsPerPixel) {
    switch (bitsPerPixel) {
        case 8:
            return at[0];
        case 16: {
            std::uint16_t value;
            std::memcpy(&value, at, sizeof value);
            return value;
        }
        case 24:
            return at[0] | (at[1] << 8) | (at[2] << 16);
        default: {
            std::uint32_t value;
            std::memcpy(&value, at, sizeof value);
            return value;
        }
    }
}

void StorePixel(std::uint8_t* at, int bitsPerPixel, std::uint32_t pixel) {
    switch (bitsPerPixel) {
        case 8:
            at[0] = static_cast<std::uint8_t>(pixel);
            break;
        case 16: {
            const auto value = static_cast<std::uint16_t>(pixel);
            std::memcpy(at, &value, sizeof value);
            break;
        }
        case 24:
            at[0] = static_cast<std::uint8_t>(pixel);
            at[1] = static_cast<std::uint8_t>(pixel >> 8);
            at[2] = static_cast<std::uint8_t>(pixel >> 16);
            break;
        default:
            std::memcpy(at, &pixel, sizeof pixel);
            break;
    }
}

template <typename Byte>
Byte* PixelAddress(Byte* bits, int pitch, int bitsPerPixel, std::int64_t x, std::int64_t y) {
    return bits + y * pitch + x * (bitsPerPixel / 8);
}

// One axis of a nearest-neighbour copy, as GDI's StretchBlt samples: destination index i (0-based inside the
// destination rectangle) reads source index srcStart + ceil((2i + 1) * srcLen / (2 * dstLen)) - 1, the source pixel
// under i's centre, the lower one where the centre falls on a boundary.
struct AxisMapping {
    std::int64_t dstStart;
    std::int64_t dstLen;
    std::int64_t srcStart;
    std::int64_t srcLen;

    std::int64_t SourceAt(std::int64_t i) const { return srcStart + ((2 * i + 1) * srcLen - 1) / (2 * dstLen); }
};

// The source indices of consecutive destination indices, without a division for each.
class SourceWalk {
public:
    SourceWalk(const AxisMapping& map, std::int64_t i)
        : denominator_(2 * map.dstLen),
          stepWhole_(2 * map.srcLen / denominator_),
          stepRest_(2 * map.srcLen % denominator_) {
        const std::int64_t numerator = (2 * i + 1) * map.srcLen - 1;
        index_ = map.srcStart + numerator / denominator_;
        rest_ = numerator % denominator_;
    }

    std::int64_t Index() const { return index_; }

    void Next() {
        index_ += stepWhole_;
        rest_ += stepRest_;
        if (rest_ >= denominator_) {
            rest_ -= denominator_;
            ++index_;
        }
    }

private:
    std::int64_t denominator_;
    std::int64_t stepWhole_;
    std::int64_t stepRest_;
    std::int64_t index_;
    std::int64_t rest_;
};

struct AxisPlan {
    AxisMapping map;
    std::int64_t clipBegin;  // destination indices [clipBegin, clipEnd) lie on the destination canvas,
    std::int64_t clipEnd;
    std::int64_t innerBegin;  // and of those, [innerBegin, innerEnd) read from the source canvas
    std::int64_t innerEnd;

    bool ReadsOutside() const { return innerBegin != clipBegin || innerEnd != clipEnd; }
    bool Scaled() const { return map.srcLen != map.dstLen; }
};

// The first index in [begin, end) whose source index is at least `source`, or `end`.
std::int64_t FirstReadingFrom(const AxisMapping& map, std::int64_t source, std::int64_t begin, std::int64_t end) {
    while (begin < end) {
        const std::int64_t middle = begin + (end - begin) / 2;
        if (map.SourceAt(middle) >= source) {
            end = middle;
        } else {
            begin = middle + 1;
        }
    }
    return begin;
}

// False when the axis copies nothing: empty, inverted or oversized rectangles, or nothing on the destination.
bool PlanAxis(LONG dstFrom, LONG dstTo, int dstExtent, LONG srcFrom, LONG srcTo, int srcExtent, AxisPlan& plan) {
    const AxisMapping map{dstFrom, std::int64_t{dstTo} - dstFrom, srcFrom, std::int64_t{srcTo} - srcFrom};
    if (map.dstLen <= 0 || map.srcLen <= 0 || map.dstLen > kMaxRectSide || map.srcLen > kMaxRectSide) {
        return false;
    }
    plan.map = map;
    plan.clipBegin = std::max<std::int64_t>(0, -map.dstStart);
    plan.clipEnd = std::min<std::int64_t>(map.dstLen, dstExtent - map.dstStart);
    if (plan.clipBegin >= plan.clipEnd) {
        return false;
    }
    plan.innerBegin = FirstReadingFrom(map, 0, plan.clipBegin, plan.clipEnd);
    plan.innerEnd = FirstReadingFrom(map, srcExtent, plan.innerBegin, plan.clipEnd);
    return true;
}

RECT DestinationRect(const AxisPlan& x, const AxisPlan& y, bool inner) {
    const auto edge = [](const AxisPlan& axis, std::int64_t i) { return static_cast<LONG>(axis.map.dstStart + i); };
    return inner ? RECT{edge(x, x.innerBegin), edge(y, y.innerBegin), edge(x, x.innerEnd), edge(y, y.innerEnd)}
                 : RECT{edge(x, x.clipBegin), edge(y, y.clipBegin), edge(x, x.clipEnd), edge(y, y.clipEnd)};
}

// Destination pixels that read outside the source show black: the bands of the clipped rectangle around
// the part that reads inside.
void BlackenOutside(Canvas& dst, const AxisPlan& x, const AxisPlan& y) {
    if (!x.ReadsOutside() && !y.ReadsOutside()) {
        return;
    }
    const std::uint32_t black = dst.MapColor(RGB(0, 0, 0));
    const RECT clip = DestinationRect(x, y, false);
    const RECT inner = DestinationRect(x, y, true);
    if (inner.left >= inner.right || inner.top >= inner.bottom) {
        FillRect(dst, clip, black);
        return;
    }
    FillRect(dst, RECT{clip.left, clip.top, clip.right, inner.top}, black);
    FillRect(dst, RECT{clip.left, inner.bottom, clip.right, clip.bottom}, black);
    FillRect(dst, RECT{clip.left, inner.top, inner.left, inner.bottom}, black);
    FillRect(dst, RECT{inner.right, inner.top, clip.right, inner.bottom}, black);
}

bool InnerEmpty(const AxisPlan& x, const AxisPlan& y) {
    return x.innerBegin >= x.innerEnd || y.innerBegin >= y.innerEnd;
}

// The 16.16 step of pixman's transform nearest to the scale.
std::int64_t FixedStep(const AxisMapping& map) {
    const std::int64_t step = (map.srcLen * pixman_fixed_1 * 2 + map.dstLen) / (2 * map.dstLen);
    return std::clamp<std::int64_t>(step, 1, kMaxFixedStep);
}

// Destination indices [begin, end) that one pixman transform with `offset` samples exactly.
struct Run {
    std::int64_t begin;
    std::int64_t end;
    pixman_fixed_t offset;
};

// pixman samples pixel j of a composite (source origin 0) at v = offset + step * j + (step + 1) / 2 and reads
// source pixel (v - pixman_fixed_e) >> 16. The 16.16 step is not the exact scale, so the longest run from `begin`
// is found whose samples all land in the right source pixel, with the offset in the middle of the allowed range.
Run ExactRun(const AxisPlan& plan, std::int64_t step, std::int64_t begin) {
    std::int64_t low = INT64_MIN;
    std::int64_t high = INT64_MAX;
    std::int64_t i = begin;
    for (SourceWalk walk(plan.map, begin); i < plan.innerEnd; ++i, walk.Next()) {
        const std::int64_t travelled = (i - begin) * step;
        const std::int64_t pixelStart = walk.Index() * pixman_fixed_1;
        const std::int64_t newLow = std::max(low, pixelStart + pixman_fixed_e - travelled);
        const std::int64_t newHigh = std::min(high, pixelStart + pixman_fixed_1 - travelled);
        if (newLow > newHigh) {
            break;
        }
        low = newLow;
        high = newHigh;
    }
    const std::int64_t firstSample = low + (high - low) / 2;
    return {begin, i, static_cast<pixman_fixed_t>(firstSample - (step + 1) / 2)};
}

// Draws destination rows [begin, end) of the columns [left, left + width) (destination canvas coordinates): each
// group of consecutive rows reading one source row is drawn once, by drawRow(row, sourceRow), and the other rows
// of the group are copied from it.
template <typename DrawRow>
void DrawEachSourceRowOnce(Canvas& dst, const AxisPlan& y, std::int64_t begin, std::int64_t end, std::int64_t left,
                           std::int64_t width, DrawRow drawRow) {
    const int bits = dst.BitsPerPixel();
    const auto bytes = static_cast<std::size_t>(width * (bits / 8));
    SourceWalk walk(y.map, begin);
    for (std::int64_t row = begin; row < end;) {
        const std::int64_t sourceRow = walk.Index();
        drawRow(row, sourceRow);
        const std::uint8_t* const drawn = PixelAddress(dst.Bits(), dst.Pitch(), bits, left, y.map.dstStart + row);
        for (++row, walk.Next(); row < end && walk.Index() == sourceRow; ++row, walk.Next()) {
            std::memcpy(PixelAddress(dst.Bits(), dst.Pitch(), bits, left, y.map.dstStart + row), drawn, bytes);
        }
    }
}

// Composites the destination rows [top, bottom) of one run of columns and one run of rows.
void CompositeRuns(Canvas& dst, const Canvas& src, const AxisPlan& x, const AxisPlan& y, const Run& columns,
                   const Run& rows, std::int64_t top, std::int64_t bottom) {
    const pixman_transform_t transform = {{
        {static_cast<pixman_fixed_t>(FixedStep(x.map)), 0, columns.offset},
        {0, static_cast<pixman_fixed_t>(FixedStep(y.map)),
         static_cast<pixman_fixed_t>(rows.offset + (top - rows.begin) * FixedStep(y.map))},
        {0, 0, pixman_fixed_1},
    }};
    if (pixman_image_set_transform(src.Image(), &transform)) {  // fails only out of memory
        pixman_image_composite32(
            PIXMAN_OP_SRC, src.Image(), nullptr, dst.Image(), 0, 0, 0, 0,
            static_cast<std::int32_t>(x.map.dstStart + columns.begin), static_cast<std::int32_t>(y.map.dstStart + top),
            static_cast<std::int32_t>(columns.end - columns.begin), static_cast<std::int32_t>(bottom - top));
    }
}

void CompositeScaled(Canvas& dst, const Canvas& src, const AxisPlan& x, const AxisPlan& y) {
    // When rows repeat, pixman scales each source row once and the repeats are plain copies.
    const bool rowsRepeat = y.map.dstLen > y.map.srcLen;
    for (std::int64_t row = y.innerBegin; row < y.innerEnd;) {
        const Run rows = ExactRun(y, FixedStep(y.map), row);
        for (std::int64_t column = x.innerBegin; column < x.innerEnd;) {
            const Run columns = ExactRun(x, FixedStep(x.map), column);
            if (rowsRepeat) {
                DrawEachSourceRowOnce(dst, y, rows.begin, rows.end, x.map.dstStart + columns.begin,
                                      columns.end - columns.begin, [&](std::int64_t top, std::int64_t) {
                                          CompositeRuns(dst, src, x, y, columns, rows, top, top + 1);
                                      });
            } else {
                CompositeRuns(dst, src, x, y, columns, rows, rows.begin, rows.end);
            }
            column = columns.end;
        }
        row = rows.end;
    }
    // Others composite from this image too; they expect no transform.
    pixman_image_set_transform(src.Image(), nullptr);
}

void CompositeUnscaled(Canvas& dst, const Canvas& src, const AxisPlan& x, const AxisPlan& y) {
    pixman_image_composite32(
        PIXMAN_OP_SRC, src.Image(), nullptr, dst.Image(), static_cast<std::int32_t>(x.map.srcStart + x.innerBegin),
        static_cast<std::int32_t>(y.map.srcStart + y.innerBegin), 0, 0,
        static_cast<std::int32_t>(x.map.dstStart + x.innerBegin),
        static_cast<std::int32_t>(y.map.dstStart + y.innerBegin), static_cast<std::int32_t>(x.innerEnd - x.innerBegin),
        static_cast<std::int32_t>(y.innerEnd - y.innerBegin));
}

// Raw values mean the same colours on both canvases.
bool SameRawColors(const Canvas& a, const Canvas& b) {
    return a.Layout() == b.Layout() &&
           (a.Layout() != PixelLayout::Indexed8 || std::memcmp(&a.Colors(), &b.Colors(), sizeof(Palette)) == 0);
}

// 8-bit copy between equal palettes: indices as they are.
void CopyIndices(Canvas& dst, const Canvas& src, const AxisPlan& x, const AxisPlan& y) {
    const std::int64_t left = x.map.dstStart + x.innerBegin;
    const std::int64_t width = x.innerEnd - x.innerBegin;
    DrawEachSourceRowOnce(dst, y, y.innerBegin, y.innerEnd, left, width, [&](std::int64_t row, std::int64_t sourceRow) {
        std::uint8_t* const out = PixelAddress(dst.Bits(), dst.Pitch(), 8, left, y.map.dstStart + row);
        const std::uint8_t* const in = PixelAddress(src.Bits(), src.Pitch(), 8, 0, sourceRow);
        if (!x.Scaled()) {
            std::memcpy(out, in + x.map.srcStart + x.innerBegin, static_cast<std::size_t>(width));
            return;
        }
        SourceWalk walk(x.map, x.innerBegin);
        for (std::int64_t k = 0; k < width; ++k, walk.Next()) {
            out[k] = in[walk.Index()];
        }
    });
}

bool PlanCopy(const Canvas& dst, const RECT& dstRect, const Canvas& src, const RECT& srcRect, AxisPlan& x,
              AxisPlan& y) {
    return dst.Valid() && src.Valid() &&
           PlanAxis(dstRect.left, dstRect.right, dst.Width(), srcRect.left, srcRect.right, src.Width(), x) &&
           PlanAxis(dstRect.top, dstRect.bottom, dst.Height(), srcRect.top, srcRect.bottom, src.Height(), y);
}

}  // namespace

int BitsPerPixel(PixelLayout layout) {
    switch (layout) {
        case PixelLayout::Indexed8:
            return 8;
        case PixelLayout::Rgb555:
        case PixelLayout::Rgb565:
            return 16;
        case PixelLayout::Rgb888:
            return 24;
        case PixelLayout::Xrgb8888:
            break;
    }
    return 32;
}

int NearestIndex(const Palette& palette, COLORREF color) {
    const Rgb wanted = FromColorRef(color);
    int best = 0;
    int bestDistance = INT_MAX;
    for (int i = 0; i < 256 && bestDistance != 0; ++i) {
        const int distance = Distance(FromPaletteEntry(palette.rgb[i]), wanted);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

const Palette& DefaultPalette() {
    static const Palette palette = [] {
        Palette built{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            const std::uint32_t r3 = i >> 5;
            const std::uint32_t g3 = (i >> 2) & 7;
            const std::uint32_t b2 = i & 3;
            const std::uint32_t r = (r3 << 5) | (r3 << 2) | (r3 >> 1);
            const std::uint32_t g = (g3 << 5) | (g3 << 2) | (g3 >> 1);
            const std::uint32_t b = b2 * 0x55;
            built.rgb[i] = (r << 16) | (g << 8) | b;
        }
        return built;
    }();
    return palette;
}

Canvas::Canvas(int width, int height, PixelLayout layout, const Palette* palette)
    : width_(0), height_(0), pitch_(0), layout_(layout), palette_(DefaultPalette()) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        return;
    }
    const int pitch = (width * (plat::BitsPerPixel(layout) / 8) + 3) & ~3;
    const std::int64_t bytes = std::int64_t{pitch} * height;
    if (bytes > kMaxPixelBytes) {
        return;
    }
    // calloc: large blocks come straight from the system already zero, and stay untouched until written.
    bits_.reset(static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(bytes), 1)));
    if (!bits_) {
        return;
    }
    if (layout == PixelLayout::Indexed8) {
        if (palette) {
            palette_ = *palette;
        }
        indexed_ = SharedIndexedColors(palette_);
    }
    image_ = pixman_image_create_bits(PixmanFormat(layout), width, height,
                                      reinterpret_cast<std::uint32_t*>(bits_.get()), pitch);
    if (!image_) {
        bits_.reset();
        indexed_.reset();
        return;
    }
    pixman_image_set_indexed(image_, indexed_ ? &indexed_->table : nullptr);
    pixman_image_set_filter(image_, PIXMAN_FILTER_NEAREST, nullptr, 0);
    width_ = width;
    height_ = height;
    pitch_ = pitch;
}

Canvas::~Canvas() {
    if (image_) {
        pixman_image_unref(image_);
    }
}

void Canvas::FreeBits::operator()(std::uint8_t* bits) const {
    std::free(bits);
}

const Palette& Canvas::Colors() const {
    return palette_;
}

std::uint32_t Canvas::MapColor(COLORREF color) const {
    const Rgb c = FromColorRef(color);
    switch (layout_) {
        case PixelLayout::Indexed8:
            return static_cast<std::uint32_t>(NearestIndex(palette_, color));
        case PixelLayout::Rgb555:
            return static_cast<std::uint32_t>(((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3));
        case PixelLayout::Rgb565:
            return static_cast<std::uint32_t>(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3));
        case PixelLayout::Rgb888:
        case PixelLayout::Xrgb8888:
            break;
    }
    return static_cast<std::uint32_t>((c.r << 16) | (c.g << 8) | c.b);
}

COLORREF Canvas::PixelColor(std::uint32_t pixel) const {
    switch (layout_) {
        case PixelLayout::Indexed8: {
            const Rgb c = FromPaletteEntry(palette_.rgb[pixel & 0xFF]);
            return RGB(c.r, c.g, c.b);
        }
        case PixelLayout::Rgb555:
            return RGB(Expand5((pixel >> 10) & 31), Expand5((pixel >> 5) & 31), Expand5(pixel & 31));
        case PixelLayout::Rgb565:
            return RGB(Expand5((pixel >> 11) & 31), Expand6((pixel >> 5) & 63), Expand5(pixel & 31));
        case PixelLayout::Rgb888:
        case PixelLayout::Xrgb8888:
            break;
    }
    const Rgb c = FromPaletteEntry(pixel);
    return RGB(c.r, c.g, c.b);
}

std::uint32_t Canvas::ReadPixel(int x, int y) const {
    assert(x >= 0 && x < width_ && y >= 0 && y < height_);
    return LoadPixel(PixelAddress(bits_.get(), pitch_, BitsPerPixel(), x, y), BitsPerPixel());
}

void Canvas::WritePixel(int x, int y, std::uint32_t pixel) {
    assert(x >= 0 && x < width_ && y >= 0 && y < height_);
    StorePixel(PixelAddress(bits_.get(), pitch_, BitsPerPixel(), x, y), BitsPerPixel(), pixel);
}

void Canvas::Clear() {
    if (bits_) {
        std::memset(bits_.get(), 0, static_cast<std::size_t>(pitch_) * static_cast<std::size_t>(height_));
    }
}

void Canvas::PrepareColorConversion() {
    if (indexed_) {
        BuildNearestColors(*indexed_);
    }
}

void FillRect(Canvas& canvas, const RECT& rect, std::uint32_t pixel) {
    const int left = static_cast<int>(std::max<LONG>(rect.left, 0));
    const int top = static_cast<int>(std::max<LONG>(rect.top, 0));
    const int right = static_cast<int>(std::min<LONG>(rect.right, canvas.Width()));
    const int bottom = static_cast<int>(std::min<LONG>(rect.bottom, canvas.Height()));
    if (left >= right || top >= bottom) {
        return;
    }
    const int bits = canvas.BitsPerPixel();
    if (bits != 24) {
        // pixman_fill takes the stride in 32-bit words.
        const pixman_bool_t filled = pixman_fill(reinterpret_cast<std::uint32_t*>(canvas.Bits()), canvas.Pitch() / 4,
                                                 bits, left, top, right - left, bottom - top, pixel);
        assert(filled);
        static_cast<void>(filled);
        return;
    }
    // No pixman fill for 24 bits: the first row pixel by pixel, the others copied from it.
    std::uint8_t* const first = PixelAddress(canvas.Bits(), canvas.Pitch(), bits, left, top);
    for (int x = 0; x < right - left; ++x) {
        StorePixel(first + 3 * x, bits, pixel);
    }
    for (int y = 1; y < bottom - top; ++y) {
        std::memcpy(first + static_cast<std::ptrdiff_t>(y) * canvas.Pitch(), first,
                    static_cast<std::size_t>(right - left) * 3);
    }
}

void StretchCopy(Canvas& dst, const RECT& dstRect, const Canvas& src, const RECT& srcRect) {
    AxisPlan x;
    AxisPlan y;
    if (!PlanCopy(dst, dstRect, src, srcRect, x, y)) {
        return;
    }
    BlackenOutside(dst, x, y);
    if (InnerEmpty(x, y)) {
        return;
    }
    if (dst.Layout() == PixelLayout::Indexed8 && SameRawColors(dst, src)) {
        // A round trip through colours could merge near-identical entries.
        CopyIndices(dst, src, x, y);
        return;
    }
    dst.PrepareColorConversion();
    if (x.Scaled() || y.Scaled()) {
        CompositeScaled(dst, src, x, y);
    } else {
        CompositeUnscaled(dst, src, x, y);
    }
}

}  // namespace plat
