# Cross-building the 32-bit Windows program with MinGW-w64 (i686), and running what it builds
# through Wine (ctest, test discovery). The posix-threads variant of GCC 12: GoogleTest needs
# std::mutex, which the win32 variant lacks; everything links statically, winpthread included.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(_porvane_mingw i686-w64-mingw32)
set(CMAKE_C_COMPILER ${_porvane_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_porvane_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_porvane_mingw}-windres)
set(CMAKE_AR ${_porvane_mingw}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${_porvane_mingw}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${_porvane_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows executables run under Wine here (tools/with-wine-prefix gives each test run a fresh
# prefix).
find_program(PORVANE_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PORVANE_WINE})

# Windows 7 and later (GetDpiForSystem is looked up at run time, not imported).
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
                        WINVER=0x0601)

# Small executables: every function and datum in a section of its own, so the linker's
# --gc-sections drops what nothing uses.
set(CMAKE_C_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections")
