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
    windowed_ = sourceWidth >= 8;
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
        windowed_ = windowed_ && block.base >= 0;
    }
}

namespace {

// 5-6-5 to x8r8g8b8, each channel's top bits repeated below it, in place: one pixel, or a vector of them (inlined
// into a function of that vector's instruction set; passed by reference, as vectors wider than the baseline's
// cannot be passed by value outside such functions).
template <typename Pixels>
__attribute__((always_inline)) inline void Widen565(Pixels& p) {
    p = ((p << 8) & 0xF80000) | ((p << 3) & 0x0700F8) | ((p << 5) & 0xFC00) | ((p >> 1) & 0x300) | ((p >> 2) & 0x7);
}

// One source pixel, as it is or widened from 5-6-5.
std::uint32_t Pixel(const std::uint32_t* in, std::int32_t column) {
    return in[column];
}

std::uint32_t Pixel(const std::uint16_t* in, std::int32_t column) {
    std::uint32_t pixel = in[column];
    Widen565(pixel);
    return pixel;
}

// Pixels [begin, end) of a scaled row, one at a time.
template <typename Source>
void ScaleRange(int begin, int end, std::uint32_t* out, const Source* in, const ColumnMap& map, std::uint32_t orBits) {
    const std::int32_t* columns = map.Columns();
    for (int i = begin; i < end; ++i) {
        out[i] = Pixel(in, columns[i]) | orBits;
    }
}

void CopyPortable(void* out, const void* in, std::size_t bytes) {
    std::memcpy(out, in, bytes);
}

template <typename Source>
void ScalePortable(std::uint32_t* out, const Source* in, const ColumnMap& map, std::uint32_t orBits) {
    ScaleRange(0, map.Width(), out, in, map, orBits);
}

constexpr RowRoutines kPortable{CopyPortable, ScalePortable<std::uint32_t>, ScalePortable<std::uint16_t>};

#ifdef PIXEL_ROWS_X86

// Vectors of pixels, and of bytes, of one width.
typedef std::uint32_t Pixels4 __attribute__((vector_size(16)));
typedef std::uint32_t Pixels8 __attribute__((vector_size(32)));
typedef std::uint8_t Vector16 __attribute__((vector_size(16)));
typedef std::uint8_t Vector32 __attribute__((vector_size(32)));

// One copy for each vector width, inlined into a function of that width's instruction set: aligned stores after one
// unaligned head, and one unaligned tail, so that the speed is the same at any alignment. Copies shorter than a
// vector are a handful of moves, which glibc makes without `rep movsb`.
template <typename Vector>
__attribute__((always_inline)) inline void CopyWith(std::uint8_t* to, const std::uint8_t* from, std::size_t bytes) {
    constexpr std::size_t kSize = sizeof(Vector);
    if (bytes < kSize) {
        std::memcpy(to, from, bytes);
        return;
    }
    Vector a, b, c, d;
    std::memcpy(&a, from, kSize);
    std::memcpy(to, &a, kSize);
    std::size_t offset = kSize - reinterpret_cast<std::uintptr_t>(to) % kSize;
    for (; offset + 4 * kSize <= bytes; offset += 4 * kSize) {
        std::memcpy(&a, from + offset, kSize);
        std::memcpy(&b, from + offset + kSize, kSize);
        std::memcpy(&c, from + offset + 2 * kSize, kSize);
        std::memcpy(&d, from + offset + 3 * kSize, kSize);
        std::memcpy(to + offset, &a, kSize);
        std::memcpy(to + offset + kSize, &b, kSize);
        std::memcpy(to + offset + 2 * kSize, &c, kSize);
        std::memcpy(to + offset + 3 * kSize, &d, kSize);
    }
    for (; offset + kSize <= bytes; offset += kSize) {
        std::memcpy(&a, from + offset, kSize);
        std::memcpy(to + offset, &a, kSize);
    }
    std::memcpy(&a, from + bytes - kSize, kSize);
    std::memcpy(to + bytes - kSize, &a, kSize);
}

// ---- SSE2: four pixels a step ----

void CopySse2(void* out, const void* in, std::size_t bytes) {
    CopyWith<Vector16>(static_cast<std::uint8_t*>(out), static_cast<const std::uint8_t*>(in), bytes);
}

__m128i Pick4(const std::uint32_t* in, const std::int32_t* columns) {
    return _mm_setr_epi32(static_cast<int>(in[columns[0]]), static_cast<int>(in[columns[1]]),
                          static_cast<int>(in[columns[2]]), static_cast<int>(in[columns[3]]));
}

__m128i Pick4(const std::uint16_t* in, const std::int32_t* columns) {
    auto picked = Pixels4(_mm_setr_epi32(in[columns[0]], in[columns[1]], in[columns[2]], in[columns[3]]));
    Widen565(picked);
    return __m128i(picked);
}

template <typename Source>
void ScaleSse2(std::uint32_t* out, const Source* in, const ColumnMap& map, std::uint32_t orBits) {
    const __m128i ors = _mm_set1_epi32(static_cast<int>(orBits));
    const std::int32_t* columns = map.Columns();
    int i = 0;
    for (const int width = map.Width(); i + 4 <= width; i += 4) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_or_si128(Pick4(in, columns + i), ors));
    }
    ScaleRange(i, map.Width(), out, in, map, orBits);
}

constexpr RowRoutines kSse2{CopySse2, ScaleSse2<std::uint32_t>, ScaleSse2<std::uint16_t>};

// ---- AVX2: eight pixels a step, picked from a window of eight source pixels by one permutation ----

#define PIXEL_ROWS_AVX2 __attribute__((target("avx2")))

PIXEL_ROWS_AVX2 void CopyAvx2(void* out, const void* in, std::size_t bytes) {
    CopyWith<Vector32>(static_cast<std::uint8_t*>(out), static_cast<const std::uint8_t*>(in), bytes);
}

PIXEL_ROWS_AVX2 __m256i Lanes(const ColumnMap::Block& block) {
    return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(block.lanes)));
}

// The eight pixels of a block: the window of eight source pixels at its base, permuted; 5-6-5 widened.
PIXEL_ROWS_AVX2 __m256i Pick8(const std::uint32_t* in, const ColumnMap::Block& block) {
    const __m256i window = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + block.base));
    return _mm256_permutevar8x32_epi32(window, Lanes(block));
}

PIXEL_ROWS_AVX2 __m256i Pick8(const std::uint16_t* in, const ColumnMap::Block& block) {
    const __m128i window = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + block.base));
    auto picked = Pixels8(_mm256_permutevar8x32_epi32(_mm256_cvtepu16_epi32(window), Lanes(block)));
    Widen565(picked);
    return __m256i(picked);
}

template <typename Source>
PIXEL_ROWS_AVX2 void ScaleAvx2(std::uint32_t* out, const Source* in, const ColumnMap& map, std::uint32_t orBits) {
    if (!map.Windowed()) {
        ScaleRange(0, map.Width(), out, in, map, orBits);  // a shrinking row: sources spread wider than a window
        return;
    }
    const __m256i ors = _mm256_set1_epi32(static_cast<int>(orBits));
    const ColumnMap::Block* blocks = map.Blocks();
    int i = 0;
    for (const int width = map.Width(); i + 8 <= width; i += 8) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_or_si256(Pick8(in, blocks[i / 8]), ors));
    }
    ScaleRange(i, map.Width(), out, in, map, orBits);
}

constexpr RowRoutines kAvx2{CopyAvx2, ScaleAvx2<std::uint32_t>, ScaleAvx2<std::uint16_t>};

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
