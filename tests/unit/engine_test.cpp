// engine_test.cpp -- Engine::Init: display set-up failures, optional sound and keyboard, colour depths.
#include "unit_support.h"

#include <algorithm>
#include <memory>
#include <ostream>

namespace {

using tamberlyn::SetFailpoint;
using tamberlyn::StartTraceCapture;
using tamberlyn::TakeTrace;
using unit::Calls;

struct SetupFailure {
    const char* call;
    HRESULT result;
    const char* text;
    const char* caption;  // null: the box has no caption
    int ddrawReleased;    // 0: never made; 1: released before the box; 2: after it
};

void PrintTo(const SetupFailure& failure, std::ostream* out) { *out << failure.call; }

const char kSurfacesText[] = "Couldnt Set Surfaces! Fatal Error! DirectX is jacked Man";
const SetupFailure kSetupFailures[] = {
    {"DirectDrawCreate", DDERR_GENERIC, "Couldnt Create DirectX Object! Error: Terminating!", "Error!!!", 0},
    {"IDirectDraw::SetCooperativeLevel", DDERR_EXCLUSIVEMODEALREADYSET,
     "Couldnt Set Cooperative Level, Fatal Error Aborting", "Error", 1},
    {"IDirectDraw::SetDisplayMode", DDERR_INVALIDMODE, "Error Setting Display Mode", nullptr, 2},
    {"IDirectDraw::CreateSurface", DDERR_OUTOFMEMORY, kSurfacesText, "Broken Software :(", 1},
    {"IDirectDrawSurface::GetAttachedSurface", DDERR_NOTFOUND, kSurfacesText, "Broken Software :(", 1},
};

class EngineSetupFailure : public unit::PlatformTest, public ::testing::WithParamInterface<SetupFailure> {};

TEST_P(EngineSetupFailure, ShowsOneBoxAndReleasesEachObjectOnce)
{
    const SetupFailure& failure = GetParam();
    const int surfacesBefore = tamberlyn::LiveSurfaces();
    SetFailpoint(failure.call, failure.result);
    StartTraceCapture();
    auto engine = std::make_unique<Engine>();
    EXPECT_FALSE(unit::InitEngine(*engine));
    EXPECT_EQ(engine->drawDevice.ddraw, nullptr);
    EXPECT_EQ(engine->drawDevice.primary, nullptr);
    EXPECT_EQ(engine->drawDevice.backBuffer, nullptr);
    engine.reset();  // the DrawDevice destructor must find nothing left to release
    const std::vector<std::string> trace = TakeTrace();

    const std::string caption = failure.caption ? '"' + std::string(failure.caption) + '"' : "NULL";
    const std::string box = "MessageBoxA(NULL, \"" + std::string(failure.text) + "\", " + caption + ", 0x10) = 1";
    EXPECT_EQ(Calls(trace, "MessageBoxA"), std::vector<std::string>{box});
    EXPECT_EQ(tamberlyn::LiveSurfaces(), surfacesBefore) << "surfaces left alive";
    EXPECT_EQ(Calls(trace, "IDirectDraw::Release").size(), failure.ddrawReleased == 0 ? 0u : 1u);
    const auto firstCall = [&](const std::string& call) {
        return std::find_if(trace.begin(), trace.end(),
                            [&](const std::string& line) { return line.rfind(call + "(", 0) == 0; });
    };
    if (failure.ddrawReleased != 0) {
        EXPECT_EQ(firstCall("IDirectDraw::Release") < firstCall("MessageBoxA"), failure.ddrawReleased == 1)
            << "expected the DirectDraw object released " << (failure.ddrawReleased == 1 ? "before" : "after")
            << " the box";
    }
    for (const auto& [object, count] : unit::ReleaseCounts(trace)) {
        EXPECT_EQ(count, 1) << object << " released " << count << " times";
    }
}

INSTANTIATE_TEST_SUITE_P(EachDisplayStep, EngineSetupFailure, ::testing::ValuesIn(kSetupFailures));

using EngineSetup = unit::PlatformTest;

TEST_F(EngineSetup, RefusedWindowFailsWithoutABox)
{
    SetFailpoint("CreateWindowExA", 0);
    StartTraceCapture();
    Engine engine;
    EXPECT_FALSE(unit::InitEngine(engine));
    const std::vector<std::string> trace = TakeTrace();
    EXPECT_TRUE(Calls(trace, "MessageBoxA").empty()) << "expected no message box";
    EXPECT_TRUE(Calls(trace, "DirectDrawCreate").empty()) << "expected no display set-up without a window";
}

// A device that fails to appear, and how many objects of each kind Shutdown then releases.
struct OptionalDevice {
    const char* call;  // empty: nothing fails
    HRESULT result;
    std::size_t soundReleases, inputReleases, keyboardReleases;
};

void PrintTo(const OptionalDevice& device, std::ostream* out) { *out << (*device.call ? device.call : "none"); }

class EngineOptionalDevice : public unit::PlatformTest, public ::testing::WithParamInterface<OptionalDevice> {};

TEST_P(EngineOptionalDevice, InitSucceedsAndShutdownReleasesOnlyWhatExists)
{
    const OptionalDevice& device = GetParam();
    if (*device.call) {
        SetFailpoint(device.call, device.result);
    }
    Engine engine;
    ASSERT_TRUE(unit::InitEngine(engine));
    EXPECT_EQ(engine.sound != nullptr, device.soundReleases == 1);
    EXPECT_EQ(engine.input != nullptr, device.inputReleases == 1);
    EXPECT_EQ(engine.keyboard != nullptr, device.keyboardReleases == 1);
    StartTraceCapture();
    engine.Shutdown();
    const std::vector<std::string> trace = TakeTrace();
    EXPECT_EQ(Calls(trace, "IDirectSound::Release").size(), device.soundReleases);
    EXPECT_EQ(Calls(trace, "IDirectInput::Release").size(), device.inputReleases);
    EXPECT_EQ(Calls(trace, "IDirectInputDevice::Release").size(), device.keyboardReleases);
}

INSTANTIATE_TEST_SUITE_P(Devices, EngineOptionalDevice,
                         ::testing::Values(OptionalDevice{"", DD_OK, 1, 1, 1},
                                           OptionalDevice{"DirectSoundCreate", DSERR_NODRIVER, 0, 1, 1},
                                           OptionalDevice{"DirectInputCreateA", E_FAIL, 1, 0, 0},
                                           OptionalDevice{"IDirectInput::CreateDevice", E_FAIL, 1, 1, 0}));

class EngineDepth : public unit::PlatformTest, public ::testing::WithParamInterface<DWORD> {};

TEST_P(EngineDepth, SelectorChoosesTheModesBitsPerPixel)
{
    HDC screen = GetDC(nullptr);
    const int desktopDepth = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    const int depths[] = {8, 16, 24, 32, desktopDepth};

    StartTraceCapture();
    Engine engine;
    ASSERT_TRUE(unit::InitEngine(engine, GetParam()));
    engine.Shutdown();
    const std::vector<std::string> modes = Calls(TakeTrace(), "IDirectDraw::SetDisplayMode");
    ASSERT_EQ(modes.size(), 1u);
    const std::string expected = ", 640, 480, " + std::to_string(depths[GetParam()]) + ") = 0x0";
    EXPECT_NE(modes.front().find(expected), std::string::npos) << "expected " << expected << ", got " << modes.front();
}

INSTANTIATE_TEST_SUITE_P(Selectors, EngineDepth, ::testing::Values(0u, 1u, 2u, 3u, 4u));

}  // namespace
