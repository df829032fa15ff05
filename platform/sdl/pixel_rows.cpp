// pixel_rows.cpp -- the row routines in plain C++ for every processor, in SSE2 for every x86-64 and in AVX2 where the
// processor has it. Copies are our own: glibc serves large ones with `rep movsb`, which on some processors runs
// several times slower for some relative alignments of the two buffers.
#include "pixel_rows.h"

#include <algorithm>
#include <cstring>
#include <utility>

#if defined(__GNUC__) && (defined(__x86_64__) || (defined(__i386__) && defined(__SSE2__)))
#define PIXEL_ROWS_X86 1
#include <immintrin.h>
#endif

namespace plat {

int NearestSource(int i, int from, int to) {
    return static_cast<int>((2 * std::int64_t(i) + 1) * from / (2 * std::int64_t(to)));
}

ColumnMap ColumnMap::Nearest(int sourceWidth, int width) {
    std::vector<std::int32_t> columns(std::size_t(std::max(width, 0)));
    for (int i = 0; i < width; ++i) {
        columns[std::size_t(i)] = NearestSource(i, sourceWidth, width);
    }
    return ColumnMap(std::move(columns), sourceWidth);
}

ColumnMap::ColumnMap(std::vector<std::int32_t> columns, int sourceWidth)
    : sourceWidth_(sourceWidth), columns_(std::move(columns)) {
    blocks_.resize(columns_.size() / 8);
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
        const std::int32_t* columns = &columns_[8 * b];
        Block& block = blocks_[b];
        block.base = -1;
        // Columns never decrease, so the first and last of the eight bound them all.
        if (sourceWidth >= 8 && columns[7] - columns[0] < 8) {
            block.base = std::min(columns[0], sourceWidth - 8);
            for (int k = 0; k < 8; ++k) {
                block.lanes[k] = static_cast<std::uint8_t>(columns[k] - block.base);
            }
        }
    }
}

namespace {

// 5-6-5 to x8r8g8b8, each channel's top bits repeated below it.
std::uint32_t Widen565(std::uint32_t p) {
    return ((p << 8) & 0xF80000) | ((p << 3) & 0x0700F8) | ((p << 5) & 0xFC00) | ((p >> 1) & 0x300) | ((p >> 2) & 0x7);
}

// Pixels [begin, end) of a scaled row, one at a time.
void Scale32Range(int begin, int end, std::uint32_t* out, const std::uint32_t* in, const ColumnMap& map,
                  std::uint32_t orBits) {
    const std::int32_t* columns = map.Columns();
    for (int i = begin; i < end; ++i) {
        out[i] = in[columns[i]] | orBits;
    }
}

void Scale565Range(int begin, int end, std::uint32_t* out, const std::uint16_t* in, const ColumnMap& map,
                   std::uint32_t orBits) {
    const std::int32_t* columns = map.Columns();
    for (int i = begin; i < end; ++i) {
        out[i] = Widen565(in[columns[i]]) | orBits;
    }
}

void CopyPortable(void* out, const void* in, std::size_t bytes) {
    std::memcpy(out, in, bytes);
}

void Scale32Portable(std::uint32_t* out, const std::uint32_t* in, const ColumnMap& map, std::uint32_t orBits) {
    Scale32Range(0, map.Width(), out, in, map, orBits);
}

void Scale565Portable(std::uint32_t* out, const std::uint16_t* in, const ColumnMap& map, std::uint32_t orBits) {
    Scale565Range(0, map.Width(), out, in, map, orBits);
}

constexpr RowRoutines kPortable{CopyPortable, Scale32Portable, Scale565Portable};

#ifdef PIXEL_ROWS_X86

// ---- SSE2: four pixels a step ----

__m128i Masked(__m128i v, int mask) {
    return _mm_and_si128(v, _mm_set1_epi32(mask));
}

__m128i Widen565(__m128i p) {
    return _mm_or_si128(
        _mm_or_si128(_mm_or_si128(Masked(_mm_slli_epi32(p, 8), 0xF80000), Masked(_mm_slli_epi32(p, 3), 0x0700F8)),
                     _mm_or_si128(Masked(_mm_slli_epi32(p, 5), 0xFC00), Masked(_mm_srli_epi32(p, 1), 0x300))),
        Masked(_mm_srli_epi32(p, 2), 0x7));
}

// Aligned stores after one unaligned head, and an unaligned tail: the same speed at any alignment.
void CopySse2(void* out, const void* in, std::size_t bytes) {
    if (bytes < 16) {
        std::memcpy(out, in, bytes);  // a handful of moves; glibc keeps `rep movsb` for large copies
        return;
    }
    auto* to = static_cast<std::uint8_t*>(out);
    const auto* from = static_cast<const std::uint8_t*>(in);
    const auto at = [&](std::size_t offset) { return reinterpret_cast<const __m128i*>(from + offset); };
    const auto into = [&](std::size_t offset) { return reinterpret_cast<__m128i*>(to + offset); };
    _mm_storeu_si128(into(0), _mm_loadu_si128(at(0)));
    std::size_t offset = 16 - (reinterpret_cast<std::uintptr_t>(to) & 15);
    for (; offset + 64 <= bytes; offset += 64) {
        const __m128i a = _mm_loadu_si128(at(offset)), b = _mm_loadu_si128(at(offset + 16)),
                      c = _mm_loadu_si128(at(offset + 32)), d = _mm_loadu_si128(at(offset + 48));
        _mm_store_si128(into(offset), a);
        _mm_store_si128(into(offset + 16), b);
        _mm_store_si128(into(offset + 32), c);
        _mm_store_si128(into(offset + 48), d);
    }
    for (; offset + 16 <= bytes; offset += 16) {
        _mm_store_si128(into(offset), _mm_loadu_si128(at(offset)));
    }
    _mm_storeu_si128(into(bytes - 16), _mm_loadu_si128(at(bytes - 16)));
}

__m128i Pick4(const std::uint32_t* in, const std::int32_t* columns) {
    return _mm_setr_epi32(static_cast<int>(in[columns[0]]), static_cast<int>(in[columns[1]]),
                          static_cast<int>(in[columns[2]]), static_cast<int>(in[columns[3]]));
}

void Scale32Sse2(std::uint32_t* out, const std::uint32_t* in, const ColumnMap& map, std::uint32_t orBits) {
    const __m128i ors = _mm_set1_epi32(static_cast<int>(orBits));
    const std::int32_t* columns = map.Columns();
    int i = 0;
    for (const int width = map.Width(); i + 4 <= width; i += 4) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_or_si128(Pick4(in, columns + i), ors));
    }
    Scale32Range(i, map.Width(), out, in, map, orBits);
}

void Scale565Sse2(std::uint32_t* out, const std::uint16_t* in, const ColumnMap& map, std::uint32_t orBits) {
    const __m128i ors = _mm_set1_epi32(static_cast<int>(orBits));
    const std::int32_t* columns = map.Columns();
    int i = 0;
    for (const int width = map.Width(); i + 4 <= width; i += 4) {
        const __m128i picked = _mm_setr_epi32(in[columns[i]], in[columns[i + 1]], in[columns[i + 2]], in[columns[i + 3]]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_or_si128(Widen565(picked), ors));
    }
    Scale565Range(i, map.Width(), out, in, map, orBits);
}

constexpr RowRoutines kSse2{CopySse2, Scale32Sse2, Scale565Sse2};

// ---- AVX2: eight pixels a step, picked from a window of eight source pixels by one permutation ----

#define PIXEL_ROWS_AVX2 __attribute__((target("avx2")))

PIXEL_ROWS_AVX2 __m256i Masked(__m256i v, int mask) {
    return _mm256_and_si256(v, _mm256_set1_epi32(mask));
}

PIXEL_ROWS_AVX2 __m256i Widen565(__m256i p) {
    return _mm256_or_si256(
        _mm256_or_si256(
            _mm256_or_si256(Masked(_mm256_slli_epi32(p, 8), 0xF80000), Masked(_mm256_slli_epi32(p, 3), 0x0700F8)),
            _mm256_or_si256(Masked(_mm256_slli_epi32(p, 5), 0xFC00), Masked(_mm256_srli_epi32(p, 1), 0x300))),
        Masked(_mm256_srli_epi32(p, 2), 0x7));
}

PIXEL_ROWS_AVX2 void CopyAvx2(void* out, const void* in, std::size_t bytes) {
    if (bytes < 32) {
        CopySse2(out, in, bytes);
        return;
    }
    auto* to = static_cast<std::uint8_t*>(out);
    const auto* from = static_cast<const std::uint8_t*>(in);
    const auto at = [&](std::size_t offset) { return reinterpret_cast<const __m256i*>(from + offset); };
    const auto into = [&](std::size_t offset) { return reinterpret_cast<__m256i*>(to + offset); };
    _mm256_storeu_si256(into(0), _mm256_loadu_si256(at(0)));
    std::size_t offset = 32 - (reinterpret_cast<std::uintptr_t>(to) & 31);
    for (; offset + 128 <= bytes; offset += 128) {
        const __m256i a = _mm256_loadu_si256(at(offset)), b = _mm256_loadu_si256(at(offset + 32)),
                      c = _mm256_loadu_si256(at(offset + 64)), d = _mm256_loadu_si256(at(offset + 96));
        _mm256_store_si256(into(offset), a);
        _mm256_store_si256(into(offset + 32), b);
        _mm256_store_si256(into(offset + 64), c);
        _mm256_store_si256(into(offset + 96), d);
    }
    for (; offset + 32 <= bytes; offset += 32) {
        _mm256_store_si256(into(offset), _mm256_loadu_si256(at(offset)));
    }
    _mm256_storeu_si256(into(bytes - 32), _mm256_loadu_si256(at(bytes - 32)));
}

PIXEL_ROWS_AVX2 __m256i Lanes(const ColumnMap::Block& block) {
    return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(block.lanes)));
}

PIXEL_ROWS_AVX2 void Scale32Avx2(std::uint32_t* out, const std::uint32_t* in, const ColumnMap& map,
                                 std::uint32_t orBits) {
    const __m256i ors = _mm256_set1_epi32(static_cast<int>(orBits));
    const ColumnMap::Block* blocks = map.Blocks();
    int i = 0;
    for (const int width = map.Width(); i + 8 <= width; i += 8) {
        const ColumnMap::Block& block = blocks[i / 8];
        if (block.base < 0) {
            Scale32Range(i, i + 8, out, in, map, orBits);
            continue;
        }
        const __m256i window = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + block.base));
        const __m256i picked = _mm256_permutevar8x32_epi32(window, Lanes(block));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_or_si256(picked, ors));
    }
    Scale32Range(i, map.Width(), out, in, map, orBits);
}

PIXEL_ROWS_AVX2 void Scale565Avx2(std::uint32_t* out, const std::uint16_t* in, const ColumnMap& map,
                                  std::uint32_t orBits) {
    const __m256i ors = _mm256_set1_epi32(static_cast<int>(orBits));
    const ColumnMap::Block* blocks = map.Blocks();
    int i = 0;
    for (const int width = map.Width(); i + 8 <= width; i += 8) {
        const ColumnMap::Block& block = blocks[i / 8];
        if (block.base < 0) {
            Scale565Range(i, i + 8, out, in, map, orBits);
            continue;
        }
        const __m128i window = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + block.base));
        const __m256i picked = _mm256_permutevar8x32_epi32(_mm256_cvtepu16_epi32(window), Lanes(block));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_or_si256(Widen565(picked), ors));
    }
    Scale565Range(i, map.Width(), out, in, map, orBits);
}

constexpr RowRoutines kAvx2{CopyAvx2, Scale32Avx2, Scale565Avx2};

bool ProcessorHasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

#endif  // PIXEL_ROWS_X86

}  // namespace

const RowRoutines* RowRoutinesFor(InstructionSet set) {
    switch (set) {
        case InstructionSet::Portable:
            return &kPortable;
#ifdef PIXEL_ROWS_X86
        case InstructionSet::Sse2:
            return &kSse2;
        case InstructionSet::Avx2:
            return ProcessorHasAvx2() ? &kAvx2 : nullptr;
#endif
        default:
            return nullptr;
    }
}

const RowRoutines& FastestRowRoutines() {
    static const RowRoutines* const fastest = [] {
        for (const InstructionSet set : {InstructionSet::Avx2, InstructionSet::Sse2}) {
            if (const RowRoutines* routines = RowRoutinesFor(set)) {
                return routines;
            }
        }
        return &kPortable;
    }();
    return *fastest;
}

}  // namespace plat
