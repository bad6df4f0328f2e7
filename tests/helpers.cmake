# SPDX-License-Identifier: MIT
# What the test scripts share, include()d by them.

# run([OUTPUT <variable>] [WORKING_DIRECTORY <directory>] <command>...): echoes
# the command and runs it; a failure stops the script. With OUTPUT, what the
# command prints goes to <variable> instead, and is shown when it fails.
function(run)
  cmake_parse_arguments(PARSE_ARGV 0 run "" "OUTPUT;WORKING_DIRECTORY" "")
  set(capture "")
  if(run_OUTPUT)
    set(capture OUTPUT_VARIABLE out ERROR_VARIABLE out)
  endif()
  execute_process(COMMAND ${run_UNPARSED_ARGUMENTS} ${capture} COMMAND_ECHO STDOUT
    WORKING_DIRECTORY "${run_WORKING_DIRECTORY}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${run_UNPARSED_ARGUMENTS}\n${out}")
  elseif(run_OUTPUT)
    set(${run_OUTPUT} "${out}" PARENT_SCOPE)
  endif()
endfunction()

# install_build(<build> PREFIX|DESTDIR <directory>): installs the build tree
# into <directory>, emptied first: as its prefix, or as the stage of an install
# under the configured prefix. What it prints is shown when it fails.
function(install_build build how directory)
  file(REMOVE_RECURSE ${directory})
  if(how STREQUAL "DESTDIR")
    run(OUTPUT _ ${CMAKE_COMMAND} -E env DESTDIR=${directory} ${CMAKE_COMMAND} --install ${build})
  else()
    run(OUTPUT _ ${CMAKE_COMMAND} --install ${build} --prefix ${directory})
  endif()
endfunction()

# exported_symbols(<library> <names> <not_code>): the names that the shared
# <library> exports, sorted, as ${NM} reads its dynamic symbol table, into
# <names>; nm's line for each that is not code (not T) into <not_code>.
function(exported_symbols library names_var not_code_var)
  run(OUTPUT nm_out ${NM} -D --defined-only ${library})
  string(REGEX MATCHALL "[0-9a-f]+ [A-Za-z] [^\n]+" symbols "${nm_out}")
  set(names "")
  set(not_code "")
  foreach(line IN LISTS symbols)
    string(REGEX MATCH "^[0-9a-f]+ ([A-Za-z]) (.*)$" _ "${line}")
    list(APPEND names ${CMAKE_MATCH_2})
    if(NOT CMAKE_MATCH_1 STREQUAL "T")
      list(APPEND not_code "${line}")
    endif()
  endforeach()
  list(SORT names)
  set(${names_var} ${names} PARENT_SCOPE)
  set(${not_code_var} ${not_code} PARENT_SCOPE)
endfunction()
