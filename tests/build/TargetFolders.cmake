# Run with cmake -P. Writes small trees that use TollivarTargets.cmake,
# configures each in a child CMake, and checks the outcome:
#  - a folder with its own CMakeLists.txt below a listed folder is its own
#    target: each source is compiled by exactly one library, the nearest
#    folder with a CMakeLists.txt above it;
#  - a folder with a CMakeLists.txt that nothing adds, under src/ or tests/,
#    fails the configuration and is named in the message.
# The tree is pulled into an outer project with add_subdirectory, so a path
# taken from the top of the whole build instead of the project would show.
#
# Inputs: TOLLIVAR_CMAKE_DIR, WORK_DIR, GENERATOR, CXX_COMPILER.

cmake_minimum_required(VERSION 3.25)

foreach(input TOLLIVAR_CMAKE_DIR WORK_DIR GENERATOR CXX_COMPILER)
  if(NOT ${input})
    message(FATAL_ERROR "TargetFolders.cmake needs -D${input}=...")
  endif()
endforeach()

set(failures)
macro(fail text)
  list(APPEND failures "${text}")
endmacro()

# Writes the tree of one case below <root>/source: the outer project, our
# project in tiny/ with <dirs> as its target list, and the <extra> folders
# (relative to tiny/) given an empty CMakeLists.txt.
function(write_tree root dirs extra)
  set(outer ${root}/source)
  set(tiny ${outer}/tiny)
  file(REMOVE_RECURSE ${root})
  file(WRITE ${outer}/CMakeLists.txt
    "cmake_minimum_required(VERSION 3.25)\nproject(outer LANGUAGES CXX)\nadd_subdirectory(tiny)\n")
  file(WRITE ${tiny}/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)
project(tiny LANGUAGES CXX)
list(APPEND CMAKE_MODULE_PATH \"${TOLLIVAR_CMAKE_DIR}\")
include(TollivarTargets)
set(TOLLIVAR_TESTS ON)
tollivar_add_target_dirs(${dirs})
tollivar_check_target_dirs()
")
  file(WRITE ${tiny}/src/app/CMakeLists.txt "tollivar_library(tiny_app)\n")
  file(WRITE ${tiny}/src/app/App.cpp "int app() { return 1; }\n")
  file(WRITE ${tiny}/src/app/inner/Inner.cpp "int inner() { return 2; }\n")
  file(WRITE ${tiny}/src/app/nested/CMakeLists.txt "tollivar_library(tiny_nested)\n")
  file(WRITE ${tiny}/src/app/nested/Nested.cpp "int nested() { return 3; }\n")
  file(WRITE ${tiny}/src/app/nested/deeper/Deeper.cpp "int deeper() { return 4; }\n")
  foreach(folder IN LISTS extra)
    file(WRITE ${tiny}/${folder}/CMakeLists.txt "")
  endforeach()
endfunction()

# Configures the tree of <root>; sets <result> to the exit code and <output>
# to everything the child printed.
function(configure_tree root result output)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${root}/source -B ${root}/build -G ${GENERATOR}
            -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
    RESULT_VARIABLE code
    OUTPUT_VARIABLE out
    ERROR_VARIABLE out)
  set(${result} ${code} PARENT_SCOPE)
  set(${output} "${out}" PARENT_SCOPE)
endfunction()

# Case 1: both the folder and the folder below it are listed. Expected
# owner of each source, relative to tiny/src/app.
set(root ${WORK_DIR}/nested-listed)
write_tree(${root} "app;app/nested" "")
configure_tree(${root} code output)
set(expected_owners
  "App.cpp=tiny_app"
  "inner/Inner.cpp=tiny_app"
  "nested/Nested.cpp=tiny_nested"
  "nested/deeper/Deeper.cpp=tiny_nested")
if(NOT code EQUAL 0)
  fail("nested-listed: configuration failed:\n${output}")
elseif(NOT EXISTS ${root}/build/compile_commands.json)
  fail("nested-listed: the configuration made no compile commands: no source is in any target")
else()
  file(READ ${root}/build/compile_commands.json commands)
  string(JSON count LENGTH "${commands}")
  set(compiled)  # "<source>=<target>" for every compile command
  if(count GREATER 0)
    math(EXPR last "${count} - 1")
    foreach(index RANGE ${last})
      string(JSON source GET "${commands}" ${index} file)
      string(JSON command GET "${commands}" ${index} command)
      file(RELATIVE_PATH source ${root}/source/tiny/src/app ${source})
      # The object file lies in the folder CMake keeps for its target.
      if(NOT command MATCHES " -o [^ ]*CMakeFiles/([^/ ]+)\\.dir/")
        fail("nested-listed: no target in the compile command ${command}")
        continue()
      endif()
      list(APPEND compiled "${source}=${CMAKE_MATCH_1}")
    endforeach()
  endif()
  list(SORT compiled)
  set(wanted ${expected_owners})
  list(SORT wanted)
  if(NOT compiled STREQUAL wanted)
    list(JOIN compiled "\n  " got)
    list(JOIN wanted "\n  " want)
    fail("nested-listed: sources compiled by\n  ${got}\nbut each should be compiled once, by\n  ${want}")
  endif()
endif()

# Cases 2 and 3: a folder with a CMakeLists.txt that nothing adds.
set(kMessage "These folders have a CMakeLists.txt but are not added to the build:")
set(unlisted_cases
  "nested-unlisted|app|" "src/app/nested"
  "tests-unlisted|app,app/nested|tests/orphan" "tests/orphan"
  "both-unlisted|app|tests/orphan,tests/app/more" "src/app/nested, tests/app/more, tests/orphan")
list(LENGTH unlisted_cases length)
math(EXPR last "${length} - 1")
foreach(index RANGE 0 ${last} 2)
  list(GET unlisted_cases ${index} setup)
  math(EXPR next "${index} + 1")
  list(GET unlisted_cases ${next} named)
  string(REPLACE "|" ";" setup "${setup}")
  list(GET setup 0 name)
  list(GET setup 1 dirs)
  list(GET setup 2 extra)
  string(REPLACE "," ";" dirs "${dirs}")
  string(REPLACE "," ";" extra "${extra}")
  set(root ${WORK_DIR}/${name})
  write_tree(${root} "${dirs}" "${extra}")
  configure_tree(${root} code output)
  # The child wraps long messages; compare with the lines joined.
  string(REGEX REPLACE "[ \n]+" " " flat "${output}")
  if(code EQUAL 0)
    fail("${name}: configuration succeeded although ${named} is not added")
  elseif(NOT flat MATCHES "${kMessage} ${named}\\. Add each folder")
    fail("${name}: expected the message naming ${named}, got:\n${output}")
  endif()
endforeach()

if(failures)
  list(JOIN failures "\n\n" report)
  message(FATAL_ERROR "${report}")
endif()
math(EXPR cases "1 + ${length} / 2")
message(STATUS "target folders: ${cases} cases passed")
