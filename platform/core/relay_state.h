// relay_state.h -- what the relay keeps during a run: the trace's destinations, failpoints and object names.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace relay {

// A failpoint as a setting names it: "Name=value" or "Name@N=value".
struct FailpointRequest {
    std::string call;
    std::int64_t result = 0;
    int onlyCall = 0;  // 0: every call
};

// Reads "Name=value[,Name@N=value]..." (values decimal or 0x hex); false, saying why, for anything else.
bool ParseFailpoints(const std::string& text, std::vector<FailpointRequest>* failpoints, std::string* why);

struct Failpoint {
    std::int64_t result = 0;
    int onlyCall = 0;  // 0: every call
    int calls = 0;
    bool fired = false;
};

struct RelayState {
    RelayState() = default;
    ~RelayState();
    RelayState(const RelayState&) = delete;
    RelayState& operator=(const RelayState&) = delete;

    std::FILE* file = nullptr;
    bool capturing = false;
    std::vector<std::string> captured;
    std::map<std::string, Failpoint, std::less<>> failpoints;
    // A name is its kind and a serial number (0: the kind alone); the text is made only when a line is written.
    struct ObjectName {
        const char* kind;
        int serial;
    };
    std::unordered_map<const void*, ObjectName> names;
    std::map<std::string, int, std::less<>> serials;
    int depth = 0;
};

// Opens the trace file and sets the failpoints the settings name.
void Start(RelayState& state, const std::string& tracePath, const std::vector<FailpointRequest>& failpoints);
// Warns of each failpoint that never made a call fail: a name no call has (a typo) tests nothing.
void ReportUnfiredFailpoints(const RelayState& state);

}  // namespace relay
