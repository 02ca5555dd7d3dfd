# One interface target that every library, program and test links: the
# project's warning set, with warnings as errors.
add_library(quillomar_warnings INTERFACE)
target_compile_options(quillomar_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wold-style-cast -Wnon-virtual-dtor -Werror)

# Source root on the include path: headers are included as "ado/value.h".
add_library(quillomar_includes INTERFACE)
target_include_directories(quillomar_includes INTERFACE ${PROJECT_SOURCE_DIR}/src)

# quillomar_library(NAME SOURCES...) builds a static library for one layer.
function(quillomar_library name)
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC quillomar_includes PRIVATE quillomar_warnings)
endfunction()
