# The Debian package (make package: cpack -G DEB in build/linux). The program reads its settings
# beside its real executable, so it lives in /opt/porvane with the sample settings and policy,
# and /usr/bin/porvane is only a link to it.
if(NOT TARGET porvane)
  return()
endif()

set(porvane_home opt/porvane)

install(TARGETS porvane RUNTIME DESTINATION ${porvane_home})
foreach(sample Porvane.ini policy.rtf)
  if(EXISTS ${PROJECT_SOURCE_DIR}/examples/${sample})
    install(FILES ${PROJECT_SOURCE_DIR}/examples/${sample} DESTINATION ${porvane_home})
  endif()
endforeach()

file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
file(CREATE_LINK /${porvane_home}/porvane ${CMAKE_BINARY_DIR}/packaging/porvane SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/packaging/porvane DESTINATION usr/bin)

install(FILES ${PROJECT_SOURCE_DIR}/resources/porvane.desktop DESTINATION usr/share/applications)
foreach(size 16 32 48 64 128 256)
  set(icon ${PROJECT_SOURCE_DIR}/resources/icons/porvane-${size}.png)
  if(EXISTS ${icon})
    install(FILES ${icon} DESTINATION usr/share/icons/hicolor/${size}x${size}/apps
            RENAME porvane.png)
  endif()
endforeach()

# An administrator's edits to the settings survive an upgrade: dpkg asks before replacing them.
file(WRITE ${CMAKE_BINARY_DIR}/packaging/conffiles "/${porvane_home}/Porvane.ini\n")

set(CPACK_PACKAGE_NAME porvane)
set(CPACK_PACKAGE_VENDOR "Porvane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Usage policy gate in front of another application")
set(CPACK_PACKAGE_DESCRIPTION
    "Shows a usage policy with Agree and Disagree buttons. Agree starts the\n\
configured application; the gate can close itself after a set number of\n\
seconds, show a closing notice and end the application it started.\n\
Configured by /opt/porvane/Porvane.ini.")
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)  # the build keeps its debugging information; the package need not
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Porvane developers")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(EXISTS ${PROJECT_SOURCE_DIR}/examples/Porvane.ini)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/packaging/conffiles)
endif()
include(CPack)
