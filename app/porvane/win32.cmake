# The Windows program: Porvane.exe, a GUI-subsystem executable linked statically (no MinGW
# runtime DLLs), with its icon, version information and manifest.
enable_language(RC)

# One build per architecture: the 32-bit one (the default download, "win32") and the 64-bit one
# ("win64", x64 to Windows Installer). Only the manifest's architecture and the packages' names
# differ.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(PORVANE_MANIFEST_ARCH amd64)
  set(_zip_arch win64)
  set(_msi_arch x64)
  set(_msi_suffix -x64)
else()
  set(PORVANE_MANIFEST_ARCH x86)
  set(_zip_arch win32)
  set(_msi_arch x86)
  set(_msi_suffix "")
endif()
configure_file(${PROJECT_SOURCE_DIR}/resources/Porvane.exe.manifest.in
               ${CMAKE_BINARY_DIR}/resources/Porvane.exe.manifest @ONLY)

add_executable(Porvane WIN32 main_win32.cpp ${PROJECT_SOURCE_DIR}/resources/porvane.rc)
target_link_libraries(Porvane PRIVATE porvane_policy porvane_runtime_win32)
set_target_properties(Porvane PROPERTIES OUTPUT_NAME Porvane
                                         RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# windres finds the configured manifest through the include path.
target_include_directories(Porvane PRIVATE ${CMAKE_BINARY_DIR}/resources)
# The manifest and the icon are read by windres; rebuild the resources when they change.
set_source_files_properties(${PROJECT_SOURCE_DIR}/resources/porvane.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_BINARY_DIR}/resources/Porvane.exe.manifest;${PROJECT_SOURCE_DIR}/resources/icons/porvane.ico")
target_link_options(Porvane PRIVATE -static -static-libgcc -static-libstdc++ -s
                    -Wl,--gc-sections)

# The Windows zip: the program, the settings checker, the sample settings and the sample policy.
set(PORVANE_ZIP ${CMAKE_BINARY_DIR}/Porvane-1.00.0001-${_zip_arch}.zip)
set(_zip_stage ${CMAKE_BINARY_DIR}/zip)
add_custom_target(package-zip
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_zip_stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_zip_stage}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Porvane> ${_zip_stage}/Porvane.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/PorvaneCheck.exe ${_zip_stage}/PorvaneCheck.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/examples/windows/Porvane.ini
          ${_zip_stage}/Porvane.ini
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/examples/policy.rtf
          ${_zip_stage}/policy.rtf
  COMMAND ${CMAKE_COMMAND} -E rm -f ${PORVANE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E chdir ${_zip_stage}
          ${CMAKE_COMMAND} -E tar cf ${PORVANE_ZIP} --format=zip Porvane.exe PorvaneCheck.exe Porvane.ini
          policy.rtf
  COMMENT "Packing ${PORVANE_ZIP}"
  VERBATIM)
add_dependencies(package-zip Porvane PorvaneCheck)

# The Windows installer: the program, the checker, the settings and the sample policy into
# the Program Files of its architecture (tools/make-msi, msitools' wixl).
set(PORVANE_MSI ${CMAKE_BINARY_DIR}/Porvane-${PROJECT_VERSION}${_msi_suffix}.msi)
add_custom_target(package-msi
  COMMAND ${PROJECT_SOURCE_DIR}/tools/make-msi ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR}
          ${PROJECT_VERSION} ${_msi_arch} ${PORVANE_MSI}
  COMMENT "Building ${PORVANE_MSI}"
  VERBATIM)
add_dependencies(package-msi Porvane PorvaneCheck)
