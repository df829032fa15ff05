// diagnostics.cpp -- the in-process controls of diagnostics.h.
#include "diagnostics.h"

#include "display.h"
#include "gdi_objects.h"
#include "kernel.h"
#include "log.h"
#include "platform_state.h"
#include "relay.h"
#include "settings.h"
#include "user_window.h"

namespace tamberlyn {

void ResetPlatform(const std::map<std::string, std::string>& settings) {
    plat::windows::DestroyAll();
    plat::StartSettings start = plat::ReadSettings(plat::ProcessSources({}, settings));
    for (const std::string& error : start.errors) {
        plat::Warn("%s", error.c_str());
    }
    plat::StartPlatform(std::move(start.settings), {});
}

void SetFailpoint(const std::string& call, std::int64_t result, int onlyCall) {
    relay::SetFailpoint(call, result, onlyCall);
}

void ClearFailpoints() {
    relay::ClearFailpoints();
}

void StartTraceCapture() {
    relay::StartCapture();
}

std::vector<std::string> TakeTrace() {
    return relay::TakeCapture();
}

std::string NameOf(const void* object) {
    return relay::NameOf(object);
}

std::string TakeDebugOutput() {
    return plat::TakeDebugText();
}

GdiCounts LiveGdiObjects() {
    using plat::gdi::Kind;
    using plat::gdi::LiveCount;
    return GdiCounts{LiveCount(Kind::Brush), LiveCount(Kind::Pen), LiveCount(Kind::Font), LiveCount(Kind::Bitmap),
                     LiveCount(Kind::DC)};
}

int LiveSurfaces() {
    return plat::display::TrackedCount();
}

}  // namespace tamberlyn
