// web_page.cpp -- the browser host's calls into its page: each passes its arguments to Module.page (page.js) and
// brings back what the page answers. The waiting ones suspend the program (Asyncify) until the page's promise settles.
#include "web_page.h"

#include <emscripten.h>

#include <cstdlib>

// clang-format off
EM_JS(void, tamberlyn_page_show_screen, (const char* scaling, const char* windowMode), {
    Module.page.showScreen(UTF8ToString(scaling), UTF8ToString(windowMode));
});
EM_JS(void, tamberlyn_page_present, (const std::uint8_t* rgba, int width, int height), {
    Module.page.present(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height);
});
EM_JS(void, tamberlyn_page_set_cursor_visible, (int visible), {
    Module.page.setCursorVisible(visible != 0);
});
EM_JS(void, tamberlyn_page_toggle_full_screen, (), {
    Module.page.toggleFullScreen();
});
// fields: kind, character, down, repeat, alt, control, numLock, active.
EM_JS(int, tamberlyn_page_next_event, (int* fields, char* code, int codeSize), {
    const event = Module.page.events.shift();
    if (!event) return 0;
    const values = [event.kind === 'key' ? 1 : 2, event.character || 0, event.down, event.repeat, event.alt,
                    event.control, event.numLock, event.active];
    values.forEach((value, i) => { HEAP32[(fields >> 2) + i] = value ? Number(value) : 0; });
    stringToUTF8(event.code || "", code, codeSize);
    return 1;
});
EM_ASYNC_JS(int, tamberlyn_page_wait, (double milliseconds, int untilInput), {
    return (await Module.page.wait(milliseconds, untilInput != 0)) ? 1 : 0;
});
EM_ASYNC_JS(void, tamberlyn_page_wait_for_animation_frame, (double capMilliseconds), {
    await Module.page.waitForAnimationFrame(capMilliseconds);
});
EM_ASYNC_JS(void, tamberlyn_page_message_box, (const char* text, const char* caption, const char* icon), {
    await Module.page.messageBox(UTF8ToString(text), UTF8ToString(caption), UTF8ToString(icon));
});
EM_JS(int, tamberlyn_page_open_audio, (), {
    return Module.page.openAudio() ? 1 : 0;
});
EM_JS(void, tamberlyn_page_set_audio_playing, (int playing), {
    Module.page.setAudioPlaying(playing != 0);
});
EM_JS(void, tamberlyn_page_close_audio, (), {
    Module.page.closeAudio();
});
EM_JS(void, tamberlyn_page_picture_saved, (const char* name, const std::uint8_t* bytes, int size), {
    Module.page.pictureSaved(UTF8ToString(name), HEAPU8.slice(bytes, bytes + size));
});
EM_JS(int, tamberlyn_page_argument_count, (), {
    return Module.page.arguments.length;
});
EM_JS(char*, tamberlyn_page_argument, (int index), {
    return allocateUTF8(Module.page.arguments[index]);
});
// clang-format on

namespace plat::web::page {

void ShowScreen(const char* scaling, const char* windowMode) {
    tamberlyn_page_show_screen(scaling, windowMode);
}

void Present(const std::uint8_t* rgba, int width, int height) {
    tamberlyn_page_present(rgba, width, height);
}

void SetCursorVisible(bool visible) {
    tamberlyn_page_set_cursor_visible(visible);
}

void ToggleFullScreen() {
    tamberlyn_page_toggle_full_screen();
}

Event NextEvent() {
    int fields[8] = {};
    char code[32] = {};
    Event event;
    if (!tamberlyn_page_next_event(fields, code, sizeof code)) {
        return event;
    }
    event.kind = fields[0] == 1 ? Event::kKey : Event::kActive;
    event.code = code;
    event.character = fields[1];
    event.down = fields[2] != 0;
    event.repeat = fields[3] != 0;
    event.alt = fields[4] != 0;
    event.control = fields[5] != 0;
    event.numLock = fields[6] != 0;
    event.active = fields[7] != 0;
    return event;
}

bool Wait(double milliseconds, bool untilInput) {
    return tamberlyn_page_wait(milliseconds, untilInput) != 0;
}

void WaitForAnimationFrame(double capMilliseconds) {
    tamberlyn_page_wait_for_animation_frame(capMilliseconds);
}

void MessageBox(const char* text, const char* caption, const char* icon) {
    tamberlyn_page_message_box(text, caption, icon);
}

bool OpenAudio() {
    return tamberlyn_page_open_audio() != 0;
}

void SetAudioPlaying(bool playing) {
    tamberlyn_page_set_audio_playing(playing);
}

void CloseAudio() {
    tamberlyn_page_close_audio();
}

void PictureSaved(const std::string& name, const std::vector<std::uint8_t>& bmp) {
    tamberlyn_page_picture_saved(name.c_str(), bmp.data(), static_cast<int>(bmp.size()));
}

std::vector<std::string> Arguments() {
    std::vector<std::string> arguments;
    const int count = tamberlyn_page_argument_count();
    for (int i = 0; i < count; ++i) {
        char* argument = tamberlyn_page_argument(i);
        arguments.emplace_back(argument);
        std::free(argument);
    }
    return arguments;
}

}  // namespace plat::web::page
