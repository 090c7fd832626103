# The 32-bit Windows program (i686): the default download, as it runs on every Windows. What it
# builds runs under Wine's 32-bit loader, on machines that can run 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(_porvane_mingw i686-w64-mingw32)
set(_porvane_wine_names wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
