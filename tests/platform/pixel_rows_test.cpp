// pixel_rows_test.cpp -- the row routines of every instruction set this processor runs: copies at every length and
// alignment, and 5-6-5 widened as pixman widens it. (Scaled rows of every set: the picture drawer's test.)
#include "canvas.h"
#include "pixel_rows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using plat::ColumnMap;
using plat::InstructionSet;
using plat::RowRoutines;

struct NamedSet {
    InstructionSet set;
    const char* name;
};

// The instruction sets to compare: those this processor and build run, each with its routines.
std::vector<std::pair<std::string, const RowRoutines*>> RunnableSets() {
    std::vector<std::pair<std::string, const RowRoutines*>> sets;
    for (const NamedSet named : {NamedSet{InstructionSet::Portable, "portable"}, NamedSet{InstructionSet::Sse2, "sse2"},
                                 NamedSet{InstructionSet::Avx2, "avx2"}}) {
        if (const RowRoutines* routines = plat::RowRoutinesFor(named.set)) {
            sets.emplace_back(named.name, routines);
        }
    }
    return sets;
}

// A scrambled value for every index, so that a pixel taken from the wrong place shows.
std::uint32_t Scrambled(std::uint32_t i) {
    return (i + 1) * 2654435761u;
}

TEST(RowRoutinesTest, CopiesEveryLengthAtEveryAlignmentAndNothingBeyond) {
    constexpr std::size_t kGuard = 64;
    const std::size_t lengths[] = {0,  1,   15,  16,  17,  31,   32,   33,   63,  64,
                                   65, 127, 128, 129, 200, 2392, 2560, 5760, 4109};
    for (const auto& [name, routines] : RunnableSets()) {
        for (const std::size_t length : lengths) {
            for (std::size_t fromOffset = 0; fromOffset < 36; fromOffset += 7) {
                for (std::size_t toOffset = 0; toOffset < 36; toOffset += 5) {
                    std::vector<std::uint8_t> from(length + 2 * kGuard), to(length + 2 * kGuard, 0xA5);
                    for (std::size_t i = 0; i < from.size(); ++i) {
                        from[i] = static_cast<std::uint8_t>(Scrambled(std::uint32_t(i)) >> 24);
                    }
                    routines->copy(to.data() + toOffset, from.data() + fromOffset, length);
                    std::vector<std::uint8_t> expected(length + 2 * kGuard, 0xA5);
                    std::memcpy(expected.data() + toOffset, from.data() + fromOffset, length);
                    ASSERT_EQ(to, expected)
                        << name << ": " << length << " bytes from offset " << fromOffset << " to offset " << toOffset;
                }
            }
        }
    }
}

TEST(RowRoutinesTest, EveryFiveSixFiveValueWidensAsPixmanWidensIt) {
    plat::Canvas all(256, 256, plat::PixelLayout::Rgb565);
    ASSERT_TRUE(all.Valid());
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            all.WritePixel(x, y, std::uint32_t(y) << 8 | std::uint32_t(x));
        }
    }
    std::vector<std::uint32_t> byPixman(256 * 256);
    pixman_image_t* target = pixman_image_create_bits(PIXMAN_x8r8g8b8, 256, 256, byPixman.data(), 256 * 4);
    ASSERT_NE(target, nullptr);
    pixman_image_composite32(PIXMAN_OP_SRC, all.Image(), nullptr, target, 0, 0, 0, 0, 0, 0, 256, 256);
    pixman_image_unref(target);

    const ColumnMap map = ColumnMap::Nearest(256, 256);
    for (const auto& [name, routines] : RunnableSets()) {
        std::vector<std::uint32_t> ours(256 * 256);
        for (int y = 0; y < 256; ++y) {
            routines->scale565(&ours[std::size_t(y) * 256],
                               reinterpret_cast<const std::uint16_t*>(all.Bits() + std::size_t(y) * all.Pitch()), map,
                               0xFF000000);
        }
        int wrong = 0;
        for (std::size_t i = 0; i < ours.size(); ++i) {
            if (ours[i] != byPixman[i] && wrong++ == 0) {
                ADD_FAILURE() << name << ": 5-6-5 value " << std::hex << i << ": pixman " << byPixman[i] << ", ours "
                              << ours[i];
            }
        }
        EXPECT_EQ(wrong, 0) << name;
    }
}

}  // namespace
