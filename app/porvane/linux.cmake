# The Linux desktop program, build/linux/porvane, with the sample settings and policy beside it.
# Qt's imported targets are local to the directory that found them.
find_package(Qt6 REQUIRED COMPONENTS Widgets DBus)
add_executable(porvane ${CMAKE_CURRENT_SOURCE_DIR}/main_qt.cpp)
# Qt first: the dynamic loader looks each symbol up library by library in this order, and nearly
# all of the start's lookups are Qt's own. With GLib, xcb and Wayland ahead of Qt Core, each of
# those lookups walked past them first: about 1.4% of the instructions before the window shows.
target_link_libraries(porvane PRIVATE Qt6::Widgets Qt6::Gui Qt6::Core stdc++ porvane_policy
                                      porvane_runtime_qt)
target_compile_definitions(porvane PRIVATE PORVANE_VERSION="${PROJECT_VERSION}")
set_target_properties(porvane PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})

# Porvane.ini and policy.rtf are read from the executable's folder: copied there whenever the
# samples change, so `make run` starts with the current ones.
set(_porvane_samples "")
foreach(_name Porvane.ini policy.rtf)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${_name}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/examples/${_name} ${PROJECT_BINARY_DIR}/${_name}
    DEPENDS ${PROJECT_SOURCE_DIR}/examples/${_name}
    VERBATIM)
  list(APPEND _porvane_samples ${PROJECT_BINARY_DIR}/${_name})
endforeach()
add_custom_target(porvane_samples ALL DEPENDS ${_porvane_samples})
add_dependencies(porvane porvane_samples)
