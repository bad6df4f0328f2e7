# SPDX-License-Identifier: MIT
# The shared library as a loader sees it: exactly the operations the header
# declares exported and no data, calls between them bound inside, the SONAME,
# the C library as the only dependency (LIBC, by default glibc's libc.so.6),
# full RELRO, no text relocations, no executable stack and, when asked, the
# machine and the size of .text.
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
check("the header declares ${count} operations" count EQUAL 26)
exported_symbols(${LIB} exported not_code)
check("exported:\n${exported}\ndeclared:\n${declared}" exported STREQUAL declared)
check("exports what is not code: ${not_code}" NOT not_code)

# An operation the library calls through a dynamic relocation (amd64's PLT or
# GOT) or a global entry of the MIPS GOT goes through the loader's binding,
# which a preloaded library could redirect in the middle of another operation.
run(OUTPUT bindings ${READELF} -r -A --wide ${LIB})
string(REGEX MATCHALL "[^\n]*ko_list_[^\n]*" bound "${bindings}")
list(JOIN bound "\n" bound)
check("operations called through the PLT or GOT:\n${bound}" NOT bound)

run(OUTPUT elf ${READELF} -dlhSW ${LIB})
string(REGEX MATCHALL "\\(NEEDED\\) +Shared library: \\[[^]\n]*\\]" needed "${elf}")
list(TRANSFORM needed REPLACE ".*\\[(.*)\\]$" "\\1")
check("needs ${needed}, not ${LIBC} alone" needed STREQUAL LIBC)
check("SONAME" elf MATCHES "\\(SONAME\\) +Library soname: \\[libkoList\\.so\\.1\\]")
check("not full RELRO" elf MATCHES "GNU_RELRO" AND elf MATCHES "\\(FLAGS\\)[^\n]*BIND_NOW")
check("text relocations" NOT elf MATCHES "TEXTREL")
check("executable stack" elf MATCHES "GNU_STACK[^\n]* RW  ")
check("not a 32-bit little-endian ${MACHINE} library" NOT DEFINED MACHINE
  OR elf MATCHES "Class: +ELF32.*little endian.*Machine: +${MACHINE}")
if(DEFINED MAX_TEXT)
  string(REGEX MATCH " \\.text +PROGBITS +[0-9a-f]+ [0-9a-f]+ ([0-9a-f]+)" _ "${elf}")
  math(EXPR text_size "0x${CMAKE_MATCH_1}")
  message(STATUS ".text: ${text_size} bytes (at most ${MAX_TEXT})")
  check(".text is ${text_size} bytes, more than ${MAX_TEXT}" NOT text_size GREATER MAX_TEXT)
endif()
