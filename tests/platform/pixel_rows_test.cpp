// pixel_rows_test.cpp -- the row copies of every instruction set this processor runs, at every length and alignment.
// (Scaled and widened rows of every set: the picture drawer's test.)
#include "pixel_rows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

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

}  // namespace
