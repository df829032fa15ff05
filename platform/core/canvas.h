// canvas.h -- a block of pixels in one of the display's formats, with the pixman image over it.
#pragma once

#include <windows.h>

#include <pixman.h>

#include <cstdint>
#include <memory>

namespace plat {

// The pixel layouts a DirectDraw display mode or a decoded DIB can have (bytes in memory order, little-endian).
enum class PixelLayout {
    Indexed8,  // one byte, an index into the canvas's palette
    Rgb555,    // 16 bits: x1 r5 g5 b5
    Rgb565,    // 16 bits: r5 g6 b5
    Rgb888,    // 24 bits: bytes b, g, r
    Xrgb8888,  // 32 bits: bytes b, g, r, unused
};

int BitsPerPixel(PixelLayout layout);

// 256 colours as 0x00RRGGBB.
struct Palette {
    std::uint32_t rgb[256];
};

// The fixed palette of the 8-bit display mode: 3 bits red, 3 green, 2 blue.
const Palette& DefaultPalette();

// The lowest index among the palette's entries nearest to `color` (0x00BBGGRR).
int NearestIndex(const Palette& palette, COLORREF color);

struct IndexedColors;

class Canvas {
public:
    // Zero-filled pixels, rows top-down, pitch a multiple of 4; memory the pixels never write to stays untouched.
    // `palette` is copied (Indexed8 only; null there means DefaultPalette()). Check Valid(): allocation of absurd
    // sizes fails, leaving a 0 x 0 canvas.
    Canvas(int width, int height, PixelLayout layout, const Palette* palette = nullptr);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool Valid() const { return image_ != nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Pitch() const { return pitch_; }
    PixelLayout Layout() const { return layout_; }
    int BitsPerPixel() const { return plat::BitsPerPixel(layout_); }
    std::uint8_t* Bits() { return bits_.get(); }
    const std::uint8_t* Bits() const { return bits_.get(); }
    pixman_image_t* Image() const { return image_; }
    const Palette& Colors() const;

    // The pixel value that shows `color` (0x00BBGGRR) best in this layout.
    std::uint32_t MapColor(COLORREF color) const;
    // The colour (0x00BBGGRR) a pixel value shows.
    COLORREF PixelColor(std::uint32_t pixel) const;
    std::uint32_t ReadPixel(int x, int y) const;
    void WritePixel(int x, int y, std::uint32_t pixel);

    // Frees the pixels' contents as a lost DirectDraw surface does (zeroed).
    void Clear();

    // Before colours are converted into this 8-bit canvas: pixman then needs the palette's nearest-colour table.
    void PrepareColorConversion();

private:
    int width_;
    int height_;
    int pitch_;
    PixelLayout layout_;
    Palette palette_;
    struct FreeBits {
        void operator()(std::uint8_t* bits) const;
    };
    std::unique_ptr<std::uint8_t, FreeBits> bits_;
    std::shared_ptr<IndexedColors> indexed_;  // Indexed8 only
    pixman_image_t* image_ = nullptr;
};

// Fills `rect` (clipped to the canvas) with a raw pixel value.
void FillRect(Canvas& canvas, const RECT& rect, std::uint32_t pixel);

// Copies `srcRect` of `src` onto `dstRect` of `dst`, nearest-neighbour scaled and converted between layouts.
// Destination pixels outside `dst` are skipped without changing the mapping; source pixels outside `src` read
// as black. Empty or inverted rectangles copy nothing (nor do ones over 2^30 pixels on a side). Between 8-bit
// canvases with equal palettes indices copy as they are. Onto other 8-bit canvases a colour becomes the palette
// entry nearest to it cut to 5 bits a channel (pixman's table, built for the palette on the first such copy),
// where MapColor looks at all 8 bits.
void StretchCopy(Canvas& dst, const RECT& dstRect, const Canvas& src, const RECT& srcRect);

}  // namespace plat
