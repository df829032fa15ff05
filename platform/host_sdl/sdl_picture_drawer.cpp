// sdl_picture_drawer.cpp -- the picture into SDL's pixels: each source row scaled, and converted from 5-6-5 where it
// needs it, once straight into the target, and the target rows that repeat it copied from the first. Formats
// without a routine of their own are converted by pixman first.
#include "sdl_picture_drawer.h"

#include "sdl_format.h"
#include "sdl_picture_rect.h"

#include <algorithm>

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

// How one source row becomes one target row.
enum class RowWay {
    Copy,      // same format, same width
    Scale32,   // 32-bit pixels picked, alpha bits added where the target has them
    Scale565,  // 5-6-5 pixels picked and widened to 32 bits
    Pick16,    // other 16-bit and 24-bit pixels, picked one at a time
    Pick24,
};

template <typename Pixel>
void PickPixels(std::uint8_t* out, const std::uint8_t* in, const ColumnMap& map) {
    auto* to = reinterpret_cast<Pixel*>(out);
    const auto* from = reinterpret_cast<const Pixel*>(in);
    const std::int32_t* columns = map.Columns();
    for (int i = 0; i < map.Width(); ++i) {
        to[i] = from[columns[i]];
    }
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

bool ThirtyTwoBitRgb(Uint32 sdlFormat) {
    return sdlFormat == SDL_PIXELFORMAT_RGB888 || sdlFormat == SDL_PIXELFORMAT_ARGB8888;
}

}  // namespace

bool CanDrawInto(Uint32 sdlFormat) {
    return PixmanFormat(sdlFormat) != 0;
}

void PaintMargins(const PixelTarget& target, const SDL_Rect& rect) {
    SDL_Rect margins[4];
    const int count = Margins(rect, target.width, target.height, margins);
    pixman_rectangle16_t boxes[4];
    for (int i = 0; i < count; ++i) {
        const SDL_Rect& margin = margins[i];
        boxes[i] = {std::int16_t(margin.x), std::int16_t(margin.y), std::uint16_t(margin.w), std::uint16_t(margin.h)};
    }
    if (count == 0) {
        return;
    }
    if (pixman_image_t* out =
            pixman_image_create_bits_no_clear(PixmanFormat(target.format), target.width, target.height,
                                              static_cast<std::uint32_t*>(target.pixels), target.pitch)) {
        const pixman_color_t black = {0, 0, 0, 0xFFFF};
        pixman_image_fill_rectangles(PIXMAN_OP_SRC, out, &black, count, boxes);
        pixman_image_unref(out);
    }
}

int PictureDrawer::SharpFactor(int width, int height, const SDL_Rect& rect) {
    return width > 0 && height > 0 ? std::max(1, std::min(rect.w / width, rect.h / height)) : 1;
}

void PictureDrawer::Draw(const Canvas& picture, const PixelTarget& target, const SDL_Rect& rect, Filter filter) {
    if (rect.w <= 0 || rect.h <= 0) {
        return;
    }
    const bool wholeMultiple = rect.w % picture.Width() == 0 && rect.h % picture.Height() == 0;
    if (filter == Filter::Nearest || (filter == Filter::Sharp && wholeMultiple)) {
        DrawNearest(picture, target, rect);
    } else {
        DrawBlended(picture, target, rect,
                    filter == Filter::Sharp ? SharpFactor(picture.Width(), picture.Height(), rect) : 1);
    }
}

void PictureDrawer::DrawBlended(const Canvas& picture, const PixelTarget& target, const SDL_Rect& rect, int factor) {
    const int width = picture.Width() * factor;
    const int height = picture.Height() * factor;
    const int pitch = (width * SDL_BYTESPERPIXEL(target.format) + 3) / 4 * 4;
    blended_.resize(std::size_t(pitch) * std::size_t(height));
    DrawNearest(picture, PixelTarget{blended_.data(), width, height, pitch, target.format},
                SDL_Rect{0, 0, width, height});
    pixman_image_t* from = pixman_image_create_bits_no_clear(PixmanFormat(target.format), width, height,
                                                             reinterpret_cast<std::uint32_t*>(blended_.data()), pitch);
    pixman_image_t* to = pixman_image_create_bits_no_clear(PixmanFormat(target.format), target.width, target.height,
                                                           static_cast<std::uint32_t*>(target.pixels), target.pitch);
    if (from && to) {
        // Each target pixel's centre maps back onto the source, blended between the four pixels around it; the
        // edges repeat their own pixels rather than fade to black.
        pixman_transform_t scale;
        pixman_transform_init_scale(&scale, pixman_double_to_fixed(double(width) / rect.w),
                                    pixman_double_to_fixed(double(height) / rect.h));
        pixman_image_set_transform(from, &scale);
        pixman_image_set_filter(from, PIXMAN_FILTER_BILINEAR, nullptr, 0);
        pixman_image_set_repeat(from, PIXMAN_REPEAT_PAD);
        pixman_image_composite32(PIXMAN_OP_SRC, from, nullptr, to, 0, 0, 0, 0, rect.x, rect.y, rect.w, rect.h);
    }
    if (from) {
        pixman_image_unref(from);
    }
    if (to) {
        pixman_image_unref(to);
    }
}

void PictureDrawer::DrawNearest(const Canvas& picture, const PixelTarget& target, const SDL_Rect& rect) {
    Source source{picture.Bits(), picture.Width(), picture.Height(), picture.Pitch()};
    const int bytes = SDL_BYTESPERPIXEL(target.format);
    RowWay way = bytes == 4 ? RowWay::Scale32 : bytes == 3 ? RowWay::Pick24 : RowWay::Pick16;
    std::uint32_t alpha = 0;
    if (ThirtyTwoBitRgb(target.format) && picture.Layout() == PixelLayout::Xrgb8888) {
        alpha = target.format == SDL_PIXELFORMAT_ARGB8888 ? 0xFF000000 : 0;
    } else if (ThirtyTwoBitRgb(target.format) && picture.Layout() == PixelLayout::Rgb565) {
        way = RowWay::Scale565;
        alpha = 0xFF000000;  // as pixman widens 5-6-5, also into x8r8g8b8
    } else if (SdlFormatOf(picture.Layout()) != target.format) {
        if (rect.w == picture.Width() && rect.h == picture.Height()) {
            Convert(picture, target.pixels, target.width, target.height, target.pitch, target.format, rect.x, rect.y);
            return;
        }
        const int pitch = (picture.Width() * bytes + 3) / 4 * 4;
        staging_.resize(std::size_t(pitch) * picture.Height());
        Convert(picture, staging_.data(), picture.Width(), picture.Height(), pitch, target.format, 0, 0);
        source = Source{staging_.data(), picture.Width(), picture.Height(), pitch};
    }
    if (way == RowWay::Scale32 && alpha == 0 && rect.w == source.width) {
        way = RowWay::Copy;
    }
    if (columns_.SourceWidth() != source.width || columns_.Width() != rect.w) {
        columns_ = ColumnMap::Nearest(source.width, rect.w);
    }

    const RowRoutines& routines = *routines_;
    const std::size_t rowBytes = std::size_t(rect.w) * bytes;
    const auto drawRow = [&](std::uint8_t* out, const std::uint8_t* in) {
        switch (way) {
            case RowWay::Copy:
                return routines.copy(out, in, rowBytes);
            case RowWay::Scale32:
                return routines.scale32(reinterpret_cast<std::uint32_t*>(out),
                                        reinterpret_cast<const std::uint32_t*>(in), columns_, alpha);
            case RowWay::Scale565:
                return routines.scale565(reinterpret_cast<std::uint32_t*>(out),
                                         reinterpret_cast<const std::uint16_t*>(in), columns_, alpha);
            case RowWay::Pick16:
                return PickPixels<std::uint16_t>(out, in, columns_);
            case RowWay::Pick24:
                return PickPixels<Pixel24>(out, in, columns_);
        }
    };
    const std::uint8_t* previous = nullptr;
    int previousRow = -1;
    for (int j = 0; j < rect.h; ++j) {
        std::uint8_t* out = static_cast<std::uint8_t*>(target.pixels) + std::size_t(rect.y + j) * target.pitch +
                            std::size_t(rect.x) * bytes;
        const int row = NearestSource(j, source.height, rect.h);
        if (row == previousRow) {
            routines.copy(out, previous, rowBytes);
        } else {
            drawRow(out, source.bits + std::size_t(row) * source.pitch);
        }
        previous = out;
        previousRow = row;
    }
}

}  // namespace plat
