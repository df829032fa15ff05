# pixman for WebAssembly, compiled from its released sources as part of the build: its configure step runs a full
# compile and link per check (about two minutes here), and the answers for Emscripten never change, so
# cmake/web/pixman_config.h gives them. Generic C only: WebAssembly has none of pixman's SIMD paths.
enable_language(C)
set(TAMBERLYN_PIXMAN_SOURCE_DIR ${PROJECT_SOURCE_DIR}/build/web-sources/pixman-0.42.2
    CACHE PATH "pixman's released sources (tools/web/fetch_sources.sh fetches them)")
set(pixman_dir ${TAMBERLYN_PIXMAN_SOURCE_DIR}/pixman)
if(NOT EXISTS ${pixman_dir}/pixman.c)
    message(FATAL_ERROR "pixman's sources are not in ${TAMBERLYN_PIXMAN_SOURCE_DIR}: run "
                        "tools/web/fetch_sources.sh build/web-sources (make web does)")
endif()

set(PIXMAN_VERSION_MAJOR 0)
set(PIXMAN_VERSION_MINOR 42)
set(PIXMAN_VERSION_MICRO 2)
configure_file(${pixman_dir}/pixman-version.h.in ${CMAKE_BINARY_DIR}/pixman/pixman-version.h @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/web/pixman_config.h ${CMAKE_BINARY_DIR}/pixman/config.h COPYONLY)

# The library's sources as pixman/Makefile.sources lists them.
add_library(pixman STATIC)
foreach(source IN ITEMS
        pixman.c pixman-access.c pixman-access-accessors.c pixman-bits-image.c pixman-combine32.c
        pixman-combine-float.c pixman-conical-gradient.c pixman-filter.c pixman-x86.c pixman-mips.c pixman-arm.c
        pixman-ppc.c pixman-edge.c pixman-edge-accessors.c pixman-fast-path.c pixman-glyph.c pixman-general.c
        pixman-gradient-walker.c pixman-image.c pixman-implementation.c pixman-linear-gradient.c pixman-matrix.c
        pixman-noop.c pixman-radial-gradient.c pixman-region16.c pixman-region32.c pixman-solid-fill.c
        pixman-timer.c pixman-trap.c pixman-utils.c)
    target_sources(pixman PRIVATE ${pixman_dir}/${source})
endforeach()
target_compile_definitions(pixman PRIVATE HAVE_CONFIG_H)
target_include_directories(pixman PUBLIC ${pixman_dir} ${CMAKE_BINARY_DIR}/pixman)
# Released C code, not ours: its warnings are pixman's business.
target_compile_options(pixman PRIVATE -w)
