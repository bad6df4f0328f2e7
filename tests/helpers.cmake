# SPDX-License-Identifier: MIT
# What the test scripts share, include()d by them with NO_POLICY_SCOPE: the
# policies of the CMake the project requires, so that no quoted word is read
# as the name of a variable that a -D option happened to define.
cmake_policy(VERSION 3.25)

# run([OUTPUT <variable>] [WORKING_DIRECTORY <directory>] <command>...): echoes
# the command and runs it. What it prints is shown if it fails, which stops the
# script, and goes to <variable>, trailing white space stripped.
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

# expect(<text> <regex> <what a miss means>...): an error unless <text> matches
# <regex>; the script goes on, to report every miss, and fails at its end.
function(expect text regex)
  if(NOT text MATCHES "${regex}")
    message(SEND_ERROR "${ARGN}: nothing matches ${regex}")
  endif()
endfunction()

# install_build(<build> <prefix>): installs the build tree into a fresh prefix.
function(install_build build prefix)
  file(REMOVE_RECURSE ${prefix})
  run(${CMAKE_COMMAND} --install ${build} --prefix ${prefix})
endfunction()

# exported_symbols(<library> <names> <not_code>): the names that a shared
# library exports, sorted, as ${NM} reads its dynamic symbol table; and nm's
# letter and name for each that is not code (T).
function(exported_symbols library names_var not_code_var)
  run(OUTPUT nm_out ${NM} -D --defined-only ${library})
  string(REGEX MATCHALL "[0-9a-f]+ [A-Za-z] [^\n]+" symbols "${nm_out}")
  list(TRANSFORM symbols REPLACE "^[0-9a-f]+ " "")
  set(not_code ${symbols})
  list(FILTER not_code EXCLUDE REGEX "^T ")
  list(TRANSFORM symbols REPLACE "^. " "")
  list(SORT symbols)
  set(${names_var} ${symbols} PARENT_SCOPE)
  set(${not_code_var} ${not_code} PARENT_SCOPE)
endfunction()
