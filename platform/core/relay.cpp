// relay.cpp -- the relay trace, object names and failpoints behind relay.h.
#include "relay.h"

#include "log.h"
#include "platform_state.h"
#include "relay_state.h"
#include "parse.h"

#include <algorithm>
#include <cinttypes>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace relay {
namespace {

RelayState& TheState() {
    return plat::Platform().relay;
}

}  // namespace

RelayState::~RelayState() {
    if (file) {
        std::fclose(file);
    }
}

bool ParseFailpoints(const std::string& text, std::vector<FailpointRequest>* failpoints, std::string* why) {
    for (const std::string& entry : plat::Split(text, ',')) {
        const std::size_t equals = entry.rfind('=');
        const std::size_t at = entry.find('@');
        FailpointRequest failpoint;
        long long result = 0;
        long long onlyCall = 0;
        const bool read = equals != std::string::npos && equals > 0 &&
                          plat::ParseNumber(entry.substr(equals + 1), INT64_MIN, INT64_MAX, &result) &&
                          (at == std::string::npos ||
                           (at > 0 && at < equals &&
                            plat::ParseNumber(entry.substr(at + 1, equals - at - 1), 1, INT_MAX, &onlyCall)));
        if (!read) {
            *why = "\"" + entry + "\" is not Name=value or Name@N=value (a call, a count from 1, a 64-bit value)";
            return false;
        }
        failpoint.call = entry.substr(0, std::min(at, equals));
        failpoint.result = result;
        failpoint.onlyCall = static_cast<int>(onlyCall);
        failpoints->push_back(failpoint);
    }
    return true;
}

void Start(RelayState& state, const std::string& tracePath, const std::vector<FailpointRequest>& failpoints) {
    if (!tracePath.empty()) {
        state.file = std::fopen(tracePath.c_str(), "w");
        if (!state.file) {
            plat::Warn("cannot write the trace to %s", tracePath.c_str());
        }
    }
    for (const FailpointRequest& failpoint : failpoints) {
        state.failpoints[failpoint.call] = Failpoint{failpoint.result, failpoint.onlyCall, 0, false};
    }
}

void ReportUnfiredFailpoints(const RelayState& state) {
    for (const auto& [call, failpoint] : state.failpoints) {
        if (failpoint.fired) {
            continue;
        }
        if (failpoint.calls == 0) {
            plat::Warn("failpoint %s never fired: no call of that name was made", call.c_str());
        } else {
            plat::Warn("failpoint %s@%d never fired: only %d such calls were made", call.c_str(), failpoint.onlyCall,
                       failpoint.calls);
        }
    }
}

bool Tracing() {
    const RelayState& state = TheState();
    return state.file || state.capturing;
}

bool Failing() {
    return !TheState().failpoints.empty();
}

bool TakeFailpoint(const char* name, std::int64_t* result) {
    RelayState& state = TheState();
    auto found = state.failpoints.find(name);
    if (found == state.failpoints.end()) {
        return false;
    }
    Failpoint& failpoint = found->second;
    ++failpoint.calls;
    if (failpoint.onlyCall != 0 && failpoint.calls != failpoint.onlyCall) {
        return false;
    }
    *result = failpoint.result;
    failpoint.fired = true;
    return true;
}

namespace {

// Puts one finished line, indented two spaces for each of `depth` enclosing calls, in every open destination.
void Emit(RelayState& state, int depth, std::string line) {
    line.insert(0, static_cast<std::size_t>(2 * depth), ' ');
    if (state.file) {
        std::fprintf(state.file, "%s\n", line.c_str());
        std::fflush(state.file);
    }
    if (state.capturing) {
        state.captured.push_back(std::move(line));
    }
}

}  // namespace

void WriteLine(const char* name, const std::string& args, const std::string& result) {
    RelayState& state = TheState();
    std::string line = name;
    line += '(';
    line += args;
    line += ')';
    if (!result.empty()) {
        line += " = ";
        line += result;
    }
    Emit(state, state.depth - 1, std::move(line));  // the call's own depth is counted
}

void WriteNote(const std::string& text) {
    RelayState& state = TheState();
    if (state.file || state.capturing) {
        Emit(state, state.depth, "# " + text);
    }
}

Nesting::Nesting() {
    ++TheState().depth;
}
Nesting::~Nesting() {
    --TheState().depth;
}

void Name(const void* object, const char* kind) {
    RelayState& state = TheState();
    auto serial = state.serials.find(std::string_view(kind));
    if (serial == state.serials.end()) {
        serial = state.serials.emplace(kind, 0).first;
    }
    state.names[object] = RelayState::ObjectName{kind, ++serial->second};
}

void NameAs(const void* object, const char* name) {
    TheState().names[object] = RelayState::ObjectName{name, 0};
}

std::string NameOf(const void* object) {
    if (!object) {
        return "NULL";
    }
    const RelayState& state = TheState();
    auto found = state.names.find(object);
    if (found != state.names.end()) {
        const RelayState::ObjectName& name = found->second;
        return name.serial ? name.kind + std::to_string(name.serial) : std::string(name.kind);
    }
    char text[32];
    std::snprintf(text, sizeof text, "%p", object);
    return text;
}

void Put(std::string& out, long long value) {
    out += std::to_string(value);
}
void Put(std::string& out, unsigned long long value) {
    out += std::to_string(value);
}

void Put(std::string& out, Hex value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*" PRIx64, value.digits, value.value);
    out += text;
}

void Put(std::string& out, Text value) {
    if (!value.text) {
        out += "NULL";
        return;
    }
    if (const auto id = reinterpret_cast<std::uintptr_t>(value.text); id < 0x10000) {
        out += '#' + std::to_string(id);  // a resource number passed where a name may stand
        return;
    }
    // Written as a C string, so that every call stays on one line whatever the text holds.
    out += '"';
    for (const char* c = value.text; *c; ++c) {
        const unsigned char byte = static_cast<unsigned char>(*c);
        switch (byte) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    char escaped[5];
                    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
                    out += escaped;
                } else {
                    out += *c;
                }
        }
    }
    out += '"';
}

void Put(std::string& out, const void* object) {
    out += NameOf(object);
}

void Put(std::string& out, const RECT* rect) {
    if (!rect) {
        out += "NULL";
        return;
    }
    out += '{';
    PutAll(out, rect->left, rect->top, rect->right, rect->bottom);
    out += '}';
}

void Put(std::string& out, const MSG* msg) {
    if (!msg) {
        out += "NULL";
        return;
    }
    out += '{';
    PutAll(out, static_cast<const void*>(msg->hwnd), Hex(msg->message), Hex(msg->wParam), Hex(msg->lParam));
    out += '}';
}

void Put(std::string& out, const GUID* guid) {
    if (!guid) {
        out += "NULL";
        return;
    }
    char text[48];
    std::snprintf(text, sizeof text, "{%08" PRIX32 "-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid->Data1,
                  guid->Data2, guid->Data3, guid->Data4[0], guid->Data4[1], guid->Data4[2], guid->Data4[3],
                  guid->Data4[4], guid->Data4[5], guid->Data4[6], guid->Data4[7]);
    out += text;
}

// In-process controls, declared in diagnostics.h.
void SetFailpoint(const std::string& call, std::int64_t result, int onlyCall) {
    TheState().failpoints[call] = Failpoint{result, onlyCall, 0, false};
}

void ClearFailpoints() {
    TheState().failpoints.clear();
}

void StartCapture() {
    RelayState& state = TheState();
    state.capturing = true;
    state.captured.clear();
}

std::vector<std::string> TakeCapture() {
    RelayState& state = TheState();
    state.capturing = false;
    return std::move(state.captured);
}

}  // namespace relay
