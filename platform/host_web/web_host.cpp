// web_host.cpp -- the browser host: the page's queued input delivered as Windows delivers it, its message box and
// sound, and time: every wait, even a zero one, hands the browser its thread back.
#include "web_host.h"

#include "input.h"
#include "web_keys.h"
#include "web_page.h"

#include <algorithm>
#include <cmath>

namespace plat {

// The page is always there to serve the run.
std::unique_ptr<Host> MakeHost(const Settings& settings, std::string*) {
    return std::make_unique<web::WebHost>(settings);
}

namespace web {
namespace {

bool Deliver(const page::Event& event) {
    if (event.kind == page::Event::kActive) {
        return input::SetActive(event.active);
    }
    return input::Key(nullptr, input::KeyChange{KeyPosition(event.code), event.character, event.down, event.repeat,
                                                event.alt, event.control, event.numLock});
}

const char* IconWord(UINT type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONERROR:
            return "error";
        case MB_ICONWARNING:
            return "warning";
        default:
            return "information";
    }
}

// The page's sound, which plays nothing: the primary buffer's silence.
class WebAudioOutput final : public AudioOutput {
public:
    WebAudioOutput() = default;
    WebAudioOutput(const WebAudioOutput&) = delete;
    WebAudioOutput& operator=(const WebAudioOutput&) = delete;
    ~WebAudioOutput() override { page::CloseAudio(); }
    void SetPlaying(bool playing) override { page::SetAudioPlaying(playing); }
};

}  // namespace

WebHost::WebHost(const Settings& settings)
    : scaling_(settings.scaling), windowMode_(settings.windowMode), waitForRefresh_(settings.WaitsForRefresh()) {}

bool WebHost::PumpEvents() {
    bool delivered = false;
    for (page::Event event = page::NextEvent(); event.kind != page::Event::kNone; event = page::NextEvent()) {
        delivered = Deliver(event) || delivered;
    }
    return delivered;
}

bool WebHost::ShowMessageBox(const char* text, const char* caption, UINT type) {
    page::MessageBox(text, caption, IconWord(type));
    return true;
}

// The page's first screen is the warning, and the program starts only from its Start button: it has been answered.
Host::Answer WebHost::AskToGoOn(const char*, const char*, const char*, const char*) {
    return Answer::GoOn;
}

std::unique_ptr<AudioOutput> WebHost::OpenAudio() {
    if (!page::OpenAudio()) {
        return nullptr;
    }
    return std::make_unique<WebAudioOutput>();
}

void WebHost::SleepUntil(Clock::time_point when) {
    const std::chrono::duration<double, std::milli> left = when - Now();
    page::Wait(std::max(0.0, std::ceil(left.count())), false);
}

bool WebHost::WaitEvent(std::chrono::milliseconds timeout) {
    return page::Wait(static_cast<double>(timeout.count()), true);
}

void WebHost::Yield() {
    page::Wait(0, false);
}

}  // namespace web
}  // namespace plat
