# SPDX-License-Identifier: MIT
# koList.hpp compiled as C++17 stops with one error, the one naming C++20.
include(${CMAKE_CURRENT_LIST_DIR}/helpers.cmake NO_POLICY_SCOPE)
execute_process(COMMAND ${CXX} -std=c++17 -fsyntax-only -x c++ ${HEADER}
  RESULT_VARIABLE failed ERROR_VARIABLE out)
string(REGEX MATCHALL "error:" errors "${out}")
list(LENGTH errors count)
check("expected one error naming C++20, got:\n${out}" failed AND count EQUAL 1 AND out MATCHES "C\\+\\+20")
