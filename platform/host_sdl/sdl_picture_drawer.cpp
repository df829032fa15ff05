// sdl_picture_drawer.cpp -- the picture into SDL's pixels: pixman converts, rows are scaled here and repeated rows
// copied whole, whole-number enlargements repeat each pixel without looking anything up.
#include "sdl_picture_drawer.h"

#include "sdl_format.h"

#include <cstring>

namespace plat {
namespace {

pixman_format_code_t PixmanFormat(Uint32 sdlFormat) {
    switch (sdlFormat) {
        case SDL_PIXELFORMAT_RGB888:
            return PIXMAN_x8r8g8b8;
        case SDL_PIXELFORMAT_ARGB8888:
            return PIXMAN_a8r8g8b8;
        case SDL_PIXELFORMAT_BGR888:
            return PIXMAN_x8b8g8r8;
        case SDL_PIXELFORMAT_ABGR8888:
            return PIXMAN_a8b8g8r8;
        case SDL_PIXELFORMAT_RGB565:
            return PIXMAN_r5g6b5;
        case SDL_PIXELFORMAT_RGB555:
            return PIXMAN_x1r5g5b5;
        case SDL_PIXELFORMAT_BGR24:
            return PIXMAN_r8g8b8;
        case SDL_PIXELFORMAT_RGB24:
            return PIXMAN_b8g8r8;
        default:
            return pixman_format_code_t(0);
    }
}

struct Pixel24 {
    std::uint8_t bytes[3];
};

// Pixels of one format, read-only: the picture itself or its converted copy.
struct Source {
    const std::uint8_t* bits;
    int width;
    int height;
    int pitch;
};

// The source pixel under the centre of destination pixel `i` of `to` (nearest-neighbour).
int SourceIndex(int i, int from, int to) {
    return static_cast<int>((2 * std::int64_t(i) + 1) * from / (2 * std::int64_t(to)));
}

template <typename Pixel, int kFactor>
void RepeatPixels(std::uint8_t* out, const std::uint8_t* in, int count) {
    auto* to = reinterpret_cast<Pixel*>(out);
    const auto* from = reinterpret_cast<const Pixel*>(in);
    for (int i = 0; i < count; ++i) {
        const Pixel pixel = from[i];
        for (int k = 0; k < kFactor; ++k) {
            to[i * kFactor + k] = pixel;
        }
    }
}

template <typename Pixel>
void PickPixels(std::uint8_t* out, const std::uint8_t* in, const std::vector<int>& columns) {
    auto* to = reinterpret_cast<Pixel*>(out);
    const auto* from = reinterpret_cast<const Pixel*>(in);
    const int count = static_cast<int>(columns.size());
    for (int i = 0; i < count; ++i) {
        to[i] = from[columns[i]];
    }
}

// One destination row from one source row: copied, each pixel repeated 2, 3 or 4 times, or picked by column.
template <typename Pixel>
void ScaleRow(std::uint8_t* out, const std::uint8_t* in, int sourceWidth, const std::vector<int>& columns) {
    const int width = static_cast<int>(columns.size());
    switch (width % sourceWidth == 0 ? width / sourceWidth : 0) {
        case 1:
            std::memcpy(out, in, sizeof(Pixel) * std::size_t(width));
            return;
        case 2:
            return RepeatPixels<Pixel, 2>(out, in, sourceWidth);
        case 3:
            return RepeatPixels<Pixel, 3>(out, in, sourceWidth);
        case 4:
            return RepeatPixels<Pixel, 4>(out, in, sourceWidth);
        default:
            return PickPixels<Pixel>(out, in, columns);
    }
}

template <typename Pixel>
void Scale(const Source& source, const PixelTarget& target, const SDL_Rect& rect, const std::vector<int>& columns) {
    const std::uint8_t* previous = nullptr;
    int previousRow = -1;
    for (int j = 0; j < rect.h; ++j) {
        std::uint8_t* out = static_cast<std::uint8_t*>(target.pixels) + std::size_t(rect.y + j) * target.pitch +
                            std::size_t(rect.x) * sizeof(Pixel);
        const int row = SourceIndex(j, source.height, rect.h);
        if (row == previousRow) {
            std::memcpy(out, previous, sizeof(Pixel) * std::size_t(rect.w));
        } else {
            ScaleRow<Pixel>(out, source.bits + std::size_t(row) * source.pitch, source.width, columns);
        }
        previous = out;
        previousRow = row;
    }
}

// The parts of the target outside `rect`: above, below, left and right of it.
int Margins(const PixelTarget& target, const SDL_Rect& rect, pixman_rectangle16_t* margins) {
    const auto box = [](int x, int y, int width, int height) {
        return pixman_rectangle16_t{std::int16_t(x), std::int16_t(y), std::uint16_t(width), std::uint16_t(height)};
    };
    if (rect.w <= 0 || rect.h <= 0) {
        margins[0] = box(0, 0, target.width, target.height);
        return 1;
    }
    int count = 0;
    const int below = rect.y + rect.h;
    const int right = rect.x + rect.w;
    if (rect.y > 0) {
        margins[count++] = box(0, 0, target.width, rect.y);
    }
    if (below < target.height) {
        margins[count++] = box(0, below, target.width, target.height - below);
    }
    if (rect.x > 0) {
        margins[count++] = box(0, rect.y, rect.x, rect.h);
    }
    if (right < target.width) {
        margins[count++] = box(right, rect.y, target.width - right, rect.h);
    }
    return count;
}

// Converts `picture` with pixman onto (x, y) of `pixels`, at its own size.
void Convert(const Canvas& picture, void* pixels, int width, int height, int pitch, Uint32 format, int x, int y) {
    if (pixman_image_t* out = pixman_image_create_bits_no_clear(PixmanFormat(format), width, height,
                                                                static_cast<std::uint32_t*>(pixels), pitch)) {
        pixman_image_composite32(PIXMAN_OP_SRC, picture.Image(), nullptr, out, 0, 0, 0, 0, x, y, picture.Width(),
                                 picture.Height());
        pixman_image_unref(out);
    }
}

}  // namespace

bool CanDrawInto(Uint32 sdlFormat) {
    return PixmanFormat(sdlFormat) != 0;
}

void PictureDrawer::Draw(const Canvas& picture, const PixelTarget& target, const SDL_Rect& rect) {
    if (pixman_image_t* out =
            pixman_image_create_bits_no_clear(PixmanFormat(target.format), target.width, target.height,
                                              static_cast<std::uint32_t*>(target.pixels), target.pitch)) {
        pixman_rectangle16_t margins[4];
        const pixman_color_t black = {0, 0, 0, 0xFFFF};
        if (const int count = Margins(target, rect, margins); count > 0) {
            pixman_image_fill_rectangles(PIXMAN_OP_SRC, out, &black, count, margins);
        }
        pixman_image_unref(out);
    }
    if (rect.w <= 0 || rect.h <= 0) {
        return;
    }
    const bool sameFormat = SdlFormatOf(picture.Layout()) == target.format;
    const bool sameSize = rect.w == picture.Width() && rect.h == picture.Height();
    if (!sameFormat && sameSize) {
        Convert(picture, target.pixels, target.width, target.height, target.pitch, target.format, rect.x, rect.y);
        return;
    }
    const int bytes = SDL_BYTESPERPIXEL(target.format);
    Source source{picture.Bits(), picture.Width(), picture.Height(), picture.Pitch()};
    if (!sameFormat) {
        const int pitch = (picture.Width() * bytes + 3) / 4 * 4;
        staging_.resize(std::size_t(pitch) * picture.Height());
        Convert(picture, staging_.data(), picture.Width(), picture.Height(), pitch, target.format, 0, 0);
        source = Source{staging_.data(), picture.Width(), picture.Height(), pitch};
    }
    columns_.resize(std::size_t(rect.w));
    for (int i = 0; i < rect.w; ++i) {
        columns_[std::size_t(i)] = SourceIndex(i, picture.Width(), rect.w);
    }
    switch (bytes) {
        case 2:
            return Scale<std::uint16_t>(source, target, rect, columns_);
        case 3:
            return Scale<Pixel24>(source, target, rect, columns_);
        default:
            return Scale<std::uint32_t>(source, target, rect, columns_);
    }
}

}  // namespace plat
