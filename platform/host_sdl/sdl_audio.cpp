// sdl_audio.cpp -- the default audio output through SDL, playing silence while started; without a sound card, one
// line saying so.
#include "sdl_host.h"

#include "log.h"

#include <dlfcn.h>

#include <cstring>
#include <mutex>

namespace plat::sdl {
namespace {

// Nothing is mixed into the primary buffer: it plays silence.
void Silence(void*, Uint8* stream, int length) {
    std::memset(stream, 0, static_cast<std::size_t>(length));
}

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// ALSA's library writes its errors to standard error, eight lines when there is no sound card, unless it is given
// a handler. SDL loads the same library, so a handler set here, before SDL opens it, quiets SDL's use too; SDL still
// reports the failure itself. The library stays loaded for the run, as SDL's use keeps it.
void QuietAlsa() {
    using ErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    if (void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL)) {
        if (auto setHandler = reinterpret_cast<int (*)(ErrorHandler)>(dlsym(alsa, "snd_lib_error_set_handler"))) {
            setHandler(IgnoreAlsaError);
        }
    }
}

// The one line a run without sound gets; SDL's reason in it.
std::unique_ptr<AudioOutput> NoSound() {
    WarnOnce("no sound (%s); running without it", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
}

class SdlAudioOutput final : public AudioOutput {
public:
    explicit SdlAudioOutput(SDL_AudioDeviceID device) : device_(device) {}
    ~SdlAudioOutput() override {
        SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

    void SetPlaying(bool playing) override { SDL_PauseAudioDevice(device_, playing ? 0 : 1); }

private:
    SDL_AudioDeviceID device_;
};

}  // namespace

std::unique_ptr<AudioOutput> SdlHost::OpenAudio() {
    static std::once_flag quieted;
    std::call_once(quieted, QuietAlsa);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return NoSound();
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
        return NoSound();
    }
    return std::make_unique<SdlAudioOutput>(device);
}

}  // namespace plat::sdl
