// dinput.cpp -- DirectInput 7: the system keyboard with the standard keyboard data format.
#include "com_object.h"
#include "keyboard_state.h"
#include "relay.h"
#include "user_window.h"

#include <dinput.h>

#include <cstring>

const GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_Key = {0x55728220, 0xD33C, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

namespace {

// 256 optional button objects, one byte each, at offsets 0..255: DirectInput's keyboard format.
DIOBJECTDATAFORMAT keyboardObjects[256];
const bool keyboardObjectsReady = [] {
    for (DWORD i = 0; i < 256; ++i) {
        keyboardObjects[i] = DIOBJECTDATAFORMAT{&GUID_Key, i, DIDFT_OPTIONAL | DIDFT_BUTTON | (i << 8), 0};
    }
    return true;
}();

}  // namespace

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 256, 256,
                                     keyboardObjects};

namespace plat {
namespace {

bool SameGuid(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class Keyboard final : public ComObject<IDirectInputDeviceA> {
public:
    Keyboard() : ComObject("IDirectInputDevice", "keyboard") {}

    HRESULT STDMETHODCALLTYPE Acquire() override {
        return relay::CallHr(
            "IDirectInputDevice::Acquire",
            [&]() -> HRESULT {
                if (!formatSet_) {
                    return DIERR_INVALIDPARAM;
                }
                if (foregroundOnly_ && !windows::AppActive()) {
                    return static_cast<HRESULT>(0x80070005L);  // E_ACCESSDENIED: another program has the keyboard
                }
                acquired_ = true;
                return DI_OK;
            },
            Self());
    }
    HRESULT STDMETHODCALLTYPE Unacquire() override {
        return relay::CallHr(
            "IDirectInputDevice::Unacquire",
            [&]() -> HRESULT {
                if (!acquired_) {
                    return DI_NOEFFECT;
                }
                acquired_ = false;
                return DI_OK;
            },
            Self());
    }
    HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD cbData, LPVOID lpvData) override {
        return relay::CallHr(
            "IDirectInputDevice::GetDeviceState",
            [&]() -> HRESULT {
                if (!lpvData || cbData != 256) {
                    return DIERR_INVALIDPARAM;
                }
                if (!acquired_) {
                    return DIERR_NOTACQUIRED;
                }
                if (foregroundOnly_ && !windows::AppActive()) {
                    acquired_ = false;  // a foreground device is lost with the focus
                    return DIERR_INPUTLOST;
                }
                std::memcpy(lpvData, keyboard::State(), 256);
                return DI_OK;
            },
            Self(), cbData);
    }
    HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT lpdf) override {
        return relay::CallHr(
            "IDirectInputDevice::SetDataFormat",
            [&]() -> HRESULT {
                if (!lpdf || lpdf->dwDataSize != 256 || lpdf->dwObjSize != sizeof(DIOBJECTDATAFORMAT)) {
                    return DIERR_INVALIDPARAM;  // only the standard keyboard format is understood here
                }
                if (acquired_) {
                    return static_cast<HRESULT>(0x800700AAL);  // DIERR_ACQUIRED
                }
                formatSet_ = true;
                return DI_OK;
            },
            Self(), lpdf == &c_dfDIKeyboard ? relay::Text{"c_dfDIKeyboard"} : relay::Text{"other"});
    }
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND hwnd, DWORD dwFlags) override {
        return relay::CallHr(
            "IDirectInputDevice::SetCooperativeLevel",
            [&]() -> HRESULT {
                const bool exclusive = dwFlags & DISCL_EXCLUSIVE, shared = dwFlags & DISCL_NONEXCLUSIVE;
                const bool foreground = dwFlags & DISCL_FOREGROUND, background = dwFlags & DISCL_BACKGROUND;
                if (exclusive == shared || foreground == background || !windows::Find(hwnd)) {
                    return DIERR_INVALIDPARAM;
                }
                foregroundOnly_ = foreground;
                return DI_OK;
            },
            Self(), static_cast<const void*>(hwnd), relay::Hex(dwFlags));
    }

private:
    bool formatSet_ = false;
    bool acquired_ = false;
    bool foregroundOnly_ = false;
};

class DirectInput final : public ComObject<IDirectInputA> {
public:
    DirectInput() : ComObject("IDirectInput", "dinput") {}

    HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID rguid, LPDIRECTINPUTDEVICEA* lplpDirectInputDevice,
                                           LPUNKNOWN pUnkOuter) override {
        return relay::CallHr(
            "IDirectInput::CreateDevice",
            [&]() -> HRESULT {
                if (!lplpDirectInputDevice || pUnkOuter) {
                    return DIERR_INVALIDPARAM;
                }
                if (!SameGuid(rguid, GUID_SysKeyboard)) {
                    return DIERR_DEVICENOTREG;  // the keyboard is the only device here
                }
                *lplpDirectInputDevice = new Keyboard;
                return DI_OK;
            },
            Self(), SameGuid(rguid, GUID_SysKeyboard) ? relay::Text{"GUID_SysKeyboard"} : relay::Text{"other"},
            lplpDirectInputDevice, static_cast<const void*>(pUnkOuter));
    }
};

}  // namespace
}  // namespace plat

HRESULT WINAPI DirectInputCreateA(HINSTANCE hinst, DWORD dwVersion, LPDIRECTINPUTA* lplpDirectInput,
                                  LPUNKNOWN punkOuter) {
    return relay::CallHr(
        "DirectInputCreateA",
        [&]() -> HRESULT {
            if (!lplpDirectInput || punkOuter) {
                return DIERR_INVALIDPARAM;
            }
            if (dwVersion < 0x0300) {
                return DIERR_OLDDIRECTINPUTVERSION;
            }
            *lplpDirectInput = new plat::DirectInput;
            return DI_OK;
        },
        static_cast<const void*>(hinst), relay::Hex(dwVersion), lplpDirectInput, static_cast<const void*>(punkOuter));
}
