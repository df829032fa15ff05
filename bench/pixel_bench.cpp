// pixel_bench.cpp -- timings of the canvas's frame work at 640x480 against a plain memset of the same pixels.
#include "canvas.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>

namespace {

using plat::Canvas;
using plat::PixelLayout;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

PixelLayout LayoutOf(const benchmark::State& state) {
    return static_cast<PixelLayout>(state.range(0));
}

void Label(benchmark::State& state) {
    const PixelLayout layout = LayoutOf(state);
    state.SetLabel(layout == PixelLayout::Indexed8 ? "Indexed8"
                   : layout == PixelLayout::Rgb565 ? "Rgb565"
                                                   : "Xrgb8888");
}

// The floor: clearing every byte of the canvas.
void BM_Memset(benchmark::State& state) {
    Canvas canvas(kWidth, kHeight, LayoutOf(state));
    const std::size_t bytes = static_cast<std::size_t>(canvas.Pitch()) * kHeight;
    unsigned char value = 0;
    for (auto _ : state) {
        std::memset(canvas.Bits(), ++value, bytes);
        benchmark::DoNotOptimize(canvas.Bits());
        benchmark::ClobberMemory();
    }
    Label(state);
}

void BM_FillWhole(benchmark::State& state) {
    Canvas canvas(kWidth, kHeight, LayoutOf(state));
    std::uint32_t pixel = 0;
    for (auto _ : state) {
        plat::FillRect(canvas, RECT{0, 0, kWidth, kHeight}, ++pixel);
        benchmark::ClobberMemory();
    }
    Label(state);
}

// A fill inset by two pixels on each side: rows no longer contiguous, edges unaligned.
void BM_FillInset(benchmark::State& state) {
    Canvas canvas(kWidth, kHeight, LayoutOf(state));
    std::uint32_t pixel = 0;
    for (auto _ : state) {
        plat::FillRect(canvas, RECT{2, 2, kWidth - 2, kHeight - 2}, ++pixel);
        benchmark::ClobberMemory();
    }
    Label(state);
}

void FillPattern(Canvas& canvas) {
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            canvas.WritePixel(x, y, canvas.MapColor(RGB(x * 7, y * 5, x ^ y)));
        }
    }
}

// The intro at zoom 10: 60x45 onto 598x448, centred.
void BM_StretchZoom(benchmark::State& state) {
    Canvas src(60, 45, LayoutOf(state));
    FillPattern(src);
    Canvas dst(kWidth, kHeight, LayoutOf(state));
    for (auto _ : state) {
        plat::StretchCopy(dst, RECT{21, 16, 21 + 598, 16 + 448}, src, RECT{0, 0, 60, 45});
        benchmark::ClobberMemory();
    }
    Label(state);
}

void BM_CopyWhole(benchmark::State& state) {
    Canvas src(kWidth, kHeight, LayoutOf(state));
    FillPattern(src);
    Canvas dst(kWidth, kHeight, LayoutOf(state));
    for (auto _ : state) {
        plat::StretchCopy(dst, RECT{0, 0, kWidth, kHeight}, src, RECT{0, 0, kWidth, kHeight});
        benchmark::ClobberMemory();
    }
    Label(state);
}

// Creating an 8-bit canvas with a palette of its own: the palette's colour table is shared, and its 32768-entry
// nearest-colour part is built only when colours are first converted into such a canvas.
void BM_Indexed8WithOwnPalette(benchmark::State& state) {
    plat::Palette greys{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        greys.rgb[i] = i * 0x010101;
    }
    for (auto _ : state) {
        Canvas canvas(1, 1, PixelLayout::Indexed8, &greys);
        benchmark::DoNotOptimize(canvas.Bits());
    }
}

void Layouts(benchmark::internal::Benchmark* benchmark) {
    for (const PixelLayout layout : {PixelLayout::Xrgb8888, PixelLayout::Rgb565, PixelLayout::Indexed8}) {
        benchmark->Arg(static_cast<int>(layout));
    }
}

BENCHMARK(BM_Memset)->Apply(Layouts);
BENCHMARK(BM_FillWhole)->Apply(Layouts);
BENCHMARK(BM_FillInset)->Apply(Layouts);
BENCHMARK(BM_StretchZoom)->Apply(Layouts);
BENCHMARK(BM_CopyWhole)->Apply(Layouts);
BENCHMARK(BM_Indexed8WithOwnPalette)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
