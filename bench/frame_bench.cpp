// frame_bench.cpp -- the intro's frame, unpaced and without vsync, whole and step by step, beside a memset of
// the back buffer (the floor: the least any frame that touches every pixel can cost). The flip presents the
// frame in a window of the run's video driver (dummy unless SDL_VIDEODRIVER says otherwise), so the frame and
// the flip include the present; they are also run for each way of presenting, in a window of the picture's
// size and full screen. Each time is also given as a multiple of the memset's, in the column "memsets".
// A benchmark whose set-up did not do what it measures (no picture, no window, another way of presenting) fails.
#include "engine/engine.h"
#include "graphics/bitmap.h"

#include "diagnostics.h"
#include "platform_state.h"
#include "sdl_host.h"
#include "sdl_picture_rect.h"

#include "memset_ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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

// Where the picture is loaded from: a copy in a fresh folder under /tmp, whose name is short enough for Bitmap (it
// keeps at most 49 characters of a name) wherever the build folder lies.
std::string& PicturePath() {
    static std::string path;
    return path;
}

// The intro's objects at one display depth, set up as the program sets them up.
struct Intro {
    Engine engine;
    Bitmap image;
    std::string failure;  // what went wrong in the set-up; empty if nothing did

    Intro(DWORD depthSelector, const std::map<std::string, std::string>& settings) {
        tamberlyn::ResetPlatform(settings);
        if (!engine.Init("Tamberlyn", 640, 480, depthSelector, BenchWindowProc, GetModuleHandleA(nullptr), nullptr,
                         nullptr)) {
            failure = "Engine::Init failed";
        } else if (!engine.LoadBitmap(image, PicturePath().c_str())) {
            failure = "the picture did not load from '" + PicturePath() + "'";
        }
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

// Empty if a frame just flipped reached a window the way `presentation` asks (any way and size when it is null),
// else what it did instead.
std::string PresentFailure(const Presentation* presentation) {
    const auto* host = dynamic_cast<const plat::sdl::SdlHost*>(&plat::TheHost());
    const plat::sdl::SdlHost::PresentRecord frame = host ? host->LastPresent() : plat::sdl::SdlHost::PresentRecord{};
    if (frame.path.empty()) {
        return "no window showed the frame (no video driver?)";
    }
    if (!presentation) {
        return "";
    }
    const std::string size = std::to_string(frame.width) + "x" + std::to_string(frame.height);
    if (frame.path != presentation->path) {
        return "presented through the " + frame.path + ", not as " + presentation->name;
    }
    SDL_DisplayMode desktop{};
    const bool windowed = std::string(presentation->windowMode) == "window";
    if (windowed
            ? frame.width != 640 || frame.height != 480
            : SDL_GetDesktopDisplayMode(0, &desktop) != 0 || frame.width != desktop.w || frame.height != desktop.h) {
        return "a window of " + size + " is not " + presentation->name;
    }
    return "";
}

// Sets up the intro at the benchmark's depth (its argument: 1 = 16 bits, 3 = 32 bits) presented as asked,
// once for each change of either, and checks it with one frame. Null, with the benchmark skipped as an error,
// where the set-up did not do what the benchmark measures.
Intro* IntroAt(benchmark::State& state, const Presentation* presentation) {
    static std::pair<DWORD, const Presentation*> current{~0u, nullptr};
    static std::string failure;
    const std::pair<DWORD, const Presentation*> wanted{static_cast<DWORD>(state.range(0)), presentation};
    if (current != wanted) {
        Current().reset();
        std::map<std::string, std::string> settings;
        if (presentation) {
            settings = {{"TAMBERLYN_PRESENT", presentation->path}, {"TAMBERLYN_WINDOW", presentation->windowMode}};
        }
        Current() = std::make_unique<Intro>(wanted.first, settings);
        current = wanted;
        failure = Current()->failure;
        if (failure.empty()) {
            Current()->Frame();
            failure = PresentFailure(presentation);
        }
    }
    if (!failure.empty()) {
        state.SkipWithError(failure.c_str());
        return nullptr;
    }
    return Current().get();
}

void BM_Memset(benchmark::State& state) {
    Intro* intro = IntroAt(state, nullptr);
    if (!intro) {
        return;
    }
    IDirectDrawSurface* back = intro->engine.drawDevice.backBuffer;
    for (auto _ : state) {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        if (back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) {
            state.SkipWithError("the back buffer could not be locked");
            break;
        }
        std::memset(desc.lpSurface, 0, std::size_t(desc.lPitch) * desc.dwHeight);
        benchmark::DoNotOptimize(desc.lpSurface);
        back->Unlock(desc.lpSurface);
    }
}

// A memset of a buffer of the picture's size full screen (fitted to the desktop): the least that writing the
// presented picture once can cost, the floor of a full-screen present, beside the back buffer's memset.
void BM_MemsetFullScreenPicture(benchmark::State& state) {
    if (!IntroAt(state, nullptr)) {
        return;
    }
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
        state.SkipWithError("no desktop display mode");
        return;
    }
    const SDL_Rect rect = plat::PictureRect(640, 480, desktop.w, desktop.h, plat::Scaling::Fit);
    std::vector<std::uint32_t> picture(std::size_t(rect.w) * std::size_t(rect.h), 1);
    for (auto _ : state) {
        std::memset(picture.data(), 0, picture.size() * sizeof picture[0]);
        benchmark::DoNotOptimize(picture.data());
    }
    state.SetLabel(std::to_string(rect.w) + "x" + std::to_string(rect.h));
}

// One step of the frame, or the whole frame, over and over, presented as the run's settings say (`presentation`
// null) or in one given way.
template <void (Intro::*kStep)()>
void BM_Step(benchmark::State& state, const Presentation* presentation) {
    Intro* intro = IntroAt(state, presentation);
    if (!intro) {
        return;
    }
    for (auto _ : state) {
        (intro->*kStep)();
    }
}

// Grouped by depth (3: 32 bits per pixel, 1: 16), so that each depth is set up once; the memset first.
void RegisterBenchmarks() {
    static const Presentation presentations[] = {
        {"surface/window", "surface", "window"},
        {"surface/desktop", "surface", "desktop"},
        {"renderer/window", "renderer", "window"},
        {"renderer/desktop", "renderer", "desktop"},
    };
    for (const int depth : {3, 1}) {
        benchmark::RegisterBenchmark("BM_Memset", BM_Memset)->Arg(depth)->Unit(benchmark::kMicrosecond);
        if (depth == 3) {  // the full-screen picture is 32-bit at either depth
            benchmark::RegisterBenchmark("BM_MemsetFullScreenPicture", BM_MemsetFullScreenPicture)
                ->Arg(depth)
                ->Unit(benchmark::kMicrosecond);
        }
        const std::pair<const char*, void (*)(benchmark::State&, const Presentation*)> benchmarks[] = {
            {"BM_Frame", BM_Step<&Intro::Frame>}, {"BM_Clear", BM_Step<&Intro::Clear>},
            {"BM_Flash", BM_Step<&Intro::Flash>}, {"BM_DrawImage", BM_Step<&Intro::DrawImage>},
            {"BM_Flip", BM_Step<&Intro::Flip>},
        };
        for (const auto& [name, function] : benchmarks) {
            benchmark::RegisterBenchmark(name, function, nullptr)->Arg(depth)->Unit(benchmark::kMicrosecond);
        }
        for (const Presentation& presentation : presentations) {
            for (const auto& [step, function] : {std::make_pair("BM_Frame/", BM_Step<&Intro::Frame>),
                                                 std::make_pair("BM_Flip/", BM_Step<&Intro::Flip>)}) {
                benchmark::RegisterBenchmark((step + std::string(presentation.name)).c_str(), function, &presentation)
                    ->Arg(depth)
                    ->Unit(benchmark::kMicrosecond);
            }
        }
    }
}

}  // namespace

// A fresh folder under /tmp holding a copy of intro.bmp; empty if the copy could not be made (the benchmarks then
// fail at their set-up).
std::filesystem::path FolderWithPicture() {
    char folder[] = "/tmp/frame_bench-XXXXXX";
    if (!mkdtemp(folder)) {
        return {};
    }
    std::error_code error;
    if (!std::filesystem::copy_file(TAMBERLYN_INTRO_BMP, std::string(folder) + "/intro.bmp", error)) {
        std::filesystem::remove_all(folder, error);
        return {};
    }
    return folder;
}

int main(int argc, char** argv) {
    const std::filesystem::path folder = FolderWithPicture();
    if (folder.empty()) {
        std::fprintf(stderr, "frame_bench: cannot copy %s into a folder under /tmp\n", TAMBERLYN_INTRO_BMP);
    } else {
        PicturePath() = (folder / "intro.bmp").string();
    }
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
    if (!folder.empty()) {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }
    return 0;
}
