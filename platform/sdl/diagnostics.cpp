// diagnostics.cpp -- the in-process controls of diagnostics.h.
#include "diagnostics.h"

#include "display.h"
#include "frame_script.h"
#include "gdi_objects.h"
#include "kernel.h"
#include "keyboard_state.h"
#include "message_queue.h"
#include "relay.h"
#include "screen.h"
#include "settings.h"
#include "window_table.h"

namespace tamberlyn {

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

PresentedFrame LastPresentedFrame() {
    const plat::screen::PresentRecord last = plat::screen::LastPresent();
    const char* path = last.path == plat::PresentPath::Surface    ? "surface"
                       : last.path == plat::PresentPath::Renderer ? "renderer"
                                                                  : "";
    return PresentedFrame{path, last.width, last.height};
}

void SetWinsockVersion(WORD version) {
    plat::CurrentSettings().winsockVersion = version;
}

void ResetPlatform() {
    plat::windows::DestroyAll();
    plat::queue::Clear();
    plat::display::Reset();
    plat::script::Load("");
    plat::keyboard::ReleaseAll();
    plat::ResetCursor();
    relay::ClearFailpoints();
    plat::TakeDebugText();
}

}  // namespace tamberlyn
