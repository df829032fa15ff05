// system_test.cpp -- whole runs of the program: start, frames, failures and exit, read from its relay trace. (Focus
// lost and regained: the focus-cycle test; closing the window and what the screen shows: the X tests.)
#include "program.h"

#include <cstdio>
#include <map>
#include <memory>

namespace {

using namespace std::chrono_literals;
using systemtest::Program;
using systemtest::Trace;

const std::size_t npos = Trace::npos;
const std::string kWinMain = "WinMain(module, NULL, \"\", 1) = ";
const std::string kFlip = "IDirectDrawSurface::Flip(surface1, NULL, 0x1) = ";
const std::string kFill = "IDirectDrawSurface::Blt(surface2, NULL, NULL, NULL, 0x1000400, 0x0) = ";
const std::string kImageBlit = "IDirectDrawSurface::Blt(surface2, {21, 16, 619, 464}, surface3, ";
const std::string kImageLoad = "LoadImageA(NULL, \"intro.bmp\", 0, 0, 0, 0x2010) = ";
const std::string kSurfaceLost = "0x887601c2";
const std::string kQuitSeen = "GetMessageA({NULL, 0x12, 0x0, 0x0}, NULL, 0, 0) = 0";

// A headless run to its end, or 20 s: SDL's dummy video driver, frames unpaced, the frame script `script`.
std::unique_ptr<Program> RunHeadless(const std::string& script, std::vector<std::string> settings = {},
                                     bool withImage = true) {
    settings.insert(settings.begin(), {"SDL_VIDEODRIVER=dummy", "TAMBERLYN_UNPACED=1", "TAMBERLYN_SCRIPT=" + script});
    auto program = std::make_unique<Program>(settings, std::vector<std::string>{}, withImage);
    program->WaitForExit(20s);
    return program;
}

testing::AssertionResult Ended(Program& run, int exitCode) {
    if (run.WaitForExit(0s) != exitCode || run.ReadTrace().Find(kWinMain + std::to_string(exitCode)) == npos) {
        return testing::AssertionFailure()
               << "expected exit code " << exitCode << " after \"" << kWinMain << exitCode << "\", got exit code "
               << run.WaitForExit(0s) << " (-1: still running at the time limit); its output:\n"
               << run.Output();
    }
    return testing::AssertionSuccess();
}

// The zoom frame `frame` (from 1) is drawn at: 10 down to 1 and back up in steps of 0.5, 36 frames a cycle.
double ZoomOfFrame(int frame) {
    const int step = (frame - 1) % 36;
    return step <= 18 ? 10.0 - 0.5 * step : 1.0 + 0.5 * (step - 18);
}

// One ordinary run of 40 frames ended by Escape, on each host without a display: SDL's dummy video driver and the
// null host. Its tests only read it.
class NormalRun : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        std::unique_ptr<Program>& run = runs_[GetParam()];
        if (!run) {
            run = RunHeadless("40:key=ESCAPE", {GetParam()});
            traces_[GetParam()] = run->ReadTrace();
        }
        run_ = run.get();
        ASSERT_TRUE(Ended(*run_, 27));
    }
    static void TearDownTestSuite() { runs_.clear(); }

    const Trace& trace() const { return traces_[GetParam()]; }
    Program* run_ = nullptr;
    static std::map<std::string, std::unique_ptr<Program>> runs_;
    static std::map<std::string, Trace> traces_;
};
std::map<std::string, std::unique_ptr<Program>> NormalRun::runs_;
std::map<std::string, Trace> NormalRun::traces_;

INSTANTIATE_TEST_SUITE_P(Hosts, NormalRun, testing::Values("TAMBERLYN_HEADLESS=", "TAMBERLYN_HEADLESS=1"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.index == 0 ? "SdlDummyDriver" : "NullHost");
                         });

TEST_P(NormalRun, GlobalGuardsStartWindowsSocketsBeforeWinMainAndCleanUpAfterTheDisplay) {
    ASSERT_GE(trace().raw.size(), 3u);
    EXPECT_EQ(trace().raw[0], "WSAStartup(0x0101) = 0");
    EXPECT_EQ(trace().raw[1], "WSAStartup(0x0101) = 0");
    EXPECT_EQ(trace().Depth(2), 1u) << "expected WinMain's calls next, got " << trace().raw[2];
    EXPECT_EQ(trace().Count("WSAStartup("), 2u);
    EXPECT_EQ(trace().Count("MessageBoxA("), 0u);
    // The globals are destroyed in reverse: the second guard, the image and the display, then the first guard.
    const std::size_t winMain = trace().Find(kWinMain);
    EXPECT_TRUE(trace().InOrder(
        {"WSACleanup() = 0", "IDirectDrawSurface::Release(surface3) = 0", "IDirectDrawSurface::Release(surface2)",
         "IDirectDrawSurface::Release(surface1) = 0", "IDirectDraw::Release(ddraw1) = 0", "WSACleanup() = 0"},
        winMain + 1));
    EXPECT_EQ(trace().raw.size(), winMain + 7) << "expected six calls after WinMain, got:\n"
                                               << trace().Excerpt(winMain);
    EXPECT_EQ(trace().Count("WSACleanup("), 2u);
    for (const char* object : {"surface1)", "surface2)", "surface3)", "ddraw1)"}) {
        EXPECT_EQ(trace().Count(std::string("*::Release(") + object), 1u) << object;
    }
}

TEST_P(NormalRun, SetsUpWindowDisplaySoundKeyboardAndFontsInOrder) {
    EXPECT_TRUE(trace().InOrder(
        {"RegisterClassA(\"Tamberlyn\")",
         "CreateWindowExA(0x0, \"Tamberlyn\", \"Tamberlyn\", 0x80880000, 0, 0, 640, 480, NULL, NULL, module, NULL) "
         "= hwnd1",
         "ShowWindow(hwnd1, 5)",
         "GetDC(NULL) = hdc1",
         "GetDeviceCaps(hdc1, 12) = 32",
         "ReleaseDC(NULL, hdc1)",
         "DirectDrawCreate(NULL, &ddraw1, NULL) = 0x0",
         "IDirectDraw::SetCooperativeLevel(ddraw1, hwnd1, 0x13) = 0x0",
         "IDirectDraw::SetDisplayMode(ddraw1, 640, 480, 32) = 0x0",
         "IDirectDraw::CreateSurface(ddraw1, 0x21, 0x218, 0, 0, &surface1, NULL) = 0x0",
         "IDirectDrawSurface::GetAttachedSurface(surface1, 0x4, &surface2) = 0x0",
         "DirectSoundCreate(NULL, &dsound1, NULL) = 0x0",
         "IDirectSound::SetCooperativeLevel(dsound1, *, 2) = 0x0",
         "IDirectSound::CreateSoundBuffer(dsound1, 0x1, &soundbuffer1, NULL) = 0x0",
         "IDirectSoundBuffer::Play(soundbuffer1, 0, 0, 0x1)",
         "DirectInputCreateA(module, 0x700, &dinput1, NULL) = 0x0",
         "IDirectInput::CreateDevice(dinput1, \"GUID_SysKeyboard\", &keyboard1, NULL) = 0x0",
         "IDirectInputDevice::SetDataFormat(keyboard1, \"c_dfDIKeyboard\")",
         "IDirectInputDevice::SetCooperativeLevel(keyboard1, hwnd1, 0x6)",
         "IDirectInputDevice::Acquire(keyboard1)",
         "CreateFontA(13, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 3, 2, \"Arial\") = font1",
         "CreateFontA(13, 0, 0, 0, 400, 0, 1, 0, 0, 0, 0, 3, 2, \"Arial\") = font2",
         "ShowCursor(0)",
         kImageLoad + "bitmap1",
         "PeekMessageA(",
         kFill}));
}

TEST_P(NormalRun, ShutsTheEngineDownOnceAfterTheLastFrame) {
    const std::size_t unacquire = trace().Find("IDirectInputDevice::Unacquire(keyboard1)");
    ASSERT_NE(unacquire, npos) << "expected the keyboard to be unacquired, got no such call";
    EXPECT_GT(unacquire, trace().FindAll(kFlip).back()) << "shut down before the last frame";
    EXPECT_EQ(trace().Depth(unacquire), 1u) << "expected it inside WinMain, got " << trace().raw[unacquire];
    EXPECT_TRUE(trace().InOrder({"IDirectInputDevice::Release(keyboard1)", "IDirectInput::Release(dinput1)",
                                 "IDirectSound::Release(dsound1)", kWinMain + "27"},
                                unacquire));
    for (const char* call : {"IDirectInputDevice::Unacquire(", "IDirectInputDevice::Release(", "IDirectInput::Release(",
                             "IDirectSound::Release("}) {
        EXPECT_EQ(trace().Count(call), 1u) << call;
    }
}

TEST_P(NormalRun, FlashesBlackOnOddFramesAndWhiteOnEven) {
    const std::vector<std::size_t> brushes = trace().FindAll("CreateSolidBrush(");
    ASSERT_EQ(brushes.size(), 40u);
    EXPECT_EQ(trace().Count(kFlip + "0x0"), 40u);
    EXPECT_EQ(trace().Count(kFill + "0x0"), 40u);
    for (std::size_t frame = 1; frame <= brushes.size(); ++frame) {
        EXPECT_TRUE(Trace::Matches(trace().calls[brushes[frame - 1]],
                                   frame % 2 ? "CreateSolidBrush(0x0)" : "CreateSolidBrush(0xffffff)"))
            << "frame " << frame << ": got " << trace().calls[brushes[frame - 1]];
    }
}

TEST_P(NormalRun, ZoomsTheImageFromTenToOneAndBack) {
    const std::vector<std::size_t> blits = trace().FindAll(kImageBlit);
    ASSERT_EQ(blits.size(), 40u);
    EXPECT_EQ(trace().calls[blits[0]], kImageBlit + "{290, 218, 350, 262}, 0x1000000, 0x0) = 0x0");
    EXPECT_EQ(trace().calls[blits[18]], kImageBlit + "{21, 16, 619, 464}, 0x1000000, 0x0) = 0x0");
    for (int frame = 1; frame <= 40; ++frame) {
        const std::string& call = trace().calls[blits[frame - 1]];
        int left = 0, top = 0, right = 0, bottom = 0;
        ASSERT_EQ(std::sscanf(call.c_str() + kImageBlit.size(), "{%d, %d, %d, %d}", &left, &top, &right, &bottom), 4)
            << call;
        // The clip rectangle, 598 x 448, shows 1/zoom of that many image pixels around the image's centre.
        const double zoom = ZoomOfFrame(frame);
        SCOPED_TRACE("frame " + std::to_string(frame) + " at zoom " + std::to_string(zoom) + ": " + call);
        EXPECT_NEAR(right - left, 598 / zoom, 1.0);
        EXPECT_NEAR(bottom - top, 448 / zoom, 1.0);
        EXPECT_NEAR((left + right) / 2.0, 320, 1.0);
        EXPECT_NEAR((top + bottom) / 2.0, 240, 1.0);
    }
}

TEST(SetUp, RefusedDisplayModeShowsItsBoxReleasesDirectDrawAndEndsTheRun) {
    const auto run = RunHeadless("2:key=ESCAPE", {"TAMBERLYN_FAIL=IDirectDraw::SetDisplayMode=0x80004001"});
    ASSERT_TRUE(Ended(*run, 0));
    const Trace trace = run->ReadTrace();
    EXPECT_TRUE(trace.InOrder({"IDirectDraw::SetDisplayMode(ddraw1, 640, 480, 32) = 0x80004001",
                               "MessageBoxA(NULL, \"Error Setting Display Mode\", NULL, 0x10) = 1",
                               "IDirectDraw::Release(ddraw1) = 0", kWinMain, "WSACleanup() = 0", "WSACleanup() = 0"}));
    EXPECT_EQ(trace.raw.size(), trace.Find(kWinMain) + 3) << "expected nothing but the guards after WinMain";
    EXPECT_EQ(trace.Count("MessageBoxA("), 1u);
    EXPECT_EQ(trace.Count("IDirectDraw::Release("), 1u);
    EXPECT_EQ(trace.Count("IDirectDraw::CreateSurface("), 0u);
    EXPECT_EQ(trace.Count("PeekMessageA("), 0u) << "no frame cycle after a failed set-up";
}

TEST(WindowsSockets, RefusedStartQuitsBeforeTheFirstFrame) {
    const auto run = RunHeadless("2:key=ESCAPE", {"TAMBERLYN_FAIL=WSAStartup=10091"});
    ASSERT_TRUE(Ended(*run, 0));
    const Trace trace = run->ReadTrace();
    const std::vector<std::size_t> boxes =
        trace.FindAll("MessageBoxA(NULL, \"Error Couldnt Init Winsock!\", \"Aborting\", 0x40)");
    ASSERT_EQ(boxes.size(), 2u) << trace.Excerpt(0);
    for (std::size_t box : boxes) {
        EXPECT_EQ(trace.raw[box - 1], "WSAStartup(0x0101) = 10091");
        EXPECT_EQ(trace.raw[box + 1], "PostQuitMessage(0)");
    }
    EXPECT_TRUE(trace.InOrder({"IDirectDraw::SetDisplayMode(", "IDirectDraw::CreateSurface(ddraw1, 0x21", kImageLoad,
                               kQuitSeen, kWinMain, "WSACleanup(", "WSACleanup("}));
    EXPECT_EQ(trace.Count("WSACleanup("), 2u) << "both clean-ups come at exit";
    EXPECT_EQ(trace.Count("IDirectDrawSurface::Flip("), 0u);
    EXPECT_EQ(trace.Count("IDirectInputDevice::Unacquire("), 0u) << "no engine shutdown on a quit request";
}

TEST(FrameCycle, FailedFlipRestoresThePrimaryOnceAndTheNextFrameIsWhole) {
    const auto run = RunHeadless("5:key=ESCAPE", {"TAMBERLYN_FAIL=IDirectDrawSurface::Flip@3=0x887601c2"});
    ASSERT_TRUE(Ended(*run, 27));
    const Trace trace = run->ReadTrace();
    const std::vector<std::size_t> flips = trace.FindAll(kFlip);
    ASSERT_EQ(flips.size(), 5u) << "expected Escape after five flips, the failed one among them";
    EXPECT_EQ(trace.calls[flips[2]], kFlip + kSurfaceLost);
    EXPECT_EQ(trace.calls[flips[2] + 1], "IDirectDrawSurface::Restore(surface1) = 0x0");
    EXPECT_TRUE(Trace::Matches(trace.calls[flips[2] + 2], "PeekMessageA("))
        << "expected no retry of the flip, got " << trace.calls[flips[2] + 2];
    EXPECT_EQ(trace.Count("IDirectDrawSurface::Restore("), 1u);
    for (const std::string& step :
         {kFill + "0x0", std::string("Rectangle(*, 0, 0, 640, 480) = 1"), kImageBlit + "* = 0x0"}) {
        EXPECT_EQ(trace.Count(step, flips[2], flips[3]), 1u) << "expected once in the next frame: " << step;
    }
    EXPECT_EQ(trace.calls[flips[3]], kFlip + "0x0");
}

TEST(FrameCycle, MissingImageLeavesTheFlashAloneAndIsSaidOnce) {
    const auto run = RunHeadless("6:key=ESCAPE", {}, false);
    ASSERT_TRUE(Ended(*run, 27));
    EXPECT_EQ(run->Output(),
              "tamberlyn: cannot load " + (run->Folder() / "intro.bmp").string() + ": No such file or directory\n");
    const Trace trace = run->ReadTrace();
    EXPECT_NE(trace.Find(kImageLoad + "NULL"), npos);
    EXPECT_EQ(trace.Count("LoadImageA("), 1u) << "no reload of an image that never loaded";
    EXPECT_EQ(trace.Count("*surface3"), 0u) << "expected no image surface and no blit from one";
    EXPECT_EQ(trace.Count(kFlip + "0x0"), 6u);
    EXPECT_EQ(trace.Count(kFill + "0x0"), 6u);
    EXPECT_EQ(trace.Count("Rectangle(*, 0, 0, 640, 480) = 1"), 6u);
}

TEST(Settings, ASettingThatCannotBeReadEndsTheRunBeforeItStarts) {
    const auto run = RunHeadless("2:key=ESCAPE", {"TAMBERLYN_WINDOW=fullscreen"});
    EXPECT_EQ(run->WaitForExit(0s), 2);
    EXPECT_EQ(run->Output(),
              "tamberlyn: TAMBERLYN_WINDOW=fullscreen: expected desktop, window or mode\n"
              "tamberlyn: see tamberlyn --help\n");
    EXPECT_TRUE(run->ReadTrace().raw.empty()) << "expected no platform call";
}

TEST(Settings, AFailpointThatNeverFiresIsReportedOnStandardErrorAndInTheTrace) {
    const auto run = RunHeadless("2:key=ESCAPE", {"TAMBERLYN_FAIL=LoadImage=0"});
    ASSERT_TRUE(Ended(*run, 27));
    const std::string warning = "tamberlyn: failpoint LoadImage never fired: no call of that name was made";
    EXPECT_NE(run->Output().find(warning + "\n"), std::string::npos) << "standard error: " << run->Output();
    EXPECT_EQ(run->ReadTrace().raw.back(), "# " + warning) << "expected the warning last in the trace";
}

}  // namespace
