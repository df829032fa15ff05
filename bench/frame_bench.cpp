// frame_bench.cpp -- the intro's frame, headless and unpaced, whole and step by step, beside a memset of the
// back buffer (the floor: the least any frame that touches every pixel can cost).
#include "engine/engine.h"
#include "graphics/bitmap.h"

#include "diagnostics.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

namespace {

LRESULT CALLBACK BenchWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The intro's objects at one display depth, set up as the program sets them up.
struct Intro {
    Engine engine;
    Bitmap image;

    explicit Intro(DWORD depthSelector) {
        tamberlyn::ResetPlatform();
        engine.Init("Tamberlyn", 640, 480, depthSelector, BenchWindowProc, GetModuleHandleA(nullptr), nullptr, nullptr);
        engine.LoadBitmap(image, TAMBERLYN_INTRO_BMP);
    }
    ~Intro() { engine.Shutdown(); }

    static constexpr RECT kClip = {21, 16, 619, 464};

    void Clear() { engine.BeginFrame(); }
    void Flash() { engine.painter.FillRect(0, 0, 640, 480, 0xFFFFFF, 0xFFFFFF); }
    void DrawImage() { image.Draw(320 - 3200, 240 - 2400, 6400, 4800, kClip); }  // zoom 10
    void Flip() { engine.EndFrame(); }
    void Frame() {
        Clear();
        Flash();
        DrawImage();
        Flip();
    }
};

std::unique_ptr<Intro>& Current() {
    static std::unique_ptr<Intro> intro;
    return intro;
}

// Sets up the intro at the benchmark's depth (its argument: 1 = 16 bits, 3 = 32 bits) once per depth.
Intro& IntroAt(const benchmark::State& state) {
    static DWORD depth = ~0u;
    const auto selector = static_cast<DWORD>(state.range(0));
    if (depth != selector) {
        Current().reset();
        Current() = std::make_unique<Intro>(selector);
        depth = selector;
    }
    return *Current();
}

void BM_Memset(benchmark::State& state) {
    Intro& intro = IntroAt(state);
    IDirectDrawSurface* back = intro.engine.drawDevice.backBuffer;
    for (auto _ : state) {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
        std::memset(desc.lpSurface, 0, std::size_t(desc.lPitch) * desc.dwHeight);
        benchmark::DoNotOptimize(desc.lpSurface);
        back->Unlock(desc.lpSurface);
    }
}

// One step of the frame, or the whole frame, over and over.
template <void (Intro::*kStep)()>
void BM_Step(benchmark::State& state) {
    Intro& intro = IntroAt(state);
    for (auto _ : state) {
        (intro.*kStep)();
    }
}

// Grouped by depth (3: 32 bits per pixel, 1: 16), so that each depth is set up once.
void RegisterBenchmarks() {
    for (const int depth : {3, 1}) {
        const std::pair<const char*, void (*)(benchmark::State&)> benchmarks[] = {
            {"BM_Memset", BM_Memset},
            {"BM_Frame", BM_Step<&Intro::Frame>},
            {"BM_Clear", BM_Step<&Intro::Clear>},
            {"BM_Flash", BM_Step<&Intro::Flash>},
            {"BM_DrawImage", BM_Step<&Intro::DrawImage>},
            {"BM_Flip", BM_Step<&Intro::Flip>},
        };
        for (const auto& [name, function] : benchmarks) {
            benchmark::RegisterBenchmark(name, function)->Arg(depth)->Unit(benchmark::kMicrosecond);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Before the platform reads its settings: frames as fast as they go, no sound card needed.
    setenv("TAMBERLYN_UNPACED", "1", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    RegisterBenchmarks();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    Current().reset();
    benchmark::Shutdown();
    return 0;
}
