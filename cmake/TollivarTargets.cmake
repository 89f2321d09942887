# Helpers that give every target of ours the same settings.
#
# Paths are taken from PROJECT_SOURCE_DIR and PROJECT_BINARY_DIR, never from
# CMAKE_SOURCE_DIR or CMAKE_BINARY_DIR, so that the project also configures
# when another project pulls it in with add_subdirectory().

set(TOLLIVAR_SOURCE_ROOT ${PROJECT_SOURCE_DIR}/src)
set(TOLLIVAR_TEST_ROOT ${PROJECT_SOURCE_DIR}/tests)

function(tollivar_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  target_include_directories(${target} PUBLIC ${TOLLIVAR_SOURCE_ROOT})
endfunction()

# tollivar_own_sources(<out-var> <extensions...>)
# Every file with one of the extensions (e.g. cpp c) below the calling
# directory, except those in a folder that has a CMakeLists.txt of its own:
# such a folder, and everything below it, is a target of its own.
function(tollivar_own_sources out)
  set(here ${CMAKE_CURRENT_SOURCE_DIR})
  set(patterns)
  foreach(extension IN LISTS ARGN)
    list(APPEND patterns ${here}/*.${extension})
  endforeach()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${patterns})
  # Listed as a dependency of the configuration too, so that a folder that
  # becomes a target later leaves its parent at the next build.
  file(GLOB_RECURSE nested_lists CONFIGURE_DEPENDS ${here}/*/CMakeLists.txt)
  set(nested_prefixes)
  foreach(list_file IN LISTS nested_lists)
    get_filename_component(folder ${list_file} DIRECTORY)
    list(APPEND nested_prefixes ${folder}/)
  endforeach()
  set(own)
  foreach(source IN LISTS sources)
    set(nested FALSE)
    foreach(prefix IN LISTS nested_prefixes)
      string(FIND "${source}" "${prefix}" at)
      if(at EQUAL 0)
        set(nested TRUE)
        break()
      endif()
    endforeach()
    if(NOT nested)
      list(APPEND own ${source})
    endif()
  endforeach()
  set(${out} ${own} PARENT_SCOPE)
endfunction()

# tollivar_library(<name> [DEPS <targets...>] [PRIVATE_DEPS <targets...>])
# Builds every .cpp and .c below the calling directory into one static
# library, leaving out folders that are targets of their own.
function(tollivar_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  tollivar_own_sources(sources cpp c)
  add_library(${name} STATIC ${sources})
  tollivar_defaults(${name})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# A test binary may run ten minutes; under ThreadSanitizer, which runs code
# several times slower, forty.
if(TOLLIVAR_SANITIZE_THREAD)
  set(TOLLIVAR_TEST_TIMEOUT 2400)
else()
  set(TOLLIVAR_TEST_TIMEOUT 600)
endif()

# tollivar_test(<name> [SHARDS <n>] [DEPS <targets...>])
# One GoogleTest binary from every .cpp below the calling directory (folders
# that are targets of their own left out), registered with CTest. A binary
# whose tests take minutes runs as n CTest tests <name>_1 .. <name>_n, each
# one GoogleTest shard, so that none comes near its timeout on a busy machine
# and the shards run side by side. A sharded binary must not start itself
# again: the shard's environment would filter its child too.
function(tollivar_test name)
  cmake_parse_arguments(ARG "" "SHARDS" "DEPS" ${ARGN})
  tollivar_own_sources(sources cpp)
  if(NOT sources)
    return()  # a test folder that has no tests yet
  endif()
  add_executable(${name} ${sources})
  tollivar_defaults(${name})
  target_include_directories(${name} PRIVATE ${TOLLIVAR_TEST_ROOT})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} tollivar_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    TOLLIVAR_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TOLLIVAR_TEST_BINARY_DIR="${CMAKE_CURRENT_BINARY_DIR}")
  set(environment "QT_QPA_PLATFORM=offscreen;TOLLIVAR_ARTIFACTS=${PROJECT_BINARY_DIR}/test-artifacts")
  if(NOT ARG_SHARDS)
    add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${PROJECT_BINARY_DIR}/test-results/${name}.xml)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}" TIMEOUT ${TOLLIVAR_TEST_TIMEOUT})
    return()
  endif()
  math(EXPR last "${ARG_SHARDS} - 1")
  foreach(index RANGE ${last})
    math(EXPR number "${index} + 1")
    set(test ${name}_${number})
    add_test(NAME ${test} COMMAND ${name} --gtest_output=xml:${PROJECT_BINARY_DIR}/test-results/${test}.xml)
    set_tests_properties(${test} PROPERTIES
      ENVIRONMENT "${environment};GTEST_TOTAL_SHARDS=${ARG_SHARDS};GTEST_SHARD_INDEX=${index}"
      TIMEOUT ${TOLLIVAR_TEST_TIMEOUT})
  endforeach()
endfunction()

# tollivar_add_target_dirs(<dirs...>)
# Adds src/<dir> of each listed folder that has a CMakeLists.txt, and with
# TOLLIVAR_TESTS its tests in tests/<dir> when they have one. A listed folder
# without a CMakeLists.txt does not take part yet.
function(tollivar_add_target_dirs)
  foreach(dir IN LISTS ARGN)
    if(NOT EXISTS ${TOLLIVAR_SOURCE_ROOT}/${dir}/CMakeLists.txt)
      continue()
    endif()
    add_subdirectory(${TOLLIVAR_SOURCE_ROOT}/${dir})
    if(TOLLIVAR_TESTS AND EXISTS ${TOLLIVAR_TEST_ROOT}/${dir}/CMakeLists.txt)
      add_subdirectory(${TOLLIVAR_TEST_ROOT}/${dir})
    endif()
  endforeach()
endfunction()

# Appends to <out-var> every source folder added below <dir>, <dir> included.
function(_tollivar_added_dirs dir out)
  set(added ${${out}} ${dir})
  get_property(children DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(child IN LISTS children)
    _tollivar_added_dirs(${child} added)
  endforeach()
  set(${out} ${added} PARENT_SCOPE)
endfunction()

# tollivar_check_target_dirs()
# Called once everything is added: fails the configuration when a folder
# under src/ (or, with TOLLIVAR_TESTS, under tests/) has a CMakeLists.txt that
# nothing added. Such a folder would otherwise be built by no one, its
# sources silently missing from every target.
function(tollivar_check_target_dirs)
  set(added)
  _tollivar_added_dirs(${PROJECT_SOURCE_DIR} added)
  set(roots ${TOLLIVAR_SOURCE_ROOT})
  if(TOLLIVAR_TESTS)
    list(APPEND roots ${TOLLIVAR_TEST_ROOT})
  endif()
  set(patterns)
  foreach(root IN LISTS roots)
    list(APPEND patterns ${root}/CMakeLists.txt)  # at every depth
  endforeach()
  file(GLOB_RECURSE list_files CONFIGURE_DEPENDS ${patterns})
  set(orphans)
  foreach(list_file IN LISTS list_files)
    get_filename_component(folder ${list_file} DIRECTORY)
    if(NOT folder IN_LIST added)
      file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${folder})
      list(APPEND orphans ${relative})
    endif()
  endforeach()
  if(orphans)
    list(SORT orphans)
    list(JOIN orphans ", " named)
    message(FATAL_ERROR
      "These folders have a CMakeLists.txt but are not added to the build: ${named}. "
      "Add each folder below src/ (without the src/ prefix) to TOLLIVAR_TARGET_DIRS in "
      "${PROJECT_SOURCE_DIR}/CMakeLists.txt; its tests in the same path below tests/ are then added with it.")
  endif()
endfunction()
