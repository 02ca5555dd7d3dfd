# Tests: GoogleTest programs registered with CTest under a label.
enable_testing()
find_package(GTest REQUIRED)
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
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES LABELS ${label})
endfunction()
