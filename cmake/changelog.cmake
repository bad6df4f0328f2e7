# SPDX-License-Identifier: MIT
# Reads the latest entry of a Debian changelog with CMake alone, since the
# dpkg tools are missing off Debian: the version from the entry's heading and
# its date, in seconds since 1970, from its trailer line, whose date is
# RFC 5322's "Sun, 06 Dec 2026 20:30:00 +0000".
function(kolist_changelog_latest changelog version_var epoch_var)
  file(STRINGS ${changelog} heading LIMIT_COUNT 1 REGEX "^[^ ]+ \\(")
  if(NOT heading MATCHES "^[^ ]+ \\(([^)]+)\\)")
    message(FATAL_ERROR "${changelog}: no entry heading")
  endif()
  set(${version_var} ${CMAKE_MATCH_1} PARENT_SCOPE)

  file(STRINGS ${changelog} trailer LIMIT_COUNT 1 REGEX "^ -- ")
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(JOIN months | month_names)
  if(NOT trailer MATCHES "  [A-Za-z]*,? *([0-9]+) (${month_names}) ([0-9][0-9][0-9][0-9]) ([0-9][0-9]):([0-9][0-9]):([0-9][0-9]) ([+-])([0-9][0-9])([0-9][0-9])$")
    message(FATAL_ERROR "${changelog}: no date in the trailer line '${trailer}'")
  endif()
  list(FIND months ${CMAKE_MATCH_2} month)
  math(EXPR month "${month} + 1")
  # Days since 1970-01-01 through the Julian day number, in a year that
  # starts in March, so that February's length matters last.
  math(EXPR a "(14 - ${month}) / 12")
  math(EXPR y "${CMAKE_MATCH_3} + 4800 - ${a}")
  math(EXPR m "${month} + 12 * ${a} - 3")
  math(EXPR days "${CMAKE_MATCH_1} + (153 * ${m} + 2) / 5 + 365 * ${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 - 32045 - 2440588")
  math(EXPR epoch "${days} * 86400 + ${CMAKE_MATCH_4} * 3600 + ${CMAKE_MATCH_5} * 60 + ${CMAKE_MATCH_6} - (${CMAKE_MATCH_7}1) * (${CMAKE_MATCH_8} * 3600 + ${CMAKE_MATCH_9} * 60)")
  set(${epoch_var} ${epoch} PARENT_SCOPE)
endfunction()
