// bmp_decoder_test.cpp -- the BMP decoder behind LoadImageA: refusals, files read in pieces, cut short anywhere or
// with random bytes changed. (Every variant's pixels: LoadImageA's conformance test, through the decoder.)
#include "bmp_decoder.h"

#include "bmp_variants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

namespace {

using bmptest::BmpParts;
using bmptest::BuildBmp;

// An exact-size copy of a file, so that ASan sees any read past its end. Reads fail from `failFrom` on, as when
// a file shrinks while it is read.
class MemorySource : public plat::BmpSource {
public:
    explicit MemorySource(const std::vector<std::uint8_t>& file, std::uint64_t failFrom = UINT64_MAX)
        : bytes_(file), failFrom_(failFrom) {}

    std::uint64_t Size() const override { return bytes_.size(); }

    bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) override {
        if (offset > bytes_.size() || count > bytes_.size() - offset || offset + count > failFrom_) {
            return false;
        }
        std::copy_n(bytes_.begin() + std::ptrdiff_t(offset), count, out);
        return true;
    }

private:
    const std::vector<std::uint8_t> bytes_;
    std::uint64_t failFrom_;
};

// The decoded picture in a canvas of the decoder's layout, as LoadImageA makes it: null if refused, not Valid() if
// accepted beyond what a canvas can hold.
std::unique_ptr<plat::Canvas> Decode(plat::BmpSource& source) {
    const std::optional<plat::BmpFormat> format = plat::ReadBmpFormat(source);
    if (!format) {
        return nullptr;
    }
    auto canvas = std::make_unique<plat::Canvas>(format->width, format->height, format->layout, &format->palette);
    if (canvas->Valid() && !plat::DecodeBmpPixels(source, *format, canvas->Bits(), canvas->Pitch())) {
        return nullptr;
    }
    return canvas;
}

std::unique_ptr<plat::Canvas> Decode(const std::vector<std::uint8_t>& file) {
    MemorySource source(file);
    return Decode(source);
}

std::uint32_t ColourAt(const plat::Canvas& canvas, int x, int y) {
    const COLORREF colour = canvas.PixelColor(canvas.ReadPixel(x, y));
    return std::uint32_t(GetRValue(colour)) << 16 | std::uint32_t(GetGValue(colour)) << 8 | GetBValue(colour);
}

// Pixels differing from `colour`, the first reported.
int WrongPixels(const std::string& what, const plat::Canvas& canvas, const bmptest::ColourAt& colour) {
    int wrong = 0;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            if (ColourAt(canvas, x, y) != colour(x, y) && wrong++ == 0) {
                ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") expected 0x" << std::hex << colour(x, y)
                              << ", got 0x" << ColourAt(canvas, x, y);
            }
        }
    }
    return wrong;
}

TEST(BmpDecoder, AcceptsSidesUpTo16384AndRefusesMalformedFiles) {
    const auto tall = bmptest::With(bmptest::Indexed(8), [](BmpParts& p) {
        p.width = 1, p.height = 16384, p.compression = 1, p.pixels = {0, 1};
    });
    for (const BmpParts& parts : {bmptest::Grid(
                                      1, [](int, int) { return 1u; }, 16384, 1),
                                  tall}) {
        const auto canvas = Decode(BuildBmp(parts));
        EXPECT_TRUE(canvas && canvas->Valid()) << parts.width << " x " << parts.height << ": expected a picture";
    }
    std::vector<bmptest::MalformedBmp> files = bmptest::MalformedBmps();
    const auto add = [&](const char* name, const BmpParts& parts) { files.push_back({name, BuildBmp(parts), {}}); };
    const auto rgb24 = [](const std::function<void(BmpParts&)>& spoil) {
        return bmptest::With(bmptest::Grid(24, bmptest::Rgb24), spoil);
    };
    const auto mask16 = [](std::vector<std::uint32_t> masks) {
        return bmptest::Fields(16, masks, [](int, int) { return 1u; });
    };
    const std::vector<bmptest::BmpVariant> variants = bmptest::BmpVariants();
    const auto named = [&](const char* name) {
        return std::find_if(variants.begin(), variants.end(), [&](const auto& v) { return v.name == name; })->parts;
    };
    const BmpParts rle8 = named("RLE8"), rle4 = named("RLE4");
    add("header size 64", rgb24([](BmpParts& p) { p.headerSize = 64; }));
    add("width -3", rgb24([](BmpParts& p) { p.width = -3; }));
    add("height 0", rgb24([](BmpParts& p) { p.height = 0; }));
    add("core header, 16 bits", rgb24([](BmpParts& p) { p.headerSize = 12, p.bitCount = 16; }));
    add("compression BI_JPEG", rgb24([](BmpParts& p) { p.compression = 4; }));
    add("bit fields on 24 bits", rgb24([](BmpParts& p) { p.compression = 3, p.masks = {0xFF0000, 0xFF00, 0xFF}; }));
    add("top-down RLE8", bmptest::With(rle8, [](BmpParts& p) { p.height = -p.height; }));
    add("top-down RLE4", bmptest::With(rle4, [](BmpParts& p) { p.height = -p.height; }));
    add("zero red mask", mask16({0, 0x07E0, 0x001F}));
    add("mask with a hole", mask16({0xD800, 0x07E0, 0x001F}));
    add("overlapping masks", mask16({0xFC00, 0x07E0, 0x001F}));
    add("mask past 16 bits", mask16({0x1F0000, 0x07E0, 0x001F}));
    add("alpha bit fields, three masks",
        bmptest::With(mask16({0xF800, 0x07E0, 0x001F}), [](BmpParts& p) { p.compression = 6; }));
    add("width 16385, headers only", rgb24([](BmpParts& p) { p.width = 16385, p.pixels = {}; }));
    add("16384 x 16384 x 32 bits, headers only",
        rgb24([](BmpParts& p) { p.width = p.height = 16384, p.bitCount = 32, p.pixels = {}; }));
    add("RLE8 16385 wide", bmptest::With(rle8, [](BmpParts& p) { p.width = 16385; }));
    add("bfOffBits past the end", rgb24([](BmpParts& p) { p.offBits = 0xFFFFFFF0; }));
    add("bfOffBits inside the info header", rgb24([](BmpParts& p) { p.offBits = 20; }));
    add("bfOffBits inside the masks",
        bmptest::With(mask16({0xF800, 0x07E0, 0x001F}), [](BmpParts& p) { p.offBits = 14 + 40 + 4; }));
    std::vector<std::uint8_t> hugeHeader = BuildBmp(rgb24([](BmpParts&) {}));
    std::fill(hugeHeader.begin() + 14, hugeHeader.begin() + 18, 0xFF);  // biSize
    files.push_back({"header size 0xFFFFFFFF", hugeHeader, {}});
    for (const bmptest::MalformedBmp& file : files) {
        EXPECT_FALSE(Decode(file.bytes)) << file.name << ": expected no picture, got one";
    }
}

// Cut short anywhere before its last pixel (in the headers, table, masks, rows), an uncompressed file is refused, and
// cut inside the last row's padding it decodes whole; a cut RLE stream decodes with the pixels it no longer reaches
// at index 0, as one lacking its end-of-bitmap code does.
TEST(BmpDecoder, EveryTruncationIsRefusedOrDecodesWhatIsThere) {
    for (const bmptest::BmpVariant& variant : bmptest::BmpVariants()) {
        const BmpParts& parts = variant.parts;
        if (parts.pixels.empty()) {
            continue;  // pixels made of the colour table: a cut may leave enough of them
        }
        const std::vector<std::uint8_t> file = BuildBmp(parts);
        const auto full = Decode(file);
        ASSERT_TRUE(full && full->Valid()) << variant.name;
        const std::size_t pixelBytes = std::size_t(full->Pitch()) * full->Height();
        const bool rle = parts.compression == 1 || parts.compression == 2;
        const std::size_t streamStart = file.size() - parts.pixels.size();
        const std::size_t lastPixelEnd =
            streamStart + std::size_t(full->Height() - 1) * ((full->Width() * parts.bitCount + 31) / 32 * 4) +
            std::size_t(full->Width() * parts.bitCount + 7) / 8;
        for (std::size_t length = 0; length < file.size(); ++length) {
            const auto cut = Decode({file.begin(), file.begin() + std::ptrdiff_t(length)});
            const std::string what = variant.name + " cut to " + std::to_string(length) + " bytes";
            if (!rle || length <= streamStart) {
                ASSERT_EQ(bool(cut), !rle && length >= lastPixelEnd) << what;
                ASSERT_TRUE(!cut || std::memcmp(cut->Bits(), full->Bits(), pixelBytes) == 0) << what;
                continue;
            }
            ASSERT_TRUE(cut) << what << ": refused";
            for (std::size_t i = 0; i < pixelBytes; ++i) {
                ASSERT_TRUE(cut->Bits()[i] == full->Bits()[i] || cut->Bits()[i] == 0) << what << ": byte " << i;
            }
        }
    }
}

// Files longer than the decoder's 256 KiB pieces, rows and runs straddling the pieces' ends: every pixel as the
// file says. A file that fails to read before its end is refused.
TEST(BmpDecoder, DecodesAcrossPiecesAndRefusesAFailingRead) {
    const int width = 1001, height = 300;  // rows of 3004 bytes: no piece ends on a row's end
    const auto value = [](int x, int y) { return std::uint32_t(x * 7 + y * 131) & 0xFFFFFF; };
    std::vector<std::uint8_t> stream;  // each row in absolute runs of 250 pixels (1 left at the end)
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; x += 250) {
            const int count = std::min(250, width - x);
            if (count < 3) {
                stream.insert(stream.end(), {std::uint8_t(count), std::uint8_t(value(x, y))});
                continue;
            }
            stream.insert(stream.end(), {0, std::uint8_t(count)});
            for (int i = 0; i < count; ++i) {
                stream.push_back(std::uint8_t(value(x + i, y)));
            }
            stream.resize(stream.size() + count % 2);
        }
        stream.insert(stream.end(), {0, 0});
    }
    BmpParts rle = bmptest::With(bmptest::Grid(8, value, width, height), [&](BmpParts& p) {
        p.compression = 1, p.pixels = stream;
        for (std::uint32_t i = 0; i < 256; ++i) {
            p.colors.push_back(i * 0x010101);
        }
    });
    for (const BmpParts& parts : {bmptest::Grid(24, value, width, height), rle}) {
        const std::vector<std::uint8_t> file = BuildBmp(parts);
        ASSERT_GT(file.size(), 256u * 1024) << "the file must span pieces";
        const auto canvas = Decode(file);
        ASSERT_TRUE(canvas && canvas->Valid()) << parts.bitCount << "-bit";
        EXPECT_EQ(WrongPixels(std::to_string(parts.bitCount) + "-bit", *canvas,
                              [&](int x, int y) {
                                  return parts.bitCount == 24 ? value(x, y) : (value(x, y) & 0xFF) * 0x010101;
                              }),
                  0);
        MemorySource failing(file, file.size() - 1000);
        EXPECT_FALSE(Decode(failing)) << parts.bitCount << "-bit: a read that fails near the end";
    }
}

TEST(BmpDecoder, RandomByteFlipsGiveNoPictureOrASaneOne) {
    const std::vector<bmptest::BmpVariant> variants = bmptest::BmpVariants();
    std::mt19937 random(20240611);
    int decoded = 0;
    for (int iteration = 0; iteration < 4000; ++iteration) {
        std::vector<std::uint8_t> file = BuildBmp(variants[random() % variants.size()].parts);
        for (int flips = 1 + int(random() % 4); flips > 0; --flips) {
            // Half the flips land in the headers, where most of the decisions are made.
            const std::size_t range = random() % 2 == 0 ? std::min<std::size_t>(file.size(), 70) : file.size();
            file[random() % range] ^= std::uint8_t(1 + random() % 255);
        }
        if (const auto canvas = Decode(file)) {
            ++decoded;
            ASSERT_TRUE(canvas->Valid()) << "iteration " << iteration << ": beyond 16384 a side or 256 MiB";
        }
    }
    EXPECT_GT(decoded, 100) << "expected over 100 mutated files to decode, exercising the pixel paths";
}

}  // namespace
