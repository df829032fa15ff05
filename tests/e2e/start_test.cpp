// start_test.cpp -- the program's start as a person meets it: --help and --version, a display that cannot be
// opened, and the photosensitivity warning before the first flash.
#include "x_requests.h"
#include "x_session.h"

namespace {

using namespace std::chrono_literals;

const std::size_t npos = systemtest::Trace::npos;
const std::string kWarningTitle = "Tamberlyn: photosensitivity warning";

class StartOnXDisplay : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(server_.Name(), "") << "expected Xvfb running within 10 s"; }

    e2e::XServer server_{1280, 1024};
    std::unique_ptr<systemtest::Program> program_;
};

TEST_F(StartOnXDisplay, HelpVersionAndAnUnopenableDisplayEndWithinASecondOpeningNothing) {
    std::string unused = ":4242";  // a display number no X server has here
    while (e2e::fs::exists("/tmp/.X11-unix/X" + unused.substr(1)) ||
           e2e::fs::exists("/tmp/.X" + unused.substr(1) + "-lock")) {
        unused = ":" + std::to_string(std::stoi(unused.substr(1)) + 1);
    }
    const struct {
        const char* what;
        std::vector<std::string> settings;
        std::vector<std::string> arguments;
        int exitCode;
        std::string output;  // what the output must hold
    } cases[] = {
        {"--help", {}, {"--help"}, 0, "  --screenshot-key=VALUE   (TAMBERLYN_SCREENSHOT_KEY)\n"},
        {"-h", {}, {"-h"}, 0, "Usage: tamberlyn [OPTION]...\n"},
        {"--version", {}, {"--version"}, 0, "tamberlyn 1.0.0\n"},
        {"a stale DISPLAY",
         {"DISPLAY=" + unused},
         {},
         1,
         "tamberlyn: cannot open a display (DISPLAY=" + unused + "); to run without a window, use --headless\n"},
    };
    for (const auto& c : cases) {
        program_ = e2e::StartOn(server_, c.settings, c.arguments);
        EXPECT_EQ(program_->WaitForExit(1s), c.exitCode) << c.what << ": expected the exit code within a second";
        EXPECT_NE(program_->Output().find(c.output), npos)
            << c.what << ": expected \"" << c.output << "\" in the output, got:\n"
            << program_->Output();
        EXPECT_EQ(e2e::WindowNamed(server_.Name(), "Tamberlyn"), 0ul) << c.what << ": expected no window";
        EXPECT_EQ(program_->ReadTrace().Find("CreateWindowExA("), npos) << c.what << ": expected no window made";
    }
}

// The warning, answered with the key of the parameter: Escape quits, Return goes on.
class WarningOnXDisplay : public StartOnXDisplay, public testing::WithParamInterface<const char*> {};

TEST_P(WarningOnXDisplay, ShowsBeforeTheFirstFlashEscapeQuitsEnterGoesOn) {
    program_ = e2e::StartOn(server_, {"TAMBERLYN_WARNING="});
    unsigned long box = 0;
    ASSERT_TRUE(e2e::Eventually(5s, [&] { return (box = e2e::WindowNamed(server_.Name(), kWarningTitle)) != 0; }))
        << "expected a box titled \"" << kWarningTitle << "\"; the program wrote:\n"
        << program_->Output();
    std::this_thread::sleep_for(300ms);
    const screen::Picture shot = server_.Screenshot();
    ASSERT_EQ(shot.width, 1280);
    // The screen around the box stays as it was (black): no flash, no picture.
    EXPECT_EQ(shot.At(5, 5), 0u) << "expected no flash in the top left corner";
    EXPECT_EQ(shot.At(1274, 1018), 0u) << "expected no flash in the bottom right corner";
    EXPECT_NE(std::count(shot.pixels.begin(), shot.pixels.end(), 0u), 1280 * 1024) << "expected the box on the screen";
    EXPECT_EQ(program_->WaitForExit(0ms), -1) << "expected the program to wait for the answer";
    EXPECT_EQ(program_->ReadTrace().Find("CreateWindowExA("), npos) << "expected no window before the answer";

    const std::string key = GetParam();
    server_.Run(std::string(TAMBERLYN_XDOTOOL) + " windowfocus --sync " + std::to_string(box) + " key " + key);
    if (key == "Escape") {
        EXPECT_EQ(program_->WaitForExit(2s), 0) << "expected exit code 0 after Escape; the program wrote:\n"
                                                << program_->Output();
        const systemtest::Trace trace = program_->ReadTrace();
        EXPECT_NE(trace.Find("# tamberlyn: photosensitivity warning shown; the person chose to quit"), npos);
        EXPECT_EQ(trace.Find("WinMain("), npos) << "expected the program itself never started";
        return;
    }
    EXPECT_TRUE(e2e::Eventually(3s, [&] { return program_->ReadTrace().Count("IDirectDrawSurface::Flip(") >= 3; }))
        << "expected frames after Enter; the program wrote:\n"
        << program_->Output();
    EXPECT_TRUE(program_->ReadTrace().InOrder({"# tamberlyn: photosensitivity warning shown; the person chose to go on",
                                               "CreateWindowExA(", "IDirectDrawSurface::Flip("}));
}

INSTANTIATE_TEST_SUITE_P(EscapeAndEnter, WarningOnXDisplay, testing::Values("Escape", "Return"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
