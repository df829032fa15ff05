// dinput.h -- the DirectInput 7 keyboard subset Tamberlyn calls, for hosts without Windows.
#pragma once

#include <windows.h>

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0700
#endif

#define DI_OK S_OK
#define DI_NOEFFECT S_FALSE
#define DIERR_INVALIDPARAM E_INVALIDARG
#define DIERR_NOTINITIALIZED ((HRESULT)0x80070015L)
#define DIERR_INPUTLOST ((HRESULT)0x8007001EL)
#define DIERR_NOTACQUIRED ((HRESULT)0x8007000CL)
#define DIERR_OLDDIRECTINPUTVERSION ((HRESULT)0x8007047EL)
#define DIERR_DEVICENOTREG ((HRESULT)0x80040154L)

#define DISCL_EXCLUSIVE 0x00000001
#define DISCL_NONEXCLUSIVE 0x00000002
#define DISCL_FOREGROUND 0x00000004
#define DISCL_BACKGROUND 0x00000008

#define DIDFT_BUTTON 0x0000000C
#define DIDFT_ANYINSTANCE 0x00FFFF00
#define DIDFT_OPTIONAL 0x80000000
#define DIDF_RELAXIS 0x00000002

#define DIK_ESCAPE 0x01
#define DIK_1 0x02
#define DIK_0 0x0B
#define DIK_BACK 0x0E
#define DIK_TAB 0x0F
#define DIK_Q 0x10
#define DIK_RETURN 0x1C
#define DIK_LCONTROL 0x1D
#define DIK_A 0x1E
#define DIK_LSHIFT 0x2A
#define DIK_Z 0x2C
#define DIK_RSHIFT 0x36
#define DIK_LMENU 0x38
#define DIK_SPACE 0x39
#define DIK_F1 0x3B
#define DIK_F4 0x3E
#define DIK_RCONTROL 0x9D
#define DIK_SYSRQ 0xB7
#define DIK_RMENU 0xB8
#define DIK_UP 0xC8
#define DIK_LEFT 0xCB
#define DIK_RIGHT 0xCD
#define DIK_DOWN 0xD0

typedef struct _DIOBJECTDATAFORMAT {
    const GUID* pguid;
    DWORD dwOfs;
    DWORD dwType;
    DWORD dwFlags;
} DIOBJECTDATAFORMAT, *LPDIOBJECTDATAFORMAT;

typedef struct _DIDATAFORMAT {
    DWORD dwSize;
    DWORD dwObjSize;
    DWORD dwFlags;
    DWORD dwDataSize;
    DWORD dwNumObjs;
    LPDIOBJECTDATAFORMAT rgodf;
} DIDATAFORMAT, *LPDIDATAFORMAT;
typedef const DIDATAFORMAT* LPCDIDATAFORMAT;

class IDirectInputDeviceA : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE Acquire() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unacquire() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD cbData, LPVOID lpvData) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT lpdf) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND hwnd, DWORD dwFlags) = 0;
};
typedef IDirectInputDeviceA* LPDIRECTINPUTDEVICEA;

class IDirectInputA : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID rguid, LPDIRECTINPUTDEVICEA* lplpDirectInputDevice,
                                                   LPUNKNOWN pUnkOuter) = 0;
};
typedef IDirectInputA* LPDIRECTINPUTA;

// The ANSI forms, as the SDK maps them without UNICODE
#define IDirectInput IDirectInputA
#define IDirectInputDevice IDirectInputDeviceA
#define LPDIRECTINPUT LPDIRECTINPUTA
#define LPDIRECTINPUTDEVICE LPDIRECTINPUTDEVICEA

extern const GUID GUID_SysKeyboard;
extern const GUID GUID_Key;
extern const DIDATAFORMAT c_dfDIKeyboard;

HRESULT WINAPI DirectInputCreateA(HINSTANCE hinst, DWORD dwVersion, LPDIRECTINPUTA* lplpDirectInput,
                                  LPUNKNOWN punkOuter);
