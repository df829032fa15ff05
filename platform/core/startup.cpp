// startup.cpp -- the language runtime's start-up on this host: main() calls WinMain after the global objects
// are constructed and returns its result, after which they are destroyed in reverse order.
#include "kernel.h"
#include "relay.h"

#include <windows.h>

#include <string>

int main(int argc, char** argv) {
    // The command line after the program's name, as WinMain receives it.
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        commandLine += (i > 1 ? " " : "");
        commandLine += argv[i];
    }
    return relay::Call(
        "WinMain", [&] { return WinMain(plat::ProgramModule(), nullptr, commandLine.data(), SW_SHOWNORMAL); },
        static_cast<const void*>(plat::ProgramModule()), static_cast<const void*>(nullptr),
        relay::Text{commandLine.c_str()}, SW_SHOWNORMAL);
}
