# Tests: GoogleTest programs registered with CTest under a label.
enable_testing()
if(QUILLOMAR_GTEST_SOURCE_DIR)
  # Cross builds: GoogleTest compiled from its sources (Debian `googletest`,
  # /usr/src/googletest) by the same compiler, under the names the installed
  # package gives it.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${QUILLOMAR_GTEST_SOURCE_DIR} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(lib IN ITEMS gtest gtest_main gmock gmock_main)
    target_compile_options(${lib} PRIVATE -O0)  # test code: built fast, not run fast
    if(NOT TARGET GTest::${lib})
      add_library(GTest::${lib} ALIAS ${lib})
    endif()
  endforeach()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# quillomar_test(NAME LABEL SOURCES... LIBS libs...) builds one test program.
# Discovery runs before the test (not at build time) because window tests
# need a display platform that only the test environment sets.
function(quillomar_test name label)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock
                        quillomar_warnings quillomar_includes)
  target_compile_definitions(${name} PRIVATE
    QUILLOMAR_FIXTURES="${PROJECT_SOURCE_DIR}/../shared/fixtures"
    QUILLOMAR_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  if(CMAKE_CROSSCOMPILING)
    # One test per program, run through the emulator (Wine): starting Wine
    # once per case would cost minutes. The test code itself is compiled
    # without optimisation (the code under test keeps its own flags): the
    # Windows test programs then build in about 60 s instead of 190 s.
    target_compile_options(${name} PRIVATE -O0)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS ${label})
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES LABELS ${label})
  endif()
endfunction()
