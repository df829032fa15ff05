// sdl_picture_rect.cpp -- fitting the picture into the window: fit, whole multiples or stretched.
#include "sdl_picture_rect.h"

#include <algorithm>

namespace plat {
namespace {

SDL_Rect Centred(int width, int height, int areaWidth, int areaHeight) {
    return SDL_Rect{(areaWidth - width) / 2, (areaHeight - height) / 2, width, height};
}

SDL_Rect Fitted(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight) {
    // 64-bit products: areas and pictures of any int size compare without overflow.
    const long long byWidth = static_cast<long long>(areaWidth) * pictureHeight;
    const long long byHeight = static_cast<long long>(areaHeight) * pictureWidth;
    if (byWidth <= byHeight) {
        const int height = static_cast<int>((byWidth + pictureWidth / 2) / pictureWidth);
        return Centred(areaWidth, std::max(height, 1), areaWidth, areaHeight);
    }
    const int width = static_cast<int>((byHeight + pictureHeight / 2) / pictureHeight);
    return Centred(std::max(width, 1), areaHeight, areaWidth, areaHeight);
}

}  // namespace

SDL_Rect PictureRect(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight, Scaling scaling) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) {
        return SDL_Rect{0, 0, 0, 0};
    }
    switch (scaling) {
        case Scaling::Stretch:
            return SDL_Rect{0, 0, areaWidth, areaHeight};
        case Scaling::Integer:
            if (const int factor = std::min(areaWidth / pictureWidth, areaHeight / pictureHeight); factor >= 1) {
                return Centred(pictureWidth * factor, pictureHeight * factor, areaWidth, areaHeight);
            }
            break;
        case Scaling::Fit:
            break;
    }
    return Fitted(pictureWidth, pictureHeight, areaWidth, areaHeight);
}

int Margins(const SDL_Rect& rect, int areaWidth, int areaHeight, SDL_Rect margins[4]) {
    if (rect.w <= 0 || rect.h <= 0) {
        margins[0] = SDL_Rect{0, 0, areaWidth, areaHeight};
        return 1;
    }
    int count = 0;
    const int below = rect.y + rect.h;
    const int right = rect.x + rect.w;
    if (rect.y > 0) {
        margins[count++] = SDL_Rect{0, 0, areaWidth, rect.y};
    }
    if (below < areaHeight) {
        margins[count++] = SDL_Rect{0, below, areaWidth, areaHeight - below};
    }
    if (rect.x > 0) {
        margins[count++] = SDL_Rect{0, rect.y, rect.x, rect.h};
    }
    if (right < areaWidth) {
        margins[count++] = SDL_Rect{right, rect.y, areaWidth - right, rect.h};
    }
    return count;
}

}  // namespace plat
