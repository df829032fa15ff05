// bmp_decoder.cpp -- decodes Windows BMP files for LoadImageA: headers and colour table, then the pixels in pieces.
#include "bmp_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace plat {
namespace {

constexpr std::uint64_t kFileHeaderSize = 14;
constexpr std::int64_t kMaxDimension = 16384;
constexpr std::int64_t kMaxDecodedBytes = std::int64_t{256} << 20;
// The pixel data is read in pieces of this size (or of one row, when a row is longer).
constexpr std::size_t kPieceBytes = 256 * 1024;

constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kLargestHeaderSize = 124;

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
    std::uint64_t colorsRead = 0;    // of those, the ones the pixels can reach: at most 2^bitCount
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

// `data`: the file's first bytes, as many as the largest headers take (or the whole file, if shorter).
std::optional<BmpHeaders> ReadHeaders(const std::uint8_t* data, std::uint64_t size) {
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
        headers.tableEntries = colorsUsed != 0 ? colorsUsed : fullTable;
        headers.colorsRead = std::min(headers.tableEntries, fullTable);
        if (headers.tableOffset + headers.colorsRead * headers.entrySize > size) {
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

// The colour table's entries the pixels can reach; those the pixel data starts inside of are left black.
bool ReadPalette(BmpSource& source, const BmpHeaders& headers, Palette& palette) {
    std::uint64_t entries = headers.colorsRead;
    if (headers.pixelOffset < headers.tableOffset + entries * headers.entrySize) {
        entries = (headers.pixelOffset - headers.tableOffset) / headers.entrySize;
    }
    std::uint8_t table[256 * 4];
    if (!source.ReadAt(headers.tableOffset, table, static_cast<std::size_t>(entries * headers.entrySize))) {
        return false;
    }
    for (std::uint64_t i = 0; i < entries; ++i) {
        const std::uint8_t* entry = table + i * headers.entrySize;
        palette.rgb[i] = std::uint32_t{entry[2]} << 16 | std::uint32_t{entry[1]} << 8 | entry[0];
    }
    return true;
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

// The pixels of each byte of a 1- or 4-bit row, one a byte, the leftmost (in the high bits) first.
template <int kBits>
const std::array<std::array<std::uint8_t, 8 / kBits>, 256>& UnpackedBytes() {
    static const auto table = [] {
        std::array<std::array<std::uint8_t, 8 / kBits>, 256> built{};
        for (int byte = 0; byte < 256; ++byte) {
            for (int i = 0; i < 8 / kBits; ++i) {
                built[byte][i] = static_cast<std::uint8_t>(byte >> (8 - kBits * (i + 1)) & ((1 << kBits) - 1));
            }
        }
        return built;
    }();
    return table;
}

template <int kBits>
void UnpackRow(const std::uint8_t* src, int width, std::uint8_t* dst) {
    constexpr int kPerByte = 8 / kBits;
    const auto& unpacked = UnpackedBytes<kBits>();
    const int whole = width / kPerByte;
    for (int i = 0; i < whole; ++i) {
        std::memcpy(dst + i * kPerByte, unpacked[src[i]].data(), kPerByte);
    }
    if (width % kPerByte != 0) {
        std::memcpy(dst + whole * kPerByte, unpacked[src[whole]].data(), static_cast<std::size_t>(width % kPerByte));
    }
}

void DecodeIndexedRow(const std::uint8_t* src, int bitCount, int width, std::uint8_t* dst) {
    switch (bitCount) {
        case 8:
            std::memcpy(dst, src, static_cast<std::size_t>(width));
            return;
        case 4:
            return UnpackRow<4>(src, width, dst);
        default:
            return UnpackRow<1>(src, width, dst);
    }
}

void DecodePackedRow(const std::uint8_t* src, const BmpFormat& format, std::uint8_t* dst) {
    const Channel red(format.storage.masks.red);
    const Channel green(format.storage.masks.green);
    const Channel blue(format.storage.masks.blue);
    for (int x = 0; x < format.width; ++x) {
        const std::uint32_t pixel = format.fileBitCount == 16 ? ReadU16(src + 2 * x) : ReadU32(src + 4 * x);
        switch (format.layout) {
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

// Bytes a row takes in the file, padding included, and the bytes of it that hold pixels.
std::uint64_t SourceRowBytes(std::int64_t width, int bitCount) {
    return (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
}
std::uint64_t UsedRowBytes(std::int64_t width, int bitCount) {
    return (static_cast<std::uint64_t>(width) * bitCount + 7) / 8;
}

// The pixel data front to back, through a buffer of one piece.
class PixelStream {
public:
    // `offset`: inside the file. `largestRead`: the most any one Next asks for.
    PixelStream(BmpSource& source, std::uint64_t offset, std::size_t largestRead)
        : source_(source),
          next_(offset),
          buffer_(static_cast<std::size_t>(
              std::min<std::uint64_t>(std::max(kPieceBytes, largestRead), source.Size() - offset))) {}

    // Up to `count` further bytes (fewer only where the file ends); `data` points at them until the next call.
    std::size_t Next(std::size_t count, const std::uint8_t*& data) {
        if (filled_ - start_ < count) {
            Refill();
        }
        const std::size_t given = std::min(count, filled_ - start_);
        data = buffer_.data() + start_;
        start_ += given;
        return given;
    }

    // The source failed to give bytes it holds.
    bool Failed() const { return failed_; }

private:
    void Refill() {
        const std::size_t kept = filled_ - start_;
        std::memmove(buffer_.data(), buffer_.data() + start_, kept);
        const auto wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size() - kept, source_.Size() - next_));
        start_ = 0;
        filled_ = kept;
        if (wanted == 0 || failed_) {
            return;
        }
        if (!source_.ReadAt(next_, buffer_.data() + kept, wanted)) {
            failed_ = true;
            return;
        }
        next_ += wanted;
        filled_ += wanted;
    }

    BmpSource& source_;
    std::uint64_t next_;  // the file offset after the buffered bytes
    std::vector<std::uint8_t> buffer_;
    std::size_t start_ = 0;   // the first byte not yet given
    std::size_t filled_ = 0;  // bytes of the buffer holding data
    bool failed_ = false;
};

// Uncompressed rows; the last one in the file may lack its padding.
bool DecodeRows(PixelStream& stream, const BmpFormat& format, std::uint8_t* rows, int pitch) {
    const auto rowBytes = static_cast<std::size_t>(SourceRowBytes(format.width, format.fileBitCount));
    const auto usedBytes = static_cast<std::size_t>(UsedRowBytes(format.width, format.fileBitCount));
    for (int row = 0; row < format.height; ++row) {
        const std::uint8_t* src = nullptr;
        if (stream.Next(rowBytes, src) < usedBytes) {
            return false;
        }
        const int dstRowIndex = format.storage.topDown ? row : format.height - 1 - row;
        std::uint8_t* dstRow = rows + static_cast<std::ptrdiff_t>(dstRowIndex) * pitch;
        if (format.layout == PixelLayout::Indexed8) {
            DecodeIndexedRow(src, format.fileBitCount, format.width, dstRow);
        } else if (format.layout == PixelLayout::Rgb888) {
            std::memcpy(dstRow, src, usedBytes);
        } else {
            DecodePackedRow(src, format, dstRow);
        }
    }
    return true;
}

// The position RLE codes write at, moving from the bottom row up; whatever falls outside the image is dropped.
class RleCursor {
public:
    RleCursor(std::uint8_t* rows, int pitch, int width, int height)
        : rows_(rows), pitch_(pitch), width_(width), height_(height) {}

    bool PastImage() const { return row_ >= height_; }

    void Put(std::uint8_t index) {
        if (column_ < width_ && !PastImage()) {
            rows_[Offset()] = index;
        }
        ++column_;
    }

    // `count` pixels alternating between `first` and `second`.
    void PutRun(int count, std::uint8_t first, std::uint8_t second) {
        const std::int64_t visible = PastImage() ? 0 : std::clamp<std::int64_t>(width_ - column_, 0, count);
        std::uint8_t* dst = rows_ + (visible > 0 ? Offset() : 0);
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
    std::size_t Offset() const { return static_cast<std::size_t>((height_ - 1 - row_) * pitch_ + column_); }

    std::uint8_t* rows_;
    std::int64_t pitch_;
    std::int64_t width_;
    std::int64_t height_;
    std::int64_t column_ = 0;
    std::int64_t row_ = 0;  // counted from the bottom
};

// Absolute run: `count` literal pixels of which `available` bytes are there.
void DecodeAbsoluteRun(const std::uint8_t* run, std::size_t available, int count, bool fourBit, RleCursor& cursor) {
    for (int i = 0; i < count; ++i) {
        const std::size_t byteIndex = fourBit ? i / 2 : i;
        if (byteIndex >= available) {
            break;
        }
        const std::uint8_t byte = run[byteIndex];
        cursor.Put(!fourBit ? byte : i % 2 == 0 ? byte >> 4 : byte & 0x0F);
    }
}

// BI_RLE8 and BI_RLE4 streams. A stream that runs out before its end-of-bitmap code leaves the rest at index 0.
void DecodeRle(PixelStream& stream, bool fourBit, RleCursor& cursor) {
    const std::uint8_t* code = nullptr;
    while (!cursor.PastImage() && stream.Next(2, code) == 2) {
        const std::uint8_t count = code[0];
        const std::uint8_t value = code[1];
        if (count > 0) {
            cursor.PutRun(count, fourBit ? value >> 4 : value, fourBit ? value & 0x0F : value);
        } else if (value == kRleEndOfLine) {
            cursor.NextLine();
        } else if (value == kRleEndOfBitmap) {
            return;
        } else if (value == kRleDelta) {
            const std::uint8_t* move = nullptr;
            if (stream.Next(2, move) < 2) {
                return;
            }
            cursor.Move(move[0], move[1]);
        } else {
            // The run's pixels, stored in whole 16-bit words.
            const std::size_t bytes = fourBit ? (value + 1) / 2 : value;
            const std::uint8_t* run = nullptr;
            const std::size_t available = stream.Next(bytes + bytes % 2, run);
            DecodeAbsoluteRun(run, available, value, fourBit, cursor);
        }
    }
}

}  // namespace

std::optional<BmpFormat> ReadBmpFormat(BmpSource& source) {
    const std::uint64_t size = source.Size();
    std::uint8_t prefix[kFileHeaderSize + kLargestHeaderSize] = {};
    if (!source.ReadAt(0, prefix, static_cast<std::size_t>(std::min<std::uint64_t>(size, sizeof prefix)))) {
        return std::nullopt;
    }
    const std::optional<BmpHeaders> headers = ReadHeaders(prefix, size);
    if (!headers) {
        return std::nullopt;
    }
    const PixelLayout layout = ChooseLayout(*headers);
    const std::int64_t pitch = (headers->width * (BitsPerPixel(layout) / 8) + 3) / 4 * 4;
    if (pitch * headers->height > kMaxDecodedBytes) {
        return std::nullopt;
    }
    const bool rle = IsRle(headers->compression);
    const std::uint64_t pixelBytes = SourceRowBytes(headers->width, headers->bitCount) * (headers->height - 1) +
                                     UsedRowBytes(headers->width, headers->bitCount);
    if (!rle && pixelBytes > size - headers->pixelOffset) {
        return std::nullopt;
    }

    BmpFormat format;
    format.width = static_cast<int>(headers->width);
    format.height = static_cast<int>(headers->height);
    format.fileBitCount = headers->bitCount;
    format.layout = layout;
    format.storage = {headers->compression, headers->topDown, headers->masks, headers->pixelOffset};
    if (layout == PixelLayout::Indexed8 && !ReadPalette(source, *headers, format.palette)) {
        return std::nullopt;
    }
    return format;
}

bool DecodeBmpPixels(BmpSource& source, const BmpFormat& format, std::uint8_t* rows, int pitch) {
    const std::uint64_t pixelOffset = format.storage.pixelOffset;
    if (pixelOffset >= source.Size()) {
        return false;
    }
    const auto rowBytes = static_cast<std::size_t>(SourceRowBytes(format.width, format.fileBitCount));
    PixelStream stream(source, pixelOffset, rowBytes);
    if (IsRle(format.storage.compression)) {
        RleCursor cursor(rows, pitch, format.width, format.height);
        DecodeRle(stream, format.storage.compression == kBiRle4, cursor);
        return !stream.Failed();
    }
    return DecodeRows(stream, format, rows, pitch);
}

}  // namespace plat
