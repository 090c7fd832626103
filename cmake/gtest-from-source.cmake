# GoogleTest for the cross build: built from Debian's source package with the MinGW toolchain,
# so the Windows tests link against a GoogleTest of their own ABI. Provides GTest::gtest and
# GTest::gtest_main like find_package(GTest) does.
set(PORVANE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${PORVANE_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${PORVANE_GTEST_SOURCE} "
                      "(Debian package googletest)")
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${PORVANE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

foreach(_t gtest gtest_main)
  # Not our code: none of our warning flags, and its headers count as system headers for us.
  set_target_properties(${_t} PROPERTIES COMPILE_OPTIONS "-w" SYSTEM TRUE)
  if(NOT TARGET GTest::${_t})
    add_library(GTest::${_t} ALIAS ${_t})
  endif()
endforeach()
