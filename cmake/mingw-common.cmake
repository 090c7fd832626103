# Cross-building the Windows program with MinGW-w64, and running what it builds through Wine
# (ctest, test discovery). Included by mingw-i686.cmake and mingw-x86_64.cmake, which set the
# target triple and the Wine loader. The posix-threads variant of GCC 12: GoogleTest needs
# std::mutex, which the win32 variant lacks; everything links statically, winpthread included.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${_porvane_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_porvane_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_porvane_mingw}-windres)
set(CMAKE_AR ${_porvane_mingw}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${_porvane_mingw}-gcc-ranlib-posix CACHE FILEPATH "")
# The triple names the other tools of the same architecture (the import checks' objdump).
set(PORVANE_MINGW_TRIPLE ${_porvane_mingw})

set(CMAKE_FIND_ROOT_PATH /usr/${_porvane_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows executables run under Wine here (tools/with-wine-prefix gives each test run a fresh
# prefix of the matching architecture).
find_program(PORVANE_WINE NAMES ${_porvane_wine_names} PATHS ${_porvane_wine_paths} REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PORVANE_WINE})

# Windows 7 and later (GetDpiForSystem is looked up at run time, not imported).
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
                        WINVER=0x0601)

# Small executables: every function and datum in a section of its own, so the linker's
# --gc-sections drops what nothing uses.
set(CMAKE_C_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections")
