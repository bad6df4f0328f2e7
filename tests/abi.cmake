# SPDX-License-Identifier: MIT
# The library as a loader sees it: the header's operations exported alone, no
# data (all an archive is checked for); calls between them bound inside; the
# SONAME; the C library LIBC alone needed; full RELRO, no text relocations or
# executable stack; when asked, the machine, its byte order and .text's size.
include(${CMAKE_CURRENT_LIST_DIR}/helpers.cmake NO_POLICY_SCOPE)

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
if(LIB MATCHES "\\.a$") # an archive has no dynamic section
  return()
endif()

# A call through a dynamic relocation (the PLT or GOT) or the MIPS GOT's global
# entries could be redirected by a preloaded library inside another operation.
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
check("not a 32-bit ${BYTE_ORDER}-endian ${MACHINE} library" NOT DEFINED MACHINE
  OR elf MATCHES "Class: +ELF32.*${BYTE_ORDER} endian.*Machine: +${MACHINE}")
if(DEFINED MAX_TEXT)
  string(REGEX MATCH " \\.text +PROGBITS +[0-9a-f]+ [0-9a-f]+ ([0-9a-f]+)" _ "${elf}")
  math(EXPR text_size "0x${CMAKE_MATCH_1}")
  message(STATUS ".text: ${text_size} bytes (at most ${MAX_TEXT})")
  check(".text is ${text_size} bytes, more than ${MAX_TEXT}" NOT text_size GREATER MAX_TEXT)
endif()
