# SPDX-License-Identifier: MIT
# Runs PROGRAM and holds its standard output to EXPECTED, byte for byte.
# cmake -DPROGRAM=... -DEXPECTED=... -DACTUAL=... [-DEMULATOR=...] -P output.cmake
execute_process(COMMAND ${EMULATOR} ${PROGRAM} OUTPUT_FILE ${ACTUAL} COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND diff -u ${EXPECTED} ${ACTUAL} OUTPUT_VARIABLE diff RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} printed ${ACTUAL}, not ${EXPECTED}:\n${diff}")
endif()
