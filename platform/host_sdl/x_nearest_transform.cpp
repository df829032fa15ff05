// x_nearest_transform.cpp -- a 16.16 scale and offset for each axis, chosen so that rounding down lands every pixel
// in the source pixel under its centre, then confirmed by scaling one row (and one column) with pixman itself.
#include "x_nearest_transform.h"

#include "pixel_rows.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace plat {
namespace {

constexpr std::int64_t kOne = pixman_fixed_1;

// One axis of the transform: destination pixel i samples the source at (i + 1/2) * scale + offset.
struct Axis {
    pixman_fixed_t scale;
    pixman_fixed_t offset;
};

// The axis under which floor((i * scale + c) / kOne) is NearestSource(i) for every pixel, with c in the middle of
// the values that do it, for a scale within a unit of from / to; none if no scale there has such a c.
std::optional<Axis> FitAxis(int from, int to) {
    const std::int64_t nearest = from * kOne / to;
    for (const std::int64_t scale : {nearest, nearest + 1, nearest - 1}) {
        std::int64_t low = std::numeric_limits<std::int64_t>::min();
        std::int64_t high = std::numeric_limits<std::int64_t>::max();
        for (int i = 0; i < to && low <= high; ++i) {
            const std::int64_t source = NearestSource(i, from, to);
            low = std::max(low, source * kOne - i * scale);
            high = std::min(high, (source + 1) * kOne - 1 - i * scale);
        }
        if (low <= high && scale > 0 && scale <= std::numeric_limits<pixman_fixed_t>::max()) {
            // pixman samples at the pixel's centre, (i + 1/2) * scale + offset, less its smallest step, and rounds
            // down: the offset that makes that i * scale + c.
            const std::int64_t c = low + (high - low) / 2;
            return Axis{pixman_fixed_t(scale), pixman_fixed_t(c - (scale + 1) / 2 + pixman_fixed_e)};
        }
    }
    return std::nullopt;
}

// True if pixman, scaling `from` pixels to `to` along one axis by `axis`, shows NearestSource in each.
bool PixmanAgrees(int from, int to, const Axis& axis, bool vertical) {
    std::vector<std::uint32_t> source(std::size_t(from), 0);
    std::vector<std::uint32_t> shown(std::size_t(to), 0);
    for (int i = 0; i < from; ++i) {
        source[std::size_t(i)] = std::uint32_t(i) | 0xFF000000u;  // each pixel says where it is
    }
    const int row = vertical ? 1 : from;
    const int shownRow = vertical ? 1 : to;
    pixman_image_t* in = pixman_image_create_bits(PIXMAN_a8r8g8b8, row, vertical ? from : 1, source.data(), 4 * row);
    pixman_image_t* out =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, shownRow, vertical ? to : 1, shown.data(), 4 * shownRow);
    bool agrees = false;
    if (in && out) {
        pixman_transform_t transform;
        pixman_transform_init_identity(&transform);
        const int a = vertical ? 1 : 0;
        transform.matrix[a][a] = axis.scale;
        transform.matrix[a][2] = axis.offset;
        pixman_image_set_transform(in, &transform);
        pixman_image_set_filter(in, PIXMAN_FILTER_NEAREST, nullptr, 0);
        pixman_image_composite32(PIXMAN_OP_SRC, in, nullptr, out, 0, 0, 0, 0, 0, 0, shownRow, vertical ? to : 1);
        agrees = true;
        for (int i = 0; i < to && agrees; ++i) {
            agrees = shown[std::size_t(i)] == (std::uint32_t(NearestSource(i, from, to)) | 0xFF000000u);
        }
    }
    if (in) {
        pixman_image_unref(in);
    }
    if (out) {
        pixman_image_unref(out);
    }
    return agrees;
}

std::optional<Axis> ExactAxis(int from, int to, bool vertical) {
    const std::optional<Axis> axis = FitAxis(from, to);
    return axis && PixmanAgrees(from, to, *axis, vertical) ? axis : std::nullopt;
}

}  // namespace

std::optional<pixman_transform_t> ExactNearestTransform(int sourceWidth, int sourceHeight, int width, int height) {
    if (sourceWidth <= 0 || sourceHeight <= 0 || width <= 0 || height <= 0) {
        return std::nullopt;
    }
    const std::optional<Axis> across = ExactAxis(sourceWidth, width, false);
    const std::optional<Axis> down = across ? ExactAxis(sourceHeight, height, true) : std::nullopt;
    if (!down) {
        return std::nullopt;
    }
    pixman_transform_t transform;
    pixman_transform_init_identity(&transform);
    transform.matrix[0][0] = across->scale;
    transform.matrix[0][2] = across->offset;
    transform.matrix[1][1] = down->scale;
    transform.matrix[1][2] = down->offset;
    return transform;
}

}  // namespace plat
