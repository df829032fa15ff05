// engine_test.cpp -- Engine::Init: display set-up failures, optional sound and keyboard, colour depths.
#include "unit_support.h"

#include <cctype>

#include <set>

namespace {

using namespace unit;

// A case's readable name, for ctest -N: its `name`, every character a test name cannot hold turned into '_'.
struct ByName {
    template <class Case>
    std::string operator()(const testing::TestParamInfo<Case>& info) const {
        std::string name = info.param.name;
        std::replace_if(
            name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
        return name;
    }
};

struct SetupFailure {
    const char* name;  // the call that fails
    HRESULT result;
    const char* text;     // null: no box
    const char* caption;  // null: the box has no caption
    const char* order;    // of the box (B) and the DirectDraw object's release (R)
    friend std::ostream& operator<<(std::ostream& out, const SetupFailure& failure) { return out << failure.name; }
};

const char kSurfacesText[] = "Couldnt Set Surfaces! Fatal Error! DirectX is jacked Man";
const SetupFailure kSetupFailures[] = {
    {"CreateWindowExA", 0, nullptr, nullptr, ""},
    {"DirectDrawCreate", DDERR_GENERIC, "Couldnt Create DirectX Object! Error: Terminating!", "Error!!!", "B"},
    {"IDirectDraw::SetCooperativeLevel", DDERR_EXCLUSIVEMODEALREADYSET,
     "Couldnt Set Cooperative Level, Fatal Error Aborting", "Error", "RB"},
    {"IDirectDraw::SetDisplayMode", DDERR_INVALIDMODE, "Error Setting Display Mode", nullptr, "BR"},
    {"IDirectDraw::CreateSurface", DDERR_OUTOFMEMORY, kSurfacesText, "Broken Software :(", "RB"},
    {"IDirectDrawSurface::GetAttachedSurface", DDERR_NOTFOUND, kSurfacesText, "Broken Software :(", "RB"},
};

class EngineSetupFailure : public PlatformTest, public ::testing::WithParamInterface<SetupFailure> {};

TEST_P(EngineSetupFailure, ShowsOneBoxAndReleasesEachObjectOnce) {
    const SetupFailure& failure = GetParam();
    const int surfacesBefore = LiveSurfaces();
    SetFailpoint(failure.name, failure.result);
    StartTraceCapture();
    {
        Engine engine;  // its DrawDevice destructor must find nothing left to release
        EXPECT_FALSE(InitEngine(engine));
    }
    const std::vector<std::string> trace = TakeTrace();

    std::vector<std::string> boxes;
    if (failure.text) {
        const std::string caption = failure.caption ? '"' + std::string(failure.caption) + '"' : "NULL";
        boxes.push_back("MessageBoxA(NULL, \"" + std::string(failure.text) + "\", " + caption + ", 0x10) = 1");
    }
    EXPECT_EQ(Calls(trace, "MessageBoxA"), boxes);
    std::string order;
    for (const std::string& line : trace) {
        order += line.rfind("MessageBoxA(", 0) == 0 ? "B" : line.rfind("IDirectDraw::Release(", 0) == 0 ? "R" : "";
    }
    EXPECT_EQ(order, failure.order) << "B: the box, R: the DirectDraw object's release";
    EXPECT_EQ(LiveSurfaces(), surfacesBefore) << "surfaces left alive";
    std::set<std::string> released;
    for (const std::string& release : Calls(trace, "IDirectDrawSurface::Release(")) {
        EXPECT_TRUE(released.insert(release.substr(0, release.find(')'))).second) << "twice: " << release;
    }
}

INSTANTIATE_TEST_SUITE_P(EachStep, EngineSetupFailure, ::testing::ValuesIn(kSetupFailures), ByName());

// A device that fails to appear, and how many objects of each kind Shutdown then releases.
struct OptionalDevice {
    const char* name;  // the call that fails
    HRESULT result;
    std::size_t soundReleases, inputReleases, keyboardReleases;
    friend std::ostream& operator<<(std::ostream& out, const OptionalDevice& device) { return out << device.name; }
};

class EngineOptionalDevice : public PlatformTest, public ::testing::WithParamInterface<OptionalDevice> {};

TEST_P(EngineOptionalDevice, InitSucceedsAndShutdownReleasesOnlyWhatExists) {
    const OptionalDevice& device = GetParam();
    SetFailpoint(device.name, device.result);
    Engine engine;
    ASSERT_TRUE(InitEngine(engine));
    StartTraceCapture();
    engine.Shutdown();
    const std::vector<std::string> trace = TakeTrace();
    EXPECT_EQ(Calls(trace, "IDirectSound::Release(").size(), device.soundReleases);
    EXPECT_EQ(Calls(trace, "IDirectInput::Release(").size(), device.inputReleases);
    EXPECT_EQ(Calls(trace, "IDirectInputDevice::Release(").size(), device.keyboardReleases);
}

INSTANTIATE_TEST_SUITE_P(Devices, EngineOptionalDevice,
                         ::testing::Values(OptionalDevice{"DirectSoundCreate", DSERR_NODRIVER, 0, 1, 1},
                                           OptionalDevice{"DirectInputCreateA", E_FAIL, 1, 0, 0},
                                           OptionalDevice{"IDirectInput::CreateDevice", E_FAIL, 1, 1, 0}),
                         ByName());

TEST_F(PlatformTest, EngineDepthSelectorChoosesTheModesBitsPerPixel) {
    const struct {
        DWORD selector;
        const char* desktopBitsPerPixel;
        int bitsPerPixel;
    } cases[] = {{0, "32", 8}, {1, "32", 16}, {2, "32", 24}, {3, "32", 32}, {4, "16", 16}, {4, "32", 32}};
    for (const auto& c : cases) {
        ResetPlatform({{"TAMBERLYN_DESKTOP_BPP", c.desktopBitsPerPixel}});
        // No sound: the program never releases its primary sound buffer, which would outlive each reset here.
        SetFailpoint("DirectSoundCreate", DSERR_NODRIVER);
        StartTraceCapture();
        Engine engine;
        ASSERT_TRUE(InitEngine(engine, c.selector));
        engine.Shutdown();
        const std::string expected = "IDirectDraw::SetDisplayMode(" + NameOf(engine.drawDevice.ddraw) + ", 640, 480, " +
                                     std::to_string(c.bitsPerPixel) + ") = 0x0";
        EXPECT_EQ(Calls(TakeTrace(), "IDirectDraw::SetDisplayMode"), std::vector<std::string>{expected})
            << "selector " << c.selector << " on a " << c.desktopBitsPerPixel << "-bit desktop";
    }
}

}  // namespace
