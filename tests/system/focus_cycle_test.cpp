// focus_cycle_test.cpp -- the whole program, in this process, through many focus changes: every time its surfaces
// are lost and restored and the image comes back, and at the end it holds the objects it held after set-up.
#include "diagnostics.h"
#include "relay_trace.h"

#include <windows.h>

#include <memory>

namespace {

using systemtest::Trace;
namespace fs = std::filesystem;

constexpr int kCycles = 12;
constexpr int kFramesPerCycle = 30;
const std::string kFlip = "IDirectDrawSurface::Flip(surface1, NULL, 0x1) = ";
const std::string kImageBlit = "IDirectDrawSurface::Blt(surface2, {21, 16, 619, 464}, surface3, ";
const std::string kSurfaceLost = "0x887601c2";

// Frames shown before the `cycle`th deactivation (from 1): the script counts flips attempted, and each return
// before it cost one flip that failed on the lost primary.
int ShownBeforeDeactivation(int cycle) {
    return cycle * kFramesPerCycle - (cycle - 1);
}

// What the run leaves behind, read once for all the tests below.
struct CycledRun {
    int exitCode = -1;
    Trace trace;
    tamberlyn::GdiCounts gdi{};
    int surfaces = -1;
    fs::path folder;
};

// Deactivates and reactivates the program every kFramesPerCycle frames, then ends it with Escape.
CycledRun RunWithFocusCycles() {
    CycledRun run;
    run.folder = fs::path(testing::TempDir()) / ("tamberlyn-focus-" + std::to_string(getpid()));
    fs::create_directories(run.folder);
    fs::create_symlink(TAMBERLYN_INTRO_PATH, run.folder / "intro.bmp");
    fs::current_path(run.folder);  // where the program finds intro.bmp

    std::string script;
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        // The activation is due a frame later, so it comes while the program waits for messages.
        script += std::to_string(cycle * kFramesPerCycle) + ":deactivate," +
                  std::to_string(cycle * kFramesPerCycle + 1) + ":activate,";
    }
    script += std::to_string(kCycles * kFramesPerCycle + 50) + ":key=ESCAPE";
    tamberlyn::ResetPlatform({{"TAMBERLYN_SCRIPT", script},
                              {"TAMBERLYN_UNPACED", "1"},
                              // Frames shown at their own size: presenting them scaled to the dummy screen would
                              // only make the run slower.
                              {"TAMBERLYN_WINDOW", "window"}});

    tamberlyn::StartTraceCapture();
    run.exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
    for (std::string& line : tamberlyn::TakeTrace()) {
        run.trace.calls.push_back(line.substr(line.find_first_not_of(' ')));
        run.trace.raw.push_back(std::move(line));
    }
    run.gdi = tamberlyn::LiveGdiObjects();
    run.surfaces = tamberlyn::LiveSurfaces();
    return run;
}

class FocusCycles : public testing::Test {
protected:
    static void SetUpTestSuite() { run_ = std::make_unique<CycledRun>(RunWithFocusCycles()); }
    static void TearDownTestSuite() {
        fs::remove_all(run_->folder);
        run_.reset();
    }
    void SetUp() override { ASSERT_EQ(run_->exitCode, 27) << "expected the run to end with Escape"; }

    static std::unique_ptr<CycledRun> run_;
};
std::unique_ptr<CycledRun> FocusCycles::run_;

TEST_F(FocusCycles, EveryReturnRestoresTheSurfacesAndReloadsTheImage) {
    const Trace& trace = run_->trace;
    const std::vector<std::size_t> deactivations = trace.FindAll("DefWindowProcA(hwnd1, 0x6, 0x0,");
    ASSERT_EQ(deactivations.size(), static_cast<std::size_t>(kCycles));
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle + 1));
        const std::size_t from = deactivations[cycle];
        const std::size_t to = cycle + 1 < kCycles ? deactivations[cycle + 1] : Trace::npos;
        EXPECT_EQ(trace.Count(kFlip + "0x0", 0, from), static_cast<std::size_t>(ShownBeforeDeactivation(cycle + 1)));
        EXPECT_TRUE(
            trace.InOrder({"WaitMessage() = 1", kImageBlit + "* = " + kSurfaceLost,
                           "LoadImageA(NULL, \"intro.bmp\", 0, 0, 0, 0x2010) = bitmap",
                           "IDirectDrawSurface::Restore(surface3) = 0x0", kFlip + kSurfaceLost,
                           "IDirectDrawSurface::Restore(surface1) = 0x0", kImageBlit + "* = 0x0", kFlip + "0x0"},
                          from));
        EXPECT_EQ(trace.Count("IDirectDrawSurface::Restore(surface1)", from, to), 1u);
        EXPECT_EQ(trace.Count(kFlip + kSurfaceLost, from, to), 1u);
    }
}

TEST_F(FocusCycles, HoldsNoMoreObjectsAtTheEndThanAfterSetUp) {
    // After set-up: the primary surface, its back buffer and the image's surface; the engine's two fonts.
    EXPECT_EQ(run_->surfaces, 3);
    const tamberlyn::GdiCounts& gdi = run_->gdi;
    EXPECT_EQ(gdi.fonts, 2);
    EXPECT_EQ(gdi.brushes, 0);
    EXPECT_EQ(gdi.pens, 0);
    EXPECT_EQ(gdi.bitmaps, 0);
    EXPECT_EQ(gdi.dcs, 0);
}

}  // namespace
