// dsound.h -- the DirectSound subset Tamberlyn calls, for hosts without Windows.
#pragma once

#include <windows.h>

#define _FACDS 0x878
#define MAKE_DSHRESULT(code) MAKE_HRESULT(1, _FACDS, code)

#define DS_OK S_OK
#define DSERR_GENERIC E_FAIL
#define DSERR_INVALIDPARAM E_INVALIDARG
#define DSERR_ALLOCATED MAKE_DSHRESULT(10)
#define DSERR_PRIOLEVELNEEDED MAKE_DSHRESULT(70)
#define DSERR_NODRIVER MAKE_DSHRESULT(120)
#define DSERR_UNINITIALIZED MAKE_DSHRESULT(170)

#define DSSCL_NORMAL 1
#define DSSCL_PRIORITY 2
#define DSSCL_EXCLUSIVE 3

#define DSBCAPS_PRIMARYBUFFER 0x00000001
#define DSBPLAY_LOOPING 0x00000001
#define DSBSTATUS_PLAYING 0x00000001
#define DSBSTATUS_LOOPING 0x00000004

typedef struct tWAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
} WAVEFORMATEX, *LPWAVEFORMATEX;

// 36 bytes on a 32-bit host; lpwfxFormat makes it larger on a 64-bit one.
typedef struct _DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwReserved;
    LPWAVEFORMATEX lpwfxFormat;
    GUID guid3DAlgorithm;
} DSBUFFERDESC, *LPDSBUFFERDESC;
typedef const DSBUFFERDESC* LPCDSBUFFERDESC;

class IDirectSoundBuffer;
typedef IDirectSoundBuffer* LPDIRECTSOUNDBUFFER;

class IDirectSound : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC lpcDSBufferDesc,
                                                        LPDIRECTSOUNDBUFFER* lplpDirectSoundBuffer,
                                                        IUnknown* pUnkOuter) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND hwnd, DWORD dwLevel) = 0;
};
typedef IDirectSound* LPDIRECTSOUND;

class IDirectSoundBuffer : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE GetStatus(LPDWORD lpdwStatus) = 0;
    virtual HRESULT STDMETHODCALLTYPE Play(DWORD dwReserved1, DWORD dwReserved2, DWORD dwFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
};

HRESULT WINAPI DirectSoundCreate(LPCGUID lpcGuid, LPDIRECTSOUND* ppDS, LPUNKNOWN pUnkOuter);
