// window_test.cpp -- the program on an X display as a person meets it: the flashing intro full screen, Escape,
// focus going away and coming back, a paused window uncovered, closing the window, Alt+Enter, screenshots, a
// set-up failure's message box.
#include "screen_shot.h"
#include "x_requests.h"

#include <set>

namespace {

using namespace std::chrono_literals;
using e2e::Eventually;
using systemtest::Trace;

const std::size_t npos = Trace::npos;
const std::string kXdotool = TAMBERLYN_XDOTOOL;
const std::string kFlip = "IDirectDrawSurface::Flip(surface1, NULL, 0x1) = ";
const std::string kImageBlit = "IDirectDrawSurface::Blt(surface2, {21, 16, 619, 464}, surface3, ";
const std::string kImageLoad = "LoadImageA(NULL, \"intro.bmp\", 0, 0, 0, 0x2010) = ";
const std::string kSurfaceLost = "0x887601c2";
const std::string kDeactivated = "DefWindowProcA(hwnd1, 0x6, 0x0,";  // WM_ACTIVATE(WA_INACTIVE) passed on

// Each test has an X server of its own, 1280 x 1024 (a 5:4 screen: the 4:3 picture gets bars above and below).
class OnXDisplay : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.Started()) << "expected a running Xvfb, got: " << server_.Error(); }

    // Starts the program and waits for its window; the window's X id, or 0 (with a failure).
    unsigned long Start(const std::vector<std::string>& settings = {}) {
        program_ = std::make_unique<e2e::ProgramOnDisplay>(server_, settings);
        const std::string found = server_.Run(kXdotool + " search --sync --name '^Tamberlyn$' 2>&1", nullptr, 5);
        const unsigned long window = std::strtoul(found.c_str(), nullptr, 10);
        EXPECT_NE(window, 0ul) << "expected a window named \"Tamberlyn\" within 5 s, got \"" << found
                               << "\"; the program wrote:\n"
                               << program_->Output();
        return window;
    }
    void Xdotool(const std::string& arguments) const { server_.Run(kXdotool + " " + arguments); }

    std::size_t FramesShown() const { return program_->Trace().Count(kFlip + "0x0"); }
    bool WaitForFrames(std::size_t frames) const {
        return Eventually(3s, [&] { return FramesShown() >= frames; });
    }
    // The window's size and place, "WIDTHxHEIGHT+X+Y".
    std::string WindowPlace(unsigned long window) const {
        const std::string shell = server_.Run(kXdotool + " getwindowgeometry --shell " + std::to_string(window));
        const auto value = [&](const std::string& name) {
            const std::size_t at = shell.find("\n" + name + "=");
            return at == npos ? "?"
                              : shell.substr(at + name.size() + 2, shell.find('\n', at + 1) - at - name.size() - 2);
        };
        return value("WIDTH") + "x" + value("HEIGHT") + "+" + value("X") + "+" + value("Y");
    }
    // Waits until the program has been deactivated (WM_ACTIVATE(WA_INACTIVE) passed on) and its last frame ended.
    bool WaitUntilPaused() const {
        const bool paused = Eventually(3s, [&] { return program_->Trace().Find(kDeactivated) != npos; });
        std::this_thread::sleep_for(200ms);
        return paused;
    }
    // Ends the program with Escape and expects its exit code 27.
    void EndWithEscape() {
        Xdotool("key Escape");
        EXPECT_EQ(program_->WaitForExit(2s), 27) << "expected exit code 27 after Escape; the program wrote:\n"
                                                 << program_->Output();
    }

    e2e::XServer server_{1280, 1024};
    std::unique_ptr<e2e::ProgramOnDisplay> program_;
};

TEST_F(OnXDisplay, ShowsTheIntroFlashingAndZoomingFullScreen) {
    e2e::IntroJudge judge(TAMBERLYN_INTRO_PATH);
    ASSERT_TRUE(judge.Ready()) << "expected intro.bmp 640 x 480 at " << TAMBERLYN_INTRO_PATH;
    ASSERT_NE(Start(), 0ul);
    ASSERT_TRUE(WaitForFrames(2));
    std::multiset<std::string> flashes;
    std::set<double> zooms;
    std::string seen;
    // A second's worth of screenshots, and more while what they should show has not all been seen (a slow machine
    // takes fewer in a second).
    const auto start = e2e::Clock::now();
    const auto seenEnough = [&] { return flashes.count("black") && flashes.count("white") && zooms.size() >= 3; };
    while (e2e::Clock::now() < start + 1s || (!seenEnough() && e2e::Clock::now() < start + 5s)) {
        const e2e::IntroView view = judge.Look(e2e::TakeScreenshot(server_));
        flashes.insert(e2e::Name(view.flash));
        if (view.zoom > 0) {
            zooms.insert(view.zoom);
        }
        seen += std::string(e2e::Name(view.flash)) + " zoom " + std::to_string(view.zoom) + " (" +
                std::to_string(static_cast<int>(view.match * 100)) + "% matched)\n";
    }
    EXPECT_GT(flashes.count("black"), 0u) << "expected black frames among the screenshots, got:\n" << seen;
    EXPECT_GT(flashes.count("white"), 0u) << "expected white frames among the screenshots, got:\n" << seen;
    ASSERT_GE(zooms.size(), 2u) << "expected the intro image at two sizes or more, got:\n" << seen;
    EXPECT_GE(*zooms.rbegin() - *zooms.begin(), 1.0) << "expected clearly different sizes, got:\n" << seen;
    EndWithEscape();
}

TEST_F(OnXDisplay, EscapeEndsTheProgramWithCode27) {
    ASSERT_NE(Start(), 0ul);
    ASSERT_TRUE(WaitForFrames(10)) << "expected frames, got " << FramesShown();
    Xdotool("key Escape");
    // A bound that catches a program that does not end, not a measure of how fast it ends (a sanitizer build on a
    // busy machine takes a second or two).
    EXPECT_EQ(program_->WaitForExit(5s), 27)
        << "expected exit code 27 after Escape (-1: still running); it wrote:\n"
        << program_->Output();
}

TEST_F(OnXDisplay, FocusElsewhereStopsTheFramesAndFocusBackRestoresTheImage) {
    e2e::IntroJudge judge(TAMBERLYN_INTRO_PATH);
    const unsigned long window = Start();
    ASSERT_NE(window, 0ul);
    ASSERT_TRUE(WaitForFrames(10));

    Xdotool("windowfocus " + std::to_string(e2e::RootWindowOf(server_.Name())));
    ASSERT_TRUE(WaitUntilPaused()) << "expected the program deactivated once the focus went to the root window; "
                                      "trace ends:\n"
                                   << program_->Trace().Excerpt(program_->Trace().raw.size() - 4);
    const std::size_t framesBefore = FramesShown();
    const double cpuBefore = program_->CpuSeconds();
    std::this_thread::sleep_for(1s);
    const Trace idle = program_->Trace();
    EXPECT_EQ(FramesShown(), framesBefore) << "expected no frames while in the background";
    EXPECT_LT(program_->CpuSeconds() - cpuBefore, 0.1) << "expected the waiting program to use no processor time";
    ASSERT_FALSE(idle.calls.empty());
    EXPECT_TRUE(Trace::Matches(idle.calls.back(), "PeekMessageA(* = 0"))
        << "expected the loop to sit in WaitMessage after an empty peek, got last call " << idle.calls.back();

    Xdotool("windowfocus " + std::to_string(window));
    const std::size_t deactivated = idle.Find(kDeactivated);
    ASSERT_TRUE(Eventually(3s, [&] {
        const Trace trace = program_->Trace();
        return trace.Count(kFlip + "0x0", trace.Find("IDirectDrawSurface::Restore(surface1)", deactivated)) > 0;
    })) << "expected frames again after the focus came back";
    // The surfaces came back lost: the image is reloaded after its failed blit and the primary restored.
    EXPECT_TRUE(program_->Trace().InOrder(
        {kImageBlit + "* = " + kSurfaceLost, kImageLoad + "bitmap", "IDirectDrawSurface::Restore(surface3) = 0x0",
         kFlip + kSurfaceLost, "IDirectDrawSurface::Restore(surface1) = 0x0", kImageBlit + "* = 0x0", kFlip + "0x0"},
        deactivated));
    e2e::IntroView view;
    EXPECT_TRUE(Eventually(2s, [&] { return (view = judge.Look(e2e::TakeScreenshot(server_))).zoom > 0; }))
        << "expected the intro image on screen again, best match " << view.match * 100 << "%";
    EndWithEscape();
}

// Another window over the paused program's and away again: the program draws nothing in the background, so the
// host shows the last frame again, in either way of presenting.
class UncoveredOnXDisplay : public OnXDisplay, public testing::WithParamInterface<const char*> {};

TEST_P(UncoveredOnXDisplay, PausedWindowShowsItsLastFrameAgain) {
    ASSERT_NE(Start({std::string("TAMBERLYN_PRESENT=") + GetParam()}), 0ul);
    ASSERT_TRUE(WaitForFrames(10));
    Xdotool("windowfocus " + std::to_string(e2e::RootWindowOf(server_.Name())));
    ASSERT_TRUE(WaitUntilPaused());
    const e2e::Rgb paused = e2e::TakeScreenshot(server_);
    ASSERT_GT(paused.width, 0);
    constexpr std::uint32_t kMagenta = 0xFF00FF;
    {
        e2e::CoveringWindow cover(server_.Name(), 300, 200, 500, 400, kMagenta);
        ASSERT_TRUE(cover.Shown());
        ASSERT_TRUE(Eventually(2s, [&] { return e2e::TakeScreenshot(server_).At(550, 400) == kMagenta; }))
            << "expected the covering window on the screen";
    }
    std::size_t differing = 0;
    EXPECT_TRUE(Eventually(2s,
                           [&] {
                               const e2e::Rgb shot = e2e::TakeScreenshot(server_);
                               differing = 0;
                               for (std::size_t i = 0; i < shot.bytes.size() && i < paused.bytes.size(); ++i) {
                                   differing += shot.bytes[i] != paused.bytes[i];
                               }
                               return shot.bytes.size() == paused.bytes.size() && differing == 0;
                           }))
        << "expected the screen as it was before the window covered it, got " << differing << " bytes differing";
}

INSTANTIATE_TEST_SUITE_P(EachPresenter, UncoveredOnXDisplay, testing::Values("surface", "renderer"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

TEST_F(OnXDisplay, WindowManagerCloseEndsTheProgramWithCode0) {
    const unsigned long window = Start();
    ASSERT_NE(window, 0ul);
    ASSERT_TRUE(WaitForFrames(5));
    ASSERT_TRUE(e2e::RequestClose(server_.Name(), window));
    EXPECT_EQ(program_->WaitForExit(2s), 0) << "expected exit code 0 after the close request; it wrote:\n"
                                            << program_->Output();
    // WM_CLOSE's default handling destroys the window, whose WM_DESTROY posts the quit (inner calls come first).
    EXPECT_TRUE(program_->Trace().InOrder(
        {"PostQuitMessage(0)", "DefWindowProcA(hwnd1, 0x10,", "GetMessageA({NULL, 0x12, 0x0, 0x0}, NULL, 0, 0) = 0"}));
}

TEST_F(OnXDisplay, AltF4EndsTheProgramWithCode0) {
    ASSERT_NE(Start(), 0ul);
    ASSERT_TRUE(WaitForFrames(5));
    Xdotool("key alt+F4");
    EXPECT_EQ(program_->WaitForExit(2s), 0) << "expected exit code 0 after Alt+F4; it wrote:\n" << program_->Output();
    const Trace trace = program_->Trace();
    EXPECT_NE(trace.Find("DefWindowProcA(hwnd1, 0x10,"), npos) << "expected WM_CLOSE to reach the window";
    EXPECT_EQ(trace.Find("*0x104, 0x73,"), npos) << "expected F4 kept from the program";
}

TEST_F(OnXDisplay, AltEnterSwitchesToAWindowAndBackToItsLastSizeAndPlace) {
    const unsigned long window = Start();
    ASSERT_NE(window, 0ul);
    ASSERT_TRUE(WaitForFrames(5));
    const std::string fullScreen = "1280x1024+0+0";
    ASSERT_EQ(WindowPlace(window), fullScreen) << "expected the window to fill the screen";
    Xdotool("key alt+Return");
    std::string place;
    EXPECT_TRUE(Eventually(2s, [&] { return (place = WindowPlace(window)) == "640x480+320+272"; }))
        << "expected a window of the picture's size in the middle after Alt+Enter, got " << place;
    Xdotool("windowsize " + std::to_string(window) + " 800 600 windowmove " + std::to_string(window) + " 50 60");
    ASSERT_TRUE(Eventually(2s, [&] { return (place = WindowPlace(window)) == "800x600+50+60"; }))
        << "expected the person's size and place, got " << place;
    Xdotool("key alt+Return");
    EXPECT_TRUE(Eventually(2s, [&] { return (place = WindowPlace(window)) == fullScreen; }))
        << "expected full screen again after a second Alt+Enter, got " << place;
    Xdotool("key alt+Return");
    EXPECT_TRUE(Eventually(2s, [&] { return (place = WindowPlace(window)) == "800x600+50+60"; }))
        << "expected the window back at its last size and place, got " << place;
    EXPECT_EQ(program_->Trace().Find("*0x104, 0xd,"), npos) << "expected Enter kept from the program";
    const std::size_t frames = FramesShown();
    EXPECT_TRUE(WaitForFrames(frames + 5)) << "expected frames to go on";
    EndWithEscape();
}

TEST_F(OnXDisplay, TheScreenshotKeyAndPrintScreenSaveThePictureAt640x480) {
    ASSERT_NE(Start(), 0ul);
    ASSERT_TRUE(WaitForFrames(5));
    for (const std::string key : {"F12", "Print"}) {
        const std::string number = key == "F12" ? "0001" : "0002";
        const e2e::fs::path saved = program_->Folder() / ("tamberlyn-" + number + ".bmp");
        Xdotool("key " + key);
        e2e::Rgb picture;
        EXPECT_TRUE(Eventually(2s, [&] { return (picture = e2e::ReadBmp(saved)).width > 0; }))
            << key << ": expected a readable " << saved << "; the program wrote:\n"
            << program_->Output();
        EXPECT_EQ(std::to_string(picture.width) + "x" + std::to_string(picture.height), "640x480") << saved;
        EXPECT_NE(program_->Output().find("tamberlyn: saved " + saved.string() + "\n"), npos)
            << key << ": expected the file named on standard error, got:\n"
            << program_->Output();
    }
    const Trace trace = program_->Trace();
    EXPECT_EQ(trace.Find("*0x100, 0x2c,"), npos) << "expected Print Screen kept from the program";
    EXPECT_EQ(trace.Find("*0x100, 0x7b,"), npos) << "expected F12 kept from the program";
    EndWithEscape();
}

TEST_F(OnXDisplay, RefusedDisplayModeShowsItsMessageBoxOnTheScreen) {
    program_ = std::make_unique<e2e::ProgramOnDisplay>(
        server_, std::vector<std::string>{"TAMBERLYN_FAIL=IDirectDraw::SetDisplayMode=0x80004001"});
    // xdotool's search does not find SDL's message box (a window with no class): look for its title directly.
    unsigned long box = 0;
    Eventually(5s, [&] { return (box = e2e::WindowNamed(server_.Name(), "Error")) != 0; });
    ASSERT_NE(box, 0ul) << "expected a message box titled \"Error\", got none; the program wrote:\n"
                        << program_->Output() << "\nand its trace ends:\n"
                        << program_->Trace().Excerpt(program_->Trace().raw.size() - 4);
    EXPECT_EQ(program_->WaitForExit(300ms), -1) << "expected the program to wait for the box";
    Xdotool("windowfocus --sync " + std::to_string(box) + " key Return");
    EXPECT_EQ(program_->WaitForExit(2s), 0) << "expected exit code 0 once the box was answered; it wrote:\n"
                                            << program_->Output();
    EXPECT_NE(program_->Trace().Find("MessageBoxA(NULL, \"Error Setting Display Mode\", NULL, 0x10) = 1"), npos);
}

}  // namespace
