# SPDX-License-Identifier: MIT
# The shared library as a loader sees it: exactly the operations the header
# declares exported and no data, calls between them bound inside, the SONAME,
# the C library as the only dependency (LIBC, by default glibc's libc.so.6),
# full RELRO, no text relocations, no executable stack and, when asked, the
# machine and the size of .text.
# cmake -DLIB= -DHEADER= -DNM= -DREADELF= [-DLIBC= -DMACHINE= -DMAX_TEXT=] -P abi.cmake
include(${CMAKE_CURRENT_LIST_DIR}/helpers.cmake NO_POLICY_SCOPE)
if(NOT DEFINED LIBC)
  set(LIBC libc.so.6)
endif()

file(READ ${HEADER} header)
string(REGEX MATCHALL "ko_list_[a-z_]+\\(" declared "${header}")
list(TRANSFORM declared REPLACE "\\($" "")
list(REMOVE_DUPLICATES declared)
list(SORT declared)
list(LENGTH declared count)
if(NOT count EQUAL 26)
  message(FATAL_ERROR "the header declares ${count} operations")
endif()
exported_symbols(${LIB} exported not_code)
if(not_code OR NOT exported STREQUAL declared)
  message(FATAL_ERROR "not code: ${not_code}\nexported:\n${exported}\ndeclared:\n${declared}")
endif()

# An operation the library calls through a dynamic relocation (amd64's PLT or
# GOT) or a global entry of the MIPS GOT goes through the loader's binding,
# which a preloaded library could redirect in the middle of another operation.
run(OUTPUT bindings ${READELF} -r -A --wide ${LIB})
string(REGEX MATCHALL "[^\n]*ko_list_[^\n]*" bound "${bindings}")
if(bound)
  list(JOIN bound "\n" bound)
  message(FATAL_ERROR "operations called through the PLT or GOT:\n${bound}")
endif()

run(OUTPUT elf ${READELF} -dlhSW ${LIB})
string(REGEX MATCHALL "\\(NEEDED\\) +Shared library: \\[[^]\n]*\\]" needed "${elf}")
list(TRANSFORM needed REPLACE ".*\\[(.*)\\]$" "\\1")
if(NOT needed STREQUAL LIBC)
  message(SEND_ERROR "needs ${needed}, not ${LIBC} alone")
endif()
expect("${elf}" "\\(SONAME\\) +Library soname: \\[libkoList\\.so\\.1\\]" "SONAME")
expect("${elf}" "GNU_RELRO" "not full RELRO")
expect("${elf}" "\\(FLAGS\\)[^\n]*BIND_NOW" "not full RELRO")
if(elf MATCHES "TEXTREL")
  message(SEND_ERROR "text relocations")
endif()
expect("${elf}" "GNU_STACK[^\n]* RW  " "executable stack")
if(DEFINED MACHINE AND NOT elf MATCHES "Class: +ELF32.*little endian.*Machine: +${MACHINE}")
  message(SEND_ERROR "not a 32-bit little-endian ${MACHINE} library")
endif()
if(DEFINED MAX_TEXT)
  string(REGEX MATCH " \\.text +PROGBITS +[0-9a-f]+ [0-9a-f]+ ([0-9a-f]+)" _ "${elf}")
  math(EXPR text_size "0x${CMAKE_MATCH_1}")
  message(STATUS ".text: ${text_size} bytes (at most ${MAX_TEXT})")
  if(text_size GREATER MAX_TEXT)
    message(SEND_ERROR ".text is ${text_size} bytes, more than ${MAX_TEXT}")
  endif()
endif()
message(STATUS "${count} operations exported, nothing else")
