# The emulation in a web page: the core and the browser host, compiled to WebAssembly with Emscripten (the web
# preset), pixman with them from its released sources. The program is tamberlyn.js and tamberlyn.wasm, served with
# the page (index.html, page.js) and intro.bmp from the build folder.
if(NOT EMSCRIPTEN)
    message(FATAL_ERROR "TAMBERLYN_PLATFORM=web builds with Emscripten's toolchain: use the web preset (make web)")
endif()

include(cmake/pixman_web.cmake)
include(cmake/platform_core.cmake)
tamberlyn_platform_library(tamberlyn_platform
    platform/host_web/web_host.cpp
    platform/host_web/web_keys.cpp
    platform/host_web/web_page.cpp
    platform/host_web/web_screen.cpp
)
target_include_directories(tamberlyn_platform PRIVATE ${PROJECT_SOURCE_DIR}/platform/host_web)
target_link_libraries(tamberlyn_platform PUBLIC pixman)
add_library(tamberlyn::platform ALIAS tamberlyn_platform)

# How a program on this platform is linked into a page's program:
# - the program's loop blocks, and the page needs its thread back: Asyncify lets the host's waits suspend the
#   program, and only the functions on the stack at a wait are rewritten (asyncify_only.json; a function missing
#   there fails when the program first waits inside it). The list names them as written; those the optimiser inlines
#   into a listed caller draw a "non-matching pattern" (or "non-existing function name") warning and stay, for when
#   the inlining changes;
# - main runs when the page's start button is clicked (callMain), and ends through exit(), which reaches the page's
#   Module.onExit with the exit code;
# - the page reads files from the program's file system (Module.FS), and passes intro.bmp in through it;
# - no JavaScript library is linked but those named (Emscripten would otherwise add its own SDL 1 and others).
set(TAMBERLYN_WEB_LINK_OPTIONS
    -sASYNCIFY
    -sASYNCIFY_ONLY=@${PROJECT_SOURCE_DIR}/platform/host_web/asyncify_only.json
    -sINVOKE_RUN=0
    -sEXIT_RUNTIME=1
    -sEXPORTED_RUNTIME_METHODS=callMain,FS,addRunDependency,removeRunDependency
    -sAUTO_JS_LIBRARIES=0
    -sALLOW_MEMORY_GROWTH=1
    -sENVIRONMENT=web
    CACHE STRING "Emscripten's link options for the page's program")
target_link_options(tamberlyn_platform INTERFACE ${TAMBERLYN_WEB_LINK_OPTIONS})
set_property(TARGET tamberlyn_platform APPEND PROPERTY INTERFACE_LINK_DEPENDS
    ${PROJECT_SOURCE_DIR}/platform/host_web/asyncify_only.json)

# What a program adds here: the start-up of the other hosts, with the page's arguments as its command line.
set(TAMBERLYN_PROGRAM_SOURCES platform/core/startup.cpp platform/host_web/web_arguments.cpp)

# The page beside the program.
foreach(file IN ITEMS index.html page.js)
    configure_file(${PROJECT_SOURCE_DIR}/platform/host_web/page/${file} ${CMAKE_BINARY_DIR}/${file} COPYONLY)
endforeach()
