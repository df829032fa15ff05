// photosensitivity_warning.cpp -- the warning about the intro's flashing, asked before the program starts.
#include "photosensitivity_warning.h"

#include "log.h"
#include "platform_state.h"
#include "relay.h"

namespace plat {
namespace {

// Message boxes break lines only where the text does.
constexpr const char* kCaption = "Tamberlyn: photosensitivity warning";
constexpr const char* kText =
    "The intro flashes the whole screen between black and white on every\n"
    "frame, tens of times a second. This can trigger seizures in people\n"
    "with photosensitive epilepsy. Do not watch it if you or anyone near\n"
    "the screen may be affected.\n"
    "\n"
    "Enter shows the intro, Escape quits.\n"
    "To start without this question: tamberlyn --no-warning";

}  // namespace

std::optional<int> AskBeforeFlashing() {
    const Settings& settings = CurrentSettings();
    Host& host = TheHost();
    if (!settings.warning || !settings.script.empty() || !host.HasDisplay()) {
        return std::nullopt;
    }
    switch (host.AskToGoOn(kText, kCaption, "Show the intro", "Quit")) {
        case Host::Answer::GoOn:
            relay::WriteNote("tamberlyn: photosensitivity warning shown; the person chose to go on");
            return std::nullopt;
        case Host::Answer::Quit:
            relay::WriteNote("tamberlyn: photosensitivity warning shown; the person chose to quit");
            return 0;
        case Host::Answer::NotShown:
            break;
    }
    Warn("the photosensitivity warning cannot be shown: the intro does not start (--no-warning starts it without)");
    return 1;
}

}  // namespace plat
