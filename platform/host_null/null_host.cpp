// null_host.cpp -- the null host: windows and frames go nowhere, nothing sends events, sound is discarded.
#include "null_host.h"

namespace plat::null {
namespace {

// An output that plays nowhere, as a sound card nobody listens to.
class NullAudioOutput final : public AudioOutput {
public:
    void SetPlaying(bool) override {}
};

class NullHost final : public Host {
public:
    bool HasDisplay() override { return false; }
    void OpenWindow(HWND, const std::string&, int, int, int, int, bool) override {}
    void ShowWindow(HWND) override {}
    void CloseWindow(HWND) override {}
    void ToggleFullScreen() override {}
    void SetDisplayMode(HWND, int, int) override {}
    void RestoreDisplayMode(HWND) override {}
    void Present(const Canvas&) override {}
    bool PumpEvents() override { return false; }
    bool ShowMessageBox(const char*, const char*, UINT) override { return false; }
    Answer AskToGoOn(const char*, const char*, const char*, const char*) override { return Answer::NotShown; }
    void SetCursorVisible(bool) override {}
    std::unique_ptr<AudioOutput> OpenAudio() override { return std::make_unique<NullAudioOutput>(); }
    bool WaitEvent(std::chrono::milliseconds timeout) override {
        SleepUntil(Now() + timeout);
        return false;
    }
};

}  // namespace

std::unique_ptr<Host> MakeNullHost() {
    return std::make_unique<NullHost>();
}

}  // namespace plat::null
