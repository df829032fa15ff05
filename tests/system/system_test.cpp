// system_test.cpp -- whole runs of the program: start, frames, failures and exit, read from its relay trace.
#include "program_run.h"

#include <SDL.h>

#include <cstdio>
#include <memory>

namespace {

using systemtest::ProgramRun;
using systemtest::RunProgram;
using systemtest::Trace;

const std::size_t npos = Trace::npos;
const std::string kWinMain = "WinMain(module, NULL, \"\", 1) = ";
const std::string kFlip = "IDirectDrawSurface::Flip(surface1, NULL, 0x1) = ";
const std::string kFill = "IDirectDrawSurface::Blt(surface2, NULL, NULL, NULL, 0x1000400, 0x0) = ";
const std::string kImageBlit = "IDirectDrawSurface::Blt(surface2, {21, 16, 619, 464}, surface3, ";
const std::string kSurfaceLost = "0x887601c2";

testing::AssertionResult Ended(const ProgramRun& run, int exitCode) {
    if (!run.finished) {
        return testing::AssertionFailure() << "expected the program to end, got it still running at the time limit";
    }
    if (run.exitCode != exitCode) {
        return testing::AssertionFailure() << "expected exit code " << exitCode << ", got " << run.exitCode
                                           << "; its output:\n" << run.output;
    }
    if (run.trace.Find(kWinMain + std::to_string(exitCode)) == npos) {
        return testing::AssertionFailure() << "expected \"" << kWinMain << exitCode << "\" in the trace, got none";
    }
    return testing::AssertionSuccess();
}

// The calls after WinMain returned: the global objects' destruction.
std::vector<std::string> AfterWinMain(const Trace& trace) {
    const std::size_t winMain = trace.Find(kWinMain);
    return winMain == npos ? std::vector<std::string>() : std::vector<std::string>(
        trace.calls.begin() + static_cast<std::ptrdiff_t>(winMain) + 1, trace.calls.end());
}

// The zoom frame `frame` (from 1) is drawn at: 10 down to 1 and back up in steps of 0.5, 36 frames a cycle.
double ZoomOfFrame(int frame) {
    const int step = (frame - 1) % 36;
    return step <= 18 ? 10.0 - 0.5 * step : 1.0 + 0.5 * (step - 18);
}

// A BMP file's pixels, read through SDL as 0xRRGGBB.
class Picture {
public:
    explicit Picture(const systemtest::fs::path& file) {
        if (SDL_Surface* loaded = SDL_LoadBMP(file.c_str())) {
            pixels_ = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0);
            SDL_FreeSurface(loaded);
        }
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    ~Picture() { SDL_FreeSurface(pixels_); }

    bool Loaded() const { return pixels_ != nullptr; }
    std::string At(int x, int y) const {
        const Uint32 pixel = static_cast<const Uint32*>(pixels_->pixels)[y * (pixels_->pitch / 4) + x] & 0xFFFFFF;
        char text[16];
        std::snprintf(text, sizeof text, "0x%06x", static_cast<unsigned>(pixel));
        return text;
    }

private:
    SDL_Surface* pixels_ = nullptr;
};

// One ordinary run of 40 frames ended by Escape, with frames 1, 2 and 19 captured; its tests only read it.
class NormalRun : public testing::Test {
protected:
    static void SetUpTestSuite() {
        run_ = std::make_unique<ProgramRun>(RunProgram({"40:key=ESCAPE", {{"TAMBERLYN_CAPTURE", "1,2,19"}}}));
    }
    static void TearDownTestSuite() { run_.reset(); }
    void SetUp() override { ASSERT_TRUE(Ended(*run_, 27)); }

    static const Trace& trace() { return run_->trace; }
    static std::unique_ptr<ProgramRun> run_;
};
std::unique_ptr<ProgramRun> NormalRun::run_;

TEST_F(NormalRun, StartsWindowsSocketsTwiceBeforeAnythingElse) {
    ASSERT_GE(trace().raw.size(), 3u);
    EXPECT_EQ(trace().raw[0], "WSAStartup(0x0101) = 0");
    EXPECT_EQ(trace().raw[1], "WSAStartup(0x0101) = 0");
    EXPECT_EQ(trace().Depth(2), 1u) << "expected WinMain's calls next, got " << trace().raw[2];
    EXPECT_EQ(trace().Count("WSAStartup("), 2u);
    EXPECT_EQ(trace().Count("MessageBoxA("), 0u);
}

TEST_F(NormalRun, SetsUpWindowDisplaySoundKeyboardAndFontsInOrder) {
    EXPECT_TRUE(trace().InOrder({
        "RegisterClassA(\"Tamberlyn\")",
        "CreateWindowExA(0x0, \"Tamberlyn\", \"Tamberlyn\", 0x80880000, 0, 0, 640, 480, NULL, NULL, module, NULL) "
        "= hwnd1",
        "ShowWindow(hwnd1, 5)", "GetDC(NULL) = hdc1", "GetDeviceCaps(hdc1, 12) = 32", "ReleaseDC(NULL, hdc1)",
        "DirectDrawCreate(NULL, &ddraw1, NULL) = 0x0", "IDirectDraw::SetCooperativeLevel(ddraw1, hwnd1, 0x13) = 0x0",
        "IDirectDraw::SetDisplayMode(ddraw1, 640, 480, 32) = 0x0",
        "IDirectDraw::CreateSurface(ddraw1, 0x21, 0x218, 0, 0, &surface1, NULL) = 0x0",
        "IDirectDrawSurface::GetAttachedSurface(surface1, 0x4, &surface2) = 0x0",
        "DirectSoundCreate(NULL, &dsound1, NULL) = 0x0", "IDirectSound::SetCooperativeLevel(dsound1, *, 2) = 0x0",
        "IDirectSound::CreateSoundBuffer(dsound1, 0x1, &soundbuffer1, NULL) = 0x0",
        "IDirectSoundBuffer::Play(soundbuffer1, 0, 0, 0x1)", "DirectInputCreateA(module, 0x700, &dinput1, NULL) = 0x0",
        "IDirectInput::CreateDevice(dinput1, \"GUID_SysKeyboard\", &keyboard1, NULL) = 0x0",
        "IDirectInputDevice::SetDataFormat(keyboard1, \"c_dfDIKeyboard\")",
        "IDirectInputDevice::SetCooperativeLevel(keyboard1, hwnd1, 0x6)", "IDirectInputDevice::Acquire(keyboard1)",
        "CreateFontA(13, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 3, 2, \"Arial\") = font1",
        "CreateFontA(13, 0, 0, 0, 400, 0, 1, 0, 0, 0, 0, 3, 2, \"Arial\") = font2", "ShowCursor(0)",
        "LoadImageA(NULL, \"intro.bmp\", 0, 0, 0, 0x2010) = bitmap1", "PeekMessageA(", kFill}));
}

TEST_F(NormalRun, ShutsTheEngineDownOnceAfterTheLastFrame) {
    const std::size_t unacquire = trace().Find("IDirectInputDevice::Unacquire(keyboard1)");
    ASSERT_NE(unacquire, npos) << "expected the keyboard to be unacquired, got no such call";
    EXPECT_EQ(trace().Count("IDirectInputDevice::Unacquire("), 1u);
    EXPECT_GT(unacquire, trace().FindAll(kFlip).back()) << "shut down before the last frame";
    EXPECT_EQ(trace().Depth(unacquire), 1u) << "expected it inside WinMain, got " << trace().raw[unacquire];
    EXPECT_TRUE(trace().InOrder({"IDirectInputDevice::Release(keyboard1)", "IDirectInput::Release(dinput1)",
                                 "IDirectSound::Release(dsound1)", kWinMain + "27"}, unacquire));
    for (const char* release : {"IDirectInputDevice::Release(", "IDirectInput::Release(", "IDirectSound::Release("}) {
        EXPECT_EQ(trace().Count(release), 1u) << release;
    }
}

TEST_F(NormalRun, DestroysTheGlobalsInReverseOrderAfterWinMain) {
    const std::size_t winMain = trace().Find(kWinMain);
    EXPECT_TRUE(trace().InOrder({"WSACleanup() = 0", "IDirectDrawSurface::Release(surface3) = 0",
                                 "IDirectDrawSurface::Release(surface2)", "IDirectDrawSurface::Release(surface1)",
                                 "IDirectDraw::Release(ddraw1) = 0", "WSACleanup() = 0"}, winMain + 1));
    const std::vector<std::string> after = AfterWinMain(trace());
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after.front(), "WSACleanup() = 0") << "the second guard is destroyed first";
    EXPECT_EQ(after.back(), "WSACleanup() = 0") << "the first guard is destroyed last";
    EXPECT_EQ(trace().Count("WSACleanup("), 2u);
    for (std::size_t i = winMain; i < trace().raw.size(); ++i) {
        EXPECT_EQ(trace().Depth(i), 0u) << "expected only global destructors after WinMain, got " << trace().raw[i];
    }
}

TEST_F(NormalRun, ReleasesEachDisplayObjectOnce) {
    for (const char* object : {"surface1)", "surface2)", "surface3)", "ddraw1)"}) {
        EXPECT_EQ(trace().Count(std::string("*::Release(") + object), 1u) << object;
    }
}

TEST_F(NormalRun, FlashesBlackOnOddFramesAndWhiteOnEven) {
    const std::vector<std::size_t> brushes = trace().FindAll("CreateSolidBrush(");
    ASSERT_EQ(brushes.size(), 40u);
    EXPECT_EQ(trace().Count(kFlip + "0x0"), 40u);
    EXPECT_EQ(trace().Count(kFill + "0x0"), 40u);
    for (std::size_t frame = 1; frame <= brushes.size(); ++frame) {
        const std::string expected = frame % 2 == 1 ? "CreateSolidBrush(0x0)" : "CreateSolidBrush(0xffffff)";
        EXPECT_TRUE(Trace::Starts(trace().calls[brushes[frame - 1]], expected))
            << "frame " << frame << ": expected " << expected << ", got " << trace().calls[brushes[frame - 1]];
    }
}

TEST_F(NormalRun, ZoomsTheImageFromTenToOneAndBack) {
    const std::vector<std::size_t> blits = trace().FindAll(kImageBlit);
    ASSERT_EQ(blits.size(), 40u);
    EXPECT_EQ(trace().calls[blits[0]], kImageBlit + "{290, 218, 350, 262}, 0x1000000, 0x0) = 0x0");
    EXPECT_EQ(trace().calls[blits[18]], kImageBlit + "{21, 16, 619, 464}, 0x1000000, 0x0) = 0x0");
    EXPECT_EQ(trace().calls[blits[36]], trace().calls[blits[0]]) << "frame 37 is at zoom 10 again";
    for (int frame = 1; frame <= 40; ++frame) {
        const std::string& call = trace().calls[blits[frame - 1]];
        int left = 0, top = 0, right = 0, bottom = 0;
        ASSERT_EQ(std::sscanf(call.c_str() + kImageBlit.size(), "{%d, %d, %d, %d}", &left, &top, &right, &bottom), 4)
            << call;
        // The clip rectangle, 598 x 448, shows 1/zoom of that many image pixels around the image's centre.
        const double zoom = ZoomOfFrame(frame);
        EXPECT_NEAR(right - left, 598 / zoom, 1.0) << "frame " << frame << " at zoom " << zoom << ": " << call;
        EXPECT_NEAR(bottom - top, 448 / zoom, 1.0) << "frame " << frame << " at zoom " << zoom << ": " << call;
        EXPECT_NEAR((left + right) / 2.0, 320, 1.0) << "frame " << frame << ": " << call;
        EXPECT_NEAR((top + bottom) / 2.0, 240, 1.0) << "frame " << frame << ": " << call;
    }
}

TEST_F(NormalRun, CapturedFramesShowTheFlashAndTheZoomedImage) {
    const systemtest::fs::path folder = run_->folder.Path();
    const Picture image(TAMBERLYN_INTRO_PATH), first(folder / "frame-0001.bmp"), second(folder / "frame-0002.bmp"),
        nineteenth(folder / "frame-0019.bmp");
    ASSERT_TRUE(image.Loaded() && first.Loaded() && second.Loaded() && nineteenth.Loaded())
        << "expected intro.bmp and captures of frames 1, 2 and 19, got some missing";
    EXPECT_EQ(first.At(5, 5), "0x000000") << "frame 1 border";
    EXPECT_EQ(second.At(5, 5), "0xffffff") << "frame 2 border";
    EXPECT_EQ(nineteenth.At(5, 5), "0x000000") << "frame 19 border";
    const int oneToOne[][2] = {{320, 240}, {100, 100}, {600, 450}, {21, 16}};
    for (const auto& point : oneToOne) {
        EXPECT_EQ(nineteenth.At(point[0], point[1]), image.At(point[0], point[1]))
            << "frame 19 (zoom 1) at (" << point[0] << ", " << point[1] << ")";
    }
    // Frame 1 shows image pixels 290..349 x 218..261 ten times as large: look at the middle of each one's block.
    const int magnified[][2] = {{300, 230}, {320, 240}, {341, 255}};
    for (const auto& source : magnified) {
        const int x = 21 + static_cast<int>((source[0] - 290 + 0.5) * 598 / 60);
        const int y = 16 + static_cast<int>((source[1] - 218 + 0.5) * 448 / 44);
        EXPECT_EQ(first.At(x, y), image.At(source[0], source[1]))
            << "frame 1 at (" << x << ", " << y << ") should show image pixel (" << source[0] << ", " << source[1]
            << ")";
    }
}

TEST(SetUp, DesktopDepthChoosesTheDisplayMode) {
    const ProgramRun run = RunProgram({"2:key=ESCAPE", {{"TAMBERLYN_DESKTOP_BPP", "16"}}});
    ASSERT_TRUE(Ended(run, 27));
    EXPECT_TRUE(run.trace.InOrder(
        {"GetDeviceCaps(hdc1, 12) = 16", "IDirectDraw::SetDisplayMode(ddraw1, 640, 480, 16) = 0x0", kFlip + "0x0"}));
}

// A display set-up failure: its one box, exit code 0, no surface, and nothing left for the globals to release.
void ExpectSetupFailure(const ProgramRun& run, const std::string& box) {
    ASSERT_TRUE(Ended(run, 0));
    EXPECT_EQ(run.trace.Count("MessageBoxA("), 1u);
    EXPECT_NE(run.trace.Find(box + " = 1"), npos) << "expected the box " << box << ", got none";
    EXPECT_EQ(run.trace.Count("IDirectDraw::CreateSurface("), 0u);
    EXPECT_EQ(run.trace.Count("PeekMessageA("), 0u) << "no frame cycle after a failed set-up";
    EXPECT_EQ(AfterWinMain(run.trace), (std::vector<std::string>{"WSACleanup() = 0", "WSACleanup() = 0"}));
}

TEST(SetUp, RefusedDisplayModeShowsItsBoxThenReleasesDirectDraw) {
    const ProgramRun run = RunProgram({"2:key=ESCAPE", {{"TAMBERLYN_FAIL", "IDirectDraw::SetDisplayMode=0x80004001"}}});
    ExpectSetupFailure(run, "MessageBoxA(NULL, \"Error Setting Display Mode\", NULL, 0x10)");
    EXPECT_TRUE(run.trace.InOrder({"IDirectDraw::SetDisplayMode(ddraw1, 640, 480, 32) = 0x80004001", "MessageBoxA(",
                                   "IDirectDraw::Release(ddraw1) = 0", kWinMain}));
    EXPECT_EQ(run.trace.Count("IDirectDraw::Release(ddraw1)"), 1u);
}

TEST(SetUp, FailedDirectDrawCreateShowsItsBox) {
    const ProgramRun run = RunProgram({"2:key=ESCAPE", {{"TAMBERLYN_FAIL", "DirectDrawCreate=0x80004005"}}});
    ExpectSetupFailure(run,
                       "MessageBoxA(NULL, \"Couldnt Create DirectX Object! Error: Terminating!\", \"Error!!!\", 0x10)");
    EXPECT_EQ(run.trace.Count("IDirectDraw::"), 0u);
}

TEST(WindowsSockets, RefusedStartQuitsBeforeTheFirstFrame) {
    const ProgramRun run = RunProgram({"2:key=ESCAPE", {{"TAMBERLYN_FAIL", "WSAStartup=10091"}}});
    ASSERT_TRUE(Ended(run, 0));
    const Trace& trace = run.trace;
    const std::vector<std::size_t> boxes =
        trace.FindAll("MessageBoxA(NULL, \"Error Couldnt Init Winsock!\", \"Aborting\", 0x40)");
    ASSERT_EQ(boxes.size(), 2u) << trace.Excerpt(0);
    for (std::size_t box : boxes) {
        EXPECT_EQ(trace.raw[box - 1], "WSAStartup(0x0101) = 10091");
        EXPECT_EQ(trace.raw[box + 1], "PostQuitMessage(0)");
    }
    EXPECT_TRUE(trace.InOrder({"IDirectDraw::SetDisplayMode(", "IDirectDraw::CreateSurface(ddraw1, 0x21",
                               "LoadImageA(NULL, \"intro.bmp\"", "GetMessageA({NULL, 0x12, 0x0, 0x0}, NULL, 0, 0) = 0",
                               kWinMain}));
    EXPECT_EQ(trace.Count("IDirectDrawSurface::Flip("), 0u);
    EXPECT_EQ(trace.Count("IDirectInputDevice::Unacquire("), 0u) << "no engine shutdown on a quit request";
    EXPECT_EQ(trace.Count("WSACleanup("), 2u);
    EXPECT_EQ(trace.Count("WSACleanup(", trace.Find(kWinMain)), 2u) << "both clean-ups come at exit";
}

TEST(WindowsSockets, VersionOtherThanOneOneIsCleanedUpAtOnce) {
    const ProgramRun run = RunProgram({"3:key=ESCAPE", {{"TAMBERLYN_WINSOCK_VERSION", "0x0001"}}});
    ASSERT_TRUE(Ended(run, 27));
    const Trace& trace = run.trace;
    ASSERT_GE(trace.raw.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(trace.raw.begin(), trace.raw.begin() + 4),
              (std::vector<std::string>{"WSAStartup(0x0101) = 0", "WSACleanup() = 0", "WSAStartup(0x0101) = 0",
                                        "WSACleanup() = 0"}));
    EXPECT_EQ(trace.Count("MessageBoxA("), 0u);
    EXPECT_EQ(trace.Count("PostQuitMessage("), 0u);
    EXPECT_EQ(trace.Count(kFlip + "0x0"), 3u);
}

TEST(FrameCycle, InactiveProgramDrawsNothingAndRestoresItsSurfacesAfter) {
    // Activation posts no message; Space wakes the wait and must change nothing else.
    const ProgramRun run = RunProgram({"5:deactivate,6:activate,6:key=SPACE,20:key=ESCAPE", {}});
    ASSERT_TRUE(Ended(run, 27));
    const Trace& trace = run.trace;
    const std::size_t deactivated = trace.Find("DefWindowProcA(hwnd1, 0x6, 0x0,");
    ASSERT_NE(deactivated, npos) << "expected the window to be told of the deactivation, got no such call";
    const std::size_t woken = trace.Find("WaitMessage() = 1", deactivated);
    ASSERT_NE(woken, npos) << "expected the inactive program to wait, got no WaitMessage";
    EXPECT_EQ(trace.Count("IDirectDrawSurface::", deactivated, woken), 0u) << "drew while inactive:\n"
                                                                           << trace.Excerpt(deactivated);
    EXPECT_EQ(trace.Count(kFlip, 0, deactivated), 5u);
    EXPECT_NE(trace.Find("DispatchMessageA({hwnd1, 0x100, 0x20,", woken), npos) << "Space was not delivered";
    EXPECT_EQ(trace.Count(kFlip + "0x0"), 20u) << "expected frames to resume until Escape at frame 20";
    // The surfaces come back lost: the image reloads after its failed blit, and the primary is restored once.
    EXPECT_TRUE(trace.InOrder({kImageBlit + "* = " + kSurfaceLost,
                               "LoadImageA(NULL, \"intro.bmp\", 0, 0, 0, 0x2010) = bitmap",
                               "IDirectDrawSurface::Restore(surface3) = 0x0", kFlip + kSurfaceLost,
                               "IDirectDrawSurface::Restore(surface1) = 0x0", kImageBlit + "* = 0x0", kFlip + "0x0"},
                              woken));
    const std::size_t failedFlip = trace.Find(kFlip + kSurfaceLost);
    ASSERT_NE(failedFlip, npos);
    EXPECT_EQ(trace.calls[failedFlip + 1], "IDirectDrawSurface::Restore(surface1) = 0x0");
    EXPECT_EQ(trace.Count("IDirectDrawSurface::Restore(surface1)"), 1u);
}

TEST(FrameCycle, FailedFlipRestoresThePrimaryOnceAndTheNextFrameIsWhole) {
    const ProgramRun run = RunProgram({"5:key=ESCAPE", {{"TAMBERLYN_FAIL", "IDirectDrawSurface::Flip@3=0x887601c2"}}});
    ASSERT_TRUE(Ended(run, 27));
    const Trace& trace = run.trace;
    const std::vector<std::size_t> flips = trace.FindAll(kFlip);
    ASSERT_EQ(flips.size(), 6u) << "expected five frames shown and one failed flip";
    EXPECT_EQ(trace.calls[flips[2]], kFlip + kSurfaceLost);
    EXPECT_EQ(trace.calls[flips[2] + 1], "IDirectDrawSurface::Restore(surface1) = 0x0");
    EXPECT_TRUE(Trace::Starts(trace.calls[flips[2] + 2], "PeekMessageA(")) << "expected no retry of the flip, got "
                                                                            << trace.calls[flips[2] + 2];
    EXPECT_EQ(trace.Count("IDirectDrawSurface::Restore("), 1u);
    EXPECT_EQ(trace.Count(kFill + "0x0", flips[2], flips[3]), 1u);
    EXPECT_EQ(trace.Count("Rectangle(*, 0, 0, 640, 480) = 1", flips[2], flips[3]), 1u);
    EXPECT_EQ(trace.Count(kImageBlit + "* = 0x0", flips[2], flips[3]), 1u);
    EXPECT_EQ(trace.calls[flips[3]], kFlip + "0x0");
}

TEST(FrameCycle, ClosingTheWindowQuitsWithoutShuttingTheEngineDown) {
    const ProgramRun run = RunProgram({"10:close,20:key=ESCAPE", {}});
    ASSERT_TRUE(Ended(run, 0));
    const Trace& trace = run.trace;
    const std::size_t quit = trace.Find("PostQuitMessage(0)");
    ASSERT_NE(quit, npos) << "expected WM_DESTROY to post a quit request, got none";
    EXPECT_GE(trace.Depth(quit), 2u) << "expected it from the window procedure, got " << trace.raw[quit];
    EXPECT_EQ(trace.Count("DefWindowProcA(hwnd1, 0x2,"), 0u) << "WM_DESTROY is the program's to handle";
    EXPECT_TRUE(trace.InOrder({"DispatchMessageA({hwnd1, 0x10,", "GetMessageA({NULL, 0x12, 0x0, 0x0}, NULL, 0, 0) = 0",
                               kWinMain + "0"}, quit));
    EXPECT_EQ(trace.Count(kFlip), 10u);
    EXPECT_EQ(trace.Count("IDirectInputDevice::Unacquire("), 0u);
}

TEST(FrameCycle, MissingImageLeavesTheFlashAlone) {
    const ProgramRun run = RunProgram({"6:key=ESCAPE", {}, false});
    ASSERT_TRUE(Ended(run, 27));
    const Trace& trace = run.trace;
    EXPECT_NE(trace.Find("LoadImageA(NULL, \"intro.bmp\", 0, 0, 0, 0x2010) = NULL"), npos);
    EXPECT_EQ(trace.Count("LoadImageA("), 1u) << "no reload of an image that never loaded";
    EXPECT_EQ(trace.Count("*surface3"), 0u) << "expected no image surface and no blit from one";
    EXPECT_EQ(trace.Count(kFlip + "0x0"), 6u);
    EXPECT_EQ(trace.Count(kFill + "0x0"), 6u);
    EXPECT_EQ(trace.Count("Rectangle(*, 0, 0, 640, 480) = 1"), 6u);
}

}  // namespace
