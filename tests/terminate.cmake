# SPDX-License-Identifier: MIT
# PROGRAM, throwing from the callback KOLIST_THROWER names, ends through
# std::terminate: status 134 as a shell reports it, and libstdc++'s word.
include(${CMAKE_CURRENT_LIST_DIR}/helpers.cmake NO_POLICY_SCOPE)
foreach(callback alloc release compare)
  execute_process(COMMAND sh -c "KOLIST_THROWER=${callback} \"$@\"; exit $?" sh ${EMULATOR} ${PROGRAM}
    ${ARGUMENTS} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  check("${callback}: status ${status}, not 134 through std::terminate\n${out}${err}"
    status EQUAL 134 AND err MATCHES "terminate called after throwing")
endforeach()
