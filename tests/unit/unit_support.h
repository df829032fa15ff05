// unit_support.h -- fixtures and helpers shared by the in-process tests of the system code.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "api_helpers.h"
#include "diagnostics.h"
#include "engine/engine.h"

namespace unit {

using namespace tamberlyn;  // the platform's test controls come with these helpers

// Engine::Init as the program calls it.
inline bool InitEngine(Engine& engine, DWORD depthSelector = 4) {
    return engine.Init("Tamberlyn", 640, 480, depthSelector, DefWindowProcA, GetModuleHandleA(nullptr), nullptr,
                       nullptr);
}

// A fresh platform for every test, with no trace capture or setting left by the one before.
class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override { ResetPlatform(); }
};

// A test that needs the display: an engine set up at the desktop's depth, shut down afterwards.
class EngineTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        ASSERT_TRUE(InitEngine(engine));
    }
    void TearDown() override { engine.Shutdown(); }
    Engine engine;
};

// Trace lines that start with `start` once their indentation (the call's depth) is taken off.
inline std::vector<std::string> Calls(const std::vector<std::string>& trace, const std::string& start) {
    std::vector<std::string> found;
    for (const std::string& line : trace) {
        const std::string call = line.substr(line.find_first_not_of(' '));
        if (call.rfind(start, 0) == 0) {
            found.push_back(call);
        }
    }
    return found;
}

// Writes a file into a folder of this process's own, removed at exit, and returns its path: short enough for the
// bitmap's 50-character name field.
inline std::string WriteFile(const std::vector<std::uint8_t>& bytes) {
    static const struct Folder {
        Folder() { std::filesystem::create_directories(path); }
        ~Folder() { std::filesystem::remove_all(path); }
        std::filesystem::path path = "/tmp/tamberlyn-unit-" + std::to_string(std::random_device{}());
    } folder;
    static int files = 0;
    const std::string path = (folder.path / ("file" + std::to_string(++files) + ".bmp")).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

// Writes a 24-bit BMP; colourAt(x, y) gives 0x00RRGGBB with y counted from the top.
inline std::string WriteBmp(int width, int height, const bmptest::ColourAt& colourAt) {
    return WriteFile(bmptest::BuildBmp(bmptest::Grid(24, colourAt, width, height)));
}

}  // namespace unit
