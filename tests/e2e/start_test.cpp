// start_test.cpp -- the program's start as a person meets it: --help and --version, a display that cannot be
// opened, and the photosensitivity warning before the first flash.
#include "screen_shot.h"
#include "x_requests.h"

namespace {

using namespace std::chrono_literals;
using e2e::Eventually;
using systemtest::Trace;

const std::size_t npos = Trace::npos;
const std::string kWarningTitle = "Tamberlyn: photosensitivity warning";

// A display number no X server has here.
std::string UnusedDisplay() {
    for (int number = 4242;; ++number) {
        const std::string n = std::to_string(number);
        if (!e2e::fs::exists("/tmp/.X11-unix/X" + n) && !e2e::fs::exists("/tmp/.X" + n + "-lock")) {
            return ":" + n;
        }
    }
}

class StartOnXDisplay : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.Started()) << "expected a running Xvfb, got: " << server_.Error(); }

    e2e::XServer server_{1280, 1024};
    std::unique_ptr<e2e::ProgramOnDisplay> program_;
};

struct QuickEnd {
    const char* what;
    std::vector<std::string> settings;
    std::vector<std::string> arguments;
    int exitCode;
    std::string output;  // what the output must hold
};

TEST_F(StartOnXDisplay, HelpVersionAndAnUnopenableDisplayEndWithinASecondOpeningNothing) {
    const std::string unused = UnusedDisplay();
    const QuickEnd cases[] = {
        {"--help", {}, {"--help"}, 0, "  --screenshot-key=VALUE   (TAMBERLYN_SCREENSHOT_KEY)\n"},
        {"-h", {}, {"-h"}, 0, "Usage: tamberlyn [OPTION]...\n"},
        {"--version", {}, {"--version"}, 0, "tamberlyn 1.0.0\n"},
        {"a stale DISPLAY",
         {"DISPLAY=" + unused},
         {},
         1,
         "tamberlyn: cannot open a display (DISPLAY=" + unused + "); to run without a window, use --headless\n"},
    };
    for (const QuickEnd& c : cases) {
        program_ = std::make_unique<e2e::ProgramOnDisplay>(server_, c.settings, c.arguments);
        EXPECT_EQ(program_->WaitForExit(1s), c.exitCode)
            << c.what << ": expected exit code " << c.exitCode << " within a second (-1: still running)";
        EXPECT_NE(program_->Output().find(c.output), npos)
            << c.what << ": expected \"" << c.output << "\" in the output, got:\n"
            << program_->Output();
        EXPECT_EQ(e2e::WindowNamed(server_.Name(), "Tamberlyn"), 0ul) << c.what << ": expected no window";
        const Trace trace = program_->Trace();
        EXPECT_EQ(trace.Find("CreateWindowExA("), npos) << c.what << ": expected no window, got a trace of:\n"
                                                        << trace.Excerpt(0);
    }
}

// The warning, answered with the key of the parameter: Escape quits, Return goes on.
class WarningOnXDisplay : public StartOnXDisplay, public testing::WithParamInterface<const char*> {};

TEST_P(WarningOnXDisplay, ShowsBeforeTheFirstFlashEscapeQuitsEnterGoesOn) {
    program_ = std::make_unique<e2e::ProgramOnDisplay>(server_, std::vector<std::string>{"TAMBERLYN_WARNING="});
    unsigned long box = 0;
    ASSERT_TRUE(Eventually(5s, [&] { return (box = e2e::WindowNamed(server_.Name(), kWarningTitle)) != 0; }))
        << "expected a box titled \"" << kWarningTitle << "\"; the program wrote:\n"
        << program_->Output();
    std::this_thread::sleep_for(300ms);
    const e2e::Rgb shot = e2e::TakeScreenshot(server_);
    ASSERT_EQ(shot.width, 1280);
    // The screen around the box stays as it was (black): no flash, no picture.
    EXPECT_EQ(shot.At(5, 5), 0u) << "expected no flash in the top left corner";
    EXPECT_EQ(shot.At(1274, 1018), 0u) << "expected no flash in the bottom right corner";
    EXPECT_GT(std::count_if(shot.bytes.begin(), shot.bytes.end(), [](std::uint8_t byte) { return byte != 0; }), 0)
        << "expected the box on the screen";
    EXPECT_EQ(program_->WaitForExit(0ms), -1) << "expected the program to wait for the answer";
    const Trace before = program_->Trace();
    EXPECT_EQ(before.Find("CreateWindowExA("), npos) << "expected no window before the answer";
    EXPECT_EQ(before.Find("IDirectDrawSurface::Flip("), npos) << "expected no frame before the answer";

    const std::string key = GetParam();
    server_.Run(std::string(TAMBERLYN_XDOTOOL) + " windowfocus --sync " + std::to_string(box) + " key " + key);
    if (key == "Escape") {
        EXPECT_EQ(program_->WaitForExit(2s), 0) << "expected exit code 0 after Escape; the program wrote:\n"
                                                << program_->Output();
        const Trace trace = program_->Trace();
        EXPECT_NE(trace.Find("# tamberlyn: photosensitivity warning shown; the person chose to quit"), npos);
        EXPECT_EQ(trace.Find("CreateWindowExA("), npos) << "expected no window at all";
        EXPECT_EQ(trace.Find("WinMain("), npos) << "expected the program itself never started";
        return;
    }
    EXPECT_TRUE(Eventually(3s, [&] { return program_->Trace().Count("IDirectDrawSurface::Flip(") >= 3; }))
        << "expected frames after Enter; the program wrote:\n"
        << program_->Output();
    const Trace trace = program_->Trace();
    EXPECT_TRUE(trace.InOrder({"# tamberlyn: photosensitivity warning shown; the person chose to go on",
                               "CreateWindowExA(", "IDirectDrawSurface::Flip("}));
}

INSTANTIATE_TEST_SUITE_P(EscapeAndEnter, WarningOnXDisplay, testing::Values("Escape", "Return"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
