# The intro picture "intro.bmp": drawn by a small tool into the build folder, where the program runs (in the web
# build, where the page is served from). A build for Windows takes the native build's.
if(CMAKE_CROSSCOMPILING AND NOT TAMBERLYN_PLATFORM STREQUAL "web")
    return()
endif()

set(TAMBERLYN_INTRO_BMP ${CMAKE_BINARY_DIR}/intro.bmp)
if(CMAKE_CROSSCOMPILING)
    # The tool runs on this machine, so it is built with this machine's compiler.
    set(make_intro_bmp ${CMAKE_BINARY_DIR}/make_intro_bmp)
    add_custom_command(
        OUTPUT ${make_intro_bmp}
        COMMAND c++ -std=c++17 -O2 -o ${make_intro_bmp} ${PROJECT_SOURCE_DIR}/tools/make_intro_bmp.cpp
        DEPENDS ${PROJECT_SOURCE_DIR}/tools/make_intro_bmp.cpp
        COMMENT "Building make_intro_bmp for this machine"
        VERBATIM)
else()
    add_executable(make_intro_bmp tools/make_intro_bmp.cpp)
    set(make_intro_bmp make_intro_bmp)
endif()
add_custom_command(
    OUTPUT ${TAMBERLYN_INTRO_BMP}
    COMMAND ${make_intro_bmp} ${TAMBERLYN_INTRO_BMP}
    DEPENDS ${make_intro_bmp}
    COMMENT "Drawing intro.bmp"
    VERBATIM)
add_custom_target(intro_image DEPENDS ${TAMBERLYN_INTRO_BMP})
add_dependencies(tamberlyn intro_image)
