// startup.cpp -- the language runtime's start-up on this host: main() calls WinMain after the global objects
// are constructed (and the photosensitivity warning answered) and returns its result, after which they are
// destroyed in reverse order.
#include "kernel.h"
#include "photosensitivity_warning.h"
#include "relay.h"

#include <windows.h>

#include <string>

int main() {
    // The platform read its own options from the command line when the global objects first called it.
    std::string commandLine = plat::WinMainCommandLine();
    if (const std::optional<int> exitCode = plat::AskBeforeFlashing()) {
        return *exitCode;
    }
    return relay::Call(
        "WinMain", [&] { return WinMain(plat::ProgramModule(), nullptr, commandLine.data(), SW_SHOWNORMAL); },
        static_cast<const void*>(plat::ProgramModule()), static_cast<const void*>(nullptr),
        relay::Text{commandLine.c_str()}, SW_SHOWNORMAL);
}
