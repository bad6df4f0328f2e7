# SPDX-License-Identifier: MIT
# What the test scripts share, with CMake 3.25's policies (NO_POLICY_SCOPE).
cmake_policy(VERSION 3.25)

# run([OUTPUT <var>] [WORKING_DIRECTORY <dir>] <command>...): echoes and runs the
# command; a failure stops the script and shows its output, which <var> takes.
function(run)
  cmake_parse_arguments(PARSE_ARGV 0 run "" "OUTPUT;WORKING_DIRECTORY" "")
  execute_process(COMMAND ${run_UNPARSED_ARGUMENTS} WORKING_DIRECTORY "${run_WORKING_DIRECTORY}"
    COMMAND_ECHO STDOUT OUTPUT_VARIABLE out ERROR_VARIABLE out OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${run_UNPARSED_ARGUMENTS}\n${out}")
  elseif(run_OUTPUT)
    set(${run_OUTPUT} "${out}" PARENT_SCOPE)
  endif()
endfunction()

# check(<what a failure means> <condition>...): an error unless the condition
# holds, read by if() unquoted; the script goes on and fails at its end.
function(check what)
  if(NOT (${ARGN}))
    string(REPLACE ";" " " condition "${ARGN}")
    message(SEND_ERROR "${what} (not ${condition})")
  endif()
endfunction()

function(install_build build prefix)
  file(REMOVE_RECURSE ${prefix})
  run(${CMAKE_COMMAND} --install ${build} --prefix ${prefix})
endfunction()

# exported_symbols(<library> <names> <not_code>): the names a shared library
# exports or an archive defines, sorted; "<nm letter> <name>" of any not code.
function(exported_symbols library names_var not_code_var)
  set(table -D)
  if(library MATCHES "\\.a$")
    set(table -g)
  endif()
  run(OUTPUT symbols ${NM} ${table} --defined-only ${library})
  string(REGEX MATCHALL "[0-9a-f]+ [A-Za-z] [^\n]+" symbols "${symbols}")
  list(TRANSFORM symbols REPLACE "^[0-9a-f]+ " "")
  set(not_code ${symbols})
  list(FILTER not_code EXCLUDE REGEX "^T ")
  list(TRANSFORM symbols REPLACE "^. " "")
  list(SORT symbols)
  set(${names_var} ${symbols} PARENT_SCOPE)
  set(${not_code_var} ${not_code} PARENT_SCOPE)
endfunction()

# bare_path(<directory> <program>...): PATH becomes the directory, holding links
# to these programs alone under their own names; a name is looked up first.
function(bare_path directory)
  file(MAKE_DIRECTORY ${directory})
  foreach(program IN LISTS ARGN)
    unset(found)
    find_program(found ${program} NO_CACHE REQUIRED)
    cmake_path(GET found FILENAME name)
    file(CREATE_LINK ${found} ${directory}/${name} SYMBOLIC)
  endforeach()
  set(ENV{PATH} ${directory})
endfunction()
