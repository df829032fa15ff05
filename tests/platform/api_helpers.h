// api_helpers.h -- shared pieces of the tests written against the Win32 and DirectDraw API alone: a window class
// whose procedure records messages, DirectDraw in exclusive mode, surface pixels read through Lock, clean-up.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace apitest {

// The recording procedure answers this message with kAnswer, so that DispatchMessageA's result can be checked.
constexpr UINT kAnswerMessage = WM_USER + 100;
constexpr LRESULT kAnswer = 0x1234;

inline std::vector<MSG>& Recorded() {
    static std::vector<MSG> messages;
    return messages;
}

inline LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Recorded().push_back(MSG{hwnd, message, wParam, lParam, 0, POINT{}});
    return message == kAnswerMessage ? kAnswer : DefWindowProcA(hwnd, message, wParam, lParam);
}

// Position of the first recorded `message` (with `wParam`, unless -1), or -1.
inline int RecordedIndex(UINT message, WPARAM wParam = WPARAM(-1)) {
    for (std::size_t i = 0; i < Recorded().size(); ++i) {
        if (Recorded()[i].message == message && (wParam == WPARAM(-1) || Recorded()[i].wParam == wParam)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

inline std::string Hex(std::uint64_t value) {
    std::ostringstream text;
    text << "0x" << std::hex << value;
    return text.str();
}

// The pixels of a surface, rows top-down; 32-bit pixels keep their low 24 bits (the top byte is undefined).
inline std::vector<std::vector<DWORD>> Pixels(IDirectDrawSurface* surface) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    const HRESULT hr = surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
    EXPECT_EQ(DD_OK, hr) << "Lock gave " << Hex(DWORD(hr));
    std::vector<std::vector<DWORD>> rows(SUCCEEDED(hr) ? desc.dwHeight : 0, std::vector<DWORD>(desc.dwWidth));
    for (DWORD y = 0; y < rows.size(); ++y) {
        const BYTE* row = static_cast<const BYTE*>(desc.lpSurface) + y * desc.lPitch;
        for (DWORD x = 0; x < desc.dwWidth; ++x) {
            rows[y][x] = desc.ddpfPixelFormat.dwRGBBitCount == 16 ? reinterpret_cast<const WORD*>(row)[x]
                                                                   : reinterpret_cast<const DWORD*>(row)[x] & 0xFFFFFF;
        }
    }
    if (SUCCEEDED(hr)) {
        surface->Unlock(desc.lpSurface);
    }
    return rows;
}

inline DWORD PixelAt(IDirectDrawSurface* surface, int x, int y) {
    const std::vector<std::vector<DWORD>> rows = Pixels(surface);
    return rows.empty() ? 0xDEADBEEF : rows[y][x];
}

// Writes valueOf(x, y) into every pixel of a 32-bit surface.
template <class ValueOf>
void WritePixels(IDirectDrawSurface* surface, ValueOf valueOf) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(DD_OK, surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
        DWORD* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(desc.lpSurface) + y * desc.lPitch);
        for (DWORD x = 0; x < desc.dwWidth; ++x) {
            row[x] = valueOf(int(x), int(y));
        }
    }
    surface->Unlock(desc.lpSurface);
}

inline HRESULT ColorFill(IDirectDrawSurface* surface, RECT* rect, DWORD color) {
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = color;
    return surface->Blt(rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

inline bool Holds(const RECT& rect, int x, int y) {
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

// Compares read(x, y) with expected(x, y) over `area`; one failure naming the count and the first difference.
template <class Read, class Expected>
void ExpectPixels(const std::string& what, const RECT& area, Read read, Expected expected) {
    int wrong = 0;
    std::string first;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const DWORD got = read(x, y);
            const DWORD want = expected(x, y);
            if (got != want && wrong++ == 0) {
                first = "(" + std::to_string(x) + "," + std::to_string(y) + ") expected " + Hex(want) +
                        " got " + Hex(got);
            }
        }
    }
    EXPECT_EQ(0, wrong) << what << ": " << wrong << " pixels differ, first at " << first;
}

// ExpectPixels over a surface, read once through Lock.
template <class Expected>
void ExpectSurfacePixels(const std::string& what, IDirectDrawSurface* surface, const RECT& area, Expected expected) {
    const std::vector<std::vector<DWORD>> rows = Pixels(surface);
    ASSERT_FALSE(rows.empty()) << what;
    ExpectPixels(what, area, [&](int x, int y) { return rows[y][x]; }, expected);
}

// A Rectangle call and what it paints: the brush inside `brush`, the pen over the rest of `pen` (half-open).
struct RectangleCase {
    const char* name;
    RECT drawn;
    int penWidth;
    RECT pen;
    RECT brush;
};

inline DWORD RectanglePixel(const RectangleCase& c, int x, int y, DWORD pen, DWORD brush, DWORD background) {
    return Holds(c.brush, x, y) ? brush : Holds(c.pen, x, y) ? pen : background;
}

// Rectangle with a new solid pen and brush, both deleted afterwards.
inline BOOL DrawRectangle(HDC dc, const RECT& rect, int penWidth, COLORREF penColor, COLORREF brushColor) {
    const HPEN pen = CreatePen(PS_SOLID, penWidth, penColor);
    const HBRUSH brush = CreateSolidBrush(brushColor);
    const HGDIOBJ oldPen = SelectObject(dc, pen);
    const HGDIOBJ oldBrush = SelectObject(dc, brush);
    const BOOL drawn = Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
    return drawn;
}

// Every test starts from an empty queue and leaves no window, DirectDraw object or surface behind it.
class ApiTest : public ::testing::Test {
protected:
    void SetUp() override { DrainQueue(); }

    void TearDown() override {
        for (auto it = surfaces_.rbegin(); it != surfaces_.rend(); ++it) {
            (*it)->Release();
        }
        if (ddraw_) {
            ddraw_->Release();
        }
        for (HWND window : windows_) {
            DestroyWindow(window);
        }
        DrainQueue();
        Recorded().clear();
    }

    static void DrainQueue() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // A hidden 640 x 480 pop-up window of the recording class.
    HWND NewWindow() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "TamberlynApiTest";
        RegisterClassA(&windowClass);  // fails harmlessly once registered
        const HWND window = CreateWindowExA(0, "TamberlynApiTest", "api test", WS_POPUP, 0, 0, 640, 480, nullptr,
                                            nullptr, GetModuleHandleA(nullptr), nullptr);
        EXPECT_NE(nullptr, window) << "CreateWindowExA failed";
        windows_.push_back(window);
        return window;
    }

    // A shown window owning DirectDraw in exclusive full-screen mode at 640 x 480 x bitsPerPixel.
    bool StartDirectDraw(DWORD bitsPerPixel) {
        const HWND window = NewWindow();
        ShowWindow(window, SW_SHOW);
        EXPECT_EQ(DD_OK, DirectDrawCreate(nullptr, &ddraw_, nullptr));
        if (!ddraw_) {
            return false;
        }
        const HRESULT level = ddraw_->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
        EXPECT_EQ(DD_OK, level) << "SetCooperativeLevel gave " << Hex(DWORD(level));
        const HRESULT mode = ddraw_->SetDisplayMode(640, 480, bitsPerPixel);
        EXPECT_EQ(DD_OK, mode) << "SetDisplayMode(640, 480, " << bitsPerPixel << ") gave " << Hex(DWORD(mode));
        return level == DD_OK && mode == DD_OK;
    }

    // Surfaces made through these are released in reverse order when the test ends.
    IDirectDrawSurface* Keep(IDirectDrawSurface* surface) {
        if (surface) {
            surfaces_.push_back(surface);
        }
        return surface;
    }

    IDirectDrawSurface* Create(DDSURFACEDESC desc) {
        IDirectDrawSurface* surface = nullptr;
        desc.dwSize = sizeof desc;
        const HRESULT hr = ddraw_->CreateSurface(&desc, &surface, nullptr);
        EXPECT_EQ(DD_OK, hr) << "CreateSurface(caps " << Hex(desc.ddsCaps.dwCaps) << ") gave " << Hex(DWORD(hr));
        return Keep(surface);
    }

    static DDSURFACEDESC OffscreenDesc(DWORD width, DWORD height) {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = width;
        desc.dwHeight = height;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        return desc;
    }

    IDirectDrawSurface* Offscreen(DWORD width, DWORD height) { return Create(OffscreenDesc(width, height)); }

    // The primary surface; with `flipping`, a flip chain with one back buffer.
    IDirectDrawSurface* Primary(bool flipping) {
        DDSURFACEDESC desc{};
        desc.dwFlags = DDSD_CAPS | (flipping ? DDSD_BACKBUFFERCOUNT : 0);
        desc.dwBackBufferCount = flipping ? 1 : 0;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | (flipping ? DDSCAPS_FLIP | DDSCAPS_COMPLEX : 0);
        return Create(desc);
    }

    IDirectDrawSurface* BackBuffer(IDirectDrawSurface* primary) {
        DDSCAPS caps{DDSCAPS_BACKBUFFER};
        IDirectDrawSurface* back = nullptr;
        EXPECT_EQ(DD_OK, primary->GetAttachedSurface(&caps, &back));
        return Keep(back);
    }

    IDirectDraw* ddraw_ = nullptr;

private:
    std::vector<HWND> windows_;
    std::vector<IDirectDrawSurface*> surfaces_;
};

}  // namespace apitest
