# The emulation on SDL2 and pixman, for desktops without Windows: the core, the SDL host and the null host.
find_package(SDL2 REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(PIXMAN REQUIRED IMPORTED_TARGET pixman-1)

include(cmake/platform_core.cmake)
tamberlyn_platform_library(tamberlyn_platform
    platform/host_null/null_host.cpp
    platform/host_sdl/sdl_audio.cpp
    platform/host_sdl/sdl_events.cpp
    platform/host_sdl/sdl_host.cpp
    platform/host_sdl/sdl_message_box.cpp
    platform/host_sdl/sdl_picture_drawer.cpp
    platform/host_sdl/sdl_picture_rect.cpp
    platform/host_sdl/sdl_presenter.cpp
    platform/host_sdl/sdl_redraw_watch.cpp
    platform/host_sdl/sdl_renderer_presenter.cpp
    platform/host_sdl/sdl_screen.cpp
    platform/host_sdl/sdl_surface_presenter.cpp
)
target_include_directories(tamberlyn_platform PRIVATE
    ${PROJECT_SOURCE_DIR}/platform/host_null ${PROJECT_SOURCE_DIR}/platform/host_sdl)
target_link_libraries(tamberlyn_platform PUBLIC SDL2::SDL2 PkgConfig::PIXMAN)
# On X (where SDL has it): frames scaled by the X server. Built where Xlib and its RENDER and shared-memory
# extensions are (not on macOS, where SDL has no X).
find_package(X11)
if(X11_FOUND AND X11_Xext_FOUND AND X11_Xrender_FOUND AND NOT APPLE)
    target_sources(tamberlyn_platform PRIVATE
        platform/host_sdl/sdl_x_presenter.cpp
        platform/host_sdl/x_nearest_transform.cpp
        platform/host_sdl/x_shared_image.cpp
        platform/host_sdl/x_window_picture.cpp)
    target_compile_definitions(tamberlyn_platform PRIVATE TAMBERLYN_X_PRESENTER)
    target_link_libraries(tamberlyn_platform PUBLIC X11::X11 X11::Xext X11::Xrender)
else()
    message(STATUS "Xlib, Xext or Xrender missing: frames on X go through SDL's window surface")
endif()
add_library(tamberlyn::platform ALIAS tamberlyn_platform)
tamberlyn_diagnostics_library(tamberlyn_platform)

list(APPEND TAMBERLYN_PLATFORM_INTERNALS
    ${PROJECT_SOURCE_DIR}/platform/host_null ${PROJECT_SOURCE_DIR}/platform/host_sdl)
