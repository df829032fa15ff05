// headless_main.cpp -- the native tests' main: SDL's dummy video and audio drivers unless the caller chose others,
// so in-process tests never open windows on a desktop or need a sound card, and no settings file; then GoogleTest.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("XDG_CONFIG_HOME", "/nonexistent", 1);  // no settings file of the person running the tests
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
