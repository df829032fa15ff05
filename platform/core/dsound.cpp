// dsound.cpp -- DirectSound on the host's audio: the default output and a primary buffer that plays silence.
#include "com_object.h"
#include "platform_state.h"
#include "relay.h"
#include "user_window.h"

#include <dsound.h>

#include <cstddef>
#include <memory>

namespace plat {
namespace {

constexpr DWORD kLegacyBufferDescSize = offsetof(DSBUFFERDESC, guid3DAlgorithm);

class PrimaryBuffer final : public ComObject<IDirectSoundBuffer> {
public:
    // The program may keep its buffer after releasing DirectSound, which closes the output.
    explicit PrimaryBuffer(std::weak_ptr<AudioOutput> output)
        : ComObject("IDirectSoundBuffer", "soundbuffer"), output_(std::move(output)) {}
    ~PrimaryBuffer() override { SetPlaying(false); }

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
                SetPlaying(true);
                return DS_OK;
            },
            Self(), dwReserved1, dwReserved2, relay::Hex(dwFlags));
    }
    HRESULT STDMETHODCALLTYPE Stop() override {
        return relay::CallHr(
            "IDirectSoundBuffer::Stop",
            [&]() -> HRESULT {
                SetPlaying(false);
                return DS_OK;
            },
            Self());
    }

private:
    void SetPlaying(bool playing) {
        playing_ = playing;
        if (const auto output = output_.lock()) {
            output->SetPlaying(playing);
        }
    }

    std::weak_ptr<AudioOutput> output_;
    bool playing_ = false;
};

class DirectSound final : public ComObject<IDirectSound> {
public:
    explicit DirectSound(std::unique_ptr<AudioOutput> output)
        : ComObject("IDirectSound", "dsound"), output_(std::move(output)) {}

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
                *lplpBuffer = new PrimaryBuffer(output_);
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
    std::shared_ptr<AudioOutput> output_;
    DWORD cooperativeLevel_ = 0;
};

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
            std::unique_ptr<plat::AudioOutput> output = plat::TheHost().OpenAudio();
            if (!output) {
                return DSERR_NODRIVER;
            }
            *ppDS = new plat::DirectSound(std::move(output));
            return DS_OK;
        },
        lpcGuid, ppDS, static_cast<const void*>(pUnkOuter));
}
