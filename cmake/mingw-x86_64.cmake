# The 64-bit Windows program (x86-64), for 64-bit Windows without 32-bit support. What it builds
# runs under Wine's 64-bit loader, which Debian keeps outside PATH, so that the tests run on
# machines whose kernel cannot run 32-bit programs at all.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(_porvane_mingw x86_64-w64-mingw32)
set(_porvane_wine_names wine64)
set(_porvane_wine_paths /usr/lib/wine /usr/lib64/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
