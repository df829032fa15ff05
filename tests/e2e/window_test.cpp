// window_test.cpp -- the program on an X display as a person meets it: the flashing intro full screen, focus going
// away and coming back, a paused window uncovered, closing the window, Alt+Enter, screenshots, a set-up failure's
// message box.
#include "intro_screen.h"
#include "x_requests.h"
#include "x_session.h"

namespace {

using namespace std::chrono_literals;
using e2e::Eventually;

const std::size_t npos = systemtest::Trace::npos;
const std::string kXdotool = TAMBERLYN_XDOTOOL;
const std::string kShown = "IDirectDrawSurface::Flip(surface1, NULL, 0x1) = 0x0";
const std::string kDeactivated = "DefWindowProcA(hwnd1, 0x6, 0x0,";  // WM_ACTIVATE(WA_INACTIVE) passed on

// Each test has an X server of its own, 1280 x 1024 (a 5:4 screen: the 4:3 picture gets bars above and below).
class OnXDisplay : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(server_.Name(), "") << "expected Xvfb running within 10 s"; }

    // Starts the program and waits until it has shown `frames` frames; its window's X id, or 0 (with a failure).
    unsigned long Start(const std::vector<std::string>& settings = {}, std::size_t frames = 5) {
        program_ = e2e::StartOn(server_, settings);
        const std::string found = server_.Run(kXdotool + " search --sync --name '^Tamberlyn$' 2>&1", 5);
        const unsigned long window = std::strtoul(found.c_str(), nullptr, 10);
        EXPECT_NE(window, 0ul) << "expected a window named \"Tamberlyn\" within 5 s, got \"" << found
                               << "\"; the program wrote:\n"
                               << program_->Output();
        EXPECT_TRUE(WaitForFrames(frames)) << "expected " << frames << " frames, got " << FramesShown();
        return window;
    }
    void Xdotool(const std::string& arguments) const { server_.Run(kXdotool + " " + arguments); }
    std::size_t FramesShown() const { return program_->ReadTrace().Count(kShown); }
    bool WaitForFrames(std::size_t frames) const {
        return Eventually(3s, [&] { return FramesShown() >= frames; });
    }
    // Focus to the root window, and waits until the program is deactivated and its last frame has ended.
    void FocusAway() const {
        Xdotool("search --maxdepth 0 --name '' windowfocus");  // the root window
        EXPECT_TRUE(Eventually(3s, [&] { return program_->ReadTrace().Find(kDeactivated) != npos; }))
            << "expected the program deactivated once the focus went to the root window";
        std::this_thread::sleep_for(200ms);
    }
    // The window's size and place, "WIDTHxHEIGHT+X+Y".
    std::string WindowPlace(unsigned long window) const {
        return server_.Run("sh -c 'eval $(" + kXdotool + " getwindowgeometry --shell " + std::to_string(window) +
                           "); echo -n ${WIDTH}x${HEIGHT}+$X+$Y'");
    }
    bool WaitForPlace(unsigned long window, const std::string& expected, std::string* place) const {
        return Eventually(2s, [&] { return (*place = WindowPlace(window)) == expected; });
    }
    // Ends the program with Escape: exit code 27. (The bound catches a program that does not end; a sanitizer build
    // on a busy machine takes a second or two.)
    void EndWithEscape() {
        Xdotool("key Escape");
        EXPECT_EQ(program_->WaitForExit(5s), 27) << "expected exit code 27 after Escape; the program wrote:\n"
                                                 << program_->Output();
    }

    e2e::XServer server_{1280, 1024};
    std::unique_ptr<systemtest::Program> program_;
};

TEST_F(OnXDisplay, ShowsTheIntroFlashingAndZoomingFullScreen) {
    ASSERT_NE(Start(), 0ul);
    // Screenshots for a second, and on while not all has been seen (a slow machine takes fewer in a second).
    screen::IntroSeries series;
    const auto start = e2e::Clock::now();
    const auto seenAll = [&] { return series.black && series.white && series.pictures.size() >= 3; };
    while (e2e::Clock::now() < start + 1s || (!seenAll() && e2e::Clock::now() < start + 5s)) {
        series.Add(screen::LookAtIntro(server_.Screenshot()));
    }
    EXPECT_TRUE(seenAll()) << "expected both flashes and three different pictures full screen, got "
                           << series.Describe();
    EndWithEscape();
}

TEST_F(OnXDisplay, FocusElsewhereStopsTheFramesAndFocusBackShowsTheImageAgain) {
    const unsigned long window = Start({}, 10);
    FocusAway();
    const std::size_t framesBefore = FramesShown();
    const double cpuBefore = program_->CpuSeconds();
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(FramesShown(), framesBefore) << "expected no frames while in the background";
    EXPECT_LT(program_->CpuSeconds() - cpuBefore, 0.1) << "expected the waiting program to use no processor time";

    Xdotool("windowfocus " + std::to_string(window));
    EXPECT_TRUE(WaitForFrames(framesBefore + 5)) << "expected frames again after the focus came back";
    screen::IntroView view;
    EXPECT_TRUE(Eventually(2s, [&] { return (view = screen::LookAtIntro(server_.Screenshot())).ShowsPicture(); }))
        << "expected the intro's picture on the screen again, got " << view.Describe();
    EndWithEscape();
}

// Another window over the paused program's and away again: the program draws nothing in the background, so the
// host shows the last frame again, in either way of presenting.
class UncoveredOnXDisplay : public OnXDisplay, public testing::WithParamInterface<const char*> {};

TEST_P(UncoveredOnXDisplay, PausedWindowShowsItsLastFrameAgain) {
    Start({std::string("TAMBERLYN_PRESENT=") + GetParam()}, 10);
    FocusAway();
    const screen::Picture paused = server_.Screenshot();
    ASSERT_GT(paused.width, 0);
    {
        e2e::CoveringWindow cover(server_.Name(), 300, 200, 500, 400, 0xFF00FF);
        ASSERT_TRUE(cover.Shown());
        ASSERT_TRUE(Eventually(2s, [&] { return server_.Screenshot().At(550, 400) == 0xFF00FF; }))
            << "expected the covering window on the screen";
    }
    screen::Difference difference;
    EXPECT_TRUE(
        Eventually(2s, [&] { return (difference = screen::Compare(paused, server_.Screenshot())).differing == 0; }))
        << "expected the screen as it was before the window covered it, got " << difference.differing
        << " pixels differing";
}

INSTANTIATE_TEST_SUITE_P(EachPresenter, UncoveredOnXDisplay, testing::Values("surface", "renderer"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

// Closing the window, by the window manager's request or with Alt+F4, ends the program with exit code 0: WM_CLOSE's
// default handling destroys the window, whose WM_DESTROY posts the quit.
class ClosedOnXDisplay : public OnXDisplay, public testing::WithParamInterface<const char*> {};

TEST_P(ClosedOnXDisplay, EndsTheProgramWithCode0) {
    const unsigned long window = Start();
    if (std::string(GetParam()) == "AltF4") {
        Xdotool("key alt+F4");
    } else {
        ASSERT_TRUE(e2e::RequestClose(server_.Name(), window));
    }
    EXPECT_EQ(program_->WaitForExit(2s), 0) << "expected exit code 0; the program wrote:\n" << program_->Output();
    const systemtest::Trace trace = program_->ReadTrace();
    EXPECT_TRUE(trace.InOrder({"PostQuitMessage(0)", "DefWindowProcA(hwnd1, 0x10,", "GetMessageA({NULL, 0x12,"}));
    EXPECT_EQ(trace.Find("*0x104, 0x73,"), npos) << "expected F4 kept from the program";
}

INSTANTIATE_TEST_SUITE_P(EachWay, ClosedOnXDisplay, testing::Values("WindowManager", "AltF4"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

TEST_F(OnXDisplay, AltEnterSwitchesToAWindowAndBackToItsLastSizeAndPlace) {
    const unsigned long window = Start();
    std::string place;
    ASSERT_EQ(WindowPlace(window), "1280x1024+0+0") << "expected the window to fill the screen";
    Xdotool("key alt+Return");
    EXPECT_TRUE(WaitForPlace(window, "640x480+320+272", &place))
        << "expected a window of the picture's size in the middle after Alt+Enter, got " << place;
    Xdotool("windowsize " + std::to_string(window) + " 800 600 windowmove " + std::to_string(window) + " 50 60");
    ASSERT_TRUE(WaitForPlace(window, "800x600+50+60", &place)) << "expected the person's size and place, got " << place;
    Xdotool("key alt+Return");
    EXPECT_TRUE(WaitForPlace(window, "1280x1024+0+0", &place)) << "expected full screen again, got " << place;
    Xdotool("key alt+Return");
    EXPECT_TRUE(WaitForPlace(window, "800x600+50+60", &place)) << "expected the last size and place, got " << place;
    EXPECT_EQ(program_->ReadTrace().Find("*0x104, 0xd,"), npos) << "expected Enter kept from the program";
    EXPECT_TRUE(WaitForFrames(FramesShown() + 5)) << "expected frames to go on";
    EndWithEscape();
}

TEST_F(OnXDisplay, TheScreenshotKeyAndPrintScreenSaveThePictureAt640x480) {
    Start();
    for (const std::string key : {"F12", "Print"}) {
        const e2e::fs::path saved = program_->Folder() / (key == "F12" ? "tamberlyn-0001.bmp" : "tamberlyn-0002.bmp");
        Xdotool("key " + key);
        std::optional<screen::Picture> picture;
        EXPECT_TRUE(Eventually(2s, [&] { return (picture = screen::ReadBmp(saved)).has_value(); }))
            << key << ": expected a readable " << saved << "; the program wrote:\n"
            << program_->Output();
        EXPECT_TRUE(picture && picture->width == 640 && picture->height == 480) << saved;
        EXPECT_NE(program_->Output().find("tamberlyn: saved " + saved.string() + "\n"), npos)
            << key << ": expected the file named on standard error, got:\n"
            << program_->Output();
    }
    const systemtest::Trace trace = program_->ReadTrace();
    EXPECT_EQ(trace.Find("*0x100, 0x2c,"), npos) << "expected Print Screen kept from the program";
    EXPECT_EQ(trace.Find("*0x100, 0x7b,"), npos) << "expected F12 kept from the program";
    EndWithEscape();
}

TEST_F(OnXDisplay, RefusedDisplayModeShowsItsMessageBoxOnTheScreen) {
    program_ = e2e::StartOn(server_, {"TAMBERLYN_FAIL=IDirectDraw::SetDisplayMode=0x80004001"});
    // xdotool's search does not find SDL's message box (a window with no class): look for its title directly.
    unsigned long box = 0;
    ASSERT_TRUE(Eventually(5s, [&] { return (box = e2e::WindowNamed(server_.Name(), "Error")) != 0; }))
        << "expected a message box titled \"Error\"; the program wrote:\n"
        << program_->Output();
    EXPECT_EQ(program_->WaitForExit(300ms), -1) << "expected the program to wait for the box";
    Xdotool("windowfocus --sync " + std::to_string(box) + " key Return");
    EXPECT_EQ(program_->WaitForExit(2s), 0) << "expected exit code 0 once the box was answered; it wrote:\n"
                                            << program_->Output();
    EXPECT_NE(program_->ReadTrace().Find("MessageBoxA(NULL, \"Error Setting Display Mode\", NULL, 0x10) = 1"), npos);
}

}  // namespace
