// dsound.cpp -- DirectSound on SDL audio: the default output device and a primary buffer that plays silence.
#include "com_object.h"
#include "relay.h"
#include "window_table.h"

#include <dsound.h>

#include <SDL.h>

#include <cstring>

namespace plat {
namespace {

constexpr DWORD kLegacyBufferDescSize = offsetof(DSBUFFERDESC, guid3DAlgorithm);

// Nothing is mixed into the primary buffer: it plays silence.
void Silence(void*, Uint8* stream, int length) {
    std::memset(stream, 0, static_cast<std::size_t>(length));
}

class PrimaryBuffer final : public ComObject<IDirectSoundBuffer> {
public:
    explicit PrimaryBuffer(SDL_AudioDeviceID device)
        : ComObject("IDirectSoundBuffer", "soundbuffer"), device_(device) {}
    ~PrimaryBuffer() override { SDL_PauseAudioDevice(device_, 1); }

    HRESULT STDMETHODCALLTYPE GetStatus(LPDWORD lpdwStatus) override {
        return relay::CallHr(
            "IDirectSoundBuffer::GetStatus",
            [&]() -> HRESULT {
                if (!lpdwStatus) {
                    return DSERR_INVALIDPARAM;
                }
                *lpdwStatus = playing_ ? DSBSTATUS_PLAYING | DSBSTATUS_LOOPING : 0;
                return DS_OK;
            },
            Self());
    }
    HRESULT STDMETHODCALLTYPE Play(DWORD dwReserved1, DWORD dwReserved2, DWORD dwFlags) override {
        return relay::CallHr(
            "IDirectSoundBuffer::Play",
            [&]() -> HRESULT {
                if (!(dwFlags & DSBPLAY_LOOPING)) {
                    return DSERR_INVALIDPARAM;  // a primary buffer only plays looping
                }
                playing_ = true;
                SDL_PauseAudioDevice(device_, 0);
                return DS_OK;
            },
            Self(), dwReserved1, dwReserved2, relay::Hex(dwFlags));
    }
    HRESULT STDMETHODCALLTYPE Stop() override {
        return relay::CallHr(
            "IDirectSoundBuffer::Stop",
            [&]() -> HRESULT {
                playing_ = false;
                SDL_PauseAudioDevice(device_, 1);
                return DS_OK;
            },
            Self());
    }

private:
    SDL_AudioDeviceID device_;
    bool playing_ = false;
};

class DirectSound final : public ComObject<IDirectSound> {
public:
    explicit DirectSound(SDL_AudioDeviceID device) : ComObject("IDirectSound", "dsound"), device_(device) {}
    ~DirectSound() override {
        SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC lpcDSBufferDesc, LPDIRECTSOUNDBUFFER* lplpBuffer,
                                                IUnknown* pUnkOuter) override {
        return relay::CallHr(
            "IDirectSound::CreateSoundBuffer",
            [&]() -> HRESULT {
                if (!lpcDSBufferDesc || !lplpBuffer || pUnkOuter) {
                    return DSERR_INVALIDPARAM;
                }
                const DSBUFFERDESC& desc = *lpcDSBufferDesc;
                if (desc.dwSize != sizeof(DSBUFFERDESC) && desc.dwSize != kLegacyBufferDescSize) {
                    return DSERR_INVALIDPARAM;
                }
                if (!cooperativeLevel_) {
                    return DSERR_UNINITIALIZED;
                }
                // Secondary buffers would need mixing; the primary buffer is all there is here.
                if (!(desc.dwFlags & DSBCAPS_PRIMARYBUFFER) || desc.dwBufferBytes != 0 || desc.lpwfxFormat) {
                    return DSERR_INVALIDPARAM;
                }
                *lplpBuffer = new PrimaryBuffer(device_);
                return DS_OK;
            },
            Self(), relay::Hex(lpcDSBufferDesc ? lpcDSBufferDesc->dwFlags : 0), lplpBuffer,
            static_cast<const void*>(pUnkOuter));
    }
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND hwnd, DWORD dwLevel) override {
        return relay::CallHr(
            "IDirectSound::SetCooperativeLevel",
            [&]() -> HRESULT {
                if ((!windows::Find(hwnd) && hwnd != windows::Desktop()) || dwLevel < DSSCL_NORMAL ||
                    dwLevel > DSSCL_EXCLUSIVE + 1) {
                    return DSERR_INVALIDPARAM;
                }
                cooperativeLevel_ = dwLevel;
                return DS_OK;
            },
            Self(), static_cast<const void*>(hwnd), dwLevel);
    }

private:
    SDL_AudioDeviceID device_;
    DWORD cooperativeLevel_ = 0;
};

// Opens the default output, paused. Zero when there is no audio device.
SDL_AudioDeviceID OpenDefaultOutput() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return 0;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = 22050;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = 1024;
    wanted.callback = Silence;
    SDL_AudioSpec got{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &got, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    return device;
}

}  // namespace
}  // namespace plat

HRESULT WINAPI DirectSoundCreate(LPCGUID lpcGuid, LPDIRECTSOUND* ppDS, LPUNKNOWN pUnkOuter) {
    return relay::CallHr(
        "DirectSoundCreate",
        [&]() -> HRESULT {
            if (!ppDS || pUnkOuter) {
                return DSERR_INVALIDPARAM;
            }
            *ppDS = nullptr;
            if (lpcGuid) {
                return DSERR_NODRIVER;  // only the default device is known
            }
            const SDL_AudioDeviceID device = plat::OpenDefaultOutput();
            if (device == 0) {
                return DSERR_NODRIVER;
            }
            *ppDS = new plat::DirectSound(device);
            return DS_OK;
        },
        lpcGuid, ppDS, static_cast<const void*>(pUnkOuter));
}
