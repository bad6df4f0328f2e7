# SPDX-License-Identifier: MIT
# debian/changelog's latest entry is for koList.h's version, and the build's own
# reading of it (cmake/changelog.cmake) agrees with dpkg-parsechangelog.
include(${CMAKE_CURRENT_LIST_DIR}/helpers.cmake NO_POLICY_SCOPE)
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/changelog.cmake)
kolist_changelog_latest(${CHANGELOG} version epoch)
foreach(field IN ITEMS Version Timestamp)
  run(OUTPUT ${field} ${DPKG_PARSECHANGELOG} -l ${CHANGELOG} -S${field})
endforeach()
check("read ${version} of ${epoch}, dpkg-parsechangelog ${Version} of ${Timestamp}"
  version STREQUAL Version AND epoch STREQUAL Timestamp)
# Without the epoch and the Debian revision.
string(REGEX REPLACE "^[0-9]+:|-[^-]*$" "" upstream_version "${version}")
check("debian/changelog is at ${version}, koList.h at ${VERSION}" upstream_version STREQUAL VERSION)
message(STATUS "debian/changelog and koList.h agree on ${VERSION}, dated ${epoch}")
