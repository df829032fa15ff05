// user_image.cpp -- LoadImageA: BMP files into DIB sections (or screen-compatible bitmaps); no resources exist.
#include "bmp_decoder.h"
#include "display.h"
#include "gdi_objects.h"
#include "relay.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

using namespace plat;

namespace {

// Larger files cannot hold an image this layer accepts (at most 256 MiB of pixels).
constexpr long kLargestFile = 300L * 1024 * 1024;

bool ReadFile(const char* path, std::vector<std::uint8_t>* contents) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path, "rb"), std::fclose);
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) {
        return false;
    }
    const long size = std::ftell(file.get());
    if (size <= 0 || size > kLargestFile || std::fseek(file.get(), 0, SEEK_SET) != 0) {
        return false;
    }
    contents->resize(static_cast<std::size_t>(size));
    return std::fread(contents->data(), 1, contents->size(), file.get()) == contents->size();
}

std::unique_ptr<Canvas> ToCanvas(const DecodedBmp& image) {
    auto canvas = std::make_unique<Canvas>(image.width, image.height, image.layout, &image.palette);
    if (!canvas->Valid()) {
        return nullptr;
    }
    const std::size_t rowBytes = std::min<std::size_t>(canvas->Pitch(), image.pitch);
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(canvas->Bits() + std::size_t(y) * canvas->Pitch(),
                    image.pixels.data() + std::size_t(y) * image.pitch, rowBytes);
    }
    return canvas;
}

// A copy of `source` at another size or in another layout.
std::unique_ptr<Canvas> Converted(const Canvas& source, int width, int height, PixelLayout layout) {
    auto canvas = std::make_unique<Canvas>(width, height, layout);
    if (!canvas->Valid()) {
        return nullptr;
    }
    StretchCopy(*canvas, RECT{0, 0, width, height}, source, RECT{0, 0, source.Width(), source.Height()});
    return canvas;
}

HANDLE LoadBitmapFile(const char* path, int width, int height, UINT flags) {
    std::vector<std::uint8_t> contents;
    const bool resourceNumber = reinterpret_cast<std::uintptr_t>(path) < 0x10000;
    if (resourceNumber || !ReadFile(path, &contents)) {
        return nullptr;
    }
    const std::optional<DecodedBmp> image = DecodeBmp(contents.data(), contents.size());
    if (!image) {
        return nullptr;
    }
    std::unique_ptr<Canvas> canvas = ToCanvas(*image);
    if (!canvas) {
        return nullptr;
    }
    const bool dibSection = (flags & LR_CREATEDIBSECTION) != 0;
    // Without LR_CREATEDIBSECTION the bitmap takes the screen's format, as a device-dependent bitmap does.
    const PixelLayout layout = dibSection ? canvas->Layout() : display::ScreenLayout();
    const int wantedWidth = width > 0 ? width : canvas->Width();
    const int wantedHeight = height > 0 ? height : canvas->Height();
    if (wantedWidth != canvas->Width() || wantedHeight != canvas->Height() || layout != canvas->Layout()) {
        canvas = Converted(*canvas, wantedWidth, wantedHeight, layout);
        if (!canvas) {
            return nullptr;
        }
    }
    auto bitmap = std::make_unique<gdi::Bitmap>();
    // A DIB section keeps the file's depth; 1- and 4-bit pixels are held here one byte each.
    bitmap->bitsPixel = dibSection ? image->fileBitCount : canvas->BitsPerPixel();
    bitmap->dibSection = dibSection;
    bitmap->canvas = std::move(canvas);
    return gdi::Add(std::move(bitmap), "bitmap");
}

}  // namespace

HANDLE WINAPI LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad) {
    return relay::Call(
        "LoadImageA",
        [&]() -> HANDLE {
            if (type != IMAGE_BITMAP || !(fuLoad & LR_LOADFROMFILE)) {
                return nullptr;  // icons and cursors are not loaded here, and no module carries resources
            }
            return LoadBitmapFile(name, cx, cy, fuLoad);
        },
        static_cast<const void*>(hInst), relay::Text{name}, type, cx, cy, relay::Hex(fuLoad));
}
