# SPDX-License-Identifier: MIT
# The installed manual: each exported name, koList and koList.hpp has a page,
# or a link to a page beside it, that lists it under NAME; every page renders
# without a groff warning and has a whatis entry; the pages carry each
# prototype of the header, and its rules, word for word.
include(${CMAKE_CURRENT_LIST_DIR}/helpers.cmake NO_POLICY_SCOPE)

install_build(${BUILD} ${WORK})
set(man ${WORK}/${MANDIR})

exported_symbols(${LIB} exported _)
list(LENGTH exported exported_count)

# Rendered as lintian renders them; a link is checked through its target page.
set(ENV{LC_ALL} C.UTF-8)
set(ENV{MANWIDTH} 80)
file(GLOB pages RELATIVE ${man} ${man}/man3/*)
foreach(page IN LISTS pages)
  if(IS_SYMLINK ${man}/${page})
    file(READ_SYMLINK ${man}/${page} target)
    check("${page} links to ${target}, not to a page beside it" target MATCHES "^[^/]+$"
      AND NOT IS_SYMLINK ${man}/man3/${target} AND EXISTS ${man}/man3/${target})
    set(rendered_as_${page} man3/${target})
    continue()
  endif()
  file(STRINGS ${man}/${page} first_line LIMIT_COUNT 1)
  check("${page} is a .so page, not a link to the page" NOT first_line MATCHES "^\\.so ")
  set(rendered_as_${page} ${page})
  execute_process(COMMAND ${MAN} --warnings=w -E UTF-8 -l ${page} WORKING_DIRECTORY ${man}
    OUTPUT_VARIABLE text ERROR_VARIABLE warnings RESULT_VARIABLE status)
  check("${page} renders with status ${status}:\n${warnings}" status EQUAL 0 AND NOT warnings MATCHES .)
  run(WORKING_DIRECTORY ${man} ${LEXGROG} ${page})
  string(REGEX MATCH "\nNAME\n(.*)\nSYNOPSIS\n" _ "${text}")
  set(documented_in_${page} "${CMAKE_MATCH_1}")
endforeach()

foreach(name IN LISTS exported ITEMS koList koList.hpp)
  string(REPLACE "." "\\." name_pattern "${name}")
  set(page man3/${name}.3)
  check("no page documents ${name} as man3/${name}.3"
    documented_in_${rendered_as_${page}} MATCHES "[ \n]${name_pattern}(,| -|\n)")
endforeach()

# A declaration starts a line of the header; comments never do.
file(READ ${HEADER} header)
string(REGEX MATCHALL "\n[a-z0-9_]+ \\*?ko_list_[a-z_]+\\([^;)]*\\)" prototypes "${header}")
list(TRANSFORM prototypes REPLACE "[ \n]+" " ")
list(TRANSFORM prototypes STRIP)
list(LENGTH prototypes prototype_count)
check("${prototype_count} prototypes in the header, ${exported_count} exported names"
  prototype_count EQUAL exported_count)
file(GLOB sources ${SOURCES}/*.scd)
run(OUTPUT manual cat ${sources})
string(REGEX REPLACE "[ \n]+" " " manual "${manual}")
foreach(prototype IN LISTS prototypes)
  string(FIND "${manual}" "${prototype};" at)
  check("no page has the prototype ${prototype};" NOT at EQUAL -1)
endforeach()

# One text of the rules: koList.h's "Ownership and callbacks", word for word in koList(3).
string(REGEX MATCH "\n \\* Ownership and callbacks\n \\*(\n[^/]*)\n \\*/" _ "${header}")
string(REGEX REPLACE "(\n \\*|[ \n])+" " " in_header "${CMAKE_MATCH_1}")
file(READ ${SOURCES}/koList.3.scd page)
string(REGEX MATCH "\n## Ownership and callbacks(\n[^#]*)\n\n## " _ "${page}")
string(REGEX REPLACE "[ \n]+" " " in_manual "${CMAKE_MATCH_1}")
check("koList(3) lacks koList.h's \"Ownership and callbacks\":\n${in_header}\n${in_manual}"
  in_header STREQUAL in_manual AND in_header MATCHES longjmp)
list(LENGTH pages page_count)
message(STATUS "${page_count} pages checked for ${exported_count} exported names")
