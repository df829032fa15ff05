# The emulation of Win32 and DirectX that hosts without Windows share: no SDL, no browser, only platform/host.h.
# A host's platform file makes the library from these sources and its own.
set(TAMBERLYN_CORE_SOURCES
    platform/core/bmp_decoder.cpp
    platform/core/bmp_encoder.cpp
    platform/core/canvas.cpp
    platform/core/capture.cpp
    platform/core/ddraw.cpp
    platform/core/ddraw_surface.cpp
    platform/core/dinput.cpp
    platform/core/display.cpp
    platform/core/dsound.cpp
    platform/core/flash_limiter.cpp
    platform/core/frame_script.cpp
    platform/core/gdi_calls.cpp
    platform/core/gdi_draw.cpp
    platform/core/gdi_objects.cpp
    platform/core/host.cpp
    platform/core/indexed_colors.cpp
    platform/core/input.cpp
    platform/core/kernel.cpp
    platform/core/key_map.cpp
    platform/core/keyboard_state.cpp
    platform/core/log.cpp
    platform/core/parse.cpp
    platform/core/pixel_rows.cpp
    platform/core/photosensitivity_warning.cpp
    platform/core/platform_state.cpp
    platform/core/relay.cpp
    platform/core/settings.cpp
    platform/core/settings_table.cpp
    platform/core/stretch_blit.cpp
    platform/core/user_image.cpp
    platform/core/user_message.cpp
    platform/core/user_screen.cpp
    platform/core/user_window.cpp
    platform/core/winsock.cpp
)

# Makes `target` the platform library from the core and `host_sources`, which see the core's headers.
function(tamberlyn_platform_library target)
    add_library(${target} STATIC ${TAMBERLYN_CORE_SOURCES} ${ARGN})
    target_include_directories(${target}
        PUBLIC ${PROJECT_SOURCE_DIR}/platform/winapi
        PRIVATE ${PROJECT_SOURCE_DIR}/platform ${PROJECT_SOURCE_DIR}/platform/core)
    target_compile_definitions(${target} PRIVATE TAMBERLYN_VERSION="${PROJECT_VERSION}")
endfunction()

# The tests' and tools' door into the platform (diagnostics.h), and nothing else of its insides.
function(tamberlyn_diagnostics_library platform)
    add_library(tamberlyn_diagnostics STATIC ${PROJECT_SOURCE_DIR}/platform/diagnostics/diagnostics.cpp)
    target_include_directories(tamberlyn_diagnostics
        PUBLIC ${PROJECT_SOURCE_DIR}/platform/diagnostics
        PRIVATE ${PROJECT_SOURCE_DIR}/platform ${PROJECT_SOURCE_DIR}/platform/core)
    target_link_libraries(tamberlyn_diagnostics PUBLIC ${platform})
endfunction()

# Where the platform's own tests find the insides they test: the core and the hosts.
set(TAMBERLYN_PLATFORM_INTERNALS ${PROJECT_SOURCE_DIR}/platform ${PROJECT_SOURCE_DIR}/platform/core)

# What a program adds on these hosts: the language runtime's start-up, main() calling WinMain. Tests bring their
# own main.
set(TAMBERLYN_PROGRAM_SOURCES platform/core/startup.cpp platform/core/process_arguments.cpp)
