# SPDX-License-Identifier: MIT
# koList.hpp compiled as C++17 stops with one error, the one naming C++20.
execute_process(COMMAND ${CXX} -std=c++17 -fsyntax-only -x c++ ${HEADER}
  RESULT_VARIABLE failed ERROR_VARIABLE out)
string(REGEX MATCHALL "error:" errors "${out}")
list(LENGTH errors count)
if(NOT failed OR NOT count EQUAL 1 OR NOT out MATCHES "C\\+\\+20")
  message(FATAL_ERROR "expected one error naming C++20, got:\n${out}")
endif()
