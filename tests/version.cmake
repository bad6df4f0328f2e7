# SPDX-License-Identifier: MIT
# The Debian changelog's latest entry is for the version koList.h declares.
# cmake -DSOURCE=... -DVERSION=... -P version.cmake
execute_process(COMMAND dpkg-parsechangelog -l ${SOURCE}/debian/changelog -SVersion
  OUTPUT_VARIABLE debian_version OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
# Without the epoch and the Debian revision.
string(REGEX REPLACE "^[0-9]+:|-[^-]*$" "" upstream_version "${debian_version}")
if(NOT upstream_version STREQUAL VERSION)
  message(FATAL_ERROR "debian/changelog is at ${debian_version}, koList.h at ${VERSION}")
endif()
message(STATUS "debian/changelog and koList.h agree on ${VERSION}")
