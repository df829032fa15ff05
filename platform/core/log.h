// log.h -- the platform's one way to tell the person something: a line on standard error that also goes into
// the relay trace, so tests and traces see every warning.
#pragma once

#include <set>
#include <string>

namespace plat {

// "tamberlyn: <text>" on standard error and "# tamberlyn: <text>" in the trace.
void Warn(const char* format, ...) __attribute__((format(printf, 1, 2)));
// As Warn, but only the first time in a run for each `format`.
void WarnOnce(const char* format, ...) __attribute__((format(printf, 1, 2)));

// What the log keeps during a run: the formats already used by WarnOnce.
struct LogState {
    std::set<const char*> warned;
};

}  // namespace plat
