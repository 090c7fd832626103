# The Debian package (make package: cpack -G DEB in build/linux), laid out as Debian expects:
#   /usr/lib/porvane/        the gate, its keeper (found beside it) and the checker, and
#                            Porvane.ini as a link to /etc
#   /etc/porvane/            the settings, Porvane.ini, and the sample policy, conffiles: an
#                            administrator's edits survive reinstalls and upgrades, and
#                            dpkg --purge removes them
#   /usr/bin/                links to both programs
#   /usr/share/xsessions/    the "Porvane" session that display managers list: the gate as the
#                            whole session (porvane-session beside the gate)
#   /etc/xdg/autostart/      the gate at every desktop login, a conffile shipped turned off
#                            (Hidden=true): installing changes no one's login
#   the guard, once it is built: porvane-guard in /usr/lib/porvane (only systemd starts it),
#                            its unit, its bus policy, and the maintainer scripts that make its
#                            state folder /var/lib/porvane and enable and start it; porvanectl in
#                            /usr/bin, for the administrator
# Both programs read Porvane.ini beside their real executable, so the link in /usr/lib/porvane
# is what brings them to /etc.
if(NOT TARGET porvane OR NOT TARGET porvane-check)
  return()
endif()

set(_lib usr/lib/porvane)
set(_doc usr/share/doc/porvane)
set(_stage ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${_stage})

install(TARGETS porvane porvane-keeper porvane-check RUNTIME DESTINATION ${_lib})
install(FILES ${PROJECT_SOURCE_DIR}/examples/policy.rtf DESTINATION etc/porvane)

# The sample settings with the policy where the package puts it.
file(READ ${PROJECT_SOURCE_DIR}/examples/Porvane.ini _ini)
string(REPLACE "PolicyFile=policy.rtf" "PolicyFile=/etc/porvane/policy.rtf" _ini "${_ini}")
file(WRITE ${_stage}/Porvane.ini "${_ini}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/examples/Porvane.ini)
install(FILES ${_stage}/Porvane.ini DESTINATION etc/porvane)
file(WRITE ${_stage}/conffiles
     "/etc/porvane/Porvane.ini\n/etc/porvane/policy.rtf\n/etc/xdg/autostart/porvane.desktop\n")

install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/session/porvane-session DESTINATION ${_lib})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/session/porvane-xsession.desktop
        DESTINATION usr/share/xsessions RENAME porvane.desktop)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/session/porvane-autostart.desktop
        DESTINATION etc/xdg/autostart RENAME porvane.desktop)

# Links: within /usr relative, from /usr to /etc absolute, as Debian policy asks.
file(CREATE_LINK /etc/porvane/Porvane.ini ${_stage}/Porvane.ini.link SYMBOLIC)
install(FILES ${_stage}/Porvane.ini.link DESTINATION ${_lib} RENAME Porvane.ini)
foreach(_program porvane porvane-check)
  file(CREATE_LINK ../lib/porvane/${_program} ${_stage}/${_program} SYMBOLIC)
  install(FILES ${_stage}/${_program} DESTINATION usr/bin)
endforeach()

# Manual pages and the changelog compressed as Debian wants them: gzip -9, no timestamp.
foreach(_source man/porvane.1 man/porvane-check.1 changelog)
  get_filename_component(_name ${_source} NAME)
  execute_process(COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/${_source}
                  OUTPUT_FILE ${_stage}/${_name}.gz COMMAND_ERROR_IS_FATAL ANY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${PROJECT_SOURCE_DIR}/packaging/${_source})
endforeach()
install(FILES ${_stage}/porvane.1.gz ${_stage}/porvane-check.1.gz DESTINATION usr/share/man/man1)
# porvane.ini(5) is generated from the table of keys at build time (app/settings-reference).
add_custom_command(OUTPUT ${_stage}/porvane.ini.5.gz
  COMMAND sh -c "gzip -9nc \"$0\" > \"$1\"" ${PROJECT_BINARY_DIR}/porvane.ini.5
          ${_stage}/porvane.ini.5.gz
  DEPENDS settings_reference ${PROJECT_BINARY_DIR}/porvane.ini.5
  VERBATIM)
add_custom_target(settings_reference_gz ALL DEPENDS ${_stage}/porvane.ini.5.gz)
install(FILES ${_stage}/porvane.ini.5.gz DESTINATION usr/share/man/man5)
install(FILES ${_stage}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${_doc})

install(FILES ${PROJECT_SOURCE_DIR}/resources/porvane.desktop DESTINATION usr/share/applications)
foreach(size 16 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/porvane-${size}.png
          DESTINATION usr/share/icons/hicolor/${size}x${size}/apps RENAME porvane.png)
endforeach()

# The guard and its administrator's tool, each where its target is built.
set(_scripts "")
if(TARGET porvane-guard)
  install(TARGETS porvane-guard RUNTIME DESTINATION ${_lib})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/guard/porvane-guard.service
          DESTINATION usr/lib/systemd/system)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/guard/org.porvane.Guard.conf
          DESTINATION usr/share/dbus-1/system.d)
  # The state folder /var/lib/porvane is made by postinst, root's alone.
  foreach(_script postinst prerm postrm)
    list(APPEND _scripts ${PROJECT_SOURCE_DIR}/packaging/guard/${_script})
  endforeach()
endif()
if(TARGET porvanectl)
  install(TARGETS porvanectl RUNTIME DESTINATION usr/bin)
  execute_process(COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/man/porvanectl.1
                  OUTPUT_FILE ${_stage}/porvanectl.1.gz COMMAND_ERROR_IS_FATAL ANY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${PROJECT_SOURCE_DIR}/packaging/man/porvanectl.1)
  install(FILES ${_stage}/porvanectl.1.gz DESTINATION usr/share/man/man1)
endif()

set(CPACK_PACKAGE_NAME porvane)
set(CPACK_PACKAGE_VENDOR "Porvane")
set(CPACK_PACKAGE_CONTACT "Porvane Developers <dev@porvane.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "usage policy gate in front of another application")
set(CPACK_PACKAGE_DESCRIPTION
    "Shows a usage policy with Agree and Disagree buttons. Agree starts the\n\
configured application; the gate can close itself after a set number of\n\
seconds, show a closing notice and end the application it started.\n\
Configured by /etc/porvane/Porvane.ini; porvane-check tells what the gate\n\
will make of that file before it is rolled out. The guard, a system service,\n\
holds the users named in the settings to their time from outside their\n\
session; porvanectl shows and changes the guarded sessions.")
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)  # the build keeps its debugging information; the package need not
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Porvane Developers <dev@porvane.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://porvane.org/")
# The libraries come from dpkg-shlibdeps; Qt's Wayland platform plugin is loaded, not linked.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "x11-utils")  # xmessage, the sample's application
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "openbox")  # a window manager under the Porvane session
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${_stage}/conffiles ${_scripts})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
