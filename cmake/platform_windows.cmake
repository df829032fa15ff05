# The real platform: the SDK's headers and Windows' own libraries. No folder of ours is on the include path.
add_library(tamberlyn_platform INTERFACE)
# DirectInput 7's interfaces and DirectInputCreateA.
target_compile_definitions(tamberlyn_platform INTERFACE DIRECTINPUT_VERSION=0x0700)
target_link_libraries(tamberlyn_platform INTERFACE ddraw dsound dinput dxguid wsock32 gdi32 user32)
add_library(tamberlyn::platform ALIAS tamberlyn_platform)

# What the program adds on this platform: the C runtime starts WinMain; we only check the SDK's record sizes.
set(TAMBERLYN_PROGRAM_SOURCES platform/windows/record_sizes.cpp)
