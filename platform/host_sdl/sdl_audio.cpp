// sdl_audio.cpp -- the default audio output through SDL, playing silence while started.
#include "sdl_host.h"

#include <cstring>

namespace plat::sdl {
namespace {

// Nothing is mixed into the primary buffer: it plays silence.
void Silence(void*, Uint8* stream, int length) {
    std::memset(stream, 0, static_cast<std::size_t>(length));
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
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return nullptr;
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
        return nullptr;
    }
    return std::make_unique<SdlAudioOutput>(device);
}

}  // namespace plat::sdl
