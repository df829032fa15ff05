// startup.cpp -- the language runtime's start-up on this host: main() calls WinMain after the global objects
// are constructed (and the photosensitivity warning answered) and ends the process with its result, after which they
// are destroyed in reverse order.
#include "kernel.h"
#include "photosensitivity_warning.h"
#include "relay.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

int RunWinMain() {
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

}  // namespace

// Through exit() rather than a return, as the C runtime ends a Windows process: the same on every host, and the
// only way the code reaches a web page once the program has waited (main's return is lost there).
int main() {
    std::exit(RunWinMain());
}
