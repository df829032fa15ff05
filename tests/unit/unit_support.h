// unit_support.h -- fixtures and helpers shared by the in-process tests of the system code.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bmp_builder.h"
#include "diagnostics.h"
#include "engine/engine.h"
#include "relay.h"

namespace unit {

inline LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Engine::Init as the program calls it.
inline bool InitEngine(Engine& engine, DWORD depthSelector = 4)
{
    return engine.Init("Tamberlyn", 640, 480, depthSelector, TestWindowProc, GetModuleHandleA(nullptr), nullptr,
                       nullptr);
}

// A fresh platform for every test, and no failpoint or trace capture left behind for the next.
class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override { tamberlyn::ResetPlatform(); }
    void TearDown() override
    {
        tamberlyn::ClearFailpoints();
        tamberlyn::TakeTrace();
    }
};

// A test that needs the display: an engine set up at the desktop's depth, its devices released afterwards.
class EngineTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        ASSERT_TRUE(InitEngine(engine));
    }
    void TearDown() override
    {
        engine.Shutdown();
        PlatformTest::TearDown();
    }
    Engine engine;
};

// Trace lines of the calls named `name`, at any depth, without their indentation.
inline std::vector<std::string> Calls(const std::vector<std::string>& trace, const std::string& name)
{
    std::vector<std::string> found;
    for (const std::string& line : trace) {
        const std::string call = line.substr(line.find_first_not_of(' '));
        if (call.rfind(name + "(", 0) == 0) {
            found.push_back(call);
        }
    }
    return found;
}

// How often each DirectDraw object was released, by its trace name.
inline std::map<std::string, int> ReleaseCounts(const std::vector<std::string>& trace)
{
    std::map<std::string, int> counts;
    for (const char* call : {"IDirectDraw::Release", "IDirectDrawSurface::Release"}) {
        for (const std::string& line : Calls(trace, call)) {
            const std::size_t open = line.find('(');
            ++counts[line.substr(open + 1, line.find(')') - open - 1)];
        }
    }
    return counts;
}

inline std::string TraceName(const void* object) { return relay::NameOf(object); }

// Writes a file into a folder of this process's own (short enough for the bitmap's 49-character name field,
// removed at exit) and returns its path.
inline std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    static const struct Folder {
        Folder() { std::filesystem::create_directories(path); }
        ~Folder() { std::filesystem::remove_all(path); }
        std::filesystem::path path = "/tmp/tamberlyn-unit-" + std::to_string(std::random_device{}());
    } folder;
    const std::string path = (folder.path / name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

// Writes a 24-bit BMP; colourAt(x, y) gives 0x00RRGGBB with y counted from the top.
inline std::string WriteBmp(const std::string& name, int width, int height,
                            const std::function<std::uint32_t(int, int)>& colourAt)
{
    bmptest::BmpParts parts;
    parts.width = width;
    parts.height = height;
    std::vector<std::vector<std::uint32_t>> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            rows[static_cast<std::size_t>(height - 1 - y)].push_back(colourAt(x, y));  // the file stores bottom up
        }
    }
    parts.pixels = bmptest::PackRows(rows, 24);
    return WriteFile(name, bmptest::BuildBmp(parts));
}

// One pixel of a 32-bit surface as 0x00RRGGBB, read through Lock.
inline std::uint32_t PixelAt(IDirectDrawSurface* surface, int x, int y)
{
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    RECT pixel = {x, y, x + 1, y + 1};
    if (surface->Lock(&pixel, &desc, DDLOCK_WAIT, nullptr) != DD_OK) {
        ADD_FAILURE() << "the surface could not be locked";
        return 0xFFFFFFFF;
    }
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 32u) << "the pixel reader expects a 32-bit surface";
    const std::uint32_t value = *static_cast<const std::uint32_t*>(desc.lpSurface) & 0x00FFFFFF;
    surface->Unlock(desc.lpSurface);
    return value;
}

// A colour-fill of the whole surface with a 0x00RRGGBB value.
inline void FillSurface(IDirectDrawSurface* surface, std::uint32_t colour)
{
    DDBLTFX fx = {};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = colour;
    ASSERT_EQ(surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
}

}  // namespace unit
