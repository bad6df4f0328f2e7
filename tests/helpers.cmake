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
