# SPDX-License-Identifier: MIT
# What the test scripts share. They include() it with NO_POLICY_SCOPE for
# CMake 3.25's policies, under which a quoted word in if() names no variable.
cmake_policy(VERSION 3.25)

# run([OUTPUT <variable>] [WORKING_DIRECTORY <directory>] <command>...): echoes
# and runs the command; if it fails, the script stops and shows what it printed,
# which <variable> takes, less trailing white space.
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
# holds; the script goes on, to report every failure, and fails at its end.
# if() reads its words unquoted: names of variables, numbers, patterns.
function(check what)
  if(NOT (${ARGN}))
    string(REPLACE ";" " " condition "${ARGN}")
    message(SEND_ERROR "${what} (not ${condition})")
  endif()
endfunction()

# install_build(<build> <prefix>): installs the build tree into a fresh prefix.
function(install_build build prefix)
  file(REMOVE_RECURSE ${prefix})
  run(${CMAKE_COMMAND} --install ${build} --prefix ${prefix})
endfunction()

# exported_symbols(<library> <names> <not_code>): the names a shared library
# exports, sorted, as ${NM} reads them; nm's "<letter> <name>" of any not code.
function(exported_symbols library names_var not_code_var)
  run(OUTPUT symbols ${NM} -D --defined-only ${library})
  string(REGEX MATCHALL "[0-9a-f]+ [A-Za-z] [^\n]+" symbols "${symbols}")
  list(TRANSFORM symbols REPLACE "^[0-9a-f]+ " "")
  set(not_code ${symbols})
  list(FILTER not_code EXCLUDE REGEX "^T ")
  list(TRANSFORM symbols REPLACE "^. " "")
  list(SORT symbols)
  set(${names_var} ${symbols} PARENT_SCOPE)
  set(${not_code_var} ${not_code} PARENT_SCOPE)
endfunction()
