# SPDX-License-Identifier: MIT
# Installs the build into a staging tree under its configured prefix
# (DESTDIR), then builds and runs the examples against it (consumers.cmake).
# cmake -DBUILD=... -DSOURCE=... -DWORK=... -DCC=... -DCXX=... -DFLAGS=... -P install.cmake
file(REMOVE_RECURSE ${WORK})
set(ROOT ${WORK}/root)
set(EXAMPLES ${SOURCE}/examples)
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${ROOT} ${CMAKE_COMMAND} --install ${BUILD}
  COMMAND_ECHO STDOUT COMMAND_ERROR_IS_FATAL ANY)
include(${CMAKE_CURRENT_LIST_DIR}/consumers.cmake)
