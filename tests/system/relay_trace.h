// relay_trace.h -- a relay trace read back: its calls, their depth, and matching them in order.
#pragma once

#include <gtest/gtest.h>

#include <fnmatch.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace systemtest {

namespace fs = std::filesystem;

// The relay trace: each line as written, and without its indentation for matching where depth does not matter.
struct Trace {
    std::vector<std::string> raw;
    std::vector<std::string> calls;

    static constexpr std::size_t npos = std::string::npos;

    // A pattern matches the start of a call; '*' in it stands for any text.
    static bool Matches(const std::string& call, const std::string& pattern) {
        return fnmatch((pattern + "*").c_str(), call.c_str(), FNM_NOESCAPE) == 0;
    }
    std::size_t Depth(std::size_t i) const { return (raw[i].size() - calls[i].size()) / 2; }

    // The calls from `from` up to `to` matching `pattern`.
    std::vector<std::size_t> FindAll(const std::string& pattern, std::size_t from = 0, std::size_t to = npos) const {
        std::vector<std::size_t> found;
        for (std::size_t i = from; i < calls.size() && i < to; ++i) {
            if (Matches(calls[i], pattern)) {
                found.push_back(i);
            }
        }
        return found;
    }
    std::size_t Find(const std::string& pattern, std::size_t from = 0) const {
        const std::vector<std::size_t> found = FindAll(pattern, from);
        return found.empty() ? npos : found.front();
    }
    std::size_t Count(const std::string& pattern, std::size_t from = 0, std::size_t to = npos) const {
        return FindAll(pattern, from, to).size();
    }

    // The lines around `at`, for failure messages.
    std::string Excerpt(std::size_t at) const {
        std::string text;
        for (std::size_t i = at > 4 ? at - 4 : 0; i < raw.size() && i < at + 8; ++i) {
            text += std::to_string(i) + ": " + raw[i] + "\n";
        }
        return text;
    }

    // Each pattern matched by a later call than the one before, starting at `from`.
    testing::AssertionResult InOrder(const std::vector<std::string>& patterns, std::size_t from = 0) const {
        for (const std::string& pattern : patterns) {
            const std::size_t found = Find(pattern, from);
            if (found == npos) {
                return testing::AssertionFailure()
                       << "expected \"" << pattern << "\" at or after line " << from << ", got none; the trace there:\n"
                       << Excerpt(from);
            }
            from = found + 1;
        }
        return testing::AssertionSuccess();
    }
};

// The relay trace in `file` as far as it has been written.
inline Trace ReadTrace(const fs::path& file) {
    Trace trace;
    std::ifstream lines(file);
    for (std::string line; std::getline(lines, line);) {
        trace.calls.push_back(line.substr(std::min(line.find_first_not_of(' '), line.size())));
        trace.raw.push_back(std::move(line));
    }
    return trace;
}

}  // namespace systemtest
