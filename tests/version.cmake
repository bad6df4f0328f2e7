# SPDX-License-Identifier: MIT
# The Debian changelog's latest entry is for the version koList.h declares, and
# the build's own reading of it (cmake/changelog.cmake, which dates the manual
# off Debian) agrees with dpkg-parsechangelog on its version and date.
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/changelog.cmake)
kolist_changelog_latest(${CHANGELOG} version epoch)
foreach(field IN ITEMS Version Timestamp)
  execute_process(COMMAND ${DPKG_PARSECHANGELOG} -l ${CHANGELOG} -S${field}
    OUTPUT_VARIABLE ${field} OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endforeach()
if(NOT version STREQUAL Version OR NOT epoch STREQUAL Timestamp)
  message(FATAL_ERROR "read ${version} of ${epoch}, dpkg-parsechangelog ${Version} of ${Timestamp}")
endif()
# Without the epoch and the Debian revision.
string(REGEX REPLACE "^[0-9]+:|-[^-]*$" "" upstream_version "${version}")
if(NOT upstream_version STREQUAL VERSION)
  message(FATAL_ERROR "debian/changelog is at ${version}, koList.h at ${VERSION}")
endif()
message(STATUS "debian/changelog and koList.h agree on ${VERSION}, dated ${epoch}")
