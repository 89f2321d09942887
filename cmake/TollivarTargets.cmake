# Helpers that give every target of ours the same settings.

set(TOLLIVAR_SOURCE_ROOT ${CMAKE_SOURCE_DIR}/src)
set(TOLLIVAR_TEST_ROOT ${CMAKE_SOURCE_DIR}/tests)

function(tollivar_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  target_include_directories(${target} PUBLIC ${TOLLIVAR_SOURCE_ROOT})
endfunction()

# tollivar_library(<name> [DEPS <targets...>])
# Builds every .cpp below the calling directory into one static library.
function(tollivar_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  add_library(${name} STATIC ${sources})
  tollivar_defaults(${name})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# tollivar_test(<name> [DEPS <targets...>])
# One GoogleTest binary from every .cpp below the calling directory, registered with CTest.
function(tollivar_test name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()  # a test folder that has no tests yet
  endif()
  add_executable(${name} ${sources})
  tollivar_defaults(${name})
  target_include_directories(${name} PRIVATE ${TOLLIVAR_TEST_ROOT})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} tollivar_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    TOLLIVAR_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    TOLLIVAR_TEST_BINARY_DIR="${CMAKE_CURRENT_BINARY_DIR}")
  add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${CMAKE_BINARY_DIR}/test-results/${name}.xml)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TOLLIVAR_ARTIFACTS=${CMAKE_BINARY_DIR}/test-artifacts"
    TIMEOUT 600)
endfunction()
