// draw_bench.cpp -- the presenter's drawing alone, without a window: the 640x480 picture scaled (and widened from
// 5-6-5) into window-sized pixels by each instruction set's row routines, the black bars around it, and a memset of
// the 640x480 32-bit picture as the yardstick.
#include "sdl_picture_drawer.h"
#include "sdl_picture_rect.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

using plat::Canvas;
using plat::PixelLayout;

struct FreeDeleter {
    void operator()(void* memory) const { std::free(memory); }
};

// Window pixels as SDL's window surfaces have them: 32-bit, rows one after another, 64-byte aligned.
struct Window {
    int width;
    int height;
    std::unique_ptr<std::uint8_t, FreeDeleter> memory;

    Window(int w, int h)
        : width(w), height(h), memory(static_cast<std::uint8_t*>(std::aligned_alloc(64, std::size_t(w) * h * 4))) {
        std::memset(memory.get(), 0, std::size_t(w) * h * 4);
    }
    plat::PixelTarget Target() const { return {memory.get(), width, height, width * 4, SDL_PIXELFORMAT_RGB888}; }
};

struct Size {
    int width;
    int height;
};
constexpr Size kWindows[] = {{640, 480}, {1024, 768}, {1280, 1024}, {1920, 1080}};

std::unique_ptr<Canvas> Picture(PixelLayout layout) {
    auto picture = std::make_unique<Canvas>(640, 480, layout);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            picture->WritePixel(x, y, picture->MapColor(RGB(x * 7, y * 5, x ^ y)));
        }
    }
    return picture;
}

void BM_Memset(benchmark::State& state) {
    Canvas picture(640, 480, PixelLayout::Xrgb8888);
    unsigned char value = 0;
    for (auto _ : state) {
        std::memset(picture.Bits(), ++value, std::size_t(picture.Pitch()) * picture.Height());
        benchmark::DoNotOptimize(picture.Bits());
        benchmark::ClobberMemory();
    }
}

// The picture fitted into a window, as the surface presenter draws it every frame.
void BM_Draw(benchmark::State& state, const plat::RowRoutines* routines, PixelLayout layout, Size size) {
    if (!routines) {
        state.SkipWithError("this processor cannot run these instructions");
        return;
    }
    const std::unique_ptr<Canvas> picture = Picture(layout);
    const Window window(size.width, size.height);
    const SDL_Rect rect = plat::PictureRect(640, 480, size.width, size.height, plat::Scaling::Fit);
    plat::PictureDrawer drawer(*routines);
    for (auto _ : state) {
        drawer.Draw(*picture, window.Target(), rect);
        benchmark::ClobberMemory();
    }
}

// The bars, as painted once for each new window.
void BM_PaintMargins(benchmark::State& state, Size size) {
    const Window window(size.width, size.height);
    const SDL_Rect rect = plat::PictureRect(640, 480, size.width, size.height, plat::Scaling::Fit);
    for (auto _ : state) {
        plat::PaintMargins(window.Target(), rect);
        benchmark::ClobberMemory();
    }
}

void RegisterBenchmarks() {
    benchmark::RegisterBenchmark("BM_Memset", BM_Memset)->Unit(benchmark::kMicrosecond);
    const std::pair<plat::InstructionSet, const char*> sets[] = {{plat::InstructionSet::Portable, "portable"},
                                                                 {plat::InstructionSet::Sse2, "sse2"},
                                                                 {plat::InstructionSet::Avx2, "avx2"}};
    for (const Size size : kWindows) {
        const std::string window = std::to_string(size.width) + "x" + std::to_string(size.height);
        for (const auto& [set, setName] : sets) {
            for (const auto& [layout, bits] :
                 {std::make_pair(PixelLayout::Xrgb8888, "/32/"), std::make_pair(PixelLayout::Rgb565, "/16/")}) {
                benchmark::RegisterBenchmark(("BM_Draw/" + std::string(setName) + bits + window).c_str(), BM_Draw,
                                             plat::RowRoutinesFor(set), layout, size)
                    ->Unit(benchmark::kMicrosecond);
            }
        }
        benchmark::RegisterBenchmark(("BM_PaintMargins/" + window).c_str(), BM_PaintMargins, size)
            ->Unit(benchmark::kMicrosecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    RegisterBenchmarks();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
