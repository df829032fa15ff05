// bmp_decoder.cpp -- decodes Windows BMP files held in memory into top-down rows of pixels for LoadImageA.
#include "bmp_decoder.h"

#include <algorithm>
#include <cstring>

namespace plat {
namespace {

constexpr std::uint64_t kFileHeaderSize = 14;
constexpr std::int64_t kMaxDimension = 16384;
constexpr std::int64_t kMaxDecodedBytes = std::int64_t{256} << 20;

constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;

// biCompression values.
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitFields = 3;
constexpr std::uint32_t kBiAlphaBitFields = 6;

// Second byte of an RLE escape (first byte 0); larger values start an absolute run.
constexpr std::uint8_t kRleEndOfLine = 0;
constexpr std::uint8_t kRleEndOfBitmap = 1;
constexpr std::uint8_t kRleDelta = 2;

struct ColorMasks {
    std::uint32_t red;
    std::uint32_t green;
    std::uint32_t blue;
};

constexpr ColorMasks kMasks555 = {0x7C00, 0x03E0, 0x001F};
constexpr ColorMasks kMasks565 = {0xF800, 0x07E0, 0x001F};
constexpr ColorMasks kMasks888 = {0x00FF0000, 0x0000FF00, 0x000000FF};

bool operator==(const ColorMasks& a, const ColorMasks& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// What the headers say, already checked against each other and against the size of the file.
struct BmpHeaders {
    std::int64_t width = 0;
    std::int64_t height = 0;  // positive; topDown tells the row order
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kBiRgb;
    ColorMasks masks = {};           // 16- and 32-bit files; BI_RGB ones get the fixed masks of their depth
    std::uint64_t tableOffset = 0;   // where the colour table starts
    std::uint64_t tableEntries = 0;  // colours the table holds (over 8 bits: only skipped)
    std::uint64_t entrySize = 4;     // RGBQUAD, or RGBTRIPLE after a core header
    std::uint64_t pixelOffset = 0;
};

std::uint16_t ReadU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t ReadU32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

void WriteU16(std::uint8_t* p, std::uint32_t value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}

bool IsKnownHeaderSize(std::uint32_t size) {
    switch (size) {
        case 12:   // BITMAPCOREHEADER
        case 40:   // BITMAPINFOHEADER
        case 52:   // with the colour masks
        case 56:   // with the colour and alpha masks
        case 108:  // BITMAPV4HEADER
        case 124:  // BITMAPV5HEADER
            return true;
        default:
            return false;
    }
}

bool IsRle(std::uint32_t compression) {
    return compression == kBiRle8 || compression == kBiRle4;
}

bool IsBitFields(std::uint32_t compression) {
    return compression == kBiBitFields || compression == kBiAlphaBitFields;
}

bool IsValidCombination(int bitCount, std::uint32_t compression) {
    switch (compression) {
        case kBiRgb:
            return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
                   bitCount == 32;
        case kBiRle8:
            return bitCount == 8;
        case kBiRle4:
            return bitCount == 4;
        case kBiBitFields:
        case kBiAlphaBitFields:
            return bitCount == 16 || bitCount == 32;
        default:
            return false;
    }
}

int LowestSetBit(std::uint32_t mask) {
    int bit = 0;
    while ((mask & 1) == 0 && bit < 32) {
        mask >>= 1;
        ++bit;
    }
    return bit;
}

// Each mask must be one run of contiguous bits inside the pixel, and no two may share a bit.
bool AreValidMasks(const ColorMasks& masks, int bitCount) {
    const std::uint64_t pixelBits = (std::uint64_t{1} << bitCount) - 1;
    std::uint32_t used = 0;
    for (std::uint32_t mask : {masks.red, masks.green, masks.blue}) {
        if (mask == 0 || (mask & ~pixelBits) != 0 || (mask & used) != 0) {
            return false;
        }
        const std::uint64_t run = mask >> LowestSetBit(mask);
        if ((run & (run + 1)) != 0) {
            return false;
        }
        used |= mask;
    }
    return true;
}

std::optional<BmpHeaders> ReadHeaders(const std::uint8_t* data, std::size_t size) {
    if (size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') {
        return std::nullopt;
    }
    const std::uint32_t offBits = ReadU32(data + 10);
    const std::uint32_t headerSize = ReadU32(data + kFileHeaderSize);
    if (!IsKnownHeaderSize(headerSize) || size < kFileHeaderSize + headerSize) {
        return std::nullopt;
    }
    const std::uint8_t* info = data + kFileHeaderSize;
    BmpHeaders headers;
    int planes = 0;
    std::uint32_t colorsUsed = 0;
    if (headerSize == kCoreHeaderSize) {
        headers.width = ReadU16(info + 4);
        headers.height = ReadU16(info + 6);
        planes = ReadU16(info + 8);
        headers.bitCount = ReadU16(info + 10);
        headers.entrySize = 3;
        if (headers.bitCount == 16 || headers.bitCount == 32) {  // the core header knows only 1, 4, 8 and 24
            return std::nullopt;
        }
    } else {
        headers.width = static_cast<std::int32_t>(ReadU32(info + 4));
        const std::int64_t height = static_cast<std::int32_t>(ReadU32(info + 8));
        headers.topDown = height < 0;
        headers.height = headers.topDown ? -height : height;
        planes = ReadU16(info + 12);
        headers.bitCount = ReadU16(info + 14);
        headers.compression = ReadU32(info + 16);
        colorsUsed = ReadU32(info + 32);
    }
    if (planes != 1 || headers.width <= 0 || headers.height <= 0 || headers.width > kMaxDimension ||
        headers.height > kMaxDimension || !IsValidCombination(headers.bitCount, headers.compression) ||
        (headers.topDown && IsRle(headers.compression))) {
        return std::nullopt;
    }

    // Bit-field masks sit inside headers of 52 bytes and more, and follow a 40-byte one.
    std::uint64_t maskBytes = 0;
    if (IsBitFields(headers.compression)) {
        if (headerSize == kInfoHeaderSize) {
            maskBytes = headers.compression == kBiAlphaBitFields ? 16 : 12;
            if (size < kFileHeaderSize + headerSize + maskBytes) {
                return std::nullopt;
            }
        }
        const std::uint8_t* masks = info + kInfoHeaderSize;
        headers.masks = {ReadU32(masks), ReadU32(masks + 4), ReadU32(masks + 8)};
        if (!AreValidMasks(headers.masks, headers.bitCount)) {
            return std::nullopt;
        }
    } else if (headers.bitCount == 16) {
        headers.masks = kMasks555;
    } else if (headers.bitCount == 32) {
        headers.masks = kMasks888;
    }

    headers.tableOffset = kFileHeaderSize + headerSize + maskBytes;
    if (headers.bitCount <= 8) {
        const std::uint64_t fullTable = std::uint64_t{1} << headers.bitCount;
        if (colorsUsed > fullTable) {
            return std::nullopt;
        }
        headers.tableEntries = colorsUsed != 0 ? colorsUsed : fullTable;
        if (headers.tableOffset + headers.tableEntries * headers.entrySize > size) {
            return std::nullopt;
        }
    } else {
        headers.tableEntries = colorsUsed;
    }
    headers.pixelOffset = offBits != 0 ? offBits : headers.tableOffset + headers.tableEntries * headers.entrySize;
    if (headers.pixelOffset < headers.tableOffset || headers.pixelOffset >= size) {
        return std::nullopt;
    }
    return headers;
}

PixelLayout ChooseLayout(const BmpHeaders& headers) {
    if (headers.bitCount <= 8) {
        return PixelLayout::Indexed8;
    }
    if (headers.bitCount == 24) {
        return PixelLayout::Rgb888;
    }
    if (headers.bitCount == 16 && headers.masks == kMasks555) {
        return PixelLayout::Rgb555;
    }
    if (headers.bitCount == 16 && headers.masks == kMasks565) {
        return PixelLayout::Rgb565;
    }
    return PixelLayout::Xrgb8888;
}

// The colour table; entries the pixel data starts inside of are left black.
void ReadPalette(const std::uint8_t* data, const BmpHeaders& headers, Palette& palette) {
    std::uint64_t entries = headers.tableEntries;
    if (headers.pixelOffset < headers.tableOffset + entries * headers.entrySize) {
        entries = (headers.pixelOffset - headers.tableOffset) / headers.entrySize;
    }
    for (std::uint64_t i = 0; i < entries; ++i) {
        const std::uint8_t* entry = data + headers.tableOffset + i * headers.entrySize;
        palette.rgb[i] = std::uint32_t{entry[2]} << 16 | std::uint32_t{entry[1]} << 8 | entry[0];
    }
}

// One colour channel of a bit-field pixel, widened or narrowed to 8 bits.
class Channel {
public:
    explicit Channel(std::uint32_t mask) : mask_(mask), shift_(LowestSetBit(mask)) {
        while (bits_ < 32 && ((mask >> shift_) >> bits_ & 1) != 0) {
            ++bits_;
        }
    }

    std::uint8_t Extract(std::uint32_t pixel) const {
        const std::uint32_t value = (pixel & mask_) >> shift_;
        if (bits_ >= 8) {
            return static_cast<std::uint8_t>(value >> (bits_ - 8));
        }
        const std::uint32_t maximum = (1u << bits_) - 1;
        return static_cast<std::uint8_t>((value * 255 + maximum / 2) / maximum);
    }

private:
    std::uint32_t mask_;
    int shift_;
    int bits_ = 0;
};

void DecodeIndexedRow(const std::uint8_t* src, int bitCount, std::int64_t width, std::uint8_t* dst) {
    const unsigned valueMask = (1u << bitCount) - 1;
    for (std::int64_t x = 0; x < width; ++x) {
        const std::int64_t bit = x * bitCount;
        const int shift = 8 - bitCount - static_cast<int>(bit % 8);
        dst[x] = static_cast<std::uint8_t>(src[bit / 8] >> shift & valueMask);
    }
}

void DecodePackedRow(const std::uint8_t* src, const BmpHeaders& headers, PixelLayout layout, std::uint8_t* dst) {
    const Channel red(headers.masks.red);
    const Channel green(headers.masks.green);
    const Channel blue(headers.masks.blue);
    for (std::int64_t x = 0; x < headers.width; ++x) {
        const std::uint32_t pixel = headers.bitCount == 16 ? ReadU16(src + 2 * x) : ReadU32(src + 4 * x);
        switch (layout) {
            case PixelLayout::Rgb555:
                WriteU16(dst + 2 * x, pixel & 0x7FFF);
                break;
            case PixelLayout::Rgb565:
                WriteU16(dst + 2 * x, pixel);
                break;
            default:
                dst[4 * x] = blue.Extract(pixel);
                dst[4 * x + 1] = green.Extract(pixel);
                dst[4 * x + 2] = red.Extract(pixel);
                dst[4 * x + 3] = 0;
                break;
        }
    }
}

std::uint64_t SourceRowBytes(const BmpHeaders& headers) {
    return (static_cast<std::uint64_t>(headers.width) * headers.bitCount + 31) / 32 * 4;
}

void DecodeRows(const std::uint8_t* src, const BmpHeaders& headers, DecodedBmp& image) {
    const std::uint64_t rowBytes = SourceRowBytes(headers);
    for (std::int64_t row = 0; row < headers.height; ++row) {
        const std::uint8_t* srcRow = src + row * rowBytes;
        const std::int64_t dstRowIndex = headers.topDown ? row : headers.height - 1 - row;
        std::uint8_t* dstRow = image.pixels.data() + dstRowIndex * image.pitch;
        if (image.layout == PixelLayout::Indexed8) {
            DecodeIndexedRow(srcRow, headers.bitCount, headers.width, dstRow);
        } else if (image.layout == PixelLayout::Rgb888) {
            std::memcpy(dstRow, srcRow, static_cast<std::size_t>(headers.width * 3));
        } else {
            DecodePackedRow(srcRow, headers, image.layout, dstRow);
        }
    }
}

// The position RLE codes write at, moving from the bottom row up; whatever falls outside the image is dropped.
class RleCursor {
public:
    explicit RleCursor(DecodedBmp& image) : image_(image) {}

    bool PastImage() const { return row_ >= image_.height; }

    void Put(std::uint8_t index) {
        if (column_ < image_.width && !PastImage()) {
            image_.pixels[Offset()] = index;
        }
        ++column_;
    }

    // `count` pixels alternating between `first` and `second`.
    void PutRun(int count, std::uint8_t first, std::uint8_t second) {
        const std::int64_t visible = PastImage() ? 0 : std::clamp<std::int64_t>(image_.width - column_, 0, count);
        std::uint8_t* dst = image_.pixels.data() + (visible > 0 ? Offset() : 0);
        for (std::int64_t i = 0; i < visible; ++i) {
            dst[i] = i % 2 == 0 ? first : second;
        }
        column_ += count;
    }

    void NextLine() {
        column_ = 0;
        ++row_;
    }

    void Move(int right, int up) {
        column_ += right;
        row_ += up;
    }

private:
    std::size_t Offset() const { return static_cast<std::size_t>((image_.height - 1 - row_) * image_.pitch + column_); }

    DecodedBmp& image_;
    std::int64_t column_ = 0;
    std::int64_t row_ = 0;  // counted from the bottom
};

// Absolute run: `count` literal pixels, stored in whole 16-bit words. Returns the bytes the run takes.
std::size_t DecodeAbsoluteRun(const std::uint8_t* stream, std::size_t available, int count, bool fourBit,
                              RleCursor& cursor) {
    const std::size_t bytes = fourBit ? (count + 1) / 2 : count;
    for (int i = 0; i < count; ++i) {
        const std::size_t byteIndex = fourBit ? i / 2 : i;
        if (byteIndex >= available) {
            break;
        }
        const std::uint8_t byte = stream[byteIndex];
        cursor.Put(!fourBit ? byte : i % 2 == 0 ? byte >> 4 : byte & 0x0F);
    }
    return bytes + bytes % 2;
}

// BI_RLE8 and BI_RLE4 streams. A stream that runs out before its end-of-bitmap code leaves the rest at index 0.
void DecodeRle(const std::uint8_t* stream, std::size_t size, bool fourBit, DecodedBmp& image) {
    RleCursor cursor(image);
    std::size_t pos = 0;
    while (!cursor.PastImage() && size - pos >= 2) {
        const std::uint8_t count = stream[pos];
        const std::uint8_t value = stream[pos + 1];
        pos += 2;
        if (count > 0) {
            cursor.PutRun(count, fourBit ? value >> 4 : value, fourBit ? value & 0x0F : value);
        } else if (value == kRleEndOfLine) {
            cursor.NextLine();
        } else if (value == kRleEndOfBitmap) {
            return;
        } else if (value == kRleDelta) {
            if (size - pos < 2) {
                return;
            }
            cursor.Move(stream[pos], stream[pos + 1]);
            pos += 2;
        } else {
            pos = std::min(size, pos + DecodeAbsoluteRun(stream + pos, size - pos, value, fourBit, cursor));
        }
    }
}

}  // namespace

std::optional<DecodedBmp> DecodeBmp(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr) {
        return std::nullopt;
    }
    const std::optional<BmpHeaders> headers = ReadHeaders(data, size);
    if (!headers) {
        return std::nullopt;
    }
    const PixelLayout layout = ChooseLayout(*headers);
    const std::int64_t pitch = (headers->width * (BitsPerPixel(layout) / 8) + 3) / 4 * 4;
    if (pitch * headers->height > kMaxDecodedBytes) {
        return std::nullopt;
    }
    const bool rle = IsRle(headers->compression);
    if (!rle && SourceRowBytes(*headers) * headers->height > size - headers->pixelOffset) {
        return std::nullopt;
    }

    DecodedBmp image;
    image.width = static_cast<int>(headers->width);
    image.height = static_cast<int>(headers->height);
    image.fileBitCount = headers->bitCount;
    image.layout = layout;
    image.pitch = static_cast<int>(pitch);
    image.pixels.assign(static_cast<std::size_t>(pitch * headers->height), 0);
    if (layout == PixelLayout::Indexed8) {
        ReadPalette(data, *headers, image.palette);
    }
    const std::uint8_t* pixelData = data + headers->pixelOffset;
    if (rle) {
        DecodeRle(pixelData, size - headers->pixelOffset, headers->compression == kBiRle4, image);
    } else {
        DecodeRows(pixelData, *headers, image);
    }
    return image;
}

}  // namespace plat
