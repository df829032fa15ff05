// engine_test.cpp -- Engine::Init: display set-up failures, optional sound and keyboard, colour depths.
#include "unit_support.h"

#include <set>

namespace {

using namespace unit;

struct SetupFailure {
    const char* call;
    HRESULT result;
    const char* text;     // null: no box
    const char* caption;  // null: the box has no caption
    const char* order;    // of the box (B) and the DirectDraw object's release (R)
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
    SCOPED_TRACE(failure.call);
    const int surfacesBefore = LiveSurfaces();
    SetFailpoint(failure.call, failure.result);
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

INSTANTIATE_TEST_SUITE_P(EachStep, EngineSetupFailure, ::testing::ValuesIn(kSetupFailures));

// A device that fails to appear, and how many objects of each kind Shutdown then releases.
struct OptionalDevice {
    const char* call;  // empty: nothing fails
    HRESULT result;
    std::size_t soundReleases, inputReleases, keyboardReleases;
};

class EngineOptionalDevice : public PlatformTest, public ::testing::WithParamInterface<OptionalDevice> {};

TEST_P(EngineOptionalDevice, InitSucceedsAndShutdownReleasesOnlyWhatExists) {
    const OptionalDevice& device = GetParam();
    SCOPED_TRACE(device.call);
    if (*device.call) {
        SetFailpoint(device.call, device.result);
    }
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
                         ::testing::Values(OptionalDevice{"", DD_OK, 1, 1, 1},
                                           OptionalDevice{"DirectSoundCreate", DSERR_NODRIVER, 0, 1, 1},
                                           OptionalDevice{"DirectInputCreateA", E_FAIL, 1, 0, 0},
                                           OptionalDevice{"IDirectInput::CreateDevice", E_FAIL, 1, 1, 0}));

// Selector 4, the desktop's depth, is what the program uses: the whole-program tests cover it.
class EngineDepth : public PlatformTest, public ::testing::WithParamInterface<DWORD> {};

TEST_P(EngineDepth, SelectorChoosesTheModesBitsPerPixel) {
    const int depths[] = {8, 16, 24, 32};
    StartTraceCapture();
    Engine engine;
    ASSERT_TRUE(InitEngine(engine, GetParam()));
    engine.Shutdown();
    const std::string expected = "IDirectDraw::SetDisplayMode(" + NameOf(engine.drawDevice.ddraw) + ", 640, 480, " +
                                 std::to_string(depths[GetParam()]) + ") = 0x0";
    EXPECT_EQ(Calls(TakeTrace(), "IDirectDraw::SetDisplayMode"), std::vector<std::string>{expected});
}

INSTANTIATE_TEST_SUITE_P(Selectors, EngineDepth, ::testing::Range(DWORD(0), DWORD(4)));

}  // namespace
