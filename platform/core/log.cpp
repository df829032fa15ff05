// log.cpp -- warnings to standard error and the trace.
#include "log.h"

#include "platform_state.h"
#include "relay.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace plat {
namespace {

void Write(const char* format, std::va_list arguments) {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, arguments);
    const std::string line = std::string("tamberlyn: ") + text;
    std::fprintf(stderr, "%s\n", line.c_str());
    relay::WriteNote(line);
}

}  // namespace

void Warn(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    Write(format, arguments);
    va_end(arguments);
}

void WarnOnce(const char* format, ...) {
    if (!Platform().log.warned.insert(format).second) {
        return;
    }
    std::va_list arguments;
    va_start(arguments, format);
    Write(format, arguments);
    va_end(arguments);
}

}  // namespace plat
