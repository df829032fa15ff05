// x_window_picture.h -- a window's picture kept on its X server at the picture's own size, and drawn into the window
// scaled by the server (its RENDER extension): the program sends 640 x 480 pixels a frame, not the whole screen's.
#pragma once

#include <SDL.h>
#include <pixman.h>

#include <cstdint>
#include <memory>

namespace plat {

class XWindowPicture {
public:
    // Null unless `window` is on an X display whose server has RENDER and takes 32-bit pixels in this machine's
    // byte order.
    static std::unique_ptr<XWindowPicture> Open(SDL_Window* window);
    ~XWindowPicture();
    XWindowPicture(const XWindowPicture&) = delete;
    XWindowPicture& operator=(const XWindowPicture&) = delete;

    // Memory for a `width` x `height` picture in x8r8g8b8, `*pitch` bytes a row, to be filled and then sent; null if
    // the server would not take it. Shared with the server where it runs on this machine: waits until the server
    // has read the last picture sent.
    std::uint32_t* Pixels(int width, int height, int* pitch);
    // The server keeps the filled pixels (until the next Send) and draws from them.
    void Send();
    // Draws what the server keeps onto `rect` of the window, nearest, each pixel from the picture's pixel
    // `transform` takes it to; and, if `bars`, the rest of the `windowWidth` x `windowHeight` window black.
    void Draw(const SDL_Rect& rect, const pixman_transform_t& transform, int windowWidth, int windowHeight, bool bars);

private:
    struct Server;
    explicit XWindowPicture(std::unique_ptr<Server> server);

    std::unique_ptr<Server> server_;
};

}  // namespace plat
