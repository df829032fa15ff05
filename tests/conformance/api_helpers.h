// api_helpers.h -- shared pieces of the tests written against the Win32 and DirectDraw API alone: windows,
// DirectDraw in exclusive mode, colour fills, BMP files loaded as the system loads them, pixels compared through Lock
// or GetPixel, clean-up.
#pragma once

#include "bmp_variants.h"

#include <windows.h>
#include <ddraw.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace apitest {

inline std::string Hex(std::uint64_t value) {
    std::ostringstream text;
    text << "0x" << std::hex << value;
    return text.str();
}

inline bool Holds(const RECT& rect, int x, int y) {
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

// COLORREFs drawn into a 16-bit (565) surface and the pixels they become: each channel truncated.
struct Color16 {
    COLORREF color;
    DWORD pixel16;
};
inline constexpr Color16 kColors16[] = {{0xFFFFFF, 0xffff}, {0x808080, 0x8410}, {0x010203, 0x0000},
                                        {0xFF8040, 0x441f}, {0x070707, 0x0020}, {0x0000FF, 0xf800}};

// Compares read(x, y) with expected(x, y) over `area`; one failure naming the count and the first difference.
template <class Read, class Expected>
void ExpectPixels(const std::string& what, const RECT& area, Read read, Expected expected) {
    int wrong = 0;
    std::string first;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const DWORD got = read(x, y), want = expected(x, y);
            if (got != want && wrong++ == 0) {
                first = std::to_string(x) + "," + std::to_string(y) + " expected " + Hex(want) + ", got " + Hex(got);
            }
        }
    }
    EXPECT_EQ(0, wrong) << what << ": " << wrong << " pixels differ, first at " << first;
}

// ExpectPixels over a 16- or 32-bit surface read through Lock; 32-bit pixels keep their low 24 bits.
template <class Expected>
void ExpectSurfacePixels(const std::string& what, IDirectDrawSurface* surface, const RECT& area, Expected expected) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(DD_OK, surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr)) << what;
    const auto read = [&](int x, int y) -> DWORD {
        const BYTE* row = static_cast<const BYTE*>(desc.lpSurface) + y * desc.lPitch;
        return desc.ddpfPixelFormat.dwRGBBitCount == 16 ? reinterpret_cast<const WORD*>(row)[x]
                                                        : reinterpret_cast<const DWORD*>(row)[x] & 0xFFFFFF;
    };
    ExpectPixels(what, area, read, expected);
    surface->Unlock(desc.lpSurface);
}

inline HRESULT ColorFill(IDirectDrawSurface* surface, RECT* rect, DWORD color) {
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = color;
    return surface->Blt(rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

// Rectangle with a new solid pen and brush, both deleted afterwards.
inline BOOL DrawRectangle(HDC dc, const RECT& rect, int penWidth, COLORREF penColor, COLORREF brushColor) {
    const HGDIOBJ pen = SelectObject(dc, CreatePen(PS_SOLID, penWidth, penColor));
    const HGDIOBJ brush = SelectObject(dc, CreateSolidBrush(brushColor));
    const BOOL drawn = Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    DeleteObject(SelectObject(dc, pen));
    DeleteObject(SelectObject(dc, brush));
    return drawn;
}

// Every test leaves no window, DirectDraw object, surface, file, bitmap, DC or queued message behind it, and every
// reference it took is gone at its end: each last Release returns 0.
class ApiTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (HDC dc : dcs_) {
            DeleteDC(dc);
        }
        for (HBITMAP bitmap : bitmaps_) {
            DeleteObject(bitmap);
        }
        for (const std::string& path : files_) {
            std::remove(path.c_str());
        }
        for (auto it = surfaces_.rbegin(); it != surfaces_.rend(); ++it) {
            EXPECT_EQ(it->referencesLeft, it->surface->Release()) << "references left on a surface the test kept";
        }
        if (ddraw_) {
            EXPECT_EQ(0u, ddraw_->Release()) << "references left on the DirectDraw object";
        }
        for (HWND window : windows_) {
            DestroyWindow(window);
        }
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) {
        }
    }

    // A hidden 640 x 480 pop-up window of the class `className`, registered with `procedure` on first use.
    HWND NewWindow(WNDPROC procedure = DefWindowProcA, const char* className = "TamberlynApiTest") {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = className;
        RegisterClassA(&windowClass);  // fails harmlessly once registered
        windows_.push_back(CreateWindowExA(0, className, "api test", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                                           GetModuleHandleA(nullptr), nullptr));
        EXPECT_NE(nullptr, windows_.back()) << "CreateWindowExA failed";
        return windows_.back();
    }

    // A shown window owning DirectDraw in exclusive full-screen mode at 640 x 480 x bitsPerPixel.
    bool StartDirectDraw(DWORD bitsPerPixel) {
        const HWND window = NewWindow();
        ShowWindow(window, SW_SHOW);
        EXPECT_EQ(DD_OK, DirectDrawCreate(nullptr, &ddraw_, nullptr));
        const HRESULT level = ddraw_ ? ddraw_->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) : E_FAIL;
        const HRESULT mode = SUCCEEDED(level) ? ddraw_->SetDisplayMode(640, 480, bitsPerPixel) : E_FAIL;
        EXPECT_EQ(DD_OK, mode) << "SetCooperativeLevel gave " << Hex(DWORD(level)) << ", SetDisplayMode(640, 480, "
                               << bitsPerPixel << ") " << Hex(DWORD(mode));
        return mode == DD_OK;
    }

    // An offscreen surface, released when the test ends unless `owned` is false.
    IDirectDrawSurface* Offscreen(DWORD width, DWORD height, bool owned = true) {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = width;
        desc.dwHeight = height;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        IDirectDrawSurface* surface = nullptr;
        const HRESULT hr = ddraw_->CreateSurface(&desc, &surface, nullptr);
        EXPECT_EQ(DD_OK, hr) << "CreateSurface(" << width << " x " << height << ") gave " << Hex(DWORD(hr));
        if (surface && owned) {
            Keep(surface);
        }
        return surface;
    }

    // The primary surface; given `back`, a flip chain whose back buffer (from GetAttachedSurface) goes there. Both are
    // released when the test ends.
    IDirectDrawSurface* Primary(IDirectDrawSurface** back = nullptr) {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | (back ? DDSD_BACKBUFFERCOUNT : 0);
        desc.dwBackBufferCount = back ? 1 : 0;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | (back ? DDSCAPS_FLIP | DDSCAPS_COMPLEX : 0);
        IDirectDrawSurface* primary = nullptr;
        EXPECT_EQ(DD_OK, ddraw_->CreateSurface(&desc, &primary, nullptr)) << "primary surface";
        if (primary) {
            Keep(primary);
        }
        if (primary && back) {
            DDSCAPS caps{DDSCAPS_BACKBUFFER};
            *back = nullptr;
            EXPECT_EQ(DD_OK, primary->GetAttachedSurface(&caps, back));
            if (*back) {
                Keep(*back, 1);
            }
        }
        return primary;
    }

    // Releases `surface` when the test ends, expecting `referencesLeft` after it (a back buffer stays with its
    // flip chain until the primary goes).
    void Keep(IDirectDrawSurface* surface, ULONG referencesLeft = 0) { surfaces_.push_back({surface, referencesLeft}); }

    // A file name in the working directory, named after the test and removed when it ends.
    std::string FilePath(const std::string& name) {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        files_.push_back(std::string("tamberlyn_") + test->test_suite_name() + "_" + test->name() + "_" + name);
        return files_.back();
    }

    std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = FilePath(name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }

    std::string WriteBmp(const std::string& name, const bmptest::BmpParts& parts) {
        return WriteFile(name, bmptest::BuildBmp(parts));
    }

    // LoadImageA(NULL, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION), as the system loads images.
    HBITMAP Load(const std::string& path) {
        const auto bitmap = static_cast<HBITMAP>(
            LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
        if (bitmap) {
            bitmaps_.push_back(bitmap);
        }
        return bitmap;
    }

    HDC MemoryDC(HBITMAP selected = nullptr) {
        const HDC dc = CreateCompatibleDC(nullptr);
        EXPECT_NE(nullptr, dc) << "CreateCompatibleDC(NULL)";
        dcs_.push_back(dc);
        if (selected) {
            EXPECT_NE(nullptr, SelectObject(dc, selected)) << "selecting a loaded bitmap";
        }
        return dc;
    }

    IDirectDraw* ddraw_ = nullptr;

private:
    std::vector<HDC> dcs_;
    std::vector<HBITMAP> bitmaps_;
    std::vector<std::string> files_;
    struct KeptSurface {
        IDirectDrawSurface* surface;
        ULONG referencesLeft;
    };
    std::vector<KeptSurface> surfaces_;  // released in reverse order when the test ends
    std::vector<HWND> windows_;
};

}  // namespace apitest
