// reduced_flashing_test.cpp -- the intro with reduced flashing, run in this process on a host that measures the
// luminance of every picture presented, on a clock that moves only when the program waits.
#include "app/globals.h"
#include "flash_limiter.h"
#include "intro_screen.h"
#include "platform_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = plat::Host::Clock;

struct Presented {
    Clock::time_point at;
    plat::Luminance luminance;
};

class MeasuringHost final : public plat::Host {
public:
    explicit MeasuringHost(std::vector<Presented>* presented) : presented_(presented) {}

    bool HasDisplay() override { return false; }
    void OpenWindow(HWND, const std::string&, int, int, int, int, bool) override {}
    void ShowWindow(HWND) override {}
    void CloseWindow(HWND) override {}
    void ToggleFullScreen() override {}
    void SetDisplayMode(HWND, int, int) override {}
    void RestoreDisplayMode(HWND) override {}
    void Present(const plat::Canvas& picture) override {
        presented_->push_back({now_, plat::MeasureLuminance(picture)});
    }
    bool PumpEvents() override { return false; }
    bool ShowMessageBox(const char*, const char*, UINT) override { return false; }
    Answer AskToGoOn(const char*, const char*, const char*, const char*) override { return Answer::NotShown; }
    void SetCursorVisible(bool) override {}
    std::unique_ptr<plat::AudioOutput> OpenAudio() override { return nullptr; }
    Clock::time_point Now() override { return now_; }
    void SleepUntil(Clock::time_point when) override { now_ = std::max(now_, when); }
    bool WaitEvent(std::chrono::milliseconds timeout) override {
        now_ += timeout;
        return false;
    }

private:
    std::vector<Presented>* presented_;
    Clock::time_point now_{};
};

TEST(ReducedFlashing, AtMostThreeFlashesReachTheScreenInAnySecondWhileTheFramesStayAsTheyAre) {
    const fs::path folder = fs::path(testing::TempDir()) / ("tamberlyn-reduced-" + std::to_string(getpid()));
    fs::create_directories(folder);
    fs::create_symlink(TAMBERLYN_INTRO_PATH, folder / "intro.bmp");
    fs::current_path(folder);

    constexpr int kFrames = 240;  // four seconds at 60 frames a second
    plat::Settings settings;
    settings.reducedFlashing = true;
    settings.warning = false;
    settings.captureFrames = {1, 2};
    std::string why;
    ASSERT_TRUE(plat::script::Parse(std::to_string(kFrames) + ":key=ESCAPE", &settings.script, &why)) << why;
    std::vector<Presented> presented;
    plat::StartPlatform(settings, {}, std::make_unique<MeasuringHost>(&presented));

    ASSERT_EQ(WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL), 27);
    ASSERT_EQ(presented.size(), static_cast<std::size_t>(kFrames));

    // The program's own frames still flash: black, then white all round the picture.
    const auto frame1 = screen::ReadBmp(folder / "frame-0001.bmp"), frame2 = screen::ReadBmp(folder / "frame-0002.bmp");
    ASSERT_TRUE(frame1 && frame2) << "expected frames 1 and 2 captured";
    EXPECT_EQ(screen::LookAtIntro(*frame1).flash, screen::Flash::Black);
    EXPECT_EQ(screen::LookAtIntro(*frame2).flash, screen::Flash::White);

    std::vector<Clock::time_point> changes;
    int held = 0;
    for (std::size_t i = 1; i < presented.size(); ++i) {
        if (plat::IsFlashChange(presented[i - 1].luminance, presented[i].luminance)) {
            changes.push_back(presented[i].at);
        }
        held += presented[i].luminance.samples == presented[i - 1].luminance.samples;
    }
    for (std::size_t first = 0; first < changes.size(); ++first) {
        std::size_t inOneSecond = 0;
        while (first + inOneSecond < changes.size() &&
               changes[first + inOneSecond] - changes[first] < std::chrono::seconds(1)) {
            ++inOneSecond;
        }
        EXPECT_LE(inOneSecond, 6u)
            << "changes of brightness within a second of the one at "
            << std::chrono::duration_cast<std::chrono::milliseconds>(changes[first].time_since_epoch()).count()
            << " ms: more than three flashes";
    }
    EXPECT_GE(changes.size(), 4u * 4) << "the flashes still reach the screen, at least four a second";
    EXPECT_GE(kFrames - held, 4 * 4) << "the picture still moves: at least four new pictures a second";
    fs::remove_all(folder);
}

}  // namespace
