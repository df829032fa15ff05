# The intro picture "intro.bmp": drawn by a small host tool into the build folder, where the program runs.
if(CMAKE_CROSSCOMPILING)
    return()
endif()

add_executable(make_intro_bmp tools/make_intro_bmp.cpp)

set(TAMBERLYN_INTRO_BMP ${CMAKE_BINARY_DIR}/intro.bmp)
add_custom_command(
    OUTPUT ${TAMBERLYN_INTRO_BMP}
    COMMAND make_intro_bmp ${TAMBERLYN_INTRO_BMP}
    DEPENDS make_intro_bmp
    COMMENT "Drawing intro.bmp"
    VERBATIM)
add_custom_target(intro_image DEPENDS ${TAMBERLYN_INTRO_BMP})
add_dependencies(tamberlyn intro_image)
