// frame_bench.cpp -- the intro's frame, unpaced and without vsync, whole and step by step, beside a memset of
// the back buffer (the floor: the least any frame that touches every pixel can cost). The flip presents the
// frame in a window of the run's video driver (dummy unless SDL_VIDEODRIVER says otherwise), so the frame and
// the flip include the present; they are also run for each way of presenting, in a window of the picture's
// size and full screen. Each time is also given as a multiple of the memset's, in the column "memsets".
#include "engine/engine.h"
#include "graphics/bitmap.h"

#include "diagnostics.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

namespace {

LRESULT CALLBACK BenchWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The intro's objects at one display depth, set up as the program sets them up.
struct Intro {
    Engine engine;
    Bitmap image;

    Intro(DWORD depthSelector, const std::map<std::string, std::string>& settings) {
        tamberlyn::ResetPlatform(settings);
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

// How frames are presented: as the run's settings say, or one path in one window mode.
struct Presentation {
    const char* name;
    const char* path;        // TAMBERLYN_PRESENT
    const char* windowMode;  // TAMBERLYN_WINDOW
};

std::unique_ptr<Intro>& Current() {
    static std::unique_ptr<Intro> intro;
    return intro;
}

// Sets up the intro at the benchmark's depth (its argument: 1 = 16 bits, 3 = 32 bits) presented as asked,
// once for each change of either.
Intro& IntroAt(const benchmark::State& state, const Presentation* presentation) {
    static std::pair<DWORD, const Presentation*> current{~0u, nullptr};
    const std::pair<DWORD, const Presentation*> wanted{static_cast<DWORD>(state.range(0)), presentation};
    if (current != wanted) {
        Current().reset();
        std::map<std::string, std::string> settings;
        if (presentation) {
            settings = {{"TAMBERLYN_PRESENT", presentation->path}, {"TAMBERLYN_WINDOW", presentation->windowMode}};
        }
        Current() = std::make_unique<Intro>(wanted.first, settings);
        current = wanted;
    }
    return *Current();
}

void BM_Memset(benchmark::State& state) {
    Intro& intro = IntroAt(state, nullptr);
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

// One step of the frame, or the whole frame, over and over, presented as the run's settings say.
template <void (Intro::*kStep)()>
void BM_Step(benchmark::State& state) {
    Intro& intro = IntroAt(state, nullptr);
    for (auto _ : state) {
        (intro.*kStep)();
    }
}

// The same, presented in one given way.
template <void (Intro::*kStep)()>
void BM_StepPresented(benchmark::State& state, const Presentation* presentation) {
    Intro& intro = IntroAt(state, presentation);
    for (auto _ : state) {
        (intro.*kStep)();
    }
}

// The console's table with a column "memsets": each time over the memset's time at the same depth (for repeated
// runs, each mean and median over the memset's).
class MemsetRatioReporter : public benchmark::ConsoleReporter {
public:
    explicit MemsetRatioReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> annotated = runs;
        for (Run& run : annotated) {
            const auto key = std::make_pair(run.run_name.args, run.aggregate_name);
            if (run.aggregate_name == "stddev" || run.aggregate_name == "cv") {
                continue;
            }
            if (run.run_name.function_name == "BM_Memset") {
                memsetTimes_[key] = run.GetAdjustedRealTime();
            } else if (auto memset = memsetTimes_.find(key); memset != memsetTimes_.end() && memset->second > 0) {
                run.counters["memsets"] = benchmark::Counter(run.GetAdjustedRealTime() / memset->second);
            }
        }
        ConsoleReporter::ReportRuns(annotated);
    }

private:
    std::map<std::pair<std::string, std::string>, double> memsetTimes_;
};

// Grouped by depth (3: 32 bits per pixel, 1: 16), so that each depth is set up once; the memset first.
void RegisterBenchmarks() {
    static const Presentation presentations[] = {
        {"surface/window", "surface", "window"},
        {"surface/desktop", "surface", "desktop"},
        {"renderer/window", "renderer", "window"},
        {"renderer/desktop", "renderer", "desktop"},
    };
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
        for (const Presentation& presentation : presentations) {
            for (const auto& [step, function] : {std::make_pair("BM_Frame/", BM_StepPresented<&Intro::Frame>),
                                                 std::make_pair("BM_Flip/", BM_StepPresented<&Intro::Flip>)}) {
                benchmark::RegisterBenchmark((step + std::string(presentation.name)).c_str(), function, &presentation)
                    ->Arg(depth)
                    ->Unit(benchmark::kMicrosecond);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Before the platform reads its settings: frames as fast as they go without waiting for the display, no
    // display or sound card needed unless the caller names a video driver.
    setenv("TAMBERLYN_UNPACED", "1", 1);
    setenv("TAMBERLYN_VSYNC", "0", 1);
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    RegisterBenchmarks();
    benchmark::Initialize(&argc, argv);
    MemsetRatioReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Defaults
                                                       : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    Current().reset();
    benchmark::Shutdown();
    return 0;
}
