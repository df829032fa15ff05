# Our own Win32/DirectX layer on SDL2 and pixman, for hosts without Windows.
find_package(SDL2 REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(PIXMAN REQUIRED IMPORTED_TARGET pixman-1)

add_library(tamberlyn_platform STATIC
    platform/sdl/bmp_decoder.cpp
    platform/sdl/canvas.cpp
    platform/sdl/capture.cpp
    platform/sdl/ddraw.cpp
    platform/sdl/ddraw_surface.cpp
    platform/sdl/diagnostics.cpp
    platform/sdl/dinput.cpp
    platform/sdl/display.cpp
    platform/sdl/draw_picture.cpp
    platform/sdl/dsound.cpp
    platform/sdl/events.cpp
    platform/sdl/frame_script.cpp
    platform/sdl/gdi_calls.cpp
    platform/sdl/gdi_draw.cpp
    platform/sdl/gdi_objects.cpp
    platform/sdl/kernel.cpp
    platform/sdl/key_map.cpp
    platform/sdl/keyboard_state.cpp
    platform/sdl/load_image.cpp
    platform/sdl/message_queue.cpp
    platform/sdl/picture_rect.cpp
    platform/sdl/pixel_rows.cpp
    platform/sdl/presenter.cpp
    platform/sdl/relay.cpp
    platform/sdl/renderer_presenter.cpp
    platform/sdl/screen.cpp
    platform/sdl/settings.cpp
    platform/sdl/stretch_blit.cpp
    platform/sdl/surface_presenter.cpp
    platform/sdl/window_table.cpp
    platform/sdl/winsock.cpp
)
target_include_directories(tamberlyn_platform
    PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/platform/winapi
    PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/platform/sdl)
target_link_libraries(tamberlyn_platform PUBLIC SDL2::SDL2 PkgConfig::PIXMAN)
add_library(tamberlyn::platform ALIAS tamberlyn_platform)

# What the program adds on this host: the language runtime's start-up, main() calling WinMain. Tests bring their
# own main.
set(TAMBERLYN_PROGRAM_SOURCES platform/sdl/startup.cpp)
