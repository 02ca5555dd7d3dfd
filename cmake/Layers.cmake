# The layer check: every source may include only headers of the libraries
# its target links (itself, what it links, and what those pass on publicly).
# quillomar_write_layers() writes each target's sources, links and include
# folders to layers.txt in the build folder once every folder has been read;
# scripts/check_layers.py reads it and is run by CTest as "layer_includes".

# quillomar_plain_cxx(TARGET...) marks libraries that must stay plain C++
# (no Qt) in a folder that also holds Qt ones.
function(quillomar_plain_cxx)
  set_target_properties(${ARGN} PROPERTIES QUILLOMAR_PLAIN_CXX ON)
endfunction()

# Appends the targets of `dir` and of its subfolders to the list `out`.
function(quillomar_collect_targets dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    quillomar_collect_targets(${sub} sub_targets)
    list(APPEND targets ${sub_targets})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# One line per fact: "target NAME TYPE SOURCE_DIR", then "source PATH",
# "header PATH", "link NAME" (what the target itself links), "public NAME"
# (what it passes on to those linking it), "include DIR", and "plain" for a
# target marked with quillomar_plain_cxx().
function(quillomar_write_layers)
  quillomar_collect_targets(${PROJECT_SOURCE_DIR} targets)
  set(text "")
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "LIBRARY|EXECUTABLE")
      continue()
    endif()
    get_target_property(dir ${target} SOURCE_DIR)
    string(APPEND text "target ${target} ${type} ${dir}\n")
    get_target_property(plain ${target} QUILLOMAR_PLAIN_CXX)
    if(plain)
      string(APPEND text "plain\n")
    endif()
    set(properties INTERFACE_LINK_LIBRARIES INTERFACE_INCLUDE_DIRECTORIES HEADER_SET)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      list(APPEND properties SOURCES LINK_LIBRARIES)
    endif()
    foreach(property IN LISTS properties)
      get_target_property(values ${target} ${property})
      if(NOT values)
        continue()
      endif()
      set(kind_SOURCES source)
      set(kind_HEADER_SET header)
      set(kind_LINK_LIBRARIES link)
      set(kind_INTERFACE_LINK_LIBRARIES public)
      set(kind_INTERFACE_INCLUDE_DIRECTORIES include)
      foreach(value IN LISTS values)
        string(APPEND text "${kind_${property}} ${value}\n")
      endforeach()
    endforeach()
  endforeach()
  file(WRITE ${PROJECT_BINARY_DIR}/layers.txt "${text}")
endfunction()

# The check itself, registered once testing is enabled.
function(quillomar_add_layer_test)
  add_test(NAME layer_includes
           COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/check_layers.py
                   ${PROJECT_BINARY_DIR}/layers.txt ${PROJECT_SOURCE_DIR})
  set_tests_properties(layer_includes PROPERTIES LABELS unit)
endfunction()

find_package(Python3 REQUIRED COMPONENTS Interpreter)
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL quillomar_write_layers)
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL quillomar_add_layer_test)
