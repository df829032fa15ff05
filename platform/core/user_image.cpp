// user_image.cpp -- LoadImageA: BMP files into DIB sections (or screen-compatible bitmaps); no resources exist.
#include "bmp_decoder.h"
#include "display.h"
#include "gdi_objects.h"
#include "log.h"
#include "relay.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace plat;

namespace {

// A bigger file is refused, which bounds the time an RLE stream of no-ops can take.
constexpr std::uint64_t kLargestFile = std::uint64_t{300} << 20;

// A regular file, read where the decoder asks. Anything else (a FIFO, a device, a folder) is refused when opened:
// O_NONBLOCK keeps opening a FIFO with no writer from waiting for one, and the type is checked on what was opened.
class FileSource : public BmpSource {
public:
    // The file at `path`, or null with the reason in `why`.
    static std::unique_ptr<FileSource> Open(const char* path, std::string* why) {
        const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (descriptor < 0) {
            *why = std::strerror(errno);
            return nullptr;
        }
        auto file = std::unique_ptr<FileSource>(new FileSource(descriptor));
        struct stat status {};
        if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
            *why = "not a regular file";
        } else if (status.st_size <= 0) {
            *why = "the file is empty";
        } else if (std::uint64_t(status.st_size) > kLargestFile) {
            *why = "larger than " + std::to_string(kLargestFile >> 20) + " MiB";
        } else {
            file->size_ = std::uint64_t(status.st_size);
            return file;
        }
        return nullptr;
    }

    ~FileSource() override { close(descriptor_); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t Size() const override { return size_; }

    bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) override {
        while (count > 0) {
            const ssize_t got = pread(descriptor_, out, count, off_t(offset));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return false;
            }
            out += got;
            offset += std::uint64_t(got);
            count -= std::size_t(got);
        }
        return true;
    }

private:
    explicit FileSource(int descriptor) : descriptor_(descriptor) {}

    int descriptor_;
    std::uint64_t size_ = 0;
};

// The file's pixels decoded straight into the canvas the bitmap will own; null, with the reason in `why`, if the
// file cannot be read or is no BMP file.
std::unique_ptr<Canvas> DecodeFile(const char* path, int& fileBitCount, std::string* why) {
    const std::unique_ptr<FileSource> file = FileSource::Open(path, why);
    if (!file) {
        return nullptr;
    }
    const std::optional<BmpFormat> format = ReadBmpFormat(*file);
    auto canvas =
        format ? std::make_unique<Canvas>(format->width, format->height, format->layout, &format->palette) : nullptr;
    if (!canvas || !canvas->Valid() || !DecodeBmpPixels(*file, *format, canvas->Bits(), canvas->Pitch())) {
        *why = "not a BMP file, or a damaged one";
        return nullptr;
    }
    fileBitCount = format->fileBitCount;
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
    const bool resourceNumber = reinterpret_cast<std::uintptr_t>(path) < 0x10000;
    if (resourceNumber) {
        return nullptr;
    }
    int fileBitCount = 0;
    std::string why;
    std::unique_ptr<Canvas> canvas = DecodeFile(path, fileBitCount, &why);
    if (!canvas) {
        // Once a run: a program may try the same file again every frame.
        std::error_code error;
        WarnOnce("cannot load %s: %s", std::filesystem::absolute(path, error).c_str(), why.c_str());
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
    bitmap->bitsPixel = dibSection ? fileBitCount : canvas->BitsPerPixel();
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
