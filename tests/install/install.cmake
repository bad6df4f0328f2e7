# SPDX-License-Identifier: MIT
# Installs the build into a staging tree under its configured prefix
# (DESTDIR) and builds and runs the examples against it (consumers.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/consumers.cmake NO_POLICY_SCOPE)
file(REMOVE_RECURSE ${WORK})
run(${CMAKE_COMMAND} -E env DESTDIR=${WORK}/root ${CMAKE_COMMAND} --install ${BUILD})
consumers(ROOT ${WORK}/root ${WORK})
