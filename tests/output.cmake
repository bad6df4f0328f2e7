# SPDX-License-Identifier: MIT
# Runs PROGRAM and holds its standard output to EXPECTED, byte for byte.
include(${CMAKE_CURRENT_LIST_DIR}/helpers.cmake NO_POLICY_SCOPE)
execute_process(COMMAND ${EMULATOR} ${PROGRAM} OUTPUT_FILE ${ACTUAL} COMMAND_ERROR_IS_FATAL ANY)
run(diff -u ${EXPECTED} ${ACTUAL})
